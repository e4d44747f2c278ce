#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>

#include <sys/resource.h>
#include <cerrno>
#include <csignal>

#include "print/PrintCommand.h"
#include "print/QtPrinter.h"
#include "tests/print/PrintTestSupport.h"
#include "tests/support/PrintNow.h"

namespace {

// Page sizes in millimetres, in page order, as the PDF's MediaBoxes give them.
std::vector<QSizeF> pdfPageSizes(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromLatin1(f.readAll());
    std::vector<QSizeF> sizes;
    static const QRegularExpression box(QStringLiteral(
        "/MediaBox \\[\\s*([-\\d.]+)\\s+([-\\d.]+)\\s+([-\\d.]+)\\s+([-\\d.]+)\\s*\\]"));
    auto it = box.globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        const double w = m.captured(3).toDouble() - m.captured(1).toDouble();
        const double h = m.captured(4).toDouble() - m.captured(2).toDouble();
        sizes.emplace_back(w * 25.4 / 72, h * 25.4 / 72);
    }
    return sizes;
}

// PDF sizes are whole points: compare with that tolerance.
constexpr double kPointMm = 25.4 / 72;

class PdfPrintTest : public ::testing::Test {
protected:
    PrintFixture f;
    QString pdf = f.data.root() + QStringLiteral("/ausgabe.pdf");

    std::vector<QSizeF> print(int methode) {
        f.setDrucker("Methode", methode);
        QtPrinter printer;
        EXPECT_TRUE(printer.selectPrinterByName(QStringLiteral("pdf")));
        printer.setPdfOutputFile(pdf);
        PrintRun run = f.run();
        RunPrintMethod(printer, run);
        EXPECT_FALSE(printer.printing());
        ExpectSoundPdf(pdf);
        return pdfPageSizes(pdf);
    }
};

TEST_F(PdfPrintTest, PageStripsKeepThePrintersOwnLandscapePage) {
    f.addJob(500, 170);
    const auto sizes = print(1);
    ASSERT_EQ(sizes.size(), 2u);  // 500 mm on 297 mm pages
    for (const QSizeF &s : sizes) {
        EXPECT_NEAR(s.width(), 297, kPointMm);
        EXPECT_NEAR(s.height(), 210, kPointMm);
    }
}

TEST_F(PdfPrintTest, PiecesHaveTheirComputedLengths) {
    f.setDrucker("Rand", 40);
    TJob &job = f.addJob(1000, 170);
    job.TextLeft.clear();
    job.TextRight.clear();
    job.TextLeft.set({QString()});  // a line, but no width
    const auto sizes = print(2);
    // Blocks of 50 mm (margin 30 mm + 2 cm), three fillers of 294.6 mm for the
    // 896 mm between, the right block 30 mm longer; every page 2 mm longer.
    const std::vector<double> expected = {52.0, 296.6, 296.6, 296.6, 82.0};
    ASSERT_EQ(sizes.size(), expected.size());
    for (size_t i = 0; i < sizes.size(); ++i) {
        EXPECT_NEAR(sizes[i].width(), expected[i], kPointMm) << "page " << i;
        EXPECT_NEAR(sizes[i].height(), 210, kPointMm);  // the printer's own paper width
    }
}

TEST_F(PdfPrintTest, FittedPiecesAreAsWideAsTheRibbon) {
    f.addJob(1000, 150);
    const auto sizes = print(3);
    ASSERT_GE(sizes.size(), 3u);
    for (const QSizeF &s : sizes)
        EXPECT_NEAR(s.height(), 150, kPointMm);
}

TEST_F(PdfPrintTest, SingleSheetsAreAsLargeAsTheRibbon) {
    f.addJob(1000, 170);
    f.addJob(1500, 170);
    const auto sizes = print(4);
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_NEAR(sizes[0].width(), 1000, kPointMm);
    EXPECT_NEAR(sizes[0].height(), 170, kPointMm);
    EXPECT_NEAR(sizes[1].width(), 1500, kPointMm);
}

TEST_F(PdfPrintTest, AbortedRunLeavesTheOldFileAlone) {
    {
        QFile old(pdf);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("alt");
    }
    f.addJob(1000, 170);
    f.setDrucker("Methode", 4);
    QtPrinter printer;
    ASSERT_TRUE(printer.selectPrinterByName(QStringLiteral("PDF")));
    printer.setPdfOutputFile(pdf);
    printer.setAbortCheck([&printer] { printer.abortDocument(); });
    PrintRun run = f.run();
    RunPrintMethod(printer, run);
    QFile check(pdf);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), QByteArray("alt"));
    EXPECT_EQ(QDir(f.data.root()).entryList(QDir::Files),
              QStringList{QStringLiteral("ausgabe.pdf")});
}

