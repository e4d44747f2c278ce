#include "print/QtPrinter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QTemporaryFile>

#include <cups/cups.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "print/CupsQueues.h"
#include "print/PdfDocument.h"
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
    if (error == 0)
        return QString();
    if (error == ENOSPC)
        return QStringLiteral("Der Datentr\u00e4ger ist voll.");
    if (error == EDQUOT)
        return QStringLiteral("Der zugeteilte Speicherplatz ist aufgebraucht.");
    return QStringLiteral("Schreibfehler: %1.").arg(qt_error_string(error));
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

const QString QtPrinter::PdfPrinterName = QStringLiteral("PDF");

QtPrinter::QtPrinter() {
    for (const QString &name : CupsQueueNames()) {
        if (name.compare(PdfPrinterName, Qt::CaseInsensitive) != 0)
            names_.append(name);
    }
    names_.append(PdfPrinterName);
    selectPrinter(-1);
}

QtPrinter::~QtPrinter() {
    if (printing_)
        abortDocument();
}

void QtPrinter::selectPrinter(int index) {
    if (names_.isEmpty())
        throw PrinterError(kNoDefaultPrinter);
    if (index < 0 || index >= names_.size()) {
        const QString systemDefault = CupsDefaultQueue();
        index = systemDefault.isEmpty() ? -1 : int(names_.indexOf(systemDefault));
        if (index < 0)
            index = int(names_.indexOf(PdfPrinterName));
    }
    index_ = index;
    readDriverDefaults();
    settings_ = driverDefaults_;
}

bool QtPrinter::selectPrinterByName(const QString &name) {
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
    if (isPdfPrinter())
        return;
    const std::optional<QSizeF> media = CupsDefaultMediaMm(printerName());
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
    pageSettings_ = settings_;
    pageSettingsLog_.clear();

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
                            ? QDir::tempPath() + QStringLiteral("/vellumo-XXXXXX.pdf")
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
    canvas_ = std::make_unique<QPainterCanvas>(painter_, true);
}

void QtPrinter::startPage() {
    if (!printing_)
        throw PrinterError(QStringLiteral("Kein Druckauftrag offen."));
    canvas_.reset();
    // The painter keeps the first page's mapping after newPage(); every page
    // gets a fresh canvas, and the print methods set their mapping per page.
    printer_->setPageLayout(pageLayoutFor(pageSettings_));
    if (!printer_->newPage())
        throw PrinterError(writeFailure(printer_->errorString()));
    pageSettingsLog_.push_back(pageSettings_);
    pageOpen_ = true;
    canvas_ = std::make_unique<QPainterCanvas>(painter_, true);
}

void QtPrinter::endDocument() {
    if (!printing_)
        return;
    canvas_.reset();
    const bool ended = painter_.end();
    QString reason = ended ? QString() : printer_->errorString();
    printer_.reset();  // closes the file
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

void QtPrinter::submitToQueue() {
    const QByteArray queue = printerName().toUtf8();
    const QByteArray file = QFile::encodeName(tempFile_);
    const QByteArray title = documentName_.toUtf8();
    std::size_t first = 0;
    while (first < pageSettingsLog_.size()) {
        std::size_t last = first;
        const QString media = cupsMedia(pageSettingsLog_[first]);
        while (last + 1 < pageSettingsLog_.size() &&
               cupsMedia(pageSettingsLog_[last + 1]) == media &&
               pageSettingsLog_[last + 1].orientation == pageSettingsLog_[first].orientation)
            ++last;
        cups_option_t *options = nullptr;
        int count = 0;
        const QByteArray mediaBytes = media.toLatin1();
        const QByteArray ranges = QStringLiteral("%1-%2").arg(first + 1).arg(last + 1).toLatin1();
        count = cupsAddOption("media", mediaBytes.constData(), count, &options);
        count = cupsAddOption("page-ranges", ranges.constData(), count, &options);
        // The pages are drawn the way they are to come out: no fitting, no scaling.
        count = cupsAddOption("print-scaling", "none", count, &options);
        const int job =
            cupsPrintFile(queue.constData(), file.constData(), title.constData(), count, options);
        cupsFreeOptions(count, options);
        if (job == 0)
            throw PrinterError(QString::fromUtf8(cupsLastErrorString()));
        first = last + 1;
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

void QtPrinter::noteRibbonEnd() {}

void QtPrinter::setLengthFactor(double) {}

void QtPrinter::setCutting(const std::optional<CutOption> &, CutMode) {}
