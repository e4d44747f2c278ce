#include "print/CupsClient.h"

#include <QFile>

#include <cups/cups.h>
#include <cups/ppd.h>
#include <unistd.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

#include "print/Printer.h"

namespace {

// Larger PPDs exist only as mistakes; reading stops there.
// How often a waiting libcups call looks whether to go on.
constexpr double kPollSeconds = 0.25;
// The worker gives up this much before the quiet limit, so that its own
// report reaches the caller, who abandons it only at the limit.
std::int64_t WorkerLimitMs(int quietLimitMs) {
    return quietLimitMs - std::min(2000, quietLimitMs / 4);
}
// A job's file goes out in pieces of this size, each one progress.
constexpr qint64 kChunkBytes = 64 * 1024;

std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

const QString kCancelled = QStringLiteral("Druck abgebrochen");

}  // namespace

struct CupsClient::Call {
    Task task;
    int quietLimitMs = 0;
    std::atomic<std::int64_t> progressMs{0};
    std::atomic<bool> cancelled{false};
    std::atomic<bool> timedOut{false};
    std::mutex mutex;
    std::condition_variable cv;
    bool done = false;
    std::any result;
    QString failure;

    void finish(std::any value, const QString &error) {
        const std::lock_guard lock(mutex);
        if (done)
            return;
        result = std::move(value);
        failure = error;
        done = true;
        cv.notify_all();
    }
};

namespace {

thread_local CupsClient::Call *tCurrent = nullptr;

// libcups asks this whenever its connection has been quiet for kPollSeconds.
int StillWaiting(http_t *, void *data) {
    auto *call = static_cast<CupsClient::Call *>(data);
    if (call->cancelled)
        return 0;
    if (NowMs() - call->progressMs >= WorkerLimitMs(call->quietLimitMs)) {
        call->timedOut = true;
        return 0;
    }
    return 1;
}

// The worker's queue of calls. The thread holds it alive; the client lets
// go of it when it abandons the thread.
struct Worker {
    std::mutex mutex;
    std::condition_variable cv;
    std::deque<std::shared_ptr<CupsClient::Call>> queue;
    std::shared_ptr<CupsClient::Call> running;
    bool orphaned = false;
};

// A fresh connection for each call: a scheduler restarted meanwhile or one
// that dropped an idle connection costs nothing.
http_t *Connect(CupsClient::Call &call) {
    const int limit = int(WorkerLimitMs(call.quietLimitMs));
    http_t *http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                limit, nullptr);
    if (!http) {
        // A connection that found nobody listening is no silence; one that
        // got nothing within the limit is.
        if (NowMs() - call.progressMs >= limit)
            call.timedOut = true;
        return nullptr;
    }
    httpSetTimeout(http, kPollSeconds, StillWaiting, &call);
    return http;
}

void RunWorker(std::shared_ptr<Worker> worker) {
    for (;;) {
        std::shared_ptr<CupsClient::Call> call;
        {
            std::unique_lock lock(worker->mutex);
            worker->cv.wait(lock, [&] { return worker->orphaned || !worker->queue.empty(); });
            if (worker->queue.empty())
                return;  // abandoned and idle
            call = worker->queue.front();
            worker->queue.pop_front();
            worker->running = call;
        }
        if (call->cancelled) {
            call->finish({}, kCancelled);
            continue;
        }
        call->progressMs = NowMs();
        tCurrent = call.get();
        std::any result;
        QString failure;
        http_t *http = Connect(*call);
        if (!call->timedOut) {
            try {
                result = call->task(http);
            } catch (const PrinterError &e) {
                failure = e.message();
            } catch (const std::exception &e) {
                failure = QString::fromLocal8Bit(e.what());
            }
        }
        if (http)
            httpClose(http);
        tCurrent = nullptr;
        if (call->timedOut)
            failure = CupsClient::NoAnswer();
        else if (call->cancelled)
            failure = kCancelled;
        call->finish(std::move(result), failure);
        const std::lock_guard lock(worker->mutex);
        worker->running.reset();
    }
}

}  // namespace

