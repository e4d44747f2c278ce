#include "render/NativeOutline.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <QByteArray>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <utility>
#include <vector>

#include "render/Typefaces.h"

namespace {

constexpr std::uint32_t PolygonType = 24;
constexpr std::uint16_t LineRecord = 1;
constexpr std::uint16_t QSplineRecord = 2;
constexpr std::size_t HeaderBytes = 16;
constexpr std::size_t RecordHeaderBytes = 4;
constexpr std::size_t PointBytes = 8;
constexpr std::size_t MaxRecordPoints = 0xFFFF;

// 26.6 pixels times 1024 must stay inside a 32-bit 16.16 value.
constexpr FT_Pos MaxCoordinate26Dot6 = std::numeric_limits<std::int32_t>::max() / 1024;
// Far above any letter we print (a 60 mm letter at 1200 dpi is ~2800 px), but
// small enough that every coordinate of a sane glyph fits into 16.16.
constexpr double MaxEmPixels = 16384.0;

using FaceFile = std::pair<QByteArray, int>;  // file path, face index inside it

// The FreeType library and every face opened so far, for the whole run. Only
// the GUI thread draws, so no locking.
class FontCache {
public:
    FontCache() = default;
    FontCache(const FontCache &) = delete;
    FontCache &operator=(const FontCache &) = delete;
    ~FontCache() {
        for (auto &entry : faces_) {
            if (entry.second)
                FT_Done_Face(entry.second);
        }
        if (library_)
            FT_Done_FreeType(library_);
    }

    // The face of the shared resolution, the one the preview draws too.
    FT_Face faceForFamily(const QString &family) {
        const ResolvedFace &resolved = ResolveFace(family);
        if (resolved.file.isEmpty())
            return nullptr;
        return faceForFile({resolved.file, resolved.index});
    }

private:
    FT_Face faceForFile(const FaceFile &file) {
        auto known = faces_.find(file);
        if (known != faces_.end())
            return known->second;
        FT_Face face = nullptr;
        if (library() && FT_New_Face(library_, file.first.constData(), file.second, &face) != 0)
            face = nullptr;
        if (face && FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0)
            FT_Select_Charmap(face, FT_ENCODING_MS_SYMBOL);
        // A file that does not open is remembered as such, so it is not tried again.
        faces_.emplace(file, face);
        return face;
    }

    FT_Library library() {
        if (!library_ && !libraryFailed_) {
            if (FT_Init_FreeType(&library_) != 0) {
                library_ = nullptr;
                libraryFailed_ = true;
            }
        }
        return library_;
    }

    FT_Library library_ = nullptr;
    bool libraryFailed_ = false;
    std::map<FaceFile, FT_Face> faces_;
};

// One FreeType library and its faces for each thread that draws: pages may
// be drawn on several threads at once.
FontCache &Fonts() {
    static thread_local FontCache cache;
    return cache;
}

FT_UInt GlyphIndex(FT_Face face, char32_t ch) {
    if (!face->charmap)
        return 0;
    if (face->charmap->encoding == FT_ENCODING_MS_SYMBOL) {
        // Symbol fonts put their 8-bit codes at U+F000 and up.
        const FT_UInt index = FT_Get_Char_Index(face, ch);
        return index != 0 || ch > 0xFF ? index : FT_Get_Char_Index(face, 0xF000 + ch);
    }
    return FT_Get_Char_Index(face, ch);
}

// Whole device units from 26.6, halves up, as GDI rounds its cell increments.
int Round26Dot6(FT_Pos v) {
    const FT_Pos r = (v + 32) >> 6;
    if (r > std::numeric_limits<int>::max() || r < std::numeric_limits<int>::min())
        return 0;
    return int(r);
}

// How far a quadratic piece may stray from the cubic arc it stands for, in
// device pixels: well inside the quarter pixel the filled letter may differ
// from FreeType's own rendering.
constexpr double CubicTolerance = 1.0 / 8;
// Pieces per cubic arc; only an absurd arc would need more at MaxEmPixels.
constexpr int MaxCubicPieces = 64;

// 16.16 from pixels; false when the value does not fit.
bool ToFixed(double v, std::int32_t &out) {
    const double scaled = std::nearbyint(v * 65536.0);
    if (!(std::fabs(scaled) <= double(std::numeric_limits<std::int32_t>::max())))
        return false;
    out = std::int32_t(scaled);
    return true;
}

bool InRange(const FT_Vector &p) {
    return p.x <= MaxCoordinate26Dot6 && p.x >= -MaxCoordinate26Dot6 &&
           p.y <= MaxCoordinate26Dot6 && p.y >= -MaxCoordinate26Dot6;
}

ContourPoint FromVector(const FT_Vector &p, bool onCurve) {
    return {std::int32_t(p.x * 1024), std::int32_t(p.y * 1024), onCurve};
}

struct Vec {
    double x, y;
};
Vec operator+(Vec a, Vec b) {
    return {a.x + b.x, a.y + b.y};
}
Vec operator-(Vec a, Vec b) {
    return {a.x - b.x, a.y - b.y};
}
Vec operator*(double s, Vec a) {
    return {s * a.x, s * a.y};
}
Vec Pixels(const FT_Vector &p) {
    return {p.x / 64.0, p.y / 64.0};
}

// A contour of a CFF or Type 1 face with its cubic arcs replaced by
// quadratic ones, as on- and off-curve points for AppendNativeContour.
// FreeType's own walk over the contour supplies the arcs.
class CubicContour {
public:
    static bool Build(const FT_Outline &outline, int first, int last,
                      std::vector<ContourPoint> &points) {
        CubicContour walk(points);
        short end = short(last - first);
        FT_Outline one{};
        one.n_contours = 1;
        one.n_points = short(last - first + 1);
        one.points = outline.points + first;
        one.tags = outline.tags + first;
        one.contours = &end;
        one.flags = outline.flags;
        static const FT_Outline_Funcs funcs = Funcs();
        if (FT_Outline_Decompose(&one, &funcs, &walk) != 0 || !walk.ok_)
            return false;
        // FreeType closes the contour with a line back to its start; the native
        // format closes by itself.
        while (points.size() > 1 && points.back().onCurve && points.back().x == points[0].x &&
               points.back().y == points[0].y)
            points.pop_back();
        return true;
    }

private:
    explicit CubicContour(std::vector<ContourPoint> &points) : points_(points) {}

