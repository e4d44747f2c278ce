#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "model/OrderFile.h"

class OrderInbox;
struct OrderClaim;
class TJob;

// How printing a group of ribbons went.
struct OrderPrintOutcome {
    QString failure;                 // empty: printed
    bool partsMayBePrinted = false;  // the failure came after pages reached the queue
    int pages = 0;
    QString printer;  // the queue, or the PDF file written
};

// The print service's work on an inbox without anyone at the screen: each
// complete order file is claimed, read, printed and moved to Gedruckt/ with
// its result, or moved to Fehler/ with the reason. Nothing is printed twice:
// a file another workstation claimed first is left to it, an order number
// that Gedruckt/ already records is not printed again, and a print that
// failed after pages may have reached the queue is not tried again but left
// in Fehler/ for a person to decide.
class OrderService {
public:
    // Prints one group of ribbons of one width, in their order. `label` names
    // the group for output files: the order file's base name, with "-75mm"
    // when the file holds several widths.
    using PrintGroup = std::function<OrderPrintOutcome(const std::vector<const TJob *> &ribbons,
                                                       const QString &label)>;
    // One line per order file, for the log.
    using Log = std::function<void(const QString &line)>;

    OrderService(OrderInbox &inbox, StoredFormatLookup formats, PrintGroup print, Log log);

    struct Pass {
        int printed = 0;  // files printed
        int failed = 0;   // files moved to Fehler/
        int waiting = 0;  // files still being written
    };
    // Once over the inbox: returns the claims of stations that stopped, then
    // handles every complete file in name order; stops early (between
    // files) when `stop` says so.
    Pass runOnce(const std::function<bool()> &stop = nullptr);

    // Reads, prints and files one claimed order. Returns whether it was printed.
    bool handle(const OrderClaim &claim);

private:
    bool fail(const QString &path, const QString &name, const QString &reason);

    OrderInbox &inbox_;
    StoredFormatLookup formats_;
    PrintGroup print_;
    Log log_;
};

// The ribbons with text of some orders, grouped by width: the widths in the
// order they first appear, the ribbons of each in list order. A print run
// takes ribbons of one width only, so each group is a run of its own.
std::vector<std::vector<const TJob *>> RibbonsByWidth(const std::vector<Order> &orders);

// The name of a group's output: the order file's base name, with "-75mm"
// when the file holds several widths.
QString GroupLabel(const QString &orderFile, const std::vector<std::vector<const TJob *>> &groups,
                   const std::vector<const TJob *> &group);
