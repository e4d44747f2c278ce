#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "print/Printer.h"
#include "render/RecordingCanvas.h"

// A printer for tests: pages are recording surfaces, every page keeps the
// device settings it was started with and everything drawn on it.
class RecordingPrinter : public RibbonPrinter {
public:
    struct Config {
        QStringList printers{QStringLiteral("Aufzeichnung")};
        int defaultIndex = 0;  // -1: the list has no default
        // The driver's defaults: A4 portrait.
        DeviceSettings driverDefaults{0, DeviceSettings::Portrait, 9, 2970, 2100};
        double marginMm = 0;  // unprintable border on every side
        int dpi = 600;
        bool hasDeviceSettings = true;
        int failAtPage = -1;  // starting this page (counted over the printer's life) throws
        // When set, the metrics of each page come from here (another
        // printer's), not from the paper, margin and dpi above.
        std::function<PageMetrics(const DeviceSettings &)> metricsFor;
    };

    struct Page {
        DeviceSettings settings;
        PageMetrics metrics;
        double widthMm = 0;   // along X (the ribbon's length in landscape)
        double heightMm = 0;  // along Y
        int document = 0;
        bool discarded = false;  // its document was aborted: it never reached paper
        PageRole role = PageRole::Strip;
        bool ribbonEnd = false;  // the last page of a ribbon
        std::unique_ptr<RecordingCanvas> canvas;
    };

    RecordingPrinter() : RecordingPrinter(Config()) {}
    explicit RecordingPrinter(Config config);

    QStringList printers() const override { return config_.printers; }
    int printerIndex() const override { return index_; }
    void selectPrinter(int index) override;
    void reselectWithDriverDefaults() override;

    bool deviceSettings(DeviceSettings *out) const override;
    void setDeviceSettings(const DeviceSettings &settings) override;
    void resetToDriverDefaults() override;
    void setDocumentName(const QString &name) override { documentName_ = name; }
    void setLandscape() override { settings_.orientation = DeviceSettings::Landscape; }

    void beginDocument() override;
    void endPage() override;
    void startPage() override;
    void resetPageContext() override { pageSettings_ = settings_; }
    void endDocument() override;
    void abortDocument() override;
    bool printing() const override { return printing_; }
    bool aborted() const override { return aborted_; }

    RibbonCanvas &canvas() override;
    PageMetrics metrics() const override;
    PageMetrics pageMetrics(const DeviceSettings &settings) const override {
        return layoutFor(settings).metrics;
    }
    void notePageRole(PageRole role) override;
    void noteRibbonEnd() override;
    std::unique_ptr<RibbonCanvas> informationContext(PageMetrics *metrics) const override;
    // Kept as given, to be looked at; they change nothing recorded.
    void setLengthFactor(double factor) override { lengthFactor_ = factor; }
    void setCutting(const std::optional<CutOption> &option, CutMode mode) override {
        cutOption_ = option;
        cutMode_ = mode;
    }
    double lengthFactor() const { return lengthFactor_; }
    const std::optional<CutOption> &cutOption() const { return cutOption_; }
    CutMode cutMode() const { return cutMode_; }

    // Every page started, discarded ones included, and the pages that reached paper.
    const std::vector<Page> &pages() const { return pages_; }
    std::vector<const Page *> printedPages() const;
    // Pages of documents that were ended (not aborted).
    int finishedDocuments() const { return finished_; }
    int abortedDocuments() const { return abortedCount_; }
    const QString &documentName() const { return documentName_; }
    const DeviceSettings &currentSettings() const { return settings_; }

    // The page geometry a page started with these settings would have.
    Page layoutFor(const DeviceSettings &settings) const;

private:
    void openPage();

    Config config_;
    int index_ = -1;
    DeviceSettings settings_;
    DeviceSettings pageSettings_;
    QString documentName_;
    bool printing_ = false;
    bool pageOpen_ = false;
    bool aborted_ = false;
    int documents_ = 0;
    int finished_ = 0;
    int abortedCount_ = 0;
    int pagesStarted_ = 0;
    std::vector<Page> pages_;
    RecordingCanvas idle_;  // the surface outside a document
    double lengthFactor_ = 1.0;
    std::optional<CutOption> cutOption_;
    CutMode cutMode_ = CutMode::Never;
};
