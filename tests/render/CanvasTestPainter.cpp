#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <functional>

#include "render/FontRecipe.h"
#include "render/QPainterCanvas.h"

namespace {

const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);
const QRgb Red = qRgb(255, 0, 0);
const QRgb Green = qRgb(0, 255, 0);
const QRgb Cyan = qRgb(0, 255, 255);

QImage Paint(QSize size, QRgb ground, const std::function<void(QPainterCanvas &)> &draw) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(ground);
    QPainter painter(&image);
    QPainterCanvas canvas(painter);
    draw(canvas);
    return image;
}

QRect BoundsOf(const QImage &image, QRgb colour) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == colour)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

void ExpectEdges(const QRect &box, double left, double top, double right, double bottom) {
    EXPECT_NEAR(box.left(), left, 1.0);
    EXPECT_NEAR(box.top(), top, 1.0);
    EXPECT_NEAR(box.right() + 1, right, 1.0);
    EXPECT_NEAR(box.bottom() + 1, bottom, 1.0);
}

// A red opaque background shows the character cell. The mapping draws four
// units to the pixel; the cell is 400 units (100 pixels) high and the
// reference point (800, 800) is pixel (200, 200).
TEST(PainterCanvasTest, TextCellFollowsAlignmentEscapementAndMapping) {
    const QString text = QStringLiteral("Hain");
    const FontRecipe &recipe = FontRecipe::forFace(QStringLiteral("Arial"));
    const double adv = recipe.referenceAdvance(text) * recipe.scaleFor(400) / 4;
    const double asc = recipe.metrics(400).ascent / 4.0;
    const unsigned centreTop = TextAlign::Center | TextAlign::Top;
    const struct {
        unsigned align;
        int escapement;
        double left, top, right, bottom;
    } cases[] = {
        {centreTop, 0, 200 - adv / 2, 200, 200 + adv / 2, 300},
        {centreTop, 900, 200, 200 - adv / 2, 300, 200 + adv / 2},   // reads upward
        {centreTop, 1800, 200 - adv / 2, 100, 200 + adv / 2, 200},  // upside down
        {centreTop, 2700, 100, 200 - adv / 2, 200, 200 + adv / 2},  // reads downward
        {TextAlign::Left | TextAlign::Baseline, 0, 200, 200 - asc, 200 + adv, 300 - asc},
        {TextAlign::Right | TextAlign::Bottom, 0, 200 - adv, 100, 200, 200},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.align << " " << c.escapement);
        const QImage image = Paint(QSize(400, 400), White, [&](QPainterCanvas &canvas) {
            canvas.setMapMode(CanvasMapping::Mode::Isotropic);
            canvas.setWindowExt(QSize(4, 4));
            canvas.setViewportExt(QSize(1, 1));
            CanvasFont font;
            font.face = QStringLiteral("Arial");
            font.height = 400;
            font.escapement = font.orientation = c.escapement;
            canvas.selectFont(canvas.createFont(font));
            canvas.setTextAlign(c.align);
            canvas.setBackgroundColor(RgbColor(255, 0, 0));
            canvas.textOut(800, 800, text);
        });
        const QRect cell = BoundsOf(image, Red);
        ExpectEdges(cell, c.left, c.top, c.right, c.bottom);
        const QRect ink = BoundsOf(image, Black);
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_TRUE(cell.adjusted(-1, -1, 1, 1).contains(ink)) << "letters outside their cell";
    }
}

TEST(PainterCanvasTest, PaletteAndPlainColours) {
    const QImage image = Paint(QSize(200, 200), White, [](QPainterCanvas &canvas) {
        canvas.fillRect(QRect(0, 0, 10, 10), PaletteIndex(13));
        canvas.fillRect(QRect(10, 0, 10, 10), PaletteIndex(8));
        canvas.fillRect(QRect(20, 0, 10, 10), RgbColor(0x12, 0x34, 0x56));
        canvas.fillRect(QRect(30, 0, 10, 10), PaletteIndex(25));
        CanvasFont font;
        font.face = QStringLiteral("Arial");
        font.height = 180;
        canvas.selectFont(canvas.createFont(font));
        canvas.setBackgroundMode(BackgroundMode::Transparent);
        canvas.setTextColor(PaletteIndex(4));
        canvas.textOut(20, 15, QStringLiteral("I"));
    });
    EXPECT_EQ(image.pixel(9, 9), Red);
    EXPECT_EQ(image.pixel(10, 9), qRgb(0xC0, 0xDC, 0xC0)) << "money green; right edge excluded";
    EXPECT_EQ(image.pixel(25, 5), qRgb(0x12, 0x34, 0x56));
    EXPECT_EQ(image.pixel(35, 5), Black) << "outside the palette";
    EXPECT_GT(BoundsOf(image, qRgb(0, 0, 128)).height(), 100) << "dark blue letter";
}

