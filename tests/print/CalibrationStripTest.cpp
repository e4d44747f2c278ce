#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/QueueSettings.h"
#include "print/CalibrationStrip.h"
#include "print/RecordingPrinter.h"

namespace {

struct StripLines {
    QVector<CanvasOp> across;  // vertical lines over the whole width
    QVector<int> ticks;        // where the ruler's ticks are, along the strip
    int numbers = 0;
};

// Logical units are eighths of a millimetre; `acrossUnits` is how far the
// lines across reach.
StripLines LinesOf(const RecordingPrinter::Page &page, int acrossUnits) {
    StripLines lines;
    for (const CanvasOp &op : page.canvas->ops()) {
        if (op.kind == CanvasOp::Kind::TextOut) {
            bool isNumber = false;
            op.text.toInt(&isNumber);
            lines.numbers += isNumber;
        }
        if (op.kind != CanvasOp::Kind::Line || op.from.x() != op.to.x())
            continue;
        if (op.from.y() == 0 && op.to.y() == acrossUnits)
            lines.across.append(op);
        else
            lines.ticks.append(op.from.x());
    }
    return lines;
}

RecordingPrinter PrinterWithPaper(int paperWidthTenths) {
    RecordingPrinter::Config config;
    config.driverDefaults.paperWidth = std::int16_t(paperWidthTenths);
    RecordingPrinter printer(config);
    printer.selectPrinter(0);
    return printer;
}

TEST(CalibrationStripTest, TwoLinesFiveHundredMillimetresApartOnAPageAsWideAsTheQueueTakes) {
    struct Row {
        int paperTenths;    // the printer's paper before the strip
        double widthMm;     // as the caller asks for it
        double maxWidthMm;  // the queue's widest page, 0: it says nothing
        int stripTenths;    // the strip's width
        int numbers;
    };
    const Row rows[] = {
        {700, 70, 0, 700, 51},
        {200, 20, 0, 200, 11},
        // A Zebra roll: the set-up shows 102 mm, the queue takes 101.6 mm.
        {1016, 102, 101.6, 1016, 51},
        {1016, 101.6, 101.6, 1016, 51},
        {2100, 50, 203.2, 500, 51},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << row.paperTenths << " " << row.widthMm);
        RecordingPrinter printer = PrinterWithPaper(row.paperTenths);
        const DeviceSettings before = printer.currentSettings();
        PrintCalibrationStrip(printer, QStringLiteral("Zebra"), row.widthMm, row.maxWidthMm);

        ASSERT_EQ(printer.printedPages().size(), 1u);
        EXPECT_EQ(printer.finishedDocuments(), 1);
        const RecordingPrinter::Page &page = *printer.printedPages()[0];
        EXPECT_EQ(page.settings.paperSize, DeviceSettings::UserDefinedPaper);
        EXPECT_EQ(page.settings.orientation, DeviceSettings::Landscape);
        EXPECT_EQ(page.settings.paperLength, 5100);
        EXPECT_EQ(page.settings.paperWidth, row.stripTenths);
        if (row.maxWidthMm > 0) {
            EXPECT_LE(page.settings.paperWidth, std::lround(row.maxWidthMm * 10));
        }

        const StripLines lines = LinesOf(page, row.stripTenths * 8 / 10);
        ASSERT_EQ(lines.across.size(), 2);
        const double firstMm = lines.across[0].from.x() / 8.0;
        const double lastMm = lines.across[1].from.x() / 8.0;
        EXPECT_NEAR(lastMm - firstMm, 500.0, 0.1);
        // Both on the paper, neither on its edge.
        EXPECT_GE(firstMm, 1.0);
        EXPECT_LE(lastMm, page.widthMm - 1.0);
        EXPECT_LE(lastMm, page.metrics.HS - 1.0);
        // The ruler runs from line to line, a tick every millimetre between.
        ASSERT_EQ(lines.ticks.size(), 499);
        for (int k = 0; k < lines.ticks.size(); ++k)
            EXPECT_EQ(lines.ticks[k], lines.across[0].from.x() + (k + 1) * 8) << k;
        EXPECT_EQ(lines.numbers, row.numbers);
        bool titled = false;
        bool instructed = false;
        for (const CanvasOp &op : page.canvas->opsOf(CanvasOp::Kind::TextOut)) {
            titled = titled || op.text.startsWith(
                                   QStringLiteral("Kalibrierstreifen 500 mm \u2013 Zebra \u2013"));
            instructed =
                instructed || op.text.contains(QStringLiteral(
                                  "Von Strich zu Strich messen und die L\u00e4nge eingeben."));
        }
        EXPECT_TRUE(titled);
        EXPECT_TRUE(instructed);
        EXPECT_EQ(printer.currentSettings(), before) << "the printer's settings come back";
    }
}

TEST(CalibrationStripTest, AWholeMillimetreWidthTakesThePapersExactWidth) {
    struct Row {
        double widthMm;
        int paperTenths;
        int expected;
    };
    const Row rows[] = {{102, 1016, 1016}, {101.6, 1016, 1016}, {101, 1016, 1010},
                        {103, 1016, 1030}, {102, 0, 1020},      {210, 2100, 2100},
                        {50, 2100, 500},   {203.2, 2032, 2032}, {203, 2032, 2032}};
    for (const Row &row : rows)
        EXPECT_EQ(CalibrationStripWidthTenths(row.widthMm, row.paperTenths), row.expected)
            << row.widthMm << " " << row.paperTenths;
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

    struct Refused {
        double widthMm;
        double maxWidthMm;
        const char *says;
    };
    const Refused refused[] = {
        {0, 0, "zwischen 1 und 3276 mm"},
        {4000, 0, "zwischen 1 und 3276 mm"},
        {std::numeric_limits<double>::quiet_NaN(), 0, "zwischen 1 und 3276 mm"},
        {110, 101.6, "h\u00f6chstens 101,6 mm breites Papier"},
        {103, 101.6, "ist 103 mm breit"},
    };
    for (const Refused &r : refused) {
        SCOPED_TRACE(r.widthMm);
        RecordingPrinter printer = PrinterWithPaper(1016);
        try {
            PrintCalibrationStrip(printer, QStringLiteral("Zebra"), r.widthMm, r.maxWidthMm);
            ADD_FAILURE() << "printed";
        } catch (const PrinterError &e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(r.says))) << qPrintable(e.message());
        }
        EXPECT_TRUE(printer.pages().empty());
    }
}

}  // namespace
