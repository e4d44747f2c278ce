// The order service with a person at the window: the same claim, reading and
// filing as the unattended service, with the print's questions asked and a
// print the person declined put back for later.
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSet>

#include "model/Job.h"
#include "model/OrderInbox.h"
#include "print/OrderService.h"

struct OrderService::Taken {
    OrderClaim claim;
    QString label;  // the order numbers, for messages
    OrderFileResult read;
};

std::optional<OrderService::Taken> OrderService::claimAndRead(const InboxFile &file,
                                                              const QString &label) {
    QString error;
    if (!inbox_.prepare(&error)) {
        log_(QStringLiteral("Auftr\u00E4ge k\u00F6nnen nicht genommen werden: %1").arg(error));
        return std::nullopt;
    }
    // As the list saw it: complete, and read as the list shows it.
    const std::optional<OrderClaim> claim = inbox_.claim(file, &error);
    if (!claim) {
        // Another workstation was quicker: the file has left the inbox.
        if (error.contains(QLatin1String("vergeben")) ||
            !QFileInfo::exists(QDir(inbox_.folder()).filePath(file.name)))
            log_(QStringLiteral("Auftrag %1 wurde schon von einem anderen Arbeitsplatz genommen.")
                     .arg(label));
        else
            log_(QStringLiteral("Auftrag %1 kann nicht genommen werden: %2").arg(label, error));
        return std::nullopt;
    }
    Taken taken{*claim, label, {}};
    // Read again from the claimed file: it is what is now this workstation's.
    taken.read = LoadOrderFile(claim->path, formats_);
    if (!taken.read.ok()) {
        QString reason = *taken.read.error;
        reason.replace(claim->path, claim->name);
        QString moveError;
        if (inbox_.fail(claim->path, reason, &moveError)) {
            log_(QStringLiteral("Auftrag %1 ist nicht lesbar und liegt jetzt in Fehler/: %2")
                     .arg(label, reason));
        } else {
            QString releaseError;
            inbox_.release(*claim, &releaseError);
            log_(QStringLiteral("Auftrag %1 ist nicht lesbar: %2 (%3)")
                     .arg(label, reason, moveError));
        }
        return std::nullopt;
    }
    return taken;
}

void OrderService::putBack(const Taken &taken, const QString &text) {
    QString error;
    const bool back = inbox_.release(taken.claim, &error);
    log_(text + (back ? QStringLiteral(". Er liegt wieder im Auftragsordner.")
                      : QStringLiteral(". Er liegt in %1 (%2).")
                            .arg(QDir::toNativeSeparators(taken.claim.path), error)));
}

void OrderService::takeOver(const InboxFile &file, const QString &label, const Append &append) {
    std::optional<Taken> taken = claimAndRead(file, label);
    if (!taken)
        return;
    std::vector<std::unique_ptr<TJob>> ribbons;
    for (Order &order : taken->read.orders) {
        for (auto &ribbon : order.ribbons)
            ribbons.push_back(std::move(ribbon));
    }
    const int count = int(ribbons.size());
    QString reason;
    if (!append || !append(ribbons, &reason)) {
        // Nothing was taken: the order goes back for another try.
        QString error;
        if (inbox_.release(taken->claim, &error))
            log_(QStringLiteral("Auftrag %1 wurde nicht \u00FCbernommen: %2 Er liegt wieder im "
                                "Auftragsordner.")
                     .arg(label, reason));
        else
            log_(QStringLiteral("Auftrag %1 wurde nicht \u00FCbernommen: %2 Er liegt in %3 (%4).")
                     .arg(label, reason, QDir::toNativeSeparators(taken->claim.path), error));
        return;
    }
    QString error;
    if (inbox_.takenOver(taken->claim, &error))
        log_(QStringLiteral("Auftrag %1 \u00FCbernommen: %2.")
                 .arg(label, count == 1 ? QStringLiteral("1 Schleife")
                                        : QStringLiteral("%1 Schleifen").arg(count)));
    else
        log_(QStringLiteral("Auftrag %1 ist in der Liste, aber die Datei bleibt in %2: %3")
                 .arg(label, QDir::toNativeSeparators(taken->claim.path), error));
}

