#include <gtest/gtest.h>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BITMAP_H
#include FT_OUTLINE_H

#include <QString>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "render/Drwglyph.h"
#include "render/FontRecipe.h"
#include "render/NativeOutline.h"
#include "render/Typefaces.h"

namespace {

// One drawing step of an outline, in pixels: a move, a line to `to`, or a
// quadratic arc through `control` to `to`.
struct Segment {
    enum Kind { Move, Line, Conic } kind;
    double cx = 0, cy = 0;
    double x = 0, y = 0;
};

// Zero-length lines carry no shape; FreeType closes every contour with a line
// even when its last point is the start point.
void AddSegment(std::vector<Segment> &out, Segment s) {
    if (s.kind == Segment::Line && !out.empty() && out.back().x == s.x && out.back().y == s.y)
        return;
    out.push_back(s);
}

// The native buffer read back into segments, checking its framing on the way.
std::vector<Segment> DecodeNative(const std::vector<unsigned char> &buf) {
    std::vector<Segment> out;
    auto u16 = [&](std::size_t at) {
        std::uint16_t v;
        std::memcpy(&v, buf.data() + at, 2);
        return v;
    };
    auto i32 = [&](std::size_t at) {
        std::int32_t v;
        std::memcpy(&v, buf.data() + at, 4);
        return v;
    };
    auto px = [](std::int32_t f) { return f / 65536.0; };

    std::size_t at = 0;
    while (at < buf.size()) {
        EXPECT_LE(at + 16, buf.size());
        const std::uint32_t cb = std::uint32_t(i32(at));
        EXPECT_EQ(i32(at + 4), 24);
        EXPECT_LE(at + cb, buf.size());
        if (cb < 16 || at + cb > buf.size())
            return out;
        const double sx = px(i32(at + 8)), sy = px(i32(at + 12));
        out.push_back({Segment::Move, 0, 0, sx, sy});
        std::size_t r = at + 16;
        while (r < at + cb) {
            const int kind = u16(r), n = u16(r + 2);
            EXPECT_LE(r + 4 + 8 * std::size_t(n), at + cb);
            auto pt = [&](int i) {
                return std::pair(px(i32(r + 4 + 8 * i)), px(i32(r + 8 + 8 * i)));
            };
            if (kind == 1) {
                for (int i = 0; i < n; ++i)
                    AddSegment(out, {Segment::Line, 0, 0, pt(i).first, pt(i).second});
            } else {
                EXPECT_EQ(kind, 2);
                EXPECT_GE(n, 2);
                for (int i = 0; i + 1 < n; ++i) {
                    const auto [bx, by] = pt(i);
                    auto [ex, ey] = pt(i + 1);
                    if (i + 2 < n) {
                        ex = (bx + ex) / 2;
                        ey = (by + ey) / 2;
                    }
                    out.push_back({Segment::Conic, bx, by, ex, ey});
                }
            }
            r += 4 + 8 * std::size_t(n);
        }
        EXPECT_EQ(r, at + cb);
        AddSegment(out, {Segment::Line, 0, 0, sx, sy});
        at += cb;
    }
    return out;
}

// FreeType's own walk over an outline, into segments in pixels.
const FT_Outline_Funcs &DecomposeFuncs() {
    static FT_Outline_Funcs funcs{};
    funcs.move_to = [](const FT_Vector *to, void *user) {
        static_cast<std::vector<Segment> *>(user)->push_back(
            {Segment::Move, 0, 0, to->x / 64.0, to->y / 64.0});
        return 0;
    };
    funcs.line_to = [](const FT_Vector *to, void *user) {
        AddSegment(*static_cast<std::vector<Segment> *>(user),
                   {Segment::Line, 0, 0, to->x / 64.0, to->y / 64.0});
        return 0;
    };
    funcs.conic_to = [](const FT_Vector *c, const FT_Vector *to, void *user) {
        static_cast<std::vector<Segment> *>(user)->push_back(
            {Segment::Conic, c->x / 64.0, c->y / 64.0, to->x / 64.0, to->y / 64.0});
        return 0;
    };
    funcs.cubic_to = [](const FT_Vector *, const FT_Vector *, const FT_Vector *, void *) {
        ADD_FAILURE() << "cubic arc in a TrueType face";
        return 1;
    };
    return funcs;
}

struct FreeTypeFixture {
    FT_Library library = nullptr;
    FT_Face face = nullptr;

