#include <gtest/gtest.h>

#include <QTransform>

#include "model/Job.h"
#include "render/Edgedll2.h"
#include "render/Pictures.h"
#include "render/RecordingCanvas.h"
#include "render/RenderState.h"

namespace {

const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);

QImage Blank(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(White);
    return image;
}

QVector<CanvasOp> Stretches(const RecordingCanvas &c) {
    return c.opsOf(CanvasOp::Kind::StretchBitmap);
}

TEST(PictureTest, FitRectTable) {
    const struct {
        QSize bitmap;
        LRect rect, fit;
    } cases[] = {
        // 40 mm picture, 150 mm ribbon, scale 8: full width, centred on 600.
        {{400, 200}, {240, -1200, 560, 2400}, {240, 520, 560, 680}},
        // Taller than three ribbon widths: full height, centred across.
        {{10, 1000}, {240, -1200, 560, 2400}, {382, -1200, 418, 2400}},
        // A thumbnail in a picture-list item; and both fitting: full width wins.
        {{64, 64}, {2, 2, 138, 33}, {54, 2, 85, 33}},
        {{64, 64}, {0, 0, 31, 31}, {0, 0, 31, 31}},
        {{3, 1}, {0, 0, 10, 10}, {0, 3, 10, 6}},  // (10 - 3) div 2
    };
    for (const auto &c : cases)
        EXPECT_EQ(FitRect(Blank(c.bitmap.width(), c.bitmap.height()), c.rect), c.fit)
            << c.bitmap.width() << "x" << c.bitmap.height();
}

TEST(PictureTest, QuarterTurnsCounterClockwiseOnTheSurface) {
    QImage picture(3, 2, QImage::Format_RGB32);
    for (int i = 0; i < 6; ++i)
        picture.setPixel(i % 3, i / 3, qRgb(40 * i, 7, 9));
    for (int angle : {0, 90, 180, 270, -90, 450}) {
        QImage turned = picture;
        ASSERT_TRUE(RotateBitmap(turned, angle)) << angle;
        // Qt turns exactly for angles within one turn.
        const int within = (angle % 360 + 360) % 360;
        EXPECT_EQ(turned, picture.transformed(QTransform().rotate(-within))) << angle;
    }
    QImage turned = picture;
    RotateBitmap(turned, 90);
    EXPECT_EQ(turned.pixel(0, 0), picture.pixel(2, 0)) << "top right comes to the top left";

    QImage unturned = picture;
    EXPECT_FALSE(RotateBitmap(unturned, 45));
    EXPECT_EQ(unturned, picture);
}

TEST(PictureTest, PrinterPathSplitsInkFromGround) {
    // 128 grey is ink (49152 < 50000), 130 is not (50700); 200/100/0 lies on
    // the threshold and is ground.
    const QRgb pixels[] = {qRgb(128, 128, 128), qRgb(130, 130, 130), qRgb(200, 100, 0),
                           qRgb(200, 99, 0)};
    const bool ink[] = {true, false, false, true};
    QImage picture(4, 1, QImage::Format_RGB32);
    for (int x = 0; x < 4; ++x)
        picture.setPixel(x, 0, pixels[x]);
    RecordingCanvas canvas;
    BlitPicture(canvas, picture, LRect{0, 0, 40, 10}, DrawPrintColors, 0, PaletteIndex(4),
                RgbColor(0, 0x80, 0xFF));
    const auto ops = Stretches(canvas);
    ASSERT_EQ(ops.size(), 2);
    EXPECT_EQ(ops[0].op, RasterOp::And);
    EXPECT_EQ(ops[1].op, RasterOp::Or);
    EXPECT_EQ(ops[1].rect, QRect(0, 0, 40, 10));
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(ops[0].image.pixel(x, 0), ink[x] ? Black : White) << x;
        EXPECT_EQ(ops[1].image.pixel(x, 0), ink[x] ? qRgb(0, 0x80, 0xFF) : Black) << x;
    }

    // Turned 90 degrees, a 2 x 11000 picture has rows of 33000 bytes at 24
    // bits, past what a 32768-byte row buffer would hold.
    QImage tall = Blank(2, 11000);
    tall.setPixel(1, 10999, Black);
    RecordingCanvas wide;
    BlitPicture(wide, tall, LRect{0, 0, 11000, 2}, DrawPrintColors, 90, 0, 0);
    ASSERT_EQ(Stretches(wide).size(), 2);
    EXPECT_EQ(Stretches(wide)[0].image.size(), QSize(11000, 2));
    EXPECT_EQ(Stretches(wide)[0].image.pixel(10999, 0), Black);
}

