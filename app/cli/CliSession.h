#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "app/cli/CliArgs.h"
#include "model/RibbonFile.h"
#include "print/Session.h"
#include "render/CanvasMapping.h"
#include "render/DrawJob.h"
#include "render/RenderContext.h"
#include "render/RenderState.h"

class QTextStream;
class QtPrinter;
class RibbonCanvas;
class SettingsFile;

CliError BadInput(const QString &message);

// The settings file of the run: --settings (which must be there), or
// RIBOLANT.INI of the data folder (which need not be).
QString CliSettingsPath(const CliArgs &args);

// What every command sets up: the ribbons of the file, and the session of the
// settings file of the run (--settings, or RIBOLANT.INI of the data folder;
// only ever read), set up as the window sets up its own; from these the
// drawing context of the run.
class CliSession {
public:
    // Throws CliError for a bad ribbon file or an unreadable --settings file.
    explicit CliSession(const CliArgs &args);
    ~CliSession();
    CliSession(const CliSession &) = delete;
    CliSession &operator=(const CliSession &) = delete;

    const std::vector<RibbonEntry> &ribbons() const { return ribbons_; }
    const RibbonSession &shared() const { return *shared_; }
    const SettingsFile &settings() const { return shared_->settings(); }

    // All ribbons, or the one that --section names (without regard to case).
    std::vector<const RibbonEntry *> selected() const;

    // A picture that a ribbon names but the picture folder lacks is left out
    // of the drawing, as in the window; a proof without it must not pass
    // unnoticed. A face that is not installed is reported too, once per name,
    // with the face drawn in its place.
    void warnMissingPictures(const std::vector<const RibbonEntry *> &ribbons,
                             QTextStream &err) const;

    // The preview takes its pictures from the 64 x 64 thumbnails that the
    // window makes at start-up; the same thumbnails, for the pictures named.
    void fillPreviewPictures(const std::vector<const RibbonEntry *> &ribbons);

    // The drawing context of the run: the settings file's keys, the
    // rasterizer mode read at start, the preview pictures.
    RenderContext context() const { return shared_->context(); }

private:
    const CliArgs &args_;
    std::vector<RibbonEntry> ribbons_;
    std::unique_ptr<RibbonSession> shared_;
};

// Refuses, naming file and line, a ribbon whose length, width or letter
// height is outside 1 to 32767 mm: such a ribbon cannot be drawn, so a proof
// or a print of it would be wrong.
void CheckDrawable(const CliArgs &args, const std::vector<const RibbonEntry *> &ribbons);

// Refuses an output path that is a folder, a device or a pipe, a read-only
// file, or the ribbon file or settings file of the run itself. A link counts
// as the file it names.
void CheckOutputFile(const CliArgs &args, const QString &path);

// Selects the printer a print command names: the PDF printer writing into
// --pdf (its folder must exist, the file pass CheckOutputFile), or the queue
// of --printer. Answers the PDF file's absolute path, empty for a queue.
// Throws BadInput with the reason.
QString SelectCliPrinter(const CliArgs &args, QtPrinter &printer);

// One logical unit is 1/scale mm on a device of dpi pixels per inch.
CanvasMapping TrueSizeMapping(int scale, int dpi);

// DrawJob with the ribbon at the origin.
void DrawRibbon(const RenderContext &context, const TJob &job, RibbonCanvas &canvas, int scale,
                int flags);
