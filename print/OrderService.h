#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "model/OrderFile.h"
#include "print/PrintRunner.h"

class OrderInbox;
struct OrderClaim;
class TJob;

// The print service's work on an inbox without anyone at the screen: each
// complete order file is claimed, read, printed and moved to Gedruckt/ with
// its result, or moved to Fehler/ with the reason. Nothing is printed twice:
// a file another workstation claimed first is left to it, an order number
// that Gedruckt/ already records is not printed again, and a print that
// failed after pages may have reached the queue is not tried again but left
// in Fehler/ for a person to decide. An order the window would ask about
// before using paper (a text that does not fit, a queue that would crop the
// pages) is not printed: it goes to Fehler/ with the question as its reason.
class OrderService {
public:
    // Prints the ribbons of one order file, in their order, through the one
    // print runner with nobody to ask; `name` is the file's name in the inbox.
    using PrintFile = std::function<PrintResult(const std::vector<const TJob *> &ribbons,
                                                const QString &name)>;
    // One line per order file, for the log.
    using Log = std::function<void(const QString &line)>;

    OrderService(OrderInbox &inbox, StoredFormatLookup formats, PrintFile print, Log log);

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
    PrintFile print_;
    Log log_;
};