struct CupsClient::Impl {
    int quietLimitMs = DefaultQuietLimitMs;
    std::mutex mutex;
    std::shared_ptr<Worker> worker;
    // Which worker runs which call, to abandon the right one.
    std::shared_ptr<Worker> workerFor(const Call *call) {
        const std::lock_guard lock(mutex);
        auto found = owners.find(call);
        return found == owners.end() ? nullptr : found->second.lock();
    }
    std::map<const Call *, std::weak_ptr<Worker>> owners;
    // How long the scheduler has said nothing to this call: a call queued
    // behind another counts the other's progress.
    std::int64_t silenceMs(const Call &call) {
        std::int64_t last = call.progressMs;
        if (const std::shared_ptr<Worker> worker = workerFor(&call)) {
            const std::lock_guard lock(worker->mutex);
            if (worker->running)
                last = std::max<std::int64_t>(last, worker->running->progressMs);
        }
        return NowMs() - last;
    }
};

QString CupsClient::NoAnswer() {
    return QStringLiteral("Druckdienst antwortet nicht");
}

CupsClient::CupsClient(int quietLimitMs) : d_(std::make_shared<Impl>()) {
    d_->quietLimitMs = quietLimitMs;
}

CupsClient::~CupsClient() {
    const std::lock_guard lock(d_->mutex);
    if (d_->worker) {
        const std::lock_guard workerLock(d_->worker->mutex);
        d_->worker->orphaned = true;
        d_->worker->cv.notify_all();
    }
}

CupsClient &CupsClient::shared() {
    // Never destroyed: a call may still be under way when the program ends.
    static CupsClient *client = new CupsClient();
    return *client;
}

bool CupsClient::stopping() {
    return tCurrent && (tCurrent->timedOut || tCurrent->cancelled);
}

bool CupsClient::progressed() {
    if (!tCurrent)
        return true;
    tCurrent->progressMs = NowMs();
    return !tCurrent->cancelled;
}

std::shared_ptr<CupsClient::Call> CupsClient::start(Task task) {
    auto call = std::make_shared<Call>();
    call->task = std::move(task);
    call->quietLimitMs = d_->quietLimitMs;
    call->progressMs = NowMs();
    const std::lock_guard lock(d_->mutex);
    if (!d_->worker) {
        d_->worker = std::make_shared<Worker>();
        std::thread(RunWorker, d_->worker).detach();
    }
    for (auto it = d_->owners.begin(); it != d_->owners.end();) {
        if (it->second.expired())
            it = d_->owners.erase(it);
        else
            ++it;
    }
    d_->owners[call.get()] = d_->worker;
    {
        const std::lock_guard workerLock(d_->worker->mutex);
        d_->worker->queue.push_back(call);
    }
    d_->worker->cv.notify_all();
    return call;
}

bool CupsClient::finished(const Call &call) const {
    {
        const std::lock_guard lock(const_cast<Call &>(call).mutex);
        if (call.done)
            return true;
    }
    return d_->silenceMs(call) > call.quietLimitMs;
}

std::any CupsClient::wait(const std::shared_ptr<Call> &call, const Waiting &waiting) {
    std::unique_lock lock(call->mutex);
    while (!call->done) {
        if (call->cv.wait_for(lock, std::chrono::milliseconds(50), [&] { return call->done; }))
            break;
        lock.unlock();
        const bool goOn = !waiting || waiting();
        lock.lock();
        if (call->done)
            break;
        if (!goOn) {
            // The worker stops the call at its next look; nobody waits for it.
            call->cancelled = true;
            throw PrinterError(kCancelled);
        }
        if (d_->silenceMs(*call) > call->quietLimitMs) {
            lock.unlock();
            // Stuck where libcups does not look at the time: leave the thread
            // to itself; later calls get a new one.
            call->cancelled = true;
            if (const std::shared_ptr<Worker> worker = d_->workerFor(call.get())) {
                std::deque<std::shared_ptr<Call>> waitingCalls;
                {
                    const std::lock_guard dLock(d_->mutex);
                    if (d_->worker == worker)
                        d_->worker.reset();
                }
                {
                    const std::lock_guard workerLock(worker->mutex);
                    worker->orphaned = true;
                    waitingCalls.swap(worker->queue);
                    worker->cv.notify_all();
                }
                for (const auto &queued : waitingCalls)
                    queued->finish({}, NoAnswer());
            }
            call->finish({}, NoAnswer());
            lock.lock();
        }
    }
    if (!call->failure.isEmpty())
        throw PrinterError(call->failure);
    return call->result;
}

