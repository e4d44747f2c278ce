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

// A letter the face has no glyph for would print as a gap: a finding that
// names the face as the ribbon names it and the letters, a symbol the symbol
// face has is none. Oldania has no Cyrillic, the label's Arial no Armenian.
TEST_F(FitCheckTest, LettersTheFaceLacksAreOneFindingPerFace) {
    const QString oldania = QStringLiteral("Oldania ADF Std");
    const QString noLetters;
    const struct {
        QString face;
        RibbonStyle style;
        QString left, right, label;
        bool labelPrinted;
        QString message;  // empty: no finding
        End end;
    } cases[] = {
        {oldania,
         Align,
         QStringLiteral("Ruhe sanft, \u041e\u043b\u044c\u0433\u0430"),
         {},
         {},
         true,
         QStringLiteral("Die Schrift \u201eOldania ADF Std\u201c hat kein \u201e\u041e\u201c, "
                        "\u201e\u043b\u201c, \u201e\u044c\u201c, \u201e\u0433\u201c, "
                        "\u201e\u0430\u201c."),
         End::Left},
        {QStringLiteral("DejaVu Sans"),
         Align,
         QStringLiteral("\u041e\u043b\u044c\u0433\u0430"),
         {},
         {},
         true,
         noLetters,
         End::Left},
        // The cross from the symbol face, also as a phone types it (with a
        // variation selector, which draws nothing).
        {oldania,
         Align,
         QStringLiteral("Ruhe sanft \u271d"),
         QStringLiteral("\u271d\ufe0f"),
         {},
         true,
         noLetters,
         End::Left},
        // Past five letters the message stops.
        {oldania,
         Align,
         QStringLiteral("Ruhe sanft"),
         QStringLiteral("Oma \u0416\u0443\u043a\u043e\u0432\u0430 \u041e\u043b\u044c\u0433\u0430"),
         {},
         true,
         QStringLiteral("Die Schrift \u201eOldania ADF Std\u201c hat kein \u201e\u0416\u201c, "
                        "\u201e\u0443\u201c, \u201e\u043a\u201c, \u201e\u043e\u201c, "
                        "\u201e\u0432\u201c, \u2026."),
         End::Right},
        {oldania,
         Align,
         QStringLiteral("Ruhe \u0416"),
         QStringLiteral("Gru\u00df \u0416 \u0429"),
         {},
         true,
         QStringLiteral("Die Schrift \u201eOldania ADF Std\u201c hat kein \u201e\u0416\u201c, "
                        "\u201e\u0429\u201c."),
         End::Both},
        // The centred style never prints the right text.
        {oldania,
         Center,
         QStringLiteral("Ruhe"),
         QStringLiteral("\u0416"),
         {},
         true,
         noLetters,
         End::Centre},
        // The label has its own face, and counts only where it is printed.
        {oldania,
         Align,
         QStringLiteral("Ruhe"),
         {},
         QStringLiteral("Nr. 17 \u0531\u057e"),
         true,
         QStringLiteral("Die Schrift \u201eArial\u201c hat kein \u201e\u0531\u201c, "
                        "\u201e\u057e\u201c."),
         End::Commission},
        {oldania,
         Align,
         QStringLiteral("Ruhe"),
         {},
         QStringLiteral("Nr. 17 \u0531\u057e"),
         false,
         noLetters,
         End::Commission},
        // Ribbon and label in the same face: one sentence.
        {QStringLiteral("Arial"),
         Align,
         QStringLiteral("Ruhe \u0531"),
         {},
         QStringLiteral("\u057e"),
         true,
         QStringLiteral("Die Schrift \u201eArial\u201c hat kein \u201e\u0531\u201c, "
                        "\u201e\u057e\u201c."),
         End::Left},
    };
    for (const auto &c : cases) {
        const std::string what = (c.face + QLatin1Char('/') + c.left + QLatin1Char('/') + c.right +
                                  QLatin1Char('/') + c.label)
                                     .toStdString();
        setSetting(QStringLiteral("Drucker"), QStringLiteral("Kommission"), c.labelPrinted);
        auto job = MakeJob();
        job->FontName.set(c.face);
        job->Stil = c.style;
        job->FontGroesse = 40;
        job->TextLeft.set({c.left});
        job->TextRight.set(c.right.isEmpty() ? QStringList() : QStringList{c.right});
        job->Kommission.set(c.label);
        std::vector<FitFinding> found = CheckFit(context(), *job);
        if (c.message.isEmpty()) {
            EXPECT_TRUE(found.empty()) << what << ": " << found[0].message().toStdString();
            continue;
        }
        ASSERT_EQ(found.size(), 1u) << what;
        EXPECT_EQ(found[0].kind, Kind::MissingLetters) << what;
        EXPECT_EQ(found[0].message(), c.message) << what;
        EXPECT_EQ(found[0].end, c.end) << what;
        // Marked in the preview where the text stands; the label is not shown there.
        EXPECT_EQ(found[0].regionMm.isEmpty(), c.end == End::Commission) << what;
        // No letter height mends a missing letter: the height stays.
        EXPECT_EQ(LargestFittingHeight(context(), *job, 20), 40) << what;
    }
}

}  // namespace
