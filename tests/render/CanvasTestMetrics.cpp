#include <gtest/gtest.h>

#include "render/FontRecipe.h"

namespace {

TEST(FontRecipeTest, PositiveHeightIsTheCellHeightExactly) {
    // OS/2 winAscent / winDescent on 2048 units: Liberation Sans ("Arial")
    // 1854 / 434, DejaVu Sans 1901 / 483. Marigold is missing and falls back.
    const struct {
        const char *face, *family;
        double ascent, descent;
    } faces[] = {{"Arial", "Liberation Sans", 1854, 434}, {"Marigold", "DejaVu Sans", 1901, 483}};
    for (const auto &f : faces) {
        const FontRecipe &recipe = FontRecipe::forFace(QString::fromLatin1(f.face));
        EXPECT_EQ(recipe.family(), QString::fromLatin1(f.family));
        const double cell = f.ascent + f.descent;
        for (int h : {1, 2, 5, 19, 20, 137, 480, 1360}) {
            SCOPED_TRACE(testing::Message() << f.face << " " << h);
            const TextMetrics tm = recipe.metrics(h);
            EXPECT_EQ(tm.height, h);
            EXPECT_EQ(tm.ascent + tm.descent, h);
            EXPECT_NEAR(tm.ascent, h * f.ascent / cell, 0.5 + 1e-9);
            EXPECT_NEAR(tm.internalLeading, h - h * 2048.0 / cell, 0.5 + 1e-9);
        }
    }
    // A negative height is the em height.
    const TextMetrics em = FontRecipe::forFace(QStringLiteral("Arial")).metrics(-100);
    EXPECT_EQ(em.height - em.internalLeading, 100);
    EXPECT_NEAR(em.height, 100 * 2288.0 / 2048.0, 0.5 + 1e-9);
}

TEST(FontRecipeTest, ExtentsAreLinearUnkernedAndSaturate) {
    const FontRecipe &recipe = FontRecipe::forFace(QStringLiteral("Arial"));
    const QString word = QStringLiteral("Ruhe in Frieden");
    EXPECT_EQ(recipe.extent(word, 480).height(), 480);
    EXPECT_NEAR(recipe.extent(word, 480).width(), 8.0 * recipe.extent(word, 60).width(), 8.0);
    EXPECT_NEAR(
        recipe.referenceAdvance(QStringLiteral("AV")),
        recipe.referenceAdvance(QStringLiteral("A")) + recipe.referenceAdvance(QStringLiteral("V")),
        1e-6);
    EXPECT_EQ(recipe.extent(QString(200, QLatin1Char('W')), 2000000000).width(), 2147483647);
}

}  // namespace
