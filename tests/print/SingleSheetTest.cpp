#include <gtest/gtest.h>

#include "print/PrintCommand.h"
#include "print/PrintMethods.h"
#include "tests/print/PrintTestSupport.h"
#include "tests/support/PrintNow.h"

namespace {

TEST(SingleSheetTest, OnePagePerRibbonWithoutTheRightEnd) {
    PrintFixture f;
    f.addJob(1000, 170);
    f.addJob(1500, 170);
    RecordingPrinter printer;
    PrintRun run = f.run();
    PrintMethods(printer, run, f.context(), PrintSettingsNow()).PrintSingleSheets();
    const auto pages = printer.printedPages();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0]->settings.paperLength, 10000);
    EXPECT_EQ(pages[0]->settings.paperWidth, 1700);
    EXPECT_EQ(pages[0]->settings.paperSize, DeviceSettings::UserDefinedPaper);
    EXPECT_EQ(pages[0]->settings.orientation, DeviceSettings::Landscape);
    EXPECT_EQ(pages[1]->settings.paperLength, 15000);
    for (const auto *page : pages) {
        bool right = false, left = false;
        for (const CanvasOp &op : page->canvas->ops()) {
            if (op.kind == CanvasOp::Kind::TextOut && op.text == QStringLiteral("Deine Familie"))
                right = true;
            if (op.kind == CanvasOp::Kind::PolyPolygon ||
                (op.kind == CanvasOp::Kind::TextOut &&
                 op.text == QStringLiteral("Ruhe in Frieden")))
                left = true;
        }
        EXPECT_TRUE(left);
        EXPECT_FALSE(right);
    }
    EXPECT_EQ(printer.currentSettings(), RecordingPrinter::Config().driverDefaults);
}

TEST(SingleSheetTest, FeedPageAndTooLongRibbon) {
    PrintFixture f;
    f.setDrucker("Papiervorschub", 500);
    f.addJob(1000, 170);
    RecordingPrinter printer;
    PrintRun run = f.run();
    PrintMethods(printer, run, f.context(), PrintSettingsNow()).PrintSingleSheets();
    ASSERT_EQ(printer.printedPages().size(), 2u);
    EXPECT_EQ(printer.printedPages()[0]->settings.paperLength, 500);
    EXPECT_EQ(printer.printedPages()[0]->settings.paperWidth, 2000);

    // A label queue's widest page holds the feed page too.
    RecordingPrinter label;
    PrintRun narrowRun = f.run();
    PrintSettings narrow = PrintSettingsNow();
    narrow.limits.maxWidth = 1016;
    PrintMethods(label, narrowRun, f.context(), narrow).PrintSingleSheets();
    ASSERT_FALSE(label.printedPages().empty());
    EXPECT_EQ(label.printedPages()[0]->role, PageRole::Feed);
    EXPECT_EQ(label.printedPages()[0]->settings.paperWidth, 1016);

    PrintFixture g;
    g.addJob(1000, 170);
    g.addJob(3300, 170);  // 33000 tenths do not fit the paper length field
    RecordingPrinter second;
    PrintRun run2 = g.run();
    PrintMethods(second, run2, f.context(), PrintSettingsNow()).PrintSingleSheets();
    EXPECT_TRUE(second.printedPages().empty());
    EXPECT_EQ(second.abortedDocuments(), 1);
    EXPECT_EQ(second.currentSettings(), RecordingPrinter::Config().driverDefaults);
}

TEST(PrintCommandTest, MethodeSelectsTheMethod) {
    struct Case {
        int methode, rand;
        bool userDefined;
        size_t pages;
    } cases[] = {
        {0, 0, false, 4},   // page strips on the printer's own pages
        {0, 15, true, 0},   // pieces
        {1, 15, false, 4},  // page strips whatever "Rand" says
        {4, 0, true, 1},    // one sheet
        {7, 0, false, 0},   // nothing at all
    };
    for (const Case &c : cases) {
        PrintFixture f;
        f.setDrucker("Methode", c.methode);
        f.setDrucker("Rand", c.rand);
        f.addJob(1000, 170);
        RecordingPrinter printer(PrintFixture::a4With280());
        PrintRun run = f.run();
        RunPrintMethod(printer, run);
        const auto pages = printer.printedPages();
        if (c.methode == 7) {
            EXPECT_TRUE(printer.pages().empty());
            continue;
        }
        ASSERT_FALSE(pages.empty()) << "Methode " << c.methode;
        EXPECT_EQ(pages[0]->settings.paperSize == DeviceSettings::UserDefinedPaper, c.userDefined)
            << "Methode " << c.methode << " Rand " << c.rand;
        if (c.pages) {
            EXPECT_EQ(pages.size(), c.pages) << "Methode " << c.methode;
        }
        EXPECT_EQ(printer.documentName(), QStringLiteral("Vellumo"));
    }
}

TEST(PrintCommandTest, PrinterFailureEndsTheRunQuietly) {
    PrintFixture f;
    f.setDrucker("Methode", 2);
    f.addJob(1000, 170);
    RecordingPrinter::Config config;
    config.failAtPage = 1;
    RecordingPrinter printer(config);
    PrintRun run = f.run();
    RunPrintMethod(printer, run);
    EXPECT_TRUE(printer.printedPages().empty());
    EXPECT_EQ(printer.abortedDocuments(), 1);
    EXPECT_FALSE(printer.printing());
}

TEST(PrintCommandTest, WidthRuleTakesTheFirstRibbonOfTheRange) {
    PrintFixture f;
    f.setDrucker("Methode", 4);
    f.addJob(1000, 170);
    f.addJob(1000, 140);
    f.addJob(1000, 170);
    f.addJob(1000, 140);
    RecordingPrinter printer;
    PrintRun run = f.run(1, 3);
    RunPrintMethod(printer, run);
    EXPECT_EQ(run.RunWidth, 140);
    EXPECT_TRUE(run.WidthMismatch);
    ASSERT_EQ(printer.printedPages().size(), 2u);
    EXPECT_EQ(printer.printedPages()[0]->settings.paperWidth, 1400);

    // The selection range with nothing selected names no ribbon.
    RecordingPrinter none;
    PrintRun empty = f.run(-1, -1);
    empty.PrintLast = -1;
    RunPrintMethod(none, empty);
    EXPECT_TRUE(none.pages().empty());
    EXPECT_FALSE(empty.WidthMismatch);
}

}  // namespace
