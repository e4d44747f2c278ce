#include "print/PdfFont.h"

#include <QCryptographicHash>
#include <QSet>

#include <algorithm>
#include <vector>

namespace {

quint32 U16(const QByteArray &b, qsizetype at) {
    if (at < 0 || at + 2 > b.size())
        return 0;
    return quint32(quint8(b[at])) << 8 | quint8(b[at + 1]);
}

qint32 S16(const QByteArray &b, qsizetype at) {
    return qint16(quint16(U16(b, at)));
}

quint32 U32(const QByteArray &b, qsizetype at) {
    return U16(b, at) << 16 | U16(b, at + 2);
}

void PutU16(QByteArray &b, quint32 v) {
    b.append(char(v >> 8 & 0xFF));
    b.append(char(v & 0xFF));
}

void PutU32(QByteArray &b, quint32 v) {
    PutU16(b, v >> 16);
    PutU16(b, v & 0xFFFF);
}

void SetU32(QByteArray &b, qsizetype at, quint32 v) {
    b[at] = char(v >> 24 & 0xFF);
    b[at + 1] = char(v >> 16 & 0xFF);
    b[at + 2] = char(v >> 8 & 0xFF);
    b[at + 3] = char(v & 0xFF);
}

quint32 CheckSum(const QByteArray &table) {
    quint32 sum = 0;
    for (qsizetype i = 0; i < table.size(); i += 4) {
        quint32 word = 0;
        for (int k = 0; k < 4; ++k)
            word = word << 8 | (i + k < table.size() ? quint8(table[i + k]) : 0);
        sum += word;
    }
    return sum;
}

void Pad4(QByteArray &b) {
    while (b.size() % 4)
        b.append('\0');
}

// Composite glyph flags.
constexpr quint32 ArgsAreWords = 0x0001;
constexpr quint32 HaveScale = 0x0008;
constexpr quint32 MoreComponents = 0x0020;
constexpr quint32 HaveXYScale = 0x0040;
constexpr quint32 HaveTwoByTwo = 0x0080;

QByteArray Number(double v) {
    return QByteArray::number(v, 'f', 3);
}

}  // namespace

QByteArray PdfUtf16Hex(const QString &text) {
    QByteArray out;
    for (const QChar c : text)
        out += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
    return out;
}