    static FT_Outline_Funcs Funcs() {
        FT_Outline_Funcs f{};
        f.move_to = [](const FT_Vector *to, void *self) {
            return static_cast<CubicContour *>(self)->point(*to, true);
        };
        f.line_to = [](const FT_Vector *to, void *self) {
            return static_cast<CubicContour *>(self)->point(*to, true);
        };
        f.conic_to = [](const FT_Vector *c, const FT_Vector *to, void *self) {
            auto *walk = static_cast<CubicContour *>(self);
            return walk->point(*c, false) | walk->point(*to, true);
        };
        f.cubic_to = [](const FT_Vector *c1, const FT_Vector *c2, const FT_Vector *to, void *self) {
            return static_cast<CubicContour *>(self)->cubic(*c1, *c2, *to);
        };
        return f;
    }

    int point(const FT_Vector &p, bool onCurve) {
        if (!InRange(p))
            return fail();
        points_.push_back(FromVector(p, onCurve));
        last_ = p;
        return 0;
    }

    int fail() {
        ok_ = false;
        return 1;
    }

    // Cuts the arc into n equal parts of its parameter, each part replaced by
    // the quadratic through its end points whose control point is
    // (3(c1 + c2) - (p0 + p3)) / 4. That quadratic strays from the part by at
    // most sqrt(3)/36 |p3 - 3c2 + 3c1 - p0|, and that third difference shrinks
    // with the cube of the part's length, so n follows from the tolerance.
    int cubic(const FT_Vector &c1, const FT_Vector &c2, const FT_Vector &to) {
        if (!InRange(c1) || !InRange(c2) || !InRange(to))
            return fail();
        const Vec p0 = Pixels(last_), p1 = Pixels(c1), p2 = Pixels(c2), p3 = Pixels(to);
        const Vec d = p3 - 3 * p2 + 3 * p1 - p0;
        const double error = std::sqrt(3.0) / 36 * std::hypot(d.x, d.y);
        const int n =
            std::clamp(int(std::ceil(std::cbrt(error / CubicTolerance))), 1, MaxCubicPieces);

        auto at = [&](double t) {
            const double u = 1 - t;
            return u * u * u * p0 + 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t * p3;
        };
        auto slope = [&](double t) {
            const double u = 1 - t;
            return 3 * u * u * (p1 - p0) + 6 * u * t * (p2 - p1) + 3 * t * t * (p3 - p2);
        };
        for (int k = 0; k < n; ++k) {
            const double t0 = double(k) / n, t1 = double(k + 1) / n, h = (t1 - t0) / 3;
            const Vec a = at(t0), b = at(t1);
            const Vec control = 0.25 * (3 * ((a + h * slope(t0)) + (b - h * slope(t1))) - (a + b));
            ContourPoint q{0, 0, false};
            if (!ToFixed(control.x, q.x) || !ToFixed(control.y, q.y))
                return fail();
            points_.push_back(q);
            if (k + 1 == n) {
                points_.push_back(FromVector(to, true));
            } else {
                ContourPoint e{0, 0, true};
                if (!ToFixed(b.x, e.x) || !ToFixed(b.y, e.y))
                    return fail();
                points_.push_back(e);
            }
        }
        last_ = to;
        return 0;
    }

