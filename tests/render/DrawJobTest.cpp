#include <gtest/gtest.h>

#include <climits>

#include "render/DrawJob.h"
#include "tests/render/DrawJobTestSupport.h"

namespace {

constexpr ColorRef Black = RgbColor(0, 0, 0);
constexpr ColorRef White = RgbColor(255, 255, 255);

using Kind = CanvasOp::Kind;

class DrawJobTest : public RibbonTest {};

TEST_F(DrawJobTest, JobAndOutlineFontsFollowTheFontRecipe) {
    auto job = MakeJob();
    job->FontName.set(QStringLiteral("Times New Roman"));
    RecordingCanvas canvas;
    Draw(*job, canvas, 8, DrawLeftEnd | DrawOutline);

    CanvasFont expected;
    expected.height = 480;
    expected.width = 0;
    expected.escapement = 0;
    expected.orientation = 0;
    expected.weight = 400;
    expected.charSet = 0;
    expected.outPrecision = 4;
    expected.clipPrecision = 0;
    expected.quality = 2;
    expected.pitchAndFamily = 2;
    expected.face = QStringLiteral("Times New Roman");

    const auto created = canvas.opsOf(Kind::CreateFont);
    ASSERT_EQ(created.size(), 2);
    EXPECT_EQ(created[0].font, expected);
    EXPECT_EQ(created[1].font, expected);
    EXPECT_EQ(canvas.ops().at(1).kind, Kind::SelectFont);
    EXPECT_EQ(canvas.ops().at(1).fontId, created[0].fontId) << "the job font is made current";
    EXPECT_EQ(drawn.OutlineFont, 0);
    EXPECT_EQ(canvas.liveFontCount(), 0);
}

struct ShadowCase {
    int fontSize;
    int scale;
    int step;
    int offset;  // Round(0.7071 * step)
};

TEST_F(DrawJobTest, ShadowStepIsACellHeightDividedBy28) {
    for (const ShadowCase c :
         {ShadowCase{60, 8, 17, 12}, ShadowCase{60, 1, 2, 1}, ShadowCase{20, 1, 0, 0}}) {
        SCOPED_TRACE(testing::Message() << c.fontSize << " mm at scale " << c.scale);
        auto job = MakeJob();
        job->FontGroesse = c.fontSize;
        job->Shadow = true;
        drawn.ShadowStep = -1;
        RecordingCanvas canvas;
        Draw(*job, canvas, c.scale, DrawLeftEnd | DrawRightEnd);
        EXPECT_EQ(drawn.ShadowStep, c.step);

        const auto outs = TextOutsOf(canvas, job->TextLeft.at(0));
        ASSERT_EQ(outs.size(), 2);
        EXPECT_EQ(outs[0].textColour, Black) << "shadow first";
        EXPECT_EQ(outs[0].at, outs[1].at + QPoint(c.offset, c.offset));
        EXPECT_EQ(outs[1].textColour, job->FontFarbe);
    }
}

TEST_F(DrawJobTest, PrintColourComesFromTheLowFiveBitsOfTheJobColour) {
    setSetting(QStringLiteral("Colors"), QStringLiteral("Color5"), 0x00123456);
    setSetting(QStringLiteral("Colors"), QStringLiteral("Color0"), 0x00ABCDEF);
    setSettingText(QStringLiteral("Colors"), QStringLiteral("Color9"), QStringLiteral("rot"));

    struct Case {
        std::uint32_t fontColour;
        ColorRef print;
    };
    for (const Case c :
         {Case{0x01000005, 0x00123456}, Case{0x01000025, 0x00123456}, Case{0x00FF0000, 0x00ABCDEF},
          Case{0x01000007, Black}, Case{0x01000009, Black}}) {
        SCOPED_TRACE(testing::Message() << std::hex << c.fontColour);
        auto job = MakeJob();
        job->FontFarbe = c.fontColour;
        drawn.PrintColour = 0x00777777;

        RecordingCanvas plain;
        Draw(*job, plain, 8, DrawLeftEnd | DrawPrintColors);
        EXPECT_EQ(drawn.PrintColour, c.print);
        const auto outs = TextOutsOf(plain, job->TextLeft.at(0));
        ASSERT_EQ(outs.size(), 1);
        EXPECT_EQ(outs[0].textColour, c.print);

        RecordingCanvas outline;
        Draw(*job, outline, 8, DrawLeftEnd | DrawOutline | DrawPrintColors);
        const auto polygons = outline.opsOf(Kind::PolyPolygon);
        ASSERT_FALSE(polygons.isEmpty());
        for (const CanvasOp &op : polygons) {
            EXPECT_EQ(op.brushColour, c.print);
            EXPECT_EQ(op.penColour, Black);
            EXPECT_EQ(op.penWidth, 1);
        }
    }
}

TEST_F(DrawJobTest, PreviewDrawsTextInTheJobColourAndNoMarks) {
    setSetting(QStringLiteral("Colors"), QStringLiteral("Color5"), 0x00123456);
    auto job = MakeJob();
    RecordingCanvas canvas;
    Draw(*job, canvas, 1, DrawLeftEnd | DrawRightEnd);

    EXPECT_TRUE(canvas.opsOf(Kind::Line).isEmpty());
    EXPECT_TRUE(canvas.opsOf(Kind::PolyPolygon).isEmpty());
    EXPECT_TRUE(TextOutsOf(canvas, job->Kommission).isEmpty());
    const auto outs = LineOuts(canvas, job->TextLeft.lines() + job->TextRight.lines());
    ASSERT_EQ(outs.size(), 3);
    for (const CanvasOp &op : outs) {
        EXPECT_EQ(op.textColour, job->FontFarbe);
        EXPECT_EQ(op.backgroundMode, BackgroundMode::Transparent);
    }
}

// 150 mm at scale 8 is 1200 units: marks 40..120 and 1080..1160 units from the
// top edge, the label in the middle, 1 mm inside each end.
TEST_F(DrawJobTest, PrintMarksOfA150mmRibbonAtScale8) {
    setSetting(QStringLiteral("Drucker"), QStringLiteral("Schriftrahmen"), 0);
    setSetting(QStringLiteral("Colors"), QStringLiteral("Color5"), 0x00123456);
    auto job = MakeJob();
    origin = QPoint(1000, 300);
    const int x0 = 1000, y0 = 300, xr = 1000 + 8000;
    RecordingCanvas canvas;
    Draw(*job, canvas, 8, 31);

    const auto lines = canvas.opsOf(Kind::Line);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0].from, QPoint(x0, y0 + 40));
    EXPECT_EQ(lines[0].to, QPoint(x0, y0 + 120));
    EXPECT_EQ(lines[1].from, QPoint(x0, y0 + 1080));
    EXPECT_EQ(lines[1].to, QPoint(x0, y0 + 1160));
    EXPECT_EQ(lines[2].from, QPoint(xr, y0 + 40));
    EXPECT_EQ(lines[2].to, QPoint(xr, y0 + 120));
    EXPECT_EQ(lines[3].from, QPoint(xr, y0 + 1080));
    EXPECT_EQ(lines[3].to, QPoint(xr, y0 + 1160));
    for (const CanvasOp &op : lines) {
        EXPECT_EQ(op.penColour, Black);
        EXPECT_EQ(op.penWidth, 1) << "\"Schriftrahmen\" 0 keeps the 1-unit pen";
    }

    const auto labels = TextOutsOf(canvas, QStringLiteral("K-17"));
    ASSERT_EQ(labels.size(), 2);
    EXPECT_EQ(labels[0].at, QPoint(x0 + 8, y0 + 600));
    EXPECT_EQ(labels[1].at, QPoint(xr - 8, y0 + 600));
    EXPECT_EQ(labels[0].font.escapement, 900);
    EXPECT_EQ(labels[1].font.escapement, 2700);
    for (const CanvasOp &op : labels) {
        EXPECT_EQ(op.font.height, 20);
        EXPECT_EQ(op.font.orientation, op.font.escapement);
        EXPECT_EQ(op.font.face, QStringLiteral("Arial"));
        EXPECT_EQ(op.font.weight, 400);
        EXPECT_EQ(op.align, TextAlign::Center | TextAlign::Top);
        EXPECT_EQ(op.textColour, Black);
        EXPECT_EQ(op.backgroundMode, BackgroundMode::Opaque);
        EXPECT_EQ(op.backgroundColour, White);
    }

    // "Schriftrahmen" 0: the letters are plain text in the printing colour.
    EXPECT_TRUE(canvas.opsOf(Kind::PolyPolygon).isEmpty());
    const auto outs = LineOuts(canvas, job->TextLeft.lines() + job->TextRight.lines());
    ASSERT_EQ(outs.size(), 3);
    for (const CanvasOp &op : outs)
        EXPECT_EQ(op.textColour, ColorRef(0x00123456));
}

