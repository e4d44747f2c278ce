#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "render/FontRecipe.h"
#include "render/QPainterCanvas.h"

namespace {

const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);
const QRgb Red = qRgb(255, 0, 0);
const QRgb Green = qRgb(0, 255, 0);
const QRgb Cyan = qRgb(0, 255, 255);

QImage Page(int w, int h, QRgb fill = White) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

// Bounding box of the pixels of one colour.
QRect BoundsOf(const QImage &image, QRgb colour) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

int CountOf(const QImage &image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    }
    return n;
}

CanvasFont Arial(int height, int escapement = 0) {
    CanvasFont f;
    f.face = QStringLiteral("Arial");
    f.height = height;
    f.escapement = escapement;
    f.orientation = escapement;
    return f;
}

// Expected edges in pixels, within one pixel.
void ExpectBox(const QRect &box, double left, double top, double right, double bottom) {
    EXPECT_NEAR(box.left(), left, 1.0);
    EXPECT_NEAR(box.top(), top, 1.0);
    EXPECT_NEAR(box.right() + 1, right, 1.0);
    EXPECT_NEAR(box.bottom() + 1, bottom, 1.0);
}

// The opaque background shows the character cell: red cells on white.
TEST(PainterCanvasTest, TextCellLiesWhereTheAlignmentAndEscapementPutIt) {
    const QString text = QStringLiteral("Hain");
    const double advance =
        FontRecipe::forFace(QStringLiteral("Arial")).extent(text, 1000).width() / 1000.0 * 100.0;
    struct Case {
        int escapement;
        double left, top, right, bottom;  // reference point (200, 200), cell 100
    } cases[] = {
        {0, 200 - advance / 2, 200, 200 + advance / 2, 300},
        {900, 200, 200 - advance / 2, 300, 200 + advance / 2},   // reads upward
        {1800, 200 - advance / 2, 100, 200 + advance / 2, 200},  // upside down
        {2700, 100, 200 - advance / 2, 200, 200 + advance / 2},  // reads downward
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.escapement);
        QImage image = Page(400, 400);
        {
            QPainter painter(&image);
            QPainterCanvas canvas(painter);
            canvas.selectFont(canvas.createFont(Arial(100, c.escapement)));
            canvas.setTextAlign(TextAlign::Center | TextAlign::Top);
            canvas.setBackgroundMode(BackgroundMode::Opaque);
            canvas.setBackgroundColor(RgbColor(255, 0, 0));
            canvas.textOut(200, 200, text);
        }
        ExpectBox(BoundsOf(image, Red), c.left, c.top, c.right, c.bottom);
        // The letters lie inside their cell.
        const QRect ink = BoundsOf(image, Black);
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_TRUE(BoundsOf(image, Red).adjusted(-1, -1, 1, 1).contains(ink));
    }
}

TEST(PainterCanvasTest, VerticalAlignmentAndTheMappingScale) {
    const FontRecipe &recipe = FontRecipe::forFace(QStringLiteral("Arial"));
    const TextMetrics tm = recipe.metrics(400);  // 100 pixels under the mapping
    const double advance = recipe.extent(QStringLiteral("Ag"), 400).width() / 4.0;
    struct Case {
        unsigned align;
        double left, top, right, bottom;
    } cases[] = {
        {TextAlign::Left | TextAlign::Baseline, 150, 100 - tm.ascent / 4.0, 150 + advance,
         100 + tm.descent / 4.0},
        {TextAlign::Right | TextAlign::Bottom, 150 - advance, 0, 150, 100},
    };
    for (const Case &c : cases) {
        QImage image = Page(300, 300);
        {
            QPainter painter(&image);
            QPainterCanvas canvas(painter);
            canvas.setMapMode(CanvasMapping::Mode::Isotropic);
            canvas.setWindowExt(QSize(1000, 1000));
            canvas.setViewportExt(QSize(250, 250));
            canvas.selectFont(canvas.createFont(Arial(400)));
            canvas.setTextAlign(c.align);
            canvas.setBackgroundColor(RgbColor(255, 0, 0));
            canvas.textOut(600, 400, QStringLiteral("Ag"));  // opaque by default
        }
        ExpectBox(BoundsOf(image, Red), c.left, c.top, c.right, c.bottom);
    }
}

