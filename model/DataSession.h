#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class QLockFile;

// One window's claim on the data folder for the whole run: the first free of
// a few numbered slots, each held by a lock file ("SITZUNG<n>.LCK"), with the
// ribbon file the window keeps its ribbon list in against a crash
// ("SITZUNG<n>.INI"). A normal close removes that file, so a ribbon file
// whose slot is free at start-up is left from a session that ended abnormally.
class DataSession {
public:
    static constexpr int Slots = 8;

    explicit DataSession(const QString &dataFolder);
    ~DataSession();
    DataSession(const DataSession &) = delete;
    DataSession &operator=(const DataSession &) = delete;

    // False when no slot could be had (no data folder, a full disk, or all
    // slots taken); failure() then says why.
    bool claimed() const { return slot_ > 0; }
    const QString &failure() const { return failure_; }
    // Another window held a slot when this one started.
    bool othersRunning() const { return othersRunning_; }
    QString ribbonFilePath() const;

    // The ribbon files left by sessions that ended abnormally, this slot's
    // own first. Their slots stay held until forgetLeftovers().
    const QStringList &leftovers() const { return leftovers_; }
    // Removes the left ribbon files of other slots (after they were taken in
    // or refused) and gives those slots free; this slot's own file too with
    // ownToo (when its ribbons were refused).
    void forgetLeftovers(bool ownToo);

    // At a normal close: the ribbon file goes, unless it still holds the
    // ribbons of an earlier session that were neither taken in nor refused.
    void endNormally();

    // When the earliest of the sessions held in the folder now began (its lock
    // file's time), or an invalid time when none is held. A lock file left by
    // a crash counts until a window takes its slot over.
    static QDateTime EarliestSessionStart(const QString &dataFolder);

private:
    QString folder_;
    int slot_ = 0;
    QString failure_;
    bool othersRunning_ = false;
    std::unique_ptr<QLockFile> lock_;
    std::vector<std::unique_ptr<QLockFile>> leftoverLocks_;
    QStringList leftovers_;
};
