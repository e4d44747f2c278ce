#include "model/DataSession.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include "model/AtomicFile.h"

namespace {

QString slotPath(const QString &folder, int slot, const char *suffix) {
    return folder + QStringLiteral("SITZUNG%1.").arg(slot) + QLatin1String(suffix);
}

// A lock file whose holder died before writing who it is can never be found
// stale by its holder; after this long it is taken for a crash's.
constexpr int UnreadableLockAgeMs = 10000;

// About what a lock file holds (its holder's process, program and host).
constexpr qsizetype LockFileSize = 64;

std::unique_ptr<QLockFile> tryLockSlot(const QString &folder, int slot,
                                       QLockFile::LockError *error) {
    const QString path = slotPath(folder, slot, "LCK");
    auto lock = std::make_unique<QLockFile>(path);
    // Held for a whole run: only a holder that is gone makes it stale.
    lock->setStaleLockTime(0);
    qint64 pid = 0;
    QString host, app;
    const QFileInfo info(path);
    if (info.exists() && !lock->getLockInfo(&pid, &host, &app) &&
        info.lastModified().msecsTo(QDateTime::currentDateTime()) > UnreadableLockAgeMs)
        lock->removeStaleLockFile();
    // QLockFile makes its file only where none is (O_EXCL): a link planted in
    // its place is never written through.
    if (!lock->tryLock(0)) {
        *error = lock->error();
        return nullptr;
    }
    return lock;
}

}  // namespace

DataSession::DataSession(const QString &dataFolder) : folder_(dataFolder) {
    if (!folder_.endsWith(QLatin1Char('/')))
        folder_ += QLatin1Char('/');
    int refusedSlot = 0;  // the first slot whose lock file could not be made
    for (int slot = 1; slot <= Slots; ++slot) {
        // Once a slot is ours, only slots that hold something are looked at:
        // locking an empty one for a moment would, if this window were killed
        // just then, leave a lock file that tells the next window of a
        // Vellumo that is not there.
        if (lock_ && !QFile::exists(slotPath(folder_, slot, "LCK")) &&
            !QFile::exists(slotPath(folder_, slot, "INI")))
            continue;
        QLockFile::LockError error = QLockFile::NoError;
        std::unique_ptr<QLockFile> lock = tryLockSlot(folder_, slot, &error);
        if (!lock) {
            if (error != QLockFile::LockFailedError && refusedSlot == 0)
                refusedSlot = slot;
            // Held by another window, or no folder at all.
            if (QFile::exists(slotPath(folder_, slot, "LCK")))
                othersRunning_ = true;
            continue;
        }
        const QString ribbons = slotPath(folder_, slot, "INI");
        // Nobody writes this slot's file now: a temporary file is a crash's.
        RemoveLeftoverTemporaries(ribbons);
        if (!lock_) {
            slot_ = slot;
            lock_ = std::move(lock);
            if (QFile::exists(ribbons))
                leftovers_.prepend(ribbons);
        } else if (QFile::exists(ribbons)) {
            leftovers_.append(ribbons);
            leftoverLocks_.push_back(std::move(lock));
        }
    }
    if (lock_)
        return;
    if (refusedSlot == 0) {
        failure_ =
            QStringLiteral("alle %1 Sitzungen sind von anderen Vellumo-Fenstern belegt").arg(Slots);
        return;
    }
    // The lock file does not tell why it could not be made; a file of its
    // size made in the same place does.
    const QString lockPath = slotPath(folder_, refusedSlot, "LCK");
    const QString why = NewFileProblem(lockPath, LockFileSize);
    failure_ = QStringLiteral("%1 kann nicht angelegt werden").arg(QFileInfo(lockPath).fileName());
    if (!why.isEmpty())
        failure_ += QStringLiteral(" (%1)").arg(why);
}

DataSession::~DataSession() = default;

QString DataSession::ribbonFilePath() const {
    return claimed() ? slotPath(folder_, slot_, "INI") : QString();
}

void DataSession::forgetLeftovers(bool ownToo) {
    for (const QString &path : std::as_const(leftovers_)) {
        if (ownToo || path != ribbonFilePath())
            QFile::remove(path);
    }
    leftovers_.clear();
    leftoverLocks_.clear();
}

QDateTime DataSession::EarliestSessionStart(const QString &dataFolder) {
    QString folder = dataFolder;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    QDateTime earliest;
    for (int slot = 1; slot <= Slots; ++slot) {
        const QFileInfo lock(slotPath(folder, slot, "LCK"));
        if (lock.exists() && (!earliest.isValid() || lock.lastModified() < earliest))
            earliest = lock.lastModified();
    }
    return earliest;
}

void DataSession::endNormally() {
    // Ribbons of the last session not yet taken in or refused are not ours
    // to give up.
    if (claimed() && !leftovers_.contains(ribbonFilePath()))
        QFile::remove(ribbonFilePath());
}
