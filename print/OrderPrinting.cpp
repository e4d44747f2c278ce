#include "print/OrderPrinting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "print/PrintRequest.h"
#include "print/QtPrinter.h"
#include "print/QueueSetup.h"
#include "print/Session.h"
#include "print/WatchedPrinter.h"

QString NewPdfFile(const QString &folder, const QString &label, QString *error) {
    for (int n = 1; n < 10000; ++n) {
        const QString name = n == 1 ? label + QStringLiteral(".pdf")
                                    : QStringLiteral("%1 (%2).pdf").arg(label).arg(n);
        const QString path = QDir(folder).filePath(name);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return path;
        if (QFileInfo::exists(path))
            continue;
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return QString();
    }
    *error =
        QStringLiteral("%1: kein freier Dateiname f\u00fcr \u201e%2.pdf\u201c").arg(folder, label);
    return QString();
}

OrderPrintOutcome PrintOrderGroup(const std::vector<const TJob *> &ribbons, const QString &label,
                                  const OrderTarget &target, const RibbonSession &session) {
    OrderPrintOutcome outcome;
    PrintRequest request(ribbons, &session.settings(), session.context());
    if (target.methode >= 0) {
        request.settings().Methode = target.methode;
    } else if (!request.settings().printsAnything()) {
        outcome.failure = QStringLiteral("\"Methode\" %1 in [Drucker] druckt nichts (0 bis 4)")
                              .arg(request.settings().Methode);
        return outcome;
    }
    QtPrinter printer;
    try {
        if (target.pdfFolder.isEmpty()) {
            RibbonSession::SelectQueue(printer, target.queue);
            outcome.printer = target.queue;
            request.settings().limits = PrepareQueue(printer, target.queue, &session.settings());
        } else {
            QString error;
            outcome.printer = NewPdfFile(target.pdfFolder, label, &error);
            if (outcome.printer.isEmpty()) {
                outcome.failure = error;
                return outcome;
            }
            RibbonSession::SelectPdfPrinter(printer, outcome.printer);
        }
    } catch (const PrinterError &e) {
        outcome.failure = e.message();
        return outcome;
    }
    WatchedPrinter watched(printer);
    const QString failure = request.print(watched);
    QString reason = failure.isEmpty() ? watched.failure() : failure;
    if (reason.isEmpty() &&
        (watched.endFailed() || watched.documentsAborted() > 0 || watched.documentsEnded() == 0))
        reason = QStringLiteral("der Druckauftrag wurde nicht abgeschlossen");
    if (!reason.isEmpty()) {
        outcome.failure = reason;
        // A queue takes each finished document, and may have taken part of one
        // whose end failed; a PDF appears whole or not at all.
        outcome.partsMayBePrinted =
            target.pdfFolder.isEmpty() && (watched.endFailed() || watched.finishedPages() > 0);
        if (!target.pdfFolder.isEmpty())
            QFile::remove(outcome.printer);  // the empty placeholder, or a broken document
        return outcome;
    }
    outcome.pages = watched.finishedPages();
    return outcome;
}