void OrderService::printAttended(const InboxFile &file, const QString &label,
                                 const AskReprint &askReprint, const Append &append) {
    std::optional<Taken> taken = claimAndRead(file, label);
    if (!taken)
        return;
    const QString notPrinted = QStringLiteral("Auftrag %1 wurde nicht gedruckt").arg(label);

    // Printed before: a deliberate reprint stays possible, after a question.
    const QHash<QString, QString> done = inbox_.printedOrders();
    for (const Order &order : taken->read.orders) {
        if (!done.contains(order.number))
            continue;
        const QString question =
            QStringLiteral(
                "Auftrag \u201e%1\u201c wurde schon gedruckt (Gedruckt/%2). Noch "
                "einmal drucken?")
                .arg(order.number, done.value(order.number));
        if (!askReprint || !askReprint(question))
            return putBack(*taken, notPrinted);
        break;
    }

    std::vector<const TJob *> ribbons;
    QHash<const TJob *, QString> numberOf;
    for (const Order &order : taken->read.orders) {
        for (const auto &ribbon : order.ribbons) {
            ribbons.push_back(ribbon.get());
            numberOf.insert(ribbon.get(), order.number);
        }
    }
    const PrintResult printed = print_(ribbons, taken->claim.name);
    const bool onPaper = printed.pages > 0 && !printed.printed.empty();
    if (printed.status == PrintResult::Failed && (onPaper || printed.partsMayBePrinted)) {
        // Part of it reached the printer: not put back, it could be printed
        // twice (by a print service on the same inbox, say). A person decides.
        const QString reason = printed.failureText();
        QString error;
        const bool moved = inbox_.fail(taken->claim.path, reason, &error);
        log_(QStringLiteral("Auftrag %1: %2. %3")
                 .arg(label, reason,
                      moved ? QStringLiteral("Er liegt in Fehler/.")
                            : QStringLiteral("Er liegt in %1 (%2).")
                                  .arg(QDir::toNativeSeparators(taken->claim.path), error)));
        return;
    }
    if (!onPaper) {
        // Declined, cancelled, or nothing reached paper: the order waits in the inbox.
        const bool said =
            printed.status == PrintResult::Failed || printed.status == PrintResult::Refused;
        return putBack(*taken,
                       said ? notPrinted + QStringLiteral(": ") + printed.reason : notPrinted);
    }

    OrderPrintResult result;
    result.time = QDateTime::currentDateTime();
    result.printer = printed.outputs.join(QStringLiteral(", "));
    result.pages = printed.pages;
    result.ribbons = int(printed.printed.size());
    result.unknownWords = printed.unknownWords;
    const QSet<const TJob *> onPaperRibbons(printed.printed.begin(), printed.printed.end());
    for (const TJob *ribbon : printed.printed) {
        if (!result.orders.contains(numberOf.value(ribbon)))
            result.orders << numberOf.value(ribbon);
    }
    QString error;
    const bool moved = inbox_.finish(taken->claim, result, &error);
    QString text = moved ? QStringLiteral("Auftrag %1 gedruckt.").arg(label)
                         : QStringLiteral("Auftrag %1 gedruckt: %2").arg(label, error);

    // Ribbons of the order the range or the width rule left out must not be
    // lost with the printed file: they go into the list.
    std::vector<std::unique_ptr<TJob>> rest;
    for (Order &order : taken->read.orders) {
        for (auto &ribbon : order.ribbons) {
            if (ribbon->HasText() && !onPaperRibbons.contains(ribbon.get()))
                rest.push_back(std::move(ribbon));
        }
    }
    if (!rest.empty()) {
        const bool one = rest.size() == 1;
        const QString count =
            one ? QStringLiteral("1 Schleife") : QStringLiteral("%1 Schleifen").arg(rest.size());
        QString reason;
        if (append && append(rest, &reason))
            text += QStringLiteral(" %1 des Auftrags %2 nicht gedruckt und jetzt in der Liste.")
                        .arg(count, one ? QStringLiteral("wurde") : QStringLiteral("wurden"));
        else
            text +=
                QStringLiteral(
                    " %1 des Auftrags %2 nicht gedruckt: %3 Die Datei liegt in "
                    "Gedruckt/.")
                    .arg(count, one ? QStringLiteral("wurde") : QStringLiteral("wurden"), reason);
    }
    log_(text);
}
