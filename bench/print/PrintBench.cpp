// Printing 20 ribbons of 1000 x 170 mm (Align, two lines at each end, both
// pictures, outline text) into a PDF with each print method.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <memory>
#include <vector>

#include "model/Job.h"
#include "model/SettingsFile.h"
#include "print/PrintCommand.h"
#include "print/PrintRun.h"
#include "print/QtPrinter.h"

namespace {

// A data folder with two ink pictures and its own settings file.
struct PrintSetup {
    QTemporaryDir dir;
    std::unique_ptr<SettingsFile> settings;
    std::vector<std::unique_ptr<TJob>> jobs;

    PrintSetup()
    {
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
            job->TextLeft.set({QStringLiteral("In stiller Trauer"), QStringLiteral("Familie Weber")});
            job->TextRight.set({QStringLiteral("Ruhe in Frieden"), QStringLiteral("Deine Kinder")});
            job->BildNameLinks.set(QStringLiteral("rose.bmp"));
            job->BildNameRechts.set(QStringLiteral("kreuz.bmp"));
            jobs.push_back(std::move(job));
        }
    }
    ~PrintSetup() { SettingsFile::setCurrent(nullptr); }
};

void PrintTwentyRibbons(benchmark::State &state)
{
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

}  // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