    explicit FreeTypeFixture(const QString &family) {
        FcPattern *pattern = FcPatternCreate();
        const QByteArray name = family.toUtf8();
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8 *>(name.data()));
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult res;
        FcPattern *match = FcFontMatch(nullptr, pattern, &res);
        FcChar8 *file = nullptr;
        int index = 0;
        if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
            FcPatternGetInteger(match, FC_INDEX, 0, &index);
            if (FT_Init_FreeType(&library) == 0)
                FT_New_Face(library, reinterpret_cast<const char *>(file), index, &face);
        }
        if (match)
            FcPatternDestroy(match);
        FcPatternDestroy(pattern);
    }
    ~FreeTypeFixture() {
        if (face)
            FT_Done_Face(face);
        if (library)
            FT_Done_FreeType(library);
    }

    // FreeType's own reading of the glyph at this size under the matrix.
    std::vector<Segment> decompose(double em, char32_t ch, const GlyphMatrix &m) {
        std::vector<Segment> out;
        FT_Set_Char_Size(face, 0, FT_F26Dot6(std::llround(em * 64)), 72, 72);
        const FT_UInt index = FT_Get_Char_Index(face, ch);
        EXPECT_NE(index, 0u);
        EXPECT_EQ(FT_Load_Glyph(face, index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP), 0);
        FT_Matrix matrix{m.eM11, m.eM21, m.eM12, m.eM22};
        FT_Outline_Transform(&face->glyph->outline, &matrix);

        FT_Outline_Decompose(&face->glyph->outline, &DecomposeFuncs(), &out);
        return out;
    }
};

// A move that nothing is drawn from (a one-point contour).
std::vector<Segment> WithoutLonePoints(const std::vector<Segment> &in) {
    std::vector<Segment> out;
    for (std::size_t i = 0; i < in.size(); ++i) {
        const bool lone =
            in[i].kind == Segment::Move && (i + 1 == in.size() || in[i + 1].kind == Segment::Move);
        if (!lone)
            out.push_back(in[i]);
    }
    return out;
}

std::vector<unsigned char> Fetch(const QString &face, double em, char32_t ch, const GlyphMatrix &m,
                                 GlyphMetrics *metrics = nullptr) {
    const qint64 size = NativeGlyphOutline(face, em, ch, m, nullptr, nullptr, 0);
    EXPECT_GE(size, 0) << "char " << unsigned(ch);
    if (size < 0)
        return {};
    std::vector<unsigned char> buf(std::size_t(size) + 64, 0xEE);
    EXPECT_EQ(NativeGlyphOutline(face, em, ch, m, metrics, buf.data(), size), size);
    // Nothing past the size that was asked for is touched.
    for (std::size_t i = std::size_t(size); i < buf.size(); ++i)
        EXPECT_EQ(buf[i], 0xEE);
    buf.resize(std::size_t(size));
    return buf;
}

GlyphMatrix Turn(double degrees, bool mirror = false) {
    const double a = degrees * M_PI / 180.0;
    GlyphMatrix m;
    m.eM11 = FixedFromReal(std::cos(a) * (mirror ? -1 : 1));
    m.eM12 = FixedFromReal(std::sin(a));
    m.eM21 = FixedFromReal(-std::sin(a) * (mirror ? -1 : 1));
    m.eM22 = FixedFromReal(std::cos(a));
    return m;
}

// The native buffer as a FreeType outline (16.16 to 26.6), so that both are
// filled by the same rasterizer.
struct NativeAsFreeType {
    std::vector<FT_Vector> points;
    std::vector<char> tags;
    std::vector<short> ends;
    FT_Outline outline{};

