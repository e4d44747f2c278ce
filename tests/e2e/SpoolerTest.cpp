// Printing through a real CUPS scheduler: spooler_test.sh starts a private
// cupsd with two cups-pdf queues and runs this program with CUPS_SERVER
// pointing at it, VELLUMO_E2E_QUEUE naming the queue that keeps the text
// readable, VELLUMO_E2E_QUEUE_GS the one with the spooler's own conversion, and
// VELLUMO_E2E_OUT the folder cups-pdf writes to. Every run is printed twice,
// once through a queue and once by the PDF printer, whose pages are what the
// program drew; what the spooler wrote must have the same pages, sizes, words
// and ink.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <algorithm>
#include <climits>
#include <map>
#include <memory>

#include <cups/cups.h>

#include "model/Job.h"
#include "model/SettingsFile.h"
#include "print/PrintCommand.h"
#include "print/PrintRun.h"
#include "print/QtPrinter.h"
#include "print/QueueCapabilities.h"
#include "tests/e2e/PdfPages.h"
#include "tests/support/PrintNow.h"
#include "tests/support/TempDataFolder.h"

namespace {

constexpr int kSpoolTimeoutMs = 180000;
constexpr int kQueueTimeoutMs = 10000;
constexpr int kCompareDpi = 50;

const QString kLeftText = QStringLiteral("Ruhe in Frieden");
const QString kRightText = QStringLiteral("Deine Familie");
const QString kCommission = QStringLiteral("Auftrag 4711");

QString Env(const char *name) {
    return QString::fromLocal8Bit(qgetenv(name));
}

struct SpooledJob {
    int id = 0;
    QString title;
    ipp_jstate_t state = IPP_JSTATE_PENDING;
};

// Jobs of the queue with an id above `after`, in id order. A scheduler that
// does not answer is an error.
std::vector<SpooledJob> JobsAfter(const QString &queue, int after, QString *error) {
    cups_job_t *jobs = nullptr;
    const QByteArray name = queue.toUtf8();
    const int count =
        cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, name.constData(), 0, CUPS_WHICHJOBS_ALL);
    if (count < 0)
        *error = QStringLiteral("no answer from the scheduler: %1")
                     .arg(QString::fromUtf8(cupsLastErrorString()));
    std::vector<SpooledJob> result;
    for (int i = 0; i < count; ++i) {
        if (jobs[i].id > after)
            result.push_back({jobs[i].id, QString::fromUtf8(jobs[i].title), jobs[i].state});
    }
    cupsFreeJobs(count, jobs);
    std::sort(result.begin(), result.end(),
              [](const SpooledJob &a, const SpooledJob &b) { return a.id < b.id; });
    return result;
}

int LastJobId(const QString &queue, QString *error) {
    const auto jobs = JobsAfter(queue, 0, error);
    return jobs.empty() ? 0 : jobs.back().id;
}

bool Finished(const SpooledJob &job) {
    return job.state == IPP_JSTATE_COMPLETED || job.state == IPP_JSTATE_ABORTED ||
           job.state == IPP_JSTATE_CANCELED;
}

QString Describe(const std::vector<SpooledJob> &jobs) {
    QStringList parts;
    for (const SpooledJob &job : jobs)
        parts << QStringLiteral("job %1 state %2").arg(job.id).arg(int(job.state));
    return parts.join(QStringLiteral(", "));
}

// The whole words of a page that the test's ribbons and marks are made of, in
// sorted order. Pieces of words cut by a page edge are left out: which of
// their letters count as on the page is the text extractor's guess.
QStringList RibbonWords(const PdfPage &page) {
    static const QStringList vocabulary =
        (kLeftText + QLatin1Char(' ') + kRightText + QLatin1Char(' ') + kCommission +
         QStringLiteral(" A: mm E"))
            .split(QLatin1Char(' '));
    QStringList words = page.words();
    words.removeIf([](const QString &w) { return !vocabulary.contains(w); });
    return words;
}

