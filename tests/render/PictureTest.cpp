#include <gtest/gtest.h>

#include <QPainter>
#include <QTransform>

#include "model/Job.h"
#include "render/Edgedll2.h"
#include "render/Pictures.h"
#include "render/QPainterCanvas.h"
#include "render/RecordingCanvas.h"
#include "render/RenderState.h"

namespace {

const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);

QImage Blank(int w, int h, QRgb fill = White) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

QRect AsRect(LRect r) {
    return QRect(r.left, r.top, r.width(), r.height());
}

int CountOf(const QImage &image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour;
    }
    return n;
}

// Process-wide drawing state set for one test and put back afterwards.
class RenderStateGuard {
public:
    RenderStateGuard(QPoint origin, std::int32_t step) : origin_(DrawOrigin), step_(ShadowStep) {
        DrawOrigin = origin;
        ShadowStep = step;
    }
    ~RenderStateGuard() {
        DrawOrigin = origin_;
        ShadowStep = step_;
    }

private:
    QPoint origin_;
    std::int32_t step_;
};

TEST(PictureFitTest, FitRectTable) {
    struct Case {
        QSize bitmap;
        LRect rect, fit;
    } cases[] = {
        // 40 mm picture on a 150 mm ribbon at scale 8: full width, centred on 600.
        {{400, 200}, {240, -1200, 560, 2400}, {240, 520, 560, 680}},
        // Too tall for three ribbon widths: full height, centred across.
        {{10, 1000}, {240, -1200, 560, 2400}, {382, -1200, 418, 2400}},
        // A square thumbnail in a picture-list item: both fit, the second wins.
        {{64, 64}, {2, 2, 138, 33}, {54, 2, 85, 33}},
        {{64, 64}, {0, 0, 31, 31}, {0, 0, 31, 31}},
        // Odd remainders are halved toward zero.
        {{3, 1}, {0, 0, 10, 10}, {0, 3, 10, 6}},
    };
    for (const Case &c : cases) {
        const LRect fit = FitRect(Blank(c.bitmap.width(), c.bitmap.height()), c.rect);
        EXPECT_EQ(fit, c.fit) << c.bitmap.width() << "x" << c.bitmap.height() << " -> " << fit.left
                              << "," << fit.top << "," << fit.right << "," << fit.bottom;
    }
}

TEST(PictureRotationTest, QuarterTurnsCounterClockwiseOnTheSurface) {
    // 3 x 2, every pixel different.
    QImage picture(3, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x)
            picture.setPixel(x, y, qRgb(10 * x, 100 + 10 * y, 7));
    }
    for (int angle : {0, 90, 180, 270, 360, -90, 450}) {
        QImage turned = picture;
        ASSERT_TRUE(RotateBitmap(turned, angle)) << angle;
        // Qt turns exactly only for angles within one turn.
        const QImage expected =
            picture.transformed(QTransform().rotate(-((angle % 360 + 360) % 360)));
        EXPECT_EQ(turned.size(), expected.size()) << angle;
        EXPECT_EQ(turned.convertToFormat(QImage::Format_RGB32),
                  expected.convertToFormat(QImage::Format_RGB32))
            << angle;
    }
    // Turned a quarter counter-clockwise, the top right corner comes to the
    // top left and the picture stands upright.
    QImage turned = picture;
    RotateBitmap(turned, 90);
    EXPECT_EQ(turned.size(), QSize(2, 3));
    EXPECT_EQ(turned.pixel(0, 0), picture.pixel(2, 0));
    EXPECT_EQ(turned.pixel(0, 2), picture.pixel(0, 0));

    QImage unturned = picture;
    EXPECT_FALSE(RotateBitmap(unturned, 45));
    EXPECT_EQ(unturned, picture);
    QImage empty;
    EXPECT_FALSE(RotateBitmap(empty, 90));
}

