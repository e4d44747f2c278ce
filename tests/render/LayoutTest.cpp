#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "render/DrawJob.h"
#include "render/Pictures.h"
#include "tests/render/DrawJobTestSupport.h"

namespace {

using Kind = CanvasOp::Kind;
constexpr double Pi = std::numbers::pi;
constexpr ColorRef Black = RgbColor(0, 0, 0);

class LayoutTest : public RibbonTest {};

// The text outs of one list, one per line (no shadows in these jobs).
QVector<CanvasOp> Outs(const RecordingCanvas &canvas, const TextLines &lines) {
    return LineOuts(canvas, lines);
}

int Top(const TJob &job, int scale, int lines, int lift = 0) {
    const int h = MetricsOf(ArialFont(scale * job.FontGroesse)).height;
    return (scale * job.Breite - lines * h) / 2 - lift;
}

TEST_F(LayoutTest, AlignCentresEachBlockAcrossAtItsMargin) {
    auto job = MakeJob();
    RecordingCanvas canvas;
    Draw(*job, canvas, 8, DrawLeftEnd | DrawRightEnd);

    const CanvasFont font = ArialFont(480);
    const int h = MetricsOf(font).height;
    const auto left = Outs(canvas, job->TextLeft);
    ASSERT_EQ(left.size(), 2);
    const int xLeft = 240 + WidestOf(font, job->TextLeft) / 2;
    EXPECT_EQ(left[0].at, QPoint(xLeft, (1200 - 2 * h) / 2));
    EXPECT_EQ(left[1].at, QPoint(xLeft, (1200 - 2 * h) / 2 + h));
    // With the font's cell exactly the asked 480 units this is 120 and 600.
    if (h == 480) {
        EXPECT_EQ(left[0].at.y(), 120);
        EXPECT_EQ(left[1].at.y(), 600);
    }

    const auto right = Outs(canvas, job->TextRight);
    ASSERT_EQ(right.size(), 1);
    EXPECT_EQ(right[0].at, QPoint(7760 - WidestOf(font, job->TextRight) / 2, (1200 - h) / 2));
    for (const CanvasOp &op : left + right) {
        EXPECT_EQ(op.align, TextAlign::Center | TextAlign::Top);
        EXPECT_EQ(op.font.escapement, 0);
        EXPECT_EQ(op.font.height, 480);
    }
}

TEST_F(LayoutTest, AlignDrawsOnlyTheEndsAskedFor) {
    auto job = MakeJob();
    for (int flags : {int(DrawLeftEnd), int(DrawRightEnd), 0}) {
        RecordingCanvas canvas;
        Draw(*job, canvas, 8, flags);
        EXPECT_EQ(Outs(canvas, job->TextLeft).size(), (flags & DrawLeftEnd) ? 2 : 0);
        EXPECT_EQ(Outs(canvas, job->TextRight).size(), (flags & DrawRightEnd) ? 1 : 0);
    }
}

TEST_F(LayoutTest, AlignMovesTheTextBehindThePictureEvenWhenItIsMissing) {
    writePicture(QStringLiteral("kranz.bmp"), HalfInkPicture(400, 200));
    const CanvasFont font = ArialFont(480);
    for (const QString &name : {QStringLiteral("kranz.bmp"), QStringLiteral("fehlt.bmp")}) {
        SCOPED_TRACE(name.toStdString());
        auto job = MakeJob();
        job->BildNameLinks.set(name);
        job->BildBreiteLinks = 40;
        job->BildAbstandLinks = 30;
        RecordingCanvas canvas;
        Draw(*job, canvas, 8, DrawLeftEnd | DrawPrintColors);

        const auto left = Outs(canvas, job->TextLeft);
        ASSERT_EQ(left.size(), 2);
        EXPECT_EQ(left[0].at.x(), 800 + WidestOf(font, job->TextLeft) / 2);

        const auto blits = canvas.opsOf(Kind::StretchBitmap);
        if (name == QStringLiteral("fehlt.bmp")) {
            EXPECT_TRUE(blits.isEmpty());
            continue;
        }
        // 400 x 200 pixels in 320 units: 160 units high, centred on the middle line.
        ASSERT_FALSE(blits.isEmpty());
        for (const CanvasOp &op : blits) {
            EXPECT_EQ(op.rect.left(), 240);
            EXPECT_EQ(op.rect.left() + op.rect.width(), 560);
            EXPECT_EQ(op.rect.top(), 520);
            EXPECT_EQ(op.rect.top() + op.rect.height(), 680);
        }
    }
}

TEST_F(LayoutTest, FlippedRightEndIsUpsideDownAndStartsAtTheBottom) {
    auto job = MakeJob();
    job->Flip = true;
    job->TextRight.set({QStringLiteral("Ruhe sanft"), QStringLiteral("Deine Enkel")});
    RecordingCanvas canvas;
    Draw(*job, canvas, 8, DrawLeftEnd | DrawRightEnd);

    const int h = MetricsOf(ArialFont(480)).height;
    const auto right = Outs(canvas, job->TextRight);
    ASSERT_EQ(right.size(), 2);
    const int bottom = 1200 - (1200 - 2 * h) / 2;
    EXPECT_EQ(right[0].at.y(), bottom);
    EXPECT_EQ(right[1].at.y(), bottom - h);
    for (const CanvasOp &op : right) {
        EXPECT_EQ(op.font.escapement, 1800);
        EXPECT_EQ(op.font.height, 480);
    }
    for (const CanvasOp &op : Outs(canvas, job->TextLeft))
        EXPECT_EQ(op.font.escapement, 0) << "the left end is never upside down";
}

// W - ((W - n·h) div 2) is the flipped block's bottom edge, so an odd space
// puts the flipped block one unit lower than the upright one.
TEST_F(LayoutTest, FlippedBlockLiesOneUnitLowerForAnOddSpace) {
    for (int width : {75, 76, 40}) {
        for (int lines : {1, 2, 3}) {
            SCOPED_TRACE(testing::Message() << width << " mm, " << lines << " lines");
            auto job = MakeJob();
            job->FontGroesse = 20;
            job->Breite = width;
            QStringList text;
            for (int i = 0; i < lines; ++i)
                text << QStringLiteral("Zeile %1").arg(i);
            job->TextRight.set(text);
            const int h = MetricsOf(ArialFont(20)).height;
            const int space = width - lines * h;

            RecordingCanvas upright;
            Draw(*job, upright, 1, DrawRightEnd);
            job->Flip = true;
            RecordingCanvas flipped;
            Draw(*job, flipped, 1, DrawRightEnd);

            const int uprightTop = Outs(upright, job->TextRight).first().at.y();
            const int flippedTop = Outs(flipped, job->TextRight).first().at.y() - lines * h;
            EXPECT_EQ(flippedTop - uprightTop, space % 2 != 0 ? 1 : 0);
        }
    }
}

TEST_F(LayoutTest, FlippedOutlineTextKeepsTheFontAndTurnsTheOutlines) {
    auto job = MakeJob();
    job->Flip = true;
    job->TextLeft.clear();
    RecordingCanvas canvas;
    Draw(*job, canvas, 8, DrawRightEnd | DrawOutline | DrawPrintColors);

    for (const CanvasOp &op : canvas.opsOf(Kind::CreateFont))
        EXPECT_EQ(op.font.escapement, 0);
    // Upside down the letters hang above the reference line's top edge.
    const int h = MetricsOf(ArialFont(480)).height;
    const int top = 1200 - (1200 - h) / 2;
    const auto polygons = canvas.opsOf(Kind::PolyPolygon);
    ASSERT_FALSE(polygons.isEmpty());
    for (const CanvasOp &op : polygons) {
        for (const QPoint &p : op.points) {
            EXPECT_LE(p.y(), top + 1);
            EXPECT_GE(p.y(), top - h - 1);
        }
    }
}

TEST_F(LayoutTest, CenterDrawsTheLeftTextAndBothPicturesWhateverTheEnds) {
    writePicture(QStringLiteral("rose.bmp"), HalfInkPicture(40, 40));
    auto job = MakeJob();
    job->Stil = Center;
    job->Flip = true;
    job->BildNameLinks.set(QStringLiteral("rose.bmp"));
    job->BildNameRechts.set(QStringLiteral("rose.bmp"));
    job->BildBreiteLinks = 40;
    job->BildBreiteRechts = 50;
    const int h = MetricsOf(ArialFont(480)).height;

    for (int flags : {int(DrawLeftEnd), int(DrawRightEnd), DrawLeftEnd | DrawRightEnd, 0}) {
        SCOPED_TRACE(testing::Message() << "flags " << flags);
        RecordingCanvas canvas;
        Draw(*job, canvas, 8, flags | DrawPrintColors);
        EXPECT_TRUE(Outs(canvas, job->TextRight).isEmpty());
        const auto left = Outs(canvas, job->TextLeft);
        ASSERT_EQ(left.size(), 2);
        EXPECT_EQ(left[0].at, QPoint(4000, (1200 - 2 * h) / 2));
        EXPECT_EQ(left[1].at, QPoint(4000, (1200 - 2 * h) / 2 + h));
        EXPECT_EQ(left[0].font.escapement, 0);

        // Square pictures: the left one 240..560, the right one ends at the margin.
        bool leftPicture = false, rightPicture = false;
        for (const CanvasOp &op : canvas.opsOf(Kind::StretchBitmap)) {
            const int l = op.rect.left(), r = op.rect.left() + op.rect.width();
            leftPicture |= l == 240 && r == 560;
            rightPicture |= l == 7360 && r == 7760;
        }
        EXPECT_TRUE(leftPicture);
        EXPECT_TRUE(rightPicture);
    }
}

TEST_F(LayoutTest, CenterPreviewTakesThumbnails) {
    PictureCatalogue catalogue;
    pictures = &catalogue;
    QImage thumbnail(64, 64, QImage::Format_RGB32);
    thumbnail.fill(Qt::black);
    catalogue.files = QStringList{QStringLiteral("Rose.bmp")};
    catalogue.thumbnails = {thumbnail};

    auto job = MakeJob();
    job->Stil = Center;
    job->BildNameLinks.set(QStringLiteral("rose.bmp"));
    job->BildNameRechts.set(QStringLiteral("rose.bmp"));
    for (int flags : {int(DrawLeftEnd), int(DrawRightEnd)}) {
        RecordingCanvas canvas;
        Draw(*job, canvas, 1, flags);
        const auto masked = canvas.opsOf(Kind::MaskedBitmap);
        ASSERT_EQ(masked.size(), 2) << "both pictures, no shadow";
        EXPECT_EQ(masked[0].at.x(), 30);
        EXPECT_EQ(masked[1].at.x(), 1000 - 30 - 40);
    }
    pictures = nullptr;
}

TEST_F(LayoutTest, UpSideStacksLinesWithTheFirstInnermost) {
    auto job = MakeJob();
    job->Stil = UpSide;
    job->Flip = true;  // no effect here
    job->TextLeft.set({QStringLiteral("eins"), QStringLiteral("zwei"), QStringLiteral("drei")});
    job->TextRight.set({QStringLiteral("vier"), QStringLiteral("fünf")});
    const int h = MetricsOf(ArialFont(480)).height;

    // With printer colours and a divisor nothing moves: no lift in this layout.
    leading = 2;
    for (int colours : {0, int(DrawPrintColors)}) {
        SCOPED_TRACE(testing::Message() << "flags " << (12 | colours));
        RecordingCanvas canvas;
        Draw(*job, canvas, 8, DrawLeftEnd | DrawRightEnd | colours);
        const auto left = Outs(canvas, job->TextLeft);
        ASSERT_EQ(left.size(), 3);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(left[i].at, QPoint(240 + (3 - i) * h, 600));
            EXPECT_EQ(left[i].font.escapement, 2700);
        }
        const auto right = Outs(canvas, job->TextRight);
        ASSERT_EQ(right.size(), 2);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(right[i].at, QPoint(7760 - (2 - i) * h, 600));
            EXPECT_EQ(right[i].font.escapement, 900);
        }
    }
}

