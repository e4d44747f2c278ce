#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <cmath>
#include <limits>

#include "print/QtPrinter.h"
#include "print/SpoolPlan.h"
#include "render/RibbonCanvas.h"
#include "tests/print/PrintTestSupport.h"

namespace {

CutOption Cutter(const QList<CutWhen> &whens) {
    CutOption option{QStringLiteral("CutMedia"), QStringLiteral("N"), {}};
    for (CutWhen when : whens) {
        const char *key = when == CutWhen::Never ? "N" : when == CutWhen::AfterPage ? "P" : "J";
        option.choices.append({QString::fromLatin1(key), QString(), when});
    }
    return option;
}

// Pages as letters: the letter is the media, upper case ends a ribbon.
std::vector<SpoolPage> Pages(const char *letters) {
    std::vector<SpoolPage> pages;
    for (const char *c = letters; *c; ++c)
        pages.push_back({QString(QChar(*c).toLower()), QChar(*c).isUpper()});
    return pages;
}

// Jobs as "0-1:J 2:P": page range and cutting choice.
QString Jobs(const std::vector<PlannedJob> &jobs) {
    QStringList parts;
    for (const PlannedJob &job : jobs) {
        QString part = job.first == job.last ? QString::number(job.first)
                                             : QStringLiteral("%1-%2").arg(job.first).arg(job.last);
        if (job.cutChoice)
            part += QLatin1Char(':') + *job.cutChoice;
        parts << part;
    }
    return parts.join(QLatin1Char(' '));
}

TEST(SpoolPlanTest, JobsEndWhereTheCutterCutsAndCarryTheDriversChoice) {
    using W = CutWhen;
    const CutOption all = Cutter({W::Never, W::AfterPage, W::AfterJob});
    const CutOption pageOnly = Cutter({W::Never, W::AfterPage});
    const CutOption jobOnly = Cutter({W::Never, W::AfterJob});
    const CutOption noNever = Cutter({W::AfterPage});
    const CutOption neverOnly = Cutter({W::Never});
    struct Case {
        std::optional<CutOption> option;
        CutMode mode;
        const char *pages;
        const char *jobs;
    };
    const Case cases[] = {
        {std::nullopt, CutMode::AfterRibbon, "aaAbB", "0-2 3-4"},
        {all, CutMode::Never, "aaAbB", "0-2 3-4"},
        {all, CutMode::AfterRibbon, "aAaAbB", "0-1:J 2-3:J 4-5:J"},
        {all, CutMode::AfterRibbon, "aaAaa", "0-2:J 3-4:N"},
        {all, CutMode::AfterRibbon, "aabbB", "0-1:N 2-4:J"},
        {pageOnly, CutMode::AfterRibbon, "aaAbB", "0-1:N 2:P 3:N 4:P"},
        {noNever, CutMode::AfterRibbon, "aaAa", "0-1 2:P 3"},
        {neverOnly, CutMode::AfterRibbon, "aA", "0-1"},
        {all, CutMode::AfterJob, "aAabB", "0-2:N 3-4:J"},
        {pageOnly, CutMode::AfterJob, "aabb", "0-1:N 2:N 3:P"},
        {all, CutMode::AfterPage, "aAbb", "0-1:P 2-3:P"},
        {jobOnly, CutMode::AfterPage, "aab", "0:J 1:J 2:J"},
        {all, CutMode::AfterRibbon, "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.pages << " mode " << int(c.mode));
        EXPECT_EQ(Jobs(PlanSpoolJobs(Pages(c.pages), c.option, c.mode)),
                  QString::fromLatin1(c.jobs));
    }
}

bool HaveTool(const QString &tool) {
    QProcess probe;
    probe.start(tool, {QStringLiteral("-v")});
    return probe.waitForFinished(10000) && probe.exitStatus() == QProcess::NormalExit;
}

QByteArray RunTool(const QString &tool, const QStringList &args, int *exitCode = nullptr) {
    QProcess process;
    process.start(tool, args);
    process.waitForFinished(60000);
    if (exitCode)
        *exitCode = process.exitCode();
    return process.readAllStandardOutput();
}

// Page sizes in points as pdfinfo reports them.
QList<QSizeF> PageSizes(const QString &pdf) {
    const QString info = QString::fromLatin1(
        RunTool(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                            QStringLiteral("-l"), QStringLiteral("999"), pdf}));
    static const QRegularExpression size(
        QStringLiteral("Page\\s+\\d+ size:\\s+([\\d.]+) x ([\\d.]+) pts"));
    QList<QSizeF> sizes;
    for (auto it = size.globalMatch(info); it.hasNext();) {
        const auto m = it.next();
        sizes.append(QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()));
    }
    return sizes;
}

