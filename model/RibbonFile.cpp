#include "model/RibbonFile.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <algorithm>

#include "model/AtomicFile.h"
#include "model/Cp1252.h"
#include "model/PhraseFile.h"
#include "model/ProfileFile.h"

namespace {

enum class KeyKind { Text, Number, Style, Lines };

struct KnownKey {
    const char16_t *name;
    KeyKind kind;
};

// The sixteen keys of a stored format, then the ribbon's own texts.
constexpr KnownKey kKeys[] = {
    {u"Name", KeyKind::Text},
    {u"L\u00e4nge", KeyKind::Number},
    {u"Breite", KeyKind::Number},
    {u"Rand", KeyKind::Number},
    {u"FontName", KeyKind::Text},
    {u"FontGr\u00f6\u00dfe", KeyKind::Number},
    {u"FontFarbe", KeyKind::Number},
    {u"Stil", KeyKind::Style},
    {u"Flip", KeyKind::Number},
    {u"Shadow", KeyKind::Number},
    {u"BildNameLinks", KeyKind::Text},
    {u"BildBreiteLinks", KeyKind::Number},
    {u"BildAbstandLinks", KeyKind::Number},
    {u"BildNameRechts", KeyKind::Text},
    {u"BildBreiteRechts", KeyKind::Number},
    {u"BildAbstandRechts", KeyKind::Number},
    {u"TextLinks", KeyKind::Lines},
    {u"TextRechts", KeyKind::Lines},
    {u"Kommission", KeyKind::Text},
};

const QString kTextLinks = QStringLiteral("TextLinks");
const QString kTextRechts = QStringLiteral("TextRechts");
const QString kKommission = QStringLiteral("Kommission");
const QString kNotCp1252 = QStringLiteral("; die Datei muss Windows-1252-Text sein");

const KnownKey *findKey(const QString &name) {
    for (const KnownKey &key : kKeys) {
        if (name.compare(QString::fromUtf16(key.name), Qt::CaseInsensitive) == 0)
            return &key;
    }
    return nullptr;
}

// Whether a line with bytes above 0x7F is well-formed UTF-8 throughout: such
// a line is almost surely not Windows-1252 (an "ä" would read as "Ã¤").
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

// The reason a line's bytes are no Windows-1252 text, or an empty string.
QString encodingFault(const QByteArray &line) {
    for (const char ch : line) {
        const auto b = static_cast<unsigned char>(ch);
        if (b == 0)
            return QStringLiteral("NUL-Byte") + kNotCp1252;
        if (b == '\r')
            return QStringLiteral("CR ohne LF; Zeilen enden mit CR LF");
        if (b < 0x20 && b != '\t')
            return QStringLiteral("Steuerzeichen 0x%1").arg(hexByte(b)) + kNotCp1252;
        if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D)
            return QStringLiteral("Byte 0x%1 ist in Windows-1252 nicht belegt").arg(hexByte(b));
    }
    if (looksLikeUtf8(line))
        return QStringLiteral("Zeile ist UTF-8-kodiert") + kNotCp1252;
    return QString();
}

struct Section {
    QString name;
    int line = 0;
    qsizetype begin = 0;  // byte offsets of the section's lines in the file
    qsizetype end = 0;
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

QString RibbonFileError::text() const {
    if (line > 0)
        return QStringLiteral("%1:%2: %3").arg(fileName).arg(line).arg(message);
    return QStringLiteral("%1: %2").arg(fileName, message);
}

RibbonFileResult ReadRibbonFile(const QByteArray &bytes, const QString &fileName) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return failure(fileName, 1,
                       QStringLiteral("UTF-8-Kennung (BOM) am Dateianfang") + kNotCp1252);

    std::vector<Section> sections;
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
        const QByteArray raw = bytes.mid(start, textEnd - start);
        const qsizetype lineStart = start;
        start = next;

        const QString fault = encodingFault(raw);
        if (!fault.isEmpty())
            return failure(fileName, lineNo, fault);