// The left label sits `scale` units inside, the right one always 8 units.
TEST_F(DrawJobTest, LabelOffsetsAtPreviewScale) {
    auto job = MakeJob();
    RecordingCanvas canvas;
    Draw(*job, canvas, 1, DrawPrint | DrawLeftEnd | DrawRightEnd);
    const auto labels = TextOutsOf(canvas, QStringLiteral("K-17"));
    ASSERT_EQ(labels.size(), 2);
    EXPECT_EQ(labels[0].at, QPoint(1, 75));
    EXPECT_EQ(labels[1].at, QPoint(1000 - 8, 75));
    // Marks keep their 40 and 120 units whatever the scale.
    const auto lines = canvas.opsOf(Kind::Line);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[1].from, QPoint(0, 150 - 120));
    EXPECT_EQ(lines[1].to, QPoint(0, 150 - 40));
    EXPECT_EQ(lines[1].penWidth, 0);
}

TEST_F(DrawJobTest, MarkAndLabelSettingsAreReadOnEveryDrawing) {
    struct Case {
        int cutMarks;  // -1: key missing
        int label;
        int lines;
        int labels;
    };
    auto job = MakeJob();
    for (const Case c : {Case{-1, -1, 4, 2}, Case{0, 1, 0, 2}, Case{0, 0, 0, 0}, Case{1, 0, 4, 0},
                         Case{7, 3, 4, 2}}) {
        SCOPED_TRACE(testing::Message() << c.cutMarks << " " << c.label);
        if (c.cutMarks >= 0) {
            setSetting(QStringLiteral("Drucker"), QStringLiteral("Schnittmarke"), c.cutMarks);
            setSetting(QStringLiteral("Drucker"), QStringLiteral("Kommission"), c.label);
        }
        RecordingCanvas canvas;
        Draw(*job, canvas, 8, 31);
        EXPECT_EQ(canvas.opsOf(Kind::Line).size(), c.lines);
        EXPECT_EQ(TextOutsOf(canvas, QStringLiteral("K-17")).size(), c.labels);
    }
}