DeviceSettings Landscape(int lengthTenths, int widthTenths) {
    return DeviceSettings{0, DeviceSettings::Landscape, DeviceSettings::UserDefinedPaper,
                          std::int16_t(lengthTenths), std::int16_t(widthTenths)};
}

// Prints one page per entry; a page marked true ends a ribbon. Every page
// carries words (the same letters on all pages), a picture of its own and a
// bar from its start to its end.
void PrintPages(QtPrinter &printer, const std::vector<std::pair<DeviceSettings, bool>> &pages) {
    bool first = true;
    quint32 noise = 1;
    for (const auto &[settings, ribbonEnd] : pages) {
        printer.setDeviceSettings(settings);
        printer.resetPageContext();
        if (first)
            printer.beginDocument();
        else
            printer.newPage();
        first = false;
        RibbonCanvas &canvas = printer.canvas();
        const PageMetrics m = printer.metrics();
        canvas.textOut(200, 100, QStringLiteral("Ruhe in Frieden"));
        QImage picture(64, 64, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                noise = noise * 1664525u + 1013904223u;
                picture.setPixel(x, y, noise >> 8);
            }
        }
        canvas.stretchBitmap(QRect(300, 300, 640, 640), picture, RasterOp::Copy);
        canvas.fillRect(QRect(0, m.VR / 2, m.HR, 40), RgbColor(0, 0, 0));
        if (ribbonEnd)
            printer.noteRibbonEnd();
    }
    printer.endDocument();
}

// A printer on a queue of its own whose jobs are kept in `folder`.
struct CapturingPrinter {
    explicit CapturingPrinter(const QString &folder) : printer({QStringLiteral("Rolle")}) {
        EXPECT_TRUE(printer.selectPrinterByName(QStringLiteral("Rolle")));
        printer.setDocumentName(QStringLiteral("Vellumo"));
        printer.setJobSubmitter([this, folder](const QtPrinter::SpoolJob &job) {
            if (refuseFrom > 0 && int(jobs.size()) + 1 >= refuseFrom)
                throw PrinterError(QStringLiteral("Warteschlange voll."));
            QtPrinter::SpoolJob kept = job;
            kept.file = QDir(folder).filePath(QStringLiteral("job%1.pdf").arg(jobs.size() + 1));
            QFile::remove(kept.file);
            EXPECT_TRUE(QFile::copy(job.file, kept.file));
            jobs.push_back(kept);
        });
    }
    void print(const std::vector<std::pair<DeviceSettings, bool>> &pages) {
        PrintPages(printer, pages);
    }
    QString option(int job, const QByteArray &name) const {
        for (const auto &[key, value] : jobs[std::size_t(job)].options) {
            if (key == name)
                return QString::fromLatin1(value);
        }
        return QStringLiteral("(none)");
    }

    QtPrinter printer;
    std::vector<QtPrinter::SpoolJob> jobs;
    int refuseFrom = 0;
};

