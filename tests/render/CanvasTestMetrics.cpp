#include <gtest/gtest.h>

#include <cmath>

#include "render/FontRecipe.h"
#include "render/RecordingCanvas.h"

namespace {

// Liberation Sans (what "Arial" resolves to): OS/2 winAscent 1854, winDescent
// 434 on 2048 units per em. DejaVu Sans: 1901 / 483 on 2048.
struct FaceFacts {
    const char *face;
    const char *family;
    double ascent, descent;
};
constexpr FaceFacts Faces[] = {
    {"Arial", "Liberation Sans", 1854, 434},
    {"DejaVu Sans", "DejaVu Sans", 1901, 483},
    {"Marigold", "DejaVu Sans", 1901, 483},  // not installed: falls back
};

TEST(FontRecipeTest, PositiveHeightIsTheCellHeightExactly) {
    for (const FaceFacts &f : Faces) {
        const FontRecipe &recipe = FontRecipe::forFace(QString::fromLatin1(f.face));
        EXPECT_EQ(recipe.family(), QString::fromLatin1(f.family)) << f.face;
        const double cellUnits = f.ascent + f.descent;
        for (int h : {1, 2, 5, 17, 19, 20, 60, 137, 480, 1360}) {
            SCOPED_TRACE(testing::Message() << f.face << " height " << h);
            const TextMetrics tm = recipe.metrics(h);
            EXPECT_EQ(tm.height, h);
            EXPECT_EQ(tm.ascent + tm.descent, h);
            EXPECT_NEAR(tm.ascent, h * f.ascent / cellUnits, 0.5 + 1e-9);
            EXPECT_NEAR(tm.internalLeading, h - h * 2048.0 / cellUnits, 0.5 + 1e-9);
            EXPECT_NEAR(recipe.cellHeight(h), h, 1e-9);
        }
    }
}

TEST(FontRecipeTest, NegativeHeightIsTheEmHeight) {
    const FontRecipe &recipe = FontRecipe::forFace(QStringLiteral("Arial"));
    for (int em : {8, 100, 2048}) {
        const TextMetrics tm = recipe.metrics(-em);
        EXPECT_EQ(tm.height - tm.internalLeading, em);
        EXPECT_NEAR(tm.height, em * 2288.0 / 2048.0, 0.5 + 1e-9);
        EXPECT_EQ(tm.ascent + tm.descent, tm.height);
    }
    EXPECT_NEAR(recipe.emForCell(2288), 2048, 1e-6);
    EXPECT_NEAR(recipe.emHeight(2288), 2048, 1e-6);
}

TEST(FontRecipeTest, ExtentsScaleLinearlyAndDoNotOverflow) {
    const FontRecipe &recipe = FontRecipe::forFace(QStringLiteral("Arial"));
    const QString word = QStringLiteral("Ruhe in Frieden");
    const QSize small = recipe.extent(word, 60);
    const QSize large = recipe.extent(word, 480);
    EXPECT_EQ(small.height(), 60);
    EXPECT_EQ(large.height(), 480);
    EXPECT_GT(small.width(), 0);
    EXPECT_NEAR(large.width(), 8.0 * small.width(), 8.0);
    // Per-character advances add up: no kerning between the letters.
    EXPECT_NEAR(recipe.referenceAdvance(QStringLiteral("AVAV")),
                2 * recipe.referenceAdvance(QStringLiteral("AV")), 1e-6);
    EXPECT_NEAR(
        recipe.referenceAdvance(QStringLiteral("AV")),
        recipe.referenceAdvance(QStringLiteral("A")) + recipe.referenceAdvance(QStringLiteral("V")),
        1e-6);

    const QSize huge = recipe.extent(QString(200, QLatin1Char('W')), 2000000000);
    EXPECT_EQ(huge.width(), 2147483647);
    EXPECT_EQ(recipe.metrics(0).height, FontRecipe::DefaultCellHeight);
}

TEST(FontRecipeTest, CanvasAnswersForTheSelectedFont) {
    RecordingCanvas canvas;
    CanvasFont font;
    font.face = QStringLiteral("Arial");
    font.height = 480;
    font.escapement = 900;  // turning does not change the metrics
    const TextMetrics stock = canvas.textMetrics();
    EXPECT_EQ(stock.height, FontRecipe::DefaultCellHeight);
    canvas.selectFont(canvas.createFont(font));
    EXPECT_EQ(canvas.textMetrics().height, 480);
    EXPECT_EQ(canvas.textExtent(QStringLiteral("MUSTER")),
              FontRecipe::forFace(font.face).extent(QStringLiteral("MUSTER"), 480));
}

}  // namespace
