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

    // Runs the print method on `printer`; the answer says why the run
    // failed, empty when it did not. Afterwards run() says what the width
    // rule left out.
    QString print(RibbonPrinter &printer);

private:
    PrintSettings settings_;
    RenderContext context_;
    PrintRun run_;
};
