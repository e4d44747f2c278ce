#include "model/OrderInboxWatcher.h"

#include <QFile>
#include <QFileSystemWatcher>
#include <QThread>
#include <QTimer>

#include <sys/stat.h>

namespace {

// A burst of changes (a copy of many files) is looked at once.
constexpr int kDebounceMs = 100;
// While a file is being written, look sooner than RescanMs, so that it can
// be taken soon after it has been still for CompleteAfterMs.
constexpr int kWaitingRescanMs = 500;
constexpr qint64 kHeartbeatEveryMs = OrderInbox::ClaimTimeoutMs / 4;
constexpr qint64 kStaleCheckEveryMs = 60 * 1000;

bool present(const QString &path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

bool sameOrders(const QList<InboxOrder> &a, const QList<InboxOrder> &b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const InboxFile &x = a[i].file, &y = b[i].file;
        if (x.name != y.name || x.size != y.size || x.modified != y.modified ||
            x.complete != y.complete || a[i].read != b[i].read)
            return false;
    }
    return true;
}

}  // namespace

OrderInboxList::OrderInboxList(const QString &folder, OrderReader reader, OrderInbox::Clock clock)
    : inbox_(folder, OrderInbox::ThisStation(), clock),
      reader_(std::move(reader)),
      clock_(std::move(clock)) {}

bool OrderInboxList::update(const std::atomic_bool *stop) {
    QString folderProblem;
    struct stat st {};
    const bool there = ::stat(QFile::encodeName(inbox_.folder()).constData(), &st) == 0;
    if (!prepared_ || !there) {
        // Tried on every look while it fails, so that the inbox is taken up
        // again as soon as it is back (a share mounted late).
        prepared_ = inbox_.prepare(&folderProblem);
        if (prepared_)
            heartbeatMs_ = staleCheckMs_ = -1;  // prepare() touched the heartbeat
    }
    if (prepared_) {
        const qint64 now = clock_.steadyMs();
        if (heartbeatMs_ < 0 || now - heartbeatMs_ >= kHeartbeatEveryMs) {
            if (heartbeatMs_ >= 0)
                inbox_.heartbeat();
            heartbeatMs_ = now;
        }
        if (staleCheckMs_ < 0 || now - staleCheckMs_ >= kStaleCheckEveryMs) {
            staleCheckMs_ = now;
            inbox_.returnStaleClaims();  // listed by this look
        }
    }

    const std::vector<InboxFile> files = inbox_.scan();

    QHash<QString, Entry> entries;
    entries.reserve(qsizetype(files.size()));
    QList<InboxOrder> orders;
    orders.reserve(qsizetype(files.size()));
    QString moveProblem;
    bool waiting = false;
    for (const InboxFile &file : files) {
        Entry entry = entries_.value(file.name);
        entry.file = file;
        const QString path = inbox_.folder() + QLatin1Char('/') + file.name;
        if (!entry.read || entry.readSize != file.size || entry.readModified != file.modified) {
            if (stop && stop->load())
                return false;
            entry.read = std::make_shared<const OrderFileResult>(reader_(path));
            entry.readSize = file.size;
            entry.readModified = file.modified;
            // Taken by a workstation, or moved away, while we read it.
            if (!entry.read->ok() && !present(path))
                continue;
        }
        if (file.complete && !entry.read->ok() && prepared_) {
            // The order system knows the file by its name, not by our path.
            QString reason = *entry.read->error;
            reason.replace(path, file.name);
            QString error;
            if (inbox_.fail(file.name, reason, &error) || !present(path))
                continue;  // in Fehler/ now, by our hand or another's
            if (moveProblem.isEmpty())
                moveProblem = error;
        }
        waiting = waiting || !file.complete;
        // A file still being written that reads badly is only half there.
        InboxOrder order{file, entry.read};
        if (!file.complete && !entry.read->ok())
            order.read = nullptr;
        orders << order;
        entries.insert(file.name, std::move(entry));
    }
    entries_ = std::move(entries);
    waiting_ = waiting;
    problem_ = folderProblem.isEmpty() ? moveProblem : folderProblem;

    const bool changed = !listed_ || !sameOrders(orders, orders_);
    listed_ = true;
    if (changed)
        orders_ = std::move(orders);
    return changed;
}

