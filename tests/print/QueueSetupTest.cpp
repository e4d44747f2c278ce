#include <gtest/gtest.h>

#include "model/SettingsFile.h"
#include "print/QueueSetup.h"
#include "print/RecordingPrinter.h"
#include "tests/support/TempDataFolder.h"

namespace {

QueueCapabilities Cutter(QList<CutWhen> whens) {
    QueueCapabilities capabilities;
    capabilities.known = true;
    if (whens.isEmpty())
        return capabilities;
    CutOption option{QStringLiteral("CutMedia"), QStringLiteral("0"), {}};
    for (qsizetype i = 0; i < whens.size(); ++i)
        option.choices.append({QString::number(i), QString(), whens[i]});
    capabilities.cutOptions.append(option);
    return capabilities;
}

TEST(QueueSetupTest, StoredCutModeTheDriverCannotDoBecomesNever) {
    TempDataFolder data;
    SettingsFile file(data.filePath(QStringLiteral("RIBOLANT.INI")));
    struct Row {
        CutMode stored;
        QList<CutWhen> driver;
        CutMode applied;
    };
    const Row rows[] = {
        {CutMode::AfterPage, {CutWhen::Never, CutWhen::AfterPage}, CutMode::AfterPage},
        {CutMode::AfterPage, {CutWhen::Never, CutWhen::AfterJob}, CutMode::Never},
        {CutMode::AfterRibbon, {CutWhen::AfterJob}, CutMode::AfterRibbon},
        {CutMode::AfterJob, {CutWhen::AfterPage}, CutMode::AfterJob},
        {CutMode::AfterJob, {CutWhen::Never}, CutMode::Never},
        {CutMode::AfterRibbon, {}, CutMode::Never},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(int(row.stored));
        WriteQueueSettings(file, QStringLiteral("Zebra"), {row.stored, 1.004});
        RecordingPrinter printer;
        const QueueCapabilities capabilities = Cutter(row.driver);
        ApplyQueueSettings(printer, QStringLiteral("Zebra"), &file, capabilities);
        EXPECT_EQ(printer.cutMode(), row.applied);
        EXPECT_DOUBLE_EQ(printer.lengthFactor(), 1.004);
        EXPECT_EQ(printer.cutOption().has_value(), !row.driver.isEmpty());
    }
}

}  // namespace
