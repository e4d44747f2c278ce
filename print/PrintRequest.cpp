#include "print/PrintRequest.h"

#include "model/Job.h"
#include "print/PrintCommand.h"
#include "print/Printer.h"
#include "render/FitCheck.h"

PrintRequest::PrintRequest(const std::vector<const TJob *> &listed, const PrintSettings &settings,
                           const RenderContext &context)
    : settings_(settings), context_(context) {
    for (const TJob *job : listed) {
        if (job && job->HasText())
            run_.jobs.append(job);
    }
    run_.PrintFirst = 0;
    run_.PrintLast = count() - 1;
}

PrintRequest::PrintRequest(const std::vector<const TJob *> &listed, const SettingsFile *settings,
                           const RenderContext &context)
    : PrintRequest(listed, PrintSettings::Read(settings), context) {}

void PrintRequest::setRange(const PrintRange &range, const TJob *selected) {
    ApplyPrintRange(run_, range, selected ? indexOf(selected) : -1);
}

QList<int> PrintRequest::unfitting(const DoesNotFit &doesNotFit) const {
    QList<int> numbers;
    for (std::int32_t i = run_.PrintFirst; i <= run_.PrintLast; ++i) {
        const TJob *job = run_.jobAt(i);
        if (job && (doesNotFit ? doesNotFit(*job) : !CheckFit(context_, *job).empty()))
            numbers << i + 1;
    }
    return numbers;
}

QList<int> PrintRequest::leftOutByWidth() const {
    if (!settings_.printsAnything())
        return {};
    // The width rule as the print methods apply it, on a copy of the run.
    PrintRun trial = run_;
    trial.FirstOfRun = true;
    trial.WidthMismatch = false;
    trial.LeftOut.clear();
    for (std::int32_t i = trial.PrintFirst; i <= trial.PrintLast; ++i) {
        if (const TJob *job = trial.jobAt(i)) {
            trial.TakeJob(*job);
            trial.JobDone();
        }
    }
    QList<int> numbers;
    for (const TJob *job : trial.LeftOut)
        numbers << indexOf(job) + 1;
    return numbers;
}

QString PrintRequest::print(RibbonPrinter &printer) {
    return RunPrintMethod(printer, run_, settings_, context_);
}