TEST(PictureInkTest, PrinterPathSplitsInkFromGround) {
    // Mid-grey 128 is ink (49152), 130 is not (50700); 200/100/0 sits exactly
    // on the threshold and is ground, 200/99/0 is ink.
    QImage picture(5, 1, QImage::Format_RGB32);
    picture.setPixel(0, 0, qRgb(128, 128, 128));
    picture.setPixel(1, 0, qRgb(130, 130, 130));
    picture.setPixel(2, 0, qRgb(200, 100, 0));
    picture.setPixel(3, 0, qRgb(200, 99, 0));
    picture.setPixel(4, 0, Black);
    RecordingCanvas canvas;
    BlitPicture(canvas, picture, LRect{0, 0, 50, 10}, DrawPrintColors, 0, PaletteIndex(4),
                RgbColor(0, 0x80, 0xFF));

    const auto ops = canvas.opsOf(CanvasOp::Kind::StretchBitmap);
    ASSERT_EQ(ops.size(), 2);
    EXPECT_EQ(ops[0].op, RasterOp::And);
    EXPECT_EQ(ops[1].op, RasterOp::Or);
    EXPECT_EQ(ops[0].rect, QRect(0, 0, 50, 10));
    EXPECT_EQ(ops[1].rect, QRect(0, 0, 50, 10));
    const bool ink[] = {true, false, false, true, true};
    const QRgb printColour = qRgb(0x00, 0x80, 0xFF);
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(ops[0].image.pixel(x, 0), ink[x] ? Black : White) << x;
        EXPECT_EQ(ops[1].image.pixel(x, 0), ink[x] ? printColour : Black) << x;
    }
    EXPECT_TRUE(canvas.opsOf(CanvasOp::Kind::MaskedBitmap).isEmpty());
}

TEST(PictureInkTest, PrinterPathOnAnImageColoursOnlyTheInk) {
    QImage picture = Blank(4, 4);
    picture.setPixel(1, 1, Black);
    QImage page = Blank(40, 40, qRgb(0, 255, 255));
    {
        QPainter painter(&page);
        QPainterCanvas canvas(painter);
        BlitPicture(canvas, picture, LRect{0, 0, 40, 40}, DrawPrintColors, 0, 0,
                    RgbColor(255, 0, 0));
    }
    EXPECT_EQ(page.pixel(15, 15), qRgb(255, 0, 0));
    EXPECT_EQ(page.pixel(5, 5), qRgb(0, 255, 255));
    EXPECT_EQ(page.pixel(25, 15), qRgb(0, 255, 255));
}

TEST(PictureInkTest, ScreenPathWorkBitmapAndColours) {
    QImage picture = Blank(64, 64);
    picture.setPixel(0, 0, Black);
    picture.setPixel(63, 63, qRgb(128, 128, 128));  // drawn as it is
    struct Case {
        LRect rect;
        QSize work;
        QPoint at;
    } cases[] = {
        {{0, 0, 40, 40}, {40, 40}, {0, 0}},
        {{10, -90, 266, 400}, {256, 257}, {10, 27}},  // fit height 256: one row more
        {{5, 5, 5, 5}, {0, 0}, {}},                   // nothing to draw
    };
    for (const Case &c : cases) {
        RecordingCanvas canvas;
        BlitPicture(canvas, picture, c.rect, 0, 0, PaletteIndex(13), RgbColor(0, 0, 0));
        const auto masked = canvas.opsOf(CanvasOp::Kind::MaskedBitmap);
        EXPECT_TRUE(canvas.opsOf(CanvasOp::Kind::StretchBitmap).isEmpty());
        if (c.work.isEmpty()) {
            EXPECT_TRUE(masked.isEmpty());
            continue;
        }
        ASSERT_EQ(masked.size(), 1);
        EXPECT_EQ(masked[0].image.size(), c.work);
        EXPECT_EQ(masked[0].at, c.at);
        EXPECT_EQ(masked[0].colour, RgbColor(255, 255, 255));
        const QImage &work = masked[0].image;
        EXPECT_EQ(work.pixel(0, 0), qRgb(255, 0, 0)) << "black takes the preview colour";
        EXPECT_EQ(work.pixel(work.width() / 2, work.height() / 2), White);
        EXPECT_EQ(work.pixel(work.width() - 1, work.height() - 1), qRgb(128, 128, 128));
    }

    // A picture squeezed to a zero-high fit still gets a one-row work bitmap.
    RecordingCanvas canvas;
    BlitPicture(canvas, Blank(1000, 1), LRect{0, 0, 100, 50}, 0, 0, 0, 0);
    const auto masked = canvas.opsOf(CanvasOp::Kind::MaskedBitmap);
    ASSERT_EQ(masked.size(), 1);
    EXPECT_EQ(masked[0].image.size(), QSize(100, 1));
}

