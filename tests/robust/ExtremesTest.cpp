// Files edited by hand past every sensible limit, and a picture folder full of
// whatever was downloaded: each gives the behaviour a user would expect, in
// bounded time and memory. The figures (time, peak memory of the test's
// process) are printed; they are not asserted.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <iostream>

#include <sys/resource.h>

#include "model/Cp1252.h"
#include "model/DataFolder.h"
#include "model/Job.h"
#include "model/PhraseFile.h"
#include "model/RibbonFile.h"
#include "model/SettingsFile.h"
#include "model/StoredFormats.h"
#include "print/PrintCommand.h"
#include "print/PrintRun.h"
#include "print/RecordingPrinter.h"
#include "render/DrawJob.h"
#include "render/Pictures.h"
#include "render/RecordingCanvas.h"
#include "render/RenderContext.h"
#include "render/RenderState.h"
#include "tests/support/PrintNow.h"
#include "tests/support/TempDataFolder.h"
#include "ui/JobListDelegate.h"
#include "ui/PictureCatalogueLoader.h"

namespace {

// A literal with NUL bytes inside, all of it.
template <std::size_t N>
QByteArray Bytes(const char (&text)[N]) {
    return QByteArray(text, N - 1);
}

QByteArray Cp(const QString &text) {
    QByteArray bytes;
    Cp1252::encode(text, &bytes);
    return bytes;
}

// Time since construction and the peak memory of this test's process.
class Figures {
public:
    Figures() { timer_.start(); }
    void report(const char *what) {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        const qint64 ms = timer_.elapsed();
        const long peakMb = usage.ru_maxrss / 1024;
        std::cout << "figure: " << what << ": " << ms << " ms, peak memory " << peakMb << " MB\n";
        testing::Test::RecordProperty(std::string(what) + " ms", int(ms));
        testing::Test::RecordProperty(std::string(what) + " peak MB", int(peakMb));
        timer_.restart();
    }

private:
    QElapsedTimer timer_;
};

class ExtremesTest : public testing::Test {
protected:
    void SetUp() override { SettingsFile::setCurrent(nullptr); }
    void TearDown() override { SettingsFile::setCurrent(nullptr); }

