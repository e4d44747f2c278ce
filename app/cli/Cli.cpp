#include "app/cli/Cli.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextStream>
#include <cmath>
#include <memory>

#include "app/cli/CliArgs.h"
#include "app/cli/Trace.h"
#include "app/cli/WatchedPrinter.h"
#include "model/DataFolder.h"
#include "model/Job.h"
#include "model/RibbonFile.h"
#include "model/SettingsFile.h"
#include "print/PrintCommand.h"
#include "print/PrintRun.h"
#include "print/QtPrinter.h"
#include "print/RecordingPrinter.h"
#include "render/DrawJob.h"
#include "render/Pictures.h"
#include "render/QPainterCanvas.h"
#include "render/RecordingCanvas.h"
#include "render/RenderState.h"

namespace {

constexpr int kPreviewScale = 1;
constexpr int kPreviewFlags = DrawLeftEnd | DrawRightEnd;
constexpr int kPrintScale = 8;
constexpr int kPrintFlags = DrawPrint | DrawOutline | DrawLeftEnd | DrawRightEnd | DrawPrintColors;
// Device resolution of the recording surface of trace: the PDF printer's.
constexpr int kTraceDpi = QtPrinter::Resolution;
// The largest ribbon side drawn, in millimetres: what a paper field holds.
constexpr int kMaxSideMm = 32767;
// A PNG of more pixels would need more than half a gigabyte.
constexpr qint64 kMaxImagePixels = qint64(1) << 27;
constexpr int kMaxImageSide = 32767;

CliError badInput(const QString &message) {
    return CliError(CliBadInput, message);
}

// The process-wide values a command sets, put back when it ends, so that one
// process can run several commands (the tests do).
class GlobalsGuard {
public:
    GlobalsGuard()
        : settings_(SettingsFile::current()),
          rasterizer_(RasterizerMode),
          leading_(InternalLeadingDivisor),
          pictures_(PictureFiles) {}
    ~GlobalsGuard() {
        SettingsFile::setCurrent(settings_);
        RasterizerMode = rasterizer_;
        InternalLeadingDivisor = leading_;
        PictureFiles = pictures_;
        DrawOrigin = QPoint(0, 0);
    }
    GlobalsGuard(const GlobalsGuard &) = delete;
    GlobalsGuard &operator=(const GlobalsGuard &) = delete;

private:
    SettingsFile *settings_;
    int rasterizer_;
    std::int32_t leading_;
    PictureCatalogue pictures_;
};

// The settings file of this run: --settings INI, or RIBOLANT.INI of the data
// folder. Only ever read: no command writes settings.
std::unique_ptr<SettingsFile> OpenSettings(const CliArgs &args) {
    if (!args.has(QStringLiteral("settings")))
        return std::make_unique<SettingsFile>(SettingsFilePath());
    const QString path = args.value(QStringLiteral("settings"));
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        throw badInput(QStringLiteral("%1: Einstellungsdatei kann nicht gelesen werden").arg(path));
    return std::make_unique<SettingsFile>(path);
}

// What the window reads once at start-up: the glyph rasterizer mode of
// [General] "Version" and "Rasterizer".
void ReadRasterizerMode(const SettingsFile &settings) {
    const QString general = QStringLiteral("General");
    RasterizerMode = 0;
    if (settings.readString(general, QStringLiteral("Version")) == QLatin1String("NT"))
        RasterizerMode = 1;
    const QString rasterizer = settings.readString(general, QStringLiteral("Rasterizer"));
    if (rasterizer == QLatin1String("NT"))
        RasterizerMode = 1;
    else if (rasterizer == QLatin1String("9x"))
        RasterizerMode = 2;
}

std::vector<RibbonEntry> LoadRibbons(const QString &path) {
    RibbonFileResult result = LoadRibbonFile(path);
    if (!result.ok())
        throw badInput(result.error->text());
    return std::move(result.ribbons);
}

// All ribbons, or the one section that --section names.
std::vector<const RibbonEntry *> Selected(const std::vector<RibbonEntry> &ribbons,
                                          const CliArgs &args) {
    std::vector<const RibbonEntry *> chosen;
    const bool one = args.has(QStringLiteral("section"));
    const QString name = args.value(QStringLiteral("section"));
    for (const RibbonEntry &entry : ribbons) {
        if (!one || entry.section.compare(name, Qt::CaseInsensitive) == 0)
            chosen.push_back(&entry);
    }
    if (chosen.empty())
        throw badInput(QStringLiteral("%1: Abschnitt \"%2\" fehlt in der Schleifendatei")
                           .arg(args.file, name));
    return chosen;
}

// A picture that a ribbon names but the picture folder lacks is left out of
// the drawing, as in the window; a proof without it must not pass unnoticed.
void WarnMissingPictures(const CliArgs &args, const std::vector<const RibbonEntry *> &ribbons,
                         QTextStream &err) {
    for (const RibbonEntry *entry : ribbons) {
        for (const QString &name :
             {entry->job->BildNameLinks.str(), entry->job->BildNameRechts.str()}) {
            if (name.isEmpty())
                continue;
            QImage picture;
            LoadPicture(name, DrawPrintColors, picture);
            if (picture.isNull())
                err << QStringLiteral(
                           "%1:%2: Warnung: Bild \"%3\" fehlt in %4 oder ist unlesbar; "
                           "es wird ausgelassen\n")
                           .arg(args.file)
                           .arg(entry->line)
                           .arg(name, QDir::toNativeSeparators(PictureFolder()));
        }
    }
}

// The preview takes its pictures from the catalogue of 64 x 64 thumbnails that
// the window builds at start-up; the same thumbnails, for the pictures named.
void FillPreviewPictures(const std::vector<const RibbonEntry *> &ribbons) {
    PictureFiles = PictureCatalogue();
    for (const RibbonEntry *entry : ribbons) {
        for (const QString &name :
             {entry->job->BildNameLinks.str(), entry->job->BildNameRechts.str()}) {
            QImage picture;
            LoadPicture(name, DrawPrintColors, picture);
            if (picture.isNull())
                continue;
            constexpr int kThumbnail = 64;
            QImage thumbnail(kThumbnail, kThumbnail, QImage::Format_RGB32);
            thumbnail.fill(Qt::white);
            {
                QPainter painter(&thumbnail);
                QPainterCanvas canvas(painter);
                BlitPicture(canvas, picture, LRect{0, 0, kThumbnail, kThumbnail}, DrawPrintColors,
                            0, RgbColor(0, 0, 0), RgbColor(0, 0, 0));
            }
            PictureFiles.files.append(name);
            PictureFiles.thumbnails.append(thumbnail);
        }
    }
}

// One logical unit is 1/scale mm on a device of dpi pixels per inch.
CanvasMapping TrueSizeMapping(int scale, int dpi) {
    CanvasMapping mapping;
    mapping.setMode(CanvasMapping::Mode::Isotropic);
    mapping.setWindowExt(QSize(254 * scale, 254 * scale));
    mapping.setViewportExt(QSize(10 * dpi, 10 * dpi));
    return mapping;
}

void CheckDrawable(const CliArgs &args, const RibbonEntry &entry) {
    const TJob &job = *entry.job;
    if (job.Laenge <= 0 || job.Breite <= 0 || job.Laenge > kMaxSideMm || job.Breite > kMaxSideMm)
        throw badInput(
            QStringLiteral("%1:%2: Schleife \"%3\" mit L\u00e4nge %4 mm und Breite %5 mm "
                           "kann nicht gezeichnet werden (1 bis %6 mm)")
                .arg(args.file)
                .arg(entry.line)
                .arg(entry.section)
                .arg(job.Laenge)
                .arg(job.Breite)
                .arg(kMaxSideMm));
}

QString NumberedPath(const QString &path, int n) {
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    const QString stem = path.left(path.size() - suffix.size() - 1);
    return QStringLiteral("%1-%2.%3").arg(stem).arg(n).arg(suffix);
}

void DrawRibbon(const TJob &job, RibbonCanvas &canvas, int scale, int flags) {
    DrawOrigin = QPoint(0, 0);
    DrawJob(job, canvas, scale, flags);
}

int Render(const CliArgs &args, QTextStream &out, QTextStream &err) {
    if (!args.has(QStringLiteral("output")))
        throw CliError(CliBadUsage,
                       QStringLiteral("vellumo-cli: render braucht -o AUS.png oder -o AUS.pdf\n"
                                      "Hilfe: vellumo-cli render --help"));
    const QString output = args.value(QStringLiteral("output"));
    const QString suffix = QFileInfo(output).suffix().toLower();
    if (suffix != QLatin1String("png") && suffix != QLatin1String("pdf"))
        throw CliError(CliBadUsage,
                       QStringLiteral("vellumo-cli: Ausgabe \"%1\" muss auf .png oder .pdf enden")
                           .arg(output));
    const bool pdf = suffix == QLatin1String("pdf");
    const int dpi = args.integer(QStringLiteral("dpi"), 1, 2400, pdf ? 600 : 150);
    const bool asPrinted = args.switches.contains(QStringLiteral("print"));
    const int scale = asPrinted ? kPrintScale : kPreviewScale;
    const int flags = asPrinted ? kPrintFlags : kPreviewFlags;

    const std::vector<RibbonEntry> ribbons = LoadRibbons(args.file);
    const std::vector<const RibbonEntry *> chosen = Selected(ribbons, args);
    const auto settings = OpenSettings(args);
    SettingsFile::setCurrent(settings.get());
    ReadRasterizerMode(*settings);
    ReadInternalLeadingDivisor();
    for (const RibbonEntry *entry : chosen)
        CheckDrawable(args, *entry);
    WarnMissingPictures(args, chosen, err);
    if (!asPrinted)
        FillPreviewPictures(chosen);
    if (!QFileInfo(QFileInfo(output).absolutePath()).isDir())
        throw badInput(QStringLiteral("%1: Ordner fehlt").arg(QFileInfo(output).absolutePath()));

    if (pdf) {
        QSaveFile file(output);
        if (!file.open(QIODevice::WriteOnly))
            throw badInput(QStringLiteral("%1: kann nicht geschrieben werden: %2")
                               .arg(output, file.errorString()));
        QPdfWriter writer(&file);
        writer.setResolution(dpi);
        writer.setCreator(QStringLiteral("Vellumo"));
        writer.setTitle(QFileInfo(args.file).fileName());
        QPainter painter;
        for (const RibbonEntry *entry : chosen) {
            const TJob &job = *entry->job;
            const QPageLayout layout(
                QPageSize(QSizeF(job.Laenge, job.Breite), QPageSize::Millimeter, QString(),
                          QPageSize::ExactMatch),
                QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter);
            writer.setPageLayout(layout);
            if (!painter.isActive()) {
                if (!painter.begin(&writer))
                    throw badInput(
                        QStringLiteral("%1: PDF kann nicht angelegt werden").arg(output));
            } else {
                writer.newPage();
            }
            QPainterCanvas canvas(painter, asPrinted);
            canvas.setMapping(TrueSizeMapping(scale, dpi));
            DrawRibbon(job, canvas, scale, flags);
        }
        painter.end();
        if (!file.commit())
            throw badInput(QStringLiteral("%1: kann nicht geschrieben werden: %2")
                               .arg(output, file.errorString()));
        out << output << '\n';
        return CliOk;
    }

    int n = 0;
    for (const RibbonEntry *entry : chosen) {
        const TJob &job = *entry->job;
        const qint64 width = std::llround(job.Laenge * dpi / 25.4);
        const qint64 height = std::llround(job.Breite * dpi / 25.4);
        if (width > kMaxImageSide || height > kMaxImageSide || width * height > kMaxImagePixels)
            throw badInput(QStringLiteral("%1:%2: das Bild w\u00e4re %3 x %4 Pixel gro\u00df; "
                                          "bitte eine kleinere --dpi w\u00e4hlen")
                               .arg(args.file)
                               .arg(entry->line)
                               .arg(width)
                               .arg(height));
        QImage image(int(std::max<qint64>(width, 1)), int(std::max<qint64>(height, 1)),
                     QImage::Format_RGB32);
        if (image.isNull())
            throw badInput(QStringLiteral("%1:%2: zu wenig Speicher f\u00fcr %3 x %4 Pixel")
                               .arg(args.file)
                               .arg(entry->line)
                               .arg(width)
                               .arg(height));
        image.fill(Qt::white);
        const int dotsPerMetre = int(std::lround(dpi / 0.0254));
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
        {
            QPainter painter(&image);
            QPainterCanvas canvas(painter, asPrinted);
            canvas.setMapping(TrueSizeMapping(scale, dpi));
            DrawRibbon(job, canvas, scale, flags);
        }
        const QString path = chosen.size() == 1 ? output : NumberedPath(output, ++n);
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit())
            throw badInput(QStringLiteral("%1: kann nicht geschrieben werden").arg(path));
        out << path << '\n';
    }
    return CliOk;
}

