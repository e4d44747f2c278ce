#include "print/QtPrinter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QTemporaryFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "print/PdfDocument.h"
#include "print/PdfFile.h"
#include "print/SpoolPlan.h"
#include "render/QPainterCanvas.h"

namespace {

const QString kNoDefaultPrinter = QStringLiteral("Zur Zeit ist kein Standard-Drucker gewählt");

DeviceSettings a4Portrait() {
    return DeviceSettings{0, DeviceSettings::Portrait, 9, 2970, 2100};
}

// The driver's paper code for the sizes it names; anything else is described
// by its dimensions alone.
std::int16_t paperCode(QPageSize::PageSizeId id) {
    switch (id) {
        case QPageSize::Letter:
            return 1;
        case QPageSize::Legal:
            return 5;
        case QPageSize::A3:
            return 8;
        case QPageSize::A4:
            return 9;
        case QPageSize::A5:
            return 11;
        default:
            return DeviceSettings::UserDefinedPaper;
    }
}

QString millimetres(double tenths) {
    QString s = QString::number(tenths / 10.0, 'f', 1);
    if (s.endsWith(QLatin1String(".0")))
        s.chop(2);
    return s;
}

// Whether the PDF written is whole: the cross-reference table at the offset
// "startxref" names, and every object where the table says. The writer
// reports failed writes itself; this reads back what reached the file.
bool PdfIsWhole(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    if (size < 32)
        return false;
    const uchar *data = file.map(0, size);
    if (!data)
        return false;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), size);
    const QByteArray tail = bytes.right(64).trimmed();
    if (!tail.endsWith("%%EOF"))
        return false;
    const qsizetype startxref = bytes.lastIndexOf("startxref");
    if (startxref < 0)
        return false;
    bool ok = false;
    const qint64 xref =
        bytes.mid(startxref + 9, tail.size()).split('%').first().trimmed().toLongLong(&ok);
    if (!ok || xref < 0 || xref + 4 > size || bytes.mid(xref, 4) != "xref")
        return false;
    // "xref\n0 N\n" and N entries of 20 bytes: "oooooooooo ggggg n \n".
    qsizetype pos = bytes.indexOf('\n', xref) + 1;
    const qsizetype lineEnd = bytes.indexOf('\n', pos);
    if (pos <= 0 || lineEnd < 0)
        return false;
    const QList<QByteArray> head = bytes.mid(pos, lineEnd - pos).trimmed().split(' ');
    if (head.size() != 2)
        return false;
    const qint64 firstObject = head[0].toLongLong(&ok);
    if (!ok)
        return false;
    const qint64 count = head[1].toLongLong(&ok);
    if (!ok || count < 1 || lineEnd + 1 + count * 20 > size)
        return false;
    pos = lineEnd + 1;
    for (qint64 i = 0; i < count; ++i, pos += 20) {
        if (bytes.at(pos + 17) != 'n')
            continue;  // a free entry
        const qint64 offset = bytes.mid(pos, 10).toLongLong(&ok);
        if (!ok || offset < 0 || offset >= size)
            return false;
        const QByteArray expected = QByteArray::number(firstObject + i) + " 0 obj";
        if (bytes.mid(offset, expected.size()) != expected)
            return false;
    }
    return true;
}

// Flushes a file to the disk; false when the system reports that it cannot
// (a full disk may show only here).
// Flushes a file to disk; the reason for the user when that fails, else empty.
QString SyncFile(const QString &path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    int error = fd < 0 ? errno : 0;
    if (fd >= 0) {
        if (::fsync(fd) != 0)
            error = errno;
        if (::close(fd) != 0 && error == 0)
            error = errno;
    }
    return WriteErrorText(error);
}

}  // namespace

