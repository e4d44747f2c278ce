#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <map>
#include <numeric>
#include <random>
#include <vector>

#include "render/Drwglyph.h"
#include "render/RecordingCanvas.h"
#include "render/RenderState.h"

namespace {

// 16.16 from a real, for building test data.
std::int32_t Fx(double v) {
    return std::int32_t(std::lround(v * 65536.0));
}
PointFx Pt(double x, double y) {
    return {Fx(x), Fx(y)};
}

// Native outline buffers made by hand: contour() starts a contour, record()
// adds a record to it; sizes are filled in by bytes().
class OutlineBuilder {
public:
    OutlineBuilder &contour(PointFx start, std::uint32_t type = 24) {
        close();
        open_ = bytes_.size();
        put32(0);
        put32(type);
        put32(std::uint32_t(start.x));
        put32(std::uint32_t(start.y));
        return *this;
    }
    OutlineBuilder &record(std::uint16_t kind, const std::vector<PointFx> &points) {
        put16(kind);
        put16(std::uint16_t(points.size()));
        for (const PointFx &p : points) {
            put32(std::uint32_t(p.x));
            put32(std::uint32_t(p.y));
        }
        return *this;
    }
    std::vector<unsigned char> bytes() {
        close();
        return bytes_;
    }

private:
    void close() {
        if (open_ == npos)
            return;
        const std::uint32_t cb = std::uint32_t(bytes_.size() - open_);
        std::memcpy(bytes_.data() + open_, &cb, 4);
        open_ = npos;
    }
    void put16(std::uint16_t v) { bytes_.insert(bytes_.end(), {uint8(v), uint8(v >> 8)}); }
    void put32(std::uint32_t v) {
        put16(std::uint16_t(v));
        put16(std::uint16_t(v >> 16));
    }
    static unsigned char uint8(unsigned v) { return static_cast<unsigned char>(v & 0xFF); }

    static constexpr std::size_t npos = std::size_t(-1);
    std::vector<unsigned char> bytes_;
    std::size_t open_ = npos;
};

// The bytes placed right before a page that may not be read, so a read past
// the end crashes the test instead of going unnoticed.
class GuardedBuffer {
public:
    explicit GuardedBuffer(const std::vector<unsigned char> &bytes) {
        const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
        const std::size_t dataPages = (bytes.size() + page - 1) / page + 1;
        size_ = (dataPages + 1) * page;
        base_ = static_cast<unsigned char *>(
            mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        EXPECT_NE(base_, MAP_FAILED);
        EXPECT_EQ(mprotect(base_ + dataPages * page, page, PROT_NONE), 0);
        data_ = base_ + dataPages * page - bytes.size();
        if (!bytes.empty())
            std::memcpy(data_, bytes.data(), bytes.size());
    }
    ~GuardedBuffer() { munmap(base_, size_); }
    GuardedBuffer(const GuardedBuffer &) = delete;
    GuardedBuffer &operator=(const GuardedBuffer &) = delete;

    const void *data() const { return data_; }

private:
    unsigned char *base_ = nullptr;
    unsigned char *data_ = nullptr;
    std::size_t size_ = 0;
};

void Draw(RibbonCanvas &canvas, int penX, int penY, const std::vector<unsigned char> &bytes) {
    const GuardedBuffer guarded(bytes);
    GlyphPolygons(canvas, penX, penY, qint64(bytes.size()), guarded.data());
}

QVector<CanvasOp> Polygons(const RecordingCanvas &canvas) {
    return canvas.opsOf(CanvasOp::Kind::PolyPolygon);
}

// A canvas whose font metrics and glyph outlines the test decides.
class ScriptedCanvas : public RecordingCanvas {
public:
    struct Glyph {
        std::vector<unsigned char> bytes;
        int cellIncX = 0;
        int cellIncY = 0;
        qint64 reportedSize = -1;  // >= 0: claim this size instead
    };

    TextMetrics metrics;
    int extent = 0;
    std::map<char32_t, Glyph> glyphs;
    std::vector<GlyphMatrix> asked;

