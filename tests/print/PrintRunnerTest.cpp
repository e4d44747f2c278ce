// The one print path: the checks every front end shares, the questions it
// asks and how a run without a person answers them, the outcome it reports.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "print/CupsClient.h"
#include "print/PagePreview.h"
#include "print/PrintRunner.h"
#include "print/QtPrinter.h"
#include "tests/print/PrintTestSupport.h"

namespace {

// Answers as told and notes what was asked, in order.
class ScriptedAnswers : public PrintQuestions {
public:
    explicit ScriptedAnswers(bool yes) : yes_(yes) {}
    bool ask(const PrintQuestion &question) override {
        asked << question.kind;
        return yes_;
    }
    QList<PrintQuestion::Kind> asked;

private:
    bool yes_;
};

QueueCapabilities Queue(bool customSizes, double maxWidthMm) {
    QueueCapabilities caps;
    caps.known = true;
    caps.takesCustomSizes = customSizes;
    if (customSizes)
        caps.customRange = CustomSizeRange{10, maxWidthMm, 10, 5000};
    return caps;
}

struct Runner {
    explicit Runner(const RecordingPrinter::Config &config = PrintFixture::a4With280())
        : printer(config) {}
    PrintFixture f;
    RecordingPrinter printer;
    std::vector<const TJob *> listed() const {
        std::vector<const TJob *> jobs;
        for (const auto &job : f.jobs)
            jobs.push_back(job.get());
        return jobs;
    }
    PrintResult run(PrintQuestions &questions, const QueueCapabilities &caps,
                    PrintChecks checks = {}) {
        printer.selectPrinter(0);
        PrintRequest request(listed(), f.settings.get(), f.context());
        PrintTarget target;
        target.printer = &printer;
        target.queue = QStringLiteral("Band");
        target.readCapabilities = [caps](const QString &) { return caps; };
        return PrintRunner(request, f.settings.get(), target, questions, checks).run();
    }
    int printedPages() const {
        int pages = 0;
        for (const RecordingPrinter::Page &page : printer.pages())
            pages += page.discarded ? 0 : 1;
        return pages;
    }
};

// Each check that protects paper stops a run without a person before
// anything reaches the printer, with the question's words as the reason;
// "--ja" prints; a too wide ribbon is refused whatever is answered.
TEST(PrintRunnerTest, UnattendedRunsDeclineWhatCostsPaper) {
    const struct {
        const char *name;
        int methode;
        int laenge;
        int breite;
        const char *text;  // the left text; empty: the fixture's
        const char *face;
        QueueCapabilities caps;
        PrintResult::Status unattended;
        const char *reason;
        PrintResult::Status withYes;
    } cases[] = {
        {"no free sizes", 2, 1000, 75, "", "", Queue(false, 0), PrintResult::Declined,
         "kennt keine freien Papiergr\xc3\xb6\xc3\x9f"
         "en: die St\xc3\xbc"
         "cke w\xc3\xbcrden auf A4 "
         "abgeschnitten. Trotzdem drucken?",
         PrintResult::Printed},
        {"too wide", 2, 1000, 170, "", "", Queue(true, 101.6), PrintResult::Refused,
         "Die Schleife ist 170 mm breit, der Drucker \xe2\x80\x9e"
         "Band\xe2\x80\x9c nimmt aber "
         "h\xc3\xb6"
         "chstens 101,6 mm breites Papier.",
         PrintResult::Refused},
        {"does not fit", 2, 300, 75,
         "Ein viel zu langer Text f\xc3\xbcr eine kurze Schleife, der nie passt", "",
         Queue(true, 200), PrintResult::Declined, "Bei 1 Schleife passt der Text nicht: 1.",
         PrintResult::Printed},
        {"missing letters", 2, 1000, 75, "\xd0\x9e\xd0\xbb\xd1\x8c\xd0\xb3\xd0\xb0",
         "Oldania ADF Std", Queue(true, 200), PrintResult::Declined,
         "hat die Schrift nicht alle Buchstaben des Textes: 1.", PrintResult::Printed},
        {"fits", 1, 1000, 75, "", "", QueueCapabilities{}, PrintResult::Printed, "",
         PrintResult::Printed},
    };
    for (const auto &c : cases) {
        for (const bool yes : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (yes ? " --ja" : ""));
            Runner r;
            r.f.setDrucker("Methode", c.methode);
            TJob &job = r.f.addJob(c.laenge, c.breite);
            if (*c.text)
                job.TextLeft.set({QString::fromUtf8(c.text)});
            if (*c.face)
                job.FontName.set(QString::fromUtf8(c.face));
            UnattendedAnswers answers(yes);
            const PrintResult result = r.run(answers, c.caps);
            const PrintResult::Status expected = yes ? c.withYes : c.unattended;
            EXPECT_EQ(result.status, expected) << result.reason.toStdString();
            if (expected == PrintResult::Printed) {
                EXPECT_GT(r.printedPages(), 0);
                EXPECT_EQ(result.pages, r.printedPages());
                EXPECT_EQ(result.outputs, QStringList{QStringLiteral("Band")});
            } else {
                EXPECT_TRUE(result.reason.contains(QString::fromUtf8(c.reason)))
                    << result.reason.toStdString();
                EXPECT_EQ(r.printedPages(), 0);  // nothing handed to the printer
                EXPECT_TRUE(result.printed.empty());
            }
        }
    }
}