    explicit NativeAsFreeType(const std::vector<unsigned char> &buf) {
        auto u16 = [&](std::size_t at) {
            std::uint16_t v;
            std::memcpy(&v, buf.data() + at, 2);
            return v;
        };
        auto i32 = [&](std::size_t at) {
            std::int32_t v;
            std::memcpy(&v, buf.data() + at, 4);
            return v;
        };
        auto add = [&](std::size_t at, bool on) {
            points.push_back({FT_Pos(std::lround(i32(at) / 1024.0)),
                              FT_Pos(std::lround(i32(at + 4) / 1024.0))});
            tags.push_back(on ? FT_CURVE_TAG_ON : FT_CURVE_TAG_CONIC);
        };
        std::size_t at = 0;
        while (at + 16 <= buf.size()) {
            const std::size_t cb = std::size_t(i32(at));
            add(at + 8, true);
            for (std::size_t r = at + 16; r < at + cb;) {
                const int kind = u16(r), n = u16(r + 2);
                for (int i = 0; i < n; ++i)
                    add(r + 4 + 8 * std::size_t(i), kind == 1 || i + 1 == n);
                r += 4 + 8 * std::size_t(n);
            }
            ends.push_back(short(points.size() - 1));
            at += cb;
        }
        outline.n_contours = short(ends.size());
        outline.n_points = short(points.size());
        outline.points = points.data();
        outline.tags = tags.data();
        outline.contours = ends.data();
    }
};

// FreeType's coverage of an outline, 0 to 255, in a w x h bitmap whose lower
// left corner is at (left, bottom) pixels. It fills at four times the size
// and averages, so that its own flattening of arcs hardly counts.
std::vector<int> Coverage(FT_Library library, FT_Outline &outline, FT_Pos left, FT_Pos bottom,
                          int w, int h) {
    constexpr int k = 4;
    std::vector<unsigned char> fine(std::size_t(w * k) * std::size_t(h * k), 0);
    FT_Bitmap bitmap;
    FT_Bitmap_Init(&bitmap);
    bitmap.rows = unsigned(h * k);
    bitmap.width = unsigned(w * k);
    bitmap.pitch = w * k;
    bitmap.buffer = fine.data();
    bitmap.pixel_mode = FT_PIXEL_MODE_GRAY;
    bitmap.num_grays = 256;
    FT_Outline_Translate(&outline, -left * 64, -bottom * 64);
    FT_Matrix grow{k << 16, 0, 0, k << 16};
    FT_Outline_Transform(&outline, &grow);
    EXPECT_EQ(FT_Outline_Get_Bitmap(library, &outline, &bitmap), 0);
    std::vector<int> pixels(std::size_t(w) * std::size_t(h), 0);
    for (int y = 0; y < h * k; ++y) {
        for (int x = 0; x < w * k; ++x)
            pixels[std::size_t(y / k * w + x / k)] += fine[std::size_t(y * w * k + x)];
    }
    for (int &p : pixels)
        p = (p + k * k / 2) / (k * k);
    return pixels;
}

}  // namespace

TEST(NativeOutline, MatchesFreeTypeSegmentForSegment) {
    // U+2075 has contours that begin and end off the curve; DejaVu's 'u' has a
    // lone point (a contour of one point, which encloses nothing).
    const std::pair<QString, std::u32string> cases[] = {
        {QStringLiteral("Arial"), U"aOBgßÄ8\u2075"},
        {QStringLiteral("DejaVu Sans"), U"uaS\u2075"},
    };
    const double sizes[] = {11.3, 96.0, 1230.75};
    const GlyphMatrix matrices[] = {GlyphMatrix(), Turn(30), Turn(90), Turn(200, true)};
    for (const auto &[face, letters] : cases) {
        FreeTypeFixture ft(face);
        ASSERT_NE(ft.face, nullptr);
        for (const double em : sizes) {
            for (const GlyphMatrix &m : matrices) {
                for (const char32_t ch : letters) {
                    SCOPED_TRACE(testing::Message()
                                 << face.toStdString() << " char " << unsigned(ch) << " em " << em
                                 << " m11 " << m.eM11 << " m12 " << m.eM12);
                    const std::vector<Segment> native = DecodeNative(Fetch(face, em, ch, m));
                    const std::vector<Segment> expected =
                        WithoutLonePoints(ft.decompose(em, ch, m));
                    ASSERT_EQ(native.size(), expected.size());
                    // FreeType halves between two off-curve points in 26.6, we in 16.16.
                    const double tolerance = 1.0 / 128;
                    for (std::size_t i = 0; i < native.size(); ++i) {
                        ASSERT_EQ(native[i].kind, expected[i].kind) << "segment " << i;
                        EXPECT_NEAR(native[i].x, expected[i].x, tolerance) << "segment " << i;
                        EXPECT_NEAR(native[i].y, expected[i].y, tolerance) << "segment " << i;
                        EXPECT_NEAR(native[i].cx, expected[i].cx, tolerance) << "segment " << i;
                        EXPECT_NEAR(native[i].cy, expected[i].cy, tolerance) << "segment " << i;
                    }
                }
            }
        }
    }
}