TEST(PictureTest, ScreenPathWorkBitmap) {
    QImage picture = Blank(64, 64);
    picture.setPixel(0, 0, Black);
    picture.setPixel(63, 63, qRgb(128, 128, 128));
    const struct {
        QSize bitmap;
        LRect rect;
        QSize work;
        QPoint at;
    } cases[] = {
        {{64, 64}, {0, 0, 40, 40}, {40, 40}, {0, 0}},
        {{64, 64}, {10, -90, 266, 400}, {256, 257}, {10, 27}},  // fit 256 high: one more
        {{1000, 1}, {0, 0, 100, 50}, {100, 1}, {0, 25}},        // fit 0 high: one row
        {{64, 64}, {5, 5, 5, 5}, {}, {}},                       // nothing to draw
    };
    for (const auto &c : cases) {
        RecordingCanvas canvas;
        const QImage bitmap = c.bitmap == picture.size() ? picture : Blank(1000, 1);
        BlitPicture(canvas, bitmap, c.rect, 0, 0, PaletteIndex(13), 0);
        const auto masked = canvas.opsOf(CanvasOp::Kind::MaskedBitmap);
        EXPECT_TRUE(Stretches(canvas).isEmpty());
        ASSERT_EQ(masked.size(), c.work.isEmpty() ? 0 : 1);
        if (masked.isEmpty())
            continue;
        EXPECT_EQ(masked[0].image.size(), c.work);
        EXPECT_EQ(masked[0].at, c.at);
        EXPECT_EQ(masked[0].colour, RgbColor(255, 255, 255));
    }
    // Black takes the preview colour, other colours stay as they are.
    RecordingCanvas canvas;
    BlitPicture(canvas, picture, LRect{0, 0, 40, 40}, 0, 0, PaletteIndex(13), 0);
    const QImage work = canvas.opsOf(CanvasOp::Kind::MaskedBitmap).value(0).image;
    EXPECT_EQ(work.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(work.pixel(20, 20), White);
    EXPECT_EQ(work.pixel(39, 39), qRgb(128, 128, 128));
}

TEST(PictureTest, ShadowFallsTurnedWithThePicture) {
    RenderContext context;
    context.DrawOrigin = QPoint(16, -8);
    context.ShadowStep = 17;
    TJob job;
    QImage picture = Blank(40, 20);
    picture.setPixel(3, 3, Black);
    const struct {
        int angle;
        QPoint offset;  // Round(sin and cos of (angle + 45 degrees) times 17)
    } cases[] = {{0, {12, 12}}, {90, {12, -12}}, {180, {-12, -12}}, {270, {-12, 12}}};
    for (const auto &c : cases) {
        RecordingCanvas canvas;
        DrawPicture(context, job, canvas, picture, LRect{240, -1200, 560, 2400}, DrawPrintColors,
                    c.angle, 0, RgbColor(255, 0, 0));
        const auto ops = Stretches(canvas);
        ASSERT_EQ(ops.size(), 4);
        // Moved by the draw origin, then fitted to the turned picture.
        const LRect fit = FitRect(ops[3].image, LRect{256, -1208, 576, 2392});
        EXPECT_EQ(ops[3].rect, QRect(fit.left, fit.top, fit.width(), fit.height())) << c.angle;
        EXPECT_EQ(ops[1].rect, ops[3].rect.translated(c.offset)) << c.angle;
        EXPECT_TRUE(ops[1].image.allGray()) << "the shadow is black";
        EXPECT_FALSE(ops[3].image.allGray()) << "the picture takes the print colour";
    }
    job.Shadow = false;
    RecordingCanvas canvas;
    DrawPicture(context, job, canvas, picture, LRect{0, 0, 40, 20}, DrawPrintColors, 0, 0, 0);
    EXPECT_EQ(Stretches(canvas).size(), 2);
}

}  // namespace
