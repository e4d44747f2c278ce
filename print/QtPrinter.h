#pragma once

#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <functional>
#include <memory>
#include <vector>

#include "print/CupsClient.h"
#include "print/Printer.h"

class PdfDocument;
class QPainterCanvas;

// The real printer: the CUPS queues, plus "PDF", which is always in the list
// and writes the run to a PDF file.
//
// Made with the PDF printer selected and without asking CUPS: the queues are
// listed when first needed (a queue selected by name, the system's default)
// or by listQueues(), so a print to PDF never reaches the scheduler. Every
// question to CUPS goes through a CupsClient and gives up when the scheduler
// stays silent ("Druckdienst antwortet nicht").
//
// Every document is first drawn into a PDF (PdfDocument) with its own size
// on every page.
// For the PDF printer that file is the result. For a queue it is divided at
// the end of the document into jobs, each a PDF of only its own pages: one job
// per run of equal-sized pages with that size as custom media (a single
// multi-size job would be printed on the last page's media, the spooler
// scaling every other page to it), further divided where the cutter is to
// cut. Aborting before the end discards the file, so nothing reaches the queue.
class QtPrinter : public RibbonPrinter {
public:
    static const QString PdfPrinterName;
    static constexpr int Resolution = 600;

    // The queues of `client` (the program's one when null).
    explicit QtPrinter(CupsClient *client = nullptr);
    // The given queues instead of those CUPS knows, for a job submitter that
    // takes the place of CUPS; CUPS is never asked.
    explicit QtPrinter(const QStringList &queues);
    ~QtPrinter() override;

    // Asks CUPS for its queues (again); the selection stays where it was.
    // Throws PrinterError when the scheduler does not answer.
    void listQueues();
    // The queues listed elsewhere (the window asks off its GUI thread), or
    // why they could not be.
    void setQueues(const CupsClient::QueueList &queues);
    void setQueueFailure(const QString &failure);
    // Whether CUPS was asked for the queues yet.
    bool queuesListed() const { return listed_; }
    // Why the last listing failed; empty when it did not.
    const QString &queueFailure() const { return queueFailure_; }
    // Called while waiting for CUPS (the window keeps painting); returning
    // false gives the wait up.
    void setWaiting(CupsClient::Waiting waiting) { waiting_ = std::move(waiting); }

    // Where the PDF printer writes: asked when a document begins. An empty
    // answer (the user cancelled) makes beginDocument fail.
    void setPdfFileChooser(std::function<QString()> chooser) { chooser_ = std::move(chooser); }
    // A fixed output file for the PDF printer; no question asked.
    void setPdfOutputFile(const QString &path) { pdfOutput_ = path; }
    // Selects by name (without regard to case); false when there is none such.
    bool selectPrinterByName(const QString &name);
    QString printerName() const;
    bool isPdfPrinter() const;

    QStringList printers() const override { return names_; }
    int printerIndex() const override { return index_; }
    void selectPrinter(int index) override;
    void reselectWithDriverDefaults() override;

    bool deviceSettings(DeviceSettings *out) const override;
    void setDeviceSettings(const DeviceSettings &settings) override { settings_ = settings; }
    void resetToDriverDefaults() override { settings_ = driverDefaults_; }
    void setDocumentName(const QString &name) override { documentName_ = name; }
    void setLandscape() override { settings_.orientation = DeviceSettings::Landscape; }

    void beginDocument() override;
    void endPage() override { pageOpen_ = false; }
    void startPage() override;
    void resetPageContext() override { pageSettings_ = settings_; }
    void endDocument() override;
    void abortDocument() override;
    bool printing() const override { return printing_; }
    bool aborted() const override { return aborted_; }
    // A PDF appears whole or not at all; a queue has what it took before a refusal.
    bool partHandedOver() const override { return handedOver_; }

    RibbonCanvas &canvas() override;
    PageMetrics metrics() const override;
    PageMetrics pageMetrics(const DeviceSettings &settings) const override;
    std::unique_ptr<RibbonCanvas> informationContext(PageMetrics *metrics) const override;
    void noteRibbonEnd() override;
    void setLengthFactor(double factor) override;
    void setCutting(const std::optional<CutOption> &option, CutMode mode) override;

    // One job as it is handed to CUPS: its own PDF holding only its pages.
    struct SpoolJob {
        QString file;
        QString title;  // "Vellumo 2/3"
        QList<QPair<QByteArray, QByteArray>> options;
        int pages = 0;
        qint64 bytes = 0;
    };
    // Takes the place of the hand-over to CUPS (benchmarks, tests); the file
    // is removed after the call. Throws PrinterError to refuse a job.
    void setJobSubmitter(std::function<void(const SpoolJob &)> submit) {
        submitter_ = std::move(submit);
    }

    // Page layout that a page started with these settings gets.
    static QPageLayout pageLayoutFor(const DeviceSettings &settings);
    // The file a PDF for this path is written to: a link is followed to its
    // target. Throws PrinterError for a folder, a device, a pipe, a
    // read-only file or a missing folder.
    static QString ResolvePdfTarget(const QString &path);
    // The folder a queue's document and job files are written to: `preferred`
    // (the temporary folder) when it is a folder we may write into, else
    // `fallback`. Throws PrinterError naming them when neither is.
    static QString JobFolder(const QString &preferred,
                             const QString &fallback = QStringLiteral("/tmp"));
    // The CUPS media name of a page: "Custom.<width>x<length>mm".
    static QString cupsMedia(const DeviceSettings &settings);

private:
    void readDriverDefaults();
    // The page as it goes to paper: its length times the length factor.
    QString stretchedMedia(const DeviceSettings &settings) const;
    void applyPageStretch(const DeviceSettings &settings);
    void discardOutput();
    void submitToQueue();
    // The message for a document that could not be written, naming the file
    // (or the folder a queue's document waits in) and the reason.
    QString writeFailure(QString reason) const;

    // The client's calls wait with this and, while a document is handed
    // over, the abort check.
    CupsClient::Waiting waitingForJobs();

    CupsClient *client_ = nullptr;  // null: the queues were given
    bool listed_ = false;
    QString queueFailure_;
    QString systemDefault_;
    CupsClient::Waiting waiting_;
    QStringList names_;
    int index_ = -1;
    DeviceSettings driverDefaults_;
    DeviceSettings settings_;
    DeviceSettings pageSettings_;
    QString documentName_;
    std::function<QString()> chooser_;
    QString pdfOutput_;

    std::unique_ptr<PdfDocument> printer_;
    QPainter painter_;
    std::unique_ptr<QPainterCanvas> canvas_;
    std::unique_ptr<QImage> idleImage_;
    std::unique_ptr<QPainter> idlePainter_;
    std::unique_ptr<QPainterCanvas> idleCanvas_;
    QString tempFile_;
    QString targetFile_;
    std::vector<DeviceSettings> pageSettingsLog_;
    std::vector<bool> ribbonEnds_;  // per page of pageSettingsLog_
    double lengthFactor_ = 1.0;
    std::optional<CutOption> cutOption_;
    CutMode cutMode_ = CutMode::Never;
    std::function<void(const SpoolJob &)> submitter_;
    bool handedOver_ = false;  // a job of the current document went to the queue
    bool printing_ = false;
    bool pageOpen_ = false;
    bool aborted_ = false;
};