    TempDataFolder data_;
};

QByteArray FormatSection(int i, const QByteArray &name, const QByteArray &laenge) {
    return "[Format" + QByteArray::number(i) + "]\r\nName=" + name + "\r\n" +
           Cp(QStringLiteral("L\u00e4nge=")) + laenge + "\r\nBreite=100\r\nStil=0\r\n\r\n";
}

TEST_F(ExtremesTest, FiftyMegabyteSettingsFileIsReadAndWrittenKeepingEveryOtherByte) {
    QByteArray file = "[Drucker]\r\nName=PDF\r\nMethode=2\r\n\r\n[Notizen]\r\n";
    file.reserve(52 * 1024 * 1024);
    const QByteArray filler(64, 'x');
    for (int i = 0; file.size() < 50 * 1024 * 1024; ++i)
        file += "Zeile" + QByteArray::number(i) + "=" + filler + "\r\n";
    file += "\r\n[Format]\r\nAnzahl=1\r\n\r\n" + FormatSection(0, "Gold", "1500");
    data_.writeFile(QStringLiteral("RIBOLANT.INI"), file);

    Figures figures;
    SettingsFile settings(SettingsFilePath());
    EXPECT_EQ(settings.readString(QStringLiteral("Drucker"), QStringLiteral("Name")),
              QStringLiteral("PDF"));
    const StoredFormatList formats = ReadStoredFormats(settings);
    ASSERT_EQ(formats.size(), 1u);
    EXPECT_EQ(formats[0]->Name.str(), QStringLiteral("Gold"));
    EXPECT_EQ(formats[0]->Laenge, 1500);
    figures.report("50 MB settings file, read");

    // The shut-down's writes: the formats and the printer name.
    WriteStoredFormats(settings, formats);
    settings.writeString(QStringLiteral("Drucker"), QStringLiteral("Name"), QStringLiteral("Neu"));
    figures.report("50 MB settings file, shut-down writes");
    const QByteArray written = data_.readFile(QStringLiteral("RIBOLANT.INI"));
    const qsizetype notes = file.indexOf("[Notizen]");
    const qsizetype formatStart = file.indexOf("\r\n[Format]") + 2;
    EXPECT_TRUE(written.startsWith("[Drucker]\r\nName=Neu\r\nMethode=2\r\n"));
    // The 50 MB in between are the same bytes.
    EXPECT_TRUE(written.mid(notes, formatStart - notes) == file.mid(notes, formatStart - notes));
}

TEST_F(ExtremesTest, MegabyteLinesAreReadAsTheirFirst2047CharactersAndKeptWhole) {
    const QByteArray longValue(1024 * 1024, 'L');
    const QByteArray longComment = "; " + QByteArray(1024 * 1024, 'c');
    const QByteArray file = "[Format]\r\nAnzahl=1\r\n[Format0]\r\nName=" + longValue + "\r\n" +
                            longComment + "\r\nFontName=" + longValue + "\r\n" +
                            Cp(QStringLiteral("L\u00e4nge=")) + "1" + QByteArray(1024 * 1024, '0') +
                            "\r\nBreite=120\r\n";
    data_.writeFile(QStringLiteral("RIBOLANT.INI"), file);

    Figures figures;
    SettingsFile settings(SettingsFilePath());
    EXPECT_EQ(settings.readString(QStringLiteral("Format0"), QStringLiteral("Name")).size(), 2047);
    const StoredFormatList formats = ReadStoredFormats(settings);
    ASSERT_EQ(formats.size(), 1u);
    EXPECT_EQ(formats[0]->Name.str(), QString(50, QLatin1Char('L')));
    EXPECT_EQ(formats[0]->FontName.str(), QString(50, QLatin1Char('L')));
    EXPECT_EQ(formats[0]->Laenge, 2000);  // a number of a million digits is no number
    EXPECT_EQ(formats[0]->Breite, 120);

    // Writing another key leaves the long lines byte for byte.
    settings.writeInteger(QStringLiteral("Format0"), QStringLiteral("Breite"), 130);
    const QByteArray written = data_.readFile(QStringLiteral("RIBOLANT.INI"));
    EXPECT_EQ(written.size(), file.size());
    EXPECT_TRUE(written.contains("\r\n" + longComment + "\r\n"));
    EXPECT_TRUE(written.contains("Name=" + longValue + "\r\n"));

    // A phrase of a megabyte is one phrase, written back whole.
    const QByteArray phrase = QByteArray(512 * 1024, 'p') + "\\\\" + QByteArray(512 * 1024, 'q');
    data_.writeFile(QStringLiteral("RIBOLANT.TXT"), "kurz\r\n" + phrase + "\r\n");
    const QStringList phrases = LoadPhraseFile(PhraseFilePath());
    ASSERT_EQ(phrases.size(), 2);
    SavePhraseFile(PhraseFilePath(), phrases);
    EXPECT_TRUE(data_.readFile(QStringLiteral("RIBOLANT.TXT")) == "kurz\r\n" + phrase + "\r\n");
    figures.report("1 MB lines");
}

TEST_F(ExtremesTest, TenThousandSectionsAreReadAndWrittenBackUnchanged) {
    // Ten thousand stored formats as the program writes them, and between
    // them ten thousand sections of some other program.
    QByteArray file = "[Format]\r\nAnzahl=10000\r\n\r\n";
    for (int i = 0; i < 10000; ++i) {
        const QByteArray n = QByteArray::number(i);
        file += "[Format" + n + "]\r\nName=Format Nummer " + n + "\r\n" +
                Cp(QStringLiteral("L\u00e4nge=")) + QByteArray::number(1000 + i) +
                "\r\nBreite=170\r\nRand=30\r\nFontName=Arial\r\n" +
                Cp(QStringLiteral("FontGr\u00f6\u00dfe=60")) +
                "\r\nFontFarbe=$01000000\r\nStil=0\r\nFlip=0\r\nShadow=1\r\n"
                "BildNameLinks=\r\nBildBreiteLinks=40\r\nBildAbstandLinks=30\r\n"
                "BildNameRechts=\r\nBildBreiteRechts=40\r\nBildAbstandRechts=30\r\n\r\n"
                "[Fremd" +
                n + "]\r\nName=anderes Programm\r\n\r\n";
    }
    data_.writeFile(QStringLiteral("RIBOLANT.INI"), file);

    Figures figures;
    SettingsFile settings(SettingsFilePath());
    const StoredFormatList formats = ReadStoredFormats(settings);
    figures.report("10000 sections, read");
    ASSERT_EQ(formats.size(), 10000u);
    EXPECT_EQ(formats[9999]->Name.str(), QStringLiteral("Format Nummer 9999"));
    EXPECT_EQ(formats[9999]->Laenge, 10999);

    WriteStoredFormats(settings, formats);
    figures.report("10000 sections, written back");
    EXPECT_TRUE(data_.readFile(QStringLiteral("RIBOLANT.INI")) == file);
}

TEST_F(ExtremesTest, FormatCountOfTwoBillionReadsTheSectionsPresent) {
    data_.writeFile(QStringLiteral("RIBOLANT.INI"), "[Format]\r\nAnzahl=2000000000\r\n\r\n" +
                                                        FormatSection(0, "Gold", "1500") +
                                                        FormatSection(1, "Silber", "1200"));
    Figures figures;
    SettingsFile settings(SettingsFilePath());
    const StoredFormatList formats = ReadStoredFormats(settings);
    figures.report("Anzahl 2000000000, read");
    ASSERT_EQ(formats.size(), 2u);
    EXPECT_EQ(formats[1]->Name.str(), QStringLiteral("Silber"));

    // Written, the count is the list's.
    WriteStoredFormats(settings, formats);
    figures.report("Anzahl 2000000000, shut-down writes");
    EXPECT_EQ(settings.readInteger(QStringLiteral("Format"), QStringLiteral("Anzahl"), 0), 2);
    EXPECT_EQ(settings.readString(QStringLiteral("Format1"), QStringLiteral("Name")),
              QStringLiteral("Silber"));
}

TEST_F(ExtremesTest, MoreThanTenThousandFormatsAreAllKept) {
    // The bound on "Anzahl" guards against absurd counts only: every format
    // section present below the count is read, and so written back.
    QByteArray file = "[Format]\r\nAnzahl=2000000000\r\n\r\n";
    for (int i : {0, 1, 10500})
        file += FormatSection(i, "Kranz " + QByteArray::number(i), "1500");
    data_.writeFile(QStringLiteral("RIBOLANT.INI"), file);
    SettingsFile settings(SettingsFilePath());
    StoredFormatList formats = ReadStoredFormats(settings);
    ASSERT_EQ(formats.size(), 3u);
    EXPECT_EQ(formats[2]->Name.str(), QStringLiteral("Kranz 10500"));

    formats.push_back(std::make_unique<TJob>());
    formats.back()->Name.set(QStringLiteral("Neu"));
    WriteStoredFormats(settings, formats);
    const StoredFormatList again = ReadStoredFormats(settings);
    ASSERT_EQ(again.size(), 4u);
    EXPECT_EQ(again[2]->Name.str(), QStringLiteral("Kranz 10500"));
    EXPECT_EQ(again[3]->Name.str(), QStringLiteral("Neu"));
}

// A NUL ends a value where it stands, as the Windows version reads it.
TEST_F(ExtremesTest, NulBytesInsideValuesEndThatValue) {
    const QByteArray notes = Bytes("[Notizen]\r\nText=a\0b\r\n");
    const QByteArray file = Bytes(
                                "[Drucker]\r\nName=PD\0F\r\nMethode=\0"
                                "2\r\n") +
                            "[Format]\r\nAnzahl=1\r\n[Format0]\r\n" + Bytes("Name=Go\0ld\r\n") +
                            Cp(QStringLiteral("L\u00e4nge=")) +
                            Bytes(
                                "15\0"
                                "00\r\n") +
                            "Breite=90\r\n" + notes;
    data_.writeFile(QStringLiteral("RIBOLANT.INI"), file);
    SettingsFile settings(SettingsFilePath());
    const StoredFormatList formats = ReadStoredFormats(settings);
    ASSERT_EQ(formats.size(), 1u);
    EXPECT_EQ(formats[0]->Name.str(), QStringLiteral("Go"));
    EXPECT_EQ(formats[0]->Laenge, 15);
    EXPECT_EQ(formats[0]->Breite, 90);
    EXPECT_EQ(settings.readInteger(QStringLiteral("Drucker"), QStringLiteral("Methode"), 0), 0);

    // The shut-down can write: the keys it writes replace their lines, the
    // other lines keep their NUL bytes.
    WriteStoredFormats(settings, formats);
    settings.writeString(QStringLiteral("Drucker"), QStringLiteral("Name"), QStringLiteral("PDF"));
    const QByteArray written = data_.readFile(QStringLiteral("RIBOLANT.INI"));
    EXPECT_TRUE(written.contains(notes));
    EXPECT_TRUE(
        written.contains(Bytes("Methode=\0"
                               "2\r\n")));
    EXPECT_TRUE(written.contains("[Format0]\r\nName=Go\r\n"));

    // In the phrase file a NUL is left out.
    data_.writeFile(QStringLiteral("RIBOLANT.TXT"), Bytes("eins\r\nzw\0ei\r\ndrei\r\n"));
    EXPECT_EQ(
        LoadPhraseFile(PhraseFilePath()),
        (QStringList{QStringLiteral("eins"), QStringLiteral("zwei"), QStringLiteral("drei")}));
}

// What the window writes of its list it reads back: the longest list it takes
// in, every value as long as the writer makes it.
TEST_F(ExtremesTest, LongestRibbonListTheWindowKeepsReadsBack) {
    auto blankEdged = [](int length, char fill) {
        return QLatin1Char(' ') + QString(length - 1, QLatin1Char(fill));
    };
    std::vector<std::unique_ptr<TJob>> ribbons;
    std::vector<const TJob *> list;
    for (int i = 0; i < MaxRibbons; ++i) {
        auto job = std::make_unique<TJob>();
        job->Name.set(blankEdged(50, 'N'));
        job->FontName.set(blankEdged(50, 'F'));
        job->BildNameLinks.set(blankEdged(255, 'L'));
        job->BildNameRechts.set(blankEdged(255, 'R'));
        job->Kommission.set(blankEdged(255, 'K'));
        job->TextLeft.set({blankEdged(2047, 'l')});
        job->TextRight.set({blankEdged(2047, 'r')});
        job->Laenge = job->Breite = job->Rand = job->FontGroesse = INT32_MIN;
        job->BildBreiteLinks = job->BildAbstandLinks = INT32_MIN;
        job->BildBreiteRechts = job->BildAbstandRechts = INT32_MIN;
        job->FontFarbe = 0xFFFFFFFFu;
        job->Stil = UpSide;
        list.push_back(job.get());
        ribbons.push_back(std::move(job));
    }
    const QString path = DataFolder() + QStringLiteral("SITZUNG1.INI");
    Figures figures;
    QString error;
    ASSERT_TRUE(SaveRibbonFile(path, list, &error)) << error.toStdString();
    figures.report("longest ribbon list, written");
    const qint64 size = QFileInfo(path).size();
    EXPECT_LE(size, MaxRibbonFileSize);
    EXPECT_GT(size, MaxRibbonFileSize * 99 / 100);  // the limit is what the writer needs

    const RibbonFileResult back = LoadRibbonFile(path);
    figures.report("longest ribbon list, read");
    ASSERT_TRUE(back.ok()) << back.error->text().toStdString();
    ASSERT_EQ(back.ribbons.size(), std::size_t(MaxRibbons));
    const TJob &last = *back.ribbons.back().job;
    EXPECT_EQ(last.TextRight.lines(), ribbons.back()->TextRight.lines());
    EXPECT_EQ(last.Kommission.str(), ribbons.back()->Kommission.str());
    EXPECT_EQ(last.BildAbstandRechts, INT32_MIN);

    // One more is refused with a message, and the file keeps the list it held.
    TJob more;
    list.push_back(&more);
    EXPECT_FALSE(SaveRibbonFile(path, list, &error));
    EXPECT_EQ(
        error,
        QStringLiteral("Mehr als %1 Schleifen; so viele nimmt Vellumo nicht auf").arg(MaxRibbons));
    EXPECT_EQ(QFileInfo(path).size(), size);
}

// A ribbon of 2147483647 mm, as a hand-edited stored format gives it.
std::unique_ptr<TJob> EndlessRibbon() {
    auto job = std::make_unique<TJob>();
    job->Laenge = 2147483647;
    job->FontName.set(QStringLiteral("Arial"));
    job->TextLeft.set({QStringLiteral("Ruhe in Frieden")});
    job->TextRight.set({QStringLiteral("Deine Familie")});
    return job;
}

std::unique_ptr<TJob> OrdinaryRibbon() {
    auto job = std::make_unique<TJob>();
    job->FontName.set(QStringLiteral("Arial"));
    job->TextLeft.set({QStringLiteral("Letzter Gru\u00df")});
    job->TextRight.set({QStringLiteral("Die Nachbarn")});
    return job;
}

TEST_F(ExtremesTest, LengthOfMaxIntEndsThatRibbonsDrawingAndTheOthersGoOn) {
    data_.writeFile(QStringLiteral("RIBOLANT.INI"),
                    "[Format]\r\nAnzahl=1\r\n" + FormatSection(0, "Endlos", "2147483647"));
    SettingsFile settings(SettingsFilePath());
    SettingsFile::setCurrent(&settings);
    const StoredFormatList formats = ReadStoredFormats(settings);
    ASSERT_EQ(formats.size(), 1u);
    ASSERT_EQ(formats[0]->Laenge, 2147483647);
    auto endless = OrdinaryRibbon();
    formats[0]->CopyTo(*endless);  // the format applied to a ribbon with text
    const auto ordinary = OrdinaryRibbon();

    Figures figures;
    for (const auto &[scale, flags] :
         {std::pair(1, int(DrawLeftEnd | DrawRightEnd)), std::pair(8, 31)}) {
        RecordingCanvas alone, after;
        RenderContext context;
        DrawJob(context, *ordinary, alone, scale, flags);
        EXPECT_NO_THROW(DrawJob(context, *endless, after, scale, flags));
        EXPECT_EQ(context.OutlineFont, 0);
        const qsizetype endlessOps = after.ops().size();
        DrawJob(context, *ordinary, after, scale, flags);
        // The next ribbon draws exactly as it would on its own.
        ASSERT_EQ(after.ops().size() - endlessOps, alone.ops().size());
        for (qsizetype i = 0; i < alone.ops().size(); ++i) {
            const CanvasOp &a = alone.ops()[i], &b = after.ops()[endlessOps + i];
            EXPECT_TRUE(a.kind == b.kind && a.points == b.points && a.text == b.text &&
                        a.at == b.at && a.rect == b.rect)
                << "operation " << i << " at scale " << scale;
        }
    }

    // The ribbon list draws each item with its frame; the item after the
    // endless ribbon is drawn as it would be on its own.
    const QRect item(0, 0, 300, JobItemHeight), next(0, JobItemHeight, 300, JobItemHeight);
    RecordingCanvas alone, after;
    const RenderContext context;
    DrawJobItem(context, alone, *ordinary, next, false, 24);
    EXPECT_NO_THROW(DrawJobItem(context, after, *endless, item, true, 24));
    const qsizetype endlessOps = after.ops().size();
    DrawJobItem(context, after, *ordinary, next, false, 24);
    ASSERT_EQ(after.ops().size() - endlessOps, alone.ops().size());
    for (qsizetype i = 0; i < alone.ops().size(); ++i) {
        const CanvasOp &a = alone.ops()[i], &b = after.ops()[endlessOps + i];
        EXPECT_TRUE(a.kind == b.kind && a.points == b.points && a.rect == b.rect &&
                    a.mapping == b.mapping)
            << "list item operation " << i;
    }
    figures.report("Laenge 2147483647, drawn");
}

TEST_F(ExtremesTest, LengthOfMaxIntAbortsThePrintRunOfEveryMethod) {
    const auto ordinary = OrdinaryRibbon();
    const auto endless = EndlessRibbon();
    const std::vector<std::vector<const TJob *>> runs = {
        {ordinary.get(), endless.get(), ordinary.get()},  // in the middle of the run
        {endless.get(), ordinary.get()},                  // first: it fixes the width
    };
    Figures figures;
    for (int methode = 1; methode <= 4; ++methode) {
        for (const auto &jobs : runs) {
            RecordingPrinter printer;
            PrintRun run;
            run.jobs = QVector<const TJob *>(jobs.begin(), jobs.end());
            run.PrintFirst = 0;
            run.PrintLast = int(jobs.size()) - 1;
            RunPrintMethod(printer, run, methode);
            const std::string what = "Methode " + std::to_string(methode) + ", " +
                                     std::to_string(jobs.size()) + " ribbons";
            EXPECT_FALSE(printer.printing()) << what;
            EXPECT_EQ(printer.finishedDocuments(), 0) << what;
            // A document already begun is aborted; none is begun when the
            // endless ribbon comes first.
            EXPECT_LE(printer.abortedDocuments(), 1) << what;
            EXPECT_TRUE(printer.printedPages().empty()) << what;
            figures.report(("Laenge 2147483647, printed, " + what).c_str());
        }
    }
}

QByteArray BmpBytes(int width, int height, int salt) {
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(Qt::white);
    for (int y = 0; y < height; ++y)
        image.setPixel((y * 7 + salt) % width, y, qRgb(0, 0, 0));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

TEST_F(ExtremesTest, PictureFolderOfFiveThousandFilesListsTheBitmapsOnly) {
    QDir().mkpath(data_.filePath(QStringLiteral("Bilder")));
    const QByteArray good = BmpBytes(40, 30, 1);
    int bitmaps = 0;
    for (int i = 0; i < 5000; ++i) {
        const QString base = QStringLiteral("Bilder/Bild%1").arg(i, 4, 10, QLatin1Char('0'));
        switch (i % 10) {
            case 0:  // a download that is no bitmap at all
                data_.writeFile(base + QStringLiteral(".bmp"), "<html>Not found</html>");
                break;
            case 1:  // a bitmap cut off halfway
                data_.writeFile(base + QStringLiteral(".BMP"), good.left(good.size() / 2));
                break;
            case 2:  // other kinds of files
                data_.writeFile(base + QStringLiteral(".jpg"), good);
                break;
            case 3:
                data_.writeFile(base + QStringLiteral(".bmp"), QByteArray());
                break;
            default:
                data_.writeFile(base + (i % 2 ? QStringLiteral(".Bmp") : QStringLiteral(".bmp")),
                                i % 7 ? good : BmpBytes(300, 200, i));
                ++bitmaps;
        }
    }
    Figures figures;
    PictureCatalogue catalogue;
    LoadPictureCatalogue(catalogue);
    figures.report("5000 files in the picture folder, listed");
    ASSERT_EQ(catalogue.files.size(), bitmaps + 1);
    ASSERT_EQ(catalogue.thumbnails.size(), catalogue.files.size());
    EXPECT_TRUE(catalogue.files[0].isEmpty());
    for (const QImage &thumbnail : catalogue.thumbnails)
        EXPECT_EQ(thumbnail.size(), QSize(64, 64));

    // Printing looks pictures up by name among the 5000 files.
    QImage picture;
    LoadPicture(QStringLiteral("bild4997.BMP"), DrawPrintColors, picture);
    EXPECT_EQ(picture.size(), QSize(40, 30));
    LoadPicture(QStringLiteral("Bild4990.bmp"), DrawPrintColors, picture);
    EXPECT_TRUE(picture.isNull());
    figures.report("5000 files in the picture folder, two looked up");
}

}  // namespace
