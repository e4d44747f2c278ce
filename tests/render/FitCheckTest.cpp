#include "render/FitCheck.h"

#include "tests/render/DrawJobTestSupport.h"

namespace {

using Kind = FitFinding::Kind;
using End = FitFinding::End;

class FitCheckTest : public RibbonTest {};

// Each case is a ribbon a florist might type; the findings come from the
// ink that printing would put down.
TEST_F(FitCheckTest, OverlongOvertallAndOverlappingTextsAreFound) {
    auto job = MakeJob();  // 1000 x 150 mm, 60 mm letters, Align
    EXPECT_TRUE(CheckFit(context(), *job).empty());

    // 80 mm letters, long lines at both ends of a metre: they run into each other.
    job->FontGroesse = 80;
    job->TextLeft.set({QStringLiteral("In stiller Trauer und Dankbarkeit")});
    job->TextRight.set({QStringLiteral("Deine Freunde vom Kegelclub")});
    std::vector<FitFinding> found = CheckFit(context(), *job);
    ASSERT_FALSE(found.empty());
    const auto overlap = std::find_if(found.begin(), found.end(),
                                      [](const FitFinding &f) { return f.kind == Kind::Overlap; });
    ASSERT_NE(overlap, found.end());
    EXPECT_GT(overlap->millimetres, 500);
    EXPECT_LT(overlap->millimetres, 2000);
    EXPECT_TRUE(overlap->message().startsWith(QStringLiteral("Text links und rechts")));

    // Four lines of 60 mm on a ribbon of 150 mm: taller than the ribbon is wide.
    job = MakeJob();
    job->TextLeft.set(QStringLiteral("Eins\nZwei\nDrei\nVier").split(QLatin1Char('\n')));
    job->TextRight.clear();
    found = CheckFit(context(), *job);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].kind, Kind::BeyondEdge);
    EXPECT_EQ(found[0].end, End::Left);
    EXPECT_GE(found[0].millimetres, 60);
    EXPECT_LE(found[0].millimetres, 100);

    // A centred text longer than the whole ribbon runs over both ends.
    job = MakeJob();
    job->Stil = Center;
    job->Laenge = 300;
    job->TextLeft.set({QStringLiteral("Ruhe in Frieden, lieber Opa")});
    found = CheckFit(context(), *job);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].kind, Kind::BeyondEnd);
    EXPECT_EQ(found[0].end, End::Centre);
    EXPECT_EQ(found[0].message(),
              QStringLiteral("Text ist %1 mm zu lang.").arg(found[0].millimetres));

    // A picture named but not in the picture folder.
    job = MakeJob();
    job->BildNameRechts.set(QStringLiteral("Taube.bmp"));
    found = CheckFit(context(), *job);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].kind, Kind::MissingPicture);
    EXPECT_EQ(found[0].message(), QStringLiteral("Bild rechts \u201eTaube.bmp\u201c fehlt."));
}

// The letters made as large as they can be with every text fitting.
TEST_F(FitCheckTest, LargestFittingHeightIsTheLastHeightWithoutAFinding) {
    auto job = MakeJob();
    job->FontGroesse = 80;
    job->TextLeft.set({QStringLiteral("In stiller Trauer")});
    job->TextRight.set({QStringLiteral("Deine Freunde vom Kegelclub")});
    ASSERT_FALSE(CheckFit(context(), *job).empty());
    const int height = LargestFittingHeight(context(), *job, 20);
    ASSERT_GE(height, 20);
    ASSERT_LT(height, 80);
    job->FontGroesse = height;
    EXPECT_TRUE(CheckFit(context(), *job).empty());
    job->FontGroesse = height + 1;
    EXPECT_FALSE(CheckFit(context(), *job).empty());

    // A ribbon too short for any letters allowed.
    job->Laenge = 100;
    EXPECT_EQ(LargestFittingHeight(context(), *job, 20), 0);
}

}  // namespace
