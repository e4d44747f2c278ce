#include "print/PrintRequest.h"

#include <algorithm>

#include "model/Job.h"
#include "model/Lengths.h"
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

QList<WidthGroup> WidthGroupsOf(const PrintRun &run) {
    QList<WidthGroup> groups;
    for (std::int32_t i = run.PrintFirst; i <= run.PrintLast; ++i) {
        const TJob *job = run.jobAt(i);
        if (!job)
            continue;
        auto group = std::find_if(groups.begin(), groups.end(),
                                  [job](const WidthGroup &g) { return g.width == job->Breite; });
        if (group == groups.end()) {
            groups.append(WidthGroup{job->Breite, {}, 0});
            group = groups.end() - 1;
        }
        group->numbers << i + 1;
        group->lengthMm += job->Laenge;
    }
    return groups;
}

PrintRun WidthGroupRun(const PrintRun &run, const WidthGroup &group) {
    PrintRun narrowed;
    for (int number : group.numbers) {
        if (const TJob *job = run.jobAt(number - 1))
            narrowed.jobs.append(job);
    }
    narrowed.PrintFirst = 0;
    narrowed.PrintLast = std::int32_t(narrowed.jobs.size()) - 1;
    return narrowed;
}

QList<WidthGroup> PrintRequest::widthGroups() const {
    if (!settings_.printsAnything())
        return {};
    return WidthGroupsOf(run_);
}

PrintRequest PrintRequest::forWidth(const WidthGroup &group) const {
    PrintRequest narrowed = *this;
    narrowed.run_ = WidthGroupRun(run_, group);
    return narrowed;
}

QString PrintRequest::refusal(const QString &printerName) const {
    return WidthRefusal(run_, settings_, printerName);
}

QString PrintRequest::paperWarning(const QString &printerName, const QString &paperName) const {
    if (!settings_.limits.noCustomSizes || !AsksForFreeSizes(settings_) ||
        run_.PrintFirst > run_.PrintLast || !run_.jobAt(run_.PrintFirst))
        return QString();
    return QStringLiteral(
               "Der Drucker \u201e%1\u201c kennt keine freien Papiergr\u00f6\u00dfen: die "
               "St\u00fccke w\u00fcrden auf %2 abgeschnitten.")
        .arg(printerName, paperName);
}

namespace {

QString Metres(std::int64_t mm) {
    return GermanLength(double(mm) / 1000.0, LengthUnit::Metres);
}

}  // namespace

QString WidthGroupLine(const WidthGroup &group) {
    const int count = int(group.numbers.size());
    return QStringLiteral("Breite %1 mm: %2 %3, %4")
        .arg(group.width)
        .arg(count)
        .arg(count == 1 ? QStringLiteral("Schleife") : QStringLiteral("Schleifen"),
             Metres(group.lengthMm));
}

QString MetresPerWidth(const QList<WidthGroup> &groups) {
    QStringList parts;
    for (const WidthGroup &group : groups)
        parts << QStringLiteral("%1 mm: %2").arg(group.width).arg(Metres(group.lengthMm));
    return parts.join(QStringLiteral(" \u00b7 "));
}
