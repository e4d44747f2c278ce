#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "model/AtomicFile.h"
#include "model/Job.h"
#include "model/ProfileFile.h"

// A ribbon file: ribbons for printing without the window, one section per
// ribbon, in the settings file's INI format (UTF-8 or Windows-1252, CR LF). A section
// holds the sixteen keys of a stored format plus "TextLinks" and "TextRechts"
// (lines separated by two backslashes, as in a phrase) and "Kommission".
// Missing keys take the defaults of reading a stored format; an empty value
// counts as missing.
//
// Unlike the settings file, a ribbon file is checked strictly, because an
// order system's mistake must not silently print a wrong ribbon: every line
// must be a section header, a key line, a comment (";") or blank; keys must be
// known and appear once per section; section names must be unique (without
// regard to case); numbers must be numbers; "Stil" must be 0, 1 or 2; values
// must fit the 2047 characters a value is read with. The encoding is the
// file's as a whole: UTF-8 when the file starts with a UTF-8 byte order mark
// or is well-formed UTF-8 throughout, else Windows-1252 (what the program
// wrote before, and what older order systems write). A line that is no text
// of that encoding is a fault: NUL or other control characters but the tab,
// in Windows-1252 one of the five bytes the code page leaves undefined, a
// line that is really UTF-8, or one that is plainly Latin-2 ("£ucja"); in
// UTF-8 a malformed sequence; in either a CR without LF. UTF-16 is refused
// as a whole. The program writes UTF-8 without a byte order mark.

struct RibbonEntry {
    QString section;  // the name as the file spells it
    int line = 0;     // the line of the section header, counted from 1
    std::unique_ptr<TJob> job;
};

struct RibbonFileError {
    QString fileName;
    int line = 0;  // counted from 1; 0 when the file as a whole is meant
    QString message;

    // "<file>:<line>: <message>", or "<file>: <message>" without a line.
    QString text() const;
};

struct RibbonFileResult {
    // In file order. Read strictly: empty when error is set; read keeping
    // what is readable: the sections without a fault.
    std::vector<RibbonEntry> ribbons;
    std::optional<RibbonFileError> error;  // the first fault
    int unreadable = 0;                    // sections left out for a fault

    bool ok() const { return !error.has_value(); }
};

enum class RibbonReading {
    Strict,        // the first fault refuses the whole file
    KeepReadable,  // a section with a fault is left out, the others are read
};

// The most ribbons a ribbon file may hold, and so the longest list the window
// takes in: it keeps its list in a ribbon file against a crash, and what it
// writes there it must be able to read back.
constexpr int MaxRibbons = 10000;

// The most bytes the reader takes: MaxRibbons of the longest sections the
// writer below can make of a ribbon (about 51 MB).
extern const qint64 MaxRibbonFileSize;

// The encoding a ribbon file is read in, decided by the whole file.
ProfileEncoding RibbonFileEncoding(const QByteArray &bytes);

// Why a line's bytes (without its line end) are no text of a ribbon file in
// that encoding, by the rules above; an empty string when they are. Order
// files that are CSV are held to the same rules.
QString RibbonFileLineFault(const QByteArray &line, ProfileEncoding encoding);

// Reads a ribbon file held in memory; fileName only goes into messages. More
// than MaxRibbons sections are a fault (read keeping what is readable: the
// first MaxRibbons are kept).
RibbonFileResult ReadRibbonFile(const QByteArray &bytes, const QString &fileName,
                                RibbonReading reading = RibbonReading::Strict);

// Reads a ribbon file from disk (at most MaxRibbonFileSize bytes).
RibbonFileResult LoadRibbonFile(const QString &path, RibbonReading reading = RibbonReading::Strict);

// The ribbons as a ribbon file that the reader above takes back unchanged:
// one section per ribbon, named as the ribbon's section was when it was read
// (TJob::Section), else "Schleife1", "Schleife2", ... by its place in the
// list; UTF-8, CR LF line ends. A value with
// blanks or quotes at its ends is put in double quotes, which reading removes.
// Fails (with the reader's message) for a list the reader would refuse, such
// as a text longer than a value may be, or one larger than MaxRibbonFileSize.
bool RibbonFileBytes(const std::vector<const TJob *> &jobs, QByteArray *out,
                     QString *error = nullptr);

// Writes the ribbons into a ribbon file, replacing it atomically (see
// WriteFileAtomically for `links`). Returns false with the reason (a refused
// list or the platform's error text).
bool SaveRibbonFile(const QString &path, const std::vector<const TJob *> &jobs, QString *error,
                    FileLinks links = FileLinks::Follow);