TEST(PainterCanvasTest, ColoursAndPaletteEntries) {
    QImage image = Page(40, 10);
    {
        QPainter painter(&image);
        QPainterCanvas canvas(painter);
        canvas.fillRect(QRect(0, 0, 10, 10), PaletteIndex(13));
        canvas.fillRect(QRect(10, 0, 10, 10), PaletteIndex(8));
        canvas.fillRect(QRect(20, 0, 10, 10), RgbColor(0x12, 0x34, 0x56));
        canvas.fillRect(QRect(30, 0, 10, 10), PaletteIndex(25));
    }
    EXPECT_EQ(image.pixel(5, 5), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(15, 5), qRgb(0xC0, 0xDC, 0xC0));
    EXPECT_EQ(image.pixel(25, 5), qRgb(0x12, 0x34, 0x56));
    EXPECT_EQ(image.pixel(35, 5), Black) << "outside the palette";
    EXPECT_EQ(image.pixel(9, 9), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(10, 9), qRgb(0xC0, 0xDC, 0xC0)) << "right edge excluded";

    // Text in a palette colour: the stem of a large I is solid dark blue.
    QImage text = Page(200, 200);
    {
        QPainter painter(&text);
        QPainterCanvas canvas(painter);
        canvas.selectFont(canvas.createFont(Arial(180)));
        canvas.setBackgroundMode(BackgroundMode::Transparent);
        canvas.setTextColor(PaletteIndex(4));
        canvas.textOut(20, 10, QStringLiteral("I"));
    }
    EXPECT_GT(CountOf(text, qRgb(0, 0, 128)), 500);
    EXPECT_EQ(CountOf(text, Red), 0);
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
    QImage image = Page(40, 20, Cyan);
    {
        QPainter painter(&image);
        QPainterCanvas canvas(painter);
        ASSERT_TRUE(canvas.isRasterDevice());
        DrawInkPair(canvas, QRect(0, 0, 40, 20));
        // True raster operations: grey AND yellow, grey OR dark blue.
        QImage grey(1, 1, QImage::Format_RGB32);
        grey.fill(qRgb(0x80, 0x80, 0x80));
        canvas.fillRect(QRect(0, 0, 4, 4), RgbColor(255, 255, 0));
        canvas.stretchBitmap(QRect(0, 0, 4, 4), grey, RasterOp::And);
        canvas.fillRect(QRect(36, 0, 4, 4), RgbColor(0, 0, 0x40));
        canvas.stretchBitmap(QRect(36, 0, 4, 4), grey, RasterOp::Or);
    }
    EXPECT_EQ(image.pixel(10, 10), Red);
    EXPECT_EQ(image.pixel(30, 10), Cyan);
    EXPECT_EQ(image.pixel(19, 10), Red);
    EXPECT_EQ(image.pixel(20, 10), Cyan);
    EXPECT_EQ(image.pixel(2, 2), qRgb(0x80, 0x80, 0x00));
    EXPECT_EQ(image.pixel(38, 2), qRgb(0x80, 0x80, 0xC0));
}

TEST(PainterCanvasTest, ShrinkingKeepsThinInk) {
    // One black column in forty white ones, shrunk to a tenth.
    QImage picture = Page(40, 40);
    for (int y = 0; y < 40; ++y)
        picture.setPixel(23, y, Black);
    const QImage small = QPainterCanvas::stretchBlackOnWhite(picture, QSize(4, 4));
    ASSERT_EQ(small.size(), QSize(4, 4));
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(small.pixel(2, y), Black);
        EXPECT_EQ(small.pixel(1, y), White);
        EXPECT_EQ(small.pixel(3, y), White);
    }
    // Enlarging repeats pixels.
    const QImage large = QPainterCanvas::stretchBlackOnWhite(small, QSize(8, 2));
    EXPECT_EQ(large.pixel(4, 0), Black);
    EXPECT_EQ(large.pixel(5, 1), Black);
    EXPECT_EQ(large.pixel(6, 0), White);
    EXPECT_TRUE(QPainterCanvas::stretchBlackOnWhite(picture, QSize(0, 4)).isNull());

    QImage page = Page(4, 4, Cyan);
    {
        QPainter painter(&page);
        QPainterCanvas canvas(painter);
        canvas.stretchBitmap(QRect(0, 0, 4, 4), picture, RasterOp::And);
    }
    EXPECT_EQ(page.pixel(2, 1), Black);
    EXPECT_EQ(page.pixel(1, 1), Cyan);
}

