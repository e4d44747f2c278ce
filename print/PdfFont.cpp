#include "print/PdfFont.h"

#include <QtEndian>

#include <QCryptographicHash>

#include <hb-subset.h>

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

void PutU16(QByteArray &b, quint32 v) {
    b.append(char(v >> 8 & 0xFF));
    b.append(char(v & 0xFF));
}

void PutU32(QByteArray &b, quint32 v) {
    PutU16(b, v >> 16);
    PutU16(b, v & 0xFFFF);
}

// The sum of the table's big-endian 32-bit words, the last one padded with
// zeros. Every document sums every table of its faces: kept to a plain loop.
quint32 CheckSum(const QByteArray &table) {
    const auto *bytes = reinterpret_cast<const uchar *>(table.constData());
    const qsizetype whole = table.size() / 4 * 4;
    quint32 sum = 0;
    for (qsizetype i = 0; i < whole; i += 4)
        sum += qFromBigEndian<quint32>(bytes + i);
    quint32 last = 0;
    for (qsizetype i = whole; i < table.size(); ++i)
        last |= quint32(bytes[i]) << (8 * (3 - (i - whole)));
    return sum + last;
}

void Pad4(QByteArray &b) {
    while (b.size() % 4)
        b.append('\0');
}

// An INDEX of a CFF font: where each of its entries lies; `at` is moved
// past it. False when it runs beyond the data.
bool ReadCffIndex(const QByteArray &cff, qsizetype &at,
                  std::vector<std::pair<qsizetype, qsizetype>> *entries) {
    const quint32 count = U16(cff, at);
    if (at + 2 > cff.size())
        return false;
    at += 2;
    if (count == 0)
        return true;
    if (at + 1 > cff.size())
        return false;
    const int offSize = quint8(cff[at]);
    at += 1;
    if (offSize < 1 || offSize > 4 || at + qsizetype(count + 1) * offSize > cff.size())
        return false;
    const auto offset = [&](quint32 i) {
        qsizetype v = 0;
        for (int k = 0; k < offSize; ++k)
            v = v << 8 | quint8(cff[at + qsizetype(i) * offSize + k]);
        return v;
    };
    const qsizetype base = at + qsizetype(count + 1) * offSize - 1;
    for (quint32 i = 0; i < count && entries; ++i)
        entries->emplace_back(base + offset(i), base + offset(i + 1));
    const qsizetype end = base + offset(count);
    if (end < base || end > cff.size())
        return false;
    at = end;
    return true;
}

// Whether a CFF font is name-keyed: its glyphs are then found by glyph number
// when shown as a CIDFont. A CID-keyed one (its top DICT starts with ROS)
// would need its own CID to glyph map.
bool NameKeyedCff(const QByteArray &cff) {
    if (cff.size() < 4 || quint8(cff[0]) != 1)
        return false;
    qsizetype at = quint8(cff[2]);
    std::vector<std::pair<qsizetype, qsizetype>> top;
    if (!ReadCffIndex(cff, at, nullptr) || !ReadCffIndex(cff, at, &top) || top.size() != 1)
        return false;
    for (qsizetype i = top[0].first; i < top[0].second;) {
        const int b = quint8(cff[i]);
        if (b == 12)
            return !(i + 1 < top[0].second && quint8(cff[i + 1]) == 30);
        if (b <= 21)
            i += 1;
        else if (b == 28)
            i += 3;
        else if (b == 29)
            i += 5;
        else if (b == 30) {
            for (++i; i < top[0].second; ++i) {
                const int v = quint8(cff[i]);
                if ((v & 0x0F) == 0x0F || (v >> 4) == 0x0F)
                    break;
            }
            ++i;
        } else if (b >= 247 && b <= 254)
            i += 2;
        else
            i += 1;
    }
    return true;
}

struct HbBlobDeleter {
    void operator()(hb_blob_t *b) const { hb_blob_destroy(b); }
};
struct HbFaceDeleter {
    void operator()(hb_face_t *f) const { hb_face_destroy(f); }
};
struct HbInputDeleter {
    void operator()(hb_subset_input_t *i) const { hb_subset_input_destroy(i); }
};

