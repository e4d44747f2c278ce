#pragma once

#include <QObject>
#include <memory>

class QSocketNotifier;
class SignalPipe;

// Tells when the desktop ends the session: SIGTERM and SIGHUP (logout,
// shut-down), through a SignalPipe, and the session manager's request to save.
// One watcher per process.
class SessionEndWatcher : public QObject {
    Q_OBJECT
public:
    explicit SessionEndWatcher(QObject *parent = nullptr);
    ~SessionEndWatcher() override;

signals:
    void endRequested();

private:
    void readSignal();
    std::unique_ptr<SignalPipe> pipe_;
    QSocketNotifier *notifier_ = nullptr;
};
