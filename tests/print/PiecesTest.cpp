#include <gtest/gtest.h>

#include "print/PrintMethods.h"
#include "render/RenderState.h"
#include "tests/print/PrintTestSupport.h"
#include "tests/support/PrintNow.h"

namespace {

std::vector<int> lengths(const PiecePlan &plan) {
    std::vector<int> out;
    for (const Piece &p : plan.pieces)
        out.push_back(p.length);
    return out;
}

std::vector<int> pageLengths(const RecordingPrinter &printer) {
    std::vector<int> out;
    for (const auto *page : printer.printedPages())
        out.push_back(page->settings.paperLength);
    return out;
}

TEST(PiecesTest, AlignPlanAndPageLengths) {
    TJob job;
    job.Laenge = 1000;
    job.Rand = 30;
    const PiecePlan plan = PlanPieces(job, 150 * 8, 100 * 8, 0, 3000);
    EXPECT_EQ(plan.LeftBlock, 2000);
    EXPECT_EQ(plan.RightBlock, 1500);
    EXPECT_EQ(lengths(plan), (std::vector<int>{2000, 2166, 2166, 2166, 1800}));
    EXPECT_EQ(plan.pieces.front().flags, 23);
    EXPECT_EQ(plan.pieces[1].flags, 0);
    EXPECT_EQ(plan.pieces.back().flags, 27);
    // The last piece begins at 849.8 mm.
    EXPECT_EQ(2000 + 3 * 2166, 8498);

    const PiecePlan withMargin = PlanPieces(job, 150 * 8, 100 * 8, 40, 3000);
    EXPECT_EQ(lengths(withMargin), (std::vector<int>{2000, 2113, 2113, 2113, 1800}));

    job.Stil = UpSide;
    EXPECT_EQ(lengths(PlanPieces(job, 150 * 8, 100 * 8, 0, 3000)), lengths(plan));
    job.Stil = 5;
    EXPECT_TRUE(PlanPieces(job, 150 * 8, 100 * 8, 0, 3000).pieces.empty());
}

TEST(PiecesTest, ShortRibbonHasNoFiller) {
    TJob job;
    job.Laenge = 300;
    job.Rand = 30;
    const PiecePlan plan = PlanPieces(job, 150 * 8, 100 * 8, 0, 3000);
    EXPECT_EQ(lengths(plan), (std::vector<int>{2000, 1800}));
}

TEST(PiecesTest, CenterPlanHasFillersOnBothSides) {
    TJob job;
    job.Stil = Center;
    job.Laenge = 1000;
    const PiecePlan plan = PlanPieces(job, 150 * 8, 0, 0, 3000);
    EXPECT_EQ(plan.LeftBlock, 1700);
    EXPECT_EQ(lengths(plan), (std::vector<int>{2075, 2075, 1700, 2075, 2075}));
    int total = 0;
    for (const Piece &p : plan.pieces)
        total += p.length;
    EXPECT_EQ(total, 10000);
    EXPECT_EQ(plan.pieces[0].flags, DrawPrint);
    EXPECT_EQ(plan.pieces[2].flags, 23);

    job.Laenge = 170;  // no longer than its centre piece
    EXPECT_EQ(lengths(PlanPieces(job, 150 * 8, 0, 0, 3000)), (std::vector<int>{1700}));
}

TEST(PiecesTest, LeftPictureAddsItsWidthAndDistance) {
    TJob job;
    job.TextLeft.clear();
    job.BildNameLinks.set(QStringLiteral("rose.bmp"));
    job.BildBreiteLinks = 40;
    job.BildAbstandLinks = 30;
    RecordingCanvas ic;
    EXPECT_EQ(PieceTextLength(job, ic, true), 560);
    EXPECT_EQ(PieceTextLength(job, ic, false), 0);
}

TEST(PiecesTest, PrintsTheRequestedPageLengthsWithMargin) {
    PrintFixture f;
    f.setDrucker("Rand", 40);
    f.setDrucker("Papiervorschub", 500);
    TJob &job = f.addJob(1000, 170);
    job.TextLeft.clear();
    job.TextRight.clear();  // no text: blocks are margin + 2 cm
    RecordingPrinter printer;
    PrintRun run = f.run();
    PrintMethods(printer, run, f.context(), PrintSettingsNow()).PrintPieces();
    // Feed 52.0 mm, left block (30 mm + 2 cm) 50 mm, fillers, right block + 30 mm.
    const std::vector<int> got = pageLengths(printer);
    ASSERT_GE(got.size(), 3u);
    EXPECT_EQ(got[0], 520);
    EXPECT_EQ(got[1], 20 + 500);
    EXPECT_EQ(got.back(), 20 + 500 + 300);
    for (const auto *page : printer.printedPages()) {
        EXPECT_EQ(page->settings.paperSize, DeviceSettings::UserDefinedPaper);
        EXPECT_EQ(page->settings.orientation, DeviceSettings::Landscape);
        EXPECT_EQ(page->settings.paperWidth, 2100);  // the printer's own width
    }
    EXPECT_EQ(printer.finishedDocuments(), 1);
    EXPECT_EQ(printer.documentName(), QStringLiteral("Vellumo"));
    // Afterwards the printer is back on its driver's defaults.
    EXPECT_EQ(printer.currentSettings(), RecordingPrinter::Config().driverDefaults);
}

TEST(PiecesTest, MarksFollowTheSetting) {
    for (int mark : {0, 1}) {
        PrintFixture f;
        f.setDrucker("Mark", mark);
        f.addJob(1000, 170);
        RecordingPrinter printer;
        PrintRun run = f.run();
        PrintMethods(printer, run, f.context(), PrintSettingsNow()).PrintPieces();
        const auto pages = printer.printedPages();
        ASSERT_GE(pages.size(), 3u);
        const RecordingCanvas &filler = *pages[1]->canvas;
        const auto lines = filler.opsOf(CanvasOp::Kind::Line);
        const auto texts = filler.opsOf(CanvasOp::Kind::TextOut);
        if (mark == 0) {
            ASSERT_EQ(lines.size(), 1);
            EXPECT_EQ(lines[0].to.y() - lines[0].from.y(), -1);  // the one-unit stroke
            EXPECT_TRUE(texts.isEmpty());
        } else {
            EXPECT_EQ(lines.size(), 3);
            ASSERT_EQ(texts.size(), 2);
            EXPECT_EQ(texts[0].text, QStringLiteral("A: %1 mm").arg(pages[1]->metrics.HS));
            EXPECT_EQ(texts[0].font.face, QStringLiteral("Arial"));
            EXPECT_EQ(texts[0].font.height, 20);
            EXPECT_EQ(texts[1].text, QStringLiteral("E"));
        }
    }
}

TEST(PiecesTest, FittedPiecesAreExactlyAsWideAsTheRibbon) {
    PrintFixture f;
    f.addJob(1000, 150);
    RecordingPrinter printer;
    PrintRun run = f.run();
    PrintMethods(printer, run, f.context(), PrintSettingsNow()).PrintPiecesFitted();
    const auto pages = printer.printedPages();
    ASSERT_GE(pages.size(), 3u);
    for (const auto *page : pages) {
        EXPECT_EQ(page->settings.paperWidth, 1500);
        EXPECT_DOUBLE_EQ(page->heightMm, 150.0);
    }
    // The ribbon's top edge is the page's top edge: the left end's first cut
    // mark starts 40 units (5 mm) below it, at x 0 of the first piece.
    const auto marks = cutMarks(*pages[0]->canvas);
    ASSERT_FALSE(marks.empty());
    EXPECT_EQ(marks[0]->mapping.viewportOrg(), QPoint(0, 0));
    // The last piece shows the ribbon from its own position on.
    const auto lastMarks = pages.back()->canvas->opsOf(CanvasOp::Kind::Line);
    ASSERT_FALSE(lastMarks.isEmpty());
}

TEST(PiecesTest, PaperFieldOverflowAbortsAndResetsTheDriver) {
    PrintFixture f;
    f.addJob(1000, 170);
    f.addJob(6000, 170);
    f.setDrucker("MaxLaenge", 60000);  // one filler of about 5 m: more than the paper field holds
    RecordingPrinter printer;
    PrintRun run = f.run();
    PrintMethods(printer, run, f.context(), PrintSettingsNow()).PrintPieces();
    EXPECT_TRUE(printer.printedPages().empty());
    EXPECT_EQ(printer.abortedDocuments(), 1);
    EXPECT_EQ(printer.currentSettings(), RecordingPrinter::Config().driverDefaults);
}

}  // namespace