// The printed picture: B (black ink, white ground) by AND, then A (ink
// colour, black ground) by OR, over a page that already carries cyan.
void DrawInkPair(RibbonCanvas &canvas, QRect target) {
    QImage mask(2, 1, QImage::Format_RGB32), ink(2, 1, QImage::Format_RGB32);
    mask.setPixel(0, 0, Black);
    mask.setPixel(1, 0, White);
    ink.setPixel(0, 0, Red);
    ink.setPixel(1, 0, Black);
    canvas.stretchBitmap(target, mask, RasterOp::And);
    canvas.stretchBitmap(target, ink, RasterOp::Or);
}

TEST(PainterCanvasTest, AndOrOnAnImage) {
    QImage thinLine(40, 40, QImage::Format_RGB32);
    thinLine.fill(White);
    for (int y = 0; y < 40; ++y)
        thinLine.setPixel(23, y, Black);
    QImage grey(1, 1, QImage::Format_RGB32);
    grey.fill(qRgb(0x80, 0x80, 0x80));
    const QImage image = Paint(QSize(40, 30), Cyan, [&](QPainterCanvas &canvas) {
        ASSERT_TRUE(canvas.isRasterDevice());
        DrawInkPair(canvas, QRect(0, 0, 40, 20));
        canvas.fillRect(QRect(0, 20, 4, 4), RgbColor(255, 255, 0));
        canvas.stretchBitmap(QRect(0, 20, 4, 4), grey, RasterOp::And);
        canvas.fillRect(QRect(36, 20, 4, 4), RgbColor(0, 0, 0x40));
        canvas.stretchBitmap(QRect(36, 20, 4, 4), grey, RasterOp::Or);
        // Shrunk to a tenth, a one-pixel line must not vanish.
        canvas.stretchBitmap(QRect(10, 24, 4, 4), thinLine, RasterOp::And);
    });
    EXPECT_EQ(image.pixel(19, 10), Red);
    EXPECT_EQ(image.pixel(20, 10), Cyan);
    EXPECT_EQ(image.pixel(2, 22), qRgb(0x80, 0x80, 0x00));
    EXPECT_EQ(image.pixel(38, 22), qRgb(0x80, 0x80, 0xC0));
    EXPECT_EQ(image.pixel(12, 25), Black);
    EXPECT_EQ(image.pixel(11, 25), Cyan);
}

TEST(PainterCanvasTest, MaskedBitmapLeavesOneColourOut) {
    QImage bitmap(3, 1, QImage::Format_RGB32);
    bitmap.setPixel(0, 0, White);
    bitmap.setPixel(1, 0, Black);
    bitmap.setPixel(2, 0, Red);
    for (ColorRef transparent : {RgbColor(255, 255, 255), PaletteIndex(19), RgbColor(0, 0, 0)}) {
        const QImage page = Paint(QSize(6, 2), Green, [&](QPainterCanvas &canvas) {
            canvas.setMapMode(CanvasMapping::Mode::Anisotropic);
            canvas.setViewportExt(QSize(2, 2));  // one unit, two pixels
            canvas.maskedBitmap(QPoint(0, 0), bitmap, transparent);
        });
        const bool whiteOut = transparent != RgbColor(0, 0, 0);
        EXPECT_EQ(page.pixel(1, 1), whiteOut ? Green : White);
        EXPECT_EQ(page.pixel(3, 1), whiteOut ? Black : Green);
        EXPECT_EQ(page.pixel(4, 0), Red);
    }
}

