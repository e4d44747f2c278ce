#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include <QHash>

#include "print/Printer.h"
#include "print/QueueCapabilities.h"

class TDlgPrinterAbort;
class TJob;
class QWidget;

// What the main window's print command works with: the current printer, the
// abort dialog and the questions it asks. Made once per main window (as its
// child); tests put a recording printer and their own answers in.
class PrintFlow : public QObject {
    Q_OBJECT
public:
    explicit PrintFlow(QWidget *window);
    ~PrintFlow() override;

    // The flow of a window, made on first use.
    static PrintFlow &of(QWidget *window);

    RibbonPrinter &printer();
    void setPrinter(std::unique_ptr<RibbonPrinter> printer);
    TDlgPrinterAbort &abortDialog();

    // The range of ribbons to print (numbers 1..count) or to preview, asked
    // under `title`; false when cancelled.
    std::function<bool(PrintRange &range, int count, const QString &title)> askRange;
    // The file the PDF printer writes; empty when cancelled.
    std::function<QString()> askPdfFile;
    // An information box (caption "Informationen", one button "OK").
    std::function<void(const QString &text)> inform;
    // An error box for printer failures outside a run.
    std::function<void(const QString &text)> warn;
    // A question with "Ja" and "Nein"; true for "Ja".
    std::function<bool(const QString &text)> confirm;

    // A note before the next width's ribbons ("Breite 75 mm: 4 Schleifen,
    // 5,2 m. Rolle einlegen und OK") with "OK" and "Abbrechen"; true for OK.
    std::function<bool(const QString &text)> askRoll;
    // What a queue's driver says it can do; asked once per queue and kept.
    // Nothing is known of the PDF printer or of a printer that is no queue.
    std::function<QueueCapabilities(const QString &queue)> readCapabilities;

    // The current printer's name, empty when none is selected.
    QString printerName();
    // The current queue's capabilities (may wait a few seconds for CUPS the
    // first time a queue is asked).
    QueueCapabilities capabilities();
    // After the printer set-up: the next print asks the driver again.
    void forgetCapabilities() { capabilities_.clear(); }

    // Asks CUPS for the queues off the GUI thread and calls `done` (on the
    // GUI thread, with why it failed or empty) once they are known; at once
    // when they are known already or the printer is no CUPS one.
    void listPrinters(std::function<void(const QString &failure)> done);
    // Waits (painting) until the listing started above has answered, so that
    // a print right after start goes to the stored printer, not to the PDF
    // printer chosen meanwhile. The client's deadline bounds the wait.
    void awaitPrinters();

    // Whether the current printer is the always-present PDF printer.
    bool printsToPdf();
    void setPdfFile(const QString &path);

private:
    QWidget *window_;
    std::unique_ptr<RibbonPrinter> printer_;
    std::unique_ptr<TDlgPrinterAbort> abortDialog_;
    QHash<QString, QueueCapabilities> capabilities_;
    bool listing_ = false;
};