// The contour rules on hand-made contours, including the starts off the curve
// that the installed faces rarely have, against FreeType reading the same points.
TEST(NativeOutline, ContourStartsAndRunsFollowFreeType) {
    const std::vector<std::vector<ContourPoint>> contours = {
        {{0, 0, true}, {10, 0, true}, {10, 10, true}},
        {{0, 0, true}, {8, 20, false}, {16, 0, true}, {8, -20, false}},
        {{4, 6, false}, {10, 0, true}, {12, 2, true}, {20, 10, false}, {2, 2, true}},
        {{0, 10, false}, {10, 0, false}, {0, -10, false}, {-10, 0, false}},
        {{6, 6, false}, {0, 0, true}},
        {{0, 0, false}, {4, 8, false}, {6, 6, true}, {8, 8, true}, {10, 2, false}, {12, 4, false}},
    };
    for (std::size_t c = 0; c < contours.size(); ++c) {
        SCOPED_TRACE(c);
        std::vector<ContourPoint> fixed;
        std::vector<FT_Vector> points;
        std::vector<char> tags;
        for (const ContourPoint &p : contours[c]) {
            // Even 26.6 values, so both sides halve exactly.
            points.push_back({p.x * 2, p.y * 2});
            fixed.push_back({p.x * 2 * 1024, p.y * 2 * 1024, p.onCurve});
            tags.push_back(p.onCurve ? FT_CURVE_TAG_ON : FT_CURVE_TAG_CONIC);
        }
        std::vector<unsigned char> bytes;
        ASSERT_TRUE(AppendNativeContour(fixed, bytes));

        short last = short(points.size() - 1);
        FT_Outline outline{};
        outline.n_contours = 1;
        outline.n_points = short(points.size());
        outline.points = points.data();
        outline.tags = tags.data();
        outline.contours = &last;
        std::vector<Segment> expected;
        ASSERT_EQ(FT_Outline_Decompose(&outline, &DecomposeFuncs(), &expected), 0);

        const std::vector<Segment> native = DecodeNative(bytes);
        ASSERT_EQ(native.size(), expected.size());
        for (std::size_t i = 0; i < native.size(); ++i) {
            EXPECT_EQ(native[i].kind, expected[i].kind) << "segment " << i;
            EXPECT_EQ(native[i].x, expected[i].x) << "segment " << i;
            EXPECT_EQ(native[i].y, expected[i].y) << "segment " << i;
            EXPECT_EQ(native[i].cx, expected[i].cx) << "segment " << i;
            EXPECT_EQ(native[i].cy, expected[i].cy) << "segment " << i;
        }
    }

    std::vector<unsigned char> bytes;
    EXPECT_TRUE(AppendNativeContour({{5, 5, true}}, bytes));
    EXPECT_TRUE(AppendNativeContour({}, bytes));
    EXPECT_TRUE(bytes.empty());
    // A run too long for a 16-bit count is refused, not cut.
    EXPECT_FALSE(AppendNativeContour(std::vector<ContourPoint>(70000), bytes));
}

TEST(NativeOutline, CellIncrementIsTheTurnedAdvanceWithYDownAsOnWindowsNt) {
    const QString face = QStringLiteral("Arial");
    FreeTypeFixture ft(face);
    ASSERT_NE(ft.face, nullptr);
    const double em = 200.0;
    FT_Set_Char_Size(ft.face, 0, FT_F26Dot6(em * 64), 72, 72);
    FT_Load_Glyph(ft.face, FT_Get_Char_Index(ft.face, 'H'), FT_LOAD_NO_HINTING);
    const double advance = ft.face->glyph->advance.x / 64.0;
    ASSERT_GT(advance, 50.0);

    for (const double degrees : {0.0, 30.0, 90.0, 180.0, 270.0}) {
        SCOPED_TRACE(degrees);
        GlyphMetrics gm;
        ASSERT_GT(NativeGlyphOutline(face, em, 'H', Turn(degrees), &gm, nullptr, 0), 0);
        const double a = degrees * M_PI / 180.0;
        EXPECT_LE(std::abs(gm.cellIncX - advance * std::cos(a)), 0.5 + 1e-6);
        EXPECT_LE(std::abs(gm.cellIncY + advance * std::sin(a)), 0.5 + 1e-6);
    }

    // The black box holds the letter: 'H' stands on the baseline.
    GlyphMetrics gm;
    ASSERT_GT(NativeGlyphOutline(face, em, 'H', GlyphMatrix(), &gm, nullptr, 0), 0);
    EXPECT_GT(gm.blackBoxY, em * 0.6);
    EXPECT_LT(gm.blackBoxX, advance);
    EXPECT_GT(gm.glyphOrigin.y(), 0);
}