// Whether every word of a phrase is on the page (turned text comes out of the
// extractor in an order of its own).
bool Shows(const PdfPage &page, const QString &phrase) {
    const QStringList words = page.words();
    const QStringList wanted = phrase.split(QLatin1Char(' '));
    return std::all_of(wanted.begin(), wanted.end(),
                       [&words](const QString &w) { return words.contains(w); });
}

// The spooler's portrait page turned back into the landscape page it was
// drawn as: the landscape page's left edge lies along the bottom.
QImage TurnedBack(const QImage &spooled) {
    const int length = spooled.height();
    QImage landscape(length, spooled.width(), QImage::Format_Grayscale8);
    for (int y = 0; y < landscape.height(); ++y) {
        uchar *row = landscape.scanLine(y);
        for (int x = 0; x < length; ++x)
            row[x] = spooled.constScanLine(length - 1 - x)[y];
    }
    return landscape;
}

// Where a page carries ink, in pixels, leaving out a thin border where
// hairlines along the page's edge fall in or out by a fraction of a point.
struct Ink {
    long count = 0;
    QRect box;
    QPointF centre;
};

Ink InkOf(const QImage &image) {
    constexpr int border = 3;
    Ink ink;
    // The centre weighs every pixel by its darkness: a converter that smooths
    // edges a little differently moves no edge pixel across a threshold then.
    double sx = 0, sy = 0, weight = 0;
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
    for (int y = border; y < image.height() - border; ++y) {
        const uchar *row = image.constScanLine(y);
        for (int x = border; x < image.width() - border; ++x) {
            const double dark = 255 - row[x];
            sx += x * dark;
            sy += y * dark;
            weight += dark;
            if (row[x] >= 128)
                continue;
            ++ink.count;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (ink.count > 0) {
        ink.box = QRect(QPoint(left, top), QPoint(right, bottom));
        ink.centre = QPointF(sx / weight, sy / weight);
    }
    return ink;
}

// Ink of the page as drawn and as printed, at kCompareDpi (a pixel is half a
// millimetre): the same amount within 5 %, its extent and (where there is
// enough of it to say) its centre within a millimetre. The converted fonts
// and the whole-point page sizes account for less than a pixel.
void ExpectSameInk(const Ink &drawn, const Ink &printed) {
    EXPECT_NEAR(double(printed.count), double(drawn.count),
                std::max(10.0, 0.05 * double(drawn.count)));
    if (drawn.count == 0 || printed.count == 0)
        return;
    constexpr int kPixels = 2;
    EXPECT_NEAR(printed.box.left(), drawn.box.left(), kPixels);
    EXPECT_NEAR(printed.box.right(), drawn.box.right(), kPixels);
    EXPECT_NEAR(printed.box.top(), drawn.box.top(), kPixels);
    EXPECT_NEAR(printed.box.bottom(), drawn.box.bottom(), kPixels);
    if (drawn.count >= 200) {
        EXPECT_NEAR(printed.centre.x(), drawn.centre.x(), kPixels);
        EXPECT_NEAR(printed.centre.y(), drawn.centre.y(), kPixels);
    }
}

class SpoolerTest : public ::testing::Test {
protected:
    void SetUp() override {
        queue = Env("VELLUMO_E2E_QUEUE");
        gsQueue = Env("VELLUMO_E2E_QUEUE_GS");
        outDir = Env("VELLUMO_E2E_OUT");
        ASSERT_FALSE(queue.isEmpty() || gsQueue.isEmpty() || outDir.isEmpty() ||
                     Env("CUPS_SERVER").isEmpty())
            << "run this program through tests/e2e/spooler_test.sh, which starts the scheduler";
        settings = std::make_unique<SettingsFile>(data.filePath(QStringLiteral("RIBOLANT.INI")));
        SettingsFile::setCurrent(settings.get());
        // Plain text rather than glyph outlines, so that pdftotext can read the words.
        setDrucker("Schriftrahmen", 0);
    }
    void TearDown() override { SettingsFile::setCurrent(nullptr); }

    void setDrucker(const char *key, int value) {
        settings->writeInteger(QStringLiteral("Drucker"), QString::fromLatin1(key), value);
    }

    TJob &addJob(int laenge, int breite, int stil = Align) {
        auto job = std::make_unique<TJob>();
        job->Laenge = laenge;
        job->Breite = breite;
        job->Stil = stil;
        job->Flip = false;
        job->Shadow = false;
        job->FontGroesse = 40;
        job->FontName.set(QStringLiteral("Arial"));
        job->TextLeft.set({kLeftText});
        job->TextRight.set({kRightText});
        job->Kommission.set(kCommission);
        jobs.push_back(std::move(job));
        return *jobs.back();
    }

    PrintRun run() const {
        PrintRun r;
        for (const auto &job : jobs)
            r.jobs.append(job.get());
        r.PrintFirst = 0;
        r.PrintLast = int(jobs.size()) - 1;
        return r;
    }

    // The pages as the program draws them: the same run on the PDF printer.
    std::vector<PdfPage> printReference() {
        const QString pdf = data.root() + QStringLiteral("/reference.pdf");
        QFile::remove(pdf);
        QtPrinter printer;
        EXPECT_TRUE(printer.selectPrinterByName(QtPrinter::PdfPrinterName));
        printer.setPdfOutputFile(pdf);
        PrintRun r = run();
        RunPrintMethod(printer, r);
        QString error;
        auto pages = ReadPdfPages(pdf, &error);
        EXPECT_FALSE(pages.empty()) << error.toStdString();
        return pages;
    }

    // The pages cups-pdf wrote for the same run sent to the queue, job by job.
    std::vector<PdfPage> printSpooled(int *jobCount = nullptr) {
        return printSpooledOn(queue, jobCount);
    }
    std::vector<PdfPage> printSpooledOn(const QString &queue, int *jobCount = nullptr) {
        QtPrinter printer;
        EXPECT_TRUE(printer.selectPrinterByName(queue))
            << "queue not listed: " << queue.toStdString();
        QString error;
        const int before = LastJobId(queue, &error);
        if (!error.isEmpty()) {
            ADD_FAILURE() << error.toStdString();
            return {};
        }
        PrintRun r = run();
        RunPrintMethod(printer, r);
        EXPECT_FALSE(printer.aborted());

        std::vector<SpooledJob> spooled;
        QElapsedTimer timer;
        timer.start();
        for (;;) {
            spooled = JobsAfter(queue, before, &error);
            if (!error.isEmpty()) {
                ADD_FAILURE() << error.toStdString();
                return {};
            }
            if (!spooled.empty() && std::all_of(spooled.begin(), spooled.end(), Finished))
                break;
            // The jobs are queued before the print method returns.
            if (spooled.empty() && timer.elapsed() > kQueueTimeoutMs) {
                ADD_FAILURE() << "no job reached the queue";
                return {};
            }
            if (timer.elapsed() > kSpoolTimeoutMs) {
                ADD_FAILURE() << "the spooler did not finish within " << kSpoolTimeoutMs / 1000
                              << " s: " << Describe(spooled).toStdString();
                return {};
            }
            QThread::msleep(200);
        }
        if (jobCount)
            *jobCount = int(spooled.size());

        // cups-pdf names each file "<title>-job_<id>.pdf".
        std::map<int, QString> files;
        static const QRegularExpression jobFile(QStringLiteral("-job_(\\d+)\\.pdf$"));
        for (const QFileInfo &fi : QDir(outDir).entryInfoList(QDir::Files)) {
            const auto m = jobFile.match(fi.fileName());
            if (m.hasMatch())
                files[m.captured(1).toInt()] = fi.absoluteFilePath();
        }
        std::vector<PdfPage> pages;
        for (std::size_t k = 0; k < spooled.size(); ++k) {
            const SpooledJob &job = spooled[k];
            EXPECT_EQ(job.state, IPP_JSTATE_COMPLETED) << "job " << job.id;
            EXPECT_EQ(job.title,
                      spooled.size() == 1
                          ? QStringLiteral("Vellumo")
                          : QStringLiteral("Vellumo %1/%2").arg(k + 1).arg(spooled.size()))
                << "job " << job.id;
            const auto file = files.find(job.id);
            if (file == files.end()) {
                ADD_FAILURE() << "cups-pdf wrote nothing for job " << job.id;
                continue;
            }
            QString readError;
            const auto jobPages = ReadPdfPages(file->second, &readError);
            EXPECT_FALSE(jobPages.empty()) << readError.toStdString();
            pages.insert(pages.end(), jobPages.begin(), jobPages.end());
        }
        return pages;
    }

    // The spooler puts each landscape page onto its portrait media: the page's
    // length runs down the output page. Every word must have survived (unless
    // the conversion made the text unreadable). The PDF printer rounds sizes to
    // whole points, cups-pdf cuts them to whole points.
    static void ExpectSamePages(const std::vector<PdfPage> &reference,
                                const std::vector<PdfPage> &spooled, bool readable = true) {
        ASSERT_EQ(spooled.size(), reference.size());
        for (size_t i = 0; i < reference.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "page " << i + 1);
            EXPECT_NEAR(spooled[i].widthMm, reference[i].heightMm, 1.5 * kPointMm);
            EXPECT_NEAR(spooled[i].heightMm, reference[i].widthMm, 1.5 * kPointMm);
            if (readable) {
                EXPECT_EQ(RibbonWords(spooled[i]), RibbonWords(reference[i]));
            }
            // Same ink in the same places: nothing scaled, shifted or lost.
            QString error;
            const QImage drawn = RenderPdfPage(reference[i], kCompareDpi, &error);
            const QImage printed = RenderPdfPage(spooled[i], kCompareDpi, &error);
            ASSERT_FALSE(drawn.isNull() || printed.isNull()) << error.toStdString();
            ExpectSameInk(InkOf(drawn), InkOf(TurnedBack(printed)));
        }
    }

    QString queue;
    QString gsQueue;
    QString outDir;
    TempDataFolder data;
    std::unique_ptr<SettingsFile> settings;
    std::vector<std::unique_ptr<TJob>> jobs;
};

TEST_F(SpoolerTest, TheSchedulersQueueIsListedWithItsDriversPaper) {
    // A new printer has asked CUPS nothing yet; the queues come when listed.
    QtPrinter printer;
    EXPECT_EQ(printer.printers(), QStringList{QtPrinter::PdfPrinterName});
    printer.listQueues();
    QStringList listed = printer.printers();
    ASSERT_FALSE(listed.isEmpty());
    EXPECT_EQ(listed.takeLast(), QtPrinter::PdfPrinterName);
    listed.sort();
    EXPECT_EQ(listed, (QStringList{queue, gsQueue}));
    ASSERT_TRUE(printer.selectPrinterByName(queue.toUpper()));
    DeviceSettings s;
    ASSERT_TRUE(printer.deviceSettings(&s));
    EXPECT_EQ(s.paperSize, 9);  // A4, the queue's default
    EXPECT_EQ(s.paperLength, 2970);
    EXPECT_EQ(s.paperWidth, 2100);
}

bool RunCupsTool(const QString &tool, const QStringList &arguments) {
    QProcess process;
    process.start(tool, QStringList{QStringLiteral("-h"), Env("CUPS_SERVER")} + arguments);
    return process.waitForFinished(kQueueTimeoutMs) &&
           process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// A label printer's queue with one of CUPS's own drivers (zebra.ppd), removed
// again with its jobs however the test ends.
struct LabelQueue {
    explicit LabelQueue(const QString &name) : name(name) {
        added = RunCupsTool(QStringLiteral("lpadmin"),
                            {QStringLiteral("-p"), name, QStringLiteral("-v"),
                             QStringLiteral("socket://127.0.0.1:9"), QStringLiteral("-m"),
                             QStringLiteral("drv:///sample.drv/zebra.ppd")});
    }
    ~LabelQueue() {
        if (added)
            RunCupsTool(QStringLiteral("lpadmin"), {QStringLiteral("-x"), name});
    }
    QString name;
    bool added = false;
};

// A job's attributes as the scheduler keeps them: name, value(s) as text.
std::map<QString, QString> JobAttributes(int id) {
    ipp_t *request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    const QByteArray uri = QStringLiteral("ipp://localhost/jobs/%1").arg(id).toUtf8();
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.constData());
    std::map<QString, QString> attributes;
    ipp_t *response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    for (ipp_attribute_t *a = ippFirstAttribute(response); a; a = ippNextAttribute(response)) {
        if (!ippGetName(a))
            continue;
        char value[1024];
        ippAttributeString(a, value, sizeof value);
        attributes[QString::fromUtf8(ippGetName(a))] = QString::fromUtf8(value);
    }
    ippDelete(response);
    return attributes;
}

// A label printer's queue is asked what its driver can do.
TEST_F(SpoolerTest, AQueuesDriverTellsItsFreeSizesMarginsAndCutter) {
    const LabelQueue labelQueue(queue + QStringLiteral("-label"));
    ASSERT_TRUE(labelQueue.added);
    const QString &label = labelQueue.name;

    const QueueCapabilities zebra = ReadQueueCapabilities(label);
    ASSERT_TRUE(zebra.known);
    ASSERT_TRUE(zebra.customRange.has_value());
    EXPECT_EQ(zebra.customRange->minWidth, 12.7);  // 36 points
    EXPECT_EQ(zebra.customRange->maxWidth, 203.2);
    EXPECT_EQ(zebra.customRange->maxLength, 1270);  // 3600 points
    ASSERT_TRUE(zebra.margins.has_value());
    EXPECT_EQ(
        zebra.margins->left + zebra.margins->bottom + zebra.margins->right + zebra.margins->top, 0);
    ASSERT_EQ(zebra.cutOptions.size(), 1);
    EXPECT_EQ(zebra.cutOptions[0].name, QStringLiteral("zePrintMode"));
    EXPECT_EQ(QueueCapabilitiesSummary(zebra),
              QStringLiteral("Seite bis 203,2 × 1270 mm, Rand 0 mm, schneidet nach jedem Blatt"));

    // cups-pdf takes any size up to 100000 points, and does not cut.
    EXPECT_EQ(QueueCapabilitiesSummary(ReadQueueCapabilities(queue)),
              QStringLiteral("Seite bis 35277,7 × 35277,7 mm, Rand 0 mm"));
    EXPECT_FALSE(ReadQueueCapabilities(queue + QStringLiteral("-missing")).known);
}

// Ribbons in pieces on a label printer that cuts after a page: each ribbon's
// last piece is a job of its own that is cut, the pieces before it are torn
// off; every job holds only its own pages, of its media. The queue is
// stopped, so the jobs wait with the scheduler as they were handed over.
TEST_F(SpoolerTest, ARollPrintersJobsHoldTheirPagesMediaAndCut) {
    const LabelQueue label(queue + QStringLiteral("-roll"));
    ASSERT_TRUE(label.added);
    ASSERT_TRUE(RunCupsTool(QStringLiteral("cupsaccept"), {label.name}));
    ASSERT_TRUE(RunCupsTool(QStringLiteral("cupsdisable"), {label.name}));
    const QueueCapabilities zebra = ReadQueueCapabilities(label.name);
    ASSERT_FALSE(zebra.cutOptions.isEmpty());
    const CutOption cutter = zebra.cutOptions.first();

    setDrucker("Methode", 3);
    setDrucker("MaxLaenge", 20000);  // typed: fillers up to 2 m
    addJob(3000, 100);
    addJob(700, 100);
    // The queue's pages are at most 1270 mm long: the 3 m ribbon's pieces keep to that.
    PrintSettings settings = PrintSettingsNow();
    settings.limits = PageLimitsFor(zebra);
    const RenderContext context = RenderContext::FromSettings(SettingsFile::current());
    const QString referencePdf = data.root() + QStringLiteral("/roll-reference.pdf");
    {
        QtPrinter pdf;
        ASSERT_TRUE(pdf.selectPrinterByName(QtPrinter::PdfPrinterName));
        pdf.setPdfOutputFile(referencePdf);
        PrintRun r = run();
        ASSERT_TRUE(RunPrintMethod(pdf, r, settings, context).isEmpty());
    }
    QString error;
    const auto reference = ReadPdfPages(referencePdf, &error);
    ASSERT_FALSE(reference.empty()) << error.toStdString();
    double longest = 0;
    for (const PdfPage &page : reference)
        longest = std::max(longest, page.widthMm);
    EXPECT_LE(longest, 1270 + kPointMm);
    EXPECT_GT(longest, 1000);  // the queue's limit, not the typed one, cut the fillers

    QtPrinter printer;
    ASSERT_TRUE(printer.selectPrinterByName(label.name));
    printer.setCutting(cutter, CutMode::AfterRibbon);
    const int before = LastJobId(label.name, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    PrintRun r = run();
    EXPECT_TRUE(RunPrintMethod(printer, r, settings, context).isEmpty());
    const std::vector<SpooledJob> spooled = JobsAfter(label.name, before, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_GE(spooled.size(), 2u);

    // The scheduler keeps each job's document in its spool folder.
    const QDir spool(outDir + QStringLiteral("/../spool"));
    std::size_t pages = 0;
    int cut = 0;
    for (std::size_t k = 0; k < spooled.size(); ++k) {
        SCOPED_TRACE(testing::Message() << "job " << k + 1);
        const SpooledJob &job = spooled[k];
        EXPECT_EQ(job.title, QStringLiteral("Vellumo %1/%2").arg(k + 1).arg(spooled.size()));
        auto attributes = JobAttributes(job.id);
        const QString mode = attributes[cutter.name];
        static const QRegularExpression custom(QStringLiteral("^Custom\\.([\\d.]+)x([\\d.]+)mm$"));
        const auto media = custom.match(attributes[QStringLiteral("media")]);
        ASSERT_TRUE(media.hasMatch()) << attributes[QStringLiteral("media")].toStdString();
        const QString document =
            spool.filePath(QStringLiteral("d%1-001").arg(job.id, 5, 10, QLatin1Char('0')));
        const auto jobPages = ReadPdfPages(document, &error);
        ASSERT_FALSE(jobPages.empty()) << error.toStdString();
        for (const PdfPage &page : jobPages) {
            EXPECT_NEAR(page.widthMm, media.captured(2).toDouble(), kPointMm);
            EXPECT_NEAR(page.heightMm, media.captured(1).toDouble(), kPointMm);
            if (pages < reference.size()) {
                EXPECT_NEAR(page.widthMm, reference[pages].widthMm, kPointMm);
            }
            ++pages;
        }
        if (mode == QStringLiteral("Cutter")) {
            ++cut;
            EXPECT_EQ(jobPages.size(), 1u);  // only the ribbon's last piece is cut
        } else {
            EXPECT_EQ(mode, QStringLiteral("Tear"));
        }
    }
    EXPECT_EQ(pages, reference.size());
    EXPECT_EQ(cut, 2);
    EXPECT_EQ(JobAttributes(spooled.back().id)[cutter.name], QStringLiteral("Cutter"));
}

TEST_F(SpoolerTest, Methode0WithAMarginPrintsPiecesOnThePrintersPaperWidth) {
    setDrucker("Methode", 0);
    setDrucker("Rand", 40);
    addJob(1000, 170);
    const auto reference = printReference();
    const auto spooled = printSpooled();
    ExpectSamePages(reference, spooled);
    ASSERT_GE(spooled.size(), 3u);
    double total = 0;
    for (const PdfPage &page : spooled) {
        EXPECT_NEAR(page.widthMm, 210, kPointMm);
        total += page.heightMm;
    }
    EXPECT_TRUE(Shows(spooled.front(), kLeftText));
    EXPECT_TRUE(Shows(spooled.back(), kRightText));
    // Each page is 2 mm (half the margin) longer than its content; the pieces
    // advance by their content and the 4 mm margin and reach from the ribbon's
    // start to 30 mm beyond its end, plus one margin.
    EXPECT_NEAR(total + 2.0 * double(spooled.size()), 1000 + 30 + 4, 1.0);
}

TEST_F(SpoolerTest, Methode1PrintsAStripOnThePrintersOwnPages) {
    setDrucker("Methode", 1);
    addJob(500, 170);
    addJob(400, 170);
    const auto reference = printReference();
    int jobCount = 0;
    const auto spooled = printSpooled(&jobCount);
    ExpectSamePages(reference, spooled);
    EXPECT_EQ(jobCount, 1);         // one size, one job
    ASSERT_EQ(spooled.size(), 4u);  // 900 mm on pages 297 mm long
    for (const PdfPage &page : spooled) {
        EXPECT_NEAR(page.widthMm, 210, kPointMm);
        EXPECT_NEAR(page.heightMm, 297, kPointMm);
    }
    EXPECT_TRUE(Shows(spooled.front(), kLeftText));
    // The second ribbon runs from 500 to 900 mm: its right text lies on the
    // third page, only its last 9 mm on the fourth.
    EXPECT_TRUE(Shows(spooled[2], kRightText));
}

TEST_F(SpoolerTest, Methode2MarksEachPieceWithTheWidthThePrinterReports) {
    setDrucker("Methode", 2);
    setDrucker("Mark", 1);
    addJob(1000, 170);
    const auto reference = printReference();
    const auto spooled = printSpooled();
    ExpectSamePages(reference, spooled);
    ASSERT_GE(spooled.size(), 3u);
    static const QRegularExpression mark(QStringLiteral("A: (\\d+) mm"));
    for (const PdfPage &page : spooled) {
        EXPECT_NEAR(page.widthMm, 210, kPointMm);
        const auto m = mark.match(page.flatText());
        ASSERT_TRUE(m.hasMatch()) << page.flatText().toStdString();
        EXPECT_NEAR(m.captured(1).toInt(), page.heightMm, 1.0);
    }
}

TEST_F(SpoolerTest, Methode3PrintsPiecesAsWideAsTheRibbon) {
    setDrucker("Methode", 3);
    addJob(1000, 150, Center);
    const auto reference = printReference();
    const auto spooled = printSpooled();
    ExpectSamePages(reference, spooled);
    ASSERT_GE(spooled.size(), 3u);
    double total = 0;
    for (const PdfPage &page : spooled) {
        EXPECT_NEAR(page.widthMm, 150, kPointMm);
        total += page.heightMm;
    }
    EXPECT_NEAR(total, 1000, 1.0);  // centre piece and fillers add up to the ribbon
    EXPECT_EQ(std::count_if(spooled.begin(), spooled.end(),
                            [](const PdfPage &p) { return Shows(p, kLeftText); }),
              1);
}

TEST_F(SpoolerTest, Methode4PrintsEachRibbonOnOneSheetWithoutItsRightEnd) {
    setDrucker("Methode", 4);
    addJob(1000, 170);
    addJob(1500, 170);
    addJob(800, 140);  // another width: left out
    const auto reference = printReference();
    int jobCount = 0;
    const auto spooled = printSpooled(&jobCount);
    ExpectSamePages(reference, spooled);
    EXPECT_EQ(jobCount, 2);
    ASSERT_EQ(spooled.size(), 2u);
    EXPECT_NEAR(spooled[0].widthMm, 170, kPointMm);
    EXPECT_NEAR(spooled[0].heightMm, 1000, kPointMm);
    EXPECT_NEAR(spooled[1].widthMm, 170, kPointMm);
    EXPECT_NEAR(spooled[1].heightMm, 1500, kPointMm);
    for (const PdfPage &page : spooled) {
        EXPECT_TRUE(Shows(page, kLeftText));
        EXPECT_TRUE(Shows(page, kCommission));
        for (const QString &word : kRightText.split(QLatin1Char(' ')))
            EXPECT_FALSE(Shows(page, word));
    }
}

}  // namespace

TEST_F(SpoolerTest, TheSpoolersOwnConversionKeepsSizesAndInk) {
    // As a newly added printer and a new settings file have it: Ghostscript's
    // conversion, and letters drawn from their outlines, filled and framed.
    setDrucker("Schriftrahmen", 1);
    setDrucker("Methode", 2);
    addJob(1000, 170);
    const auto reference = printReference();
    const auto spooled = printSpooledOn(gsQueue);
    ExpectSamePages(reference, spooled, false);
    ASSERT_GE(spooled.size(), 3u);
    for (const PdfPage &page : spooled)
        EXPECT_NEAR(page.widthMm, 210, kPointMm);
}
