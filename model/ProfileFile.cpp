#include "model/ProfileFile.h"

#include <QSet>
#include <algorithm>

#include "model/Approximation.h"
#include "model/Cp1252.h"
#include "model/UnicodeText.h"

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool sameName(const QString &a, const QString &b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Line ends share these, so a file of a million lines holds no copy of each.
const QByteArray kCrLf("\r\n");
const QByteArray kLf("\n");
const QByteArray kBom("\xEF\xBB\xBF");
const QString kCompanion = QStringLiteral(".Unicode");

QByteArray companionText(const QByteArray &fingerprint, const QString &exact) {
    const QByteArray utf8 = exact.toUtf8();
    QByteArray out = fingerprint + ' ';
    static const char hex[] = "0123456789ABCDEF";
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        const bool last = i == utf8.size() - 1;
        if (b > 0x20 && b < 0x7F && b != '%')
            out += char(b);
        else if (b == ' ' && !last)
            out += ' ';
        else
            out += '%' + QByteArray(1, hex[b >> 4]) + hex[b & 15];
    }
    return out;
}

}  // namespace

QString ProfileFile::decoded(const QByteArray &bytes) const {
    return encoding_ == ProfileEncoding::Utf8 ? UnicodeText::FromUtf8(bytes)
                                              : Cp1252::decode(bytes);
}

bool ProfileFile::encoded(const QString &text, QByteArray *out) const {
    if (encoding_ == ProfileEncoding::Utf8) {
        *out = text.toUtf8();
        return true;
    }
    return Cp1252::encode(text, out);
}

ProfileFile::Line ProfileFile::classify(QByteArray text, QByteArray eol) const {
    Line line;
    line.text = std::move(text);
    line.eol = std::move(eol);
    const QByteArray t = TrimProfileBlanks(line.text);
    if (t.startsWith('[')) {
        line.kind = Kind::Section;
        qsizetype close = t.indexOf(']');
        if (close < 0)
            close = t.size();
        line.name = decoded(TrimProfileBlanks(t.mid(1, close - 1)));
        return line;
    }
    const qsizetype eq = t.indexOf('=');
    if (eq > 0 && !t.startsWith(';')) {
        line.kind = Kind::Key;
        line.name = decoded(TrimProfileBlanks(t.left(eq)));
    }
    return line;
}

QByteArray ProfileFile::rawValueOf(const Line &line) {
    // Taken from the line when asked for, not kept beside it: a large file
    // would otherwise be held twice.
    const QByteArray t = TrimProfileBlanks(line.text);
    QByteArray v = TrimProfileBlanks(t.mid(t.indexOf('=') + 1));
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
        v = v.mid(1, v.size() - 2);
    return v;
}

QString ProfileFile::valueOf(const Line &line) const {
    // A NUL ends the value, as the Windows version reads it: "For\0mat 1" is
    // "For" there, and must not become an empty name here.
    QByteArray raw = rawValueOf(line);
    if (const qsizetype nul = raw.indexOf('\0'); nul >= 0)
        raw.truncate(nul);
    if (encoding_ == ProfileEncoding::Utf8)
        return UnicodeText::firstLetters(UnicodeText::FromUtf8(raw), MaxValueLength);
    return Cp1252::decode(raw.left(MaxValueLength));
}

// The exact text of a key from its companion, when the companion belongs to
// the value the key holds now.
bool ProfileFile::exactValue(const QVector<Line> &lines, const Line &key, QString *out) const {
    const QString companion = key.name + kCompanion;
    for (const Line &line : lines) {
        if (line.kind != Kind::Key || !sameName(line.name, companion))
            continue;
        const QByteArray text = rawValueOf(line);
        if (text.size() < 9 || text[8] != ' ' ||
            text.left(8) != Approximation::fingerprint(rawValueOf(key)))
            return false;
        const QByteArray utf8 = QByteArray::fromPercentEncoding(text.mid(9));
        bool valid = false;
        const QString exact = UnicodeText::FromUtf8(utf8, &valid);
        if (!valid || !UnicodeText::acceptable(exact))
            return false;
        *out = UnicodeText::firstLetters(exact, MaxValueLength);
        return true;
    }
    return false;
}

QString ProfileFile::folded(const QString &name) {
    // Letter by letter, as the case-blind comparison of names folds them.
    QString out = name;
    for (QChar &c : out)
        c = c.toCaseFolded();
    return out;
}

// A line that something can only follow once its line end is complete: the
// last line of a file without one, or with CRs alone.
bool ProfileFile::OpenEnded(const Line &line) {
    return !line.eol.endsWith('\n');
}

