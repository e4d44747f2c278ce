#include <benchmark/benchmark.h>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <memory>

#include "model/DataFolder.h"
#include "model/Job.h"
#include "model/SettingsFile.h"
#include "render/DrawJob.h"
#include "render/Pictures.h"
#include "render/QPainterCanvas.h"

namespace {

// A settings file and a picture folder of their own, so the benchmark never
// reads or writes the user's data folder; the renderer still reads its keys
// from the file on every drawing, as it does in the program.
class BenchData {
public:
    BenchData() {
        if (!QGuiApplication::instance()) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            static int argc = 1;
            static char name[] = "vellumo_bench";
            static char *argv[] = {name, nullptr};
            app_ = std::make_unique<QGuiApplication>(argc, argv);
        }
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir_.path()));
        QDir(dir_.path()).mkpath(QStringLiteral("Quarnwerk/Vellumo/Bilder"));
        settings_ = std::make_unique<SettingsFile>(SettingsFilePath());
        settings_->writeInteger(QStringLiteral("Colors"), QStringLiteral("Color5"), 0x00203080);
        settings_->writeInteger(QStringLiteral("Drucker"), QStringLiteral("Schriftrahmen"), 0);
        SettingsFile::setCurrent(settings_.get());

        const QImage left = Picture(400, 300), right = Picture(300, 300);
        left.save(PictureFolder() + QStringLiteral("kreuz.bmp"), "BMP");
        right.save(PictureFolder() + QStringLiteral("rose.bmp"), "BMP");
        pictures_.files = {QStringLiteral("kreuz.bmp"), QStringLiteral("rose.bmp")};
        pictures_.thumbnails = {Thumbnail(left), Thumbnail(right)};

        job.FontName.set(QStringLiteral("Arial"));
        job.FontFarbe = 0x01000005;
        job.Stil = Align;
        job.Laenge = 290;
        job.Breite = 170;
        job.Shadow = true;
        job.Flip = true;
        job.TextLeft.set({QStringLiteral("In stiller Trauer"), QStringLiteral("Deine Kinder")});
        job.TextRight.set({QStringLiteral("Ruhe sanft"), QStringLiteral("Familie Berger")});
        job.Kommission.set(QStringLiteral("Auftrag 4711"));
        job.BildNameLinks.set(QStringLiteral("kreuz.bmp"));
        job.BildNameRechts.set(QStringLiteral("rose.bmp"));
    }

    ~BenchData() { SettingsFile::setCurrent(nullptr); }

    // Made for every drawing, as the program makes it for every preview item.
    RenderContext context() const {
        RenderContext context = RenderContext::FromSettings(settings_.get());
        context.PictureFiles = &pictures_;
        return context;
    }

    TJob job;

private:
    // A ring of ink on white.
    static QImage Picture(int width, int height) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        p.setPen(QPen(Qt::black, width / 10));
        p.drawEllipse(image.rect().adjusted(width / 8, height / 8, -width / 8, -height / 8));
        return image;
    }
    static QImage Thumbnail(const QImage &image) {
        QImage thumb(64, 64, QImage::Format_RGB32);
        thumb.fill(Qt::white);
        QPainter p(&thumb);
        const QImage scaled = image.scaled(64, 64, Qt::KeepAspectRatio);
        p.drawImage((64 - scaled.width()) / 2, (64 - scaled.height()) / 2, scaled);
        return thumb;
    }

    std::unique_ptr<QGuiApplication> app_;
    QTemporaryDir dir_;
    std::unique_ptr<SettingsFile> settings_;
    PictureCatalogue pictures_;
};

BenchData &Data() {
    static BenchData data;
    return data;
}

// The preview: one list item, the ribbon mapped isotropically into it, scale 1.
void BM_DrawJobPreview(benchmark::State &state) {
    BenchData &data = Data();
    QImage item(463, 70, QImage::Format_RGB32);
    item.fill(Qt::white);
    QPainter painter(&item);
    QPainterCanvas canvas(painter);
    canvas.setMapMode(CanvasMapping::Mode::Isotropic);
    canvas.setWindowExt(QSize(data.job.Laenge, data.job.Breite));
    canvas.setViewportExt(item.size());
    for (auto _ : state) {
        RenderContext context = data.context();
        DrawJob(context, data.job, canvas, 1, DrawLeftEnd | DrawRightEnd);
    }
}
BENCHMARK(BM_DrawJobPreview)->Unit(benchmark::kMicrosecond);

// Printing: an A4 landscape page at 600 dpi, 1/8 mm per logical unit, scale 8,
// plain letters in the printing colour and pictures from their files.
void BM_DrawJobPrint(benchmark::State &state) {
    BenchData &data = Data();
    QImage page(7017, 4958, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    QPainterCanvas canvas(painter, true);
    canvas.setMapMode(CanvasMapping::Mode::Isotropic);
    canvas.setWindowExt(QSize(254 * 8, 254 * 8));  // 254 mm is 10 inches
    canvas.setViewportExt(QSize(6000, 6000));      // 10 inches at 600 dpi
    for (auto _ : state) {
        RenderContext context = data.context();
        DrawJob(context, data.job, canvas, 8, 31);
    }
}
BENCHMARK(BM_DrawJobPrint)->Unit(benchmark::kMillisecond);

}  // namespace

// Other benchmark files may bring their own main; one is enough.
__attribute__((weak)) int main(int argc, char **argv) {
    Data();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
