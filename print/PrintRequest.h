#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <vector>

#include "print/PrintRun.h"
#include "print/PrintSettings.h"
#include "render/RenderContext.h"

class RibbonPrinter;
class SettingsFile;
class TJob;
struct PrintRange;

// The ribbons of one width within a print command, for printing the day's
// ribbons roll by roll.
struct WidthGroup {
    std::int32_t width = 0;     // mm
    QList<int> numbers;         // the ribbons, counted from 1 as a range counts them
    std::int64_t lengthMm = 0;  // their lengths together
};

// The ribbons of a run's range by width, the widths in the order of their
// first ribbon, the ribbons of each in list order.
QList<WidthGroup> WidthGroupsOf(const PrintRun &run);
// A run over one group's ribbons alone, all of them in its range.
PrintRun WidthGroupRun(const PrintRun &run, const WidthGroup &group);

// "Breite 75 mm: 4 Schleifen, 5,2 m"
QString WidthGroupLine(const WidthGroup &group);
// The metres of ribbon per width: "50 mm: 2,4 m · 75 mm: 5,2 m".
QString MetresPerWidth(const QList<WidthGroup> &groups);

// One print command over a ribbon list, assembled alike for the window's
// print command, its page preview and vellumo-cli: the ribbons with text in
// list order, the range chosen, and the settings read once for the command.
// The callers only ask their questions and report.
class PrintRequest {
public:
    PrintRequest(const std::vector<const TJob *> &listed, const PrintSettings &settings,
                 const RenderContext &context);
    // The same with [Drucker] read from `settings` now.
    PrintRequest(const std::vector<const TJob *> &listed, const SettingsFile *settings,
                 const RenderContext &context);

    // The ribbons with text; a range counts them from 1.
    int count() const { return int(run_.jobs.size()); }
    // Where a listed ribbon stands among them; -1 for one without text.
    int indexOf(const TJob *job) const { return int(run_.jobs.indexOf(job)); }
    // Narrows the run to a range; `selected` is the ribbon the selection
    // names (none: nothing is printed).
    void setRange(const PrintRange &range, const TJob *selected);

    const PrintSettings &settings() const { return settings_; }
    PrintSettings &settings() { return settings_; }
    const RenderContext &context() const { return context_; }
    const PrintRun &run() const { return run_; }

    // The ribbons of the range whose text does not fit, counted from 1; a
    // caller that keeps the findings may answer for each ribbon itself.
    using DoesNotFit = std::function<bool(const TJob &)>;
    QList<int> unfitting(const DoesNotFit &doesNotFit = nullptr) const;
    // The ribbons of the range the width rule will leave out, counted from
    // 1, known before anything is printed; none when nothing will print.
    QList<int> leftOutByWidth() const;

    // The ribbons of the range by width, the widths in the order of their
    // first ribbon, the ribbons of each in list order.
    QList<WidthGroup> widthGroups() const;
    // The same command over one width group's ribbons alone.
    PrintRequest forWidth(const WidthGroup &group) const;

    // Why `printerName` cannot print these ribbons at all; empty when it can.
    QString refusal(const QString &printerName) const;
    // The warning for a printer that takes no free paper sizes while the
    // method asks for them ("… die Stücke würden auf A4 abgeschnitten.");
    // empty otherwise. `paperName` names the printer's own paper.
    QString paperWarning(const QString &printerName, const QString &paperName) const;

    // Runs the print method on `printer`; the answer says why the run
    // failed, empty when it did not. Afterwards run() says what the width
    // rule left out.
    QString print(RibbonPrinter &printer);

private:
    PrintSettings settings_;
    RenderContext context_;
    PrintRun run_;
};
