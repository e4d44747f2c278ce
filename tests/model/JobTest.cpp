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

TEST(JobTest, TakesEveryScriptButRefusesWhatWouldBreakAFile) {
    TJob job;
    // Names of every family, and the signs ribbons carry, are kept as typed.
    for (const QString &name :
         {QStringLiteral("Grüße € „Oma“"), QStringLiteral("Łucja Dąbrowska"),
          QStringLiteral("Şükrü Yılmaz"), QStringLiteral("Ольга Шмидт"), QStringLiteral("Γιώργος"),
          QStringLiteral("\u271D \u2626 \u262A"), QStringLiteral("\U0001D504")}) {
        EXPECT_TRUE(job.Kommission.set(name)) << name.toStdString();
        EXPECT_EQ(job.Kommission.str(), name);
    }
    // Control characters, line breaks and halves of a surrogate pair are
    // refused, and the old value stays.
    ASSERT_TRUE(job.Name.set(QStringLiteral("Ольга")));
    for (const QString &bad :
         {QStringLiteral("a\nb"), QStringLiteral("a\rb"), QStringLiteral("a\x1b"),
          QStringLiteral("a\u0085"), QStringLiteral("a\u2028"),
          QString(QChar(0xD800)) + QLatin1Char('x'), QString(QChar(0xDC00))}) {
        EXPECT_FALSE(job.Name.set(bad));
        EXPECT_FALSE(job.TextRight.set({QStringLiteral("ok"), bad}));
    }
    EXPECT_EQ(job.Name.str(), QStringLiteral("Ольга"));
    EXPECT_TRUE(job.TextRight.isEmpty());

    // Capacities count letters as a person sees them: a decomposed accent
    // is composed, and a cut never parts a letter from its accent or a
    // character from the second half of its pair.
    ASSERT_TRUE(job.TextLeft.set({QStringLiteral("Jose\u0301")}));
    EXPECT_EQ(job.TextLeft.at(0), QStringLiteral("José"));
    const QString accented = QString(49, QLatin1Char('x')) + QStringLiteral("n\u0308\u0323");
    ASSERT_TRUE(job.Name.set(accented + QStringLiteral("yz")));
    EXPECT_EQ(job.Name.str(), accented.normalized(QString::NormalizationForm_C));
    ASSERT_TRUE(
        job.Name.set(QString(49, QLatin1Char('x')) + QStringLiteral("\U0001D504\U0001D505")));
    EXPECT_EQ(job.Name.str(), QString(49, QLatin1Char('x')) + QStringLiteral("\U0001D504"));
    // The cut happens before the check: a bad character beyond the capacity is cut away.
    EXPECT_TRUE(job.Name.set(QString(50, QLatin1Char('x')) + QStringLiteral("\x01")));
}

}  // namespace
