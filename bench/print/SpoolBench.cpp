// What a run of ribbons printed in pieces (Methode 3) hands to a print queue:
// each job a PDF of its own pages, so the bytes spooled grow with the ribbons
// and stay close to the one PDF the run draws. With VELLUMO_BENCH_QUEUE naming
// a queue of a running scheduler (CUPS_SERVER), SpoolToScheduler also hands
// the jobs over and waits until the scheduler has finished them all.
#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <cups/cups.h>

#include <memory>
#include <vector>

#include "model/Job.h"
#include "model/SettingsFile.h"
#include "print/PrintCommand.h"
#include "print/PrintRun.h"
#include "print/QtPrinter.h"
#include "tests/support/PrintNow.h"

namespace {

struct SpoolSetup {
    QTemporaryDir dir;
    std::unique_ptr<SettingsFile> settings;
    std::vector<std::unique_ptr<TJob>> jobs;

    explicit SpoolSetup(int count) {
        settings = std::make_unique<SettingsFile>(dir.filePath(QStringLiteral("RIBOLANT.INI")));
        SettingsFile::setCurrent(settings.get());
        settings->writeInteger(QStringLiteral("Drucker"), QStringLiteral("Methode"), 3);
        for (int i = 0; i < count; ++i) {
            auto job = std::make_unique<TJob>();
            job->Laenge = 2000;
            job->Breite = 170;
            job->Stil = Center;
            job->FontName.set(QStringLiteral("Arial"));
            job->TextLeft.set(
                {QStringLiteral("In stiller Trauer"), QStringLiteral("Familie Weber")});
            job->TextRight.set({QStringLiteral("Ruhe in Frieden"), QStringLiteral("Deine Kinder")});
            job->Kommission.set(QStringLiteral("Auftrag %1").arg(i + 1));
            jobs.push_back(std::move(job));
        }
    }
    ~SpoolSetup() { SettingsFile::setCurrent(nullptr); }

    PrintRun run() const {
        PrintRun r;
        for (const auto &job : jobs)
            r.jobs.append(job.get());
        r.PrintFirst = 0;
        r.PrintLast = int(jobs.size()) - 1;
        return r;
    }

    // The run as one PDF, as the PDF printer writes it.
    qint64 wholePdfBytes() const {
        const QString pdf = dir.filePath(QStringLiteral("whole.pdf"));
        QtPrinter printer;
        printer.selectPrinterByName(QtPrinter::PdfPrinterName);
        printer.setPdfOutputFile(pdf);
        PrintRun r = run();
        RunPrintMethod(printer, r);
        return QFileInfo(pdf).size();
    }
};

// The jobs go to a submitter that only counts them: no scheduler needed.
void SpoolRibbonsInPieces(benchmark::State &state) {
    const int ribbons = int(state.range(0));
    SpoolSetup setup(ribbons);
    qint64 bytes = 0;
    int jobs = 0;
    for (auto _ : state) {
        bytes = 0;
        jobs = 0;
        QtPrinter printer({QStringLiteral("Rolle")});
        printer.selectPrinterByName(QStringLiteral("Rolle"));
        printer.setJobSubmitter([&](const QtPrinter::SpoolJob &job) {
            bytes += job.bytes;
            ++jobs;
        });
        PrintRun r = setup.run();
        const QString error = RunPrintMethod(printer, r);
        if (!error.isEmpty())
            state.SkipWithError(error.toStdString().c_str());
    }
    state.counters["spooled_MB"] = double(bytes) / (1024.0 * 1024.0);
    state.counters["jobs"] = jobs;
    state.counters["KB_per_ribbon"] = double(bytes) / 1024.0 / ribbons;
    state.counters["whole_pdf_MB"] = double(setup.wholePdfBytes()) / (1024.0 * 1024.0);
}
BENCHMARK(SpoolRibbonsInPieces)->Arg(20)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(3);

int LastJobId(const QByteArray &queue) {
    cups_job_t *list = nullptr;
    const int count =
        cupsGetJobs2(CUPS_HTTP_DEFAULT, &list, queue.constData(), 0, CUPS_WHICHJOBS_ALL);
    int last = 0;
    for (int i = 0; i < count; ++i)
        last = std::max(last, list[i].id);
    cupsFreeJobs(count, list);
    return last;
}

// Jobs of the queue after `after` that are not finished yet; -1 when the
// scheduler does not answer.
int Unfinished(const QByteArray &queue, int after) {
    cups_job_t *list = nullptr;
    const int count =
        cupsGetJobs2(CUPS_HTTP_DEFAULT, &list, queue.constData(), 0, CUPS_WHICHJOBS_ALL);
    if (count < 0)
        return -1;
    int open = 0;
    for (int i = 0; i < count; ++i)
        open += list[i].id > after && list[i].state < IPP_JSTATE_CANCELED;
    cupsFreeJobs(count, list);
    return open;
}

// Printing and handing over (hand_over_s) and until the scheduler has
// finished every job (the whole time).
void SpoolToScheduler(benchmark::State &state) {
    const QString queue = qEnvironmentVariable("VELLUMO_BENCH_QUEUE");
    if (queue.isEmpty()) {
        state.SkipWithError("VELLUMO_BENCH_QUEUE names no queue");
        return;
    }
    SpoolSetup setup(int(state.range(0)));
    double handOver = 0;
    for (auto _ : state) {
        const int before = LastJobId(queue.toUtf8());
        QElapsedTimer timer;
        timer.start();
        QtPrinter printer;
        if (!printer.selectPrinterByName(queue)) {
            state.SkipWithError("the queue is not listed");
            return;
        }
        PrintRun r = setup.run();
        const QString error = RunPrintMethod(printer, r);
        if (!error.isEmpty()) {
            state.SkipWithError(error.toStdString().c_str());
            return;
        }
        handOver = timer.elapsed() / 1000.0;
        for (;;) {
            const int open = Unfinished(queue.toUtf8(), before);
            if (open == 0)
                break;
            if (open < 0 || timer.elapsed() > 1800000) {
                state.SkipWithError("the scheduler did not finish");
                return;
            }
            QThread::msleep(100);
        }
    }
    state.counters["hand_over_s"] = handOver;
}
BENCHMARK(SpoolToScheduler)->Arg(20)->Arg(100)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
