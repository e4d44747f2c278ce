#include "ui/Main.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QToolButton>
#include <algorithm>

#include "model/FileError.h"
#include "model/Job.h"
#include "model/RibbonList.h"
#include "model/SettingsFile.h"
#include "print/PagePreview.h"
#include "print/PrintCommand.h"
#include "print/PrintRequest.h"
#include "print/PrintRun.h"
#include "print/PrintRunner.h"
#include "print/QtPrinter.h"
#include "print/QueueSetup.h"
#include "print/Session.h"
#include "print/WatchedPrinter.h"
#include "render/RibbonCanvas.h"
#include "ui/DlgAbort.h"
#include "ui/FitCache.h"
#include "ui/PrintDialogs.h"
#include "ui/PrintFlow.h"
#include "ui/PrintPreviewDialog.h"
#include "ui/SpellSupport.h"

namespace {

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
    PrintWithRange(std::nullopt);
}

void TMainForm::PrintWithRange(const std::optional<PrintRange> &preset) {
    std::int32_t remembered = SelectedJobRow();

    StoreJob();
    AddJob(nullptr);
    const int count = JobCount();
    if (count == 0)
        return;

    if (remembered >= count)
        remembered = count - 1;
    // The selection the user had, clamped after the removal; the editor
    // follows it, so that edits after printing change the ribbon that is
    // highlighted.
    SelectJobRow(remembered);
    if (JobAt(remembered) != Ribbons->current()) {
        Ribbons->setCurrent(JobAt(remembered));
        LoadJob();
    }
    PrintRibbons(ListedJobs(), Ribbons->current(), preset);
}

namespace {

// The print's questions, answered with the window's dialogs.
class WindowQuestions : public PrintQuestions {
public:
    WindowQuestions(QWidget *window, PrintFlow &flow) : window_(window), flow_(flow) {}
    bool ask(const PrintQuestion &question) override {
        switch (question.kind) {
            case PrintQuestion::NextRoll:
                return !flow_.askRoll || flow_.askRoll(question.text);
            case PrintQuestion::ByWidth:
                // Without anyone to ask, the first width only, as always.
                return flow_.confirm && flow_.confirm(question.text);
            default:
                return !flow_.confirm || flow_.confirm(question.text);
        }
    }
    void inform(const QString &text) override {
        if (flow_.inform)
            flow_.inform(text);
    }
    void busy(bool on) override {
        if (on == busy_)
            return;
        busy_ = on;
        SetPrintBusy(window_, flow_.abortDialog(), on);
    }

private:
    QWidget *window_;
    PrintFlow &flow_;
    bool busy_ = false;
};

}  // namespace

PrintResult TMainForm::PrintRibbons(const std::vector<const TJob *> &jobs, const TJob *selected,
                                    const std::optional<PrintRange> &preset) {
    PrintFlow &flow = PrintFlow::of(this);
    flow.awaitPrinters();
    // [Drucker] and the drawing settings as they are now, for the whole command.
    PrintRequest request(jobs, &Setup->settings(), DrawingContext());
    const int count = request.count();
    if (count == 0)
        return {};
    if (count > 1) {
        PrintRange range;
        if (preset)
            range = *preset;
        else if (!flow.askRange(range, count, QStringLiteral("Drucken")))
            return {};
        request.setRange(range, selected);
        const PrintRun &run = request.run();
        if (run.PrintFirst <= run.PrintLast && !run.jobAt(run.PrintFirst)) {
            // "Ausgewählte Schleife" with none selected: not a blank page.
            if (flow.inform)
                flow.inform(QStringLiteral(
                    "Es ist keine Schleife ausgew\u00e4hlt. Es wurde nichts gedruckt."));
            return {};
        }
    }

    RibbonPrinter &printer = flow.printer();
    PrintTarget target;
    target.printer = &printer;
    target.toPdf = flow.printsToPdf();
    if (target.toPdf) {
        target.askPdfFile = flow.askPdfFile;
        target.selectPdfFile = [&flow](const QString &file) { flow.setPdfFile(file); };
    } else {
        target.queue = flow.printerName();
        // Asked once per queue and kept by the flow.
        target.readCapabilities = [&flow](const QString &) { return flow.capabilities(); };
    }
    PrintChecks checks;
    checks.findings = [&request](const TJob &job) { return FitFindings(request.context(), job); };
    checks.unknownWords = PrintSpellingCheck(this, !CompatibilityMode);

    WindowQuestions questions(this, flow);
    PrintRunner runner(request, &Setup->settings(), target, questions, checks);
    SBtnPrint->setEnabled(false);
    const PrintResult result = runner.run();
    SBtnPrint->setEnabled(true);

    if (result.status == PrintResult::Refused)
        flow.warn(result.reason);
    // A run that failed must not look like one that printed.
    if (result.status == PrintResult::Failed)
        flow.warn(QStringLiteral("Der Druck ist fehlgeschlagen: %1").arg(result.reason));
    if (result.widthMismatch && result.leftOut.isEmpty())
        flow.inform(WidthMismatchMessage());  // not foreseen: said at least now
    return result;
}

