#pragma once

#include <QString>

#include "print/Printer.h"
#include "render/RibbonCanvas.h"

// Hands every operation to another printer and notes how the run went: the
// print methods swallow errors by design, but neither a command line nor an
// order's result may report a failed run as success, and both count the pages.
class WatchedPrinter : public RibbonPrinter {
public:
    explicit WatchedPrinter(RibbonPrinter &inner) : inner_(inner) {
        // The printer's own check: tests and the abort dialog watch that one.
        setAbortCheck([&inner] { inner.checkAbort(); });
    }

    QStringList printers() const override { return inner_.printers(); }
    int printerIndex() const override { return inner_.printerIndex(); }
    void selectPrinter(int index) override { inner_.selectPrinter(index); }
    void reselectWithDriverDefaults() override { inner_.reselectWithDriverDefaults(); }

    bool deviceSettings(DeviceSettings *out) const override { return inner_.deviceSettings(out); }
    void setDeviceSettings(const DeviceSettings &settings) override {
        inner_.setDeviceSettings(settings);
    }
    void resetToDriverDefaults() override { inner_.resetToDriverDefaults(); }
    void setDocumentName(const QString &name) override { inner_.setDocumentName(name); }
    void setLandscape() override { inner_.setLandscape(); }

    void beginDocument() override;
    void endPage() override { inner_.endPage(); }
    void startPage() override;
    void resetPageContext() override { inner_.resetPageContext(); }
    void endDocument() override;
    void abortDocument() override;
    bool printing() const override { return inner_.printing(); }
    bool aborted() const override { return inner_.aborted(); }
    bool partHandedOver() const override { return inner_.partHandedOver(); }

    RibbonCanvas &canvas() override { return inner_.canvas(); }
    PageMetrics metrics() const override { return inner_.metrics(); }
    PageMetrics pageMetrics(const DeviceSettings &settings) const override {
        return inner_.pageMetrics(settings);
    }
    void notePageRole(PageRole role) override { inner_.notePageRole(role); }
    void noteRibbonEnd() override { inner_.noteRibbonEnd(); }
    void setLengthFactor(double factor) override { inner_.setLengthFactor(factor); }
    void setCutting(const std::optional<CutOption> &option, CutMode mode) override {
        inner_.setCutting(option, mode);
    }
    std::unique_ptr<RibbonCanvas> informationContext(PageMetrics *metrics) const override {
        return inner_.informationContext(metrics);
    }

    int documentsEnded() const { return ended_; }
    // The pages of the documents that were finished (what reached the
    // spooler or the file); a document starts with its first page.
    int finishedPages() const { return finished_; }
    int documentsAborted() const { return aborted_; }
    // The printer's own words for the first failure it reported, if any.
    const QString &failure() const { return failure_; }
    // Whether ending a document failed: part of it may have reached the queue.
    bool endFailed() const { return endFailed_; }

private:
    template <class Op>
    void watch(Op op);

    RibbonPrinter &inner_;
    int ended_ = 0;
    int started_ = 0;
    int finished_ = 0;
    int aborted_ = 0;
    QString failure_;
    bool endFailed_ = false;
};
