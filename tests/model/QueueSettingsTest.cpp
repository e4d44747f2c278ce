#include <gtest/gtest.h>

#include "model/QueueSettings.h"
#include "model/SettingsFile.h"
#include "tests/support/TempDataFolder.h"

namespace {

TEST(QueueSettingsTest, MeasuredLengthIsReadAsTypedOrRefusedWithAMessage) {
    struct Row {
        const char *text;
        double mm;                // 0: refused
        const char *messagePart;  // for a refused one
    };
    const Row rows[] = {
        {"498", 498, nullptr},
        {"498,5", 498.5, nullptr},
        {"498.5", 498.5, nullptr},
        {"  502 mm ", 502, nullptr},
        {"502mm", 502, nullptr},
        {"5000", 5000, nullptr},
        {"", 0, "eingeben"},
        {"  mm", 0, "eingeben"},
        {"0", 0, "gr\u00f6\u00dfer als 0"},
        {"0,0", 0, "gr\u00f6\u00dfer als 0"},
        {"-498", 0, "negativ"},
        {"abc", 0, "keine L\u00e4nge"},
        {"49 8", 0, "keine L\u00e4nge"},
        {",5", 0, "keine L\u00e4nge"},
        {"498,5,1", 0, "einem Komma"},
        {"1.498,5", 0, "einem Komma"},
        {"2.000", 0, "ohne Tausendertrennzeichen"},
        {"2,000", 0, "ohne Tausendertrennzeichen"},
        {"5000,1", 0, "zu lang"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        QString error;
        const std::optional<double> mm = ParseMeasuredLength(QString::fromUtf8(row.text), &error);
        if (row.mm > 0) {
            ASSERT_TRUE(mm.has_value()) << error.toStdString();
            EXPECT_DOUBLE_EQ(*mm, row.mm);
        } else {
            EXPECT_FALSE(mm.has_value());
            EXPECT_TRUE(error.contains(QString::fromUtf8(row.messagePart))) << error.toStdString();
        }
    }
}

TEST(QueueSettingsTest, FactorIsNominalOverMeasuredWithinTenPercent) {
    QString error;
    EXPECT_NEAR(*CalibrationFactor(498, &error), 500.0 / 498, 1e-12);
    EXPECT_NEAR(*CalibrationFactor(454.6, &error), 500.0 / 454.6, 1e-12);
    EXPECT_NEAR(*CalibrationFactor(555.5, &error), 500.0 / 555.5, 1e-12);
    for (const double measured : {454.5, 555.6, 250.0, 5000.0}) {
        error.clear();
        EXPECT_FALSE(CalibrationFactor(measured, &error).has_value()) << measured;
        // The range named is one whose every length is taken.
        EXPECT_TRUE(error.contains(QStringLiteral("zwischen 454,6 und 555,5 mm")))
            << error.toStdString();
    }
    EXPECT_TRUE(error.contains(QStringLiteral("5000 mm")));
}

TEST(QueueSettingsTest, ValuesSurviveTheFileAndOddNamesOrHandEditsDoNoHarm) {
    TempDataFolder data;
    const QString path = data.filePath(QStringLiteral("RIBOLANT.INI"));
    data.writeFile(QStringLiteral("RIBOLANT.INI"), "[Drucker]\r\nMethode=3\r\n");
    SettingsFile file(path);

    // Names an INI section cannot hold as they are, and two that would meet
    // if the escape character were not escaped itself.
    const QStringList queues{QStringLiteral("Zebra"), QStringLiteral("a]b=c;d"),
                             QStringLiteral("a%5Db=c;d"), QStringLiteral(" [Laden] "),
                             QStringLiteral("K\u00fcche \u0141\u00f3d\u017a")};
    for (int i = 0; i < queues.size(); ++i)
        WriteQueueSettings(file, queues[i], {CutMode(i % 4), 1.0 + 0.0125 * i - 0.02});
    for (int i = 0; i < queues.size(); ++i) {
        SCOPED_TRACE(queues[i].toStdString());
        const QueueSettings read = ReadQueueSettings(&file, queues[i]);
        EXPECT_EQ(read.cut, CutMode(i % 4));
        EXPECT_NEAR(read.lengthFactor, 1.0 + 0.0125 * i - 0.02, 1e-9);
    }
    EXPECT_EQ(file.readInteger(QStringLiteral("Drucker"), QStringLiteral("Methode"), 0), 3);
    EXPECT_EQ(file.readString(QueueSettingsSection(QStringLiteral("Zebra")),
                              QStringLiteral("Laengenfaktor")),
              QStringLiteral("0.9800"));
    EXPECT_EQ(ReadQueueSettings(&file, QStringLiteral("Fehlt")), QueueSettings());
    EXPECT_EQ(ReadQueueSettings(nullptr, QStringLiteral("Zebra")), QueueSettings());

    const QString section = QueueSettingsSection(QStringLiteral("Zebra"));
    struct Edit {
        const char *cut;
        const char *factor;
        QueueSettings expected;
    };
    const Edit edits[] = {
        {"9", "5", {}},
        {"-1", "abc", {}},
        {"abc", "0.5", {}},
        {"3", "1,004", {CutMode::AfterJob, 1.004}},
        {"1", "nan", {CutMode::AfterPage, 1.0}},
        {"2", "", {CutMode::AfterRibbon, 1.0}},
    };
    for (const Edit &edit : edits) {
        SCOPED_TRACE(edit.factor);
        file.writeString(section, QStringLiteral("Schneiden"), QString::fromLatin1(edit.cut));
        file.writeString(section, QStringLiteral("Laengenfaktor"),
                         QString::fromLatin1(edit.factor));
        EXPECT_EQ(ReadQueueSettings(&file, QStringLiteral("Zebra")), edit.expected);
    }
}

}  // namespace
