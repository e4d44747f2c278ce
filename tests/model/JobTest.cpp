#include <gtest/gtest.h>

#include "model/Job.h"

namespace {

TEST(JobTest, ConstructionDefaults) {
    TJob job;
    EXPECT_EQ(job.Name.str(), QStringLiteral("Neuer Auftrag"));
    EXPECT_EQ(job.FontName.str(), QStringLiteral("Marigold"));
    EXPECT_EQ(job.FontGroesse, 60);
    EXPECT_EQ(job.FontFarbe, 0x01000000u);
    EXPECT_EQ(job.Stil, 0);
    EXPECT_EQ(job.Laenge, 1000);
    EXPECT_EQ(job.Breite, 170);
    EXPECT_EQ(job.Rand, 30);
    EXPECT_TRUE(job.Flip);
    EXPECT_TRUE(job.Shadow);
    EXPECT_TRUE(job.Kommission.isEmpty());
    EXPECT_TRUE(job.BildNameLinks.isEmpty());
    EXPECT_TRUE(job.BildNameRechts.isEmpty());
    EXPECT_EQ(job.BildBreiteLinks, 40);
    EXPECT_EQ(job.BildBreiteRechts, 40);
    EXPECT_EQ(job.BildAbstandLinks, 30);
    EXPECT_EQ(job.BildAbstandRechts, 30);
    EXPECT_TRUE(job.TextLeft.isEmpty());
    EXPECT_TRUE(job.TextRight.isEmpty());
}

TEST(JobTest, CopyTakesEverythingButTheTexts) {
    TJob source;
    source.Name.set(QStringLiteral("Kranz gross"));
    ASSERT_TRUE(
        source.TextLeft.set({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    ASSERT_TRUE(source.TextRight.set({QStringLiteral("r")}));
    source.Kommission.set(QStringLiteral("Meier"));
    source.Flip = false;
    source.Shadow = false;
    source.FontName.set(QStringLiteral("Arial"));
    source.FontGroesse = 45;
    source.FontFarbe = 0x000000FF;
    source.Stil = 2;
    source.Laenge = 1500;
    source.Breite = 125;
    source.Rand = 20;
    source.BildNameLinks.set(QStringLiteral("rose.bmp"));
    source.BildNameRechts.set(QStringLiteral("kreuz.bmp"));
    source.BildBreiteLinks = 50;
    source.BildBreiteRechts = 60;
    source.BildAbstandLinks = 10;
    source.BildAbstandRechts = 11;

    TJob dest;
    ASSERT_TRUE(dest.TextLeft.set({QStringLiteral("eigene Zeile")}));
    dest.CopyFrom(source);

    EXPECT_EQ(dest.TextLeft.lines(), QStringList{QStringLiteral("eigene Zeile")});
    EXPECT_TRUE(dest.TextRight.isEmpty());
    EXPECT_EQ(dest.Name, source.Name);
    EXPECT_EQ(dest.Kommission, source.Kommission);
    EXPECT_EQ(dest.Flip, source.Flip);
    EXPECT_EQ(dest.Shadow, source.Shadow);
    EXPECT_EQ(dest.FontName, source.FontName);
    EXPECT_EQ(dest.FontGroesse, source.FontGroesse);
    EXPECT_EQ(dest.FontFarbe, source.FontFarbe);
    EXPECT_EQ(dest.Stil, source.Stil);
    EXPECT_EQ(dest.Laenge, source.Laenge);
    EXPECT_EQ(dest.Breite, source.Breite);
    EXPECT_EQ(dest.Rand, source.Rand);
    EXPECT_EQ(dest.BildNameLinks, source.BildNameLinks);
    EXPECT_EQ(dest.BildNameRechts, source.BildNameRechts);
    EXPECT_EQ(dest.BildBreiteLinks, source.BildBreiteLinks);
    EXPECT_EQ(dest.BildBreiteRechts, source.BildBreiteRechts);
    EXPECT_EQ(dest.BildAbstandLinks, source.BildAbstandLinks);
    EXPECT_EQ(dest.BildAbstandRechts, source.BildAbstandRechts);

    // The copy never shares its lines with the source.
    ASSERT_TRUE(dest.TextLeft.set({QStringLiteral("neu")}));
    EXPECT_EQ(source.TextLeft.size(), 3);
}

TEST(JobTest, CapacitiesCutEveryAssignment) {
    TJob job;
    const QString sixty(60, QLatin1Char('N'));
    const QString threeHundred(300, QLatin1Char('K'));
    ASSERT_TRUE(job.Name.set(sixty));
    ASSERT_TRUE(job.FontName.set(sixty));
    ASSERT_TRUE(job.Kommission.set(threeHundred));
    ASSERT_TRUE(job.BildNameLinks.set(threeHundred));
    ASSERT_TRUE(job.BildNameRechts.set(threeHundred));
    EXPECT_EQ(job.Name.str(), sixty.left(50));
    EXPECT_EQ(job.FontName.str(), sixty.left(50));
    EXPECT_EQ(job.Kommission.str().size(), 255);
    EXPECT_EQ(job.BildNameLinks.str().size(), 255);
    EXPECT_EQ(job.BildNameRechts.str().size(), 255);
}

TEST(JobTest, RefusesTextThatCannotBeStored) {
    TJob job;
    // Umlauts, the euro sign and typographic quotes are Windows-1252.
    EXPECT_TRUE(job.Kommission.set(QStringLiteral("Grüße € „Oma“")));
    // A Polish ł, a CJK character and an emoji are not: the old value stays.
    EXPECT_FALSE(job.Kommission.set(QStringLiteral("Łukasz")));
    EXPECT_FALSE(job.Name.set(QStringLiteral("花")));
    EXPECT_FALSE(job.TextLeft.set({QStringLiteral("ok"), QStringLiteral("\U0001F339")}));
    EXPECT_EQ(job.Kommission.str(), QStringLiteral("Grüße € „Oma“"));
    EXPECT_EQ(job.Name.str(), QStringLiteral("Neuer Auftrag"));
    EXPECT_TRUE(job.TextLeft.isEmpty());
    // Line breaks would split a settings line.
    EXPECT_FALSE(job.Name.set(QStringLiteral("a\nb")));
    EXPECT_FALSE(job.TextRight.set({QStringLiteral("a\rb")}));
    // The cut happens before the check: a bad character beyond the capacity is cut away.
    EXPECT_TRUE(job.Name.set(QString(50, QLatin1Char('x')) + QStringLiteral("花")));
}

}  // namespace