TEST(QtPrinterSpoolTest, EachJobIsAPdfOfItsOwnPagesWithItsTitleMediaAndCut) {
    PrintFixture f;
    const QString folder = f.data.root();
    const DeviceSettings long500 = Landscape(5000, 1500);
    const DeviceSettings short300 = Landscape(3000, 1500);
    const std::vector<std::pair<DeviceSettings, bool>> pages = {
        {long500, false}, {long500, true}, {short300, false}, {short300, false}, {long500, true}};

    // The whole document, as the PDF printer writes it.
    QtPrinter pdfPrinter;
    ASSERT_TRUE(pdfPrinter.selectPrinterByName(QtPrinter::PdfPrinterName));
    const QString whole = QDir(folder).filePath(QStringLiteral("whole.pdf"));
    pdfPrinter.setPdfOutputFile(whole);
    pdfPrinter.setDocumentName(QStringLiteral("Vellumo"));
    PrintPages(pdfPrinter, pages);
    const qint64 wholeBytes = QFileInfo(whole).size();
    ASSERT_GT(wholeBytes, 0);

    CapturingPrinter roll(folder);
    roll.printer.setCutting(Cutter({CutWhen::Never, CutWhen::AfterPage, CutWhen::AfterJob}),
                            CutMode::AfterRibbon);
    roll.print(pages);
    ASSERT_EQ(roll.jobs.size(), 3u);
    const int expectedPages[] = {2, 2, 1};
    const char *media[] = {"Custom.150x500mm", "Custom.150x300mm", "Custom.150x500mm"};
    const char *cut[] = {"J", "N", "J"};
    qint64 spooled = 0;
    const bool tools = HaveTool(QStringLiteral("qpdf")) && HaveTool(QStringLiteral("pdfinfo")) &&
                       HaveTool(QStringLiteral("pdftotext"));
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        const QtPrinter::SpoolJob &job = roll.jobs[std::size_t(k)];
        EXPECT_EQ(job.title, QStringLiteral("Vellumo %1/3").arg(k + 1));
        EXPECT_EQ(job.pages, expectedPages[k]);
        EXPECT_EQ(job.bytes, QFileInfo(job.file).size());
        EXPECT_EQ(roll.option(k, "media"), QString::fromLatin1(media[k]));
        EXPECT_EQ(roll.option(k, "print-scaling"), QStringLiteral("none"));
        EXPECT_EQ(roll.option(k, "CutMedia"), QString::fromLatin1(cut[k]));
        EXPECT_EQ(roll.option(k, "page-ranges"), QStringLiteral("(none)"));
        spooled += job.bytes;
        if (!tools)
            continue;
        int exitCode = -1;
        const QByteArray check =
            RunTool(QStringLiteral("qpdf"), {QStringLiteral("--check"), job.file}, &exitCode);
        EXPECT_EQ(exitCode, 0) << check.toStdString();
        const QList<QSizeF> sizes = PageSizes(job.file);
        ASSERT_EQ(sizes.size(), expectedPages[k]);
        for (const QSizeF &size : sizes) {
            EXPECT_NEAR(size.width() * 25.4 / 72, k == 1 ? 300 : 500, 0.5);
            EXPECT_NEAR(size.height() * 25.4 / 72, 150, 0.5);
        }
        // Its pages' words and pictures, none of the other jobs'.
        EXPECT_EQ(PdfText(job.file).count(QStringLiteral("Ruhe in Frieden")), expectedPages[k]);
        QFile file(job.file);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll().count("/Subtype /Image"), expectedPages[k]);
    }
    // The letters all pages share are in every job; the pages are not.
    EXPECT_LT(spooled, wholeBytes * 5 / 4);
    EXPECT_GT(spooled, wholeBytes);

    // A single job keeps the document's name; a queue that refuses the
    // second job is reported with the first already queued.
    CapturingPrinter plain(folder);
    plain.print({{long500, true}, {long500, true}});
    ASSERT_EQ(plain.jobs.size(), 1u);
    EXPECT_EQ(plain.jobs[0].title, QStringLiteral("Vellumo"));
    EXPECT_EQ(plain.option(0, "CutMedia"), QStringLiteral("(none)"));

    // The queue's files cannot be written: nothing reaches the queue, and the
    // message says why. Their folder is taken away once the document has
    // begun, a file in its place (not even root writes there).
    CapturingPrinter unwritable(folder);
    unwritable.printer.setDeviceSettings(long500);
    unwritable.printer.resetPageContext();
    const QByteArray tmpdir = qgetenv("TMPDIR");
    const QString spool = QDir(folder).filePath(QStringLiteral("spool"));
    ASSERT_TRUE(QDir().mkpath(spool));
    qputenv("TMPDIR", QFile::encodeName(spool));
    unwritable.printer.beginDocument();
    ASSERT_TRUE(QDir().rename(spool, spool + QStringLiteral(".away")));
    QFile(spool).open(QIODevice::WriteOnly);
    try {
        unwritable.printer.endDocument();
        ADD_FAILURE() << "no error";
    } catch (const PrinterError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("Nichts wurde gedruckt"))) << e.what();
    }
    if (tmpdir.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", tmpdir);
    EXPECT_TRUE(unwritable.jobs.empty());

    CapturingPrinter refusing(folder);
    refusing.refuseFrom = 2;
    try {
        refusing.print(pages);
        ADD_FAILURE() << "no error";
    } catch (const PrinterError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("Vellumo 2/3"))) << e.what();
        EXPECT_TRUE(e.message().contains(QStringLiteral("Auftrag 1 von 3 ist schon"))) << e.what();
    }
    EXPECT_EQ(refusing.jobs.size(), 1u);
}