std::unique_ptr<PdfFont> PdfFont::FromRawFont(const QRawFont &font) {
    if (!font.isValid())
        return nullptr;
    std::unique_ptr<PdfFont> pdf(new PdfFont);
    for (const char *tag : {"head", "hhea", "maxp", "loca", "glyf", "hmtx"}) {
        const QByteArray table = font.fontTable(tag);
        if (table.isEmpty())
            return nullptr;
        pdf->tables_.insert(tag, table);
    }
    for (const char *tag : {"cvt ", "fpgm", "prep", "OS/2", "name", "post", "cmap"}) {
        const QByteArray table = font.fontTable(tag);
        if (!table.isEmpty())
            pdf->tables_.insert(tag, table);
    }
    const QByteArray &head = pdf->tables_["head"];
    const QByteArray &maxp = pdf->tables_["maxp"];
    const QByteArray &hhea = pdf->tables_["hhea"];
    if (head.size() < 54 || maxp.size() < 6 || hhea.size() < 36)
        return nullptr;
    pdf->unitsPerEm_ = int(U16(head, 18));
    if (pdf->unitsPerEm_ < 16)
        return nullptr;
    pdf->longOffsets_ = S16(head, 50) == 1;
    pdf->glyphCount_ = U16(maxp, 4);
    const qsizetype needed = qsizetype(pdf->glyphCount_ + 1) * (pdf->longOffsets_ ? 4 : 2);
    if (pdf->glyphCount_ == 0 || pdf->tables_["loca"].size() < needed || U16(hhea, 34) == 0 ||
        pdf->tables_["hmtx"].size() < qsizetype(U16(hhea, 34)) * 4)
        return nullptr;
    QString name = font.familyName() + QLatin1Char('-') + font.styleName();
    name.removeIf([](QChar c) {
        return !(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('-');
    });
    pdf->name_ = name.isEmpty() ? QStringLiteral("Font") : name;
    return pdf;
}

QByteArray PdfFont::glyphData(quint32 glyph) const {
    if (glyph >= glyphCount_)
        return {};
    const QByteArray &loca = tables_["loca"];
    const QByteArray &glyf = tables_["glyf"];
    const qsizetype start =
        longOffsets_ ? qsizetype(U32(loca, glyph * 4)) : qsizetype(U16(loca, glyph * 2)) * 2;
    const qsizetype end = longOffsets_ ? qsizetype(U32(loca, (glyph + 1) * 4))
                                       : qsizetype(U16(loca, (glyph + 1) * 2)) * 2;
    // A broken table gives an empty glyph, never bytes from elsewhere.
    if (start < 0 || end <= start || end > glyf.size())
        return {};
    return glyf.mid(start, end - start);
}

void PdfFont::use(quint32 glyph, const QString &text) {
    if (glyph >= glyphCount_)
        return;
    auto known = used_.find(glyph);
    if (known == used_.end())
        used_.insert(glyph, text);
    else if (known->isEmpty())
        *known = text;
}

double PdfFont::width(quint32 glyph) const {
    const QByteArray &hmtx = tables_["hmtx"];
    const quint32 metrics = U16(tables_["hhea"], 34);
    const quint32 index = std::min(glyph, metrics - 1);
    return U16(hmtx, qsizetype(index) * 4) * 1000.0 / unitsPerEm_;
}

QByteArray PdfFont::baseFontName() const {
    QByteArray glyphs;
    for (auto it = used_.begin(); it != used_.end(); ++it)
        PutU32(glyphs, it.key());
    const QByteArray hash =
        QCryptographicHash::hash(glyphs + name_.toLatin1(), QCryptographicHash::Sha1);
    QByteArray tag;
    for (int i = 0; i < 6; ++i)
        tag.append(char('A' + quint8(hash[i]) % 26));
    return tag + '+' + name_.toLatin1();
}

QByteArray PdfFont::subsetFile() const {
    // The used glyphs and, for composite glyphs, the glyphs they are made of.
    QSet<quint32> keep{0};
    std::vector<quint32> pending{0};
    for (auto it = used_.begin(); it != used_.end(); ++it)
        pending.push_back(it.key());
    while (!pending.empty()) {
        const quint32 glyph = pending.back();
        pending.pop_back();
        keep.insert(glyph);
        const QByteArray data = glyphData(glyph);
        if (data.size() < 10 || S16(data, 0) >= 0)
            continue;
        qsizetype at = 10;
        for (int guard = 0; guard < 1000 && at + 4 <= data.size(); ++guard) {
            const quint32 flags = U16(data, at);
            const quint32 part = U16(data, at + 2);
            if (part < glyphCount_ && !keep.contains(part)) {
                keep.insert(part);
                pending.push_back(part);
            }
            at += 4 + ((flags & ArgsAreWords) ? 4 : 2);
            if (flags & HaveScale)
                at += 2;
            else if (flags & HaveXYScale)
                at += 4;
            else if (flags & HaveTwoByTwo)
                at += 8;
            if (!(flags & MoreComponents))
                break;
        }
    }

    QByteArray glyf, loca;
    for (quint32 glyph = 0; glyph < glyphCount_; ++glyph) {
        PutU32(loca, quint32(glyf.size()));
        if (keep.contains(glyph)) {
            glyf += glyphData(glyph);
            Pad4(glyf);
        }
    }
    PutU32(loca, quint32(glyf.size()));

    QMap<QByteArray, QByteArray> tables = tables_;
    tables["glyf"] = glyf;
    tables["loca"] = loca;
    QByteArray head = tables["head"];
    SetU32(head, 8, 0);  // the whole file's checksum comes last
    head[50] = 0;
    head[51] = 1;  // long offsets
    tables["head"] = head;

    const quint32 count = quint32(tables.size());
    quint32 power = 1, selector = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++selector;
    }
    QByteArray file;
    PutU32(file, 0x00010000);
    PutU16(file, count);
    PutU16(file, power * 16);
    PutU16(file, selector);
    PutU16(file, count * 16 - power * 16);
    quint32 offset = 12 + 16 * count;
    QByteArray body;
    qsizetype headAt = -1;
    for (auto it = tables.begin(); it != tables.end(); ++it) {
        file.append(it.key().leftJustified(4, ' ', true));
        PutU32(file, CheckSum(it.value()));
        PutU32(file, offset + quint32(body.size()));
        PutU32(file, quint32(it.value().size()));
        if (it.key() == "head")
            headAt = offset + body.size();
        body += it.value();
        Pad4(body);
    }
    file += body;
    if (headAt >= 0)
        SetU32(file, headAt + 8, 0xB1B0AFBA - CheckSum(file));
    return file;
}

QByteArray PdfFont::descriptorEntries() const {
    const QByteArray &head = tables_["head"];
    const QByteArray &hhea = tables_["hhea"];
    const double scale = 1000.0 / unitsPerEm_;
    const double ascent = S16(hhea, 4) * scale;
    return "/Flags 32 /FontBBox [" + Number(S16(head, 36) * scale) + ' ' +
           Number(S16(head, 38) * scale) + ' ' + Number(S16(head, 40) * scale) + ' ' +
           Number(S16(head, 42) * scale) + "] /ItalicAngle 0 /Ascent " + Number(ascent) +
           " /Descent " + Number(S16(hhea, 6) * scale) + " /CapHeight " + Number(ascent) +
           " /StemV 80";
}

QByteArray PdfFont::widthsArray() const {
    QByteArray out("[");
    for (auto it = used_.begin(); it != used_.end(); ++it)
        out += QByteArray::number(it.key()) + " [" + Number(width(it.key())) + "] ";
    return out.trimmed() + ']';
}

QByteArray PdfFont::toUnicodeCMap() const {
    QByteArray entries;
    int inBlock = 0;
    QByteArray block;
    const auto flush = [&] {
        if (inBlock == 0)
            return;
        entries += QByteArray::number(inBlock) + " beginbfchar\n" + block + "endbfchar\n";
        block.clear();
        inBlock = 0;
    };
    for (auto it = used_.begin(); it != used_.end(); ++it) {
        if (it.value().isEmpty())
            continue;
        block += '<' + QByteArray::number(it.key(), 16).rightJustified(4, '0').toUpper() + "> <" +
                 PdfUtf16Hex(it.value()) + ">\n";
        if (++inBlock == 100)
            flush();
    }
    flush();
    return "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
           "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
           "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
           "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n" +
           entries + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
}