// A label queue's own paper is narrower than the ribbon: the methods that
// print on it are refused before a page, naming both widths (the preview
// says the same); the method that sizes its own pages prints.
TEST(PrintRunnerTest, ARibbonWiderThanThePrintersPaperIsNeverCropped) {
    RecordingPrinter::Config label = PrintFixture::a4With280();
    label.driverDefaults = DeviceSettings{0, DeviceSettings::Portrait, 256, 1524, 1016};
    const struct {
        int methode;
        QueueCapabilities caps;
        PrintResult::Status status;
        const char *says;  // empty: no Methode 3 advice
    } cases[] = {
        {0, Queue(true, 203.2), PrintResult::Refused, " Methode 3 druckt sie"},
        {1, Queue(true, 203.2), PrintResult::Refused, " Methode 3 druckt sie"},
        {2, Queue(true, 203.2), PrintResult::Refused, " Methode 3 druckt sie"},
        {2, Queue(false, 0), PrintResult::Refused, ""},  // no free sizes: no advice
        {3, Queue(true, 203.2), PrintResult::Printed, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.methode);
        Runner r(label);
        r.f.setDrucker("Methode", c.methode);
        r.f.setDrucker("Rand", 50);
        r.f.addJob(1000, 170);
        UnattendedAnswers answers(true);
        const PrintResult result = r.run(answers, c.caps);
        EXPECT_EQ(result.status, c.status) << result.reason.toStdString();
        if (c.status != PrintResult::Refused)
            continue;
        EXPECT_TRUE(
            result.reason.startsWith(QStringLiteral("Die Schleife ist 170 mm breit, das Papier von "
                                                    "\u201eAufzeichnung\u201c nur 101,6 mm.")))
            << result.reason.toStdString();
        EXPECT_EQ(result.reason.contains(QLatin1String(" Methode 3 druckt sie")), *c.says != 0);
        EXPECT_TRUE(r.printer.pages().empty());

        PrintRequest request(r.listed(), r.f.settings.get(), r.f.context());
        request.settings().limits = PageLimitsFor(c.caps);
        const PagePreview preview(r.printer, request.run(), request.settings(), request.context());
        EXPECT_EQ(preview.failure().toStdString(), result.reason.toStdString());
        EXPECT_TRUE(preview.pages().empty());
    }
}