TEST(QtPrinterSpoolTest, TheLengthFactorStretchesPagesAndDrawingButNotThePlan) {
    PrintFixture f;
    const DeviceSettings page = Landscape(2000, 500);
    CapturingPrinter plain(f.data.root());
    const PageMetrics planned = plain.printer.pageMetrics(page);
    struct Case {
        double factor;
        const char *media;
    };
    const Case cases[] = {{1.004, "Custom.50x200.8mm"},
                          {0.95, "Custom.50x190mm"},
                          {1.2, "Custom.50x200mm"},
                          {0.5, "Custom.50x200mm"},
                          {std::numeric_limits<double>::quiet_NaN(), "Custom.50x200mm"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.factor);
        CapturingPrinter roll(f.data.root());
        roll.printer.setLengthFactor(c.factor);
        roll.printer.setDeviceSettings(page);
        EXPECT_EQ(roll.printer.pageMetrics(page), planned);
        PageMetrics measured;
        roll.printer.informationContext(&measured);
        EXPECT_EQ(measured, planned);
        roll.print({{page, true}});
        ASSERT_EQ(roll.jobs.size(), 1u);
        EXPECT_EQ(roll.option(0, "media"), QString::fromLatin1(c.media));
    }

    if (!HaveTool(QStringLiteral("pdftoppm")) || !HaveTool(QStringLiteral("pdfinfo")))
        GTEST_SKIP() << "pdftoppm or pdfinfo is missing";
    CapturingPrinter roll(f.data.root());
    roll.printer.setLengthFactor(1.004);
    roll.printer.setDeviceSettings(page);
    roll.printer.resetPageContext();
    roll.printer.beginDocument();
    const PageMetrics m = roll.printer.metrics();
    EXPECT_EQ(m, planned);
    // Bars from the page's start to 200 mm (upper half) and to 100 mm (lower).
    const int mm100 = int(std::lround(100 / 25.4 * QtPrinter::Resolution));
    roll.printer.canvas().fillRect(QRect(0, 0, 2 * mm100, m.VR / 2), RgbColor(0, 0, 0));
    roll.printer.canvas().fillRect(QRect(0, m.VR / 2, mm100, m.VR - m.VR / 2), RgbColor(0, 0, 0));
    roll.printer.endDocument();
    ASSERT_EQ(roll.jobs.size(), 1u);
    const QList<QSizeF> sizes = PageSizes(roll.jobs[0].file);
    ASSERT_EQ(sizes.size(), 1);
    EXPECT_NEAR(sizes[0].width() * 25.4 / 72, 200.8, 25.4 / 72);
    EXPECT_NEAR(sizes[0].height() * 25.4 / 72, 50, 25.4 / 72);

    // At 254 dpi a pixel is a tenth of a millimetre.
    const QString png = QDir(f.data.root()).filePath(QStringLiteral("stretched"));
    RunTool(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("254"), QStringLiteral("-gray"),
             QStringLiteral("-singlefile"), QStringLiteral("-png"), roll.jobs[0].file, png});
    const QImage image(png + QStringLiteral(".png"));
    ASSERT_FALSE(image.isNull());
    const auto inkEnd = [&image](int y) {
        int end = -1;
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128)
                end = x;
        }
        return end;
    };
    EXPECT_NEAR(inkEnd(image.height() * 3 / 4), 1004, 1.5);  // 100 mm drawn, 100.4 mm printed
    EXPECT_GE(inkEnd(image.height() / 4), 2004);             // 200 mm drawn reaches the page's end
    EXPECT_GE(image.width(), 2004);
}

}  // namespace

