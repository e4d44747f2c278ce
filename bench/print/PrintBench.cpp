// Printing 20 ribbons of 1000 x 170 mm (Align, two lines at each end, both
// pictures, outline text) into a PDF with each print method; long runs; what
// Ghostscript makes of a long run.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <memory>
#include <vector>

#include "model/Job.h"
#include "model/SettingsFile.h"
#include "print/PagePreview.h"
#include "print/PrintCommand.h"
#include "print/PrintRun.h"
#include "print/PrintRunner.h"
#include "print/QtPrinter.h"
#include "print/RecordingPrinter.h"
#include "render/RenderContext.h"
#include "tests/support/PrintNow.h"

namespace {

// A data folder with two ink pictures and its own settings file.
struct PrintSetup {
    QTemporaryDir dir;
    std::unique_ptr<SettingsFile> settings;
    std::vector<std::unique_ptr<TJob>> jobs;

    PrintSetup() {
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path()));
        const QString folder = dir.path() + QStringLiteral("/Quarnwerk/Vellumo/");
        QDir().mkpath(folder + QStringLiteral("Bilder"));
        for (const char *name : {"rose.bmp", "kreuz.bmp"}) {
            QImage picture(600, 400, QImage::Format_RGB888);
            picture.fill(Qt::white);
            QPainter p(&picture);
            p.setPen(QPen(Qt::black, 12));
            p.drawEllipse(60, 40, 480, 320);
            p.drawLine(300, 20, 300, 380);
            p.end();
            picture.save(folder + QStringLiteral("Bilder/") + QString::fromLatin1(name), "BMP");
        }
        settings = std::make_unique<SettingsFile>(folder + QStringLiteral("RIBOLANT.INI"));
        SettingsFile::setCurrent(settings.get());
        for (int i = 0; i < 20; ++i) {
            auto job = std::make_unique<TJob>();
            job->Laenge = 1000;
            job->Breite = 170;
            job->FontName.set(QStringLiteral("Arial"));
            job->TextLeft.set(
                {QStringLiteral("In stiller Trauer"), QStringLiteral("Familie Weber")});
            job->TextRight.set({QStringLiteral("Ruhe in Frieden"), QStringLiteral("Deine Kinder")});
            job->BildNameLinks.set(QStringLiteral("rose.bmp"));
            job->BildNameRechts.set(QStringLiteral("kreuz.bmp"));
            jobs.push_back(std::move(job));
        }
    }
    ~PrintSetup() { SettingsFile::setCurrent(nullptr); }
};

