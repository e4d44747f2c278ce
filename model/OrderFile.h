#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "model/Job.h"

// An order as an order system sends it: an order number, a delivery time and
// one or more ribbons, each with both ends, size, face, colour, pictures and
// a commission label. Orders arrive as files in one of three formats:
//
// - CSV as shop systems and spreadsheets export it (RFC 4180: separator ";"
//   or ",", decided by the header row; quoted fields may hold separators,
//   quotes and line breaks; UTF-8 with or without byte order mark, else
//   Windows-1252). The header row names the columns; a small mapping with
//   German and English aliases (OrderColumns below) says what each means.
//   Rows with the same order number are the ribbons of one order, in file
//   order. Columns the mapping does not know are ignored.
// - JSON: one order object, a list of them, or {"auftraege": [...]}. The
//   keys are the same aliases as the CSV columns; "schleifen"/"ribbons" is a
//   list of ribbon objects whose keys override the order's own. Unknown keys
//   are ignored.
// - The ribbon file the program already reads (RibbonFile.h): each section
//   is an order of one ribbon, numbered by its section name.
//
// Missing values take the defaults a ribbon file section without that key
// takes. The commission label, when none is given, is the order number and
// the delivery time ("4711 · 09.12.2026 10:00"), or the number alone. A
// "Format" column/key names a stored format whose layout the ribbon starts
// from; the other columns override it. A text's lines are separated by line
// breaks or, as in a phrase, by two backslashes. Every ribbon's section
// (TJob::Section) is its order number.
//
// Values are checked, never cut or dropped: numbers in mm within their
// range, colours of the text colour palette only (by name, "#RRGGBB" or the
// stored "$XXXXXXXX"; any other would print in an unrelated printer colour),
// texts within their field and what a ribbon file holds, characters a ribbon
// may hold, at least one text per ribbon. The README ("Auftragsdateien")
// has the full rules.

struct Order {
    QString number;    // "Auftrag"; never empty
    QString delivery;  // "Liefertermin" as given; may be empty
    int line =
        0;  // where the order starts in the file (CSV/ribbon file), counted from 1; 0 for JSON
    std::vector<std::unique_ptr<TJob>> ribbons;  // at least one
};

struct OrderFileResult {
    std::vector<Order> orders;  // in file order; empty when error is set
    // The first fault, as "<file>:<line>: <message>" or "<file>: <message>";
    // the message is German and names the column, key or line at fault.
    std::optional<QString> error;
    bool ok() const { return !error.has_value(); }
};

enum class OrderFormat { Csv, Json, RibbonFile };

// The format of an order file: by its extension (".csv", ".json", ".ini"/
// ".txt"), else by its first bytes ("{" or "[" after blanks and a BOM: JSON;
// a "[" header line or ";" comment: ribbon file; else CSV).
OrderFormat OrderFormatOf(const QString &fileName, const QByteArray &bytes);

// Ribbons may start from a stored format; the lookup gives its layout (or
// nullptr for an unknown name, which is a fault naming it).
using StoredFormatLookup = std::function<const TJob *(const QString &name)>;

// The most bytes an order file may have (16 MB), and the most ribbons it may
// give (MaxRibbons, as the ribbon list takes no more).
extern const qint64 MaxOrderFileSize;

// Reads an order file held in memory; fileName goes into messages and
// decides the format. Never half-read: any fault refuses the whole file.
OrderFileResult ReadOrderFile(const QByteArray &bytes, const QString &fileName,
                              const StoredFormatLookup &formats = nullptr);

// Reads an order file from disk (at most MaxOrderFileSize bytes, else a fault
// that says so; a file that vanishes or cannot be read is a fault too).
OrderFileResult LoadOrderFile(const QString &path, const StoredFormatLookup &formats = nullptr);

// The column names (lower case) the CSV header and the JSON keys may use for
// each field, for the README and the messages. Names are compared without
// case, blanks, "-", "_" and ".", with "ä" and "ae", "ö" and "oe", "ü" and
// "ue", "ß" and "ss" alike.
struct OrderColumn {
    const char *field;    // the canonical German name (UTF-8), e.g. "Auftrag"
    QStringList aliases;  // all names accepted
};
const std::vector<OrderColumn> &OrderColumns();