TEST_F(DrawJobTest, EmptyCommissionDrawsNoLabel) {
    auto job = MakeJob();
    job->Kommission.set(QString());
    RecordingCanvas canvas;
    Draw(*job, canvas, 8, 31);
    EXPECT_TRUE(TextOutsOf(canvas, QString()).isEmpty());
    EXPECT_EQ(canvas.opsOf(Kind::Line).size(), 4);
}

TEST_F(DrawJobTest, PrintWithoutEndsDrawsNoMarksButTheCentredText) {
    auto job = MakeJob();
    job->Stil = Center;
    RecordingCanvas canvas;
    Draw(*job, canvas, 8, DrawPrint);
    EXPECT_TRUE(canvas.opsOf(Kind::Line).isEmpty());
    EXPECT_TRUE(TextOutsOf(canvas, QStringLiteral("K-17")).isEmpty());
    EXPECT_EQ(LineOuts(canvas, job->TextLeft).size(), 2);
}

TEST_F(DrawJobTest, UnknownStyleDrawsOnlyTheMarks) {
    auto job = MakeJob();
    job->Stil = 7;
    job->BildNameLinks.set(QStringLiteral("kreuz.bmp"));
    writePicture(QStringLiteral("kreuz.bmp"), HalfInkPicture(40, 40));
    RecordingCanvas canvas;
    Draw(*job, canvas, 8, 31);
    EXPECT_TRUE(LineOuts(canvas, job->TextLeft.lines() + job->TextRight.lines()).isEmpty());
    EXPECT_TRUE(canvas.opsOf(Kind::PolyPolygon).isEmpty());
    EXPECT_TRUE(canvas.opsOf(Kind::StretchBitmap).isEmpty());
    EXPECT_EQ(canvas.opsOf(Kind::Line).size(), 4);
    EXPECT_EQ(TextOutsOf(canvas, QStringLiteral("K-17")).size(), 2);
}

