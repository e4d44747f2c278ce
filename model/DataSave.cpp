#include "model/DataSave.h"

#include <QFileInfo>
#include <QLockFile>

#include "model/AtomicFile.h"
#include "model/DataSession.h"
#include "model/FileError.h"
#include "model/Job.h"
#include "model/PhraseFile.h"
#include "model/SettingsFile.h"

QString DataLockPath(const QString &dataFolder) {
    QString folder = dataFolder;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + QStringLiteral("RIBOLANT.LCK");
}

int RemoveCrashLeftovers(const QString &dataFolder) {
    QLockFile lock(DataLockPath(dataFolder));
    lock.setStaleLockTime(30000);
    if (!lock.tryLock(0))
        return 0;
    // A running window may be writing a file of the folder now, also without
    // this lock (its dictionary, its session file); what it writes is newer
    // than its session. So only what is older than every session held now is
    // a crash's; the session of a window that crashed counts until the next
    // start takes its slot over, and its leftovers go at a later start.
    return RemoveTemporariesOlderThan(dataFolder, DataSession::EarliestSessionStart(dataFolder));
}

DataSaveResult SaveDataMerged(SettingsFile &settings, const QString &phrasePath,
                              const DataEdits &edits, int lockWaitMs, bool saveUnlocked) {
    DataSaveResult result;
    // A holder that died leaves its lock behind; Qt takes it over at once when
    // the holder's process is gone, otherwise when the lock is this old.
    QLockFile lock(DataLockPath(QFileInfo(settings.path()).absolutePath()));
    lock.setStaleLockTime(30000);
    result.locked = lock.tryLock(lockWaitMs);
    if (!result.locked && !saveUnlocked)
        return result;

    try {
        SettingsFile::Batch batch(settings);
        if (edits.formatsRead && edits.formatsNow) {
            const StoredFormatList disk = ReadStoredFormats(settings);
            const StoredFormatList merged =
                MergeStoredFormats(disk, *edits.formatsRead, *edits.formatsNow, edits.formatOrigin);
            // Written as the close has always written them, which also puts
            // hand-edited values into their form; a file that comes out the
            // same is not written at all.
            WriteStoredFormats(settings, merged);
        }
        if (edits.printerName)
            settings.writeString(QStringLiteral("Drucker"), QStringLiteral("Name"),
                                 *edits.printerName);
        batch.commit();
        result.inPlace = settings.lastWriteInPlace();
        result.settingsSaved = true;
    } catch (const FileWriteError &error) {
        result.errors.append(error.message());
    }

    try {
        bool inPlace = false;
        SavePhraseFile(
            phrasePath,
            MergePhrases(LoadPhraseFile(phrasePath), edits.phrasesRead, edits.phrasesNow),
            &inPlace);
        result.inPlace = result.inPlace || inPlace;
        result.phrasesSaved = true;
    } catch (const FileWriteError &error) {
        result.errors.append(error.message());
    }
    return result;
}