        const QByteArray t = TrimProfileBlanks(raw);
        if (t.isEmpty() || t.startsWith(';'))
            continue;
        if (t.startsWith('[')) {
            const qsizetype close = t.indexOf(']');
            if (close < 0)
                return failure(fileName, lineNo, QStringLiteral("Abschnittskopf ohne \"]\""));
            if (close != t.size() - 1)
                return failure(fileName, lineNo, QStringLiteral("Text nach dem Abschnittskopf"));
            const QString name = Cp1252::decode(TrimProfileBlanks(t.mid(1, close - 1)));
            if (name.isEmpty())
                return failure(fileName, lineNo, QStringLiteral("Abschnitt ohne Namen"));
            const QString folded = name.toLower();
            if (sectionLines.contains(folded))
                return failure(fileName, lineNo,
                               QStringLiteral("Abschnitt \"%1\" gibt es schon in Zeile %2")
                                   .arg(name)
                                   .arg(sectionLines.value(folded)));
            sectionLines.insert(folded, lineNo);
            if (!sections.empty())
                sections.back().end = lineStart;
            sections.push_back(Section{name, lineNo, lineStart, bytes.size()});
            keyLines.clear();
            continue;
        }
        const qsizetype eq = t.indexOf('=');
        if (eq <= 0)
            return failure(
                fileName, lineNo,
                QStringLiteral("Zeile ist weder Abschnittskopf noch Schl\u00fcssel=Wert"));
        const QString keyName = Cp1252::decode(TrimProfileBlanks(t.left(eq)));
        const KnownKey *key = findKey(keyName);
        if (!key)
            return failure(fileName, lineNo,
                           QStringLiteral("Unbekannter Schl\u00fcssel \"%1\"").arg(keyName));
        if (sections.empty())
            return failure(fileName, lineNo,
                           QStringLiteral("Schl\u00fcssel \"%1\" steht vor dem ersten Abschnitt")
                               .arg(keyName));
        const QString foldedKey = keyName.toLower();
        if (keyLines.contains(foldedKey))
            return failure(
                fileName, lineNo,
                QStringLiteral(
                    "Schl\u00fcssel \"%1\" gibt es in diesem Abschnitt schon in Zeile %2")
                    .arg(keyName)
                    .arg(keyLines.value(foldedKey)));
        keyLines.insert(foldedKey, lineNo);

        // The value as the profile reading sees it: one pair of quotes goes.
        QByteArray v = TrimProfileBlanks(t.mid(eq + 1));
        if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
            v = v.mid(1, v.size() - 2);
        if (v.size() > ProfileFile::MaxValueLength)
            return failure(
                fileName, lineNo,
                QStringLiteral("Wert l\u00e4nger als %1 Zeichen").arg(ProfileFile::MaxValueLength));
        if (v.isEmpty() || (key->kind != KeyKind::Number && key->kind != KeyKind::Style))
            continue;
        std::int32_t number = 0;
        const QString value = Cp1252::decode(v);
        if (!ParseProfileInteger(value, &number))
            return failure(fileName, lineNo,
                           QStringLiteral("\"%1\" ist keine Zahl: \"%2\"").arg(keyName, value));
        if (key->kind == KeyKind::Style && (number < Align || number > UpSide))
            return failure(
                fileName, lineNo,
                QStringLiteral(
                    "Unbekannter Stil %1 (0 B\u00fcndig, 1 Zentriert, 2 Quer b\u00fcndig)")
                    .arg(number));
    }
    if (sections.empty())
        return failure(fileName, 0,
                       QStringLiteral("Keine Schleife: die Datei hat keinen Abschnitt"));

    RibbonFileResult result;
    for (const Section &section : sections) {
        // Each section is read on its own, by the same reading as a stored format.
        const ProfileFile profile(bytes.mid(section.begin, section.end - section.begin));
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
                           std::none_of(name.begin(), name.end(), [](QChar c) {
                               return c == QLatin1Char(']') || c.unicode() < 0x20;
                           });
        QByteArray encoded;
        if (plain && !taken.contains(name.toLower()) && Cp1252::encode(name, &encoded)) {
            names[i] = encoded;
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
    bool encoded = true;
    auto line = [&bytes, &encoded](const char16_t *key, const QString &value) {
        QByteArray k, v;
        encoded =
            Cp1252::encode(QString::fromUtf16(key), &k) && Cp1252::encode(value, &v) && encoded;
        bytes += k + '=' + quotedIfNeeded(v) + "\r\n";
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
    const RibbonFileResult check = ReadRibbonFile(bytes, QString());
    if (!encoded || (!jobs.empty() && !check.ok())) {
        if (error)
            *error = check.ok() ? QStringLiteral("Zeichen au\u00dferhalb von Windows-1252")
                                : check.error->message;
        return false;
    }
    *out = bytes;
    return true;
}

bool SaveRibbonFile(const QString &path, const std::vector<const TJob *> &jobs, QString *error) {
    QByteArray bytes;
    if (!RibbonFileBytes(jobs, &bytes, error))
        return false;
    return WriteFileAtomically(path, bytes, error);
}

RibbonFileResult LoadRibbonFile(const QString &path) {
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
    return ReadRibbonFile(bytes, path);
}
