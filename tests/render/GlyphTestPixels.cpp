#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cmath>
#include <functional>

#include "render/Drwglyph.h"
#include "render/QPainterCanvas.h"

namespace {

constexpr int ImageSize = 1200;
constexpr QPoint Reference(600, 600);
const QString Sample = QStringLiteral("Häg");
// Each glyph advances by whole device pixels, plain text by fractions: the
// letters may drift apart by up to half a pixel per letter.
constexpr int Reach = 2;

QImage Render(const std::function<void(QPainterCanvas &)> &draw) {
    QImage image(ImageSize, ImageSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    {
        QPainterCanvas canvas(painter);
        // Two logical units per pixel, as on a coarse printer page.
        canvas.setMapMode(CanvasMapping::Mode::Isotropic);
        canvas.setWindowExt(QSize(2 * ImageSize, 2 * ImageSize));
        canvas.setViewportExt(QSize(ImageSize, ImageSize));
        canvas.setTextAlign(TextAlign::Center | TextAlign::Top);
        canvas.setBackgroundMode(BackgroundMode::Transparent);
        draw(canvas);
    }
    painter.end();
    return image;
}

FontId MakeFont(QPainterCanvas &canvas, int escapement) {
    CanvasFont font;
    font.height = 600;
    font.escapement = escapement;
    font.orientation = escapement;
    font.face = QStringLiteral("Arial");
    const FontId id = canvas.createFont(font);
    canvas.selectFont(id);
    return id;
}

bool Ink(QRgb c) {
    return qGray(c) < 128;
}

// Ink of one image that lies farther than Reach pixels from any ink of the other.
int StrayInk(const QImage &image, const QImage &other) {
    int stray = 0;
    for (int y = Reach; y + Reach < ImageSize; ++y) {
        for (int x = Reach; x + Reach < ImageSize; ++x) {
            if (!Ink(image.pixel(x, y)))
                continue;
            bool near = false;
            for (int dy = -Reach; dy <= Reach && !near; ++dy) {
                for (int dx = -Reach; dx <= Reach && !near; ++dx)
                    near = Ink(other.pixel(x + dx, y + dy));
            }
            stray += !near;
        }
    }
    return stray;
}

int InkCount(const QImage &image) {
    int count = 0;
    for (int y = 0; y < ImageSize; ++y) {
        for (int x = 0; x < ImageSize; ++x)
            count += Ink(image.pixel(x, y));
    }
    return count;
}

}  // namespace

TEST(GlyphPixels, OutlineTextCoversThePlainTextAtEveryQuarterTurn) {
    for (const int degrees : {0, 90, 180, 270}) {
        SCOPED_TRACE(degrees);
        const QImage plain = Render([&](QPainterCanvas &canvas) {
            canvas.setTextColor(0);
            MakeFont(canvas, degrees * 10);
            canvas.textOut(Reference.x() * 2, Reference.y() * 2, Sample);
        });
        const QImage outline = Render([&](QPainterCanvas &canvas) {
            canvas.setPen(0, 0);
            canvas.setBrush(0);
            MakeFont(canvas, 0);
            GlyphTextOut(RenderContext(), canvas, Reference.x() * 2, Reference.y() * 2,
                         degrees * M_PI / 180.0, Sample);
        });
        const int plainInk = InkCount(plain), outlineInk = InkCount(outline);
        ASSERT_GT(plainInk, 5000);
        // The one-pixel frame makes the outline letters a little fatter.
        EXPECT_LT(std::abs(outlineInk - plainInk), plainInk / 10);
        EXPECT_LT(StrayInk(plain, outline), plainInk / 100) << "plain ink not drawn";
        EXPECT_LT(StrayInk(outline, plain), plainInk / 100) << "outline ink astray";
    }
}

TEST(GlyphPixels, LettersAreFilledWithTheBrushAndFramedWithThePen) {
    const ColorRef red = RgbColor(255, 0, 0), blue = RgbColor(0, 0, 255);
    const QImage image = Render([&](QPainterCanvas &canvas) {
        canvas.setPen(blue, 4);
        canvas.setBrush(red);
        MakeFont(canvas, 0);
        GlyphTextOut(RenderContext(), canvas, Reference.x() * 2, Reference.y() * 2, 0.5,
                     QStringLiteral("HO"));
    });
    int reds = 0, blues = 0;
    for (int y = 0; y < ImageSize; ++y) {
        for (int x = 0; x < ImageSize; ++x) {
            const QRgb c = image.pixel(x, y);
            reds += qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
            blues += qBlue(c) > 200 && qGreen(c) < 60 && qRed(c) < 60;
        }
    }
    EXPECT_GT(reds, 3000);
    EXPECT_GT(blues, 1000);
    // The frame is a thin line around a large filled area.
    EXPECT_LT(blues, reds);

    // The counter of an 'O' stays white: some row runs red, white, red again.
    const QImage letterO = Render([&](QPainterCanvas &canvas) {
        canvas.setPen(blue, 4);
        canvas.setBrush(red);
        MakeFont(canvas, 0);
        GlyphTextOut(RenderContext(), canvas, Reference.x() * 2, Reference.y() * 2, 0.5,
                     QStringLiteral("O"));
    });
    bool holeFound = false;
    for (int y = 0; y < ImageSize && !holeFound; ++y) {
        int state = 0;  // 0 before, 1 in red, 2 in white after red, 3 red again
        for (int x = 0; x < ImageSize; ++x) {
            const QRgb c = letterO.pixel(x, y);
            const bool isRed = qRed(c) > 200 && qGreen(c) < 60;
            const bool isWhite = qGray(c) > 240;
            if (state == 0 && isRed)
                state = 1;
            else if (state == 1 && isWhite)
                state = 2;
            else if (state == 2 && isRed)
                state = 3;
        }
        holeFound = state == 3;
    }
    EXPECT_TRUE(holeFound);
}
