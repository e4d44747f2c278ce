#include "print/PrintCommand.h"

#include "model/Job.h"
#include "print/PrintMethods.h"
#include "print/PrintRun.h"
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

QString RunPrintMethod(RibbonPrinter &printer, PrintRun &run, const PrintSettings &settings,
                       const RenderContext &context) {
    printer.setDocumentName(PrintMethods::DocumentName);
    printer.setLandscape();
    run.FirstOfRun = true;
    run.WidthMismatch = false;
    run.LeftOut.clear();

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
