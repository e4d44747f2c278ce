#include "print/Session.h"

#include <QImage>

#include "model/SettingsFile.h"
#include "print/Printer.h"
#include "print/QtPrinter.h"
#include "render/RenderState.h"

namespace {

const QString kDrucker = QStringLiteral("Drucker");

}  // namespace

RibbonSession::RibbonSession(const QString &settingsPath)
    : settings_(std::make_unique<SettingsFile>(settingsPath)),
      current_(std::make_unique<SettingsFile::CurrentScope>(settings_.get())) {
    rasterizer_ = RenderContext::ReadRasterizerMode(settings_.get());
    maxLength_ = settings_->readInteger(kDrucker, QStringLiteral("MaxLaenge"), 0);
    compatibility_ = settings_->readInteger(kDrucker, QStringLiteral("Methode"), 0) == 4;
    storedPrinter_ = settings_->readString(kDrucker, QStringLiteral("Name"));
}

RibbonSession::~RibbonSession() = default;

void RibbonSession::loadPictures(const QStringList &names) {
    pictures_ = PictureCatalogue();
    for (const QString &name : names) {
        QImage picture;
        LoadPicture(name, DrawPrintColors, picture);
        if (picture.isNull())
            continue;
        // Black ink on white, fitted and centred, as the window's list has it.
        pictures_.files.append(name);
        pictures_.thumbnails.append(PictureThumbnail(picture));
    }
}

RenderContext RibbonSession::context() const {
    RenderContext context = RenderContext::FromSettings(settings_.get());
    context.RasterizerMode = rasterizer_;
    context.PictureFiles = &pictures_;
    return context;
}

void RibbonSession::selectStoredPrinter(RibbonPrinter &printer) const {
    // CUPS is asked for its queues once; a scheduler that does not answer
    // leaves the PDF printer, and the stored name is kept for the next start.
    if (auto *queues = dynamic_cast<QtPrinter *>(&printer); queues && !queues->queuesListed()) {
        try {
            queues->listQueues();
        } catch (const PrinterError &) {
        }
    }
    int found = -1;
    const QStringList names = printer.printers();
    for (int i = 0; i < names.size() && !storedPrinter_.isEmpty(); ++i) {
        if (names[i].compare(storedPrinter_, Qt::CaseInsensitive) == 0) {
            found = i;
            break;
        }
    }
    printer.selectPrinter(found);
    printer.reselectWithDriverDefaults();
}

std::optional<QString> RibbonSession::SelectedPrinterName(const RibbonPrinter &printer) {
    // Until the queues are known the PDF printer is no choice of the user's.
    if (const auto *queues = dynamic_cast<const QtPrinter *>(&printer);
        queues && queues->isPdfPrinter() &&
        (!queues->queuesListed() || !queues->queueFailure().isEmpty()))
        return std::nullopt;
    const int index = printer.printerIndex();
    const QStringList names = printer.printers();
    if (index < 0 || index >= names.size())
        return std::nullopt;
    return names.at(index);
}

void RibbonSession::SelectPdfPrinter(QtPrinter &printer, const QString &file) {
    printer.selectPrinterByName(QtPrinter::PdfPrinterName);
    printer.setPdfOutputFile(file);
    printer.reselectWithDriverDefaults();
}

void RibbonSession::SelectQueue(QtPrinter &printer, const QString &name) {
    if (!printer.selectPrinterByName(name)) {
        if (!printer.queueFailure().isEmpty())
            throw PrinterError(printer.queueFailure());
        QStringList queues = printer.printers();
        queues.removeAll(QtPrinter::PdfPrinterName);
        throw PrinterError(QStringLiteral("Drucker \"%1\" nicht gefunden; vorhanden: %2")
                               .arg(name, queues.isEmpty() ? QStringLiteral("keine")
                                                           : queues.join(QStringLiteral(", "))));
    }
    printer.reselectWithDriverDefaults();
}