QString QtPrinter::ResolvePdfTarget(const QString &path) {
    if (path.isEmpty())
        throw PrinterError(QStringLiteral("Keine Datei gew\u00e4hlt."));
    QFileInfo info(QFileInfo(path).absoluteFilePath());
    // A link is followed to the file it names, which is then replaced; a
    // link to nothing yet names the new file.
    for (int hops = 0; info.isSymLink() && hops < 40; ++hops) {
        if (info.exists()) {
            info = QFileInfo(info.canonicalFilePath());
            break;
        }
        info = QFileInfo(info.symLinkTarget());
    }
    if (info.isSymLink())
        throw PrinterError(
            QStringLiteral("\u201e%1\u201c: zu viele Verweise hintereinander.").arg(path));
    const QString target = info.absoluteFilePath();
    struct stat st {};
    if (::stat(QFile::encodeName(target).constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            throw PrinterError(QStringLiteral("\u201e%1\u201c ist ein Ordner.").arg(target));
        if (!S_ISREG(st.st_mode))
            throw PrinterError(
                QStringLiteral("\u201e%1\u201c ist keine gew\u00f6hnliche Datei (ein Ger\u00e4t "
                               "oder eine Pipe); ein PDF wird nur in eine Datei geschrieben.")
                    .arg(target));
        // Write bits, not access(): the administrator may write anywhere, but
        // a file made read-only is to be kept all the same.
        if ((st.st_mode & 0222) == 0 || ::access(QFile::encodeName(target).constData(), W_OK) != 0)
            throw PrinterError(
                QStringLiteral("Datei \u201e%1\u201c ist schreibgesch\u00fctzt.").arg(target));
    } else if (errno != ENOENT) {
        throw PrinterError(QStringLiteral("Datei \u201e%1\u201c: %2")
                               .arg(target, QString::fromLocal8Bit(std::strerror(errno))));
    }
    if (!QFileInfo(info.absolutePath()).isDir())
        throw PrinterError(QStringLiteral("Ordner \u201e%1\u201c fehlt.").arg(info.absolutePath()));
    return target;
}

QString QtPrinter::JobFolder(const QString &preferred, const QString &fallback) {
    for (const QString &folder : {preferred, fallback}) {
        if (folder.isEmpty())
            continue;
        const QFileInfo info(folder);
        if (info.isDir() &&
            ::access(QFile::encodeName(info.absoluteFilePath()).constData(), W_OK | X_OK) == 0)
            return info.absoluteFilePath();
    }
    throw PrinterError(
        QStringLiteral("Der Druckauftrag kann weder in \u201e%1\u201c noch in \u201e%2\u201c "
                       "abgelegt werden: kein beschreibbarer Ordner. Nichts wurde gedruckt.")
            .arg(QDir::toNativeSeparators(preferred), QDir::toNativeSeparators(fallback)));
}

namespace {

// The temporary folder, or /tmp: QDir::tempPath() is empty when TMPDIR names
// nothing, and names a file when TMPDIR does (as root the job files would
// then land in /).
QString TemporaryJobFolder() {
    const QString temp = QDir::tempPath();
    return QtPrinter::JobFolder(temp.isEmpty() ? qEnvironmentVariable("TMPDIR") : temp);
}

}  // namespace

const QString QtPrinter::PdfPrinterName = QStringLiteral("PDF");

QtPrinter::QtPrinter(CupsClient *client)
    : client_(client ? client : &CupsClient::shared()), names_{PdfPrinterName}, index_(0) {
    readDriverDefaults();
    settings_ = driverDefaults_;
}

QtPrinter::QtPrinter(const QStringList &queues) : listed_(true) {
    for (const QString &name : queues) {
        if (name.compare(PdfPrinterName, Qt::CaseInsensitive) != 0)
            names_.append(name);
    }
    names_.append(PdfPrinterName);
    index_ = int(names_.size()) - 1;
    readDriverDefaults();
    settings_ = driverDefaults_;
}

void QtPrinter::listQueues() {
    if (!client_)
        return;
    try {
        setQueues(client_->queues(waiting_));
    } catch (const PrinterError &e) {
        setQueueFailure(e.message());
        throw;
    }
}

void QtPrinter::setQueues(const CupsClient::QueueList &queues) {
    const QString selected = printerName();
    names_.clear();
    for (const QString &name : queues.names) {
        if (name.compare(PdfPrinterName, Qt::CaseInsensitive) != 0)
            names_.append(name);
    }
    names_.append(PdfPrinterName);
    systemDefault_ = queues.defaultName;
    listed_ = true;
    queueFailure_.clear();
    index_ = int(names_.indexOf(selected));
    if (index_ < 0) {
        // The queue selected is gone.
        index_ = int(names_.size()) - 1;
        driverDefaults_ = a4Portrait();
        settings_ = driverDefaults_;
    }
}

void QtPrinter::setQueueFailure(const QString &failure) {
    listed_ = true;
    queueFailure_ = failure;
}

QtPrinter::~QtPrinter() {
    if (printing_)
        abortDocument();
}

void QtPrinter::selectPrinter(int index) {
    if (names_.isEmpty())
        throw PrinterError(kNoDefaultPrinter);
    if (index < 0 || index >= names_.size()) {
        // The system's default is asked for once; a scheduler that did not
        // answer leaves the PDF printer.
        if (client_ && !listed_)
            listQueues();
        index = systemDefault_.isEmpty() ? -1 : int(names_.indexOf(systemDefault_));
        if (index < 0)
            index = int(names_.indexOf(PdfPrinterName));
    }
    index_ = index;
    readDriverDefaults();
    settings_ = driverDefaults_;
}

bool QtPrinter::selectPrinterByName(const QString &name) {
    if (client_ && !listed_ && name.compare(PdfPrinterName, Qt::CaseInsensitive) != 0)
        listQueues();
    for (int i = 0; i < names_.size(); ++i) {
        if (names_[i].compare(name, Qt::CaseInsensitive) == 0) {
            selectPrinter(i);
            return true;
        }
    }
    return false;
}

QString QtPrinter::printerName() const {
    return index_ >= 0 ? names_.value(index_) : QString();
}

bool QtPrinter::isPdfPrinter() const {
    return printerName() == PdfPrinterName;
}

void QtPrinter::readDriverDefaults() {
    driverDefaults_ = a4Portrait();
    if (isPdfPrinter() || !client_)
        return;
    const std::optional<QSizeF> media = client_->defaultMediaMm(printerName(), waiting_);
    if (media) {
        // Drivers give their paper in points: a size they name (A4 is
        // 595 x 842 points) has its own millimetres.
        const QPageSize size(*media, QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
        const QSizeF mm =
            size.id() == QPageSize::Custom ? *media : size.size(QPageSize::Millimeter);
        driverDefaults_.paperSize = paperCode(size.id());
        driverDefaults_.paperWidth =
            std::int16_t(std::lround(std::min(mm.width(), mm.height()) * 10));
        driverDefaults_.paperLength =
            std::int16_t(std::lround(std::max(mm.width(), mm.height()) * 10));
    }
}

void QtPrinter::reselectWithDriverDefaults() {
    if (index_ < 0)
        throw PrinterError(kNoDefaultPrinter);
    readDriverDefaults();
    settings_ = driverDefaults_;
}

bool QtPrinter::deviceSettings(DeviceSettings *out) const {
    if (index_ < 0)
        return false;
    *out = settings_;
    return true;
}

QPageLayout QtPrinter::pageLayoutFor(const DeviceSettings &s) {
    // Paper length runs along the feed, width across; landscape turns the page.
    const QSizeF portrait(s.paperWidth / 10.0, s.paperLength / 10.0);
    if (!(portrait.width() > 0 && portrait.height() > 0))
        throw PrinterError(QStringLiteral("Ungültige Papiergröße"));
    const QPageSize size(portrait, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    return QPageLayout(
        size,
        s.orientation == DeviceSettings::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
        QMarginsF(), QPageLayout::Millimeter);
}

QString QtPrinter::cupsMedia(const DeviceSettings &s) {
    return QStringLiteral("Custom.%1x%2mm")
        .arg(millimetres(s.paperWidth), millimetres(s.paperLength));
}

void QtPrinter::beginDocument() {
    if (index_ < 0)
        throw PrinterError(kNoDefaultPrinter);
    if (printing_)
        throw PrinterError(QStringLiteral("Es wird bereits gedruckt."));
    aborted_ = false;
    handedOver_ = false;
    pageSettings_ = settings_;
    pageSettingsLog_.clear();
    ribbonEnds_.clear();

    if (isPdfPrinter()) {
        targetFile_ = pdfOutput_;
        if (targetFile_.isEmpty() && chooser_)
            targetFile_ = chooser_();
        targetFile_ = ResolvePdfTarget(targetFile_);
    } else {
        targetFile_.clear();
    }
    // A PDF goes to a temporary file beside its target and replaces the target
    // only when the document ends; a queue's PDF lives in the temporary folder.
    QTemporaryFile temp(targetFile_.isEmpty()
                            ? TemporaryJobFolder() + QStringLiteral("/vellumo-XXXXXX.pdf")
                            : targetFile_ + QStringLiteral(".XXXXXX"));
    temp.setAutoRemove(false);
    if (!temp.open())
        throw PrinterError(temp.errorString());
    tempFile_ = temp.fileName();
    temp.close();

    printer_ = std::make_unique<PdfDocument>(tempFile_, Resolution);
    printer_->setTitle(documentName_);
    printer_->setCreator(QStringLiteral("Vellumo"));
    try {
        printer_->setPageLayout(pageLayoutFor(pageSettings_));
        applyPageStretch(pageSettings_);
    } catch (...) {
        discardOutput();
        throw;
    }
    if (!painter_.begin(printer_.get())) {
        discardOutput();
        throw PrinterError(QStringLiteral("Der Drucker kann nicht geöffnet werden."));
    }
    printing_ = true;
    pageOpen_ = true;
    pageSettingsLog_.push_back(pageSettings_);
    ribbonEnds_.push_back(false);
    canvas_ = std::make_unique<QPainterCanvas>(painter_, true);
}

void QtPrinter::startPage() {
    if (!printing_)
        throw PrinterError(QStringLiteral("Kein Druckauftrag offen."));
    canvas_.reset();
    // The painter keeps the first page's mapping after newPage(); every page
    // gets a fresh canvas, and the print methods set their mapping per page.
    printer_->setPageLayout(pageLayoutFor(pageSettings_));
    applyPageStretch(pageSettings_);
    if (!printer_->newPage())
        throw PrinterError(writeFailure(printer_->errorString()));
    pageSettingsLog_.push_back(pageSettings_);
    ribbonEnds_.push_back(false);
    pageOpen_ = true;
    canvas_ = std::make_unique<QPainterCanvas>(painter_, true);
}

void QtPrinter::endDocument() {
    if (!printing_)
        return;
    canvas_.reset();
    const bool ended = painter_.end();
    QString reason = ended ? QString() : printer_->errorString();
    // The file is closed; the document stays until the end, to write a
    // queue's jobs from.
    const std::unique_ptr<std::unique_ptr<PdfDocument>, void (*)(std::unique_ptr<PdfDocument> *)>
        releaseDocument(&printer_,
                        [](std::unique_ptr<PdfDocument> *document) { document->reset(); });
    printing_ = false;
    pageOpen_ = false;
    if (ended)
        reason = SyncFile(tempFile_);
    if (ended && reason.isEmpty() && !PdfIsWhole(tempFile_))
        reason = QStringLiteral("Die Datei ist unvollst\u00e4ndig.");
    if (!reason.isEmpty()) {
        const QString message = writeFailure(reason);
        QFile::remove(tempFile_);
        tempFile_.clear();
        throw PrinterError(message);
    }
    if (isPdfPrinter()) {
        // The temporary file was made private; the PDF gets the permissions an
        // ordinary new file would have, or those of the file it replaces.
        const QByteArray target = QFile::encodeName(targetFile_);
        struct stat st {};
        mode_t mode;
        if (::stat(target.constData(), &st) == 0) {
            mode = st.st_mode & 07777;
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            mode = 0666 & ~mask;
        }
        ::chmod(QFile::encodeName(tempFile_).constData(), mode);
        // rename() replaces the target in one step.
        if (std::rename(QFile::encodeName(tempFile_).constData(),
                        QFile::encodeName(targetFile_).constData()) != 0) {
            QFile::remove(tempFile_);
            throw PrinterError(
                QStringLiteral("Datei \"%1\" kann nicht erstellt werden.").arg(targetFile_));
        }
        tempFile_.clear();
        return;
    }
    try {
        submitToQueue();
    } catch (...) {
        QFile::remove(tempFile_);
        tempFile_.clear();
        throw;
    }
    QFile::remove(tempFile_);
    tempFile_.clear();
}

QString QtPrinter::writeFailure(QString reason) const {
    if (reason.isEmpty())
        reason = QStringLiteral("Schreibfehler.");
    if (isPdfPrinter())
        return QStringLiteral(
                   "Die PDF-Datei \u201e%1\u201c kann nicht geschrieben werden: %2 "
                   "Nichts wurde ersetzt oder gedruckt.")
            .arg(QDir::toNativeSeparators(targetFile_), reason);
    // A queue's document waits in the temporary folder: that is the disk to clear.
    return QStringLiteral(
               "Der Druckauftrag \u201e%1\u201c kann nicht in %2 abgelegt werden: %3 "
               "Nichts wurde gedruckt.")
        .arg(documentName_, QDir::toNativeSeparators(QFileInfo(tempFile_).absolutePath()), reason);
}

CupsClient::Waiting QtPrinter::waitingForJobs() {
    return [this] {
        if (waiting_ && !waiting_())
            return false;
        return checkAbort();
    };
}

void QtPrinter::submitToQueue() {
    std::vector<SpoolPage> pages;
    for (std::size_t i = 0; i < pageSettingsLog_.size(); ++i) {
        const DeviceSettings &page = pageSettingsLog_[i];
        pages.push_back(
            {stretchedMedia(page) + QLatin1Char('/') + QString::number(page.orientation),
             ribbonEnds_[i]});
    }
    const std::vector<PlannedJob> planned = PlanSpoolJobs(pages, cutOption_, cutMode_);
    if (!printer_ || printer_->pageCount() != int(pages.size()))
        throw PrinterError(writeFailure(QStringLiteral("Die Datei ist unvollst\u00e4ndig.")));

    // Every job's file is written and read back before the first one goes to
    // the queue: a disk that fills up half way leaves nothing half printed.
    std::vector<SpoolJob> jobs;
    const std::unique_ptr<std::vector<SpoolJob>, void (*)(std::vector<SpoolJob> *)> removeFiles(
        &jobs, [](std::vector<SpoolJob> *written) {
            for (const SpoolJob &job : *written)
                QFile::remove(job.file);
        });
    const int count = int(planned.size());
    for (int k = 0; k < count; ++k) {
        const PlannedJob &plan = planned[std::size_t(k)];
        QTemporaryFile temp(QFileInfo(tempFile_).path() + QStringLiteral("/vellumo-XXXXXX.pdf"));
        temp.setAutoRemove(false);
        if (!temp.open())
            throw PrinterError(writeFailure(temp.errorString()));
        SpoolJob job;
        job.file = temp.fileName();
        temp.close();
        jobs.push_back(job);
        // Each job's file is written from the document's record of its pages.
        QString reason = printer_->writePages(job.file, plan.first, plan.last);
        if (reason.isEmpty() && !PdfIsWhole(job.file))
            reason = QStringLiteral("Die Datei ist unvollst\u00e4ndig.");
        if (!reason.isEmpty())
            throw PrinterError(writeFailure(reason));
        SpoolJob &made = jobs.back();
        made.title =
            count == 1
                ? documentName_
                : QStringLiteral("%1 %2/%3").arg(documentName_).arg(k + 1).arg(count).trimmed();
        made.options.append(
            {"media", stretchedMedia(pageSettingsLog_[std::size_t(plan.first)]).toLatin1()});
        // The pages are drawn the way they are to come out: no fitting, no scaling.
        made.options.append({QByteArray("print-scaling"), QByteArray("none")});
        if (plan.cutChoice)
            made.options.append({cutOption_->name.toUtf8(), plan.cutChoice->toUtf8()});
        made.pages = plan.last - plan.first + 1;
        made.bytes = QFileInfo(made.file).size();
    }
    for (int k = 0; k < count; ++k) {
        try {
            const SpoolJob &job = jobs[std::size_t(k)];
            if (submitter_)
                submitter_(job);
            else
                (client_ ? *client_ : CupsClient::shared())
                    .submit({printerName(), job.file, job.title, job.options}, waitingForJobs());
            handedOver_ = true;
        } catch (const PrinterError &e) {
            // A scheduler that fell silent may have taken the job all the same.
            if (e.message() == CupsClient::NoAnswer())
                handedOver_ = true;
            if (k == 0)
                throw;
            // The jobs before are with the spooler and will be printed.
            const QString queued =
                k == 1 ? QStringLiteral(
                             "Auftrag 1 von %1 ist schon in der Warteschlange und wird "
                             "gedruckt.")
                             .arg(count)
                       : QStringLiteral(
                             "Auftr\u00e4ge 1 bis %1 von %2 sind schon in der "
                             "Warteschlange und werden gedruckt.")
                             .arg(k)
                             .arg(count);
            throw PrinterError(
                QStringLiteral("Der Druckauftrag \u201e%1\u201c wurde nicht angenommen: %2 %3")
                    .arg(jobs[std::size_t(k)].title, e.message(), queued));
        }
    }
}

void QtPrinter::discardOutput() {
    canvas_.reset();
    if (painter_.isActive())
        painter_.end();
    if (!tempFile_.isEmpty())
        QFile::remove(tempFile_);
    tempFile_.clear();
    printer_.reset();
}

void QtPrinter::abortDocument() {
    if (printing_)
        discardOutput();
    printing_ = false;
    pageOpen_ = false;
    aborted_ = true;
}

RibbonCanvas &QtPrinter::canvas() {
    if (printing_ && pageOpen_ && canvas_)
        return *canvas_;
    // Outside a page nothing reaches paper.
    if (!idleCanvas_) {
        idleImage_ = std::make_unique<QImage>(1, 1, QImage::Format_RGB32);
        idlePainter_ = std::make_unique<QPainter>(idleImage_.get());
        idleCanvas_ = std::make_unique<QPainterCanvas>(*idlePainter_);
    }
    return *idleCanvas_;
}

PageMetrics QtPrinter::metrics() const {
    return pageMetrics(printing_ && !pageSettingsLog_.empty() ? pageSettingsLog_.back()
                                                              : settings_);
}

PageMetrics QtPrinter::pageMetrics(const DeviceSettings &settings) const {
    const QPageLayout layout = pageLayoutFor(settings);
    QSizeF mm = layout.paintRect(QPageLayout::Millimeter).size();
    // The PDF keeps the page in whole points: plan on what it really has
    // where that is less than was asked for.
    const QSizeF points = layout.fullRectPoints().size();
    mm = QSizeF(std::min(mm.width(), points.width() * 25.4 / 72),
                std::min(mm.height(), points.height() * 25.4 / 72));
    return PageMetricsFor(mm.width(), mm.height(), Resolution);
}

namespace {

// A surface for measuring only: a painter on a one-pixel image. The image and
// its painter are a base of their own so that they outlive the canvas.
struct MeasuringDevice {
    MeasuringDevice() : image(1, 1, QImage::Format_RGB32), painter(&image) {}
    QImage image;
    QPainter painter;
};

class MeasuringCanvas : private MeasuringDevice, public QPainterCanvas {
public:
    MeasuringCanvas() : QPainterCanvas(MeasuringDevice::painter) {}
};

}  // namespace

std::unique_ptr<RibbonCanvas> QtPrinter::informationContext(PageMetrics *metricsOut) const {
    if (metricsOut)
        *metricsOut = pageMetrics(settings_);
    return std::make_unique<MeasuringCanvas>();
}

void QtPrinter::noteRibbonEnd() {
    if (printing_ && pageOpen_ && !ribbonEnds_.empty())
        ribbonEnds_.back() = true;
}

void QtPrinter::setLengthFactor(double factor) {
    const bool sound =
        std::isfinite(factor) && factor >= MinLengthFactor && factor <= MaxLengthFactor;
    lengthFactor_ = sound ? factor : 1.0;
}

void QtPrinter::setCutting(const std::optional<CutOption> &option, CutMode mode) {
    cutOption_ = option;
    cutMode_ = mode;
}

QString QtPrinter::stretchedMedia(const DeviceSettings &s) const {
    return QStringLiteral("Custom.%1x%2mm")
        .arg(millimetres(s.paperWidth), millimetres(std::round(s.paperLength * lengthFactor_)));
}

void QtPrinter::applyPageStretch(const DeviceSettings &s) {
    // The paper's length runs along the landscape page's x axis.
    if (s.orientation == DeviceSettings::Landscape)
        printer_->setPageStretch(lengthFactor_, 1);
    else
        printer_->setPageStretch(1, lengthFactor_);
}