int Trace(const CliArgs &args, QTextStream &out, QTextStream &err) {
    const int scale = args.integer(QStringLiteral("scale"), 1, 64, kPrintScale);
    const int flags = args.integer(QStringLiteral("flags"), 0, 31, kPrintFlags);
    const std::vector<RibbonEntry> ribbons = LoadRibbons(args.file);
    const std::vector<const RibbonEntry *> chosen = Selected(ribbons, args);
    const auto settings = OpenSettings(args);
    SettingsFile::setCurrent(settings.get());
    ReadRasterizerMode(*settings);
    ReadInternalLeadingDivisor();
    WarnMissingPictures(args, chosen, err);
    if (!(flags & DrawPrintColors))
        FillPreviewPictures(chosen);

    for (const RibbonEntry *entry : chosen) {
        out << QStringLiteral("ribbon index=%1 section=%2\n")
                   .arg(entry - ribbons.data() + 1)
                   .arg(TraceQuoted(entry->section));
        RecordingCanvas canvas;
        canvas.setMapping(TrueSizeMapping(scale, kTraceDpi));
        DrawRibbon(*entry->job, canvas, scale, flags);
        for (const QString &line : TraceLines(canvas.ops()))
            out << line << '\n';
    }
    return CliOk;
}

// The steps of the print command before the method runs: ribbons without text
// go, the range is taken, the width rule starts afresh.
struct PreparedRun {
    PrintRun run;
    std::vector<const RibbonEntry *> entries;  // index for index with run.jobs
    std::int32_t methode = 0;
};

