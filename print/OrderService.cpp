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

std::vector<std::vector<const TJob *>> RibbonsByWidth(const std::vector<Order> &orders) {
    std::vector<std::vector<const TJob *>> groups;
    std::vector<std::int32_t> widths;
    for (const Order &order : orders) {
        for (const std::unique_ptr<TJob> &job : order.ribbons) {
            if (!job->HasText())
                continue;
            std::size_t g = 0;
            while (g < widths.size() && widths[g] != job->Breite)
                ++g;
            if (g == widths.size()) {
                widths.push_back(job->Breite);
                groups.emplace_back();
            }
            groups[g].push_back(job.get());
        }
    }
    return groups;
}

QString GroupLabel(const QString &orderFile, const std::vector<std::vector<const TJob *>> &groups,
                   const std::vector<const TJob *> &group) {
    const QString base = QFileInfo(orderFile).completeBaseName();
    return groups.size() == 1 ? base
                              : QStringLiteral("%1-%2mm").arg(base).arg(group.front()->Breite);
}

OrderService::OrderService(OrderInbox &inbox, StoredFormatLookup formats, PrintGroup print, Log log)
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

    const QHash<QString, QString> printed = inbox_.printedOrders();
    QStringList numbers;
    int ribbons = 0;
    for (const Order &order : read.orders) {
        if (printed.contains(order.number))
            return fail(claim.path, name,
                        QStringLiteral("Auftrag \u201e%1\u201c wurde schon gedruckt (Gedruckt/%2)")
                            .arg(order.number, printed.value(order.number)));
        numbers << order.number;
    }
    const std::vector<std::vector<const TJob *>> groups = RibbonsByWidth(read.orders);
    if (groups.empty())
        return fail(claim.path, name, QStringLiteral("keine Schleife mit Text; nichts gedruckt"));

    OrderPrintResult result;
    QStringList printers;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const std::vector<const TJob *> &group = groups[g];
        const OrderPrintOutcome outcome = print_(group, GroupLabel(name, groups, group));
        if (!outcome.failure.isEmpty()) {
            QString reason;
            if (g > 0 || outcome.partsMayBePrinted)
                reason = QStringLiteral(
                             "Druck fehlgeschlagen, ein Teil kann gedruckt sein "
                             "(%1 von %2 Schleifen gedruckt): %3")
                             .arg(ribbons)
                             .arg(ribbons + int(group.size()))
                             .arg(outcome.failure);
            else
                reason = QStringLiteral("Druck fehlgeschlagen, nichts wurde gedruckt: %1")
                             .arg(outcome.failure);
            return fail(claim.path, name, reason);
        }
        ribbons += int(group.size());
        result.pages += outcome.pages;
        if (!printers.contains(outcome.printer))
            printers << outcome.printer;
    }
    result.time = QDateTime::currentDateTime();
    result.printer = printers.join(QStringLiteral(", "));
    result.ribbons = ribbons;
    result.orders = numbers;

    QString error;
    const bool finished = inbox_.finish(claim, result, &error);
    log_(QStringLiteral("%1 %2: gedruckt, %3 %4 (%5), %6 %7, %8 %9 auf %10%11")
             .arg(Stamp(result.time), name)
             .arg(numbers.size())
             .arg(numbers.size() == 1 ? QStringLiteral("Auftrag") : QStringLiteral("Auftr\u00e4ge"))
             .arg(numbers.join(QStringLiteral(", ")))
             .arg(ribbons)
             .arg(ribbons == 1 ? QStringLiteral("Schleife") : QStringLiteral("Schleifen"))
             .arg(result.pages)
             .arg(result.pages == 1 ? QStringLiteral("Seite") : QStringLiteral("Seiten"))
             .arg(result.printer)
             .arg(finished ? QString() : QStringLiteral("; Ergebnis nicht abgelegt: ") + error));
    return true;
}
