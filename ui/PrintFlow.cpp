#include "ui/PrintFlow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

#include "print/QtPrinter.h"
#include "ui/DlgAbort.h"
#include "ui/PrintDialogs.h"

namespace {

// While the window waits for CUPS it keeps painting; what the user does
// waits until CUPS has answered or given up.
bool KeepPainting() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return true;
}

struct Answer {
    QString text;
    QMessageBox::StandardButton button;
};

// A question with two answers, the first one counting as yes.
bool Ask(QWidget *window, QMessageBox::Icon icon, const QString &text, const Answer &yes,
         const Answer &no, QMessageBox::StandardButton preset) {
    QMessageBox box(icon, QStringLiteral("Vellumo"), text, yes.button | no.button, window);
    box.button(yes.button)->setText(yes.text);
    box.button(no.button)->setText(no.text);
    box.setDefaultButton(preset);
    return box.exec() == yes.button;
}

}  // namespace

PrintFlow::PrintFlow(QWidget *window) : QObject(window), window_(window) {
    setObjectName(QStringLiteral("PrintFlow"));
    askRange = [this](PrintRange &range, int count, const QString &title) {
        PrintRangeDialog dialog(window_);
        dialog.setWindowTitle(title);
        dialog.setRange(1, count, 1, count);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        range = dialog.range();
        return true;
    };
    askPdfFile = [this]() {
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QString name =
            QFileDialog::getSaveFileName(window_, QStringLiteral("Schleifen als PDF speichern"),
                                         QDir(documents.isEmpty() ? QDir::homePath() : documents)
                                             .filePath(QStringLiteral("Schleifen.pdf")),
                                         QStringLiteral("PDF-Dateien (*.pdf)"));
        if (!name.isEmpty() && !name.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
            name += QStringLiteral(".pdf");
        return name;
    };
    inform = [this](const QString &text) {
        QMessageBox::information(window_, QStringLiteral("Informationen"), text, QMessageBox::Ok);
    };
    warn = [this](const QString &text) {
        QMessageBox::warning(window_, QStringLiteral("Vellumo"), text, QMessageBox::Ok);
    };
    // "Nein" is the default: a ribbon printed by mistake is lost.
    confirm = [this](const QString &text) {
        return Ask(window_, QMessageBox::Question, text, {QStringLiteral("&Ja"), QMessageBox::Yes},
                   {QStringLiteral("&Nein"), QMessageBox::No}, QMessageBox::No);
    };
    askRoll = [this](const QString &text) {
        return Ask(window_, QMessageBox::Information, text, {QStringLiteral("OK"), QMessageBox::Ok},
                   {QStringLiteral("Abbrechen"), QMessageBox::Cancel}, QMessageBox::Ok);
    };
    readCapabilities = [this](const QString &queue) {
        auto *qtPrinter = dynamic_cast<QtPrinter *>(&printer());
        if (!qtPrinter || qtPrinter->isPdfPrinter() || queue.isEmpty())
            return QueueCapabilities{};
        return ReadQueueCapabilities(queue, CupsClient::shared(), KeepPainting);
    };
}

QString PrintFlow::printerName() {
    RibbonPrinter &current = printer();
    const int index = current.printerIndex();
    return index >= 0 ? current.printers().value(index) : QString();
}

QueueCapabilities PrintFlow::capabilities() {
    const QString queue = printerName();
    const auto known = capabilities_.constFind(queue);
    if (known != capabilities_.constEnd())
        return *known;
    QueueCapabilities read;
    if (readCapabilities) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        read = readCapabilities(queue);
        QGuiApplication::restoreOverrideCursor();
    }
    // A queue that did not answer is asked again next time.
    if (read.known)
        capabilities_.insert(queue, read);
    return read;
}

PrintFlow::~PrintFlow() = default;

PrintFlow &PrintFlow::of(QWidget *window) {
    if (auto *flow =
            window->findChild<PrintFlow *>(QStringLiteral("PrintFlow"), Qt::FindDirectChildrenOnly))
        return *flow;
    return *new PrintFlow(window);
}

RibbonPrinter &PrintFlow::printer() {
    if (!printer_) {
        auto queues = std::make_unique<QtPrinter>();
        queues->setWaiting(KeepPainting);
        setPrinter(std::move(queues));
    }
    return *printer_;
}

void PrintFlow::listPrinters(std::function<void(const QString &failure)> done) {
    auto *queues = dynamic_cast<QtPrinter *>(&printer());
    if (!queues || queues->queuesListed()) {
        QTimer::singleShot(0, this, [done = std::move(done)] { done(QString()); });
        return;
    }
    CupsClient &client = CupsClient::shared();
    const std::shared_ptr<CupsClient::Call> call = client.startQueues();
    listing_ = true;
    auto *poll = new QTimer(this);
    poll->setInterval(50);
    connect(poll, &QTimer::timeout, this, [this, poll, call, &client, done = std::move(done)] {
        if (!client.finished(*call))
            return;
        poll->stop();
        poll->deleteLater();
        listing_ = false;
        QString failure;
        // The printer may have been replaced meanwhile.
        if (auto *current = dynamic_cast<QtPrinter *>(&printer());
            current && !current->queuesListed()) {
            try {
                current->setQueues(std::any_cast<CupsClient::QueueList>(client.wait(call)));
            } catch (const PrinterError &e) {
                failure = e.message();
                current->setQueueFailure(failure);
            }
        }
        done(failure);
    });
    poll->start();
}

void PrintFlow::awaitPrinters() {
    if (!listing_)
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    while (listing_)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 50);
    QGuiApplication::restoreOverrideCursor();
}

void PrintFlow::setPrinter(std::unique_ptr<RibbonPrinter> printer) {
    printer_ = std::move(printer);
    // While a page is spooled the window's events go on, so "Abbrechen" works.
    printer_->setAbortCheck([] { QCoreApplication::processEvents(); });
    if (abortDialog_)
        abortDialog_->setPrinter(printer_.get());
}

TDlgPrinterAbort &PrintFlow::abortDialog() {
    if (!abortDialog_) {
        // A window of its own: it must stay usable while the main window is disabled.
        abortDialog_ = std::make_unique<TDlgPrinterAbort>();
        abortDialog_->setMainWindow(window_);
        abortDialog_->setPrinter(printer_.get());
    }
    return *abortDialog_;
}

bool PrintFlow::printsToPdf() {
    auto *qtPrinter = dynamic_cast<QtPrinter *>(&printer());
    return qtPrinter && qtPrinter->isPdfPrinter();
}

void PrintFlow::setPdfFile(const QString &path) {
    if (auto *qtPrinter = dynamic_cast<QtPrinter *>(&printer()))
        qtPrinter->setPdfOutputFile(path);
}
