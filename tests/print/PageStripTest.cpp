#include <gtest/gtest.h>

#include <cmath>

#include "print/PrintMethods.h"
#include "print/QtPrinter.h"
#include "tests/print/PrintTestSupport.h"
#include "tests/support/PrintNow.h"

namespace {

int pixels(double mm) {
    return int(std::lround(mm * 600 / 25.4));
}

TEST(PageStripTest, TwoRibbonsOfAMetreOn280MillimetrePages) {
    PrintFixture f;
    f.addJob(1000, 170);
    f.addJob(1000, 170);
    RecordingPrinter printer(PrintFixture::a4With280());
    printer.setLandscape();  // as the print command does
    PrintRun run = f.run();
    PrintMethods(printer, run, f.context(), PrintSettingsNow()).PrintPageStrip();

    const auto pages = printer.printedPages();
    ASSERT_EQ(pages.size(), 8u);
    EXPECT_EQ(printer.finishedDocuments(), 1);
    EXPECT_EQ(pages[0]->metrics.HS, 280);
    // The strip keeps the printer's own page, turned to landscape by the command (not here).
    EXPECT_NE(pages[0]->settings.paperSize, DeviceSettings::UserDefinedPaper);

    // The first ribbon's right cut mark is 160 mm into page 3, where the second
    // begins (its left cut mark); the second ends 40 mm into page 7.
    const auto marks3 = cutMarks(*pages[3]->canvas, pages[3]->metrics.HR);
    ASSERT_EQ(marks3.size(), 2u);
    EXPECT_NEAR(deviceX(*marks3[0], marks3[0]->from), pixels(160), 2);
    EXPECT_NEAR(deviceX(*marks3[1], marks3[1]->from), pixels(160), 2);
    const auto marks7 = cutMarks(*pages[7]->canvas, pages[7]->metrics.HR);
    ASSERT_EQ(marks7.size(), 1u);
    EXPECT_NEAR(deviceX(*marks7[0], marks7[0]->from), pixels(40), 3);
    // The ribbon's lower edge lies on the bottom of the printable area.
    const int VR = pages[0]->metrics.VR;
    EXPECT_NEAR(marks3[0]->mapping.logicalToDevice(QPoint(0, 170 * 8)).y(), VR, 1);
}

TEST(PageStripTest, PlanFollowsTheStrip) {
    PrintFixture f;
    f.addJob(1000, 170);
    f.addJob(100, 170);  // shorter than the rest of the page: no gap, same page
    f.addJob(1000, 170);
    const PageMetrics m{280, 193, pixels(280), pixels(193)};
    const PrintRun run = f.run();
    const auto draws = PlanPageStrip(m, run, {0, 1, 2});
    // Ribbon 0 on pages 0..3, ribbon 1 on page 3 only, ribbon 2 on pages 3..7.
    std::vector<std::pair<int, int>> jobPage;
    for (const StripDraw &d : draws)
        jobPage.push_back({d.jobIndex, d.page});
    const std::vector<std::pair<int, int>> expected = {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 3},
                                                       {2, 3}, {2, 4}, {2, 5}, {2, 6}, {2, 7}};
    EXPECT_EQ(jobPage, expected);
    EXPECT_EQ(draws[1].viewportOrg.x(), -m.HR);
    EXPECT_NEAR(draws[4].viewportOrg.x(), pixels(160), 2);
    EXPECT_NEAR(draws[5].viewportOrg.x(), pixels(260), 2);
    EXPECT_FALSE(draws[3].newPageAfter);
    EXPECT_TRUE(draws[5].newPageAfter);
}

// The PDF printer's pages on common papers: the mapping carries exactly the
// millimetres the plan counts per page, at the ribbon's true length, so a long
// strip puts every ribbon's start and end on the page and pixel the plan says.
TEST(PageStripTest, LongStripsKeepEveryRibbonEndOnEveryPaper) {
    PrintFixture f;
    const std::vector<int> lengths = {3000, 2941, 500, 1234, 2999, 777, 3000, 1, 1500, 2222};
    for (int L : lengths)
        f.addJob(L, 170);
    std::vector<std::int32_t> taken;
    for (int i = 0; i < int(lengths.size()); ++i)
        taken.push_back(i);
    const PrintRun run = f.run();
    struct Paper {
        const char *name;
        std::int16_t length, width;  // tenths of a millimetre, portrait
    };
    for (const Paper &paper :
         {Paper{"A4", 2970, 2100}, Paper{"A3", 4200, 2970}, Paper{"A2", 5940, 4200},
          Paper{"Letter", 2794, 2159}, Paper{"Legal", 3556, 2159}, Paper{"Executive", 2667, 1842},
          Paper{"user", 3333, 2222}}) {
        SCOPED_TRACE(paper.name);
        QtPrinter printer;
        ASSERT_TRUE(printer.selectPrinterByName(QtPrinter::PdfPrinterName));
        printer.setPdfOutputFile(f.data.root() + QStringLiteral("/strip.pdf"));
        printer.setDeviceSettings(
            DeviceSettings{0, DeviceSettings::Portrait, 256, paper.length, paper.width});
        printer.setLandscape();
        printer.beginDocument();
        const PageMetrics m = printer.metrics();
        printer.abortDocument();

        const CanvasMapping mapping = PageMapping(m);
        EXPECT_EQ(mapping.logicalToDevice(QPoint(m.HS * 8, 0)).x(), m.HR);
        const double truePixels = 3000 * 600 / 25.4;
        EXPECT_NEAR(mapping.logicalToDeviceF(QPointF(3000 * 8, 0)).x() / truePixels, 1.0, 1e-4);

        const auto draws = PlanPageStrip(m, run, taken);
        std::int64_t start = 0;  // millimetres along the strip
        for (int i = 0; i < int(lengths.size()); ++i) {
            const std::int64_t end = start + lengths[std::size_t(i)];
            std::vector<const StripDraw *> mine;
            for (const StripDraw &d : draws) {
                if (d.jobIndex == i)
                    mine.push_back(&d);
            }
            ASSERT_FALSE(mine.empty());
            EXPECT_EQ(mine.front()->page, start / m.HS) << "ribbon " << i;
            EXPECT_EQ(mine.back()->page, end / m.HS) << "ribbon " << i;
            const double pxPerMm = double(m.HR) / m.HS;
            CanvasMapping first = mapping;
            first.setViewportOrg(mine.front()->viewportOrg);
            EXPECT_NEAR(first.logicalToDevice(QPoint(0, 0)).x(), (start % m.HS) * pxPerMm, 1.0);
            CanvasMapping last = mapping;
            last.setViewportOrg(mine.back()->viewportOrg);
            EXPECT_NEAR(last.logicalToDevice(QPoint(lengths[std::size_t(i)] * 8, 0)).x(),
                        (end % m.HS) * pxPerMm, 1.0)
                << "ribbon " << i;
            start = end;
        }
    }
}