TEST_F(LayoutTest, UpSidePicturesTurnAndPushTheText) {
    writePicture(QStringLiteral("kreuz.bmp"), HalfInkPicture(100, 100));
    auto job = MakeJob();
    job->Stil = UpSide;
    job->BildNameLinks.set(QStringLiteral("kreuz.bmp"));
    job->BildNameRechts.set(QStringLiteral("kreuz.bmp"));
    job->BildBreiteLinks = 40;
    job->BildAbstandLinks = 30;
    job->BildBreiteRechts = 20;
    job->BildAbstandRechts = 10;
    const int h = MetricsOf(ArialFont(480)).height;
    RecordingCanvas canvas;
    Draw(*job, canvas, 8, 31);

    EXPECT_TRUE(canvas.opsOf(Kind::TextOut).size() == 2) << "only the two labels";
    // Outline mode keeps the unturned font; the pictures still turn.
    for (const CanvasOp &op : canvas.opsOf(Kind::CreateFont))
        EXPECT_TRUE(op.font.escapement == 0 || op.font.height == 20);
    const auto blits = canvas.opsOf(Kind::StretchBitmap);
    ASSERT_EQ(blits.size(), 4);
    EXPECT_EQ(blits[0].rect.left(), 240);
    EXPECT_EQ(blits[2].rect.left() + blits[2].rect.width(), 7760);
    // The left picture turned by 270 degrees has its ink at the top, the right
    // one turned by 90 at the bottom (the picture's left half is ink).
    auto inkAtTop = [](const QImage &image) {
        return qGray(image.pixel(image.width() / 2, 0)) < 128;
    };
    const QImage leftMask = blits[0].image, rightMask = blits[2].image;
    EXPECT_NE(inkAtTop(leftMask), inkAtTop(rightMask));

    // The text's first line sits behind picture and distance, block to the left.
    RecordingCanvas plain;
    Draw(*job, plain, 8, DrawLeftEnd | DrawRightEnd | DrawPrintColors);
    const auto left = Outs(plain, job->TextLeft);
    ASSERT_EQ(left.size(), 2);
    EXPECT_EQ(left[0].at.x(), 800 + 2 * h);
    const auto right = Outs(plain, job->TextRight);
    ASSERT_EQ(right.size(), 1);
    EXPECT_EQ(right[0].at.x(), 7760 - 160 - 80 - h);
}

