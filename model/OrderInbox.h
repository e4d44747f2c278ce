#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// The order inbox: a folder into which order systems drop order files, shared
// by the windows and print services of one shop, maybe on a network share.
//
//   <inbox>/                       orders as they arrive
//   <inbox>/In Arbeit/<station>/   orders a workstation has claimed
//   <inbox>/Gedruckt/              printed, each with "<name>.ergebnis.txt"
//   <inbox>/Uebernommen/           taken into a window's ribbon list, with "<name>.ergebnis.txt"
//   <inbox>/Fehler/                unreadable or unprintable, with "<name>.fehler.txt"
//
// Files only ever move by rename, never over another file (a name that is
// taken gets " (2)", " (3)", ... before its extension), and nothing is ever
// deleted. A workstation claims an order by renaming it into its own folder
// before it reads it for printing: of two workstations only one rename
// succeeds, so no order is taken twice. A workstation shows that it lives by
// touching "<inbox>/In Arbeit/<station>/.lebt"; the claims of one that has
// not done so for ClaimTimeoutMs (or, on this host, whose process is gone)
// go back into the inbox.
//
// Files that are no orders yet are left alone: names starting with "." or
// "~", names ending in ".tmp", ".part" or ".crdownload" (the order system's
// temp-then-rename), and files still being written: a file counts as complete
// once its size and modification time have not changed for CompleteAfterMs
// (by this program's own clock, as a share's clock may differ), or when it is
// that much older than now at first sight. Only plain files are orders:
// folders, devices and symbolic links are never listed (a link's target may
// lie anywhere, and moving the link would not move the order).
//
// The result and reason files are UTF-8 text, one "Key=Value" per line:
//   Zeit=2026-12-08T10:15:02+01:00   (ISO 8601 with offset)
//   Arbeitsplatz=<station>
//   Drucker=<queue or PDF file>      (ergebnis only)
//   Seiten=<n>  Schleifen=<n>  Auftraege=<number>, <number>   (ergebnis only)
//   Grund=<reason>                   (fehler only)
// They are documented in the README.

struct InboxFile {
    QString name;  // file name within the inbox
    qint64 size = 0;
    QDateTime modified;
    bool complete = false;
};

// What a print did, for the result file.
struct OrderPrintResult {
    QDateTime time;   // when the print ended
    QString printer;  // the queue, or the PDF file written
    int pages = 0;
    int ribbons = 0;
    QStringList orders;  // the order numbers printed
    // Words the dictionary did not know: they never stop a print without a
    // person, and are listed for whoever reads the result.
    QStringList unknownWords;
};

// A claimed order: where it now lies.
struct OrderClaim {
    QString name;  // its name in the inbox when it was claimed
    QString path;  // its path in this workstation's folder
};

class OrderInbox {
public:
    static constexpr qint64 CompleteAfterMs = 2000;
    static constexpr qint64 ClaimTimeoutMs = 10 * 60 * 1000;

    // The clock; tests set their own. steadyMs: a monotonic clock for
    // "unchanged for"; now: the wall clock for file times and result files.
    struct Clock {
        std::function<qint64()> steadyMs;
        std::function<QDateTime()> now;
    };
    static Clock SystemClock();

    // "<host name>-<process id>": the folder of this process's claims.
    static QString ThisStation();

    explicit OrderInbox(const QString &folder, const QString &station = ThisStation(),
                        Clock clock = SystemClock());

    const QString &folder() const { return folder_; }
    const QString &station() const { return station_; }

    // Makes the subfolders it needs and touches the heartbeat. False with the
    // reason when the inbox is missing, unreadable or takes no changes (a
    // read-only share): orders can then be listed but not taken.
    bool prepare(QString *error);

    // The order files now in the inbox, by name; each call notes what it saw,
    // so that complete follows the rule above.
    std::vector<InboxFile> scan();

    // Claims a complete order for this workstation. Without success the
    // reason: another workstation took it ("vergeben"), it is still being
    // written, or the platform's error.
    // The rule is judged by this object's own looks (scan(), and this call):
    // one that never saw the file before goes by its age alone.
    std::optional<OrderClaim> claim(const QString &name, QString *error);
    // Claims an order as another object's listing saw it (the watcher's):
    // when that listing found it complete and it has not changed since.
    std::optional<OrderClaim> claim(const InboxFile &listed, QString *error);
    // Puts a claimed order back into the inbox (the print was cancelled).
    bool release(const OrderClaim &claim, QString *error);
    // Moves a claimed order to Gedruckt/ (printed) or Uebernommen/ (taken into
    // the ribbon list) and writes the result file beside it. The move comes
    // first, so that an order once printed never returns to the inbox; a
    // result file that cannot be written is reported (false, with a reason
    // that says where the order now lies) but the move stands.
    bool finish(const OrderClaim &claim, const OrderPrintResult &result, QString *error);
    bool takenOver(const OrderClaim &claim, QString *error);
    // Moves an order (claimed: its path; or still in the inbox: its bare name)
    // to Fehler/ with the reason beside it. An order that is gone meanwhile
    // (another workstation was first) gives the "vergeben" reason.
    bool fail(const QString &path, const QString &reason, QString *error);

    // Touches this station's heartbeat; call at least every ClaimTimeoutMs / 4.
    void heartbeat();
    // At a clean end: this station's folder goes when it holds no claim.
    void leave();
    // Returns the claims of stations that stopped living; the names returned.
    QStringList returnStaleClaims(qint64 timeoutMs = ClaimTimeoutMs);

    // Order numbers already printed, from the result files in Gedruckt/:
    // number -> the result file's name.
    QHash<QString, QString> printedOrders() const;

    // Whether a file name in the inbox can be an order at all (see above).
    static bool IsOrderName(const QString &name);

private:
    // Notes a file's size and time (nanoseconds since the epoch); whether it
    // is complete by the rule above.
    bool observe(const QString &name, qint64 size, qint64 mtimeNs, qint64 nowMs);
    std::optional<OrderClaim> claimAs(const QString &name, const InboxFile *listed, QString *error);
    QString stationFolder() const;
    // Moves `from` into the subfolder `into` of the inbox (empty: the inbox
    // itself) under `name` or the first free " (n)" name, whose `companion`
    // file must be free too; *to gets the new path. False with the reason.
    bool moveTo(const QString &from, const QString &into, const QString &name,
                const QString &companion, QString *to, QString *error);
    bool writeNote(const QString &orderPath, const QString &suffix, const QString &text,
                   const QString &where, QString *error);

    QString folder_;
    QString station_;
    Clock clock_;
    struct Seen {
        qint64 size = -1;
        qint64 mtimeNs = 0;
        qint64 sinceMs = 0;  // steady clock: when size or time last changed
        bool complete = false;
    };
    QHash<QString, Seen> seen_;
};
