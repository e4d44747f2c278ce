#include "ui/Main.h"

#include <QCoreApplication>
#include <QToolButton>

#include "model/FileError.h"
#include "model/Job.h"
#include "model/SettingsFile.h"
#include "print/DlgAbort.h"
#include "print/PrintCommand.h"
#include "print/PrintDialogs.h"
#include "print/PrintRun.h"
#include "render/RenderState.h"
#include "ui/PrintFlow.h"

namespace {

const QString kDrucker = QStringLiteral("Drucker");

// Shows the abort dialog and shuts the window while a run is under way.
void SetPrintBusy(QWidget *window, TDlgPrinterAbort &dialog, bool busy) {
    if (busy) {
        dialog.show();
        dialog.raise();
        QCoreApplication::processEvents();
        window->setEnabled(false);
    } else {
        window->setEnabled(true);
        window->activateWindow();
        QCoreApplication::processEvents();
        dialog.hide();
        window->activateWindow();
    }
}

}  // namespace

void TMainForm::BtnPrintClick() {
    PrintFlow &flow = PrintFlow::of(this);
    std::int32_t remembered = SelectedJobRow();
    ReadInternalLeadingDivisor();

    SyncJob(false);
    AddJob(nullptr);
    const int count = JobCount();
    if (count == 0)
        return;

    if (remembered >= count)
        remembered = count - 1;
    SelectJobRow(remembered);  // the list's selection only; the editor stays
    PrintRun run;
    for (int i = 0; i < count; ++i)
        run.jobs.append(JobAt(i));
    run.PrintFirst = 0;
    run.PrintLast = count - 1;

    if (count > 1) {
        PrintRange range;
        if (!flow.askRange(range, count))
            return;
        ApplyPrintRange(run, range, SelectedJobRow());
    }

    RibbonPrinter &printer = flow.printer();
    if (flow.printsToPdf()) {
        const QString file = flow.askPdfFile();
        if (file.isEmpty())
            return;
        flow.setPdfFile(file);
    }

    SBtnPrint->setEnabled(false);
    TDlgPrinterAbort &dialog = flow.abortDialog();
    SetPrintBusy(this, dialog, true);
    RunPrintMethod(printer, run);
    SetPrintBusy(this, dialog, false);
    if (run.WidthMismatch)
        flow.inform(WidthMismatchMessage());
    SBtnPrint->setEnabled(true);
}

void TMainForm::cmPrinterSetupClick() {
    RibbonPrinter &printer = PrintFlow::of(this).printer();
    printer.setLandscape();
    PrinterSetupDialog dialog(printer, this);
    dialog.exec();
}

void TMainForm::SelectStartupPrinter() {
    PrintFlow &flow = PrintFlow::of(this);
    RibbonPrinter &printer = flow.printer();
    const QString stored = SettingString(kDrucker, QStringLiteral("Name"));
    int found = -1;
    const QStringList names = printer.printers();
    for (int i = 0; i < names.size() && !stored.isEmpty(); ++i) {
        if (names[i].compare(stored, Qt::CaseInsensitive) == 0) {
            found = i;
            break;
        }
    }
    try {
        printer.selectPrinter(found);
        printer.reselectWithDriverDefaults();
    } catch (const PrinterError &e) {
        // Without any printer the ribbons can still be edited; say so once.
        flow.warn(e.message());
    }
}

std::optional<QString> TMainForm::PrinterNameToStore() {
    RibbonPrinter &printer = PrintFlow::of(this).printer();
    const int index = printer.printerIndex();
    if (index < 0 || index >= printer.printers().size())
        return std::nullopt;  // no printer chosen: the stored name stays as it was
    return printer.printers().at(index);
}