TEST(NativeOutline, SpaceIsEmptyButAdvances) {
    GlyphMetrics gm;
    gm.cellIncX = -7;
    EXPECT_EQ(
        NativeGlyphOutline(QStringLiteral("Arial"), 100.0, U' ', GlyphMatrix(), &gm, nullptr, 0),
        0);
    EXPECT_GT(gm.cellIncX, 20);
    EXPECT_EQ(gm.cellIncY, 0);
    char byte = 0x5A;
    EXPECT_EQ(
        NativeGlyphOutline(QStringLiteral("Arial"), 100.0, U' ', GlyphMatrix(), &gm, &byte, 1), 0);
    EXPECT_EQ(byte, 0x5A);
}

TEST(NativeOutline, FailsWithoutGlyphOrSizeAndNeverWritesPastTheBuffer) {
    const QString face = QStringLiteral("Arial");
    FreeTypeFixture ft(face);
    ASSERT_NE(ft.face, nullptr);
    // A CJK letter that Liberation Sans does not have.
    ASSERT_EQ(FT_Get_Char_Index(ft.face, 0x4E2D), 0u);
    EXPECT_EQ(NativeGlyphOutline(face, 100.0, 0x4E2D, GlyphMatrix(), nullptr, nullptr, 0), -1);

    for (const double em : {0.0, -5.0, 0.001, std::nan(""), HUGE_VAL, 1e9}) {
        SCOPED_TRACE(em);
        EXPECT_EQ(NativeGlyphOutline(face, em, 'a', GlyphMatrix(), nullptr, nullptr, 0), -1);
    }

    const qint64 size = NativeGlyphOutline(face, 50.0, 'a', GlyphMatrix(), nullptr, nullptr, 0);
    ASSERT_GT(size, 16);
    std::vector<unsigned char> buf(std::size_t(size), 0xEE);
    EXPECT_EQ(NativeGlyphOutline(face, 50.0, 'a', GlyphMatrix(), nullptr, buf.data(), size - 1),
              -1);
    EXPECT_EQ(std::count(buf.begin(), buf.end(), 0xEE), size);
}

// The typeface list offers what fontconfig really has, every scalable face
// (CFF ones too, now that they give outlines), and nothing it substitutes.
TEST(Typefaces, ListHoldsEveryScalableFamilyAndNoSubstitute) {
    const QStringList faces = PrintableFamilies();
    for (const char *real : {"C059", "Z003", "Nimbus Sans", "Liberation Sans", "DejaVu Sans"})
        EXPECT_TRUE(faces.contains(QLatin1String(real))) << real;
    for (const QString &face : faces) {
        SCOPED_TRACE(face.toStdString());
        const ResolvedFace &resolved = ResolveFace(face);
        EXPECT_TRUE(resolved.installed);
        EXPECT_EQ(resolved.family, face);
        EXPECT_FALSE(face.contains(QLatin1Char('[')));
        EXPECT_EQ(FontRecipe::forFace(face).family(), face);
    }
    QStringList sorted = faces;
    sorted.sort(Qt::CaseInsensitive);
    EXPECT_EQ(faces, sorted);
    sorted.removeDuplicates();
    EXPECT_EQ(faces.size(), sorted.size());
    for (const char *alias : {"Old Germen", "Arial", "Sans Serif", "Monospace", "Symbol"}) {
        if (!ResolveFace(QLatin1String(alias)).installed) {
            EXPECT_FALSE(faces.contains(QLatin1String(alias))) << alias;
        }
    }
}