PreparedRun PrepareRun(const CliArgs &args, const std::vector<RibbonEntry> &ribbons,
                       const SettingsFile &settings) {
    PreparedRun prepared;
    for (const RibbonEntry &entry : ribbons) {
        if (!HasRibbonText(*entry.job))
            continue;
        prepared.entries.push_back(&entry);
        prepared.run.jobs.append(entry.job.get());
    }
    const int count = int(prepared.run.jobs.size());
    if (count == 0)
        throw badInput(
            QStringLiteral("%1: keine Schleife mit Text; nichts gedruckt").arg(args.file));
    prepared.run.PrintFirst = 0;
    prepared.run.PrintLast = count - 1;
    if (args.has(QStringLiteral("from")) || args.has(QStringLiteral("to"))) {
        PrintRange range;
        range.kind = PrintRange::Pages;
        range.from = args.integer(QStringLiteral("from"), 1, count, 1);
        range.to = args.integer(QStringLiteral("to"), 1, count, count);
        if (range.from > range.to)
            throw CliError(CliBadUsage,
                           QStringLiteral("vellumo-cli: --from %1 liegt hinter --to %2")
                               .arg(range.from)
                               .arg(range.to));
        ApplyPrintRange(prepared.run, range, -1);
    }
    if (args.has(QStringLiteral("methode"))) {
        prepared.methode = args.integer(QStringLiteral("methode"), 0, 4, 0);
    } else {
        prepared.methode =
            settings.readInteger(QStringLiteral("Drucker"), QStringLiteral("Methode"), 0);
        if (prepared.methode < 0 || prepared.methode > 4)
            throw badInput(QStringLiteral("%1: \"Methode\" %2 in [Drucker] druckt nichts (0 bis 4)")
                               .arg(settings.path())
                               .arg(prepared.methode));
    }
    return prepared;
}