QByteArray BlobBytes(hb_blob_t *blob) {
    unsigned length = 0;
    const char *data = hb_blob_get_data(blob, &length);
    return QByteArray(data, qsizetype(length));
}

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
    const bool cff = !font.fontTable("CFF ").isEmpty();
    pdf->kind_ = cff ? Kind::Cff : Kind::TrueType;
    const std::vector<const char *> needed =
        cff ? std::vector<const char *>{"head", "hhea", "maxp", "hmtx", "CFF "}
            : std::vector<const char *>{"head", "hhea", "maxp", "hmtx", "loca", "glyf"};
    for (const char *tag : needed) {
        const QByteArray table = font.fontTable(tag);
        if (table.isEmpty())
            return nullptr;
        pdf->tables_.insert(tag, table);
    }
    // TrueType hinting goes along so that the letters look as they always did.
    const std::vector<const char *> optional =
        cff ? std::vector<const char *>{"OS/2", "name", "post", "cmap"}
            : std::vector<const char *>{"cvt ", "fpgm", "prep", "OS/2", "name", "post", "cmap"};
    for (const char *tag : optional) {
        const QByteArray table = font.fontTable(tag);
        if (!table.isEmpty())
            pdf->tables_.insert(tag, table);
    }
    if (cff && !NameKeyedCff(pdf->tables_["CFF "]))
        return nullptr;
    const QByteArray &head = pdf->tables_["head"];
    const QByteArray &maxp = pdf->tables_["maxp"];
    const QByteArray &hhea = pdf->tables_["hhea"];
    if (head.size() < 54 || maxp.size() < 6 || hhea.size() < 36)
        return nullptr;
    pdf->unitsPerEm_ = int(U16(head, 18));
    if (pdf->unitsPerEm_ < 16)
        return nullptr;
    pdf->glyphCount_ = U16(maxp, 4);
    if (pdf->glyphCount_ == 0 || U16(hhea, 34) == 0 ||
        pdf->tables_["hmtx"].size() < qsizetype(U16(hhea, 34)) * 4)
        return nullptr;
    if (!cff) {
        const bool longOffsets = S16(head, 50) == 1;
        const qsizetype loca = qsizetype(pdf->glyphCount_ + 1) * (longOffsets ? 4 : 2);
        if (pdf->tables_["loca"].size() < loca)
            return nullptr;
    }
    QString name = font.familyName() + QLatin1Char('-') + font.styleName();
    name.removeIf([](QChar c) {
        return !(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('-');
    });
    pdf->name_ = name.isEmpty() ? QStringLiteral("Font") : name;
    return pdf;
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

std::unique_ptr<PdfFont> PdfFont::restrictedTo(const std::set<quint32> &glyphs) const {
    std::unique_ptr<PdfFont> font(new PdfFont(*this));
    font->used_.clear();
    for (quint32 glyph : glyphs) {
        const auto known = used_.constFind(glyph);
        if (known != used_.cend())
            font->used_.insert(glyph, *known);
    }
    return font;
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

QByteArray PdfFont::faceFile() const {
    const quint32 count = quint32(tables_.size());
    quint32 power = 1, selector = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++selector;
    }
    QByteArray file;
    PutU32(file, kind_ == Kind::Cff ? 0x4F54544F : 0x00010000);  // 'OTTO' or TrueType
    PutU16(file, count);
    PutU16(file, power * 16);
    PutU16(file, selector);
    PutU16(file, count * 16 - power * 16);
    const quint32 offset = 12 + 16 * count;
    qsizetype size = offset;
    for (const QByteArray &table : tables_)
        size += (table.size() + 3) / 4 * 4;
    file.reserve(size);
    // The directory first, then the tables in its order, each padded to four bytes.
    quint32 at = offset;
    for (auto it = tables_.begin(); it != tables_.end(); ++it) {
        file.append(it.key().leftJustified(4, ' ', true));
        PutU32(file, CheckSum(it.value()));
        PutU32(file, at);
        PutU32(file, quint32(it.value().size()));
        at += quint32((it.value().size() + 3) / 4 * 4);
    }
    for (const QByteArray &table : tables_) {
        file += table;
        Pad4(file);
    }
    return file;
}

QByteArray PdfFont::subsetFile() const {
    const QByteArray whole = faceFile();
    const auto fallback = [&] { return kind_ == Kind::Cff ? tables_["CFF "] : whole; };
    std::unique_ptr<hb_blob_t, HbBlobDeleter> blob(hb_blob_create(
        whole.constData(), unsigned(whole.size()), HB_MEMORY_MODE_READONLY, nullptr, nullptr));
    std::unique_ptr<hb_face_t, HbFaceDeleter> face(hb_face_create(blob.get(), 0));
    std::unique_ptr<hb_subset_input_t, HbInputDeleter> input(hb_subset_input_create_or_fail());
    if (!input)
        return fallback();
    // The glyphs keep their numbers: the page shows them by those numbers.
    hb_subset_input_set_flags(input.get(), HB_SUBSET_FLAGS_RETAIN_GIDS);
    hb_set_t *glyphs = hb_subset_input_glyph_set(input.get());
    hb_set_add(glyphs, 0);
    for (auto it = used_.begin(); it != used_.end(); ++it)
        hb_set_add(glyphs, it.key());
    std::unique_ptr<hb_face_t, HbFaceDeleter> subset(hb_subset_or_fail(face.get(), input.get()));
    if (!subset)
        return fallback();
    std::unique_ptr<hb_blob_t, HbBlobDeleter> out(
        kind_ == Kind::Cff ? hb_face_reference_table(subset.get(), HB_TAG('C', 'F', 'F', ' '))
                           : hb_face_reference_blob(subset.get()));
    const QByteArray bytes = BlobBytes(out.get());
    return bytes.isEmpty() ? fallback() : bytes;
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
