#include "print/RecordingPrinter.h"

#include <cmath>

namespace {

const QString kNoDefaultPrinter = QStringLiteral("Zur Zeit ist kein Standard-Drucker gewählt");

}  // namespace

RecordingPrinter::RecordingPrinter(Config config)
    : config_(std::move(config)), settings_(config_.driverDefaults), pageSettings_(settings_) {
    index_ = config_.printers.isEmpty() ? -1 : config_.defaultIndex;
}

void RecordingPrinter::selectPrinter(int index) {
    if (config_.printers.isEmpty())
        throw PrinterError(kNoDefaultPrinter);
    if (index < 0 || index >= config_.printers.size()) {
        if (config_.defaultIndex < 0)
            throw PrinterError(kNoDefaultPrinter);
        index = config_.defaultIndex;
    }
    index_ = index;
}

void RecordingPrinter::reselectWithDriverDefaults() {
    if (index_ < 0)
        throw PrinterError(kNoDefaultPrinter);
    settings_ = config_.driverDefaults;
}

bool RecordingPrinter::deviceSettings(DeviceSettings *out) const {
    if (!config_.hasDeviceSettings)
        return false;
    *out = settings_;
    return true;
}

void RecordingPrinter::setDeviceSettings(const DeviceSettings &settings) {
    settings_ = settings;
}

void RecordingPrinter::resetToDriverDefaults() {
    settings_ = config_.driverDefaults;
}

RecordingPrinter::Page RecordingPrinter::layoutFor(const DeviceSettings &s) const {
    Page page;
    page.settings = s;
    const double lengthMm = s.paperLength / 10.0;
    const double widthMm = s.paperWidth / 10.0;
    const bool landscape = s.orientation == DeviceSettings::Landscape;
    page.widthMm = landscape ? lengthMm : widthMm;
    page.heightMm = landscape ? widthMm : lengthMm;
    const double printableX = std::max(0.0, page.widthMm - 2 * config_.marginMm);
    const double printableY = std::max(0.0, page.heightMm - 2 * config_.marginMm);
    page.metrics = config_.metricsFor ? config_.metricsFor(s)
                                      : PageMetricsFor(printableX, printableY, config_.dpi);
    return page;
}

void RecordingPrinter::openPage() {
    if (config_.failAtPage >= 0 && pagesStarted_ == config_.failAtPage) {
        ++pagesStarted_;
        throw PrinterError(QStringLiteral("Der Drucker meldet einen Fehler."));
    }
    ++pagesStarted_;
    Page page = layoutFor(pageSettings_);
    page.document = documents_;
    page.canvas = std::make_unique<RecordingCanvas>();
    page.canvas->setPrinting(true);
    pages_.push_back(std::move(page));
    pageOpen_ = true;
}

void RecordingPrinter::beginDocument() {
    if (index_ < 0)
        throw PrinterError(kNoDefaultPrinter);
    if (printing_)
        throw PrinterError(QStringLiteral("Es wird bereits gedruckt."));
    aborted_ = false;
    printing_ = true;
    ++documents_;
    pageSettings_ = settings_;
    openPage();
}

void RecordingPrinter::endPage() {
    if (printing_)
        pageOpen_ = false;
}

void RecordingPrinter::startPage() {
    if (!printing_)
        throw PrinterError(QStringLiteral("Kein Druckauftrag offen."));
    openPage();
}

void RecordingPrinter::endDocument() {
    if (!printing_)
        return;
    pageOpen_ = false;
    printing_ = false;
    ++finished_;
}

void RecordingPrinter::abortDocument() {
    if (printing_) {
        // The spooler discards the whole document.
        for (Page &page : pages_) {
            if (page.document == documents_)
                page.discarded = true;
        }
        ++abortedCount_;
    }
    printing_ = false;
    pageOpen_ = false;
    aborted_ = true;
}

RibbonCanvas &RecordingPrinter::canvas() {
    if (printing_ && pageOpen_ && !pages_.empty())
        return *pages_.back().canvas;
    return idle_;
}

PageMetrics RecordingPrinter::metrics() const {
    if (printing_ && !pages_.empty())
        return pages_.back().metrics;
    return layoutFor(settings_).metrics;
}

std::unique_ptr<RibbonCanvas> RecordingPrinter::informationContext(PageMetrics *metrics) const {
    if (metrics)
        *metrics = layoutFor(settings_).metrics;
    return std::make_unique<RecordingCanvas>();
}

std::vector<const RecordingPrinter::Page *> RecordingPrinter::printedPages() const {
    std::vector<const Page *> printed;
    for (const Page &page : pages_) {
        if (!page.discarded)
            printed.push_back(&page);
    }
    return printed;
}

void RecordingPrinter::notePageRole(PageRole role) {
    if (printing_ && !pages_.empty())
        pages_.back().role = role;
}

void RecordingPrinter::noteRibbonEnd() {
    if (printing_ && !pages_.empty())
        pages_.back().ribbonEnd = true;
}
