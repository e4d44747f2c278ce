#include <benchmark/benchmark.h>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QListView>
#include <QPainter>
#include <QTemporaryDir>
#include <QToolButton>
#include <memory>

#include "model/Job.h"
#include "render/Pictures.h"
#include "render/ThumbnailCache.h"
#include "ui/AppWindows.h"
#include "ui/Main.h"
#include "ui/PictureCatalogueLoader.h"
#include "ui/TextMemo.h"

namespace {

// A data folder of its own for the whole run, so the user's is never read.
class BenchDataFolder {
public:
    BenchDataFolder() {
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir_.path()));
        qputenv("HOME", QFile::encodeName(dir_.path()));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(dir_.path() + QStringLiteral("/.cache")));
        QDir(dir_.path()).mkpath(QStringLiteral("Quarnwerk/Vellumo/Bilder"));
    }
    QString pictures() const { return dir_.path() + QStringLiteral("/Quarnwerk/Vellumo/Bilder/"); }

    // Exactly `count` 1000 x 1000 ink drawings, each a little different.
    void writePictures(int count) {
        for (int i = count; i < written_; ++i)
            QFile::remove(pictureName(i));
        for (int i = written_; i < count; ++i) {
            QImage picture(1000, 1000, QImage::Format_RGB888);
            picture.fill(Qt::white);
            QPainter painter(&picture);
            painter.setPen(QPen(Qt::black, 20 + i % 30));
            painter.drawEllipse(QRect(100 + i % 200, 100, 600, 700 - i % 300));
            painter.drawLine(500, 50, 500 + i, 950);
            painter.end();
            picture.save(pictureName(i), "BMP");
        }
        written_ = count;
    }
    QString pictureName(int i) const {
        return pictures() + QStringLiteral("Bild%1.bmp").arg(i, 3, 10, QLatin1Char('0'));
    }

private:
    QTemporaryDir dir_;
    int written_ = 0;
};

BenchDataFolder &Data() {
    static BenchDataFolder folder;
    return folder;
}

void ProcessEvents() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// From nothing to the main window on screen, with the dialogs made and the
// first ribbon ready, over a picture folder of that many large bitmaps whose
// thumbnails the last start kept.
void StartupWithPictures(benchmark::State &state) {
    Data().writePictures(int(state.range(0)));
    PictureCatalogue warm;
    LoadPictureCatalogue(warm);
    for (auto _ : state) {
        auto form = std::make_unique<TMainForm>();
        CreateAppWindows(*form);
        form->show();
        ProcessEvents();
        benchmark::DoNotOptimize(form->JobCount());
        state.PauseTiming();
        form->close();
        form.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(StartupWithPictures)
    ->Arg(0)
    ->Arg(300)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// The picture list of 300 large bitmaps alone: read and drawn (no cache, as
// at the first start or after every picture changed), and from the
// thumbnail cache of the last start.
void PictureListOf300(benchmark::State &state) {
    Data().writePictures(300);
    const bool cached = state.range(0) != 0;
    PictureCatalogue catalogue;
    LoadPictureCatalogue(catalogue);
    for (auto _ : state) {
        if (!cached) {
            state.PauseTiming();
            QFile::remove(ThumbnailCache::defaultPath());
            state.ResumeTiming();
        }
        LoadPictureCatalogue(catalogue);
        benchmark::DoNotOptimize(catalogue.thumbnails.size());
    }
    state.counters["pictures"] = double(catalogue.files.size() - 1);
}
BENCHMARK(PictureListOf300)
    ->ArgName("cached")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();

// The two halves of the picture list's work for one 1000 x 1000 picture:
// reading the file, and drawing its thumbnail.
void ReadOnePicture(benchmark::State &state) {
    Data().writePictures(1);
    const QString path = Data().pictureName(0);
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadPictureFile(path).constBits());
}
BENCHMARK(ReadOnePicture)->Unit(benchmark::kMillisecond);

void ThumbnailOfOnePicture(benchmark::State &state) {
    Data().writePictures(1);
    const QImage picture = ReadPictureFile(Data().pictureName(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(PictureThumbnail(picture).constBits());
}
BENCHMARK(ThumbnailOfOnePicture)->Unit(benchmark::kMillisecond);

// One repaint of the ribbon list holding 100 ribbons with text.
void RepaintOf100Ribbons(benchmark::State &state) {
    auto form = std::make_unique<TMainForm>();
    CreateAppWindows(*form);
    form->resize(1024, 768);
    form->show();
    ProcessEvents();
    auto *memo = form->findChild<TextMemo *>(QStringLiteral("MTextLeft"));
    auto *right = form->findChild<TextMemo *>(QStringLiteral("MTextRight"));
    auto *add = form->findChild<QToolButton *>(QStringLiteral("SBtnNew"));
    for (int i = 0; i < 100; ++i) {
        memo->setPlainText(QStringLiteral("In stillem Gedenken\nFamilie %1").arg(i));
        right->setPlainText(QStringLiteral("Ruhe in Frieden"));
        if (i < 99)
            add->click();
        ProcessEvents();
    }
    auto *list = form->findChild<QListView *>(QStringLiteral("LBJobs"));
    QWidget *viewport = list->viewport();
    QImage target(viewport->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        viewport->render(&target);
        benchmark::DoNotOptimize(target.bits());
    }
    state.counters["ribbons"] = form->JobCount();
    state.counters["shown"] = viewport->height() / 70.0;
    form->close();
}
BENCHMARK(RepaintOf100Ribbons)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Data();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
