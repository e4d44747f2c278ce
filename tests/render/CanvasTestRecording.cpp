#include <gtest/gtest.h>

#include <QByteArray>

#include "render/NativeOutline.h"
#include "render/RecordingCanvas.h"

namespace {

CanvasFont Font(int height, int escapement = 0) {
    CanvasFont f;
    f.face = QStringLiteral("Arial");
    f.height = height;
    f.escapement = f.orientation = escapement;
    return f;
}

TEST(RecordingCanvasTest, DeletedFontStaysUsableWhileSelected) {
    RecordingCanvas canvas;
    const FontId a = canvas.createFont(Font(480));
    const FontId b = canvas.createFont(Font(20, 900));
    EXPECT_EQ(canvas.selectFont(a), 0);
    EXPECT_EQ(canvas.selectFont(b), a);
    canvas.deleteFont(b);
    EXPECT_EQ(canvas.liveFontCount(), 1);
    EXPECT_EQ(canvas.textMetrics().height, 20);
    canvas.setTextAlign(TextAlign::Center | TextAlign::Top);
    canvas.textOut(8, 600, QStringLiteral("Kommission"));
    const CanvasOp text = canvas.opsOf(CanvasOp::Kind::TextOut).value(0);
    EXPECT_EQ(text.font, Font(20, 900));
    EXPECT_EQ(text.align, TextAlign::Center | TextAlign::Top);
    EXPECT_EQ(text.backgroundMode, BackgroundMode::Opaque) << "a fresh surface is opaque";

    // Once replaced it is gone and cannot come back; unknown ids change nothing.
    EXPECT_EQ(canvas.selectFont(a), b);
    EXPECT_EQ(canvas.fontDescription(b), CanvasFont());
    EXPECT_EQ(canvas.selectFont(b), 0);
    EXPECT_EQ(canvas.selectFont(12345), 0);
    EXPECT_EQ(canvas.currentFont(), a);
}

TEST(RecordingCanvasTest, RestoreBringsBackTheWholeState) {
    RecordingCanvas canvas;
    const FontId f = canvas.createFont(Font(60));
    canvas.selectFont(f);
    canvas.setPen(RgbColor(4, 5, 6), 3);
    canvas.setClipRect(QRect(0, 0, 10, 10));
    canvas.saveState();

    canvas.selectFont(canvas.createFont(Font(20)));
    canvas.deleteFont(f);  // the saved state still holds it
    canvas.setPen(0, 0);
    canvas.setMapMode(CanvasMapping::Mode::Isotropic);
    canvas.setWindowExt(QSize(1111, 188));
    canvas.setClipRect(QRect());
    canvas.restoreState();

    EXPECT_EQ(canvas.textMetrics().height, 60);
    EXPECT_EQ(canvas.penColor(), RgbColor(4, 5, 6));
    EXPECT_EQ(canvas.penWidth(), 3);
    EXPECT_EQ(canvas.mapping(), CanvasMapping());
    EXPECT_EQ(canvas.clipRect(), QRect(0, 0, 10, 10));
    canvas.restoreState();  // nothing saved: no change
    EXPECT_EQ(canvas.currentFont(), f);
}

TEST(RecordingCanvasTest, GlyphOutlineAsksForTheDeviceEmSize) {
    RecordingCanvas canvas;
    CanvasMapping m;  // 1/8 mm on 600 dpi: 2032 units onto 6000 pixels
    m.setMode(CanvasMapping::Mode::Isotropic);
    m.setWindowExt(QSize(2032, 2032));
    m.setViewportExt(QSize(6000, 6000));
    canvas.setMapping(m);
    canvas.selectFont(canvas.createFont(Font(480)));
    const qint64 size = canvas.glyphOutline('a', GlyphMatrix(), nullptr, nullptr, 0);
    ASSERT_GT(size, 0);

    // Cell 480 is em 480 * 2048 / 2288 (Liberation Sans), then device pixels.
    const double em = 480.0 * 2048.0 / 2288.0 * 6000.0 / 2032.0;
    QByteArray viaCanvas(int(size), '\0'), direct(int(size), '\0');
    EXPECT_EQ(canvas.glyphOutline('a', GlyphMatrix(), nullptr, viaCanvas.data(), size), size);
    EXPECT_EQ(NativeGlyphOutline(QStringLiteral("Arial"), em, 'a', GlyphMatrix(), nullptr,
                                 direct.data(), size),
              size);
    EXPECT_EQ(viaCanvas, direct);

    canvas.setOutlinesAvailable(false);
    EXPECT_EQ(canvas.glyphOutline('a', GlyphMatrix(), nullptr, nullptr, 0), -1);
}

}  // namespace