    std::vector<ContourPoint> &points_;
    FT_Vector last_{0, 0};
    bool ok_ = true;
};

ContourPoint Midpoint(const ContourPoint &a, const ContourPoint &b) {
    // 26.6 values times 1024 are even, so the halves are exact.
    return {std::int32_t((std::int64_t(a.x) + b.x) / 2),
            std::int32_t((std::int64_t(a.y) + b.y) / 2), true};
}

class OutlineWriter {
public:
    explicit OutlineWriter(std::vector<unsigned char> &bytes) : bytes(bytes) {}

    std::vector<unsigned char> &bytes;

    void putU16(std::uint16_t v) { put(&v, sizeof v); }
    void putU32(std::uint32_t v) { put(&v, sizeof v); }
    void putPoint(const ContourPoint &p) {
        put(&p.x, sizeof p.x);
        put(&p.y, sizeof p.y);
    }
    void patchU32(std::size_t at, std::uint32_t v) { std::memcpy(bytes.data() + at, &v, sizeof v); }

private:
    void put(const void *data, std::size_t size) {
        const auto *p = static_cast<const unsigned char *>(data);
        bytes.insert(bytes.end(), p, p + size);
    }
};

struct BuiltGlyph {
    std::vector<unsigned char> bytes;
    GlyphMetrics metrics;
};

// Loads the glyph unhinted at the em size, turns it by the matrix and writes
// it out. False when there is no usable outline.
bool BuildGlyph(FT_Face face, double emPixels, char32_t ch, const GlyphMatrix &m,
                BuiltGlyph &glyph) {
    if (!FT_IS_SCALABLE(face))
        return false;
    const FT_F26Dot6 charSize = FT_F26Dot6(std::llround(emPixels * 64.0));
    if (charSize < 1 || FT_Set_Char_Size(face, 0, charSize, 72, 72) != 0)
        return false;
    const FT_UInt index = GlyphIndex(face, ch);
    if (index == 0)
        return false;
    if (FT_Load_Glyph(face, index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
        return false;
    FT_GlyphSlot slot = face->glyph;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE)
        return false;

    // A point (u, v) goes to (u*eM11 + v*eM21, u*eM12 + v*eM22).
    FT_Matrix matrix;
    matrix.xx = m.eM11;
    matrix.xy = m.eM21;
    matrix.yx = m.eM12;
    matrix.yy = m.eM22;
    FT_Outline &outline = slot->outline;
    FT_Outline_Transform(&outline, &matrix);
    FT_Vector advance = slot->advance;
    FT_Vector_Transform(&advance, &matrix);

    std::vector<unsigned char> bytes;
    std::vector<ContourPoint> contour;
    int first = 0;
    for (int c = 0; c < outline.n_contours; ++c) {
        const int last = outline.contours[c];
        if (last < first || last >= outline.n_points)
            return false;
        contour.clear();
        // The native format knows lines and quadratic arcs only: a contour
        // with cubic arcs (CFF and Type 1 faces) is converted.
        const bool cubic = std::any_of(outline.tags + first, outline.tags + last + 1, [](char tag) {
            return FT_CURVE_TAG(tag) == FT_CURVE_TAG_CUBIC;
        });
        if (cubic) {
            if (!CubicContour::Build(outline, first, last, contour))
                return false;
        } else {
            for (int k = first; k <= last; ++k) {
                const FT_Vector &p = outline.points[k];
                if (!InRange(p))
                    return false;
                contour.push_back(FromVector(p, FT_CURVE_TAG(outline.tags[k]) == FT_CURVE_TAG_ON));
            }
        }
        first = last + 1;
        if (!AppendNativeContour(contour, bytes))
            return false;
    }

    GlyphMetrics &gm = glyph.metrics;
    gm = GlyphMetrics();
    if (outline.n_points > 0) {
        FT_BBox box;
        FT_Outline_Get_CBox(&outline, &box);
        const FT_Pos left = box.xMin >> 6, right = (box.xMax + 63) >> 6;
        const FT_Pos bottom = box.yMin >> 6, top = (box.yMax + 63) >> 6;
        gm.blackBoxX = std::uint32_t(std::max<FT_Pos>(1, right - left));
        gm.blackBoxY = std::uint32_t(std::max<FT_Pos>(1, top - bottom));
        gm.glyphOrigin = QPoint(int(left), int(top));
    } else {
        gm.blackBoxX = 1;
        gm.blackBoxY = 1;
    }
    // X as the turned advance; Y in the sense the Windows NT family reports
    // it, growing downward like the surface, unlike the outline: a turn
    // counter-clockwise by a gives (cos a, -sin a). The outline text then adds
    // it, which is what settings from those systems ask for.
    gm.cellIncX = Round26Dot6(advance.x);
    gm.cellIncY = Round26Dot6(-advance.y);
    glyph.bytes = std::move(bytes);
    return true;
}

// The outline text asks twice for every glyph (size, then data); the second
// time the glyph is taken from here.
struct LastGlyph {
    FT_Face face = nullptr;
    double emPixels = 0;
    char32_t ch = 0;
    GlyphMatrix matrix;
    BuiltGlyph glyph;

    bool matches(FT_Face f, double em, char32_t c, const GlyphMatrix &m) const {
        return face == f && emPixels == em && ch == c && matrix.eM11 == m.eM11 &&
               matrix.eM12 == m.eM12 && matrix.eM21 == m.eM21 && matrix.eM22 == m.eM22;
    }
};

LastGlyph &Last() {
    static thread_local LastGlyph last;
    return last;
}

}  // namespace

// One contour in the native form: the start point is the first on-curve
// point (or, for a contour that begins off the curve, its last point when that
// is on the curve, else the midpoint of its first and last points); runs of
// on-curve points become line records, runs of off-curve points together with
// the on-curve point that ends them become one B-spline record. A run that
// wraps around ends at the start point.
bool AppendNativeContour(const std::vector<ContourPoint> &pts, std::vector<unsigned char> &bytes) {
    const std::size_t n = pts.size();
    // A lone point encloses nothing.
    if (n < 2)
        return true;
    OutlineWriter out(bytes);
    ContourPoint start;
    std::size_t from = 0, to = n;  // the points after the start, [from, to)
    if (pts.front().onCurve) {
        start = pts.front();
        from = 1;
    } else if (pts.back().onCurve) {
        start = pts.back();
        to = n - 1;
    } else {
        start = Midpoint(pts.front(), pts.back());
    }

    const std::size_t headerAt = out.bytes.size();
    out.putU32(0);  // size, patched below
    out.putU32(PolygonType);
    out.putPoint(start);

    std::size_t i = from;
    while (i < to) {
        std::size_t j = i;
        if (pts[i].onCurve) {
            while (j < to && pts[j].onCurve)
                ++j;
            if (j - i > MaxRecordPoints)
                return false;
            out.putU16(LineRecord);
            out.putU16(std::uint16_t(j - i));
            for (std::size_t k = i; k < j; ++k)
                out.putPoint(pts[k]);
        } else {
            while (j < to && !pts[j].onCurve)
                ++j;
            const bool wraps = j == to;
            const std::size_t count = j - i + 1;
            if (count > MaxRecordPoints)
                return false;
            out.putU16(QSplineRecord);
            out.putU16(std::uint16_t(count));
            for (std::size_t k = i; k < j; ++k)
                out.putPoint(pts[k]);
            out.putPoint(wraps ? start : pts[j]);
            if (!wraps)
                ++j;
        }
        i = j;
    }
    out.patchU32(headerAt, std::uint32_t(out.bytes.size() - headerAt));
    return true;
}

qint64 NativeGlyphOutline(const QString &face, double emPixels, char32_t ch, const GlyphMatrix &m,
                          GlyphMetrics *metrics, void *buffer, qint64 bufferSize) {
    if (!(emPixels > 0.0) || !(emPixels <= MaxEmPixels))
        return -1;
    FT_Face ftFace = Fonts().faceForFamily(face);
    if (!ftFace)
        return -1;

    LastGlyph &last = Last();
    if (!last.matches(ftFace, emPixels, ch, m)) {
        last.face = nullptr;
        if (!BuildGlyph(ftFace, emPixels, ch, m, last.glyph))
            return -1;
        last.face = ftFace;
        last.emPixels = emPixels;
        last.ch = ch;
        last.matrix = m;
    }

    const BuiltGlyph &glyph = last.glyph;
    const qint64 size = qint64(glyph.bytes.size());
    if (buffer) {
        if (bufferSize < size)
            return -1;
        if (size > 0)
            std::memcpy(buffer, glyph.bytes.data(), std::size_t(size));
    }
    if (metrics)
        *metrics = glyph.metrics;
    return size;
}

bool FaceHasGlyph(const QString &face, char32_t ch) {
    FT_Face ftFace = Fonts().faceForFamily(face);
    return ftFace && GlyphIndex(ftFace, ch) != 0;
}