TEST(PainterCanvasTest, EvenOddPolygonsAndPenWidths) {
    const QImage image = Paint(QSize(100, 100), White, [](QPainterCanvas &canvas) {
        canvas.setBrush(RgbColor(255, 0, 0));
        // The last count runs past the points: that figure is left out.
        canvas.polyPolygon(
            {{10, 10}, {90, 10}, {90, 90}, {10, 90}, {30, 30}, {70, 30}, {70, 70}, {30, 70}},
            {4, 4, 99});
        canvas.setMapMode(CanvasMapping::Mode::Isotropic);
        canvas.setWindowExt(QSize(1, 1));
        canvas.setViewportExt(QSize(2, 2));
        canvas.setPen(RgbColor(0, 255, 0), 4);  // 4 units, 8 pixels
        canvas.moveTo(2, 48);
        canvas.lineTo(48, 48);
    });
    EXPECT_EQ(image.pixel(20, 20), Red);
    EXPECT_EQ(image.pixel(50, 50), White) << "the even-odd hole";
    EXPECT_TRUE(image.pixel(9, 50) == Black || image.pixel(10, 50) == Black) << "thin frame";
    EXPECT_NEAR(BoundsOf(image, Green).height(), 8, 1);
}

TEST(PainterCanvasTest, ClipSaveRestoreKeepTheCallersState) {
    QImage image(100, 100, QImage::Format_RGB32);
    image.fill(White);
    QPainter painter(&image);
    painter.translate(10, 0);
    painter.setClipRect(QRect(0, 0, 80, 100));  // a list item's own clip
    const QTransform before = painter.worldTransform();
    {
        QPainterCanvas canvas(painter);
        canvas.saveState();
        canvas.setClipRect(QRect(0, 0, 20, 20));
        canvas.fillRect(QRect(0, 0, 100, 100), RgbColor(255, 0, 0));
        canvas.restoreState();
        canvas.setClipRect(QRect(40, 40, 60, 60));
        canvas.setClipRect(QRect());  // back to the caller's clip only
        canvas.saveState();           // left open: the canvas unwinds it
        canvas.fillRect(QRect(0, 50, 100, 50), RgbColor(0, 255, 0));
    }
    EXPECT_EQ(painter.worldTransform(), before);
    painter.end();
    ExpectEdges(BoundsOf(image, Red), 10, 0, 30, 20);
    ExpectEdges(BoundsOf(image, Green), 10, 50, 90, 100);
}

// On a PDF page the AND/OR pair and the masked bitmap are drawn by their
// vector stand-ins; rendered back to pixels they must look the same.
TEST(PainterCanvasTest, AndOrAndMaskOnAPdfPage) {
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (pdftoppm.isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed";
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    {
        QPdfWriter writer(pdf);
        writer.setResolution(254);  // ten pixels per millimetre
        writer.setPageLayout(QPageLayout(QPageSize(QSizeF(100, 50), QPageSize::Millimeter),
                                         QPageLayout::Portrait, QMarginsF()));
        QPainter painter(&writer);
        QPainterCanvas canvas(painter, true);
        EXPECT_FALSE(canvas.isRasterDevice());
        canvas.fillRect(QRect(0, 0, 700, 500), RgbColor(0, 255, 255));
        DrawInkPair(canvas, QRect(0, 0, 400, 200));
        QImage bitmap(2, 1, QImage::Format_RGB32);
        bitmap.setPixel(0, 0, White);
        bitmap.setPixel(1, 0, Red);
        canvas.setMapMode(CanvasMapping::Mode::Anisotropic);
        canvas.setViewportExt(QSize(100, 100));
        canvas.maskedBitmap(QPoint(5, 2), bitmap, RgbColor(255, 255, 255));
    }
    QProcess render;
    render.start(pdftoppm,
                 {QStringLiteral("-r"), QStringLiteral("254"), QStringLiteral("-png"),
                  QStringLiteral("-singlefile"), pdf, dir.filePath(QStringLiteral("page"))});
    ASSERT_TRUE(render.waitForFinished(30000));
    const QImage page(dir.filePath(QStringLiteral("page.png")));
    ASSERT_FALSE(page.isNull());
    const struct {
        int x, y;
        QRgb colour;
    } probes[] = {
        {100, 100, Red},                      // ink: black by AND, red by OR
        {300, 100, Cyan},                     // ground: untouched
        {550, 250, Cyan},                     // the masked bitmap's white pixel is left out
        {650, 250, Red},  {800, 100, White},  // the paper
    };
    for (const auto &p : probes) {
        const QRgb got = page.pixel(p.x, p.y);
        EXPECT_NEAR(qRed(got), qRed(p.colour), 8) << p.x << "," << p.y;
        EXPECT_NEAR(qGreen(got), qGreen(p.colour), 8) << p.x << "," << p.y;
        EXPECT_NEAR(qBlue(got), qBlue(p.colour), 8) << p.x << "," << p.y;
    }
}

}  // namespace
