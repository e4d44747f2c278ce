#include "print/PrintCommand.h"

#include <algorithm>

#include "model/Job.h"
#include "model/Lengths.h"
#include "print/PrintMethods.h"
#include "print/PrintRun.h"
#include "print/PrintSettings.h"
#include "print/Printer.h"
#include "render/Drwglyph.h"
#include "render/RenderContext.h"

void ApplyPrintRange(PrintRun &run, const PrintRange &range, std::int32_t selected) {
    switch (range.kind) {
        case PrintRange::Selection:
            run.PrintFirst = run.PrintLast = selected;
            break;
        case PrintRange::Pages:
            run.PrintFirst = range.from - 1;
            run.PrintLast = range.to - 1;
            break;
        case PrintRange::All:
            run.PrintFirst = 0;
            run.PrintLast = std::int32_t(run.jobs.size()) - 1;
            break;
    }
}

QString WidthMismatchMessage() {
    return QStringLiteral(
        "\nDie Schleifen in der Vorschau sind unterschiedlich breit !\n"
        "Es werden nur die Schleifen mit gleicher Schleifenbreite gedruckt.");
}

namespace {

// The ribbon that fixes a run's width: the first of its range. The width rule
// lets through only ribbons as wide as that one.
const TJob *FirstOfRange(const PrintRun &run) {
    for (std::int32_t i = run.PrintFirst; i <= run.PrintLast; ++i) {
        if (const TJob *job = run.jobAt(i))
            return job;
    }
    return nullptr;
}

}  // namespace

QString WidthRefusal(const PrintRun &run, const PrintSettings &settings,
                     const QString &printerName) {
    const std::int32_t widest = settings.limits.maxWidth;
    if (widest <= 0 || !settings.printsAnything())
        return QString();
    const TJob *job = FirstOfRange(run);
    if (!job || std::int64_t(job->Breite) * 10 <= widest)
        return QString();
    return QStringLiteral(
               "Die Schleife ist %1 mm breit, der Drucker \u201e%2\u201c nimmt aber "
               "h\u00f6chstens %3 mm breites Papier. Es wurde nichts gedruckt.")
        .arg(job->Breite)
        .arg(printerName, GermanLength(widest / 10.0, LengthUnit::None));
}

QString PaperRefusal(const PrintRun &run, const PrintSettings &settings,
                     const RibbonPrinter &printer) {
    if (settings.Methode < 0 || settings.Methode > 2)
        return QString();
    DeviceSettings paper;
    if (!printer.deviceSettings(&paper) || paper.paperWidth <= 0 || paper.paperLength <= 0)
        return QString();
    const std::int32_t across = std::min(paper.paperWidth, paper.paperLength);
    const TJob *job = FirstOfRange(run);
    if (!job || std::int64_t(job->Breite) * 10 <= across)
        return QString();
    QString text =
        QStringLiteral("Die Schleife ist %1 mm breit, das Papier von \u201e%2\u201c nur %3.")
            .arg(job->Breite)
            .arg(printer.printers().value(printer.printerIndex()),
                 GermanLength(across / 10.0, LengthUnit::Millimetres));
    const std::int32_t widest = settings.limits.maxWidth;
    if (!settings.limits.noCustomSizes && (widest <= 0 || std::int64_t(job->Breite) * 10 <= widest))
        text += QStringLiteral(" Methode 3 druckt sie in St\u00fccken in Schleifenbreite.");
    return text + QStringLiteral(" Es wurde nichts gedruckt.");
}

bool AsksForFreeSizes(const PrintSettings &settings) {
    switch (settings.Methode) {
        case 0:
            return settings.Rand != 0 || settings.Papiervorschub > 0;
        case 1:
            return settings.Papiervorschub > 0;
        case 2:
        case 3:
        case 4:
            return true;
        default:
            return false;
    }
}

QString RunPrintMethod(RibbonPrinter &printer, PrintRun &run, const PrintSettings &settings,
                       const RenderContext &context) {
    printer.setDocumentName(PrintMethods::DocumentName);
    printer.setLandscape();
    run.FirstOfRun = true;
    run.WidthMismatch = false;
    run.LeftOut.clear();
    QString refusal = WidthRefusal(run, settings, printer.printers().value(printer.printerIndex()));
    if (refusal.isEmpty())
        refusal = PaperRefusal(run, settings, printer);
    if (!refusal.isEmpty())
        return refusal;

    // Every page of the run draws the same letters: their outlines are kept.
    RenderContext runContext = context;
    if (!runContext.Glyphs)
        runContext.Glyphs = std::make_shared<GlyphCache>();
    PrintMethods methods(printer, run, runContext, settings);
    switch (settings.Methode) {
        case 0:
            if (settings.Rand != 0)
                methods.PrintPieces();
            else
                methods.PrintPageStrip();
            break;
        case 1:
            methods.PrintPageStrip();
            break;
        case 2:
            methods.PrintPieces();
            break;
        case 3:
            methods.PrintPiecesFitted();
            break;
        case 4:
            methods.PrintSingleSheets();
            break;
        default:
            break;
    }
    return methods.failure();
}
