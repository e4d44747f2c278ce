#include "ui/SessionEnd.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <csignal>

#include "model/SignalPipe.h"

SessionEndWatcher::SessionEndWatcher(QObject *parent)
    : QObject(parent),
      pipe_(std::make_unique<SignalPipe>(std::initializer_list<int>{SIGTERM, SIGHUP})) {
    if (pipe_->readEnd() >= 0) {
        notifier_ = new QSocketNotifier(pipe_->readEnd(), QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &SessionEndWatcher::readSignal);
    }
#ifndef QT_NO_SESSIONMANAGER
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager &) { emit endRequested(); });
#endif
}

// The notifier goes before the pipe it watches.
SessionEndWatcher::~SessionEndWatcher() {
    delete notifier_;
}

void SessionEndWatcher::readSignal() {
    if (pipe_->drain())
        emit endRequested();
}