void TMainForm::PrintPreviewClick() {
    PrintFlow &flow = PrintFlow::of(this);
    flow.awaitPrinters();
    StoreJob();
    // The ribbons the print command would print: those with text, all of them.
    PrintRequest request(ListedJobs(), &Setup->settings(), DrawingContext());
    if (request.count() == 0)
        return;
    // The range as printing asks for it; the selection becomes the number of
    // the selected ribbon among those with text, as printing will count it.
    std::optional<PrintRange> chosen;
    if (request.count() > 1) {
        PrintRange range;
        if (!flow.askRange(range, request.count(), QStringLiteral("Seitenvorschau")))
            return;
        if (range.kind == PrintRange::Selection) {
            range.kind = PrintRange::Pages;
            range.from = range.to = request.indexOf(Ribbons->current()) + 1;  // 0: no ribbon
        }
        request.setRange(range, nullptr);
        chosen = range;
    }
    RibbonPrinter &printer = flow.printer();
    const QString name = flow.printerName();
    // The pages the queue would take, read as the print command reads them.
    PrintTarget target;
    target.printer = &printer;
    target.toPdf = flow.printsToPdf();
    if (!target.toPdf) {
        target.queue = name;
        target.readCapabilities = [&flow](const QString &) { return flow.capabilities(); };
    }
    UnattendedAnswers noQuestions;
    PrintRunner(request, &Setup->settings(), target, noQuestions).readQueue();
    // Several widths are shown as the print command offers to print them:
    // one width after the other.
    auto preview =
        std::make_unique<PagePreview>(printer, request.run(), request.settings(), request.context(),
                                      request.widthGroups().size() > 1);
    PrintPreviewDialog dialog(std::move(preview), name, request.context(), this);
    if (dialog.exec() == QDialog::Accepted && dialog.printRequested())
        PrintWithRange(chosen);
}
void TMainForm::cmPrinterSetupClick() {
    PrintFlow &flow = PrintFlow::of(this);
    flow.awaitPrinters();
    // The scheduler did not answer at start: asked again, now that the
    // florist wants to see the printers.
    if (auto *queues = dynamic_cast<QtPrinter *>(&flow.printer());
        queues && !queues->queueFailure().isEmpty()) {
        try {
            queues->listQueues();
            SelectStartupPrinter();
        } catch (const PrinterError &) {
            // The dialog shows that the scheduler does not answer.
        }
    }
    RibbonPrinter &printer = flow.printer();
    printer.setLandscape();
    PrinterSetupDialog dialog(printer, &Setup->settings(), this);
    dialog.exec();
    // The queue may be another one now, or set up anew.
    PrintFlow::of(this).forgetCapabilities();
}

void TMainForm::SelectStartupPrinter() {
    PrintFlow &flow = PrintFlow::of(this);
    try {
        Setup->selectStoredPrinter(flow.printer());
    } catch (const PrinterError &e) {
        // Without any printer the ribbons can still be edited; say so once.
        flow.warn(e.message());
    }
}

std::optional<QString> TMainForm::PrinterNameToStore() {
    // No printer chosen: the stored name stays as it was.
    return RibbonSession::SelectedPrinterName(PrintFlow::of(this).printer());
}