void ProfileFile::parse(const QByteArray &bytes) {
    blocks_.assign(1, Block());
    sections_.clear();
    qsizetype crLfEnds = 0, lfEnds = 0;
    companions_ = false;
    auto add = [this](Line line) {
        if (line.kind == Kind::Key && line.name.endsWith(kCompanion, Qt::CaseInsensitive))
            companions_ = true;
        if (line.kind == Kind::Section) {
            const QString name = folded(line.name);
            if (!sections_.contains(name))  // the first section of a name wins
                sections_.insert(name, qsizetype(blocks_.size()));
            blocks_.push_back(Block());
        }
        blocks_.back().lines.append(std::move(line));
    };
    // A byte order mark (an editor saving as UTF-8) is no part of the first
    // line's name: "[Format]" behind it is still the section "Format".
    const bool bom = bytes.startsWith(kBom);
    qsizetype start = bom ? kBom.size() : 0;
    bool first = true;
    while (start < bytes.size()) {
        qsizetype nl = bytes.indexOf('\n', start);
        Line line;
        if (nl < 0) {
            // A file cut between CR and LF: the CRs at its very end are the
            // start of a line end, no part of the line (and are completed when
            // a line follows; a CR kept in the text would join that LF).
            const QByteArray rest = bytes.mid(start);
            qsizetype textEnd = rest.size();
            while (textEnd > 0 && rest[textEnd - 1] == '\r')
                --textEnd;
            line = classify(rest.left(textEnd), rest.mid(textEnd));
        } else {
            qsizetype textEnd = nl;
            if (textEnd > start && bytes[textEnd - 1] == '\r')
                --textEnd;
            const bool crLf = textEnd < nl;
            (crLf ? crLfEnds : lfEnds) += 1;
            line = classify(bytes.mid(start, textEnd - start), crLf ? kCrLf : kLf);
        }
        if (first && bom)
            line.text.prepend(kBom);
        first = false;
        add(std::move(line));
        if (nl < 0)
            break;
        start = nl + 1;
    }
    if (bom && first)
        add(classify(kBom, QByteArray()));
    newEol_ = lfEnds > 0 && crLfEnds == 0 ? kLf : kCrLf;
    mixedEol_ = lfEnds > 0 && crLfEnds > 0;
    changed_ = false;
}

QByteArray ProfileFile::toBytes() const {
    QByteArray out;
    for (const Block &block : blocks_) {
        for (const Line &line : block.lines) {
            out += line.text;
            out += mixedEol_ && changed_ && !line.eol.isEmpty() ? kCrLf : line.eol;
        }
    }
    return out;
}

QStringList ProfileFile::sectionNames() const {
    QStringList names;
    for (std::size_t b = 1; b < blocks_.size(); ++b)
        names.append(blocks_[b].lines.front().name);
    return names;
}

qsizetype ProfileFile::findSection(const QString &section) const {
    return sections_.value(folded(section), -1);
}

ProfileFile::Line *ProfileFile::lastLine() {
    for (auto block = blocks_.rbegin(); block != blocks_.rend(); ++block) {
        if (!block->lines.isEmpty())
            return &block->lines.back();
    }
    return nullptr;
}

bool ProfileFile::value(const QString &section, const QString &key, QString *out) const {
    const qsizetype b = findSection(section);
    if (b < 0)
        return false;
    const QVector<Line> &lines = blocks_[std::size_t(b)].lines;
    for (const Line &line : lines) {
        if (line.kind == Kind::Key && sameName(line.name, key)) {
            if (!companions_ || !exactValue(lines, line, out))
                *out = valueOf(line);
            return true;
        }
    }
    return false;
}