void ReportLeftOut(const PreparedRun &prepared, QTextStream &err) {
    if (!prepared.run.WidthMismatch)
        return;
    err << WidthMismatchMessage().trimmed() << '\n';
    for (const TJob *job : prepared.run.LeftOut) {
        const qsizetype i = prepared.run.jobs.indexOf(job);
        err << QStringLiteral("  ausgelassen: Schleife %1 (Abschnitt \"%2\", %3 mm breit)\n")
                   .arg(i + 1)
                   .arg(prepared.entries[std::size_t(i)]->section)
                   .arg(job->Breite);
    }
}

// A run that the printer or the page sizes made fail is no success. The print
// methods keep their errors to themselves, as the window wants; what is known
// here is whether a document ended, and what the printer said.
void CheckRun(const WatchedPrinter &printer) {
    const QString reason = printer.failure().isEmpty()
                               ? QStringLiteral(
                                     "eine Papierl\u00e4nge oder -breite passt nicht in die "
                                     "Druckereinstellungen (h\u00f6chstens 3276,7 mm)")
                               : printer.failure();
    if (printer.endFailed())
        throw badInput(QStringLiteral("Druck fehlgeschlagen beim Abschluss des Auftrags, ein Teil "
                                      "kann gedruckt sein: %1")
                           .arg(reason));
    if (printer.documentsAborted() > 0 || printer.documentsEnded() == 0)
        throw badInput(
            QStringLiteral("Druck fehlgeschlagen, nichts wurde gedruckt: %1").arg(reason));
}

