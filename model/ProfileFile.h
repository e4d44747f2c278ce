#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>
#include <cstdint>
#include <vector>

// An INI file of the private-profile kind held as its lines, so that writing
// one key changes that key's line and keeps every other byte of the file:
// foreign sections, comments, odd spacing and line ends alike.
//
// Reading rules: sections and keys are compared without regard to case;
// blanks (space, tab) around keys and values are not part of them; one pair
// of single or double quotes around a whole value is removed; a value is read
// as at most MaxValueLength characters; the first matching section and key win.
// A UTF-8 byte order mark before the first line is read past and kept.
//
// Line ends: a file that ends its lines with LF alone gets LF on the lines the
// program adds, one with CR LF (or a new file) gets CR LF; a file that mixes
// both is written with CR LF throughout once anything in it changes, so no
// write leaves a mixed file.
class ProfileFile {
public:
    static constexpr int MaxValueLength = 2047;

    ProfileFile() = default;
    explicit ProfileFile(const QByteArray &bytes) { parse(bytes); }

    void parse(const QByteArray &bytes);
    QByteArray toBytes() const;

    // The value as text, or false when the section or the key is missing.
    bool value(const QString &section, const QString &key, QString *out) const;

    // Replaces the key's line in place, or adds the key at the end of its
    // section, or adds the section at the end of the file. Refuses (returns
    // false, nothing changed) text that Windows-1252 cannot hold and line
    // breaks or NUL characters, which would break the file's structure.
    bool setValue(const QString &section, const QString &key, const QString &value);

    // Removes every section of one of these names (without regard to case)
    // with all its lines. Returns whether any was there.
    bool removeSections(const QStringList &sections);

    bool hasSection(const QString &section) const { return findSection(section) >= 0; }
    // Every section header's name, in file order.
    QStringList sectionNames() const;

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        QByteArray text;  // without its line end
        QByteArray eol;   // "\r\n", "\n" or empty for a last line without one
        Kind kind = Kind::Other;
        QString name;  // section or key name
    };
    // The lines before the first section header, then one block per section
    // header with the lines up to the next one. Sections are found through a
    // hash of their names and keys within their own block, so that a file of
    // thousands of sections is read and written in linear time.
    struct Block {
        QVector<Line> lines;  // lines[0] is the header, except in the first block
    };

    static Line classify(QByteArray text, QByteArray eol);
    static bool OpenEnded(const Line &line);
    static QString valueOf(const Line &key);
    static QString folded(const QString &name);
    qsizetype findSection(const QString &section) const;  // block index or -1
    Line *lastLine();

    std::vector<Block> blocks_{Block()};
    QByteArray newEol_{"\r\n"};           // for the lines the program adds
    bool mixedEol_ = false;               // the file as read mixed LF and CR LF
    bool changed_ = false;                // a mixed file is made one style when it changes
    QHash<QString, qsizetype> sections_;  // folded name -> block of its first header
};

// The bytes without the blanks and tabs at either end, as the settings file
// reads section names, keys and values.
QByteArray TrimProfileBlanks(const QByteArray &s);

// Integer reading of the settings file: "0x"/"0X" with at least three
// characters is taken as "$"; then optional leading blanks, optional sign,
// decimal digits, or hexadecimal after "$" (at most 8 significant digits,
// values above 0x7FFFFFFF wrap to negative). Anything else is refused.
bool ParseProfileInteger(const QString &text, std::int32_t *out);