TEST_F(DrawJobTest, OutlineSettingAndPrinterProbe) {
    struct Case {
        int setting;  // -1: key missing
        bool printing;
        bool outlinesAvailable;
        bool outline;  // letters from outlines expected
    };
    setSetting(QStringLiteral("Colors"), QStringLiteral("Color5"), 0x00123456);
    auto job = MakeJob();
    for (const Case c :
         {Case{-1, true, true, true}, Case{1, true, true, true}, Case{0, true, true, false},
          Case{2, true, false, false}, Case{2, true, true, true}, Case{2, false, false, true},
          Case{5, true, false, true}}) {
        SCOPED_TRACE(testing::Message() << "Schriftrahmen " << c.setting << " printing "
                                        << c.printing << " outlines " << c.outlinesAvailable);
        if (c.setting >= 0)
            setSetting(QStringLiteral("Drucker"), QStringLiteral("Schriftrahmen"), c.setting);
        RecordingCanvas canvas;
        canvas.setPrinting(c.printing);
        canvas.setOutlinesAvailable(c.outlinesAvailable);
        Draw(*job, canvas, 8, 31);
        // Letters from outlines where the surface gives them; otherwise the
        // lines are written as text in the print colour, never left out.
        const bool polygons = c.outline && c.outlinesAvailable;
        const QVector<CanvasOp> lines = LineOuts(canvas, job->TextLeft);
        EXPECT_EQ(lines.isEmpty(), polygons);
        EXPECT_EQ(!canvas.opsOf(Kind::PolyPolygon).isEmpty(), polygons);
        for (const CanvasOp &op : lines)
            EXPECT_EQ(op.textColour, 0x00123456u);
        for (const CanvasOp &op : canvas.opsOf(Kind::Line))
            EXPECT_EQ(op.penWidth, 1);
    }

    // Written instead of outlined, the lines keep the turn of their style and
    // the shadow stays black.
    job->Stil = UpSide;
    job->Shadow = true;
    RecordingCanvas canvas;
    canvas.setPrinting(true);
    canvas.setOutlinesAvailable(false);
    setSetting(QStringLiteral("Drucker"), QStringLiteral("Schriftrahmen"), 1);
    Draw(*job, canvas, 8, 31);
    const QVector<CanvasOp> lines = TextOutsOf(canvas, job->TextLeft.at(0));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].textColour, Black);
    EXPECT_EQ(lines[1].textColour, 0x00123456u);
    for (const CanvasOp &op : lines) {
        EXPECT_EQ(op.font.escapement, 2700);
        EXPECT_EQ(op.font.face, QStringLiteral("Arial"));
    }
}

// What a caller finds after a drawing: its background mode, a white brush, a
// black pen, no font left behind.
TEST_F(DrawJobTest, SurfaceStateAfterDrawing) {
    for (int style : {0, 1, 2, 9}) {
        for (int flags : {12, 31, 23, 27, 1}) {
            SCOPED_TRACE(testing::Message() << "style " << style << " flags " << flags);
            auto job = MakeJob();
            job->Stil = style;
            job->Flip = true;
            job->Shadow = true;
            RecordingCanvas canvas;
            canvas.setBackgroundMode(BackgroundMode::Opaque);
            canvas.setBrush(RgbColor(1, 2, 3));
            canvas.setPen(RgbColor(4, 5, 6), 7);
            Draw(*job, canvas, 8, flags);
            EXPECT_EQ(canvas.backgroundMode(), BackgroundMode::Opaque);
            EXPECT_EQ(canvas.brushColor(), White);
            EXPECT_EQ(canvas.penColor(), Black);
            EXPECT_EQ(canvas.penWidth(), (flags & DrawOutline) ? 1 : 0);
            const bool labelled = (flags & DrawPrint) && (flags & (DrawLeftEnd | DrawRightEnd));
            if (style <= UpSide || labelled) {
                EXPECT_EQ(canvas.textAlign(), TextAlign::Center | TextAlign::Top);
            }
            EXPECT_EQ(canvas.liveFontCount(), 0);
            EXPECT_EQ(drawn.OutlineFont, 0);
            for (const CanvasOp &op :
                 LineOuts(canvas, job->TextLeft.lines() + job->TextRight.lines()))
                EXPECT_EQ(op.backgroundMode, BackgroundMode::Transparent);
        }
    }
}

