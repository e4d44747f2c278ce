#include "model/DataSave.h"

#include <QFileInfo>
#include <QLockFile>

#include "model/AtomicFile.h"
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
    QString folder = dataFolder;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return RemoveLeftoverTemporaries(folder + QStringLiteral("RIBOLANT.INI")) +
           RemoveLeftoverTemporaries(folder + QStringLiteral("RIBOLANT.TXT"));
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
            WriteStoredFormats(settings, MergeStoredFormats(disk, *edits.formatsRead,
                                                            *edits.formatsNow, edits.formatOrigin));
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
