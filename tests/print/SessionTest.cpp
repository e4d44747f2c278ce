#include <gtest/gtest.h>

#include "model/SettingsFile.h"
#include "print/RecordingPrinter.h"
#include "print/Session.h"
#include "tests/support/TempDataFolder.h"

namespace {

// Start-up values are read once; the drawing keys are read at every run; the
// current settings file is the session's while it lives and the one before
// afterwards, also when a second session runs inside the first.
TEST(RibbonSessionTest, ReadsStartUpOnceAndGivesTheCurrentSettingsBack) {
    TempDataFolder data;
    SettingsFile outer(data.filePath(QStringLiteral("OUTER.INI")));
    SettingsFile::setCurrent(&outer);
    const QString path = data.filePath(QStringLiteral("RIBOLANT.INI"));
    data.writeFile(QStringLiteral("RIBOLANT.INI"),
                   "[General]\r\nRasterizer=9x\r\n[Drucker]\r\nMethode=4\r\nMaxLaenge=25000\r\n"
                   "Name=Laser\r\nSchriftrahmen=0\r\n");
    {
        RibbonSession session(path);
        EXPECT_EQ(SettingsFile::current(), &session.settings());
        data.writeFile(QStringLiteral("RIBOLANT.INI"),
                       "[General]\r\nRasterizer=NT\r\n[Drucker]\r\nMethode=0\r\nName=Etiketten\r\n"
                       "Schriftrahmen=2\r\n");
        EXPECT_EQ(session.rasterizerMode(), 2);
        EXPECT_TRUE(session.compatibilityMode());
        EXPECT_EQ(session.maxLength(), 25000);
        EXPECT_EQ(session.storedPrinterName(), QStringLiteral("Laser"));
        const RenderContext context = session.context();
        EXPECT_EQ(context.RasterizerMode, 2);
        EXPECT_EQ(context.Schriftrahmen, 2);
        EXPECT_EQ(context.PictureFiles, &session.pictures());
        {
            RibbonSession inner(data.filePath(QStringLiteral("OTHER.INI")));
            EXPECT_EQ(SettingsFile::current(), &inner.settings());
            EXPECT_EQ(inner.rasterizerMode(), 0);
            EXPECT_FALSE(inner.compatibilityMode());
        }
        EXPECT_EQ(SettingsFile::current(), &session.settings());
    }
    EXPECT_EQ(SettingsFile::current(), &outer);
    SettingsFile::setCurrent(nullptr);
}

TEST(RibbonSessionTest, PicksTheStoredPrinterOrTheDefault) {
    struct Case {
        const char *stored;
        QStringList printers;
        int defaultIndex;
        int expected;  // -2: no printer at all
    };
    const Case cases[] = {
        {"laser im büro", {"Etiketten", "Laser im Büro", "PDF"}, 2, 1},
        {"Verschwunden", {"Etiketten", "PDF"}, 1, 1},
        {"", {"Etiketten", "PDF"}, 0, 0},
        {"Laser", {}, 0, -2},
    };
    TempDataFolder data;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored);
        const QString path = data.filePath(QStringLiteral("RIBOLANT.INI"));
        SettingsFile(path).writeString(QStringLiteral("Drucker"), QStringLiteral("Name"),
                                       QString::fromUtf8(c.stored));
        RibbonSession session(path);
        RecordingPrinter::Config config;
        config.printers = c.printers;
        config.defaultIndex = c.defaultIndex;
        RecordingPrinter printer(config);
        if (c.expected == -2) {
            EXPECT_THROW(session.selectStoredPrinter(printer), PrinterError);
            EXPECT_EQ(RibbonSession::SelectedPrinterName(printer), std::nullopt);
            continue;
        }
        session.selectStoredPrinter(printer);
        EXPECT_EQ(printer.printerIndex(), c.expected);
        EXPECT_EQ(RibbonSession::SelectedPrinterName(printer), c.printers.at(c.expected));
    }
}

}  // namespace