TEST(PictureInkTest, TurnedPictureIsFittedAfterTurning) {
    QImage picture = Blank(400, 200);
    RecordingCanvas canvas;
    BlitPicture(canvas, picture, LRect{240, -1200, 560, 2400}, DrawPrintColors, 270, 0, 0);
    const auto ops = canvas.opsOf(CanvasOp::Kind::StretchBitmap);
    ASSERT_EQ(ops.size(), 2);
    EXPECT_EQ(ops[0].image.size(), QSize(200, 400));
    // 200 x 400 in 320 x 3600: full width, 640 high, centred on 600.
    EXPECT_EQ(ops[0].rect, QRect(240, 280, 320, 640));
}

TEST(PictureInkTest, WideRowsDoNotOverrun) {
    // Turned, this is 11000 pixels wide: rows of 33000 bytes at 24 bits.
    QImage picture = Blank(2, 11000);
    picture.setPixel(0, 0, Black);
    picture.setPixel(1, 10999, Black);
    RecordingCanvas canvas;
    BlitPicture(canvas, picture, LRect{0, 0, 11000, 2}, DrawPrintColors, 90, 0, 0);
    const auto ops = canvas.opsOf(CanvasOp::Kind::StretchBitmap);
    ASSERT_EQ(ops.size(), 2);
    ASSERT_EQ(ops[0].image.size(), QSize(11000, 2));
    // (0, 0) turns to the bottom left, (1, 10999) to the top right.
    EXPECT_EQ(ops[0].image.pixel(0, 1), Black);
    EXPECT_EQ(ops[0].image.pixel(10999, 0), Black);
    EXPECT_EQ(ops[0].image.pixel(5000, 0), White);
}

TEST(PictureShadowTest, ShadowFallsTurnedWithThePicture) {
    RenderStateGuard state(QPoint(16, -8), 17);
    TJob job;
    job.Shadow = true;
    QImage picture = Blank(40, 20);
    picture.setPixel(3, 3, Black);
    const LRect rect{240, -1200, 560, 2400};
    struct Case {
        int angle;
        QPoint offset;  // Round(sin/cos(angle + 45 degrees) * 17)
    } cases[] = {
        {0, {12, 12}},
        {90, {12, -12}},
        {180, {-12, -12}},  // the upside-down right picture
        {270, {-12, 12}},   // the turned left picture
    };
    for (const Case &c : cases) {
        RecordingCanvas canvas;
        DrawPicture(job, canvas, picture, rect, DrawPrintColors, c.angle, PaletteIndex(13),
                    RgbColor(255, 0, 0));
        const auto ops = canvas.opsOf(CanvasOp::Kind::StretchBitmap);
        ASSERT_EQ(ops.size(), 4) << c.angle;
        const QRect expected = AsRect(FitRect(ops[3].image, LRect{256, -1208, 576, 2392}));
        EXPECT_EQ(ops[3].rect, expected) << c.angle;
        EXPECT_EQ(ops[1].rect, expected.translated(c.offset)) << c.angle;
        // Shadow ink is black, the picture's ink is the print colour.
        EXPECT_EQ(CountOf(ops[1].image, Black), 40 * 20);
        EXPECT_EQ(CountOf(ops[3].image, qRgb(255, 0, 0)), 1);
    }

    job.Shadow = false;
    RecordingCanvas canvas;
    DrawPicture(job, canvas, picture, rect, DrawPrintColors, 0, 0, 0);
    EXPECT_EQ(canvas.opsOf(CanvasOp::Kind::StretchBitmap).size(), 2);

    RecordingCanvas nothing;
    DrawPicture(job, nothing, QImage(), rect, DrawPrintColors, 0, 0, 0);
    EXPECT_TRUE(nothing.ops().isEmpty());
}

TEST(PictureFitTest, DrawFittedStretchesIntoTheFit) {
    RecordingCanvas canvas;
    DrawFitted(canvas, Blank(64, 64), LRect{2, 2, 138, 33});
    const auto ops = canvas.opsOf(CanvasOp::Kind::StretchBitmap);
    ASSERT_EQ(ops.size(), 1);
    EXPECT_EQ(ops[0].op, RasterOp::Copy);
    EXPECT_EQ(ops[0].rect, QRect(54, 2, 31, 31));
    DrawFitted(canvas, QImage(), LRect{2, 2, 138, 33});
    EXPECT_EQ(canvas.ops().size(), 1);
}

}  // namespace