namespace {

// The folder a queue's files go to: the temporary folder where it is one we
// may write into, else /tmp (here: a folder of the test's), else a message
// naming both.
TEST(QtPrinterSpoolTest, JobFilesGoToAFolderThatTakesThem) {
    PrintFixture f;
    const QDir root(f.data.root());
    ASSERT_TRUE(root.mkpath(QStringLiteral("temp")));
    ASSERT_TRUE(root.mkpath(QStringLiteral("fallback")));
    f.data.writeFile(QStringLiteral("file"), "not a folder");
    const QString temp = root.filePath(QStringLiteral("temp"));
    const QString fallback = root.filePath(QStringLiteral("fallback"));
    const QString file = root.filePath(QStringLiteral("file"));
    const QString missing = root.filePath(QStringLiteral("missing"));
    struct Case {
        QString preferred;
        QString fallback;
        QString expected;  // empty: refused
    };
    const Case cases[] = {
        {temp, fallback, temp},          {file, fallback, fallback}, {missing, fallback, fallback},
        {QString(), fallback, fallback}, {file, missing, QString()}, {QString(), file, QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(qPrintable(c.preferred + QStringLiteral(" | ") + c.fallback));
        if (!c.expected.isEmpty()) {
            EXPECT_EQ(QtPrinter::JobFolder(c.preferred, c.fallback), c.expected);
            continue;
        }
        try {
            QtPrinter::JobFolder(c.preferred, c.fallback);
            ADD_FAILURE() << "no folder refused";
        } catch (const PrinterError &e) {
            EXPECT_TRUE(e.message().contains(QStringLiteral("\u201e%1\u201c").arg(c.fallback)))
                << qPrintable(e.message());
            EXPECT_TRUE(e.message().contains(QStringLiteral("\u201e%1\u201c").arg(c.preferred)))
                << qPrintable(e.message());
        }
    }
}

// TMPDIR naming a file: the queue's job still goes out, from /tmp.
TEST(QtPrinterSpoolTest, AJobFileNeverLandsBesideATmpdirThatIsNoFolder) {
    PrintFixture f;
    f.data.writeFile(QStringLiteral("not-a-folder"), "x");
    const QByteArray saved = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(f.data.filePath(QStringLiteral("not-a-folder"))));
    QtPrinter printer({QStringLiteral("Rolle")});
    ASSERT_TRUE(printer.selectPrinterByName(QStringLiteral("Rolle")));
    QStringList folders;
    printer.setJobSubmitter(
        [&](const QtPrinter::SpoolJob &job) { folders << QFileInfo(job.file).path(); });
    PrintPages(printer, {{Landscape(3000, 1500), true}});
    if (saved.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", saved);
    EXPECT_EQ(folders, QStringList{QStringLiteral("/tmp")});
}

}  // namespace
