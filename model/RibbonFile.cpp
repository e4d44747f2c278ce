#include "model/RibbonFile.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QStringDecoder>
#include <algorithm>

#include "model/AtomicFile.h"
#include "model/Cp1252.h"
#include "model/PhraseFile.h"
#include "model/ProfileFile.h"
#include "model/UnicodeText.h"

namespace {

enum class KeyKind { Text, Number, Style, Lines };

// The longest values the writer makes: a text field's capacity, a text of
// lines as long as a value may be, each in the quotes that blanks at its ends
// call for; a 32-bit number with its sign; a colour as "$" and 8 digits.
constexpr int kLongestText50 = decltype(TJob::Name)::Capacity + 2;
constexpr int kLongestText255 = decltype(TJob::Kommission)::Capacity + 2;
constexpr int kLongestLines = ProfileFile::MaxValueLength + 2;
constexpr int kLongestNumber = 11;
constexpr int kLongestColour = 9;

struct KnownKey {
    const char16_t *name;
    KeyKind kind;
    int longestWritten;
};

// The sixteen keys of a stored format, then the ribbon's own texts.
constexpr KnownKey kKeys[] = {
    {u"Name", KeyKind::Text, kLongestText50},
    {u"L\u00e4nge", KeyKind::Number, kLongestNumber},
    {u"Breite", KeyKind::Number, kLongestNumber},
    {u"Rand", KeyKind::Number, kLongestNumber},
    {u"FontName", KeyKind::Text, kLongestText50},
    {u"FontGr\u00f6\u00dfe", KeyKind::Number, kLongestNumber},
    {u"FontFarbe", KeyKind::Number, kLongestColour},
    {u"Stil", KeyKind::Style, kLongestNumber},
    {u"Flip", KeyKind::Number, 1},
    {u"Shadow", KeyKind::Number, 1},
    {u"BildNameLinks", KeyKind::Text, kLongestText255},
    {u"BildBreiteLinks", KeyKind::Number, kLongestNumber},
    {u"BildAbstandLinks", KeyKind::Number, kLongestNumber},
    {u"BildNameRechts", KeyKind::Text, kLongestText255},
    {u"BildBreiteRechts", KeyKind::Number, kLongestNumber},
    {u"BildAbstandRechts", KeyKind::Number, kLongestNumber},
    {u"TextLinks", KeyKind::Lines, kLongestLines},
    {u"TextRechts", KeyKind::Lines, kLongestLines},
    {u"Kommission", KeyKind::Text, kLongestText255},
};

constexpr int digitsOf(int n) {
    int digits = 1;
    while (n >= 10) {
        n /= 10;
        ++digits;
    }
    return digits;
}

// The longest section the writer makes: the blank line before it, its header
// "[Schleife<n>]" and every key's line ending in CR LF, each value at its
// capacity in letters of one byte (the writer refuses a list that, with
// letters of several bytes, comes out larger), the key names in UTF-8.
constexpr qint64 utf8Length(const char16_t *text) {
    qint64 bytes = 0;
    for (; *text; ++text)
        bytes += *text < 0x80 ? 1 : *text < 0x800 ? 2 : 3;
    return bytes;
}

constexpr qint64 longestWrittenSection() {
    qint64 bytes = 2 + 9 + digitsOf(MaxRibbons) + 3;
    for (const KnownKey &key : kKeys)
        bytes += utf8Length(key.name) + 1 + key.longestWritten + 2;
    return bytes;
}

const QString kTextLinks = QStringLiteral("TextLinks");
const QString kTextRechts = QStringLiteral("TextRechts");
const QString kKommission = QStringLiteral("Kommission");
const QString kNotText = QStringLiteral("; die Datei muss UTF-8- oder Windows-1252-Text sein");
const QByteArray kBom("\xEF\xBB\xBF");

const KnownKey *findKey(const QString &name) {
    for (const KnownKey &key : kKeys) {
        if (name.compare(QString::fromUtf16(key.name), Qt::CaseInsensitive) == 0)
            return &key;
    }
    return nullptr;
}

// Whether bytes with some above 0x7F are well-formed UTF-8 throughout: such
// text is almost surely not Windows-1252 (an "ä" would read as "Ã¤").
bool looksLikeUtf8(const QByteArray &line) {
    bool multiByte = false;
    for (qsizetype i = 0; i < line.size();) {
        const auto b = static_cast<unsigned char>(line[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        int follow = 0;
        if (b >= 0xC2 && b <= 0xDF)
            follow = 1;
        else if (b >= 0xE0 && b <= 0xEF)
            follow = 2;
        else if (b >= 0xF0 && b <= 0xF4)
            follow = 3;
        else
            return false;
        if (i + follow >= line.size())
            return false;
        for (int k = 1; k <= follow; ++k) {
            const auto c = static_cast<unsigned char>(line[i + k]);
            if ((c & 0xC0) != 0x80)
                return false;
        }
        multiByte = true;
        i += follow + 1;
    }
    return multiByte;
}

QString hexByte(unsigned char b) {
    return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}

bool isLetterByte(unsigned char b) {
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
           (b >= 0xC0 && b != 0xD7 && b != 0xF7);
}

// Bytes that are signs in Windows-1252 but letters in ISO 8859-2 (Latin-2:
// "£ucja" is "Łucja", "D±browska" is "Dąbrowska"). Inside a word such a
// sign is no Windows-1252 text.
bool latin2Letter(unsigned char b) {
    switch (b) {
        case 0xA1:
        case 0xA3:
        case 0xA5:
        case 0xA6:
        case 0xA9:
        case 0xAA:
        case 0xAB:
        case 0xAC:
        case 0xAE:
        case 0xAF:
        case 0xB1:
        case 0xB3:
        case 0xB6:
        case 0xB9:
        case 0xBA:
        case 0xBB:
        case 0xBC:
        case 0xBE:
        case 0xBF:
            return true;
        default:
            return false;
    }
}

bool looksLikeLatin2(const QByteArray &line) {
    for (qsizetype i = 0; i + 1 < line.size(); ++i) {
        const auto b = static_cast<unsigned char>(line[i]);
        if (!latin2Letter(b))
            continue;
        const auto next = static_cast<unsigned char>(line[i + 1]);
        const bool letterBefore = i > 0 && isLetterByte(static_cast<unsigned char>(line[i - 1]));
        if (isLetterByte(next) && (letterBefore || (next >= 'a' && next <= 'z')))
            return true;
    }
    return false;
}

// Whether the bytes are well-formed UTF-8 (pure ASCII included).
bool validUtf8(const QByteArray &bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

enum class FileText { Utf8, Windows1252 };

// The reason a line's bytes are no text of the file's encoding, or an empty string.
QString encodingFault(const QByteArray &line, FileText encoding) {
    for (const char ch : line) {
        const auto b = static_cast<unsigned char>(ch);
        if (b == 0)
            return QStringLiteral("NUL-Byte") + kNotText;
        if (b == '\r')
            return QStringLiteral("CR ohne LF; Zeilen enden mit CR LF");
        if ((b < 0x20 && b != '\t') || b == 0x7F)
            return QStringLiteral("Steuerzeichen 0x%1").arg(hexByte(b)) + kNotText;
        if (encoding == FileText::Windows1252 &&
            (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D))
            return QStringLiteral("Byte 0x%1 ist in Windows-1252 nicht belegt").arg(hexByte(b));
    }
    if (encoding == FileText::Utf8) {
        // Control characters of the C1 block, separators and noncharacters
        // have no place in a ribbon's text either.
        if (!validUtf8(line))
            return QStringLiteral("Zeile ist nicht UTF-8-kodiert, die Datei sonst schon") +
                   kNotText;
        const QString text = UnicodeText::FromUtf8(line);
        const qsizetype at = UnicodeText::firstRefused(text);
        if (at >= 0)
            return QStringLiteral("Steuerzeichen U+%1")
                       .arg(QString::number(text.at(at).unicode(), 16)
                                .toUpper()
                                .rightJustified(4, QLatin1Char('0'))) +
                   kNotText;
        return QString();
    }
    if (looksLikeUtf8(line))
        return QStringLiteral("Zeile ist UTF-8-kodiert, die Datei sonst nicht") + kNotText;
    if (looksLikeLatin2(line))
        return QStringLiteral("Zeile ist vermutlich Latin-2-kodiert") + kNotText;
    return QString();
}

QString decoded(const QByteArray &bytes, FileText encoding) {
    return encoding == FileText::Utf8 ? UnicodeText::FromUtf8(bytes) : Cp1252::decode(bytes);
}

struct Section {
    QString name;
    int line = 0;
    qsizetype begin = 0;  // byte offsets of the section's lines in the file
    qsizetype end = 0;
    bool readable = true;  // no fault in its lines
};

RibbonFileResult failure(const QString &fileName, int line, const QString &message) {
    RibbonFileResult result;
    result.error = RibbonFileError{fileName, line, message};
    return result;
}

QStringList textLines(const QString &phrase) {
    if (phrase.isEmpty())
        return {};
    return DecodePhrase(phrase).split(QLatin1Char('\n'));
}

}  // namespace

const qint64 MaxRibbonFileSize = MaxRibbons * longestWrittenSection();

ProfileEncoding RibbonFileEncoding(const QByteArray &bytes) {
    return bytes.startsWith(kBom) || validUtf8(bytes) ? ProfileEncoding::Utf8
                                                      : ProfileEncoding::Windows1252;
}

QString RibbonFileLineFault(const QByteArray &line, ProfileEncoding encoding) {
    return encodingFault(
        line, encoding == ProfileEncoding::Utf8 ? FileText::Utf8 : FileText::Windows1252);
}

QString RibbonFileError::text() const {
    if (line > 0)
        return QStringLiteral("%1:%2: %3").arg(fileName).arg(line).arg(message);
    return QStringLiteral("%1: %2").arg(fileName, message);
}

RibbonFileResult ReadRibbonFile(const QByteArray &bytes, const QString &fileName,
                                RibbonReading reading) {
    const bool strict = reading == RibbonReading::Strict;
    // The encoding is the file's, never a line's: a file that is UTF-8
    // throughout (or says so with a byte order mark) is UTF-8, any other is
    // Windows-1252, and a line that does not fit the file's is a fault.
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return failure(fileName, 0, QStringLiteral("Datei ist UTF-16-kodiert") + kNotText);
    const bool bom = bytes.startsWith(kBom);
    const FileText encoding =
        RibbonFileEncoding(bytes) == ProfileEncoding::Utf8 ? FileText::Utf8 : FileText::Windows1252;
    std::optional<RibbonFileError> firstFault;
    std::vector<Section> sections;
    // Notes a fault; it spoils the section it is in. Returns whether the
    // reading stops here.
    auto fault = [&](int line, const QString &message) {
        if (!firstFault)
            firstFault = RibbonFileError{fileName, line, message};
        if (!sections.empty())
            sections.back().readable = false;
        return strict;
    };
    // A header, even a faulty one, ends the section before it: a broken
    // header's keys must not go to the ribbon above.
    auto startSection = [&](const QString &name, int line, qsizetype at) {
        if (!sections.empty())
            sections.back().end = at;
        sections.push_back(Section{name, line, at, bytes.size()});
    };

    QHash<QString, int> sectionLines;  // lower-case name -> header line
    QHash<QString, int> keyLines;      // lower-case key -> line, in the current section
    int lineNo = 0;
    for (qsizetype start = 0; start < bytes.size();) {
        ++lineNo;
        qsizetype nl = bytes.indexOf('\n', start);
        const qsizetype next = nl < 0 ? bytes.size() : nl + 1;
        qsizetype textEnd = nl < 0 ? bytes.size() : nl;
        if (nl >= 0 && textEnd > start && bytes[textEnd - 1] == '\r')
            --textEnd;
        const qsizetype skip = lineNo == 1 && bom ? kBom.size() : 0;
        const QByteArray raw = bytes.mid(start + skip, textEnd - start - skip);
        const qsizetype lineStart = start;
        start = next;

        const QByteArray t = TrimProfileBlanks(raw);
        const bool header = t.startsWith('[');
        QString problem = encodingFault(raw, encoding);
        if (!problem.isEmpty()) {
            if (header) {
                startSection(QString(), lineNo, lineStart);
                keyLines.clear();
            }
            if (fault(lineNo, problem))
                break;
            continue;
        }

        if (t.isEmpty() || t.startsWith(';'))
            continue;
        if (header) {
            const qsizetype close = t.indexOf(']');
            const QString name =
                close < 0 ? QString() : decoded(TrimProfileBlanks(t.mid(1, close - 1)), encoding);
            const QString folded = name.toLower();
            startSection(name, lineNo, lineStart);
            keyLines.clear();
            if (close < 0)
                problem = QStringLiteral("Abschnittskopf ohne \"]\"");
            else if (close != t.size() - 1)
                problem = QStringLiteral("Text nach dem Abschnittskopf");
            else if (name.isEmpty())
                problem = QStringLiteral("Abschnitt ohne Namen");
            else if (sectionLines.contains(folded))
                problem = QStringLiteral("Abschnitt \"%1\" gibt es schon in Zeile %2")
                              .arg(name)
                              .arg(sectionLines.value(folded));
            else
                sectionLines.insert(folded, lineNo);
            if (!problem.isEmpty() && fault(lineNo, problem))
                break;
            continue;
        }
        const qsizetype eq = t.indexOf('=');
        if (eq <= 0) {
            if (fault(lineNo,
                      QStringLiteral("Zeile ist weder Abschnittskopf noch Schl\u00fcssel=Wert")))
                break;
            continue;
        }
        const QString keyName = decoded(TrimProfileBlanks(t.left(eq)), encoding);
        const KnownKey *key = findKey(keyName);
        if (!key) {
            if (fault(lineNo, QStringLiteral("Unbekannter Schl\u00fcssel \"%1\"").arg(keyName)))
                break;
            continue;
        }
        if (sections.empty()) {
            if (fault(lineNo, QStringLiteral("Schl\u00fcssel \"%1\" steht vor dem ersten Abschnitt")
                                  .arg(keyName)))
                break;
            continue;
        }
        const QString foldedKey = keyName.toLower();
        if (keyLines.contains(foldedKey)) {
            if (fault(lineNo,
                      QStringLiteral(
                          "Schl\u00fcssel \"%1\" gibt es in diesem Abschnitt schon in Zeile %2")
                          .arg(keyName)
                          .arg(keyLines.value(foldedKey))))
                break;
            continue;
        }
        keyLines.insert(foldedKey, lineNo);

        // The value as the profile reading sees it: one pair of quotes goes.
        QByteArray v = TrimProfileBlanks(t.mid(eq + 1));
        if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
            v = v.mid(1, v.size() - 2);
        const qsizetype length =
            encoding == FileText::Utf8 ? UnicodeText::FromUtf8(v).size() : v.size();
        if (length > ProfileFile::MaxValueLength) {
            if (fault(lineNo, QStringLiteral("Wert l\u00e4nger als %1 Zeichen")
                                  .arg(ProfileFile::MaxValueLength)))
                break;
            continue;
        }
        if (v.isEmpty() || (key->kind != KeyKind::Number && key->kind != KeyKind::Style))
            continue;
        std::int32_t number = 0;
        const QString value = decoded(v, encoding);
        if (!ParseProfileInteger(value, &number)) {
            if (fault(lineNo, QStringLiteral("\"%1\" ist keine Zahl: \"%2\"").arg(keyName, value)))
                break;
            continue;
        }
        if (key->kind == KeyKind::Style && (number < Align || number > UpSide)) {
            if (fault(lineNo,
                      QStringLiteral(
                          "Unbekannter Stil %1 (0 B\u00fcndig, 1 Zentriert, 2 Quer b\u00fcndig)")
                          .arg(number)))
                break;
            continue;
        }
    }
    if (strict && firstFault) {
        RibbonFileResult refused;
        refused.error = firstFault;
        return refused;
    }
    if (sections.empty())
        return failure(fileName, 0,
                       QStringLiteral("Keine Schleife: die Datei hat keinen Abschnitt"));
    if (sections.size() > std::size_t(MaxRibbons)) {
        const RibbonFileError tooMany{
            fileName, sections[MaxRibbons].line,
            QStringLiteral("Mehr als %1 Schleifen; so viele nimmt Vellumo nicht auf")
                .arg(MaxRibbons)};
        if (strict)
            return failure(tooMany.fileName, tooMany.line, tooMany.message);
        if (!firstFault || firstFault->line > tooMany.line)
            firstFault = tooMany;
    }

    RibbonFileResult result;
    result.error = firstFault;
    for (std::size_t s = 0; s < sections.size(); ++s) {
        const Section &section = sections[s];
        if (!section.readable || s >= std::size_t(MaxRibbons)) {
            ++result.unreadable;
            continue;
        }
        // Each section is read on its own, by the same reading as a stored format.
        const ProfileFile profile(
            bytes.mid(section.begin, section.end - section.begin),
            encoding == FileText::Utf8 ? ProfileEncoding::Utf8 : ProfileEncoding::Windows1252);
        auto job = std::make_unique<TJob>();
        job->LoadFromSection(profile, section.name);
        QString value;
        if (profile.value(section.name, kTextLinks, &value))
            job->TextLeft.set(textLines(value));
        if (profile.value(section.name, kTextRechts, &value))
            job->TextRight.set(textLines(value));
        if (profile.value(section.name, kKommission, &value))
            job->Kommission.set(value);
        job->Section = section.name;
        result.ribbons.push_back(RibbonEntry{section.name, section.line, std::move(job)});
    }
    return result;
}

namespace {

QByteArray quotedIfNeeded(const QByteArray &value) {
    if (value.isEmpty())
        return value;
    auto edge = [](char c) { return c == ' ' || c == '\t' || c == '"' || c == '\''; };
    return edge(value.front()) || edge(value.back()) ? '"' + value + '"' : value;
}

// Each ribbon's section: the name it was read under, where that can be
// written and is not taken by an earlier ribbon; otherwise "Schleife<n>" by
// its place in the list (with a suffix should that name be taken).
std::vector<QByteArray> sectionNames(const std::vector<const TJob *> &jobs) {
    std::vector<QByteArray> names(jobs.size());
    QSet<QString> taken;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        const QString &name = jobs[i]->Section;
        const bool plain = !name.isEmpty() && name == name.trimmed() &&
                           !name.contains(QLatin1Char(']')) && UnicodeText::acceptable(name);
        if (plain && !taken.contains(name.toLower())) {
            names[i] = name.toUtf8();
            taken.insert(name.toLower());
        }
    }
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        if (!names[i].isEmpty())
            continue;
        QString name = QStringLiteral("Schleife%1").arg(i + 1);
        for (int k = 2; taken.contains(name.toLower()); ++k)
            name = QStringLiteral("Schleife%1-%2").arg(i + 1).arg(k);
        taken.insert(name.toLower());
        names[i] = name.toLatin1();
    }
    return names;
}

}  // namespace

bool RibbonFileBytes(const std::vector<const TJob *> &jobs, QByteArray *out, QString *error) {
    QByteArray bytes;
    auto line = [&bytes](const char16_t *key, const QString &value) {
        bytes += QString::fromUtf16(key).toUtf8() + '=' + quotedIfNeeded(value.toUtf8()) + "\r\n";
    };
    auto number = [](std::int64_t v) { return QString::number(v); };
    const std::vector<QByteArray> sections = sectionNames(jobs);
    for (std::size_t n = 0; n < jobs.size(); ++n) {
        const TJob *job = jobs[n];
        if (n > 0)
            bytes += "\r\n";
        bytes += '[' + sections[n] + "]\r\n";
        line(kKeys[0].name, job->Name);
        line(kKeys[1].name, number(job->Laenge));
        line(kKeys[2].name, number(job->Breite));
        line(kKeys[3].name, number(job->Rand));
        line(kKeys[4].name, job->FontName);
        line(kKeys[5].name, number(job->FontGroesse));
        line(kKeys[6].name,
             QLatin1Char('$') +
                 QStringLiteral("%1").arg(job->FontFarbe, 8, 16, QLatin1Char('0')).toUpper());
        line(kKeys[7].name, number(job->Stil));
        line(kKeys[8].name, number(job->Flip ? 1 : 0));
        line(kKeys[9].name, number(job->Shadow ? 1 : 0));
        line(kKeys[10].name, job->BildNameLinks);
        line(kKeys[11].name, number(job->BildBreiteLinks));
        line(kKeys[12].name, number(job->BildAbstandLinks));
        line(kKeys[13].name, job->BildNameRechts);
        line(kKeys[14].name, number(job->BildBreiteRechts));
        line(kKeys[15].name, number(job->BildAbstandRechts));
        line(kKeys[16].name, EncodePhrase(job->TextLeft.lines().join(QLatin1Char('\n'))));
        line(kKeys[17].name, EncodePhrase(job->TextRight.lines().join(QLatin1Char('\n'))));
        line(kKeys[18].name, job->Kommission);
    }
    // What the reader would refuse is not written: a ribbon file that cannot
    // be read back is no copy of the list.
    // Nor is a list larger than the reader takes (a list near the most
    // ribbons with long texts in a script of several bytes per letter).
    if (bytes.size() > MaxRibbonFileSize) {
        if (error)
            *error = QStringLiteral(
                         "Die Schleifen ergeben mehr als %1 MB; so viel nimmt "
                         "eine Schleifendatei nicht auf")
                         .arg(MaxRibbonFileSize / (1024 * 1024));
        return false;
    }
    const RibbonFileResult check = ReadRibbonFile(bytes, QString());
    if (!jobs.empty() && !check.ok()) {
        if (error)
            *error = check.error->message;
        return false;
    }
    *out = bytes;
    return true;
}

bool SaveRibbonFile(const QString &path, const std::vector<const TJob *> &jobs, QString *error,
                    FileLinks links) {
    QByteArray bytes;
    if (!RibbonFileBytes(jobs, &bytes, error))
        return false;
    return WriteFileAtomically(path, bytes, error, nullptr, links);
}

RibbonFileResult LoadRibbonFile(const QString &path, RibbonReading reading) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(
            path, 0, QStringLiteral("Datei kann nicht gelesen werden: %1").arg(file.errorString()));
    if (file.size() > MaxRibbonFileSize)
        return failure(path, 0,
                       QStringLiteral("Datei ist gr\u00f6\u00dfer als %1 MB")
                           .arg(MaxRibbonFileSize / (1024 * 1024)));
    const QByteArray bytes = file.read(MaxRibbonFileSize + 1);
    if (bytes.size() > MaxRibbonFileSize)
        return failure(path, 0,
                       QStringLiteral("Datei ist gr\u00f6\u00dfer als %1 MB")
                           .arg(MaxRibbonFileSize / (1024 * 1024)));
    if (file.error() != QFileDevice::NoError)
        return failure(
            path, 0, QStringLiteral("Datei kann nicht gelesen werden: %1").arg(file.errorString()));
    return ReadRibbonFile(bytes, path, reading);
}
