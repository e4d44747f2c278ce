#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "model/DataSave.h"
#include "model/PhraseFile.h"

class DataSession;
class QTimer;
class RibbonList;
class SettingsFile;
class StoredFormatsModel;
class TJob;

// What one window keeps of the data folder, without the window: the phrase
// list and the stored formats, with what it read of each, so that its saves
// carry only its own changes; and its session on the data folder, in which
// the day's ribbons are kept against a crash and from which the ribbons of a
// session that ended abnormally come back. Each change is saved a moment
// later (phrases and formats merged with what the files hold then, as
// another window may share them), so a crash loses at most the last moment's
// change; the close saves once more.
class Workspace : public QObject {
    Q_OBJECT
public:
    // Long enough that deleting a few phrases in a row saves once.
    static constexpr int AutosaveDelayMs = 1500;
    // An autosave waits this long for another window's save, then tries again
    // later; only the close waits longer (see SaveDataMerged).
    static constexpr int AutosaveLockWaitMs = 200;

    explicit Workspace(QObject *parent = nullptr);
    ~Workspace() override;

    // The files: the settings (for the formats) and the phrase file. Reads
    // the phrases; the formats are read by formats()->read(). Returns a note
    // for the user when the phrase file held bytes that were left out, else
    // empty.
    QString open(SettingsFile *settings, const QString &phrasePath);

    // Autosaving is on only where the files can be kept (a data folder).
    void setAutosave(bool on);
    bool autosave() const { return autosave_; }

    const PhraseList &phrases() const { return phrases_; }
    const QStringList &phrasesRead() const { return phrasesRead_; }
    // Adds a phrase in its sorted place; returns its position, or -1 when it
    // is refused (see PhraseList::add).
    qsizetype addPhrase(const QString &phrase);
    void removePhrase(qsizetype index);

    StoredFormatsModel *formats() const { return formats_; }

    // Whether a change waits for its save.
    bool savePending() const;

    // Saves what changed here since the last save, merged with what the files
    // hold now, and counts what was saved as read. The close passes the printer
    // and waits for the lock as long as it takes; see SaveDataMerged.
    DataSaveResult save(const std::optional<QString> &printerName = std::nullopt,
                        int lockWaitMs = 10000, bool saveUnlocked = true);

    // ---- The day's ribbons
    // Long enough that typing a text writes the list once, not per key.
    static constexpr int RibbonBackupDelayMs = 1500;

    // Claims a session on the data folder, after removing what writes cut
    // short by a crash left there. Returns what the status bar should say:
    // no session to be had, another Vellumo on the folder, a folder that
    // takes no new files.
    QStringList openSession(const QString &dataFolder);
    bool sessionClaimed() const;
    QString ribbonFilePath() const;

    // The day's ribbons: the window shows them, the order list fills them,
    // and the session keeps them.
    RibbonList *ribbons() const { return ribbonList_; }
    // The list changed: it is kept a moment later.
    void ribbonsChanged();
    // Keeps the list now (a list without any text removes the file: nothing
    // worth offering). False when it could not be kept (ribbonNote says why)
    // or may not be: while the last session's ribbons wait for an answer, the
    // session's file is theirs.
    bool keepRibbons();

    // Ribbons left by sessions that ended abnormally wait for the user's answer.
    bool recoveryPending() const { return recoveryPending_; }
    struct Recovery {
        std::vector<std::unique_ptr<TJob>> jobs;
        QStringList faults;  // for each damaged file: why, what came back, where it is kept
    };
    // Reads them: a damaged file gives what can still be read and is kept
    // under a name of its own, so that nothing is lost and it is not offered
    // again.
    Recovery recover();
    // Once the recovered ribbons are in the list: the list is kept, and the
    // other sessions' files go when their ribbons are safe in ours.
    void recovered();
    // The user does not want them: their files go.
    void refuseRecovery();

    // At the close. With keep, the list is kept once more and stays for the
    // next start (true when there is one to offer); otherwise the ribbon file
    // goes, as the list does, unless it still holds an earlier session's
    // ribbons that were neither taken in nor refused.
    bool endSession(bool keep);
    // Gives up the session without ending it (the window goes without a
    // close): its ribbon file stays for the next start.
    void closeSession();

signals:
    // An autosave ended: with no errors, or with the messages of the files
    // that could not be written (they are tried again at the next change and
    // at the close).
    void autosaved(const QStringList &errors);
    // The ribbon list could not be kept; the note says why.
    void ribbonNote(const QString &note);

private:
    void scheduleSave();
    void runAutosave();

    SettingsFile *settings_ = nullptr;
    QString phrasePath_;
    PhraseList phrases_;
    QStringList phrasesRead_;
    StoredFormatsModel *formats_ = nullptr;
    QTimer *timer_ = nullptr;
    bool autosave_ = false;

    std::unique_ptr<DataSession> session_;
    QTimer *ribbonTimer_ = nullptr;
    RibbonList *ribbonList_ = nullptr;
    bool recoveryPending_ = false;
};
