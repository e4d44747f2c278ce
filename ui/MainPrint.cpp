#include "ui/Main.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QToolButton>
#include <algorithm>

#include "model/FileError.h"
#include "model/Job.h"
#include "model/SettingsFile.h"
#include "print/PagePreview.h"
#include "print/PrintCommand.h"
#include "print/PrintRequest.h"
#include "print/PrintRun.h"
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
    if (JobAt(remembered) != CurrentJob) {
        CurrentJob = JobAt(remembered);
        LoadJob();
    }
    PrintRibbons(ListedJobs(), CurrentJob, preset);
}

PrintOutcome TMainForm::PrintRibbons(const std::vector<const TJob *> &jobs, const TJob *selected,
                                     const std::optional<PrintRange> &preset) {
    PrintFlow &flow = PrintFlow::of(this);
    PrintOutcome outcome;
    // [Drucker] and the drawing settings as they are now, for the whole command.
    PrintRequest request(jobs, &Setup->settings(), DrawingContext());
    const int count = request.count();
    if (count == 0)
        return outcome;
    if (count > 1) {
        PrintRange range;
        if (preset)
            range = *preset;
        else if (!flow.askRange(range, count, QStringLiteral("Drucken")))
            return outcome;
        request.setRange(range, selected);
    }
    if (!ConfirmPrintSpelling(this, request.run(), !CompatibilityMode))
        return outcome;

    // Texts that do not fit cost a ribbon, and so do letters the face lacks
    // (they would print as gaps): asked once, before anything prints, naming
    // the ribbons so that they can be found in the list.
    const auto withFinding = [&request](bool aboutLetters) {
        return [&request, aboutLetters](const TJob &job) {
            const std::vector<FitFinding> &findings = FitFindings(request.context(), job);
            return std::any_of(findings.begin(), findings.end(), [aboutLetters](const auto &f) {
                return (f.kind == FitFinding::Kind::MissingLetters) == aboutLetters;
            });
        };
    };
    const QList<int> unfitting = request.unfitting(withFinding(false));
    const QList<int> lacking = request.unfitting(withFinding(true));
    if ((!unfitting.isEmpty() || !lacking.isEmpty()) && flow.confirm &&
        !flow.confirm(UnfittingRibbonsQuestion(unfitting, lacking)))
        return outcome;

    // What the queue takes: pieces within its longest page, its margins as
    // the least "Rand", and no ribbon wider than its paper.
    RibbonPrinter &printer = flow.printer();
    const QString queue = flow.printerName();
    const QueueCapabilities capabilities = flow.capabilities();
    // The queue's own set-up: its cutting and its length factor, which the
    // longest page allows for.
    const QueueSettings queueSettings = ReadQueueSettings(&Setup->settings(), queue);
    ApplyQueueSettings(printer, queueSettings, capabilities);
    request.settings().limits = PageLimitsFor(capabilities, queueSettings.lengthFactor);

    // Several widths: printed one width after the other, roll by roll, when
    // the florist wants it; otherwise the first width only, as always.
    const QList<WidthGroup> groups = request.widthGroups();
    bool byWidth = false;
    if (groups.size() > 1 && flow.confirm) {
        QStringList lines;
        for (const WidthGroup &group : groups)
            lines << WidthGroupLine(group);
        byWidth = flow.confirm(
            QStringLiteral("Die Schleifen sind unterschiedlich breit:\n%1\n\nNach Breiten "
                           "nacheinander drucken? Vor jeder weiteren Breite wird nach der Rolle "
                           "gefragt. Mit \u201eNein\u201c wird nur die erste Breite gedruckt.")
                .arg(lines.join(QLatin1Char('\n'))));
    }
    std::vector<PrintRequest> parts;
    if (byWidth) {
        for (const WidthGroup &group : groups)
            parts.push_back(request.forWidth(group));
    } else {
        parts.push_back(request);
    }
    // Refused before anything is printed, not half way through the day's ribbons.
    for (const PrintRequest &part : parts) {
        const QString refusal = part.refusal(queue);
        if (!refusal.isEmpty()) {
            flow.warn(refusal);
            return outcome;
        }
    }
    const QString warning = request.paperWarning(queue, CurrentPaperName(printer));
    if (!warning.isEmpty() && flow.confirm &&
        !flow.confirm(warning + QStringLiteral(" Trotzdem drucken?")))
        return outcome;

    // Ribbons of another width are left out; the user learns which before
    // the paper (or the file) is used, not afterwards.
    const QList<int> leftOut = byWidth ? QList<int>() : request.leftOutByWidth();
    if (!leftOut.isEmpty())
        flow.inform(LeftOutByWidthNotice(leftOut));

    const int index = printer.printerIndex();
    outcome.printer = index >= 0 ? printer.printers().value(index) : QString();
    const bool toPdf = flow.printsToPdf();
    QString pdfFile;
    if (toPdf) {
        pdfFile = flow.askPdfFile();
        if (pdfFile.isEmpty())
            return outcome;
        outcome.printer = pdfFile;
    }

    SBtnPrint->setEnabled(false);
    TDlgPrinterAbort &dialog = flow.abortDialog();
    SetPrintBusy(this, dialog, true);
    WatchedPrinter counting(printer);
    bool mismatch = false;
    for (std::size_t g = 0; g < parts.size(); ++g) {
        PrintRequest &part = parts[g];
        if (toPdf)
            flow.setPdfFile(byWidth ? WidthGroupPdfFile(pdfFile, groups[int(g)].width) : pdfFile);
        else if (g > 0) {
            // The next width needs its roll: asked with the window free again.
            SetPrintBusy(this, dialog, false);
            const bool go = flow.askRoll(WidthGroupLine(groups[int(g)]) +
                                         QStringLiteral(". Rolle einlegen und OK"));
            if (!go)
                break;
            SetPrintBusy(this, dialog, true);
        }
        const int before = counting.finishedPages();
        outcome.failure = part.print(counting);
        mismatch = mismatch || part.run().WidthMismatch;
        if (counting.finishedPages() > before) {
            const PrintRun &run = part.run();
            for (std::int32_t i = run.PrintFirst; i <= run.PrintLast; ++i) {
                const TJob *job = run.jobAt(i);
                if (job && !run.LeftOut.contains(job))
                    outcome.printed.push_back(job);
            }
        }
        if (!outcome.failure.isEmpty() || printer.aborted())
            break;
    }
    SetPrintBusy(this, dialog, false);
    // A run that failed must not look like one that printed.
    if (!outcome.failure.isEmpty())
        flow.warn(QStringLiteral("Der Druck ist fehlgeschlagen: %1").arg(outcome.failure));
    if (mismatch && leftOut.isEmpty())
        flow.inform(WidthMismatchMessage());  // not foreseen: said at least now
    SBtnPrint->setEnabled(true);
    outcome.pages = counting.finishedPages();
    if (outcome.pages == 0)
        outcome.printed.clear();
    if (toPdf && byWidth)
        outcome.printer = QFileInfo(pdfFile).absolutePath();
    return outcome;
}

void TMainForm::PrintPreviewClick() {
    PrintFlow &flow = PrintFlow::of(this);
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
            range.from = range.to = request.indexOf(CurrentJob) + 1;  // 0: no ribbon
        }
        request.setRange(range, nullptr);
        chosen = range;
    }
    RibbonPrinter &printer = flow.printer();
    const QString name = flow.printerName();
    request.settings().limits = PageLimitsFor(
        flow.capabilities(), ReadQueueSettings(&Setup->settings(), name).lengthFactor);
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
    RibbonPrinter &printer = PrintFlow::of(this).printer();
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
