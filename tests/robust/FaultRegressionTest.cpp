// Faults found by fuzzing, each named after what went wrong. The inputs that
// found them are also in the fuzz corpora, replayed by every test run.
#include <gtest/gtest.h>

#include <QDir>
#include <QtEndian>

#include <malloc.h>

#include "model/DataFolder.h"
#include "model/Job.h"
#include "model/ProfileFile.h"
#include "model/SettingsFile.h"
#include "model/StoredFormats.h"
#include "print/PrintCommand.h"
#include "print/PrintMethods.h"
#include "print/PrintRun.h"
#include "print/RecordingPrinter.h"
#include "render/Arith.h"
#include "render/Pictures.h"
#include "render/RenderState.h"
#include "tests/support/PrintNow.h"
#include "tests/support/TempDataFolder.h"

namespace {

// A 24-bit bitmap header followed by a few pixel bytes.
QByteArray BitmapHeader(qint32 width, qint32 height) {
    QByteArray bytes(54 + 48, '\0');
    auto *p = reinterpret_cast<uchar *>(bytes.data());
    p[0] = 'B';
    p[1] = 'M';
    qToLittleEndian<quint32>(quint32(bytes.size()), p + 2);
    qToLittleEndian<quint32>(54, p + 10);
    qToLittleEndian<quint32>(40, p + 14);
    qToLittleEndian<qint32>(width, p + 18);
    qToLittleEndian<qint32>(height, p + 22);
    qToLittleEndian<quint16>(1, p + 26);
    qToLittleEndian<quint16>(24, p + 28);
    return bytes;
}

TEST(FaultRegression, AbsurdBitmapSizeOverflowedTheFileLengthCheck) {
    TempDataFolder data;
    QDir().mkpath(data.filePath(QStringLiteral("Bilder")));
    for (const auto &[width, height] :
         {std::pair(0x7FFFFFFF, -0x7FFFFFFF), std::pair(0x7FFFFFFF, 0x7FFFFFFF),
          std::pair(1, INT32_MIN)}) {
        data.writeFile(QStringLiteral("Bilder/Riesig.bmp"), BitmapHeader(width, height));
        QImage bitmap;
        LoadPicture(QStringLiteral("Riesig.bmp"), DrawPrintColors, bitmap);
        EXPECT_TRUE(bitmap.isNull()) << width << " x " << height;
    }
    // The same header with a size the file really holds loads.
    data.writeFile(QStringLiteral("Bilder/Klein.bmp"), BitmapHeader(4, 4));
    QImage bitmap;
    LoadPicture(QStringLiteral("Klein.bmp"), DrawPrintColors, bitmap);
    EXPECT_EQ(bitmap.size(), QSize(4, 4));
}

// Every key written in a batch copied the whole file, and every section was
// looked for line by line: ten thousand stored formats (what a hand-edited
// "Anzahl" of two billion is bounded to) took hours to write at shut-down.
TEST(FaultRegression, WritingThousandsOfStoredFormatsTookQuadraticTime) {
    TempDataFolder data;
    SettingsFile settings(SettingsFilePath());
    StoredFormatList formats;
    for (int i = 0; i < 10000; ++i) {
        auto job = std::make_unique<TJob>();
        job->Name.set(QStringLiteral("Format %1").arg(i));
        job->Breite = 50 + i % 100;
        formats.push_back(std::move(job));
    }
    WriteStoredFormats(settings, formats);
    const StoredFormatList read = ReadStoredFormats(settings);
    ASSERT_EQ(read.size(), formats.size());
    for (std::size_t i = 0; i < read.size(); i += 997) {
        EXPECT_EQ(read[i]->Name.str(), formats[i]->Name.str());
        EXPECT_EQ(read[i]->Breite, formats[i]->Breite);
    }
}

// Every line end and every value was kept as a copy of its own beside the
// line: a settings file took eight times its size in memory.
TEST(FaultRegression, SettingsFileWasHeldEightTimesOverInMemory) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator keeps its own books";
#else
    QByteArray file = "[Notizen]\r\n";
    const QByteArray filler(64, 'x');
    for (int i = 0; file.size() < 20 * 1024 * 1024; ++i)
        file += "Zeile" + QByteArray::number(i) + "=" + filler + "\r\n";
    const auto heap = [] { return mallinfo2().uordblks + mallinfo2().hblkhd; };
    const std::size_t before = heap();
    const ProfileFile profile(file);
    const std::size_t held = heap() - before;
    EXPECT_LT(held, 6 * std::size_t(file.size()));
    QString value;
    EXPECT_TRUE(profile.value(QStringLiteral("Notizen"), QStringLiteral("Zeile7"), &value));
    EXPECT_EQ(value, QString::fromLatin1(filler));
#endif
}

// A hand-edited "MaxLaenge" of 1 (a tenth of a millimetre) under a ribbon of
// 214 km planned two billion filler pieces: gigabytes before the first page.
TEST(FaultRegression, TinyFillerLengthPlannedBillionsOfPieces) {
    TJob job;
    job.Laenge = 214748364;
    EXPECT_THROW(PlanPieces(job, 800, 800, 0, 1), RenderOverflow);
    job.Stil = Center;
    EXPECT_THROW(PlanPieces(job, 800, 0, 0, 1), RenderOverflow);
    // A ribbon of 100 m with ordinary settings is still cut into its pieces,
    // each shorter than 300 mm.
    job.Stil = Align;
    job.Laenge = 100000;
    EXPECT_GT(PlanPieces(job, 800, 800, 0, 3000).pieces.size(), 333u);

    // The print run ends without a page.
    TempDataFolder data;
    data.writeFile(QStringLiteral("RIBOLANT.INI"), "[Drucker]\r\nMaxLaenge=1\r\n");
    SettingsFile settings(SettingsFilePath());
    SettingsFile::setCurrent(&settings);
    job.Laenge = 214748364;
    job.TextLeft.set({QStringLiteral("Ruhe sanft")});
    RecordingPrinter printer;
    PrintRun run;
    run.jobs = {&job};
    run.PrintFirst = 0;
    run.PrintLast = 0;
    RunPrintMethod(printer, run, 2);
    SettingsFile::setCurrent(nullptr);
    EXPECT_FALSE(printer.printing());
    EXPECT_TRUE(printer.printedPages().empty());
}

}  // namespace

// A file cut between CR and LF: a key written after its last line was glued
// onto that line, or gave the file a CR LF among its LF line ends.
TEST(FaultRegression, ACarriageReturnAtTheEndOfTheFileGluedTheNextLineOn) {
    ProfileFile section(QByteArray("[General]\nVersion=NT\r"));
    EXPECT_EQ(section.toBytes(), QByteArray("[General]\nVersion=NT\r"));  // read keeps every byte
    ASSERT_TRUE(
        section.setValue(QStringLiteral("Drucker"), QStringLiteral("Name"), QStringLiteral("PDF")));
    EXPECT_EQ(section.toBytes(), QByteArray("[General]\nVersion=NT\n\n[Drucker]\nName=PDF\n"));

    ProfileFile key(QByteArray("[General]\r\nVersion=NT\r"));
    ASSERT_TRUE(key.setValue(QStringLiteral("General"), QStringLiteral("Rasterizer"),
                             QStringLiteral("9x")));
    EXPECT_EQ(key.toBytes(), QByteArray("[General]\r\nVersion=NT\r\nRasterizer=9x\r\n"));
    QString value;
    EXPECT_TRUE(key.value(QStringLiteral("General"), QStringLiteral("Version"), &value));
    EXPECT_EQ(value, QStringLiteral("NT"));
}
