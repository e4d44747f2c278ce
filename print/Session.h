#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>

#include "model/SettingsFile.h"
#include "render/Pictures.h"
#include "render/RenderContext.h"

class QtPrinter;
class RibbonPrinter;

// What the window and vellumo-cli both set up before any ribbon is drawn: the
// settings file, made the current one while the session lives (the one
// current before comes back at its end, so one process can run several
// sessions in turn; one opened inside another ends first), the values read
// from it once at start-up, the picture catalogue and the printer's choice.
// From these the drawing context of a preview or print run.
class RibbonSession {
public:
    // Opens the settings file at that path (it need not exist: every key then
    // has its default).
    explicit RibbonSession(const QString &settingsPath);
    ~RibbonSession();
    RibbonSession(const RibbonSession &) = delete;
    RibbonSession &operator=(const RibbonSession &) = delete;

    SettingsFile &settings() { return *settings_; }
    const SettingsFile &settings() const { return *settings_; }

    // Read at start-up and kept for the session's life.
    int rasterizerMode() const { return rasterizer_; }
    // "Methode" 4 in [Drucker]: right ends are not printed.
    bool compatibilityMode() const { return compatibility_; }
    // [Drucker] "MaxLaenge" (tenths of a millimetre, 0 when missing).
    std::int32_t maxLength() const { return maxLength_; }
    // [Drucker] "Name": the printer chosen when the window last closed.
    const QString &storedPrinterName() const { return storedPrinter_; }

    // The pictures' names and 64 x 64 thumbnails that previews draw from.
    PictureCatalogue &pictures() { return pictures_; }
    const PictureCatalogue &pictures() const { return pictures_; }
    // Only the thumbnails of the pictures named, in that order; a name whose
    // file does not load (or is empty) is left out.
    void loadPictures(const QStringList &names);

    // The drawing context of a run now: the settings file's keys as it holds
    // them, the rasterizer mode of start-up, the picture catalogue.
    RenderContext context() const;

    // Selects the stored printer (without regard to case), or the system's
    // default when it is not in the list, and starts it with its driver's
    // default settings. Throws PrinterError when there is no printer at all.
    void selectStoredPrinter(RibbonPrinter &printer) const;
    // The name to store for the printer selected; none when none is.
    static std::optional<QString> SelectedPrinterName(const RibbonPrinter &printer);

    // Runs without a window choose their printer by name: the PDF printer
    // writing into `file`, or the queue of that name (without regard to
    // case), each with its driver's defaults. Throws PrinterError naming the
    // queues present when there is no such queue.
    static void SelectPdfPrinter(QtPrinter &printer, const QString &file);
    static void SelectQueue(QtPrinter &printer, const QString &name);

private:
    std::unique_ptr<SettingsFile> settings_;
    // The window's parts read their keys through the current settings file;
    // a session opened inside another ends first.
    std::unique_ptr<SettingsFile::CurrentScope> current_;
    int rasterizer_ = 0;
    bool compatibility_ = false;
    std::int32_t maxLength_ = 0;
    QString storedPrinter_;
    PictureCatalogue pictures_;
};
