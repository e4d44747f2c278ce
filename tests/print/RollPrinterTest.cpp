// What a roll printer's queue takes shapes the pages: its longest page, its
// widest paper, its margins and whether it takes free sizes at all.
#include <gtest/gtest.h>

#include "print/PrintCommand.h"
#include "print/PrintMethods.h"
#include "print/PrintRequest.h"
#include "print/QueueCapabilities.h"
#include "render/DrawJob.h"
#include "tests/print/PrintTestSupport.h"
#include "tests/support/PrintNow.h"

namespace {

// A label printer's driver: pages up to 203.2 x 1270 mm, no margins.
PageLimits ZebraLimits() {
    QueueCapabilities caps;
    caps.known = true;
    caps.takesCustomSizes = true;
    caps.customRange = CustomSizeRange{12.7, 203.2, 12.7, 1270};
    caps.margins = HardwareMargins{};
    return PageLimitsFor(caps);
}

std::vector<int> lengths(const RecordingPrinter &printer) {
    std::vector<int> out;
    for (const auto *page : printer.printedPages())
        out.push_back(page->settings.paperLength);
    return out;
}

TEST(RollPrinterTest, LimitsFromTheDriverAndTheLengthFactor) {
    const PageLimits zebra = ZebraLimits();
    EXPECT_EQ(zebra.maxLength, 12700);
    EXPECT_EQ(zebra.maxWidth, 2032);
    EXPECT_EQ(zebra.minMargin, 0);
    EXPECT_FALSE(zebra.noCustomSizes);

    QueueCapabilities caps;
    caps.known = true;
    caps.takesCustomSizes = true;
    caps.customRange = CustomSizeRange{10, 100, 10, 1000};
    caps.margins = HardwareMargins{1, 2.05, 1, 1.5};
    // Pages asked 0.4 % longer must still fit: 1000 mm / 1.004.
    const PageLimits stretched = PageLimitsFor(caps, 1.004);
    EXPECT_EQ(stretched.maxLength, 9960);
    EXPECT_EQ(stretched.minMargin, 36);  // top and bottom, rounded up

    caps.takesCustomSizes = false;
    caps.customRange.reset();
    EXPECT_TRUE(PageLimitsFor(caps).noCustomSizes);
    // A queue that said nothing limits nothing.
    EXPECT_EQ(PageLimitsFor(QueueCapabilities{}), PageLimits{});
}

TEST(RollPrinterTest, NoPieceLongerThanThePrintersLongestPage) {
    PrintFixture f;
    f.addJob(3000, 100);  // Align with short texts: long middle
    TJob &center = f.addJob(3000, 100, Center);
    for (int methode : {2, 3}) {
        SCOPED_TRACE(methode);
        PrintSettings settings = PrintSettingsNow(methode);
        settings.MaxLaenge = 30000;  // the typed value allows 3 m fillers
        settings.limits = ZebraLimits();
        RecordingPrinter printer(PrintFixture::a4With280());
        printer.selectPrinter(0);
        PrintRun run = f.run();
        PrintMethods methods(printer, run, f.context(), settings);
        methode == 2 ? methods.PrintPieces() : methods.PrintPiecesFitted();
        ASSERT_TRUE(methods.failure().isEmpty()) << methods.failure().toStdString();
        const auto pages = printer.printedPages();
        ASSERT_GE(pages.size(), 6u);
        int total = 0, ends = 0;
        for (const auto *page : pages) {
            EXPECT_LE(page->settings.paperLength, 12700);
            total += page->settings.paperLength;
            ends += page->ribbonEnd;
        }
        // Two ribbons, each ended once, on its own last page.
        EXPECT_EQ(ends, 2);
        EXPECT_TRUE(pages.back()->ribbonEnd);
        // The pieces still take the whole ribbons (the Align end reaches 30 mm beyond).
        EXPECT_GE(total, 60000 - 20);
        EXPECT_LE(total, 60300);
    }

    // A text end longer than the longest page is split into parts that show
    // the same end one after the other.
    PiecePlan plan;
    plan.pieces = {{3000, DrawLeftEnd}, {25000, DrawPrint}, {700, DrawRightEnd}};
    LimitPieceLengths(plan, 12700, 0);
    std::vector<int> got;
    for (const Piece &p : plan.pieces)
        got.push_back(p.length);
    EXPECT_EQ(got, (std::vector<int>{3000, 12500, 12500, 700}));
    EXPECT_EQ(plan.pieces[2].flags, DrawPrint);
    // With a margin the parts and their margins take what the piece and its margin took.
    plan.pieces = {{25001, DrawPrint}};
    LimitPieceLengths(plan, 12000, 40);
    ASSERT_EQ(plan.pieces.size(), 3u);
    EXPECT_EQ(plan.pieces[0].length + plan.pieces[1].length + plan.pieces[2].length + 3 * 40,
              25001 + 40);
    (void)center;
}

TEST(RollPrinterTest, SheetsSplitMarginsHoldAndTooWideIsRefused) {
    PrintFixture f;
    f.addJob(3000, 100);
    PrintSettings settings = PrintSettingsNow(4);
    settings.limits = ZebraLimits();
    {
        RecordingPrinter printer;
        printer.selectPrinter(0);
        PrintRun run = f.run();
        PrintMethods methods(printer, run, f.context(), settings);
        methods.PrintSingleSheets();
        EXPECT_EQ(lengths(printer), (std::vector<int>{10000, 10000, 10000}));
        const auto pages = printer.printedPages();
        EXPECT_FALSE(pages[0]->ribbonEnd);
        EXPECT_TRUE(pages[2]->ribbonEnd);
        // Each sheet shows the ribbon from where the one before ended: the
        // left end's cut mark is on the first sheet only.
        EXPECT_FALSE(cutMarks(*pages[0]->canvas).empty());
        EXPECT_TRUE(cutMarks(*pages[1]->canvas, pages[1]->metrics.HR).empty());
    }

    // The hardware margin is the smallest "Rand"; a typed one that is
    // larger holds.
    PrintSettings pieces = PrintSettingsNow(2);
    PrintSettings withMargin = pieces;
    withMargin.limits.minMargin = 40;
    PrintSettings typed = pieces;
    typed.Rand = 40;
    PrintSettings stricter = typed;
    stricter.Rand = 60;
    stricter.limits.minMargin = 40;
    auto print = [&](const PrintSettings &s) {
        RecordingPrinter printer;
        printer.selectPrinter(0);
        PrintRun run = f.run();
        PrintMethods(printer, run, f.context(), s).PrintPieces();
        return lengths(printer);
    };
    EXPECT_EQ(print(withMargin), print(typed));
    PrintSettings sixty = pieces;
    sixty.Rand = 60;
    EXPECT_EQ(print(stricter), print(sixty));

    // A ribbon wider than the widest page: nothing printed, a clear reason.
    TJob &wide = *f.jobs[0];
    wide.Breite = 210;
    RecordingPrinter printer;
    printer.selectPrinter(0);
    PrintRun run = f.run();
    const QString failure = RunPrintMethod(printer, run, settings, f.context());
    EXPECT_TRUE(failure.contains(QStringLiteral("210 mm breit"))) << failure.toStdString();
    EXPECT_TRUE(failure.contains(QStringLiteral("203,2 mm"))) << failure.toStdString();
    EXPECT_TRUE(printer.pages().empty());
}

TEST(RollPrinterTest, AQueueWithoutFreeSizesIsNamedBeforePiecesAreCropped) {
    PrintFixture f;
    f.addJob(1200, 75);
    std::vector<const TJob *> listed{f.jobs[0].get()};
    PrintRequest request(listed, PrintSettingsNow(3), f.context());
    EXPECT_TRUE(request.paperWarning(QStringLiteral("Buero"), QStringLiteral("A4")).isEmpty());
    request.settings().limits.noCustomSizes = true;
    EXPECT_EQ(
        request.paperWarning(QStringLiteral("Buero"), QStringLiteral("A4")),
        QStringLiteral("Der Drucker \u201eBuero\u201c kennt keine freien Papiergr\u00f6\u00dfen: "
                       "die St\u00fccke w\u00fcrden auf A4 abgeschnitten."));
    // Page strips on the printer's own paper need no warning.
    request.settings().Methode = 1;
    EXPECT_TRUE(request.paperWarning(QStringLiteral("Buero"), QStringLiteral("A4")).isEmpty());
}

}  // namespace
