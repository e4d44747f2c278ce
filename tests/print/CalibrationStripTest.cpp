#include <gtest/gtest.h>

#include "model/QueueSettings.h"
#include "print/CalibrationStrip.h"
#include "print/RecordingPrinter.h"

namespace {

struct StripLines {
    QVector<CanvasOp> across;  // vertical lines over the whole width
    int ticks = 0;
    int numbers = 0;
};

StripLines LinesOf(const RecordingPrinter::Page &page, int widthMm) {
    StripLines lines;
    for (const CanvasOp &op : page.canvas->ops()) {
        if (op.kind == CanvasOp::Kind::TextOut) {
            bool isNumber = false;
            op.text.toInt(&isNumber);
            lines.numbers += isNumber;
        }
        if (op.kind != CanvasOp::Kind::Line || op.from.x() != op.to.x())
            continue;
        if (op.from.y() == 0 && op.to.y() == widthMm * 8)
            lines.across.append(op);
        else
            ++lines.ticks;
    }
    return lines;
}

TEST(CalibrationStripTest, OnePageOfFiveHundredMillimetresWithARulerBetweenTheEnds) {
    struct Row {
        int widthMm;
        int numbers;
    };
    for (const Row row : {Row{70, 51}, Row{20, 11}}) {
        SCOPED_TRACE(row.widthMm);
        RecordingPrinter printer;
        printer.selectPrinter(0);
        const DeviceSettings before = printer.currentSettings();
        PrintCalibrationStrip(printer, QStringLiteral("Zebra"), row.widthMm);

        ASSERT_EQ(printer.printedPages().size(), 1u);
        EXPECT_EQ(printer.finishedDocuments(), 1);
        const RecordingPrinter::Page &page = *printer.printedPages()[0];
        EXPECT_EQ(page.settings.paperSize, DeviceSettings::UserDefinedPaper);
        EXPECT_EQ(page.settings.orientation, DeviceSettings::Landscape);
        EXPECT_EQ(page.settings.paperLength, CalibrationLengthMm * 10);
        EXPECT_EQ(page.settings.paperWidth, row.widthMm * 10);
        const StripLines lines = LinesOf(page, row.widthMm);
        ASSERT_EQ(lines.across.size(), 2);
        EXPECT_EQ(lines.across[0].from.x(), 0);
        EXPECT_EQ(lines.across[1].from.x(), 4000);
        EXPECT_EQ(lines.ticks, 499);
        EXPECT_EQ(lines.numbers, row.numbers);
        bool titled = false;
        for (const CanvasOp &op : page.canvas->opsOf(CanvasOp::Kind::TextOut))
            titled = titled || op.text.startsWith(
                                   QStringLiteral("Kalibrierstreifen 500 mm \u2013 Zebra \u2013"));
        EXPECT_TRUE(titled);
        EXPECT_EQ(printer.currentSettings(), before) << "the printer's settings come back";
    }
}

TEST(CalibrationStripTest, FailureOrCancelLeavesNothingOnPaper) {
    RecordingPrinter::Config config;
    config.failAtPage = 0;
    RecordingPrinter failing(config);
    failing.selectPrinter(0);
    EXPECT_THROW(PrintCalibrationStrip(failing, QStringLiteral("Zebra"), 70), PrinterError);
    EXPECT_TRUE(failing.printedPages().empty());
    EXPECT_FALSE(failing.printing());

    RecordingPrinter cancelled;
    cancelled.selectPrinter(0);
    cancelled.setAbortCheck([&cancelled] { cancelled.abortDocument(); });
    PrintCalibrationStrip(cancelled, QStringLiteral("Zebra"), 70);
    EXPECT_TRUE(cancelled.printedPages().empty());
    EXPECT_EQ(cancelled.finishedDocuments(), 0);

    RecordingPrinter printer;
    printer.selectPrinter(0);
    EXPECT_THROW(PrintCalibrationStrip(printer, QStringLiteral("Zebra"), 0), PrinterError);
    EXPECT_THROW(PrintCalibrationStrip(printer, QStringLiteral("Zebra"), 4000), PrinterError);
    EXPECT_TRUE(printer.pages().empty());
}

}  // namespace
