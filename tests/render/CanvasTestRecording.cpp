#include <gtest/gtest.h>

#include <QByteArray>

#include "render/NativeOutline.h"
#include "render/RecordingCanvas.h"

namespace {

CanvasFont Font(const char *face, int height, int escapement = 0) {
    CanvasFont f;
    f.face = QString::fromLatin1(face);
    f.height = height;
    f.escapement = escapement;
    f.orientation = escapement;
    return f;
}

TEST(RecordingCanvasTest, FontTableSelectAndDelete) {
    RecordingCanvas canvas;
    EXPECT_EQ(canvas.currentFont(), 0);
    const FontId a = canvas.createFont(Font("Arial", 480));
    const FontId b = canvas.createFont(Font("Arial", 20, 900));
    EXPECT_NE(a, b);
    EXPECT_EQ(canvas.liveFontCount(), 2);

    EXPECT_EQ(canvas.selectFont(a), 0);
    EXPECT_EQ(canvas.selectFont(b), a);
    EXPECT_EQ(canvas.fontDescription(b).escapement, 900);

    // Deleted while selected: still usable until replaced, then gone.
    canvas.deleteFont(b);
    EXPECT_EQ(canvas.liveFontCount(), 1);
    EXPECT_EQ(canvas.textMetrics().height, 20);
    EXPECT_EQ(canvas.selectFont(a), b);
    EXPECT_EQ(canvas.fontDescription(b), CanvasFont());
    EXPECT_EQ(canvas.selectFont(b), 0) << "a deleted font cannot be selected";
    EXPECT_EQ(canvas.currentFont(), a);
    EXPECT_EQ(canvas.selectFont(12345), 0);
    EXPECT_EQ(canvas.currentFont(), a);

    canvas.deleteFont(a);
    EXPECT_EQ(canvas.selectFont(0), a);
    EXPECT_EQ(canvas.liveFontCount(), 0);
    EXPECT_EQ(canvas.fontDescription(0), CanvasBase::stockFont());

    const auto created = canvas.opsOf(CanvasOp::Kind::CreateFont);
    ASSERT_EQ(created.size(), 2);
    EXPECT_EQ(created[1].fontId, b);
    EXPECT_EQ(created[1].font, Font("Arial", 20, 900));
    EXPECT_EQ(canvas.opsOf(CanvasOp::Kind::DeleteFont).size(), 2);
}

TEST(RecordingCanvasTest, TextOutCarriesTheStateOfTheMoment) {
    RecordingCanvas canvas;
    const FontId f = canvas.createFont(Font("Arial", 20, 2700));
    canvas.selectFont(f);
    canvas.setTextColor(PaletteIndex(13));
    EXPECT_EQ(canvas.setTextAlign(TextAlign::Center | TextAlign::Top), 0u);
    EXPECT_EQ(canvas.setBackgroundMode(BackgroundMode::Transparent), BackgroundMode::Opaque);
    canvas.textOut(8, 600, QStringLiteral("Kommission"));
    canvas.deleteFont(f);
    canvas.setBackgroundMode(BackgroundMode::Opaque);
    canvas.textOut(1, 2, QStringLiteral("x"));

    const auto texts = canvas.opsOf(CanvasOp::Kind::TextOut);
    ASSERT_EQ(texts.size(), 2);
    EXPECT_EQ(texts[0].at, QPoint(8, 600));
    EXPECT_EQ(texts[0].text, QStringLiteral("Kommission"));
    EXPECT_EQ(texts[0].font, Font("Arial", 20, 2700));
    EXPECT_EQ(texts[0].fontId, f);
    EXPECT_EQ(texts[0].align, TextAlign::Center | TextAlign::Top);
    EXPECT_EQ(texts[0].textColour, PaletteIndex(13));
    EXPECT_EQ(texts[0].backgroundMode, BackgroundMode::Transparent);
    EXPECT_EQ(texts[1].backgroundMode, BackgroundMode::Opaque);
    EXPECT_EQ(texts[1].backgroundColour, RgbColor(255, 255, 255));
    EXPECT_EQ(texts[1].font.escapement, 2700) << "deleted but still selected";
}

TEST(RecordingCanvasTest, LinesShapesAndBitmaps) {
    RecordingCanvas canvas;
    canvas.setPen(RgbColor(0, 0, 0), 1);
    canvas.setBrush(RgbColor(255, 0, 0));
    canvas.moveTo(10, 40);
    canvas.lineTo(10, 120);
    canvas.lineTo(20, 120);
    canvas.polyPolygon({{0, 0}, {4, 0}, {4, 4}, {1, 1}, {2, 1}, {2, 2}}, {3, 3});
    canvas.rectangle(QRect(0, 0, 1000, 170));
    canvas.fillRect(QRect(1, 1, 2, 2), RgbColor(1, 2, 3));
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::white);
    canvas.stretchBitmap(QRect(240, 520, 320, 160), image, RasterOp::And);
    image.fill(Qt::black);  // the record keeps its own copy
    canvas.maskedBitmap(QPoint(5, 6), image, RgbColor(255, 255, 255));