// The window's questions in the order a florist meets them; unknown words
// never stop a run without a person but are reported.
TEST(PrintRunnerTest, QuestionsComeInOrderAndUnknownWordsAreListed) {
    Runner r;
    r.f.setDrucker("Methode", 2);
    r.f.addJob(1000, 75).TextLeft.set({QStringLiteral("Dvo\u0159\u00e1k")});
    r.f.addJob(300, 100).TextLeft.set(
        {QStringLiteral("Ein viel zu langer Text f\u00fcr eine kurze Schleife")});
    PrintChecks checks;
    checks.unknownWords = [](const TJob &job) {
        return job.TextLeft.at(0).startsWith(QLatin1String("Dvo")) ? QStringList{job.TextLeft.at(0)}
                                                                   : QStringList();
    };
    ScriptedAnswers yes(true);
    const PrintResult printed = r.run(yes, Queue(false, 0), checks);
    EXPECT_EQ(printed.status, PrintResult::Printed);
    EXPECT_EQ(yes.asked,
              (QList<PrintQuestion::Kind>{PrintQuestion::UnknownWords, PrintQuestion::DoesNotFit,
                                          PrintQuestion::ByWidth, PrintQuestion::NoFreeSizes,
                                          PrintQuestion::NextRoll}));
    EXPECT_EQ(printed.printed.size(), 2u);
    EXPECT_EQ(printed.unknownWords, QStringList{QStringLiteral("Dvo\u0159\u00e1k")});

    // The first "no" ends it, and nothing is printed.
    ScriptedAnswers no(false);
    Runner r2;
    r2.f.addJob(1000, 75);
    r2.f.addJob(1000, 75).TextLeft.set({QStringLiteral("Dvo\u0159\u00e1k")});
    const PrintResult declined = r2.run(no, QueueCapabilities{}, checks);
    EXPECT_EQ(declined.status, PrintResult::Declined);
    EXPECT_EQ(no.asked, QList<PrintQuestion::Kind>{PrintQuestion::UnknownWords});
    EXPECT_TRUE(declined.reason.startsWith(QStringLiteral("Unbekannte W\u00f6rter in Schleife 2")));
    EXPECT_EQ(r2.printedPages(), 0);

    // Without a person: the words are listed, the ribbons printed.
    UnattendedAnswers unattended;
    Runner r3;
    r3.f.addJob(1000, 75).TextLeft.set({QStringLiteral("Dvo\u0159\u00e1k")});
    const PrintResult listed = r3.run(unattended, QueueCapabilities{}, checks);
    EXPECT_EQ(listed.status, PrintResult::Printed);
    EXPECT_EQ(listed.unknownWords, QStringList{QStringLiteral("Dvo\u0159\u00e1k")});
}