// ---- the questions

namespace {

// "queue/instance" in its two parts; the instance empty for a plain queue.
struct QueueName {
    explicit QueueName(const QString &queue) {
        const qsizetype slash = queue.indexOf(QLatin1Char('/'));
        name = (slash < 0 ? queue : queue.left(slash)).toUtf8();
        instance = slash < 0 ? QByteArray() : queue.mid(slash + 1).toUtf8();
    }
    const char *instanceOrNull() const { return instance.isEmpty() ? nullptr : instance.constData(); }
    QByteArray name;
    QByteArray instance;
};

using DestPtr = std::unique_ptr<cups_dest_t, void (*)(cups_dest_t *)>;

// (Not after a time-out: for a queue it cannot find, libcups looks further
// on a connection without one.)
DestPtr NamedDest(http_t *http, const QByteArray &name, const char *instance) {
    return DestPtr(http && !CupsClient::stopping()
                       ? cupsGetNamedDest(http, name.constData(), instance)
                       : nullptr,
                   [](cups_dest_t *d) {
                       if (d)
                           cupsFreeDests(1, d);
                   });
}

QString NameOf(const cups_dest_t &dest) {
    QString name = QString::fromUtf8(dest.name);
    if (dest.instance)
        name += QLatin1Char('/') + QString::fromUtf8(dest.instance);
    return name;
}

QString LastError() {
    return QString::fromUtf8(cupsLastErrorString());
}

// CUPS marks its PPD functions deprecated, yet a queue set up with a PPD says
// what its driver can do and its default paper only there.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

// The path of a copy of the queue's PPD, removed with this object; empty
// when the queue has none.
class PpdCopy {
public:
    PpdCopy(http_t *http, const QueueName &queue) {
        if (!http)
            return;
        time_t modified = 0;
        char buffer[1024] = "";
        if (cupsGetPPD3(http, queue.name.constData(), &modified, buffer, sizeof buffer) ==
            HTTP_STATUS_OK)
            path_ = buffer;
        CupsClient::progressed();
    }
    ~PpdCopy() {
        if (!path_.isEmpty())
            ::unlink(path_.constData());
    }
    PpdCopy(const PpdCopy &) = delete;
    PpdCopy &operator=(const PpdCopy &) = delete;
    const QByteArray &path() const { return path_; }

private:
    QByteArray path_;
};

std::optional<QSizeF> PpdDefaultMediaMm(const PpdCopy &copy) {
    if (copy.path().isEmpty())
        return std::nullopt;
    ppd_file_t *ppd = ppdOpenFile(copy.path().constData());
    if (!ppd)
        return std::nullopt;
    std::optional<QSizeF> size;
    ppdMarkDefaults(ppd);
    // Points to millimetres.
    if (const ppd_size_t *page = ppdPageSize(ppd, nullptr);
        page && page->width > 0 && page->length > 0)
        size = QSizeF(page->width * 25.4 / 72.0, page->length * 25.4 / 72.0);
    ppdClose(ppd);
    return size;
}

#pragma GCC diagnostic pop

QList<int> Integers(ipp_attribute_t *attr) {
    QList<int> values;
    for (int i = 0; attr && i < ippGetCount(attr); ++i)
        values << ippGetInteger(attr, i);
    return values;
}

// An x- or y-dimension: a number, or a range for free sizes.
bool Dimension(ipp_t *size, const char *name, int *lower, int *upper) {
    ipp_attribute_t *attr = ippFindAttribute(size, name, IPP_TAG_ZERO);
    if (!attr || ippGetCount(attr) < 1)
        return false;
    if (ippGetValueTag(attr) == IPP_TAG_RANGE) {
        *lower = ippGetRange(attr, 0, upper);
        return true;
    }
    if (ippGetValueTag(attr) == IPP_TAG_INTEGER) {
        *lower = *upper = ippGetInteger(attr, 0);
        return true;
    }
    return false;
}

IppQueueAttributes Attributes(http_t *http, cups_dest_t *dest, cups_dinfo_t *info) {
    IppQueueAttributes attrs;
    if (ipp_attribute_t *sizes = cupsFindDestSupported(http, dest, info, "media-size")) {
        for (int i = 0; i < ippGetCount(sizes); ++i) {
            ipp_t *size = ippGetCollection(sizes, i);
            IppMediaSize entry;
            if (size && Dimension(size, "x-dimension", &entry.minX, &entry.maxX) &&
                Dimension(size, "y-dimension", &entry.minY, &entry.maxY))
                attrs.mediaSizes << entry;
        }
    }
    attrs.leftMargins = Integers(cupsFindDestSupported(http, dest, info, "media-left-margin"));
    attrs.bottomMargins = Integers(cupsFindDestSupported(http, dest, info, "media-bottom-margin"));
    attrs.rightMargins = Integers(cupsFindDestSupported(http, dest, info, "media-right-margin"));
    attrs.topMargins = Integers(cupsFindDestSupported(http, dest, info, "media-top-margin"));
    attrs.finishings = Integers(cupsFindDestSupported(http, dest, info, "finishings"));
    return attrs;
}

// The options an instance ("queue/rolle", made with lpoptions) has beyond
// its queue's own.
int InstanceOptions(http_t *http, const QueueName &name, const QString &queue,
                    cups_option_t **options) {
    const DestPtr instance = NamedDest(http, name.name, name.instance.constData());
    const DestPtr plain = NamedDest(http, name.name, nullptr);
    if (!instance || !plain)
        throw PrinterError(
            QStringLiteral("Drucker \u201e%1\u201c nicht gefunden: %2").arg(queue, LastError()));
    int count = 0;
    for (int i = 0; i < instance->num_options; ++i) {
        const cups_option_t &option = instance->options[i];
        const char *queueValue = cupsGetOption(option.name, plain->num_options, plain->options);
        if (!queueValue || std::strcmp(queueValue, option.value) != 0)
            count = cupsAddOption(option.name, option.value, count, options);
    }
    return count;
}

// Sends the job's file after its creation; false (with CUPS's words in
// *error) when the scheduler refused or the call is to stop.
bool SendDocument(http_t *http, const QueueName &queue, int id, const CupsClient::Job &job,
                  QString *error) {
    QFile file(job.file);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    if (cupsStartDocument(http, queue.name.constData(), id, job.title.toUtf8().constData(),
                          CUPS_FORMAT_PDF, 1) != HTTP_STATUS_CONTINUE) {
        *error = LastError();
        return false;
    }
    for (;;) {
        const QByteArray piece = file.read(kChunkBytes);
        if (piece.isEmpty())
            break;
        if (cupsWriteRequestData(http, piece.constData(), size_t(piece.size())) !=
                HTTP_STATUS_CONTINUE ||
            !CupsClient::progressed()) {
            *error = LastError();
            cupsFinishDocument(http, queue.name.constData());
            return false;
        }
    }
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        cupsFinishDocument(http, queue.name.constData());
        return false;
    }
    if (cupsFinishDocument(http, queue.name.constData()) > IPP_STATUS_OK_CONFLICTING) {
        *error = LastError();
        return false;
    }
    return true;
}

