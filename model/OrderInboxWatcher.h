#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

#include "model/OrderFile.h"
#include "model/OrderInbox.h"

class QThread;

// One order file of the inbox as last read.
struct InboxOrder {
    InboxFile file;
    // The file as read; null while it is still being written and has not
    // read cleanly yet. A file is read again when its size or time changes.
    std::shared_ptr<const OrderFileResult> read;
};

// Reads one order file (by its full path).
using OrderReader = std::function<OrderFileResult(const QString &path)>;

// The inbox's orders as last listed and read, brought up to date by update():
// only files whose size or time changed are read again. A complete file that
// cannot be read goes to Fehler/; one that vanishes while it is read leaves
// the list. It also keeps this workstation's heartbeat and now and then
// returns the claims of workstations that stopped living. The watcher keeps
// one on its worker thread; by itself it serves whichever one thread uses it.
class OrderInboxList {
public:
    OrderInboxList(const QString &folder, OrderReader reader,
                   OrderInbox::Clock clock = OrderInbox::SystemClock());

    // Looks at the inbox once; true when orders() changed (always after the
    // first look). A set `stop` cuts the reading short: the list then stays.
    bool update(const std::atomic_bool *stop = nullptr);
    const QList<InboxOrder> &orders() const { return orders_; }
    // What is wrong with the inbox as a whole (see problem() below); empty
    // when all is well.
    const QString &problem() const { return problem_; }
    // Whether a listed file is still being written: worth a look again soon.
    bool waiting() const { return waiting_; }
    OrderInbox &inbox() { return inbox_; }

private:
    struct Entry {
        InboxFile file;
        std::shared_ptr<const OrderFileResult> read;  // of the file at readSize/readModified
        qint64 readSize = -1;
        QDateTime readModified;
    };
    OrderInbox inbox_;
    OrderReader reader_;
    OrderInbox::Clock clock_;
    QHash<QString, Entry> entries_;
    QList<InboxOrder> orders_;
    QString problem_;
    bool prepared_ = false;
    bool waiting_ = false;
    bool listed_ = false;
    qint64 heartbeatMs_ = 0;
    qint64 staleCheckMs_ = 0;
};

// Keeps the list of the inbox's orders up to date without blocking the
// thread it lives on: a file system watcher says when the folder changed
// (at once on a local disk), and a rescan every RescanMs finds what a network
// share never reports. Listing and reading happen on a worker thread; only
// files whose size or time changed are read again. A complete file that
// cannot be read is moved to Fehler/ with its reason (by whichever
// workstation gets there first); a file that vanishes while being read just
// leaves the list.
class OrderInboxWatcher : public QObject {
    Q_OBJECT
public:
    static constexpr int RescanMs = 2000;
    // How long closing waits for a look at the folder to end; a share that
    // does not answer is not waited for longer.
    static constexpr int CloseWaitMs = 3000;

    // `formats` is called on the worker thread: it must be safe there (a
    // lookup over a copy of the stored formats).
    OrderInboxWatcher(const QString &folder, StoredFormatLookup formats = nullptr,
                      QObject *parent = nullptr);
    ~OrderInboxWatcher() override;

    QString folder() const;
    // Reads the files with `reader` instead of LoadOrderFile (called on the
    // worker thread); only before start().
    void setReader(OrderReader reader);
    // Starts watching; the first list follows at once.
    void start();
    // Looks again now (after this program took or returned an order).
    void rescan();

    // The orders as last listed, by file name.
    const QList<InboxOrder> &orders() const { return orders_; }

signals:
    // orders() changed.
    void changed();
    // Something the status bar should say about the inbox as a whole (missing,
    // unreadable, read-only, a file that could not be moved to Fehler/);
    // empty when all is well again.
    void problem(const QString &message);

private:
    struct Worker;
    void deliver(const QList<InboxOrder> &orders, bool changed, const QString &problem);

    QList<InboxOrder> orders_;
    QString problem_;
    QString folder_;
    StoredFormatLookup formats_;
    OrderReader reader_;
    QThread *thread_ = nullptr;
    // Lives on the thread; deleted there when the thread ends.
    Worker *worker_ = nullptr;
};