TEST(PageStripTest, RibbonEndingAtAPageBreakLeavesABlankLastPage) {
    PrintFixture f;
    f.addJob(560, 170);
    RecordingPrinter printer(PrintFixture::a4With280());
    printer.setLandscape();  // as the print command does
    PrintRun run = f.run();
    PrintMethods(printer, run, f.context(), PrintSettingsNow()).PrintPageStrip();
    const auto pages = printer.printedPages();
    ASSERT_EQ(pages.size(), 3u);
    const auto marks = cutMarks(*pages[2]->canvas, pages[2]->metrics.HR);
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_NEAR(deviceX(*marks[0], marks[0]->from), 0, 1);  // its end lies on the page's left edge
}

TEST(PageStripTest, PaperFeedPageComesFirstAtItsOwnLength) {
    PrintFixture f;
    f.setDrucker("Papiervorschub", 500);
    f.addJob(200, 170);
    RecordingPrinter printer(PrintFixture::a4With280());
    printer.setLandscape();  // as the print command does
    PrintRun run = f.run();
    PrintMethods(printer, run, f.context(), PrintSettingsNow()).PrintPageStrip();
    const auto pages = printer.printedPages();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0]->settings.paperSize, DeviceSettings::UserDefinedPaper);
    EXPECT_EQ(pages[0]->settings.paperLength, 500);
    EXPECT_TRUE(pages[0]->canvas->ops().isEmpty());
    EXPECT_EQ(pages[1]->settings.paperSize, 9);
    EXPECT_EQ(pages[1]->settings.paperLength, 2970);
}

TEST(PageStripTest, FeedBeyondTheSixteenBitFieldAbortsQuietly) {
    PrintFixture f;
    f.setDrucker("Papiervorschub", 40000);
    f.addJob(200, 170);
    RecordingPrinter printer(PrintFixture::a4With280());
    printer.setLandscape();  // as the print command does
    PrintRun run = f.run();
    PrintMethods(printer, run, f.context(), PrintSettingsNow()).PrintPageStrip();
    EXPECT_TRUE(printer.printedPages().empty());
    EXPECT_FALSE(printer.printing());
}

TEST(PageStripTest, SkippedWidthClosesTheStrip) {
    PrintFixture f;
    f.addJob(1000, 170);
    f.addJob(500, 140);
    f.addJob(1000, 170);
    RecordingPrinter printer(PrintFixture::a4With280());
    printer.setLandscape();  // as the print command does
    PrintRun run = f.run();
    PrintMethods(printer, run, f.context(), PrintSettingsNow()).PrintPageStrip();
    EXPECT_TRUE(run.WidthMismatch);
    EXPECT_EQ(printer.printedPages().size(), 8u);
    EXPECT_FALSE(run.FirstOfRun);
}

TEST(PageStripTest, CancelOnTheSecondPageStartsNoFurtherPage) {
    PrintFixture f;
    f.addJob(1000, 170);  // four pages
    f.addJob(1000, 170);
    RecordingPrinter printer(PrintFixture::a4With280());
    int checks = 0;
    printer.setAbortCheck([&] {
        if (++checks == 2)
            printer.abortDocument();  // "Abbrechen" while page 2 is spooled
    });
    PrintRun run = f.run();
    PrintMethods(printer, run, f.context(), PrintSettingsNow()).PrintPageStrip();
    EXPECT_EQ(printer.pages().size(), 2u);
    EXPECT_TRUE(printer.printedPages().empty());
    EXPECT_EQ(printer.abortedDocuments(), 1);
    EXPECT_EQ(printer.finishedDocuments(), 0);
    EXPECT_FALSE(printer.printing());
}

}  // namespace