TEST_F(DrawJobTest, OverflowEndsTheJobQuietlyAndTheNextOneDraws) {
    RecordingCanvas canvas;
    const FontId callerFont = canvas.createFont(ArialFont(30));
    canvas.selectFont(callerFont);
    canvas.setBackgroundMode(BackgroundMode::Opaque);

    auto huge = MakeJob();
    huge->Laenge = INT_MAX / 4;
    auto hugeFont = MakeJob();
    hugeFont->FontGroesse = INT_MAX / 2;
    auto hugeWidth = MakeJob();
    hugeWidth->Stil = UpSide;
    hugeWidth->Breite = INT_MAX / 3;
    // Far out on the surface the flipped right end overflows only when its
    // lines are placed, with the turned font already selected.
    auto farOut = MakeJob();
    farOut->Flip = true;
    farOut->Shadow = true;
    const QPoint farOrigin(INT_MAX - 6000, 0);

    struct Case {
        const TJob *job;
        QPoint origin;
    };
    for (const Case c : {Case{huge.get(), QPoint()}, Case{hugeFont.get(), QPoint()},
                         Case{hugeWidth.get(), QPoint()}, Case{farOut.get(), farOrigin}}) {
        for (int flags : {31, 12}) {
            SCOPED_TRACE(testing::Message() << "flags " << flags << " origin " << c.origin.x());
            origin = c.origin;
            canvas.clearOps();
            EXPECT_NO_THROW(Draw(*c.job, canvas, 8, flags));
            EXPECT_EQ(canvas.currentFont(), callerFont);
            EXPECT_EQ(canvas.liveFontCount(), 1) << "only the caller's own font";
            EXPECT_EQ(drawn.OutlineFont, 0);
            EXPECT_EQ(canvas.backgroundMode(), BackgroundMode::Opaque);
            EXPECT_EQ(canvas.brushColor(), White);
            EXPECT_TRUE(canvas.opsOf(Kind::Line).isEmpty()) << "marks come after the layout";
        }
    }
    // The far-out ribbon got its left end, shadows included, before the right
    // end overflowed.
    EXPECT_EQ(LineOuts(canvas, farOut->TextLeft).size(), 4);
    EXPECT_TRUE(LineOuts(canvas, farOut->TextRight).isEmpty());
    origin = QPoint();

    canvas.clearOps();
    auto normal = MakeJob();
    Draw(*normal, canvas, 8, 12);
    const auto outs = LineOuts(canvas, normal->TextLeft.lines() + normal->TextRight.lines());
    ASSERT_EQ(outs.size(), 3);
    EXPECT_EQ(outs[0].font.height, 480);
    EXPECT_EQ(outs[0].at.y(), (1200 - 2 * MetricsOf(ArialFont(480)).height) / 2);
}

TEST_F(DrawJobTest, JobTextLengthMeasuresOneEnd) {
    auto job = MakeJob();
    job->TextRight.set(
        {QStringLiteral("Ruhe sanft"), QStringLiteral("In Liebe"), QStringLiteral("Oma und Opa")});
    const CanvasFont font = ArialFont(480);
    const int h = MetricsOf(font).height;

    struct Case {
        int style;
        bool left;
        int expected;
    };
    for (const Case c :
         {Case{Align, true, WidestOf(font, job->TextLeft)},
          Case{Align, false, WidestOf(font, job->TextRight)},
          Case{Center, true, WidestOf(font, job->TextLeft)},
          Case{Center, false, WidestOf(font, job->TextLeft)}, Case{UpSide, true, 2 * h},
          Case{UpSide, false, 3 * h}, Case{3, true, 0}, Case{-1, false, 0}}) {
        SCOPED_TRACE(testing::Message() << "style " << c.style << " left " << c.left);
        job->Stil = c.style;
        RecordingCanvas canvas;
        const FontId own = canvas.createFont(ArialFont(20));
        canvas.selectFont(own);
        EXPECT_EQ(JobTextLength(*job, canvas, 8, c.left), c.expected);
        EXPECT_EQ(canvas.currentFont(), own);
        EXPECT_EQ(canvas.liveFontCount(), 1);
        const auto created = canvas.opsOf(Kind::CreateFont);
        ASSERT_EQ(created.size(), 2);
        EXPECT_EQ(created[1].font.height, 480);
        EXPECT_EQ(created[1].font.escapement, 0);
    }

    job->Stil = Align;
    job->TextRight.clear();
    RecordingCanvas canvas;
    EXPECT_EQ(JobTextLength(*job, canvas, 8, false), 0);
    job->Stil = UpSide;
    EXPECT_EQ(JobTextLength(*job, canvas, 8, false), 0);
}

}  // namespace
