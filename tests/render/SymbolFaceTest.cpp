#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <functional>

#include "render/Drwglyph.h"
#include "render/FaceCoverage.h"
#include "render/NativeOutline.h"
#include "render/QPainterCanvas.h"
#include "render/RecordingCanvas.h"
#include "render/RibbonSymbols.h"

namespace {

const QString SymbolFace = QStringLiteral("DejaVu Sans");
constexpr int Em = -400;  // both faces at one em: the symbol takes the ribbon face's em
constexpr QPoint Pen(1000, 1000);

struct Lacking {
    const char *face;
    char32_t symbol;
};
// Blackletter and script faces without the signs ribbons carry.
const Lacking Cases[] = {
    {"Oldania ADF Std", U'\u271D'},  // Latin cross
    {"Oldania ADF Std", U'\u2626'},  // Orthodox cross
    {"Dancing Script", U'\u262A'},   // star and crescent
};

QString Text(char32_t ch) {
    return QString::fromUcs4(&ch, 1);
}

void SelectFace(RibbonCanvas &canvas, const QString &face) {
    CanvasFont font;
    font.height = Em;
    font.face = face;
    canvas.selectFont(canvas.createFont(font));
    canvas.setTextAlign(TextAlign::Left | TextAlign::Baseline);
}

// The outline of a text in a face, its pen starting at x.
QVector<CanvasOp> Outlines(const QString &face, int x, const QString &text) {
    RecordingCanvas canvas;
    SelectFace(canvas, face);
    GlyphTextOut(RenderContext(), canvas, x, Pen.y(), 0.0, text);
    return canvas.opsOf(CanvasOp::Kind::PolyPolygon);
}

int Advance(const QString &face, char32_t ch) {
    RecordingCanvas canvas;
    SelectFace(canvas, face);
    GlyphMetrics gm;
    EXPECT_GE(canvas.glyphOutline(ch, GlyphMatrix(), &gm, nullptr, 0), 0);
    return gm.cellIncX;
}

int Width(const QString &face, const QString &text) {
    RecordingCanvas canvas;
    SelectFace(canvas, face);
    return canvas.textExtent(text).width();
}

}  // namespace

// A symbol the ribbon's face lacks is drawn from the symbol face, at the
// ribbon face's em on its baseline, and takes its own room on the line and in
// its measure; the letters around it stay the ribbon face's own.
TEST(SymbolFace, ASymbolTheFaceLacksIsDrawnFromTheSymbolFaceAndCounted) {
    for (const Lacking &c : Cases) {
        const QString face = QString::fromLatin1(c.face);
        SCOPED_TRACE(c.face);
        ASSERT_FALSE(FaceHasGlyph(face, c.symbol));
        ASSERT_TRUE(FaceHasGlyph(SymbolFace, c.symbol));

        const QString text = QLatin1Char('A') + Text(c.symbol) + QLatin1Char('A');
        const QVector<CanvasOp> drawn = Outlines(face, Pen.x(), text);
        const int letter = Advance(face, U'A'), symbol = Advance(SymbolFace, c.symbol);
        ASSERT_GT(symbol, 0);
        const QVector<CanvasOp> expected[] = {
            Outlines(face, Pen.x(), QStringLiteral("A")),
            Outlines(SymbolFace, Pen.x() + letter, Text(c.symbol)),
            Outlines(face, Pen.x() + letter + symbol, QStringLiteral("A")),
        };
        ASSERT_EQ(drawn.size(), 3);
        for (int i = 0; i < 3; ++i) {
            ASSERT_EQ(expected[i].size(), 1);
            EXPECT_EQ(drawn[i].points, expected[i][0].points) << "glyph " << i;
        }
        // The symbol face's 'A' is another letter: the ribbon's face drew them.
        EXPECT_NE(Outlines(SymbolFace, Pen.x(), QStringLiteral("A"))[0].points, drawn[0].points);

        // Lines are fitted and centred by their measure: it holds the symbol.
        const int symbolWidth = Width(face, Text(c.symbol));
        EXPECT_NEAR(symbolWidth, Width(SymbolFace, Text(c.symbol)), 1);
        EXPECT_NEAR(symbolWidth, symbol, 1);
        EXPECT_NEAR(Width(face, text), 2 * Width(face, QStringLiteral("A")) + symbolWidth, 2);
    }
}

// Every sign offered for insertion prints on a ribbon in any face: the symbol
// face has it, and it counts as a symbol, so it is taken from there.
TEST(SymbolFace, EveryOfferedSignIsAPrintableSymbolWithAName) {
    QStringList names;
    for (const RibbonSymbol &symbol : RibbonSymbols()) {
        SCOPED_TRACE(symbol.name.toStdString());
        EXPECT_TRUE(FaceCoverage::IsSymbol(symbol.character));
        EXPECT_TRUE(FaceHasGlyph(SymbolFace, symbol.character));
        EXPECT_FALSE(symbol.name.isEmpty());
        EXPECT_FALSE(names.contains(symbol.name));
        names << symbol.name;
    }
    EXPECT_GE(names.size(), 6);
}

namespace {

constexpr int ImageSize = 600;

QImage Render(const std::function<void(QPainterCanvas &)> &draw) {
    QImage image(ImageSize, ImageSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    {
        QPainterCanvas canvas(painter);
        // Four logical units per pixel.
        canvas.setMapMode(CanvasMapping::Mode::Isotropic);
        canvas.setWindowExt(QSize(4 * ImageSize, 4 * ImageSize));
        canvas.setViewportExt(QSize(ImageSize, ImageSize));
        canvas.setBackgroundMode(BackgroundMode::Transparent);
        canvas.setPen(0, 0);
        canvas.setBrush(0);
        canvas.setTextColor(0);
        SelectFace(canvas, QStringLiteral("Oldania ADF Std"));
        draw(canvas);
    }
    return image;
}

QImage Plain(const QString &text) {
    return Render([&](QPainterCanvas &canvas) { canvas.textOut(200, 1200, text); });
}

// The columns that hold ink, as a string of '#' and '.' for a readable failure.
QString InkColumns(const QImage &image) {
    QString columns(ImageSize, QLatin1Char('.'));
    for (int x = 0; x < ImageSize; ++x) {
        for (int y = 0; y < ImageSize; ++y) {
            if (qGray(image.pixel(x, y)) < 128) {
                columns[x] = QLatin1Char('#');
                break;
            }
        }
    }
    return columns;
}

}  // namespace

// The screen shows what paper shows: plain text draws a symbol from the
// symbol face where the outlines put it, and borrows no letter the face
// lacks from another face: it shows the face's own mark for a missing glyph.
TEST(SymbolFace, PlainTextShowsWhatTheOutlinesPrint) {
    const QString line = QStringLiteral("\u271D A \u271D");
    const QString plain = InkColumns(Plain(line));
    const QString outline = InkColumns(Render([&](QPainterCanvas &canvas) {
        GlyphTextOut(RenderContext(), canvas, 200, 1200, 0.0, line);
    }));
    // Whole pixels per glyph on paper, fractions on screen: a column or two apart.
    int differing = 0;
    for (int x = 0; x < ImageSize; ++x)
        differing += plain[x] != outline[x];
    EXPECT_LE(differing, 4) << plain.toStdString() << "\n" << outline.toStdString();

    // Two Cyrillic letters, which the face lacks, look alike: the face's own
    // mark for a missing letter, not letters of some other face.
    EXPECT_TRUE(Plain(QStringLiteral("\u0416\u0416")) == Plain(QStringLiteral("\u042F\u042F")));
}