// The worker thread's side: the list, the folder's watch and the timers.
// Made on the watcher's thread, it is moved to the worker thread at once, and
// deleted there when the thread ends.
struct OrderInboxWatcher::Worker : QObject {
    Worker(OrderInboxWatcher *owner, const QString &folder, OrderReader reader)
        : owner(owner), list(folder, std::move(reader)) {}
    // The window closes: this workstation's folder goes when it holds no claim.
    ~Worker() override { list.inbox().leave(); }

    // On the worker thread: the watch and the timers belong to it.
    void begin() {
        watch = new QFileSystemWatcher(this);
        debounce = new QTimer(this);
        debounce->setSingleShot(true);
        debounce->setInterval(kDebounceMs);
        soon = new QTimer(this);
        soon->setSingleShot(true);
        soon->setInterval(kWaitingRescanMs);
        regular = new QTimer(this);
        regular->setInterval(RescanMs);
        QObject::connect(watch, &QFileSystemWatcher::directoryChanged, this, [this] {
            if (!debounce->isActive())
                debounce->start();
        });
        for (QTimer *timer : {debounce, soon, regular})
            QObject::connect(timer, &QTimer::timeout, this, [this] { look(); });
        regular->start();
        look();
    }

    void look() {
        pending = false;
        const bool changed = list.update(&stopping);
        if (stopping)
            return;
        const QString folder = list.inbox().folder();
        // The watch is gone with a folder that went; it comes back with it.
        if (watch->directories().isEmpty() && present(folder))
            watch->addPath(folder);
        if (list.waiting() && !soon->isActive())
            soon->start();
        if (!changed && list.problem() == problem)
            return;
        problem = list.problem();
        QMetaObject::invokeMethod(
            owner,
            [owner = owner, orders = list.orders(), changed, problem = problem] {
                owner->deliver(orders, changed, problem);
            },
            Qt::QueuedConnection);
    }

    OrderInboxWatcher *owner;  // outlives the thread
    OrderInboxList list;
    QString problem;  // as last delivered
    std::atomic_bool stopping{false};
    std::atomic_bool pending{false};
    QFileSystemWatcher *watch = nullptr;
    QTimer *debounce = nullptr;
    QTimer *soon = nullptr;
    QTimer *regular = nullptr;
};

OrderInboxWatcher::OrderInboxWatcher(const QString &folder, StoredFormatLookup formats,
                                     QObject *parent)
    : QObject(parent), folder_(folder), formats_(std::move(formats)) {}

OrderInboxWatcher::~OrderInboxWatcher() {
    if (!thread_)
        return;
    worker_->stopping = true;
    thread_->quit();
    if (!thread_->wait(CloseWaitMs)) {
        // A share that does not answer holds the worker in a file call: the
        // window does not wait for it. The thread is left to end on its own
        // (its claims, if any, go back when their heartbeat is too old); it
        // no longer reports to this object.
        // The thread goes once the look has ended.
        connect(thread_, &QThread::finished, thread_, &QObject::deleteLater);
        if (thread_->isFinished())
            thread_->deleteLater();  // ended meanwhile; a second deleteLater is harmless
        thread_ = nullptr;
        return;
    }
    delete thread_;
}

QString OrderInboxWatcher::folder() const {
    return folder_;
}

void OrderInboxWatcher::setReader(OrderReader reader) {
    if (!thread_)
        reader_ = std::move(reader);
}

void OrderInboxWatcher::start() {
    if (thread_)
        return;
    OrderReader reader = reader_;
    if (!reader) {
        reader = [formats = formats_](const QString &path) { return LoadOrderFile(path, formats); };
    }
    thread_ = new QThread;
    thread_->setObjectName(QStringLiteral("Auftragsordner"));
    worker_ = new Worker(this, folder_, std::move(reader));
    worker_->moveToThread(thread_);
    connect(thread_, &QThread::finished, worker_, &QObject::deleteLater);
    worker_->pending = true;
    QMetaObject::invokeMethod(
        worker_, [worker = worker_] { worker->begin(); }, Qt::QueuedConnection);
    thread_->start();
}

void OrderInboxWatcher::rescan() {
    if (!worker_ || worker_->pending.exchange(true))
        return;
    QMetaObject::invokeMethod(
        worker_, [worker = worker_] { worker->look(); }, Qt::QueuedConnection);
}

void OrderInboxWatcher::deliver(const QList<InboxOrder> &orders, bool changed,
                                const QString &problem) {
    if (changed) {
        orders_ = orders;
        emit this->changed();
    }
    if (problem != problem_) {
        problem_ = problem;
        emit this->problem(problem);
    }
}