// c = internal leading div InternalLeadingDivisor, only with printer colours.
TEST_F(LayoutTest, InternalLeadingLiftsAlignAndCenterBlocks) {
    const TextMetrics m = MetricsOf(ArialFont(480));
    struct Case {
        int divisor;
        int flags;
        int lift;
    };
    const int f = DrawLeftEnd | DrawRightEnd;
    for (const Case c : {Case{2, f | DrawPrintColors, m.internalLeading / 2},
                         Case{3, f | DrawPrintColors, m.internalLeading / 3},
                         Case{-3, f | DrawPrintColors, m.internalLeading / -3}, Case{2, f, 0},
                         Case{0, f | DrawPrintColors, 0}}) {
        SCOPED_TRACE(testing::Message() << "divisor " << c.divisor << " flags " << c.flags);
        leading = c.divisor;
        for (int style : {Align, Center}) {
            auto job = MakeJob();
            job->Stil = style;
            job->Flip = true;
            RecordingCanvas canvas;
            Draw(*job, canvas, 8, c.flags);
            const auto left = Outs(canvas, job->TextLeft);
            ASSERT_EQ(left.size(), 2);
            EXPECT_EQ(left[0].at.y(), Top(*job, 8, 2, c.lift));
            if (style == Align) {
                const auto right = Outs(canvas, job->TextRight);
                ASSERT_EQ(right.size(), 1);
                EXPECT_EQ(right[0].at.y(), 1200 - (1200 - m.height) / 2 + c.lift)
                    << "the flipped block is lowered, which lifts it as read";
            }
        }
    }
}

