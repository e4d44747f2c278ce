#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <memory>

#include "model/OrderFile.h"
#include "model/OrderInbox.h"

class QFileSystemWatcher;
class QThread;
class QTimer;

// One order file of the inbox as last read.
struct InboxOrder {
    InboxFile file;
    // The file as read; null while it is still being written and has not
    // read cleanly yet. A file is read again when its size or time changes.
    std::shared_ptr<const OrderFileResult> read;
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

    // `formats` is called on the worker thread: it must be safe there (a
    // lookup over a copy of the stored formats).
    OrderInboxWatcher(const QString &folder, StoredFormatLookup formats = nullptr,
                      QObject *parent = nullptr);
    ~OrderInboxWatcher() override;

    QString folder() const;
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
    QList<InboxOrder> orders_;
    QString folder_;
    StoredFormatLookup formats_;
    QFileSystemWatcher *watcher_ = nullptr;
    QTimer *timer_ = nullptr;
    QThread *thread_ = nullptr;
    std::unique_ptr<Worker> worker_;
};
