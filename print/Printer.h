#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

#include "model/QueueSettings.h"
#include "print/QueueCapabilities.h"

class RibbonCanvas;

// A printer failure (no such queue, an output file that cannot be written,
// a spooler that refuses the job).
class PrinterError : public std::runtime_error {
public:
    explicit PrinterError(const QString &message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString &message() const { return message_; }

private:
    QString message_;
};

// A paper length or width that the 16-bit fields of the device settings
// cannot hold.
class PaperRangeError : public std::range_error {
public:
    PaperRangeError() : std::range_error("Fehler bei Bereichsprüfung") {}
};

// The printer's device settings as the print methods change them. Paper length
// and width are tenths of a millimetre in 16-bit signed fields.
struct DeviceSettings {
    enum Field : std::uint32_t {
        FieldOrientation = 0x1,
        FieldPaperSize = 0x2,
        FieldPaperLength = 0x4,
        FieldPaperWidth = 0x8,
    };
    enum Orientation : std::int16_t { Portrait = 1, Landscape = 2 };
    static constexpr std::int16_t UserDefinedPaper = 256;

    std::uint32_t fields = 0;
    std::int16_t orientation = Portrait;
    std::int16_t paperSize = 9;  // the driver's own code; 256 = user-defined
    std::int16_t paperLength = 0;
    std::int16_t paperWidth = 0;

    bool operator==(const DeviceSettings &) const = default;
};

// The paper of device settings as the florist knows it: "A4", "Letter", or
// its size ("100 × 150 mm").
QString PaperName(const DeviceSettings &settings);

// A value for a 16-bit paper field; throws PaperRangeError outside -32768..32767.
std::int16_t PaperField(std::int32_t tenthsOfMillimetre);

// Printable area of a page: whole millimetres and device pixels.
struct PageMetrics {
    std::int32_t HS = 0;
    std::int32_t VS = 0;
    std::int32_t HR = 0;
    std::int32_t VR = 0;
    bool operator==(const PageMetrics &) const = default;
};

// The metrics of a printable area of the given millimetres at dpi dots per
// inch. HS and VS are the whole millimetres; HR is the pixels of exactly HS
// millimetres, not of the whole width. A page then carries HS
// millimetres of ribbon in HR pixels: the strip plan (which counts HS per
// page) and the drawing agree however the paper's size was rounded, and the
// ribbon keeps its true length to half a pixel per page. VR is the whole
// height (the ribbon's lower edge sits at the paper's), raised where needed
// so that the isotropic page mapping takes its scale from HR.
PageMetrics PageMetricsFor(double widthMm, double heightMm, int dpi);

// What a page of a run is for, as the print methods start it: a page of
// the strip, the blank feed page, a piece (the left end's, the centre text's,
// a filler without text, the right end's) or a whole sheet.
enum class PageRole { Strip, Feed, Start, Middle, Filler, End, Sheet };

// The ranges the print dialog offers.
struct PrintRange {
    enum Kind { All, Selection, Pages };
    Kind kind = All;
    int from = 1;
    int to = 1;
};

// The one current printer. Operations follow a device context's life: begin a
// document (which starts its first page), end and start pages, reset the page
// settings before the next page, end or abort the document.
class RibbonPrinter {
public:
    virtual ~RibbonPrinter() = default;

    // Names as the printer list shows them.
    virtual QStringList printers() const = 0;
    // Position of the selected printer in printers(), -1 when none is selected.
    virtual int printerIndex() const = 0;
    // Selects by position; -1 selects the system's default printer. Throws
    // PrinterError("Zur Zeit ist kein Standard-Drucker gewählt") when the list is empty.
    virtual void selectPrinter(int index) = 0;
    // The selected printer starts again with its driver's default settings.
    virtual void reselectWithDriverDefaults() = 0;

    // False when the printer offers no device settings.
    virtual bool deviceSettings(DeviceSettings *out) const = 0;
    virtual void setDeviceSettings(const DeviceSettings &settings) = 0;
    virtual void resetToDriverDefaults() = 0;
    virtual void setDocumentName(const QString &name) = 0;
    virtual void setLandscape() = 0;

    virtual void beginDocument() = 0;  // throws PrinterError
    virtual void endPage() = 0;
    virtual void startPage() = 0;
    void newPage() {
        endPage();
        startPage();
    }
    // The next page uses the device settings as they are now.
    virtual void resetPageContext() = 0;
    virtual void endDocument() = 0;  // throws PrinterError
    virtual void abortDocument() = 0;
    virtual bool printing() const = 0;
    virtual bool aborted() const = 0;
    // After the end of a document failed: whether any of it may have reached
    // the printer (a queue takes a print job by job). One that cannot tell
    // says yes.
    virtual bool partHandedOver() const { return true; }

    // The surface of the current page; valid until the page ends. Each page
    // starts with a fresh surface state (text mapping, stock font).
    virtual RibbonCanvas &canvas() = 0;
    virtual PageMetrics metrics() const = 0;
    // The metrics a page started with these settings has.
    virtual PageMetrics pageMetrics(const DeviceSettings &settings) const = 0;
    // Told what the page just started is for; a printer may keep it.
    virtual void notePageRole(PageRole) {}
    // Told that the current page is the last of a ribbon (before that page
    // ends); a printer that cuts after each ribbon cuts here.
    virtual void noteRibbonEnd() {}
    // How the current queue was set up: its length factor (every page is
    // asked for this much longer and what is drawn stretched with it) and
    // its cutting option with when to cut. A printer without them ignores
    // both; the print methods never see the difference.
    virtual void setLengthFactor(double) {}
    virtual void setCutting(const std::optional<CutOption> &, CutMode) {}
    // A surface for measuring text with the current printer and settings,
    // without a document, with the metrics such a page would have.
    virtual std::unique_ptr<RibbonCanvas> informationContext(PageMetrics *metrics) const = 0;

    // Called while a run is under way, between pages and drawings: processes
    // pending window events so a click on "Abbrechen" is seen. Returns whether
    // to go on (false once the document was aborted).
    bool checkAbort();
    void setAbortCheck(std::function<void()> processEvents) {
        processEvents_ = std::move(processEvents);
    }

private:
    std::function<void()> processEvents_;
};

// The paper the printer has now (PaperName); "A4" when it offers no settings.
QString CurrentPaperName(const RibbonPrinter &printer);