TEST_F(LayoutTest, LinesAreCutTo255Characters) {
    auto job = MakeJob();
    const QString longLine = QString(300, QLatin1Char('m'));
    job->TextLeft.set({longLine, QStringLiteral("kurz")});
    RecordingCanvas canvas;
    Draw(*job, canvas, 1, DrawLeftEnd);
    const auto outs = canvas.opsOf(Kind::TextOut);
    ASSERT_EQ(outs.size(), 2);
    EXPECT_EQ(outs[0].text, longLine.left(255));
    // The block is as wide as the drawn line, not the stored one.
    EXPECT_EQ(outs[0].at.x(), 30 + ExtentOf(ArialFont(60), longLine.left(255)) / 2);
}

TEST_F(LayoutTest, EmptyTextDrawsNoLinesButThePicture) {
    writePicture(QStringLiteral("rose.bmp"), HalfInkPicture(40, 40));
    auto job = MakeJob();
    job->TextLeft.clear();
    job->BildNameLinks.set(QStringLiteral("rose.bmp"));
    RecordingCanvas canvas;
    Draw(*job, canvas, 8, DrawLeftEnd | DrawPrintColors);
    EXPECT_TRUE(canvas.opsOf(Kind::TextOut).isEmpty());
    EXPECT_FALSE(canvas.opsOf(Kind::StretchBitmap).isEmpty());
}

