#include "render/Drwglyph.h"

#include <QMutexLocker>
#include <QVector>
#include <cmath>
#include <cstring>

#include "render/Arith.h"
#include "render/RenderState.h"

namespace {

constexpr std::uint32_t PolygonType = 24;
constexpr std::uint16_t LineRecord = 1;
constexpr std::uint16_t QSplineRecord = 2;
constexpr std::size_t HeaderBytes = 16;
constexpr std::size_t StartPointOffset = 8;  // after the size and the type
constexpr std::size_t RecordHeaderBytes = 4;
constexpr std::size_t PointBytes = 8;

// What a glyph usually needs; the buffers grow beyond this for larger ones.
constexpr std::size_t InitialPoints = 2048;
constexpr std::size_t InitialContours = 256;

// A glyph outline larger than this is not a glyph: the character is skipped.
constexpr qint64 MaxOutlineBytes = qint64(1) << 24;

constexpr int SplineSteps = 5;

std::uint16_t ReadU16(const unsigned char *p) {
    std::uint16_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

std::uint32_t ReadU32(const unsigned char *p) {
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

PointFx ReadPoint(const unsigned char *p) {
    PointFx pt;
    std::memcpy(&pt.x, p, sizeof pt.x);
    std::memcpy(&pt.y, p + sizeof pt.x, sizeof pt.y);
    return pt;
}

QPoint Rounded(PointFx p) {
    return QPoint(FixedToIntRounded(p.x), FixedToIntRounded(p.y));
}

// Appends the polygon of one contour (the header at c, cb bytes in all, cb
// already checked against the buffer). A record that runs past the contour
// leaves nothing of it behind and returns false: the rest of the buffer
// cannot be trusted either.
bool AppendContour(const unsigned char *c, std::size_t cb, std::vector<QPoint> &points,
                   std::vector<int> &counts) {
    const std::size_t firstIndex = points.size();
    const PointFx start = ReadPoint(c + StartPointOffset);
    PointFx previous = start;  // the point just before the current record
    std::size_t at = HeaderBytes;
    while (at < cb) {
        if (cb - at < RecordHeaderBytes) {
            points.resize(firstIndex);
            return false;
        }
        const std::uint16_t kind = ReadU16(c + at);
        const std::size_t n = ReadU16(c + at + 2);
        const unsigned char *pts = c + at + RecordHeaderBytes;
        if ((cb - at - RecordHeaderBytes) / PointBytes < n) {
            points.resize(firstIndex);
            return false;
        }
        auto point = [pts](std::size_t i) { return ReadPoint(pts + i * PointBytes); };

        if (kind == LineRecord) {
            for (std::size_t i = 0; i < n; ++i)
                points.push_back(Rounded(point(i)));
        } else if (kind == QSplineRecord) {
            PointFx p0 = previous;
            std::size_t i = 0;
            while (i < n) {
                const PointFx b = point(i);
                ++i;
                if (i == n) {
                    // A one-point record has no end point to bend toward: a straight line.
                    points.push_back(Rounded(b));
                    break;
                }
                PointFx end;
                if (i == n - 1) {
                    end = point(i);
                    ++i;
                } else {
                    const PointFx next = point(i);
                    end = {FixedMidpoint(b.x, next.x), FixedMidpoint(b.y, next.y)};
                }
                QSplineToPoints(p0, b, end, points);
                p0 = end;
            }
        }
        // Records of any other kind are skipped by their point count.
        if (n > 0)
            previous = point(n - 1);
        at += RecordHeaderBytes + n * PointBytes;
    }

    points.push_back(QPoint(FixedToIntFloor(start.x), FixedToIntFloor(start.y)));
    points.push_back(points[firstIndex]);
    counts.push_back(int(points.size() - firstIndex));
    return true;
}

// Which way the vertical cell increment moves the pen. Our outline source
// reports it as the Windows NT family does, already pointing down the surface,
// so adding is right: the automatic mode and 1 ("NT") add; 2 ("9x") forces the
// subtraction that suited sources reporting it upward, and so moves turned
// letters against the reading direction here.
bool VerticalAdvanceAdds(int rasterizerMode) {
    return rasterizerMode != 2;
}

// A counter-clockwise turn by the angle.
GlyphMatrix TurnMatrix(double angle) {
    GlyphMatrix matrix;
    matrix.eM11 = FixedFromReal(std::cos(angle));
    matrix.eM12 = FixedFromReal(std::sin(angle));
    matrix.eM21 = FixedFromReal(-std::sin(angle));
    matrix.eM22 = FixedFromReal(std::cos(angle));
    return matrix;
}

}  // namespace

std::int32_t FixedFromReal(double v) {
    return RoundEven(v * 65536.0);
}

int FixedToIntTruncated(std::int32_t f) {
    return f / 65536;
}

int FixedToIntRounded(std::int32_t f) {
    return (f >> 16) + ((f & 0xFFFF) > 0x8000 ? 1 : 0);
}

int FixedToIntFloor(std::int32_t f) {
    return f >> 16;
}

std::int32_t FixedMidpoint(std::int32_t a, std::int32_t b) {
    return std::int32_t((std::int64_t(a) + b) / 2);
}

void QSplineToPoints(PointFx p0, PointFx b, PointFx c, std::vector<QPoint> &points) {
    const double x0 = FixedToIntTruncated(p0.x), y0 = FixedToIntTruncated(p0.y);
    const double xb = FixedToIntTruncated(b.x), yb = FixedToIntTruncated(b.y);
    const double xc = FixedToIntTruncated(c.x), yc = FixedToIntTruncated(c.y);
    for (int k = 1; k <= SplineSteps; ++k) {
        const double t = double(k) / SplineSteps;
        const double x = x0 + 2 * t * (xb - x0) + t * t * (x0 - 2 * xb + xc);
        const double y = y0 + 2 * t * (yb - y0) + t * t * (y0 - 2 * yb + yc);
        points.push_back(QPoint(RoundEven(x), RoundEven(y)));
    }
}

namespace {

// The contours of one glyph outline in device units, as the native buffer
// describes them (splines already made straight).
void ParseOutline(qint64 bufferSize, const void *outline, std::vector<QPoint> &points,
                  std::vector<int> &counts) {
    points.clear();
    counts.clear();
    if (!outline || bufferSize < qint64(HeaderBytes))
        return;
    const auto *base = static_cast<const unsigned char *>(outline);
    const std::size_t size = std::size_t(bufferSize);
    points.reserve(InitialPoints);
    counts.reserve(InitialContours);

    std::size_t at = 0;
    while (size - at >= HeaderBytes) {
        const std::uint32_t cb = ReadU32(base + at);
        const std::uint32_t type = ReadU32(base + at + 4);
        // A contour that does not fit in the buffer (or has no room for its own
        // header, which would never move us on) ends the walk.
        if (cb < HeaderBytes || cb > size - at)
            break;
        if (type == PolygonType && !AppendContour(base + at, cb, points, counts))
            break;
        at += cb;
    }
}

void EmitPolygons(RibbonCanvas &canvas, int penX, int penY, const std::vector<QPoint> &points,
                  const std::vector<int> &counts) {
    if (points.empty())
        return;

    // Device units to logical ones as if the glyph origin were the window
    // origin; the surface's own origins are left alone.
    CanvasMapping mapping = canvas.mapping();
    mapping.setViewportOrg(QPoint(0, 0));
    mapping.setWindowOrg(QPoint(penX, 0));
    QVector<QPoint> logical;
    logical.reserve(qsizetype(points.size()));
    for (const QPoint &p : points) {
        const QPoint l = mapping.deviceToLogical(p);
        // The outline's Y points up, the surface's down.
        logical.push_back(QPoint(l.x(), Sub(penY, l.y())));
    }
    canvas.polyPolygon(logical, QVector<int>(counts.begin(), counts.end()));
}

}  // namespace

void GlyphPolygons(RibbonCanvas &canvas, int penX, int penY, qint64 bufferSize,
                   const void *outline) {
    std::vector<QPoint> points;
    std::vector<int> counts;
    ParseOutline(bufferSize, outline, points, counts);
    EmitPolygons(canvas, penX, penY, points, counts);
}

// What one character gave for one font, size, turn and mapping.
struct GlyphCache::Glyph {
    bool available = false;
    GlyphMetrics metrics;
    // The points in logical units relative to the pen (Y up). Rounding a
    // value plus a whole number is rounding the value plus that number, so
    // these plus the pen are exactly what GlyphPolygons draws.
    QVector<QPoint> relative;
    QVector<int> relativeCounts;
};

GlyphCache::GlyphCache() = default;
GlyphCache::~GlyphCache() = default;

const GlyphCache::Glyph *GlyphCache::find(const QString &key) const {
    const QMutexLocker lock(&guard_);
    const auto it = glyphs_.find(key);
    return it == glyphs_.end() ? nullptr : it->second.get();
}

const GlyphCache::Glyph *GlyphCache::insert(const QString &key, std::unique_ptr<Glyph> glyph) {
    const QMutexLocker lock(&guard_);
    // A day's texts use a few hundred glyphs; absurd inputs must not grow it forever.
    if (glyphs_.size() > 20000)
        glyphs_.clear();
    return glyphs_.insert_or_assign(key, std::move(glyph)).first->second.get();
}

namespace {

// One character's outline as the surface gives it, in logical units relative
// to the pen; not available when the surface has none for it.
std::unique_ptr<GlyphCache::Glyph> ReadGlyph(RibbonCanvas &canvas, char32_t ch,
                                             const GlyphMatrix &matrix,
                                             std::vector<unsigned char> &buffer) {
    auto glyph = std::make_unique<GlyphCache::Glyph>();
    const qint64 size = canvas.glyphOutline(ch, matrix, &glyph->metrics, nullptr, 0);
    if (size < 0 || size > MaxOutlineBytes)
        return glyph;
    glyph->available = true;
    if (size == 0)
        return glyph;
    buffer.assign(std::size_t(size), 0);
    if (canvas.glyphOutline(ch, matrix, &glyph->metrics, buffer.data(), size) < 0) {
        glyph->available = false;
        return glyph;
    }
    std::vector<QPoint> points;
    std::vector<int> counts;
    ParseOutline(size, buffer.data(), points, counts);
    CanvasMapping mapping = canvas.mapping();
    mapping.setViewportOrg(QPoint(0, 0));
    mapping.setWindowOrg(QPoint(0, 0));
    glyph->relative.reserve(qsizetype(points.size()));
    for (const QPoint &p : points)
        glyph->relative.push_back(mapping.deviceToLogical(p));
    glyph->relativeCounts = QVector<int>(counts.begin(), counts.end());
    return glyph;
}

}  // namespace

void GlyphTextOut(const RenderContext &context, RibbonCanvas &canvas, int x, int y, double angle,
                  const QString &text) {
    if (text.isEmpty())
        return;

    const TextMetrics tm = canvas.textMetrics();
    const int w = canvas.textExtent(text).width();
    const unsigned align = canvas.textAlign();
    int dx = 0;
    switch (align & TextAlign::HorizontalMask) {
        case TextAlign::Center:
            dx = Div2(w);
            break;
        case TextAlign::Right:
            dx = w;
            break;
        default:
            break;
    }
    int dy = tm.ascent;
    switch (align & TextAlign::VerticalMask) {
        case TextAlign::Baseline:
            dy = 0;
            break;
        case TextAlign::Bottom:
            dy = -tm.descent;
            break;
        default:
            break;
    }

    const long double sinA = std::sin(static_cast<long double>(angle));
    const long double cosA = std::cos(static_cast<long double>(angle));
    int px = Add(x, RoundEven(double(sinA * dy - cosA * dx)));
    int py = Add(y, RoundEven(double(cosA * dy + sinA * dx)));

    const GlyphMatrix matrix = TurnMatrix(angle);

    const CanvasMapping &mapping = canvas.mapping();
    const int wx = mapping.windowExt().width(), wy = mapping.windowExt().height();
    const int vx = mapping.viewportExt().width(), vy = mapping.viewportExt().height();
    const bool adds = VerticalAdvanceAdds(context.RasterizerMode);

    // The same font, turn and mapping give the same outline for a character
    // on every page of a run: each is asked of the surface once.
    GlyphCache *cache = context.Glyphs.get();
    QString keyBase;
    if (cache) {
        const CanvasFont font = canvas.fontDescription(canvas.currentFont());
        keyBase = QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8|%9")
                      .arg(font.face)
                      .arg(font.height)
                      .arg(font.width)
                      .arg(font.escapement)
                      .arg(font.weight)
                      .arg(matrix.eM11)
                      .arg(matrix.eM12)
                      .arg(matrix.eM21)
                      .arg(matrix.eM22) +
                  QStringLiteral("|%1|%2|%3|%4|").arg(wx).arg(wy).arg(vx).arg(vy);
    }
    std::vector<unsigned char> buffer;
    for (const char32_t ch : text.toUcs4()) {
        // Soft hyphens, zero-width spaces and joiners shape text that is
        // broken into lines; a ribbon's line is never broken, and they take
        // no room in its measure either.
        if (QChar::category(ch) == QChar::Other_Format)
            continue;
        GlyphMetrics gm;
        const GlyphCache::Glyph *known = nullptr;
        QString key;
        if (cache) {
            key = keyBase + QString::number(quint32(ch));
            known = cache->find(key);
        }
        std::unique_ptr<GlyphCache::Glyph> local;
        if (!known) {
            std::unique_ptr<GlyphCache::Glyph> glyph = ReadGlyph(canvas, ch, matrix, buffer);
            if (cache) {
                known = cache->insert(key, std::move(glyph));
            } else {
                local = std::move(glyph);
                known = local.get();
            }
        }
        if (!known->available)
            continue;
        if (!known->relative.isEmpty()) {
            QVector<QPoint> logical;
            logical.reserve(known->relative.size());
            for (const QPoint &r : known->relative)
                logical.push_back(QPoint(Add(r.x(), px), Sub(py, r.y())));
            canvas.polyPolygon(logical, known->relativeCounts);
        }
        gm = known->metrics;
        px = Add(px, MulDiv(gm.cellIncX, wx, vx));
        const int ay = MulDiv(gm.cellIncY, wy, vy);
        py = adds ? Add(py, ay) : Sub(py, ay);
    }
}

bool GlyphOutlinesAvailable(RibbonCanvas &canvas, double angle, const QString &text) {
    // Asked with the matrix GlyphTextOut uses, so that the outline source can
    // hand the first glyph over again without building it twice.
    const GlyphMatrix matrix = TurnMatrix(angle);
    const QList<uint> characters = text.toUcs4();
    for (const char32_t ch : characters) {
        if (canvas.glyphOutline(ch, matrix, nullptr, nullptr, 0) >= 0)
            return true;
    }
    return characters.isEmpty();
}