// Several widths without a person: each width its own print; into a folder,
// each its own new file beside the one named, an older file of the same
// name kept; the first width only where the caller wants the window's rule.
TEST(PrintRunnerTest, WidthsPrintOneAfterTheOtherIntoNumberedFiles) {
    QTemporaryDir out;
    const QString base = out.filePath(QStringLiteral("bestellung.pdf"));
    QFile old(out.filePath(QStringLiteral("bestellung-75mm.pdf")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("alt");
    old.close();

    Runner r;
    r.f.addJob(1000, 75);
    r.f.addJob(1000, 100);
    r.f.addJob(1000, 75);
    r.printer.selectPrinter(0);
    PrintRequest request(r.listed(), r.f.settings.get(), r.f.context());
    PrintTarget target;
    target.printer = &r.printer;
    target.toPdf = true;
    target.pdfFile = base;
    target.replacePdfFile = false;
    QStringList chosen;
    target.selectPdfFile = [&chosen](const QString &file) { chosen << QFileInfo(file).fileName(); };
    UnattendedAnswers byWidth;
    const PrintResult result = PrintRunner(request, r.f.settings.get(), target, byWidth).run();
    ASSERT_EQ(result.status, PrintResult::Printed) << result.reason.toStdString();
    EXPECT_EQ(chosen, (QStringList{QStringLiteral("bestellung-75mm (2).pdf"),
                                   QStringLiteral("bestellung-100mm.pdf")}));
    EXPECT_EQ(result.outputs.size(), 2);
    EXPECT_EQ(result.printed.size(), 3u);
    EXPECT_EQ(result.printed[1], r.f.jobs[2].get());  // the 75 mm ones first, in list order
    EXPECT_TRUE(result.leftOut.isEmpty());
    QFile kept(old.fileName());
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "alt");

    // The window's rule without a question: the first width, the other named.
    Runner first;
    first.f.addJob(1000, 75);
    first.f.addJob(1000, 100);
    UnattendedAnswers firstWidth(false, false);
    const PrintResult one = first.run(firstWidth, QueueCapabilities{});
    EXPECT_EQ(one.status, PrintResult::Printed);
    EXPECT_EQ(one.leftOut, QList<int>{2});
    EXPECT_EQ(one.printed.size(), 1u);
    EXPECT_FALSE(firstWidth.notes().isEmpty());
}

// A scheduler that did not answer about the queue is not asked again for its
// jobs: the print fails at once with its message, nothing spooled.
TEST(PrintRunnerTest, ASilentSchedulerFailsThePrintAtOnce) {
    Runner r;
    r.f.addJob(1000, 75);
    QueueCapabilities silent;
    silent.notes << CupsClient::NoAnswer();
    UnattendedAnswers answers(true);
    const PrintResult result = r.run(answers, silent);
    EXPECT_EQ(result.status, PrintResult::Failed);
    EXPECT_EQ(result.reason, QStringLiteral("Druckdienst antwortet nicht"));
    EXPECT_FALSE(result.partsMayBePrinted);
    EXPECT_TRUE(r.printer.pages().empty());
}

// A queue that refuses a job: what it took before may be printed, and
// only then does the outcome say so.
TEST(PrintRunnerTest, AQueueRefusingAJobSaysWhetherAnyWasTaken) {
    for (const int refuseFrom : {1, 2}) {
        SCOPED_TRACE(refuseFrom);
        PrintFixture f;
        f.setDrucker("Methode", 2);
        f.addJob(2000, 75);
        QtPrinter printer({QStringLiteral("Rolle")});
        ASSERT_TRUE(printer.selectPrinterByName(QStringLiteral("Rolle")));
        int taken = 0;
        printer.setJobSubmitter([&](const QtPrinter::SpoolJob &) {
            if (taken + 1 >= refuseFrom)
                throw PrinterError(QStringLiteral("Warteschlange voll."));
            ++taken;
        });
        PrintRequest request({f.jobs[0].get()}, f.settings.get(), f.context());
        PrintTarget target;
        target.printer = &printer;
        target.queue = QStringLiteral("Rolle");
        UnattendedAnswers answers(true);
        const PrintResult result = PrintRunner(request, f.settings.get(), target, answers).run();
        EXPECT_EQ(result.status, PrintResult::Failed);
        EXPECT_EQ(result.partsMayBePrinted, refuseFrom > 1) << result.reason.toStdString();
        EXPECT_TRUE(result.failureText().contains(refuseFrom > 1
                                                      ? QStringLiteral("ein Teil kann gedruckt")
                                                      : QStringLiteral("nichts wurde gedruckt")));
    }
}

// A printer that fails after a finished width says what may be on paper.
TEST(PrintRunnerTest, AFailureAfterAFinishedWidthSaysPartMayBePrinted) {
    RecordingPrinter::Config config = PrintFixture::a4With280();
    config.failAtPage = 6;  // within the second width (four pages a ribbon)
    Runner r(config);
    r.f.setDrucker("Methode", 1);
    r.f.addJob(1000, 75);
    r.f.addJob(1000, 100);
    UnattendedAnswers answers;
    const PrintResult result = r.run(answers, QueueCapabilities{});
    EXPECT_EQ(result.status, PrintResult::Failed);
    EXPECT_TRUE(result.partsMayBePrinted);
    EXPECT_EQ(result.printed.size(), 1u);
    EXPECT_TRUE(result.failureText().startsWith(QStringLiteral(
        "Druck fehlgeschlagen, ein Teil kann gedruckt sein (1 von 2 Schleifen gedruckt): ")))
        << result.failureText().toStdString();
}

}  // namespace