// A face that is not installed: preview, outlines and message name one and
// the same substitute.
TEST(Typefaces, MissingFaceHasOneSubstituteEverywhere) {
    const QString missing = QStringLiteral("Vellumo Gibt Es Nicht");
    const ResolvedFace &resolved = ResolveFace(missing);
    EXPECT_FALSE(resolved.installed);
    EXPECT_TRUE(ResolveFace(resolved.family).installed);
    EXPECT_EQ(FontRecipe::forFace(missing).family(), resolved.family);
    EXPECT_EQ(MissingFaceMessage(missing),
              QStringLiteral("Schriftart \u201EVellumo Gibt Es Nicht\u201C ist nicht installiert; "
                             "verwendet wird \u201E") +
                  resolved.family + QStringLiteral("\u201C."));
    EXPECT_EQ(Fetch(missing, 80.0, 'R', GlyphMatrix()),
              Fetch(resolved.family, 80.0, 'R', GlyphMatrix()));

    EXPECT_TRUE(MissingFaceMessage(QStringLiteral("Liberation Sans")).isEmpty());
    const ResolvedFace &caseBlind = ResolveFace(QStringLiteral("c059"));
    EXPECT_TRUE(caseBlind.installed);
    EXPECT_EQ(caseBlind.family, QStringLiteral("C059"));
}

// CFF and Type 1 faces draw with cubic arcs, which the native format lacks:
// filled, the quadratic arcs that stand for them must cover the pixels
// FreeType's own rendering of the glyph covers, to a quarter of a pixel, and
// stay within the polygon budget of a glyph (each arc is 5 points).
TEST(NativeOutline, CubicArcsBecomeQuadraticWithinAQuarterPixel) {
    const std::pair<QString, std::u32string> cases[] = {
        {QStringLiteral("C059"), U"aegSQ&@\u00DF"},
        {QStringLiteral("Z003"), U"TgkW"},
        // fontconfig gives this family's Type 1 file.
        {QStringLiteral("Nimbus Sans Narrow"), U"aS@"},
    };
    for (const auto &[face, letters] : cases) {
        FreeTypeFixture ft(face);
        ASSERT_NE(ft.face, nullptr);
        ASSERT_STREQ(ft.face->family_name, face.toUtf8().constData())
            << "fonts-urw-base35 is not installed (scripts/setup.sh installs it)";
        for (const double em : {14.0, 150.0, 1200.0}) {
            for (const GlyphMatrix &m : {GlyphMatrix(), Turn(30)}) {
                for (const char32_t ch : letters) {
                    SCOPED_TRACE(testing::Message() << face.toStdString() << " char "
                                                    << unsigned(ch) << " em " << em << " m12 "
                                                    << m.eM12);
                    const std::vector<unsigned char> buf = Fetch(face, em, ch, m);
                    ASSERT_FALSE(buf.empty());
                    NativeAsFreeType native(buf);

                    FT_Set_Char_Size(ft.face, 0, FT_F26Dot6(std::llround(em * 64)), 72, 72);
                    ASSERT_EQ(FT_Load_Glyph(ft.face, FT_Get_Char_Index(ft.face, ch),
                                            FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP),
                              0);
                    FT_Outline &own = ft.face->glyph->outline;
                    FT_Matrix matrix{m.eM11, m.eM21, m.eM12, m.eM22};
                    FT_Outline_Transform(&own, &matrix);
                    native.outline.flags = own.flags;

                    FT_BBox box;
                    FT_Outline_Get_CBox(&own, &box);
                    const FT_Pos left = (box.xMin >> 6) - 2, bottom = (box.yMin >> 6) - 2;
                    const int w = int((box.xMax + 63) / 64 - left) + 2;
                    const int h = int((box.yMax + 63) / 64 - bottom) + 2;
                    const std::vector<int> expected =
                        Coverage(ft.library, own, left, bottom, w, h);
                    const std::vector<int> drawn =
                        Coverage(ft.library, native.outline, left, bottom, w, h);
                    int worst = 0;
                    long inked = 0;
                    for (std::size_t i = 0; i < expected.size(); ++i) {
                        worst = std::max(worst, std::abs(expected[i] - drawn[i]));
                        inked += expected[i];
                    }
                    EXPECT_LE(worst, 255 / 4);
                    EXPECT_GT(inked, 255L * w * h / 20) << "the glyph covers next to nothing";

                    const std::vector<Segment> segments = DecodeNative(buf);
                    std::size_t polygonPoints = 0, contours = 0;
                    for (const Segment &s : segments) {
                        polygonPoints += s.kind == Segment::Conic ? 5 : s.kind == Segment::Line;
                        contours += s.kind == Segment::Move;
                    }
                    EXPECT_LE(polygonPoints + 2 * contours, 2048u);
                    EXPECT_LE(contours, 256u);
                }
            }
        }
    }
}
