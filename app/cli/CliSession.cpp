#include "app/cli/CliSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QTextStream>

#include <sys/stat.h>

#include "model/DataFolder.h"
#include "model/Job.h"
#include "model/SettingsFile.h"
#include "print/PrintCommand.h"
#include "print/QtPrinter.h"
#include "render/DrawJob.h"
#include "render/QPainterCanvas.h"
#include "render/Typefaces.h"

// The data folder's settings file may be missing (every key has its default);
// one named on the command line must be there.
QString CliSettingsPath(const CliArgs &args) {
    if (!args.has(QStringLiteral("settings")))
        return SettingsFilePath();
    const QString path = args.value(QStringLiteral("settings"));
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        throw BadInput(QStringLiteral("%1: Einstellungsdatei kann nicht gelesen werden").arg(path));
    return path;
}

namespace {

QStringList PictureNames(const RibbonEntry &entry) {
    return {entry.job->BildNameLinks.str(), entry.job->BildNameRechts.str()};
}

}  // namespace

CliError BadInput(const QString &message) {
    return CliError(CliBadInput, message);
}

CliSession::CliSession(const CliArgs &args) : args_(args) {
    RibbonFileResult result = LoadRibbonFile(args.file);
    if (!result.ok())
        throw BadInput(result.error->text());
    ribbons_ = std::move(result.ribbons);
    shared_ = std::make_unique<RibbonSession>(CliSettingsPath(args));
}

CliSession::~CliSession() = default;

std::vector<const RibbonEntry *> CliSession::selected() const {
    std::vector<const RibbonEntry *> chosen;
    const bool one = args_.has(QStringLiteral("section"));
    const QString name = args_.value(QStringLiteral("section"));
    for (const RibbonEntry &entry : ribbons_) {
        if (!one || entry.section.compare(name, Qt::CaseInsensitive) == 0)
            chosen.push_back(&entry);
    }
    if (chosen.empty())
        throw BadInput(QStringLiteral("%1: Abschnitt \"%2\" fehlt in der Schleifendatei")
                           .arg(args_.file, name));
    return chosen;
}

void CliSession::warnMissingPictures(const std::vector<const RibbonEntry *> &ribbons,
                                     QTextStream &err) const {
    QSet<QString> faces;
    for (const RibbonEntry *entry : ribbons) {
        // Without text the ribbon's face draws nothing.
        if (!entry->job->HasText())
            continue;
        const QString face = entry->job->FontName.str();
        const QString missing = MissingFaceMessage(face);
        if (!missing.isEmpty() && !faces.contains(face)) {
            faces.insert(face);
            err << QStringLiteral("%1:%2: Warnung: %3\n")
                       .arg(args_.file)
                       .arg(entry->line)
                       .arg(missing);
        }
    }
    for (const RibbonEntry *entry : ribbons) {
        for (const QString &name : PictureNames(*entry)) {
            if (name.isEmpty())
                continue;
            QImage picture;
            LoadPicture(name, DrawPrintColors, picture);
            if (picture.isNull())
                err << QStringLiteral(
                           "%1:%2: Warnung: Bild \"%3\" fehlt in %4 oder ist unlesbar; es wird "
                           "ausgelassen\n")
                           .arg(args_.file)
                           .arg(entry->line)
                           .arg(name, QDir::toNativeSeparators(PictureFolder()));
        }
    }
}

void CliSession::fillPreviewPictures(const std::vector<const RibbonEntry *> &ribbons) {
    QStringList names;
    for (const RibbonEntry *entry : ribbons)
        names += PictureNames(*entry);
    shared_->loadPictures(names);
}

CanvasMapping TrueSizeMapping(int scale, int dpi) {
    CanvasMapping mapping;
    mapping.setMode(CanvasMapping::Mode::Isotropic);
    mapping.setWindowExt(QSize(254 * scale, 254 * scale));
    mapping.setViewportExt(QSize(10 * dpi, 10 * dpi));
    return mapping;
}

namespace {

// The same file under another name (a link, "./x", a hard link)?
bool SameFile(const QString &a, const QString &b) {
    struct stat sa {
    }, sb{};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

}  // namespace

void CheckOutputFile(const CliArgs &args, const QString &path) {
    QString target;
    try {
        target = QtPrinter::ResolvePdfTarget(path);
    } catch (const PrinterError &e) {
        throw BadInput(QStringLiteral("%1: %2").arg(path, e.message()));
    }
    const QString settingsFile = args.value(QStringLiteral("settings"));
    if (SameFile(target, args.file) || (!settingsFile.isEmpty() && SameFile(target, settingsFile)))
        throw BadInput(
            QStringLiteral(
                "%1: ist eine Eingabedatei dieses Aufrufs und w\u00fcrde \u00fcberschrieben")
                .arg(path));
}

QString SelectCliPrinter(const CliArgs &args, QtPrinter &printer) {
    if (!args.has(QStringLiteral("pdf"))) {
        try {
            RibbonSession::SelectQueue(printer, args.value(QStringLiteral("printer")));
        } catch (const PrinterError &e) {
            throw BadInput(e.message());
        }
        return QString();
    }
    const QString output = QFileInfo(args.value(QStringLiteral("pdf"))).absoluteFilePath();
    if (!QFileInfo(QFileInfo(output).absolutePath()).isDir())
        throw BadInput(QStringLiteral("%1: Ordner fehlt").arg(QFileInfo(output).absolutePath()));
    if (QFileInfo(output).isDir())
        throw BadInput(QStringLiteral("%1: ist ein Ordner").arg(output));
    CheckOutputFile(args, output);
    RibbonSession::SelectPdfPrinter(printer, output);
    return output;
}

void CheckDrawable(const CliArgs &args, const std::vector<const RibbonEntry *> &ribbons) {
    // The largest ribbon side drawn, in millimetres: what a paper field holds.
    constexpr std::int32_t kMaxSideMm = 32767;
    const auto outside = [](std::int32_t v) { return v <= 0 || v > kMaxSideMm; };
    for (const RibbonEntry *entry : ribbons) {
        const TJob &job = *entry->job;
        if (outside(job.Laenge) || outside(job.Breite))
            throw BadInput(
                QStringLiteral("%1:%2: Schleife \"%3\" mit L\u00e4nge %4 mm und Breite %5 mm "
                               "kann nicht gezeichnet werden (1 bis %6 mm)")
                    .arg(args.file)
                    .arg(entry->line)
                    .arg(entry->section)
                    .arg(job.Laenge)
                    .arg(job.Breite)
                    .arg(kMaxSideMm));
        if (outside(job.FontGroesse))
            throw BadInput(QStringLiteral("%1:%2: Schleife \"%3\" mit Schriftgr\u00f6\u00dfe %4 mm "
                                          "kann nicht gezeichnet werden (1 bis %5 mm)")
                               .arg(args.file)
                               .arg(entry->line)
                               .arg(entry->section)
                               .arg(job.FontGroesse)
                               .arg(kMaxSideMm));
    }
}

void DrawRibbon(const RenderContext &settings, const TJob &job, RibbonCanvas &canvas, int scale,
                int flags) {
    RenderContext context = settings;
    context.DrawOrigin = QPoint(0, 0);
    DrawJob(context, job, canvas, scale, flags);
}