TEST(PainterCanvasTest, MaskedBitmapLeavesOneColourOut) {
    QImage bitmap(3, 1, QImage::Format_RGB32);
    bitmap.setPixel(0, 0, White);
    bitmap.setPixel(1, 0, Black);
    bitmap.setPixel(2, 0, Red);
    for (ColorRef transparent : {RgbColor(255, 255, 255), PaletteIndex(19), RgbColor(0, 0, 0)}) {
        QImage page = Page(6, 2, Green);
        {
            QPainter painter(&page);
            QPainterCanvas canvas(painter);
            canvas.setMapMode(CanvasMapping::Mode::Anisotropic);
            canvas.setViewportExt(QSize(2, 2));  // one unit, two pixels
            canvas.maskedBitmap(QPoint(0, 0), bitmap, transparent);
        }
        const bool whiteOut = transparent != RgbColor(0, 0, 0);
        EXPECT_EQ(page.pixel(1, 1), whiteOut ? Green : White);
        EXPECT_EQ(page.pixel(3, 1), whiteOut ? Black : Green);
        EXPECT_EQ(page.pixel(4, 0), Red);
    }
}

TEST(PainterCanvasTest, EvenOddPolygonsAndPens) {
    QImage image = Page(100, 100);
    {
        QPainter painter(&image);
        QPainterCanvas canvas(painter);
        canvas.setPen(RgbColor(0, 0, 0), 0);
        canvas.setBrush(RgbColor(255, 0, 0));
        canvas.polyPolygon(
            {{10, 10}, {90, 10}, {90, 90}, {10, 90}, {30, 30}, {70, 30}, {70, 70}, {30, 70}},
            {4, 4, 99});  // the last count runs past the points
        canvas.setMapMode(CanvasMapping::Mode::Isotropic);
        canvas.setWindowExt(QSize(1, 1));
        canvas.setViewportExt(QSize(2, 2));
        canvas.setPen(RgbColor(0, 255, 0), 4);  // 4 units, 8 pixels
        canvas.moveTo(2, 48);
        canvas.lineTo(48, 48);
    }
    EXPECT_EQ(image.pixel(20, 20), Red);
    EXPECT_EQ(image.pixel(50, 50), White) << "the hole of the even-odd rule";
    EXPECT_TRUE(image.pixel(9, 50) == Black || image.pixel(10, 50) == Black)
        << "outlined with the pen";
    const QRect line = BoundsOf(image, Green);
    EXPECT_NEAR(line.height(), 8, 1);
    EXPECT_NEAR(line.center().y(), 96, 1);
}

TEST(PainterCanvasTest, ClipSaveRestoreAndTheCallersState) {
    QImage image = Page(100, 100);
    QPainter painter(&image);
    painter.translate(10, 0);
    painter.setClipRect(QRect(0, 0, 80, 100));  // the caller's own clip
    const QTransform before = painter.worldTransform();
    {
        QPainterCanvas canvas(painter);
        canvas.saveState();
        canvas.setClipRect(QRect(0, 0, 20, 20));
        canvas.fillRect(QRect(0, 0, 100, 100), RgbColor(255, 0, 0));
        canvas.restoreState();
        canvas.setClipRect(QRect(40, 40, 60, 60));
        canvas.setClipRect(QRect());
        canvas.saveState();  // left open: the canvas unwinds it
        canvas.fillRect(QRect(0, 50, 100, 50), RgbColor(0, 255, 0));
    }
    EXPECT_EQ(painter.worldTransform(), before);
    painter.end();
    ExpectBox(BoundsOf(image, Red), 10, 0, 30, 20);
    ExpectBox(BoundsOf(image, Green), 10, 50, 90, 100);
}

// A PDF page rendered back to pixels: the vector stand-ins for AND and OR and
// the masked bitmap must look as they do on an image.
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
        EXPECT_TRUE(canvas.isPrinting());
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
    auto near = [&](int x, int y, QRgb expected) {
        const QRgb p = page.pixel(x, y);
        EXPECT_NEAR(qRed(p), qRed(expected), 8) << x << "," << y;
        EXPECT_NEAR(qGreen(p), qGreen(expected), 8) << x << "," << y;
        EXPECT_NEAR(qBlue(p), qBlue(expected), 8) << x << "," << y;
    };
    near(100, 100, Red);   // ink: black by AND, red by OR
    near(300, 100, Cyan);  // ground: untouched
    near(550, 250, Cyan);  // the masked bitmap's white pixel is left out
    near(650, 250, Red);
    near(800, 100, White);  // beyond everything: the paper
}

}  // namespace