int Print(const CliArgs &args, QTextStream &out, QTextStream &err) {
    Q_UNUSED(out);
    const bool toPdf = args.has(QStringLiteral("pdf"));
    if (toPdf == args.has(QStringLiteral("printer")))
        throw CliError(CliBadUsage,
                       QStringLiteral("vellumo-cli: print braucht entweder --pdf AUS.pdf oder "
                                      "--printer NAME\nHilfe: vellumo-cli print --help"));
    const QString queue = args.value(QStringLiteral("printer"));
    if (!toPdf && queue.compare(QtPrinter::PdfPrinterName, Qt::CaseInsensitive) == 0)
        throw CliError(
            CliBadUsage,
            QStringLiteral("vellumo-cli: f\u00fcr eine PDF-Datei --pdf AUS.pdf angeben"));
    const std::vector<RibbonEntry> ribbons = LoadRibbons(args.file);
    const auto settings = OpenSettings(args);
    SettingsFile::setCurrent(settings.get());
    ReadRasterizerMode(*settings);
    PreparedRun prepared = PrepareRun(args, ribbons, *settings);
    WarnMissingPictures(args, prepared.entries, err);

    QtPrinter printer;
    if (toPdf) {
        const QString output = QFileInfo(args.value(QStringLiteral("pdf"))).absoluteFilePath();
        if (!QFileInfo(QFileInfo(output).absolutePath()).isDir())
            throw badInput(
                QStringLiteral("%1: Ordner fehlt").arg(QFileInfo(output).absolutePath()));
        printer.selectPrinterByName(QtPrinter::PdfPrinterName);
        printer.setPdfOutputFile(output);
    } else if (!printer.selectPrinterByName(queue)) {
        QStringList queues = printer.printers();
        queues.removeAll(QtPrinter::PdfPrinterName);
        throw badInput(QStringLiteral("Drucker \"%1\" nicht gefunden; vorhanden: %2")
                           .arg(queue, queues.isEmpty() ? QStringLiteral("keine")
                                                        : queues.join(QStringLiteral(", "))));
    }
    printer.reselectWithDriverDefaults();

    WatchedPrinter watched(printer);
    ReadInternalLeadingDivisor();
    RunPrintMethod(watched, prepared.run, prepared.methode);
    ReportLeftOut(prepared, err);
    CheckRun(watched);
    return CliOk;
}

QString Tenths(std::uint32_t fields, std::uint32_t field, std::int16_t value) {
    return (fields & field) ? QString::number(value) : QStringLiteral("-");
}

