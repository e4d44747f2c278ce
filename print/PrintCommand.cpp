#include "print/PrintCommand.h"

#include "model/SettingsFile.h"
#include "print/PrintMethods.h"
#include "print/PrintRun.h"
#include "print/Printer.h"

void RunPrintMethod(RibbonPrinter &printer, PrintRun &run) {
    printer.setDocumentName(PrintMethods::DocumentName);
    printer.setLandscape();
    run.FirstOfRun = true;
    run.WidthMismatch = false;

    const QString drucker = QStringLiteral("Drucker");
    const std::int32_t methode = SettingInteger(drucker, QStringLiteral("Methode"), 0);
    PrintMethods methods(printer, run);
    switch (methode) {
        case 0:
            if (SettingInteger(drucker, QStringLiteral("Rand"), 0) != 0)
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
}
