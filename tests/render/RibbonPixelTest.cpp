#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "render/DrawJob.h"
#include "render/QPainterCanvas.h"
#include "tests/render/DrawJobTestSupport.h"

namespace {

// The ribbon is drawn at the printing scale, 1/8 mm per unit, onto 2 pixels
// per millimetre: 4 units per pixel. The ribbon starts 80 units (20 pixels)
// in from the image's corner.
constexpr int UnitsPerPixel = 4;
constexpr int OriginUnits = 80;
constexpr int OriginPixels = OriginUnits / UnitsPerPixel;
constexpr QSize ImageSize(840, 240);  // 420 x 120 mm

constexpr ColorRef Blue = RgbColor(0, 0, 255);
constexpr ColorRef Red = RgbColor(255, 0, 0);

int Px(int units) {
    return (OriginUnits + units) / UnitsPerPixel;
}

bool IsBlue(QRgb c) {
    return qBlue(c) > 160 && qRed(c) < 90 && qGreen(c) < 90;
}
bool IsRed(QRgb c) {
    return qRed(c) > 160 && qBlue(c) < 90 && qGreen(c) < 90;
}
bool IsBlack(QRgb c) {
    return qRed(c) < 70 && qGreen(c) < 70 && qBlue(c) < 70;
}
bool IsInk(QRgb c) {
    return qGray(c) < 200;
}

// The bounding box of the pixels that pass, within a region of the image.
QRect Box(const QImage &image, const std::function<bool(QRgb)> &pass, QRect region = QRect()) {
    if (region.isNull())
        region = image.rect();
    region &= image.rect();
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        for (int x = region.left(); x <= region.right(); ++x) {
            if (!pass(image.pixel(x, y)))
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    return left > right ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

void ExpectNear(const QRect &actual, const QRect &expected, int tolerance) {
    EXPECT_NEAR(actual.left(), expected.left(), tolerance);
    EXPECT_NEAR(actual.top(), expected.top(), tolerance);
    EXPECT_NEAR(actual.right(), expected.right(), tolerance);
    EXPECT_NEAR(actual.bottom(), expected.bottom(), tolerance);
}

class RibbonPixelTest : public RibbonTest {
protected:
    RibbonPixelTest() {
        // The blue preview colour has 0 in its low five bits: Color0 prints it.
        setSetting(QStringLiteral("Colors"), QStringLiteral("Color0"), int(Red));
        writePicture(QStringLiteral("block.bmp"), Block(100, 100));
        writePicture(QStringLiteral("halb.bmp"), HalfInkPicture(100, 100));
    }

    // 400 x 100 mm, margin 20, letters 40 mm: 3200 x 800 units, h = 320.
    static std::unique_ptr<TJob> Ribbon(int style, const QString &left, const QString &right) {
        auto job = MakeJob();
        job->Stil = style;
        job->Laenge = 400;
        job->Breite = 100;
        job->Rand = 20;
        job->FontGroesse = 40;
        job->FontFarbe = Blue;
        job->TextLeft.set(left.isEmpty() ? QStringList() : QStringList{left});
        job->TextRight.set(right.isEmpty() ? QStringList() : QStringList{right});
        job->Kommission.set(QStringLiteral("A1"));
        return job;
    }

    static QImage Block(int width, int height) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::black);
        return image;
    }

    static void SetMapping(RibbonCanvas &canvas, int unitsPerStep, int pixelsPerStep) {
        canvas.setMapMode(CanvasMapping::Mode::Isotropic);
        canvas.setWindowExt(QSize(unitsPerStep, unitsPerStep));
        canvas.setViewportExt(QSize(pixelsPerStep, pixelsPerStep));
    }

    QImage Render(const TJob &job, int flags) const {
        QImage image(ImageSize, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        QPainterCanvas canvas(painter, (flags & DrawPrint) != 0);
        SetMapping(canvas, UnitsPerPixel, 1);
        RenderContext drawing = context();
        drawing.DrawOrigin = QPoint(OriginUnits, OriginUnits);
        DrawJob(drawing, job, canvas, 8, flags);
        return image;
    }

    // The same drawing on a PDF page of the image's size in millimetres,
    // rendered back at 2 pixels per millimetre with pdftoppm.
    QImage RenderPdf(const TJob &job, int flags) const {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("ribbon.pdf"));
        {
            QPdfWriter writer(pdf);
            writer.setResolution(254);  // 10 pixels per millimetre
            writer.setPageLayout(
                QPageLayout(QPageSize(QSizeF(ImageSize.height() / 2.0, ImageSize.width() / 2.0),
                                      QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
                            QPageLayout::Landscape, QMarginsF(), QPageLayout::Millimeter));
            QPainter painter(&writer);
            QPainterCanvas canvas(painter, (flags & DrawPrint) != 0);
            SetMapping(canvas, 4, 5);  // 1/8 mm per unit
            RenderContext drawing = context();
            drawing.DrawOrigin = QPoint(OriginUnits, OriginUnits);
            DrawJob(drawing, job, canvas, 8, flags);
        }
        const QString prefix = dir.filePath(QStringLiteral("page"));
        QProcess::execute(QStringLiteral("pdftoppm"),
                          {QStringLiteral("-r"), QStringLiteral("50.8"), QStringLiteral("-png"),
                           QStringLiteral("-singlefile"), pdf, prefix});
        return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
    }
};

// One upright "H": the cell is centred on the widest line at the margin,
// centred across; the letter sits on the baseline; the shadow lies 8 units
// (2 pixels) toward the lower right.
TEST_F(RibbonPixelTest, AlignLetterAndShadowLandInTheirCell) {
    auto job = Ribbon(Align, QStringLiteral("H"), QString());
    job->Shadow = true;
    const QImage image = Render(*job, DrawLeftEnd | DrawRightEnd);

    const TextMetrics m = MetricsOf(ArialFont(320));
    const int w = ExtentOf(ArialFont(320), QStringLiteral("H"));
    const int top = (800 - m.height) / 2;
    const QRect cell(QPoint(Px(160), Px(top)), QPoint(Px(160 + w), Px(top + m.height)));

    const QRect blue = Box(image, IsBlue);
    ASSERT_FALSE(blue.isNull());
    EXPECT_TRUE(cell.contains(blue)) << "letter outside its cell";
    EXPECT_NEAR(blue.bottom(), Px(top + m.ascent), 1) << "not on the baseline";
    EXPECT_NEAR(blue.center().x(), cell.center().x(), 2);
    EXPECT_GT(blue.height(), m.height / UnitsPerPixel / 2);

    const QRect black = Box(image, IsBlack);
    ASSERT_FALSE(black.isNull());
    EXPECT_NEAR(black.right(), blue.right() + 2, 1);
    EXPECT_NEAR(black.bottom(), blue.bottom() + 2, 1);
    EXPECT_NEAR(black.top(), blue.top() + 2, 1);
    EXPECT_GT(black.left(), blue.left()) << "the shadow falls to the right";
}

// Outline letters filled with the printing colour, the picture from its file
// at 240..560 units along and centred across, cut marks on both end lines and
// the commission labels just inside them.
TEST_F(RibbonPixelTest, PrintedRibbonWithPictureMarksAndLabels) {
    auto job = Ribbon(Align, QStringLiteral("H"), QStringLiteral("H"));
    job->BildNameLinks.set(QStringLiteral("block.bmp"));
    job->BildBreiteLinks = 40;
    job->BildAbstandLinks = 30;
    const QImage image = Render(*job, 31);

    // The picture: 320 units square, from 160 along and 240 across.
    const QRect picture = Box(image, IsRed, QRect(0, 0, Px(600), ImageSize.height()));
    ExpectNear(picture, QRect(QPoint(Px(160), Px(240)), QPoint(Px(480) - 1, Px(560) - 1)), 1);

    // The left letter starts behind picture and distance.
    const QRect letter = Box(image, IsRed, QRect(QPoint(Px(600), 0), QPoint(Px(1600), 239)));
    ASSERT_FALSE(letter.isNull());
    const int w = ExtentOf(ArialFont(320), QStringLiteral("H"));
    EXPECT_GE(letter.left(), Px(720) - 1);
    EXPECT_LE(letter.right(), Px(720 + w) + 1);

    // Cut marks: 40..120 and 680..760 units down, on x = 0 and x = 3200.
    for (int xe : {Px(0), Px(3200)}) {
        SCOPED_TRACE(testing::Message() << "end line at " << xe);
        const QRect upper = Box(image, IsInk, QRect(xe - 1, 0, 3, Px(200)));
        ExpectNear(upper, QRect(QPoint(xe, Px(40)), QPoint(xe, Px(120))), 1);
        const QRect lower = Box(image, IsInk, QRect(xe - 1, Px(600), 3, Px(800)));
        ExpectNear(lower, QRect(QPoint(xe, Px(680)), QPoint(xe, Px(760))), 1);
    }

    // Labels: 20 units high, centred across, inside each end.
    const QRect leftLabel =
        Box(image, IsInk, QRect(QPoint(Px(0) + 1, Px(200)), QPoint(Px(60), Px(600))));
    ASSERT_FALSE(leftLabel.isNull());
    EXPECT_GE(leftLabel.left(), Px(8));
    EXPECT_LE(leftLabel.right(), Px(8 + 20));
    EXPECT_NEAR(leftLabel.center().y(), Px(400), 2);
    const QRect rightLabel =
        Box(image, IsInk, QRect(QPoint(Px(3100), Px(200)), QPoint(Px(3200) - 1, Px(600))));
    ASSERT_FALSE(rightLabel.isNull());
    EXPECT_GE(rightLabel.left(), Px(3192 - 20));
    EXPECT_LE(rightLabel.right(), Px(3192));
    EXPECT_NEAR(rightLabel.center().y(), Px(400), 2);
}

// "T" has its bar on top; upside down the bar is at the bottom of the ink.
bool BarOnTop(const QImage &image, const QRect &ink) {
    auto rowInk = [&](int y) {
        int count = 0;
        for (int x = ink.left(); x <= ink.right(); ++x)
            count += IsBlue(image.pixel(x, y)) ? 1 : 0;
        return count;
    };
    return rowInk(ink.top() + 2) > rowInk(ink.bottom() - 2);
}

TEST_F(RibbonPixelTest, FlippedRightEndIsUpsideDown) {
    auto job = Ribbon(Align, QStringLiteral("T"), QStringLiteral("T"));
    job->Flip = true;
    const QImage image = Render(*job, DrawLeftEnd | DrawRightEnd);
    const QRect left = Box(image, IsBlue, QRect(0, 0, ImageSize.width() / 2, 240));
    const QRect right = Box(image, IsBlue, QRect(ImageSize.width() / 2, 0, 420, 240));
    ASSERT_FALSE(left.isNull());
    ASSERT_FALSE(right.isNull());
    EXPECT_TRUE(BarOnTop(image, left));
    EXPECT_FALSE(BarOnTop(image, right));
    // Both blocks cover the same rows of the ribbon (W - h is even here).
    const int top = (800 - MetricsOf(ArialFont(320)).height) / 2;
    EXPECT_GE(right.top(), Px(top) - 1);
    EXPECT_LE(right.bottom(), Px(top + 320) + 1);
    EXPECT_LE(right.right(), Px(3200 - 160) + 1);
}

TEST_F(RibbonPixelTest, CenterPutsTheTextInTheMiddle) {
    auto job = Ribbon(Center, QStringLiteral("HOH"), QStringLiteral("T"));
    const QImage image = Render(*job, DrawLeftEnd);
    const QRect ink = Box(image, IsBlue);
    ASSERT_FALSE(ink.isNull());
    EXPECT_NEAR(ink.center().x(), Px(1600), 2);
    EXPECT_GT(ink.height(), 30);
}

// Across the ribbon the lines read downward at the left end and upward at the
// right; the pictures turn with them (ink of the picture's left half ends up
// at the top on the left, at the bottom on the right).
TEST_F(RibbonPixelTest, UpSideTurnsTextAndPictures) {
    auto job = Ribbon(UpSide, QStringLiteral("T"), QStringLiteral("T"));
    job->BildNameLinks.set(QStringLiteral("halb.bmp"));
    job->BildNameRechts.set(QStringLiteral("halb.bmp"));
    job->BildBreiteLinks = 40;
    job->BildAbstandLinks = 10;
    job->BildBreiteRechts = 40;
    job->BildAbstandRechts = 10;
    setSetting(QStringLiteral("Drucker"), QStringLiteral("Kommission"), 0);
    const QImage image = Render(*job, 31);

    const QRect leftPicture =
        Box(image, IsRed, QRect(QPoint(Px(160), 0), QPoint(Px(480) - 1, 239)));
    const QRect rightPicture =
        Box(image, IsRed, QRect(QPoint(Px(2720), 0), QPoint(Px(3040) - 1, 239)));
    ASSERT_FALSE(leftPicture.isNull());
    ASSERT_FALSE(rightPicture.isNull());
    EXPECT_NEAR(leftPicture.top(), Px(240), 1);
    EXPECT_NEAR(leftPicture.bottom(), Px(400) - 1, 1);
    EXPECT_NEAR(rightPicture.top(), Px(400), 1);
    EXPECT_NEAR(rightPicture.bottom(), Px(560) - 1, 1);

    // Text blocks: one line each, 320 units along, centred across.
    const QRect leftText = Box(image, IsRed, QRect(QPoint(Px(560), 0), QPoint(Px(880), 239)));
    const QRect rightText = Box(image, IsRed, QRect(QPoint(Px(2320), 0), QPoint(Px(2640), 239)));
    ASSERT_FALSE(leftText.isNull());
    ASSERT_FALSE(rightText.isNull());
    EXPECT_NEAR(leftText.center().y(), Px(400), 2);
    EXPECT_NEAR(rightText.center().y(), Px(400), 2);
    // The letters' tops face the ribbon's middle: the bar of the "T" lies on
    // the middle side of its ink at both ends.
    auto columnInk = [&](int x, const QRect &ink) {
        int count = 0;
        for (int y = ink.top(); y <= ink.bottom(); ++y)
            count += IsRed(image.pixel(x, y)) ? 1 : 0;
        return count;
    };
    EXPECT_GT(columnInk(leftText.right() - 2, leftText), columnInk(leftText.left() + 2, leftText));
    EXPECT_GT(columnInk(rightText.left() + 2, rightText),
              columnInk(rightText.right() - 2, rightText));
}

TEST_F(RibbonPixelTest, PdfPageShowsTheSameRibbon) {
    auto job = Ribbon(Align, QStringLiteral("H"), QStringLiteral("T"));
    job->Shadow = true;
    job->Flip = true;
    job->BildNameLinks.set(QStringLiteral("block.bmp"));
    const QImage raster = Render(*job, 31);
    const QImage pdf = RenderPdf(*job, 31);
    ASSERT_FALSE(pdf.isNull()) << "pdftoppm gave no page";
    // The page size is kept in whole points, which may add a pixel column.
    ASSERT_LE(std::abs(pdf.width() - raster.width()), 1);
    ASSERT_LE(std::abs(pdf.height() - raster.height()), 1);

    ExpectNear(Box(pdf, IsRed), Box(raster, IsRed), 2);
    ExpectNear(Box(pdf, IsBlack, QRect(Px(200), 0, 600, 240)),
               Box(raster, IsBlack, QRect(Px(200), 0, 600, 240)), 2);
    for (int xe : {Px(0), Px(3200)}) {
        const QRect column(xe - 2, 0, 5, Px(200));
        ExpectNear(Box(pdf, IsInk, column), Box(raster, IsInk, column), 2);
    }
    const QRect label(QPoint(Px(0) + 1, Px(200)), QPoint(Px(60), Px(600)));
    ASSERT_FALSE(Box(raster, IsInk, label).isNull());
    ExpectNear(Box(pdf, IsInk, label), Box(raster, IsInk, label), 2);
}

}  // namespace
