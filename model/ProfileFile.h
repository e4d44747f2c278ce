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
// Encoding: RIBOLANT.INI is Windows-1252, as the Windows version reads and
// writes it. A value that code page cannot hold is written as its
// approximation (see Approximation), which is what the Windows version shows,
// with the exact text in a companion key "<key>.Unicode" right after it:
//   Name=Lucja Dabrowska
//   Name.Unicode=0A1B2C3D %C5%81ucja D%C4%85browska
// The companion holds the fingerprint of the value as read, a blank, and the
// exact text as UTF-8 with every byte outside printable ASCII, "%" and a
// blank at its end written as "%" and two hexadecimal digits. Reading takes
// the exact text only while the value still has that fingerprint: a value the
// Windows version has changed since wins. Writing a value that fits the code
// page removes its companion. Ribbon files are UTF-8 and need none of this.
//
// Line ends: a file that ends its lines with LF alone gets LF on the lines the
// program adds, one with CR LF (or a new file) gets CR LF; a file that mixes
// both is written with CR LF throughout once anything in it changes, so no
// write leaves a mixed file.
enum class ProfileEncoding { Windows1252, Utf8 };

class ProfileFile {
public:
    static constexpr int MaxValueLength = 2047;

    ProfileFile() = default;
    explicit ProfileFile(const QByteArray &bytes,
                         ProfileEncoding encoding = ProfileEncoding::Windows1252)
        : encoding_(encoding) {
        parse(bytes);
    }

    void parse(const QByteArray &bytes);
    QByteArray toBytes() const;

    // The value as text, or false when the section or the key is missing.
    bool value(const QString &section, const QString &key, QString *out) const;

    // Replaces the key's line in place, or adds the key at the end of its
    // section, or adds the section at the end of the file. Refuses (returns
    // false, nothing changed) line breaks and NUL characters, which would
    // break the file's structure, and section and key names the encoding
    // cannot hold. A value Windows-1252 cannot hold gets a companion (see
    // above); its approximation is cut to `approximationLimit` characters
    // when one is given: the capacity the Windows version cuts the value to,
    // so that its writing back an unchanged value keeps the exact text.
    bool setValue(const QString &section, const QString &key, const QString &value,
                  qsizetype approximationLimit = -1);

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

    Line classify(QByteArray text, QByteArray eol) const;
    static bool OpenEnded(const Line &line);
    static QByteArray rawValueOf(const Line &key);
    QString valueOf(const Line &key) const;
    QString decoded(const QByteArray &bytes) const;
    bool encoded(const QString &text, QByteArray *out) const;
    bool exactValue(const QVector<Line> &lines, const Line &key, QString *out) const;
    static QString folded(const QString &name);
    qsizetype findSection(const QString &section) const;  // block index or -1
    Line *lastLine();

    ProfileEncoding encoding_ = ProfileEncoding::Windows1252;
    std::vector<Block> blocks_{Block()};
    QByteArray newEol_{"\r\n"};           // for the lines the program adds
    bool mixedEol_ = false;               // the file as read mixed LF and CR LF
    bool changed_ = false;                // a mixed file is made one style when it changes
    bool companions_ = false;             // some key is a "<key>.Unicode" (never in UTF-8)
    QHash<QString, qsizetype> sections_;  // folded name -> block of its first header
};

// A value as one reading gives it back: blanks and tabs at either end go,
// then one pair of single or double quotes around all of it.
QString ProfileValueAsRead(const QString &value);

// The bytes without the blanks and tabs at either end, as the settings file
// reads section names, keys and values.
QByteArray TrimProfileBlanks(const QByteArray &s);

// Integer reading of the settings file: "0x"/"0X" with at least three
// characters is taken as "$"; then optional leading blanks, optional sign,
// decimal digits, or hexadecimal after "$" (at most 8 significant digits,
// values above 0x7FFFFFFF wrap to negative). Anything else is refused.
bool ParseProfileInteger(const QString &text, std::int32_t *out);
