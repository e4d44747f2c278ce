#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

#include "model/DataSave.h"
#include "model/PhraseFile.h"

class QTimer;
class SettingsFile;
class StoredFormatsModel;

// What one window keeps of the data folder besides its ribbons: the phrase
// list and the stored formats, with what it read of each, so that its saves
// carry only its own changes. Each change is saved a moment later, merged
// with what the files hold then (another window may share them), so a crash
// loses at most the last moment's change; the close saves once more.
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

signals:
    // An autosave ended: with no errors, or with the messages of the files
    // that could not be written (they are tried again at the next change and
    // at the close).
    void autosaved(const QStringList &errors);

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
};
