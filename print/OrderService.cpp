#include "print/OrderService.h"

#include <QDateTime>
#include <QFileInfo>
#include <QStringList>

#include "model/Job.h"
#include "model/OrderInbox.h"

namespace {

QString Stamp(const QDateTime &time) {
    return time.toString(Qt::ISODate);
}

}  // namespace

OrderService::OrderService(OrderInbox &inbox, StoredFormatLookup formats, PrintFile print, Log log)
    : inbox_(inbox), formats_(std::move(formats)), print_(std::move(print)), log_(std::move(log)) {}

OrderService::Pass OrderService::runOnce(const std::function<bool()> &stop) {
    Pass pass;
    for (const QString &name : inbox_.returnStaleClaims())
        log_(QStringLiteral("%1 %2: von einem beendeten Arbeitsplatz zur\u00fcckgegeben")
                 .arg(Stamp(QDateTime::currentDateTime()), name));
    for (const InboxFile &file : inbox_.scan()) {
        if (stop && stop())
            break;
        if (!file.complete) {
            ++pass.waiting;
            continue;
        }
        QString error;
        const std::optional<OrderClaim> claim = inbox_.claim(file.name, &error);
        if (!claim) {
            // Taken by another workstation, or vanished: theirs to report.
            continue;
        }
        if (handle(*claim))
            ++pass.printed;
        else
            ++pass.failed;
    }
    return pass;
}

bool OrderService::fail(const QString &path, const QString &name, const QString &reason) {
    QString error;
    const bool moved = inbox_.fail(path, reason, &error);
    log_(QStringLiteral("%1 %2: Fehler: %3%4")
             .arg(Stamp(QDateTime::currentDateTime()), name, reason,
                  moved ? QString()
                        : QStringLiteral(" (bleibt in \u201eIn Arbeit\u201c: %1)").arg(error)));
    return false;
}

bool OrderService::handle(const OrderClaim &claim) {
    const QString &name = claim.name;
    OrderFileResult read = LoadOrderFile(claim.path, formats_);
    if (!read.ok()) {
        // The message names the claimed path; the order system knows the name.
        QString reason = *read.error;
        reason.replace(claim.path, name);
        return fail(claim.path, name, reason);
    }

    const QHash<QString, QString> done = inbox_.printedOrders();
    QStringList numbers;
    for (const Order &order : read.orders) {
        if (done.contains(order.number))
            return fail(claim.path, name,
                        QStringLiteral("Auftrag \u201e%1\u201c wurde schon gedruckt (Gedruckt/%2)")
                            .arg(order.number, done.value(order.number)));
        numbers << order.number;
    }
    std::vector<const TJob *> ribbons;
    for (const Order &order : read.orders) {
        for (const std::unique_ptr<TJob> &job : order.ribbons) {
            if (job->HasText())
                ribbons.push_back(job.get());
        }
    }
    if (ribbons.empty())
        return fail(claim.path, name, QStringLiteral("keine Schleife mit Text; nichts gedruckt"));

    // Several widths print one after the other, each its own print.
    const PrintResult printed = print_(ribbons, name);
    switch (printed.status) {
        case PrintResult::Printed:
            break;
        case PrintResult::Declined:
        case PrintResult::Refused:
            return fail(claim.path, name, printed.reason);
        case PrintResult::Failed:
            return fail(claim.path, name, printed.failureText());
        case PrintResult::Cancelled:
        case PrintResult::NothingToPrint:
            return fail(claim.path, name,
                        QStringLiteral("Druck abgebrochen, nichts wurde gedruckt"));
    }
    OrderPrintResult result;
    result.time = QDateTime::currentDateTime();
    result.printer = printed.outputs.join(QStringLiteral(", "));
    result.pages = printed.pages;
    result.ribbons = int(printed.printed.size());
    result.orders = numbers;
    result.unknownWords = printed.unknownWords;
    const int count = result.ribbons;

    QString error;
    const bool finished = inbox_.finish(claim, result, &error);
    log_(QStringLiteral("%1 %2: gedruckt, %3 %4 (%5), %6 %7, %8 %9 auf %10%11")
             .arg(Stamp(result.time), name)
             .arg(numbers.size())
             .arg(numbers.size() == 1 ? QStringLiteral("Auftrag") : QStringLiteral("Auftr\u00e4ge"))
             .arg(numbers.join(QStringLiteral(", ")))
             .arg(count)
             .arg(count == 1 ? QStringLiteral("Schleife") : QStringLiteral("Schleifen"))
             .arg(result.pages)
             .arg(result.pages == 1 ? QStringLiteral("Seite") : QStringLiteral("Seiten"))
             .arg(result.printer)
             .arg(finished ? QString() : QStringLiteral("; Ergebnis nicht abgelegt: ") + error));
    return true;
}