TEST_F(PdfPrintTest, APictureIsEmbeddedOnceHoweverOftenItIsPrinted) {
    QDir().mkpath(f.data.filePath(QStringLiteral("Bilder")));
    QImage rose(300, 200, QImage::Format_RGB32);
    rose.fill(Qt::white);
    for (int x = 50; x < 250; ++x)
        rose.setPixel(x, 100, qRgb(0, 0, 0));
    ASSERT_TRUE(rose.save(f.data.filePath(QStringLiteral("Bilder/Rose.bmp")), "BMP"));

    auto imagesIn = [this](int ribbons) {
        f.jobs.clear();
        for (int i = 0; i < ribbons; ++i) {
            TJob &job = f.addJob(1000, 170);
            job.Shadow = true;
            job.BildNameLinks.set(QStringLiteral("rose.bmp"));  // matched without regard to case
        }
        print(4);
        QFile file(pdf);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll().count("/Subtype /Image");
    };
    const qsizetype one = imagesIn(1);
    EXPECT_GT(one, 0);
    EXPECT_EQ(imagesIn(5), one);
}

// A document that cannot be written says which file and why, and leaves the
// old file and no temporary one behind. Files may grow only so far here,
// which fails the writes as a full disk would, with a reason of its own.
TEST_F(PdfPrintTest, AFailedWriteNamesTheFileAndTheReason) {
    {
        QFile old(pdf);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("alt");
    }
    for (int i = 0; i < 200; ++i)
        f.addJob(1000, 170).TextLeft.set({QStringLiteral("In stiller Trauer %1").arg(i)});
    f.setDrucker("Methode", 4);
    QtPrinter printer;
    ASSERT_TRUE(printer.selectPrinterByName(QStringLiteral("PDF")));
    printer.setPdfOutputFile(pdf);
    PrintRun run = f.run();

    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit saved = limit;
    limit.rlim_cur = 32 * 1024;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    const QString failure = RunPrintMethod(printer, run);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(failure, QStringLiteral("Die PDF-Datei \u201e%1\u201c kann nicht geschrieben werden: "
                                      "Schreibfehler: %2. Nichts wurde ersetzt oder gedruckt.")
                           .arg(QDir::toNativeSeparators(pdf), qt_error_string(EFBIG)))
        << failure.toStdString();
    EXPECT_FALSE(printer.printing());
    QFile check(pdf);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), QByteArray("alt"));
    EXPECT_EQ(QDir(f.data.root()).entryList(QDir::Files),
              QStringList{QStringLiteral("ausgabe.pdf")});
}

// The text of every bundled face can be found and copied, written as text
// and drawn from outlines (with a shadow, whose copy is not read again), in
// every script a name may come in: letters a face lacks come from another.
TEST_F(PdfPrintTest, EveryFacesTextCanBeFound) {
    const QStringList lines = {
        QStringLiteral("Familie Wei\u00DF"),
        QStringLiteral("\u0141ucja D\u0105browska"),
        QStringLiteral("\u015E\u00FCkr\u00FC Y\u0131lmaz"),
        QStringLiteral("\u041E\u043B\u044C\u0433\u0430 \u0428\u043C\u0438\u0434\u0442"),
        QStringLiteral("\u0393\u03B9\u03CE\u03C1\u03B3\u03BF\u03C2"),
    };
    for (const char *face : {"Oldania ADF Std", "EB Garamond", "Dancing Script", "Z003", "C059",
                             "Liberation Sans", "DejaVu Sans", "Nimbus Roman"}) {
        for (int outlines : {0, 1}) {
            f.jobs.clear();
            f.setDrucker("Schriftrahmen", outlines);
            for (const QString &line : lines) {
                TJob &job = f.addJob(1000, 170);
                job.FontName.set(QString::fromLatin1(face));
                job.Shadow = true;
                job.TextLeft.set({line});
            }
            print(4);
            const QString text = PdfText(pdf);
            for (const QString &line : lines)
                EXPECT_EQ(text.count(line), 1)
                    << face << (outlines ? " outlined: " : " plain: ") << line.toStdString()
                    << " in " << text.toStdString();
        }
    }
}

