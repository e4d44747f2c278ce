#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "model/OrderFile.h"
#include "print/PrintRunner.h"

class OrderInbox;
struct InboxFile;
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
    using PrintFile =
        std::function<PrintResult(const std::vector<const TJob *> &ribbons, const QString &name)>;
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

    // A person at the window does the same with one order the list shows,
    // through the same claim, reading and filing; what they are told comes
    // through the log. `label` names the order in messages.
    // Takes the ribbons into the ribbon list with `append`; an order it
    // refuses goes back into the inbox.
    using Append =
        std::function<bool(std::vector<std::unique_ptr<TJob>> &ribbons, QString *reason)>;
    void takeOver(const InboxFile &file, const QString &label, const Append &append);
    // Prints the order with the window's questions. An order printed before
    // is printed again only when `askReprint` says yes. A print the person
    // declined or cancelled before any paper was used puts the order back;
    // one that failed after paper may have been used goes to Fehler/. The
    // ribbons the print left out (range, width) go into the list by `append`.
    using AskReprint = std::function<bool(const QString &question)>;
    void printAttended(const InboxFile &file, const QString &label, const AskReprint &askReprint,
                       const Append &append);

private:
    bool fail(const QString &path, const QString &name, const QString &reason);
    struct Taken;
    std::optional<Taken> claimAndRead(const InboxFile &file, const QString &label);
    void putBack(const Taken &taken, const QString &text);

    OrderInbox &inbox_;
    StoredFormatLookup formats_;
    PrintFile print_;
    Log log_;
};
