#include "print/OrderPrinting.h"

#include <QDir>
#include <QFileInfo>

#include "print/QtPrinter.h"
#include "print/Session.h"

PrintResult PrintOrderRibbons(const std::vector<const TJob *> &ribbons, const QString &fileName,
                              const OrderTarget &target, const RibbonSession &session,
                              const std::function<QStringList(const TJob &)> &unknownWords) {
    PrintResult result;
    PrintRequest request(ribbons, &session.settings(), session.context());
    if (target.methode >= 0) {
        request.settings().Methode = target.methode;
    } else if (!request.settings().printsAnything()) {
        result.status = PrintResult::Refused;
        result.reason = QStringLiteral("\"Methode\" %1 in [Drucker] druckt nichts (0 bis 4)")
                            .arg(request.settings().Methode);
        return result;
    }
    QtPrinter printer;
    PrintTarget to;
    to.printer = &printer;
    try {
        if (target.pdfFolder.isEmpty()) {
            RibbonSession::SelectQueue(printer, target.queue);
            to.queue = target.queue;
            to.readCapabilities = [](const QString &queue) { return ReadQueueCapabilities(queue); };
        } else {
            to.toPdf = true;
            to.pdfFile =
                QDir(target.pdfFolder)
                    .filePath(QFileInfo(fileName).completeBaseName() + QStringLiteral(".pdf"));
            to.replacePdfFile = false;  // two services may write into one folder
            to.selectPdfFile = [&printer](const QString &file) {
                RibbonSession::SelectPdfPrinter(printer, file);
            };
        }
    } catch (const PrinterError &e) {
        result.status = PrintResult::Failed;
        result.reason = e.message();
        return result;
    }
    UnattendedAnswers answers(target.yesToAll, true);
    PrintChecks checks;
    checks.unknownWords = unknownWords;
    return PrintRunner(request, &session.settings(), to, answers, checks).run();
}