// Ink on the first page of a PDF at 50 dpi: pixels darker than mid-grey.
int PdfInk(const QString &pdf, const QString &stem) {
    QProcess render;
    render.start(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-r"), QStringLiteral("50"), QStringLiteral("-gray"),
                  QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, stem});
    render.waitForFinished(60000);
    const QImage page =
        QImage(stem + QStringLiteral(".png")).convertToFormat(QImage::Format_Grayscale8);
    int ink = 0;
    for (int y = 0; y < page.height(); ++y) {
        const uchar *row = page.constScanLine(y);
        for (int x = 0; x < page.width(); ++x)
            ink += row[x] < 128;
    }
    return ink;
}

// Crosses the blackletter face lacks are printed from the symbol face, as
// text of its embedded subset or as outlines with that text laid over them,
// and read back with the letters around them.
TEST_F(PdfPrintTest, SymbolsTheFaceLacksArePrintedFromTheSymbolFaceAndCanBeFound) {
    const QString words = QStringLiteral("Ruhe in Frieden");
    const QString line = QStringLiteral("\u271D ") + words + QStringLiteral(" \u271D");
    for (int outlines : {0, 1}) {
        SCOPED_TRACE(outlines ? "outlined" : "plain");
        f.setDrucker("Schriftrahmen", outlines);
        int ink[2] = {0, 0};
        for (int crosses : {0, 1}) {
            f.jobs.clear();
            TJob &job = f.addJob(1000, 170);
            job.FontName.set(QStringLiteral("Oldania ADF Std"));
            job.TextLeft.set({crosses ? line : words});
            print(4);
            ink[crosses] = PdfInk(pdf, f.data.filePath(QStringLiteral("seite")));
        }
        EXPECT_EQ(PdfText(pdf).count(line), 1) << PdfText(pdf).toStdString();
        QFile file(pdf);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        static const QRegularExpression embedded(
            QStringLiteral("/FontName /[A-Z]{6}\\+([^\\s/]+)"));
        QStringList faces;
        for (auto it = embedded.globalMatch(QString::fromLatin1(bytes)); it.hasNext();)
            faces << it.next().captured(1);
        faces.removeDuplicates();
        faces.sort();
        EXPECT_EQ(faces.join(QLatin1Char(' ')).toStdString(),
                  "DejaVuSans-Book OldaniaADFStd-Regular");
        // The two crosses bring ink of their own (not only room).
        EXPECT_GT(ink[1], ink[0] + ink[0] / 20) << ink[0] << " " << ink[1];
    }
}

// A long thin picture whose height comes to less than a unit is drawn, not left out.
TEST_F(PdfPrintTest, AThinPictureIsDrawn) {
    QDir().mkpath(f.data.filePath(QStringLiteral("Bilder")));
    QImage rule(5000, 3, QImage::Format_RGB32);
    rule.fill(Qt::black);
    ASSERT_TRUE(rule.save(f.data.filePath(QStringLiteral("Bilder/Linie.bmp")), "BMP"));
    TJob &job = f.addJob(1000, 170);
    job.BildNameLinks.set(QStringLiteral("Linie.bmp"));
    job.BildBreiteLinks = 60;
    print(4);
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_GT(file.readAll().count("/Subtype /Image"), 0);
}

TEST(QtPrinterTest, PdfPrinterIsAlwaysListedAndCupsMediaNamesTheSize) {
    QtPrinter printer;
    EXPECT_TRUE(printer.printers().contains(QtPrinter::PdfPrinterName));
    EXPECT_GE(printer.printerIndex(), 0);
    DeviceSettings s{0, DeviceSettings::Landscape, DeviceSettings::UserDefinedPaper, 2166, 1700};
    EXPECT_EQ(QtPrinter::cupsMedia(s), QStringLiteral("Custom.170x216.6mm"));
    const QPageLayout layout = QtPrinter::pageLayoutFor(s);
    EXPECT_EQ(layout.orientation(), QPageLayout::Landscape);
    EXPECT_NEAR(layout.fullRect(QPageLayout::Millimeter).width(), 216.6, kPointMm);
    s.paperLength = 0;
    EXPECT_THROW(QtPrinter::pageLayoutFor(s), PrinterError);
}

}  // namespace
