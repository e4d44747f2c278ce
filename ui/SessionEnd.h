#pragma once

#include <QObject>

class QSocketNotifier;

// Tells when the desktop ends the session: SIGTERM and SIGHUP (logout,
// shut-down) and the session manager's request to save. A signal handler may
// do next to nothing, so it only writes a byte into a socket pair; the event
// loop reads it and emits endRequested(). One watcher per process.
class SessionEndWatcher : public QObject {
    Q_OBJECT
public:
    explicit SessionEndWatcher(QObject *parent = nullptr);
    ~SessionEndWatcher() override;

signals:
    void endRequested();

private:
    void readSignal();
    QSocketNotifier *notifier_ = nullptr;
};