// A job that could not be sent whole is taken back, on a connection of its
// own (the call's may be broken), as far as the scheduler still answers.
void CancelJob(const QueueName &queue, int id) {
    http_t *http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                2000, nullptr);
    if (!http)
        return;
    httpSetTimeout(http, 2.0, nullptr, nullptr);
    cupsCancelJob2(http, queue.name.constData(), id, 0);
    httpClose(http);
}

}  // namespace

std::shared_ptr<CupsClient::Call> CupsClient::startQueues() {
    return start([](http_t *http) -> std::any {
        QueueList list;
        if (!http)
            return list;  // no scheduler: no queues
        cups_dest_t *dests = nullptr;
        const int count = cupsGetDests2(http, &dests);
        for (int i = 0; i < count; ++i) {
            list.names.append(NameOf(dests[i]));
            if (dests[i].is_default)
                list.defaultName = list.names.back();
        }
        cupsFreeDests(count, dests);
        return list;
    });
}

CupsClient::QueueList CupsClient::queues(const Waiting &waiting) {
    return std::any_cast<QueueList>(wait(startQueues(), waiting));
}

std::optional<QSizeF> CupsClient::defaultMediaMm(const QString &queue, const Waiting &waiting) {
    const QueueName name(queue);
    return std::any_cast<std::optional<QSizeF>>(wait(
        start([name](http_t *http) -> std::any {
            if (const std::optional<QSizeF> ppd = PpdDefaultMediaMm(PpdCopy(http, name)))
                return ppd;
            if (CupsClient::stopping())
                return std::optional<QSizeF>();
            const DestPtr dest = NamedDest(http, name.name, name.instanceOrNull());
            if (!dest)
                return std::optional<QSizeF>();
            cups_dinfo_t *info = cupsCopyDestInfo(http, dest.get());
            if (!info)
                return std::optional<QSizeF>();
            cups_size_t size{};
            const int found = cupsGetDestMediaDefault(http, dest.get(), info, 0, &size);
            cupsFreeDestInfo(info);
            // CUPS gives hundredths of a millimetre.
            if (!found || size.width <= 0 || size.length <= 0)
                return std::optional<QSizeF>();
            return std::optional<QSizeF>(QSizeF(size.width / 100.0, size.length / 100.0));
        }),
        waiting));
}