void PrintTwentyRibbons(benchmark::State &state) {
    PrintSetup setup;
    const int methode = int(state.range(0));
    setup.settings->writeInteger(QStringLiteral("Drucker"), QStringLiteral("Methode"), methode);
    const QString pdf = setup.dir.path() + QStringLiteral("/run.pdf");
    for (auto _ : state) {
        QtPrinter printer;
        printer.selectPrinterByName(QtPrinter::PdfPrinterName);
        printer.setPdfOutputFile(pdf);
        PrintRun run;
        for (const auto &job : setup.jobs)
            run.jobs.append(job.get());
        run.PrintFirst = 0;
        run.PrintLast = int(setup.jobs.size()) - 1;
        RunPrintMethod(printer, run);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["pdf_MB"] = double(QFileInfo(pdf).size()) / (1024.0 * 1024.0);
    state.counters["peak_RSS_MB"] = double(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(PrintTwentyRibbons)->DenseRange(1, 4)->Unit(benchmark::kMillisecond)->Iterations(5);

// Many ribbons of 1200 mm, as a shop's busy day, printed as one page strip
// (Methode 1): letters from their outlines (the default) or plain text
// ("Schriftrahmen" 0).
std::vector<std::unique_ptr<TJob>> BusyDay(PrintSetup &setup, int count, bool outlines) {
    setup.settings->writeInteger(QStringLiteral("Drucker"), QStringLiteral("Schriftrahmen"),
                                 outlines ? 1 : 0);
    std::vector<std::unique_ptr<TJob>> jobs;
    for (int i = 0; i < count; ++i) {
        auto job = std::make_unique<TJob>();
        job->Laenge = 1200;
        job->Breite = 170;
        job->FontName.set(QStringLiteral("Arial"));
        job->TextLeft.set({QStringLiteral("In stiller Trauer"), QStringLiteral("Familie Weber")});
        job->TextRight.set({QStringLiteral("Ruhe in Frieden"), QStringLiteral("Deine Kinder")});
        job->Kommission.set(QStringLiteral("Auftrag %1").arg(i + 1));
        jobs.push_back(std::move(job));
    }
    return jobs;
}

PrintRun RunOf(const std::vector<std::unique_ptr<TJob>> &jobs) {
    PrintRun run;
    for (const auto &job : jobs)
        run.jobs.append(job.get());
    run.PrintFirst = 0;
    run.PrintLast = int(jobs.size()) - 1;
    return run;
}

// Into a PDF. range(0): the number of ribbons; range(1): 1 outlines.
void PrintManyRibbons(benchmark::State &state) {
    PrintSetup setup;
    const int count = int(state.range(0));
    const auto jobs = BusyDay(setup, count, state.range(1) != 0);
    const QString pdf = setup.dir.path() + QStringLiteral("/many.pdf");
    for (auto _ : state) {
        QtPrinter printer;
        printer.selectPrinterByName(QtPrinter::PdfPrinterName);
        printer.setPdfOutputFile(pdf);
        PrintRun run = RunOf(jobs);
        RunPrintMethod(printer, run, 1);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["pdf_KB_per_ribbon"] = double(QFileInfo(pdf).size()) / 1024.0 / count;
    state.counters["peak_RSS_MB"] = double(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(PrintManyRibbons)
    ->Args({300, 0})
    ->Args({300, 1})
    ->Args({1000, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// The same days through the print runner, as every front end prints: the
// runner's own steps (the range, the width groups, the outcome) must add
// nothing measurable. range(1): 0 the fit findings come from a cache, as in
// the window; 1 they are measured for each ribbon, as vellumo-cli and the
// order service do (that cost is the fit check's, shown on its own).
void PrintManyRibbonsThroughRunner(benchmark::State &state) {
    PrintSetup setup;
    const int count = int(state.range(0));
    setup.settings->writeInteger(QStringLiteral("Drucker"), QStringLiteral("Methode"), 1);
    const auto jobs = BusyDay(setup, count, true);
    std::vector<const TJob *> listed;
    for (const auto &job : jobs)
        listed.push_back(job.get());
    const QString pdf = setup.dir.path() + QStringLiteral("/many.pdf");
    PrintChecks checks;
    if (state.range(1) == 0)
        checks.findings = [](const TJob &) { return std::vector<FitFinding>(); };
    for (auto _ : state) {
        QtPrinter printer;
        printer.selectPrinterByName(QtPrinter::PdfPrinterName);
        printer.setPdfOutputFile(pdf);
        PrintRequest request(listed, setup.settings.get(),
                             RenderContext::FromSettings(setup.settings.get()));
        PrintTarget target;
        target.printer = &printer;
        target.toPdf = true;
        target.pdfFile = pdf;
        target.selectPdfFile = [&printer](const QString &file) { printer.setPdfOutputFile(file); };
        UnattendedAnswers answers(true, false);
        const PrintResult result =
            PrintRunner(request, setup.settings.get(), target, answers, checks).run();
        if (result.status != PrintResult::Printed)
            state.SkipWithError("not printed");
    }
    state.counters["pdf_KB_per_ribbon"] = double(QFileInfo(pdf).size()) / 1024.0 / count;
}
BENCHMARK(PrintManyRibbonsThroughRunner)
    ->Args({300, 0})
    ->Args({300, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// What Ghostscript, the converter CUPS uses for PostScript printers, spends on
// each page of a day's run with a commission label of its own on every ribbon
// (outline letters, one page strip). range(0): the number of ribbons;
// range(1): 1 when the ribbons' letters come in 40 sizes, so that the run
// holds many more shapes. The time per page must stay about the same however
// long the run.
void GhostscriptPerPage(benchmark::State &state) {
    PrintSetup setup;
    const int count = int(state.range(0));
    const auto jobs = BusyDay(setup, count, true);
    if (state.range(1) != 0) {
        for (int i = 0; i < count; ++i)
            jobs[std::size_t(i)]->FontGroesse = 40 + i % 40;
    }
    const QString pdf = setup.dir.path() + QStringLiteral("/day.pdf");
    {
        QtPrinter printer;
        printer.selectPrinterByName(QtPrinter::PdfPrinterName);
        printer.setPdfOutputFile(pdf);
        PrintRun run = RunOf(jobs);
        RunPrintMethod(printer, run, 1);
    }
    QFile file(pdf);
    qsizetype pages = 0;
    if (file.open(QIODevice::ReadOnly))
        pages = file.readAll().count("/Type /Page ");
    if (pages == 0) {
        state.SkipWithError("no PDF written");
        return;
    }
    double seconds = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QProcess gs;
        gs.start(
            QStringLiteral("gs"),
            {QStringLiteral("-q"), QStringLiteral("-dNOPAUSE"), QStringLiteral("-dBATCH"),
             QStringLiteral("-sDEVICE=ps2write"), QStringLiteral("-sOutputFile=/dev/null"), pdf});
        if (!gs.waitForFinished(-1) || gs.exitCode() != 0) {
            state.SkipWithError("Ghostscript failed or is missing");
            return;
        }
        const double elapsed = timer.nsecsElapsed() / 1e9;
        state.SetIterationTime(elapsed);
        seconds += elapsed;
    }
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    state.counters["pages"] = double(pages);
    state.counters["gs_ms_per_page"] = seconds * 1000 / double(state.iterations()) / double(pages);
    state.counters["gs_peak_RSS_MB"] = double(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(GhostscriptPerPage)
    ->Args({60, 0})
    ->Args({1000, 0})
    ->Args({60, 1})
    ->Args({1000, 1})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// The same run drawn onto a recording printer with the PDF printer's pages:
// the drawing alone, without the PDF. What drawing pages on several cores
// could at most share out.
void DrawManyRibbonsOnly(benchmark::State &state) {
    PrintSetup setup;
    const auto jobs = BusyDay(setup, int(state.range(0)), true);
    RecordingPrinter::Config config;
    config.metricsFor = [](const DeviceSettings &s) { return QtPrinter().pageMetrics(s); };
    for (auto _ : state) {
        RecordingPrinter printer(config);
        printer.selectPrinter(0);
        PrintRun run = RunOf(jobs);
        RunPrintMethod(printer, run, 1);
        benchmark::DoNotOptimize(printer.pages().size());
    }
}
BENCHMARK(DrawManyRibbonsOnly)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1);

// The page preview of a run of about 200 strip pages: the run recorded once
// (what opening the preview costs), then one page drawn at screen size (what
// each page coming into view costs).
void PreviewTwoHundredPages(benchmark::State &state) {
    PrintSetup setup;
    RecordingPrinter::Config config;
    config.driverDefaults = DeviceSettings{0, DeviceSettings::Portrait, 9, 2970, 2100};
    RecordingPrinter real(config);
    real.selectPrinter(0);
    PrintRun run;
    for (int copy = 0; copy < 3; ++copy) {
        for (const auto &job : setup.jobs)
            run.jobs.append(job.get());
    }
    run.PrintFirst = 0;
    run.PrintLast = int(run.jobs.size()) - 1;
    std::size_t pages = 0;
    for (auto _ : state) {
        PrintSettings settings = PrintSettings::Read(setup.settings.get());
        settings.Methode = 1;
        PagePreview preview(real, run, settings, RenderContext::FromSettings(setup.settings.get()));
        pages = preview.pages().size();
        QImage image(600, 425, QImage::Format_RGB32);
        QPainter painter(&image);
        preview.drawPage(pages / 2, painter, 2.0);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["pages"] = double(pages);
    state.counters["peak_RSS_MB"] = double(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(PreviewTwoHundredPages)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
