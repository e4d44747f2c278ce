#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <any>
#include <functional>
#include <memory>
#include <optional>

#include "print/QueueCapabilities.h"

typedef struct _http_s http_t;

// Every question to the CUPS scheduler goes through here: on a connection of
// the client's own, made and used only by its worker thread, with a time-out.
// Callers wait for the answer with a deadline: a scheduler that says nothing
// for the quiet limit ("no answer", not "slow") fails the call with
// NoAnswer(). A call that does not come back even then is abandoned, never
// waited for: its thread is left behind and the next call gets a new one, so
// closing the program while CUPS hangs ends it normally.
class CupsClient {
public:
    static constexpr int DefaultQuietLimitMs = 30000;
    // "Druckdienst antwortet nicht"
    static QString NoAnswer();

    // The scheduler is the one libcups names (CUPS_SERVER, client.conf), as
    // read when the worker first connects. The quiet limit is the caller's
    // deadline; the worker stops a little before, so that its own report
    // arrives in time.
    explicit CupsClient(int quietLimitMs = DefaultQuietLimitMs);
    // Does not wait for a call under way.
    ~CupsClient();
    CupsClient(const CupsClient &) = delete;
    CupsClient &operator=(const CupsClient &) = delete;

    // The program's client; made on first use and never taken down.
    static CupsClient &shared();

    // Called on the waiting thread about every 50 ms while a call is under
    // way; returning false gives the call up (the print was aborted).
    using Waiting = std::function<bool()>;

    struct QueueList {
        QStringList names;  // instances as "queue/instance", in CUPS's order
        QString defaultName;
    };
    // One job as it goes to the scheduler.
    struct Job {
        QString queue;  // "queue" or "queue/instance"
        QString file;   // a PDF
        QString title;
        QList<QPair<QByteArray, QByteArray>> options;
    };

    // Each throws PrinterError: NoAnswer() when the scheduler is silent,
    // "Druck abgebrochen" when `waiting` gave up, or what CUPS said.
    // No scheduler to connect to gives an empty list.
    QueueList queues(const Waiting &waiting = {});
    // The queue's default paper in millimetres; none when its driver does not say.
    std::optional<QSizeF> defaultMediaMm(const QString &queue, const Waiting &waiting = {});
    // Reads the queue's PPD on the worker thread: `read` gets the path of a
    // copy that is removed when it returns, or an empty path when the queue
    // has none. Returns what `read` returned.
    using PpdReader = std::function<std::any(const QString &path)>;
    std::any readPpd(const QString &queue, PpdReader read, const Waiting &waiting = {});
    // The IPP attributes of a queue without PPD; none when CUPS does not know it.
    std::optional<IppQueueAttributes> ippAttributes(const QString &queue,
                                                    const Waiting &waiting = {});
    // Hands the job to the queue; an instance's options go under the job's
    // own. Returns the job's id.
    int submit(const Job &job, const Waiting &waiting = {});

    // One call under way, for a caller that does not wait at once. The task
    // runs on the worker thread with its connection (null when there is no
    // scheduler to connect to).
    struct Call;
    using Task = std::function<std::any(http_t *)>;
    std::shared_ptr<Call> start(Task task);
    std::shared_ptr<Call> startQueues();
    // Whether wait() would return at once: the call came back or its
    // deadline passed.
    bool finished(const Call &call) const;
    // The call's result; throws as above.
    std::any wait(const std::shared_ptr<Call> &call, const Waiting &waiting = {});

    // Inside a task: the call goes on (data moved), so the quiet limit starts
    // again; false when the call is to stop (given up by its caller).
    static bool progressed();
    // Inside a task: the call has given up (time-out or caller); the task
    // should ask CUPS nothing more.
    static bool stopping();

private:
    struct Impl;
    std::shared_ptr<Impl> d_;
};