std::any CupsClient::readPpd(const QString &queue, PpdReader read, const Waiting &waiting) {
    const QueueName name(queue);
    return wait(start([name, read = std::move(read)](http_t *http) -> std::any {
                    const PpdCopy copy(http, name);
                    return read(QString::fromLocal8Bit(copy.path()));
                }),
                waiting);
}

std::optional<IppQueueAttributes> CupsClient::ippAttributes(const QString &queue,
                                                            const Waiting &waiting) {
    const QueueName name(queue);
    return std::any_cast<std::optional<IppQueueAttributes>>(wait(
        start([name](http_t *http) -> std::any {
            const DestPtr dest = NamedDest(http, name.name, name.instanceOrNull());
            if (!dest)
                return std::optional<IppQueueAttributes>();
            cups_dinfo_t *info = cupsCopyDestInfo(http, dest.get());
            if (!info)
                return std::optional<IppQueueAttributes>();
            const IppQueueAttributes attrs = Attributes(http, dest.get(), info);
            cupsFreeDestInfo(info);
            return std::optional<IppQueueAttributes>(attrs);
        }),
        waiting));
}

int CupsClient::submit(const Job &job, const Waiting &waiting) {
    const QueueName name(job.queue);
    return std::any_cast<int>(wait(
        start([name, job](http_t *http) -> std::any {
            if (!http)
                throw PrinterError(QStringLiteral("Kein Druckdienst erreichbar."));
            cups_option_t *options = nullptr;
            int count = 0;
            if (!name.instance.isEmpty())
                count = InstanceOptions(http, name, job.queue, &options);
            for (const auto &[option, value] : job.options)
                count = cupsAddOption(option.constData(), value.constData(), count, &options);
            const int id = cupsCreateJob(http, name.name.constData(),
                                         job.title.toUtf8().constData(), count, options);
            cupsFreeOptions(count, options);
            if (id == 0)
                throw PrinterError(LastError());
            CupsClient::progressed();
            QString error;
            if (!SendDocument(http, name, id, job, &error)) {
                CancelJob(name, id);
                throw PrinterError(error.isEmpty() ? LastError() : error);
            }
            return id;
        }),
        waiting));
}