    const auto lines = canvas.opsOf(CanvasOp::Kind::Line);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].from, QPoint(10, 40));
    EXPECT_EQ(lines[0].to, QPoint(10, 120));
    EXPECT_EQ(lines[1].from, QPoint(10, 120));
    EXPECT_EQ(lines[1].penWidth, 1);
    EXPECT_EQ(canvas.currentPosition(), QPoint(20, 120));

    const auto polys = canvas.opsOf(CanvasOp::Kind::PolyPolygon);
    ASSERT_EQ(polys.size(), 1);
    EXPECT_EQ(polys[0].counts, (QVector<int>{3, 3}));
    EXPECT_EQ(polys[0].points.size(), 6);
    EXPECT_EQ(polys[0].brushColour, RgbColor(255, 0, 0));

    const auto blits = canvas.opsOf(CanvasOp::Kind::StretchBitmap);
    ASSERT_EQ(blits.size(), 1);
    EXPECT_EQ(blits[0].rect, QRect(240, 520, 320, 160));
    EXPECT_EQ(blits[0].op, RasterOp::And);
    EXPECT_EQ(blits[0].image.pixel(0, 0), qRgb(255, 255, 255));

    const auto masked = canvas.opsOf(CanvasOp::Kind::MaskedBitmap);
    ASSERT_EQ(masked.size(), 1);
    EXPECT_EQ(masked[0].at, QPoint(5, 6));
    EXPECT_EQ(masked[0].colour, RgbColor(255, 255, 255));
    EXPECT_EQ(masked[0].image.size(), QSize(3, 2));
    ASSERT_EQ(canvas.opsOf(CanvasOp::Kind::FillRect).size(), 1);
    ASSERT_EQ(canvas.opsOf(CanvasOp::Kind::Rectangle).size(), 1);
}

TEST(RecordingCanvasTest, SaveRestoreBringsBackTheWholeState) {
    RecordingCanvas canvas;
    const FontId f = canvas.createFont(Font("Arial", 60));
    canvas.selectFont(f);
    canvas.setTextColor(RgbColor(1, 2, 3));
    canvas.setPen(RgbColor(4, 5, 6), 3);
    canvas.setClipRect(QRect(0, 0, 10, 10));
    canvas.saveState();

    canvas.selectFont(canvas.createFont(Font("Arial", 20)));
    canvas.deleteFont(f);  // held by the saved state, so it comes back usable
    canvas.setTextColor(0);
    canvas.setPen(0, 0);
    canvas.setMapMode(CanvasMapping::Mode::Isotropic);
    canvas.setWindowExt(QSize(1111, 188));
    canvas.setViewportExt(QSize(463, 70));
    canvas.setClipRect(QRect());
    canvas.restoreState();

    EXPECT_EQ(canvas.currentFont(), f);
    EXPECT_EQ(canvas.textMetrics().height, 60);
    EXPECT_EQ(canvas.textColor(), RgbColor(1, 2, 3));
    EXPECT_EQ(canvas.penColor(), RgbColor(4, 5, 6));
    EXPECT_EQ(canvas.penWidth(), 3);
    EXPECT_EQ(canvas.mapping(), CanvasMapping());
    EXPECT_EQ(canvas.clipRect(), QRect(0, 0, 10, 10));
    canvas.restoreState();  // nothing saved: no change, no crash
    EXPECT_EQ(canvas.currentFont(), f);
}

// 600 dpi, one logical unit = 1/8 mm: 8 units are 600 / 25.4 device pixels.
CanvasMapping PrinterMapping() {
    CanvasMapping m;
    m.setMode(CanvasMapping::Mode::Isotropic);
    m.setWindowExt(QSize(254 * 8, 254 * 8));
    m.setViewportExt(QSize(6000, 6000));
    return m;
}

TEST(RecordingCanvasTest, GlyphOutlineAsksForTheDeviceEmSize) {
    RecordingCanvas canvas;
    canvas.setMapping(PrinterMapping());
    canvas.selectFont(canvas.createFont(Font("Arial", 480)));
    GlyphMetrics viaCanvas;
    const qint64 size = canvas.glyphOutline('a', GlyphMatrix(), &viaCanvas, nullptr, 0);
    ASSERT_GT(size, 0);

    // 480 units of cell are 480 * 2048 / 2288 units of em, times the device scale.
    const double em = 480.0 * 2048.0 / 2288.0 * 6000.0 / 2032.0;
    GlyphMetrics direct;
    EXPECT_EQ(
        NativeGlyphOutline(QStringLiteral("Arial"), em, 'a', GlyphMatrix(), &direct, nullptr, 0),
        size);
    EXPECT_EQ(viaCanvas.cellIncX, direct.cellIncX);
    EXPECT_EQ(viaCanvas.blackBoxY, direct.blackBoxY);
    QByteArray a(int(size), '\0'), b(int(size), '\0');
    EXPECT_EQ(canvas.glyphOutline('a', GlyphMatrix(), nullptr, a.data(), size), size);
    NativeGlyphOutline(QStringLiteral("Arial"), em, 'a', GlyphMatrix(), nullptr, b.data(), size);
    EXPECT_EQ(a, b);

    canvas.setOutlinesAvailable(false);
    EXPECT_EQ(canvas.glyphOutline('a', GlyphMatrix(), nullptr, nullptr, 0), -1);
    EXPECT_FALSE(canvas.isPrinting());
    canvas.setPrinting(true);
    EXPECT_TRUE(canvas.isPrinting());
}

}  // namespace
