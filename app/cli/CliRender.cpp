#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextStream>
#include <cmath>

#include "app/cli/CliCommands.h"
#include "app/cli/CliSession.h"
#include "model/Job.h"
#include "render/QPainterCanvas.h"

namespace {

// A PNG of more pixels would need more than half a gigabyte.
constexpr qint64 kMaxImagePixels = qint64(1) << 27;
constexpr int kMaxImageSide = 32767;

struct RenderJob {
    const CliArgs &args;
    std::vector<const RibbonEntry *> ribbons;
    QString output;
    int dpi = 0;
    bool asPrinted = false;
    RenderContext context = RenderContext();
    int scale() const { return asPrinted ? PrintScale : PreviewScale; }
    int flags() const { return asPrinted ? PrintFlags : PreviewFlags; }
};

// "probe.png" for the n-th of several ribbons: "probe-n.png".
QString NumberedPath(const QString &path, int n) {
    const QString suffix = QFileInfo(path).suffix();
    const QString stem = path.left(path.size() - suffix.size() - 1);
    return QStringLiteral("%1-%2.%3").arg(stem).arg(n).arg(suffix);
}

// One page of the ribbon's own size per ribbon. The file appears only whole.
void RenderPdf(const RenderJob &r, QTextStream &out) {
    CheckOutputFile(r.args, r.output);
    QSaveFile file(r.output);
    if (!file.open(QIODevice::WriteOnly))
        throw BadInput(QStringLiteral("%1: kann nicht geschrieben werden: %2")
                           .arg(r.output, file.errorString()));
    QPdfWriter writer(&file);
    writer.setResolution(r.dpi);
    writer.setCreator(QStringLiteral("Vellumo"));
    writer.setTitle(QFileInfo(r.args.file).fileName());
    QPainter painter;
    for (const RibbonEntry *entry : r.ribbons) {
        const TJob &job = *entry->job;
        writer.setPageLayout(
            QPageLayout(QPageSize(QSizeF(job.Laenge, job.Breite), QPageSize::Millimeter, QString(),
                                  QPageSize::ExactMatch),
                        QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter));
        if (!painter.isActive()) {
            if (!painter.begin(&writer))
                throw BadInput(QStringLiteral("%1: PDF kann nicht angelegt werden").arg(r.output));
        } else {
            writer.newPage();
        }
        // Every page gets its own canvas: the canvas lays its mapping over the
        // painter's transform as it finds it.
        QPainterCanvas canvas(painter, r.asPrinted);
        canvas.setMapping(TrueSizeMapping(r.scale(), r.dpi));
        DrawRibbon(r.context, job, canvas, r.scale(), r.flags());
    }
    painter.end();
    if (!file.commit())
        throw BadInput(QStringLiteral("%1: kann nicht geschrieben werden: %2")
                           .arg(r.output, file.errorString()));
    out << r.output << '\n';
}

// One image per ribbon, white where nothing is drawn.
void RenderPng(const RenderJob &r, QTextStream &out) {
    for (int i = 1; i <= int(r.ribbons.size()); ++i)
        CheckOutputFile(r.args, r.ribbons.size() == 1 ? r.output : NumberedPath(r.output, i));
    int n = 0;
    for (const RibbonEntry *entry : r.ribbons) {
        const TJob &job = *entry->job;
        const qint64 width = std::llround(job.Laenge * r.dpi / 25.4);
        const qint64 height = std::llround(job.Breite * r.dpi / 25.4);
        if (width > kMaxImageSide || height > kMaxImageSide || width * height > kMaxImagePixels)
            throw BadInput(QStringLiteral("%1:%2: das Bild w\u00e4re %3 x %4 Pixel gro\u00df; "
                                          "bitte eine kleinere --dpi w\u00e4hlen")
                               .arg(r.args.file)
                               .arg(entry->line)
                               .arg(width)
                               .arg(height));
        QImage image(int(std::max<qint64>(width, 1)), int(std::max<qint64>(height, 1)),
                     QImage::Format_RGB32);
        if (image.isNull())
            throw BadInput(QStringLiteral("%1:%2: zu wenig Speicher f\u00fcr %3 x %4 Pixel")
                               .arg(r.args.file)
                               .arg(entry->line)
                               .arg(width)
                               .arg(height));
        image.fill(Qt::white);
        const int dotsPerMetre = int(std::lround(r.dpi / 0.0254));
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
        {
            QPainter painter(&image);
            QPainterCanvas canvas(painter, r.asPrinted);
            canvas.setMapping(TrueSizeMapping(r.scale(), r.dpi));
            DrawRibbon(r.context, job, canvas, r.scale(), r.flags());
        }
        const QString path = r.ribbons.size() == 1 ? r.output : NumberedPath(r.output, ++n);
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit())
            throw BadInput(QStringLiteral("%1: kann nicht geschrieben werden").arg(path));
        out << path << '\n';
    }
}

}  // namespace

int RunRender(const CliArgs &args, QTextStream &out, QTextStream &err) {
    if (!args.has(QStringLiteral("output")))
        throw CliError(CliBadUsage,
                       QStringLiteral("vellumo-cli: render braucht -o AUS.png oder -o AUS.pdf\n"
                                      "Hilfe: vellumo-cli render --help"));
    RenderJob r{args, {}, args.value(QStringLiteral("output"))};
    const QString suffix = QFileInfo(r.output).suffix().toLower();
    if (suffix != QLatin1String("png") && suffix != QLatin1String("pdf"))
        throw CliError(CliBadUsage,
                       QStringLiteral("vellumo-cli: Ausgabe \"%1\" muss auf .png oder .pdf enden")
                           .arg(r.output));
    const bool pdf = suffix == QLatin1String("pdf");
    r.dpi = args.integer(QStringLiteral("dpi"), 1, 2400, pdf ? 600 : 150);
    r.asPrinted = args.switches.contains(QStringLiteral("print"));

    CliSession session(args);
    r.ribbons = session.selected();
    CheckDrawable(args, r.ribbons);
    session.warnMissingPictures(r.ribbons, err);
    if (!r.asPrinted)
        session.fillPreviewPictures(r.ribbons);
    r.context = session.context();
    const QString folder = QFileInfo(r.output).absolutePath();
    if (!QFileInfo(folder).isDir())
        throw BadInput(QStringLiteral("%1: Ordner fehlt").arg(folder));

    if (pdf)
        RenderPdf(r, out);
    else
        RenderPng(r, out);
    return CliOk;
}