// A block taller than the ribbon sticks out at both edges alike.
TEST_F(LayoutTest, TallBlockTruncatesTowardZero) {
    auto job = MakeJob();
    job->Breite = 75;
    job->FontGroesse = 40;
    job->TextLeft.set({QStringLiteral("a"), QStringLiteral("b")});
    const int h = MetricsOf(ArialFont(40)).height;
    RecordingCanvas canvas;
    Draw(*job, canvas, 1, DrawLeftEnd);
    const int space = 75 - 2 * h;
    ASSERT_LT(space, 0);
    EXPECT_EQ(Outs(canvas, job->TextLeft).first().at.y(), space / 2);
    EXPECT_EQ(space / 2, -((-space) / 2));
}

class DrawTextLineTest : public RibbonTest {};

TEST_F(DrawTextLineTest, ShadowFallsToTheLinesOwnLowerRight) {
    struct Case {
        double angle;
        QPoint offset;  // 17 · (sin, cos)(angle + π/4), rounded
    };
    auto job = MakeJob();
    job->Shadow = true;
    drawn.DrawOrigin = QPoint(5, 7);
    drawn.ShadowStep = 17;
    for (const Case c : {Case{0.0, {12, 12}}, Case{Pi, {-12, -12}}, Case{-Pi / 2, {-12, 12}},
                         Case{Pi / 2, {12, -12}}}) {
        SCOPED_TRACE(testing::Message() << "angle " << c.angle);
        RecordingCanvas canvas;
        canvas.setTextColor(RgbColor(0, 0, 200));
        DrawTextLine(drawn, *job, canvas, 100, 200, QStringLiteral("Abschied"), DrawLeftEnd,
                     c.angle);
        const auto outs = canvas.opsOf(Kind::TextOut);
        ASSERT_EQ(outs.size(), 2);
        EXPECT_EQ(outs[0].at, QPoint(105, 207) + c.offset);
        EXPECT_EQ(outs[0].textColour, Black);
        EXPECT_EQ(outs[1].at, QPoint(105, 207));
        EXPECT_EQ(outs[1].textColour, RgbColor(0, 0, 200));
        EXPECT_EQ(canvas.textColor(), RgbColor(0, 0, 200));
    }

    job->Shadow = false;
    RecordingCanvas canvas;
    DrawTextLine(drawn, *job, canvas, 100, 200, QStringLiteral("Abschied"), DrawLeftEnd, 0.0);
    EXPECT_EQ(canvas.opsOf(Kind::TextOut).size(), 1);
}

TEST_F(DrawTextLineTest, OutlineModeDrawsWithTheOutlineFontAndABlackShadow) {
    auto job = MakeJob();
    job->Shadow = true;
    drawn.ShadowStep = 17;
    RecordingCanvas canvas;
    const FontId current = canvas.createFont(ArialFont(480, 1800));
    canvas.selectFont(current);
    drawn.OutlineFont = canvas.createFont(ArialFont(480));
    canvas.setBrush(RgbColor(200, 0, 0));
    canvas.setPen(Black, 1);

    DrawTextLine(drawn, *job, canvas, 1000, 500, QStringLiteral("I"), DrawOutline, 0.0);

    EXPECT_TRUE(canvas.opsOf(Kind::TextOut).isEmpty());
    const auto polygons = canvas.opsOf(Kind::PolyPolygon);
    ASSERT_EQ(polygons.size(), 2);
    EXPECT_EQ(polygons[0].brushColour, Black);
    EXPECT_EQ(polygons[1].brushColour, RgbColor(200, 0, 0));
    // The shadow is the same glyph moved by (12, 12).
    ASSERT_EQ(polygons[0].points.size(), polygons[1].points.size());
    for (int i = 0; i < polygons[0].points.size(); ++i)
        EXPECT_EQ(polygons[0].points[i], polygons[1].points[i] + QPoint(12, 12));
    // Every outline is taken from the outline font, then the turned one is back.
    for (const CanvasOp &op : canvas.opsOf(Kind::SelectFont)) {
        if (op.fontId != current) {
            EXPECT_EQ(op.fontId, drawn.OutlineFont);
        }
    }
    EXPECT_EQ(canvas.currentFont(), current);
    EXPECT_EQ(canvas.brushColor(), RgbColor(200, 0, 0));
    canvas.deleteFont(drawn.OutlineFont);
    drawn.OutlineFont = 0;
}

}  // namespace
