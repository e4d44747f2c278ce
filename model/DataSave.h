#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "model/StoredFormats.h"

class SettingsFile;

// The shut-down's saving of RIBOLANT.INI and RIBOLANT.TXT. Another Vellumo may
// use the same data folder (two users of one machine, a folder shared by two
// shop computers), so the files are read again under a lock and what this
// window changed is applied onto what they hold now.

// The lock file in the data folder taken around every read-merge-write.
QString DataLockPath(const QString &dataFolder);

// What one window read at its start and holds at its end.
struct DataEdits {
    const StoredFormatList *formatsRead = nullptr;  // null: the formats are left alone
    const StoredFormatList *formatsNow = nullptr;
    std::vector<int> formatOrigin;  // see MergeStoredFormats
    std::optional<QString> printerName;
    QStringList phrasesRead;
    QStringList phrasesNow;
};

struct DataSaveResult {
    QStringList errors;          // the messages of the files that could not be written
    bool inPlace = false;        // a file was overwritten in place (see WriteFileAtomically)
    bool locked = false;         // the lock was had; otherwise saved without it after the wait
    bool settingsSaved = false;  // RIBOLANT.INI holds the edits (or needed no write)
    bool phrasesSaved = false;   // RIBOLANT.TXT likewise
};

// Removes what writes interrupted by a crash left in the data folder: the
// program's own temporary files (see IsTemporaryFileName) that are older than
// every running window's session, unless another Vellumo holds the lock and
// may be writing now. Returns how many were removed.
int RemoveCrashLeftovers(const QString &dataFolder);

// Settings first (the stored formats and the printer name in one
// replacement; a file that comes out the same is not written),
// then the phrases; a failure of the one does not keep the other from being
// saved. Without the lock after lockWaitMs it saves all the same, unless
// saveUnlocked is false: then nothing is written.
DataSaveResult SaveDataMerged(SettingsFile &settings, const QString &phrasePath,
                              const DataEdits &edits, int lockWaitMs = 10000,
                              bool saveUnlocked = true);