    TextMetrics textMetrics() const override { return metrics; }
    QSize textExtent(const QString &) const override { return QSize(extent, metrics.height); }
    qint64 glyphOutline(char32_t ch, const GlyphMatrix &m, GlyphMetrics *gm, void *buffer,
                        qint64 bufferSize) override {
        asked.push_back(m);
        const auto found = glyphs.find(ch);
        if (found == glyphs.end())
            return -1;
        const Glyph &g = found->second;
        if (gm) {
            gm->cellIncX = g.cellIncX;
            gm->cellIncY = g.cellIncY;
        }
        const qint64 size = g.reportedSize >= 0 ? g.reportedSize : qint64(g.bytes.size());
        if (!buffer)
            return size;
        if (bufferSize < qint64(g.bytes.size()))
            return -1;
        if (!g.bytes.empty())
            std::memcpy(buffer, g.bytes.data(), g.bytes.size());
        return qint64(g.bytes.size());
    }
};

// A glyph whose only point lies on its origin: the first polygon point is the pen.
std::vector<unsigned char> MarkerGlyph() {
    return OutlineBuilder().contour(Pt(0, 0)).record(1, {Pt(0, 0)}).bytes();
}

std::vector<QPoint> PenPositions(const RecordingCanvas &canvas) {
    std::vector<QPoint> pens;
    for (const CanvasOp &op : Polygons(canvas))
        pens.push_back(op.points.front());
    return pens;
}

// A drawing context with only the rasterizer mode set.
RenderContext WithRasterizer(int mode) {
    RenderContext context;
    context.RasterizerMode = mode;
    return context;
}

}  // namespace

TEST(GlyphFixed, ConversionsFollowTheirRoundingRules) {
    EXPECT_EQ(FixedFromReal(1.0), 65536);
    EXPECT_EQ(FixedFromReal(std::cos(M_PI / 2)), 0);
    EXPECT_EQ(FixedFromReal(-1.0), -65536);
    EXPECT_EQ(FixedFromReal(0.5 / 65536), 0);  // halves go to the even neighbour
    EXPECT_EQ(FixedFromReal(1.5 / 65536), 2);
    EXPECT_EQ(FixedFromReal(-2.5 / 65536), -2);

    struct Case {
        double v;
        int truncated, rounded, floor;
    };
    const Case cases[] = {
        {1.5, 1, 1, 1}, {1.75, 1, 2, 1},    {-1.5, -1, -2, -2}, {-1.25, -1, -1, -2},
        {2.5, 2, 2, 2}, {-0.75, 0, -1, -1}, {0.25, 0, 0, 0},    {-3.0, -3, -3, -3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.v);
        EXPECT_EQ(FixedToIntTruncated(Fx(c.v)), c.truncated);
        EXPECT_EQ(FixedToIntRounded(Fx(c.v)), c.rounded);
        EXPECT_EQ(FixedToIntFloor(Fx(c.v)), c.floor);
    }
    // Just past the half rounds up.
    EXPECT_EQ(FixedToIntRounded(0x18001), 2);

    EXPECT_EQ(FixedMidpoint(1, 2), 1);
    EXPECT_EQ(FixedMidpoint(-1, -2), -1);  // toward zero, not down
    EXPECT_EQ(FixedMidpoint(INT32_MAX, INT32_MAX), INT32_MAX);
    EXPECT_EQ(FixedMidpoint(INT32_MIN, INT32_MIN), INT32_MIN);
}

TEST(GlyphSpline, FiveStepsEndingExactlyAtTheEndPoint) {
    std::vector<QPoint> points{QPoint(-99, -99)};
    QSplineToPoints(Pt(0, 0), Pt(10, 0), Pt(10, 10), points);
    // x = 20t - 10t², y = 10t² at t = 0.2 ... 1, rounded.
    const std::vector<QPoint> expected{QPoint(-99, -99), QPoint(4, 0),  QPoint(6, 2),
                                       QPoint(8, 4),     QPoint(10, 6), QPoint(10, 10)};
    EXPECT_EQ(points, expected);

    // The control points are truncated first: -1.75 is -1, 2.9 is 2.
    points.clear();
    QSplineToPoints(Pt(-1.75, 2.9), Pt(-1.75, 2.9), Pt(-1.75, 2.9), points);
    EXPECT_EQ(points, std::vector<QPoint>(5, QPoint(-1, 2)));
}

TEST(GlyphPolygons, LineContourIsClosedThroughItsStartPoint) {
    RecordingCanvas canvas;
    const auto bytes = OutlineBuilder()
                           .contour(Pt(1.5, 2.5))
                           .record(1, {Pt(10.75, 0.5), Pt(10, 10), Pt(0, 10.5)})
                           .bytes();
    Draw(canvas, 100, 200, bytes);
    const auto ops = Polygons(canvas);
    ASSERT_EQ(ops.size(), 1);
    // Rounded points (an exact half rounds down), the start point by floor,
    // then the first point again; Y turned downward from the pen.
    const QVector<QPoint> expected{QPoint(111, 200), QPoint(110, 190), QPoint(100, 190),
                                   QPoint(101, 198), QPoint(111, 200)};
    EXPECT_EQ(ops[0].points, expected);
    EXPECT_EQ(ops[0].counts, QVector<int>{5});
}

TEST(GlyphPolygons, SplineRecordsBendThroughImpliedMidpoints) {
    RecordingCanvas canvas;
    const PointFx p0 = Pt(0, 0), b1 = Pt(10, 0), b2 = Pt(20, 10), b3 = Pt(20, 20);
    Draw(canvas, 0, 0, OutlineBuilder().contour(p0).record(2, {b1, b2, b3}).bytes());
    const auto ops = Polygons(canvas);
    ASSERT_EQ(ops.size(), 1);

    std::vector<QPoint> expected;
    const PointFx mid = Pt(15, 5);
    QSplineToPoints(p0, b1, mid, expected);
    QSplineToPoints(mid, b2, b3, expected);
    ASSERT_EQ(expected.size(), 10u);
    expected.push_back(QPoint(0, 0));
    expected.push_back(expected.front());
    for (QPoint &p : expected)
        p.setY(-p.y());
    EXPECT_EQ(ops[0].points, QVector<QPoint>(expected.begin(), expected.end()));
    EXPECT_EQ(ops[0].counts, QVector<int>{12});
}

TEST(GlyphPolygons, ArcStartsAtThePointBeforeItsRecordEvenAfterAnUnknownRecord) {
    RecordingCanvas canvas;
    const auto bytes = OutlineBuilder()
                           .contour(Pt(0, 0))
                           .record(1, {Pt(1, 0)})
                           .record(7, {Pt(50, 50), Pt(60, 60)})
                           .record(2, {Pt(10, 0), Pt(10, 10)})
                           .bytes();
    Draw(canvas, 0, 0, bytes);
    const auto ops = Polygons(canvas);
    ASSERT_EQ(ops.size(), 1);
    std::vector<QPoint> arc;
    QSplineToPoints(Pt(60, 60), Pt(10, 0), Pt(10, 10), arc);
    ASSERT_EQ(ops[0].points.size(), 1 + 5 + 2);
    EXPECT_EQ(ops[0].points[0], QPoint(1, 0));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(ops[0].points[1 + i], QPoint(arc[std::size_t(i)].x(), -arc[std::size_t(i)].y()));
}

TEST(GlyphPolygons, SeveralContoursAtOnceAndForeignContoursSkipped) {
    RecordingCanvas canvas;
    const auto bytes = OutlineBuilder()
                           .contour(Pt(0, 0))
                           .record(1, {Pt(5, 0), Pt(5, 5)})
                           .contour(Pt(100, 100), 99)
                           .record(1, {Pt(200, 200)})
                           .contour(Pt(1, 1))
                           .record(1, {Pt(2, 1), Pt(2, 2), Pt(1, 2)})
                           .bytes();
    Draw(canvas, 0, 0, bytes);
    const auto ops = Polygons(canvas);
    ASSERT_EQ(ops.size(), 1);
    EXPECT_EQ(ops[0].counts, (QVector<int>{4, 5}));
    for (const QPoint &p : ops[0].points)
        EXPECT_LT(p.x(), 100);
}

TEST(GlyphPolygons, DeviceUnitsBecomeLogicalAroundThePenAndTheMappingStays) {
    RecordingCanvas canvas;
    canvas.setMapMode(CanvasMapping::Mode::Anisotropic);
    canvas.setWindowExt(QSize(10, 20));
    canvas.setViewportExt(QSize(1, 1));
    canvas.setWindowOrg(QPoint(7, 7));
    canvas.setViewportOrg(QPoint(3, 3));
    const CanvasMapping before = canvas.mapping();

    Draw(canvas, 1000, 500, OutlineBuilder().contour(Pt(0, 0)).record(1, {Pt(3, 2)}).bytes());
    const auto ops = Polygons(canvas);
    ASSERT_EQ(ops.size(), 1);
    // x = pen + u * 10, y = pen - v * 20; the surface's origins play no part.
    EXPECT_EQ(ops[0].points[0], QPoint(1030, 460));
    EXPECT_EQ(ops[0].points[1], QPoint(1000, 500));
    EXPECT_EQ(canvas.mapping(), before);
    EXPECT_EQ(ops[0].mapping, before);
}

TEST(GlyphPolygons, GlyphsBeyondTheUsualCapacityAreDrawnWhole) {
    RecordingCanvas canvas;
    OutlineBuilder builder;
    const int contours = 300, pointsEach = 9;
    for (int c = 0; c < contours; ++c) {
        std::vector<PointFx> pts;
        for (int i = 0; i < pointsEach; ++i)
            pts.push_back(Pt(c, i));
        builder.contour(Pt(c, 0)).record(1, pts);
    }
    Draw(canvas, 0, 0, builder.bytes());
    const auto ops = Polygons(canvas);
    ASSERT_EQ(ops.size(), 1);
    ASSERT_EQ(ops[0].counts.size(), contours);
    EXPECT_EQ(ops[0].points.size(), contours * (pointsEach + 2));
    EXPECT_GT(ops[0].points.size(), 2048);
    EXPECT_EQ(ops[0].points.back(), QPoint(contours - 1, 0));
    EXPECT_EQ(ops[0].points[std::size_t(ops[0].points.size() - 3)],
              QPoint(contours - 1, -(pointsEach - 1)));
}

TEST(GlyphPolygons, TruncatedBufferDrawsOnlyItsCompleteContours) {
    OutlineBuilder first;
    first.contour(Pt(0, 0)).record(1, {Pt(4, 0), Pt(4, 4)});
    const std::size_t firstSize = first.bytes().size();
    const auto bytes = OutlineBuilder()
                           .contour(Pt(0, 0))
                           .record(1, {Pt(4, 0), Pt(4, 4)})
                           .contour(Pt(8, 8))
                           .record(2, {Pt(9, 8), Pt(9, 9), Pt(8, 9)})
                           .record(1, {Pt(7, 7)})
                           .bytes();
    for (std::size_t length = 0; length <= bytes.size(); ++length) {
        SCOPED_TRACE(length);
        RecordingCanvas canvas;
        const std::vector<unsigned char> cut(bytes.begin(), bytes.begin() + long(length));
        Draw(canvas, 0, 0, cut);
        const auto ops = Polygons(canvas);
        if (length < firstSize) {
            EXPECT_TRUE(ops.isEmpty());
        } else {
            ASSERT_EQ(ops.size(), 1);
            EXPECT_EQ(ops[0].counts.size(), length == bytes.size() ? 2 : 1);
        }
    }
}

TEST(GlyphPolygons, DamagedHeadersAndRecordsStopTheWalk) {
    auto withSize = [](std::vector<unsigned char> bytes, std::size_t at, std::uint32_t cb) {
        std::memcpy(bytes.data() + at, &cb, 4);
        return bytes;
    };
    const auto good = OutlineBuilder().contour(Pt(0, 0)).record(1, {Pt(4, 0), Pt(4, 4)}).bytes();

    // A size of 0 would never move on; sizes below the header or past the end.
    for (const std::uint32_t cb : {0u, 8u, 15u, 0xFFFFFFFFu, std::uint32_t(good.size() + 1)}) {
        SCOPED_TRACE(cb);
        RecordingCanvas canvas;
        Draw(canvas, 0, 0, withSize(good, 0, cb));
        EXPECT_TRUE(Polygons(canvas).isEmpty());
    }

    // A record claiming more points than its contour holds, and a one-point
    // arc record at the very end of the buffer.
    RecordingCanvas canvas;
    auto bytes = OutlineBuilder()
                     .contour(Pt(0, 0))
                     .record(1, {Pt(1, 1)})
                     .contour(Pt(0, 0))
                     .record(1, {Pt(4, 0), Pt(4, 4)})
                     .bytes();
    const std::uint16_t many = 0xFFFF;
    std::memcpy(bytes.data() + bytes.size() - 16 - 2, &many, 2);
    Draw(canvas, 0, 0, bytes);
    auto ops = Polygons(canvas);
    ASSERT_EQ(ops.size(), 1);
    EXPECT_EQ(ops[0].counts, QVector<int>{3});

    RecordingCanvas single;
    Draw(single, 0, 0, OutlineBuilder().contour(Pt(0, 0)).record(2, {Pt(6, 6)}).bytes());
    ops = Polygons(single);
    ASSERT_EQ(ops.size(), 1);
    EXPECT_EQ(ops[0].points, (QVector<QPoint>{QPoint(6, -6), QPoint(0, 0), QPoint(6, -6)}));
}

TEST(GlyphPolygons, RandomBytesNeverReadOutsideOrBreakThePolygonList) {
    std::mt19937 random(20240611);
    const auto base = OutlineBuilder()
                          .contour(Pt(0, 0))
                          .record(2, {Pt(9, 8), Pt(9, 9), Pt(8, 9)})
                          .record(1, {Pt(7, 7), Pt(1, 2)})
                          .contour(Pt(3, 3))
                          .record(1, {Pt(4, 4)})
                          .bytes();
    for (int round = 0; round < 3000; ++round) {
        std::vector<unsigned char> bytes = base;
        // Flip a few bytes of a valid buffer, or cut it, or use pure noise.
        if (round % 3 == 0) {
            bytes.resize(random() % 120);
            for (unsigned char &b : bytes)
                b = static_cast<unsigned char>(random());
        } else {
            for (int k = 0; k < 1 + int(random() % 4); ++k)
                bytes[random() % bytes.size()] = static_cast<unsigned char>(random());
            if (round % 3 == 2)
                bytes.resize(random() % bytes.size());
        }
        RecordingCanvas canvas;
        Draw(canvas, 0, 0, bytes);
        for (const CanvasOp &op : Polygons(canvas)) {
            EXPECT_EQ(std::accumulate(op.counts.begin(), op.counts.end(), 0), op.points.size());
            for (const int count : op.counts)
                EXPECT_GE(count, 2);
        }
    }
}

TEST(GlyphTextOut, PenStartFollowsAlignmentAndAngle) {
    struct Case {
        unsigned align;
        double angle;
        QPoint pen;  // relative to the reference point
    };
    const Case cases[] = {
        {TextAlign::Center | TextAlign::Top, 0.0, QPoint(-500, 400)},
        {TextAlign::Center | TextAlign::Top, M_PI / 2, QPoint(400, 500)},
        {TextAlign::Center | TextAlign::Top, M_PI, QPoint(500, -400)},
        {TextAlign::Center | TextAlign::Top, 3 * M_PI / 2, QPoint(-400, -500)},
        {TextAlign::Right | TextAlign::Bottom, 0.0, QPoint(-1000, -100)},
        {TextAlign::Left | TextAlign::Baseline, 0.0, QPoint(0, 0)},
        {TextAlign::Left | TextAlign::Top, M_PI / 6, QPoint(200, 346)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "align " << c.align << " angle " << c.angle);
        ScriptedCanvas canvas;
        canvas.metrics.ascent = 400;
        canvas.metrics.descent = 100;
        canvas.metrics.height = 500;
        canvas.extent = 1000;
        canvas.glyphs[U'A'] = {MarkerGlyph(), 0, 0};
        canvas.setTextAlign(c.align);
        GlyphTextOut(RenderContext(), canvas, 3000, 2000, c.angle, QStringLiteral("A"));
        const auto pens = PenPositions(canvas);
        ASSERT_EQ(pens.size(), 1u);
        EXPECT_EQ(pens[0], QPoint(3000, 2000) + c.pen);
    }
}

TEST(GlyphTextOut, AdvanceScalesToLogicalUnitsAndHonoursTheRasterizerMode) {
    // The increment is reported pointing down the surface, as on Windows NT:
    // automatic adds like 1; only 2 subtracts.
    const std::pair<int, int> modes[] = {{0, 107}, {1, 107}, {2, -107}, {5, 107}};
    for (const auto &[mode, dy] : modes) {
        SCOPED_TRACE(mode);
        const RenderContext context = WithRasterizer(mode);
        ScriptedCanvas canvas;
        canvas.setMapMode(CanvasMapping::Mode::Anisotropic);
        canvas.setWindowExt(QSize(8, 8));
        canvas.setViewportExt(QSize(3, 3));
        canvas.setTextAlign(TextAlign::Left | TextAlign::Baseline);
        canvas.glyphs[U'A'] = {MarkerGlyph(), 30, 40};
        GlyphTextOut(context, canvas, 0, 0, 0.0, QStringLiteral("AA"));
        const auto pens = PenPositions(canvas);
        ASSERT_EQ(pens.size(), 2u);
        // 30 * 8 / 3 = 80; 40 * 8 / 3 = 106.67, rounded to 107.
        EXPECT_EQ(pens[1] - pens[0], QPoint(80, dy));
    }
}

TEST(GlyphTextOut, MissingGlyphsStayPutBlanksOnlyMove) {
    ScriptedCanvas canvas;
    canvas.setTextAlign(TextAlign::Left | TextAlign::Baseline);
    canvas.glyphs[U'A'] = {MarkerGlyph(), 10, 0};
    canvas.glyphs[U' '] = {{}, 7, 0};
    ScriptedCanvas::Glyph huge{MarkerGlyph(), 1000, 0};
    huge.reportedSize = qint64(1) << 40;
    canvas.glyphs[U'H'] = huge;
    GlyphTextOut(RenderContext(), canvas, 0, 0, 0.0, QStringLiteral("AxA AHA"));
    // 'x' fails and 'H' claims an absurd size: neither draws nor moves the pen.
    const std::vector<QPoint> expected{QPoint(0, 0), QPoint(10, 0), QPoint(27, 0), QPoint(37, 0)};
    EXPECT_EQ(PenPositions(canvas), expected);

    // A soft hyphen (from an order or an e-mail) draws nothing on one line,
    // even where the face has a glyph for it, and neither do zero-width
    // characters.
    ScriptedCanvas hyphen;
    hyphen.setTextAlign(TextAlign::Left | TextAlign::Baseline);
    hyphen.glyphs[U'A'] = {MarkerGlyph(), 10, 0};
    hyphen.glyphs[0x00AD] = {MarkerGlyph(), 6, 0};
    hyphen.glyphs[0x200B] = {MarkerGlyph(), 6, 0};
    GlyphTextOut(RenderContext(), hyphen, 0, 0, 0.0, QStringLiteral("A\u00ADA\u200BA"));
    EXPECT_EQ(PenPositions(hyphen),
              (std::vector<QPoint>{QPoint(0, 0), QPoint(10, 0), QPoint(20, 0)}));

    ScriptedCanvas empty;
    GlyphTextOut(RenderContext(), empty, 0, 0, 0.0, QString());
    EXPECT_TRUE(empty.asked.empty());
    EXPECT_TRUE(empty.ops().isEmpty());
}

TEST(GlyphTextOut, RealLettersFollowTheTurnedBaseline) {
    RecordingCanvas canvas;
    CanvasFont font;
    font.height = 400;
    font.face = QStringLiteral("Arial");
    canvas.selectFont(canvas.createFont(font));
    canvas.setTextAlign(TextAlign::Left | TextAlign::Baseline);

    GlyphMetrics gm;
    ASSERT_GT(canvas.glyphOutline(U'H', GlyphMatrix(), &gm, nullptr, 0), 0);
    const double advance = gm.cellIncX;
    ASSERT_GT(advance, 100);

    for (const double degrees : {0.0, 30.0, 90.0, 135.0, 180.0, 270.0, 333.0}) {
        SCOPED_TRACE(degrees);
        canvas.clearOps();
        const double a = degrees * M_PI / 180.0;
        GlyphTextOut(RenderContext(), canvas, 1000, 1000, a, QStringLiteral("HH"));
        const auto ops = Polygons(canvas);
        ASSERT_EQ(ops.size(), 2);
        // The same letter twice: its second copy lies one advance along the
        // turned baseline, which on the surface (Y down) is (cos, -sin).
        const QPoint step = ops[1].points.front() - ops[0].points.front();
        EXPECT_NEAR(step.x(), advance * std::cos(a), 1.5);
        EXPECT_NEAR(step.y(), -advance * std::sin(a), 1.5);
    }
}