bool ProfileFile::setValue(const QString &section, const QString &key, const QString &value,
                           qsizetype approximationLimit) {
    for (const QString *s : {&section, &key, &value}) {
        if (s->contains(QLatin1Char('\r')) || s->contains(QLatin1Char('\n')) ||
            s->contains(QChar(0)))
            return false;
    }
    if (section.contains(QLatin1Char(']')) || key.contains(QLatin1Char('=')) ||
        key.trimmed().isEmpty())
        return false;
    QByteArray sectionBytes, keyBytes, valueBytes;
    if (!encoded(section, &sectionBytes) || !encoded(key, &keyBytes))
        return false;
    // The exact text goes into the companion; the key gets what the Windows
    // version can show.
    QString exact;
    bool withExact = false;
    if (!encoded(value, &valueBytes)) {
        withExact = true;
        exact = ProfileValueAsRead(value);
        QString approximation = Approximation::forWindows1252(value);
        if (approximationLimit >= 0)
            approximation = approximation.left(approximationLimit);
        Cp1252::encode(approximation, &valueBytes);
    }
    changed_ = true;
    companions_ = companions_ || withExact;

    const QString companion = key + kCompanion;
    QByteArray companionBytes;
    encoded(companion, &companionBytes);
    auto companionLine = [&](const Line &keyLine) {
        return classify(companionBytes + '=' +
                            companionText(Approximation::fingerprint(rawValueOf(keyLine)), exact),
                        newEol_);
    };

    const qsizetype b = findSection(section);
    if (b < 0) {
        // A last line without a line end gets one before anything follows it.
        Line *last = lastLine();
        if (last && OpenEnded(*last))
            last->eol = newEol_;
        if (last && !TrimProfileBlanks(last->text).isEmpty())
            blocks_.back().lines.append(classify(QByteArray(), newEol_));
        Block block;
        block.lines.append(classify('[' + sectionBytes + ']', newEol_));
        block.lines.append(classify(keyBytes + '=' + valueBytes, newEol_));
        if (withExact)
            block.lines.append(companionLine(block.lines.back()));
        sections_.insert(folded(section), qsizetype(blocks_.size()));
        blocks_.push_back(std::move(block));
        return true;
    }

    QVector<Line> &lines = blocks_[std::size_t(b)].lines;
    // Any companion of the key goes; an exact text gets a new one right
    // after the key's line.
    lines.removeIf([&companion](const Line &line) {
        return line.kind == Kind::Key && sameName(line.name, companion);
    });
    for (qsizetype i = 0; i < lines.size(); ++i) {
        Line &line = lines[i];
        if (line.kind == Kind::Key && sameName(line.name, key)) {
            // Keep the key as the file spells it; only the value changes.
            QByteArray fileKey;
            encoded(line.name, &fileKey);
            const QByteArray bom = line.text.startsWith(kBom) ? kBom : QByteArray();
            line = classify(fileKey + '=' + valueBytes, line.eol);
            line.text.prepend(bom);
            if (withExact) {
                if (OpenEnded(line))
                    line.eol = newEol_;
                lines.insert(i + 1, companionLine(line));
            }
            return true;
        }
    }

    // New key after the section's last non-blank line.
    qsizetype insertAt = lines.size();
    while (insertAt > 1 && TrimProfileBlanks(lines[insertAt - 1].text).isEmpty())
        --insertAt;
    if (OpenEnded(lines[insertAt - 1]))
        lines[insertAt - 1].eol = newEol_;
    lines.insert(insertAt, classify(keyBytes + '=' + valueBytes, newEol_));
    if (withExact)
        lines.insert(insertAt + 1, companionLine(lines[insertAt]));
    return true;
}

bool ProfileFile::removeSections(const QStringList &sections) {
    QSet<QString> names;
    for (const QString &section : sections)
        names.insert(folded(section));
    const auto gone = std::remove_if(blocks_.begin() + 1, blocks_.end(), [&names](const Block &b) {
        return names.contains(folded(b.lines.front().name));
    });
    if (gone == blocks_.end())
        return false;
    blocks_.erase(gone, blocks_.end());
    changed_ = true;
    sections_.clear();
    for (std::size_t b = 1; b < blocks_.size(); ++b) {
        const QString name = folded(blocks_[b].lines.front().name);
        if (!sections_.contains(name))
            sections_.insert(name, qsizetype(b));
    }
    return true;
}

QString ProfileValueAsRead(const QString &value) {
    qsizetype b = 0, e = value.size();
    auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    while (b < e && blank(value[b]))
        ++b;
    while (e > b && blank(value[e - 1]))
        --e;
    QString v = value.mid(b, e - b);
    if (v.size() >= 2 && (v[0] == QLatin1Char('"') || v[0] == QLatin1Char('\'')) &&
        v.back() == v[0])
        v = v.mid(1, v.size() - 2);
    return v;
}

QByteArray TrimProfileBlanks(const QByteArray &s) {
    qsizetype b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.mid(b, e - b);
}

bool ParseProfileInteger(const QString &text, std::int32_t *out) {
    QString s = text;
    if (s.size() >= 3 && s[0] == QLatin1Char('0') &&
        (s[1] == QLatin1Char('x') || s[1] == QLatin1Char('X')))
        s = QLatin1Char('$') + s.mid(2);

    qsizetype i = 0;
    while (i < s.size() && (s[i] == QLatin1Char(' ') || s[i] == QLatin1Char('\t')))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+'))) {
        negative = s[i] == QLatin1Char('-');
        ++i;
    }
    if (i >= s.size())
        return false;

    if (s[i] == QLatin1Char('$')) {
        ++i;
        if (i >= s.size())
            return false;
        std::uint32_t v = 0;
        int significant = 0;
        for (; i < s.size(); ++i) {
            const char16_t c = s[i].unicode();
            int d = -1;
            if (c >= u'0' && c <= u'9')
                d = c - u'0';
            else if (c >= u'a' && c <= u'f')
                d = c - u'a' + 10;
            else if (c >= u'A' && c <= u'F')
                d = c - u'A' + 10;
            if (d < 0)
                return false;
            if (significant > 0 || d != 0)
                ++significant;
            if (significant > 8)
                return false;
            v = (v << 4) | std::uint32_t(d);
        }
        std::int32_t r = static_cast<std::int32_t>(v);  // above 0x7FFFFFFF wraps
        *out = negative ? static_cast<std::int32_t>(0u - v) : r;
        return true;
    }

    std::int64_t v = 0;
    for (; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        v = v * 10 + (c.unicode() - '0');
        if (v > 2147483648LL)
            return false;
    }
    if (negative)
        v = -v;
    if (v > INT32_MAX || v < INT32_MIN)
        return false;
    *out = std::int32_t(v);
    return true;
}