// "WxH@DPI": printable width and height in millimetres (a tenth at most),
// dots per inch.
RecordingPrinter::Config PageConfig(const QString &text) {
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{1,4}(?:\\.\\d)?)x(\\d{1,4}(?:\\.\\d)?)@(\\d{1,4})$"));
    const QRegularExpressionMatch m = pattern.match(text);
    const auto bad = [&] {
        return CliError(CliBadUsage,
                        QStringLiteral("vellumo-cli: --page erwartet BxH@DPI in mm, z. B. "
                                       "210x297@600 (h\u00f6chstens 3276.7 mm, 1 bis 2400 dpi), "
                                       "nicht \"%1\"")
                            .arg(text));
    };
    if (!m.hasMatch())
        throw bad();
    const int widthTenths = int(std::lround(m.captured(1).toDouble() * 10));
    const int heightTenths = int(std::lround(m.captured(2).toDouble() * 10));
    const int dpi = m.captured(3).toInt();
    if (widthTenths < 1 || heightTenths < 1 || widthTenths > 32767 || heightTenths > 32767 ||
        dpi < 1 || dpi > 2400)
        throw bad();
    RecordingPrinter::Config config;
    config.printers = {QStringLiteral("Aufzeichnung")};
    config.driverDefaults = DeviceSettings{0, DeviceSettings::Portrait, 9,
                                           std::int16_t(heightTenths), std::int16_t(widthTenths)};
    config.dpi = dpi;
    return config;
}

int TracePrint(const CliArgs &args, QTextStream &out, QTextStream &err) {
    if (!args.has(QStringLiteral("page")))
        throw CliError(CliBadUsage,
                       QStringLiteral("vellumo-cli: trace-print braucht --page BxH@DPI\n"
                                      "Hilfe: vellumo-cli trace-print --help"));
    RecordingPrinter printer(PageConfig(args.value(QStringLiteral("page"))));
    const std::vector<RibbonEntry> ribbons = LoadRibbons(args.file);
    const auto settings = OpenSettings(args);
    SettingsFile::setCurrent(settings.get());
    ReadRasterizerMode(*settings);
    PreparedRun prepared = PrepareRun(args, ribbons, *settings);
    WarnMissingPictures(args, prepared.entries, err);

    printer.selectPrinter(0);
    printer.reselectWithDriverDefaults();
    WatchedPrinter watched(printer);
    ReadInternalLeadingDivisor();
    RunPrintMethod(watched, prepared.run, prepared.methode);

    int n = 0;
    int printed = 0;
    for (const RecordingPrinter::Page &page : printer.pages()) {
        const DeviceSettings &s = page.settings;
        out << QStringLiteral("page %1 papersize=%2 orientation=%3 length=%4 width=%5%6\n")
                   .arg(++n)
                   .arg(Tenths(s.fields, DeviceSettings::FieldPaperSize, s.paperSize))
                   .arg(s.orientation == DeviceSettings::Landscape ? QStringLiteral("landscape")
                                                                   : QStringLiteral("portrait"))
                   .arg(Tenths(s.fields, DeviceSettings::FieldPaperLength, s.paperLength))
                   .arg(Tenths(s.fields, DeviceSettings::FieldPaperWidth, s.paperWidth))
                   .arg(page.discarded ? QStringLiteral(" discarded") : QString());
        if (!page.discarded)
            ++printed;
        for (const QString &line : TraceLines(page.canvas->ops()))
            out << line << '\n';
    }
    for (const TJob *job : prepared.run.LeftOut) {
        const qsizetype i = prepared.run.jobs.indexOf(job);
        out << QStringLiteral("skipped index=%1 section=%2\n")
                   .arg(i + 1)
                   .arg(TraceQuoted(prepared.entries[std::size_t(i)]->section));
    }
    out << QStringLiteral("pages total=%1\n").arg(printed);
    ReportLeftOut(prepared, err);
    CheckRun(watched);
    return CliOk;
}

}  // namespace

int RunCli(const QStringList &args, QTextStream &out, QTextStream &err) {
    try {
        const CliArgs parsed = CliArgs::parse(args);
        if (parsed.help) {
            out << CliHelp(parsed.command);
            return CliOk;
        }
        GlobalsGuard guard;
        if (parsed.command == QLatin1String("render"))
            return Render(parsed, out, err);
        if (parsed.command == QLatin1String("print"))
            return Print(parsed, out, err);
        if (parsed.command == QLatin1String("trace"))
            return Trace(parsed, out, err);
        return TracePrint(parsed, out, err);
    } catch (const CliError &e) {
        out.flush();
        err << e.message() << '\n';
        return e.status();
    } catch (const PrinterError &e) {
        out.flush();
        err << QStringLiteral("vellumo-cli: %1\n").arg(e.message());
        return CliBadInput;
    }
}
