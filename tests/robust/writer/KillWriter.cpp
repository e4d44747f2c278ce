// Writes RIBOLANT.INI and RIBOLANT.TXT of the data folder in a loop, version
// after version, until it is killed. Started by the crash-safety test. With
// "--day" it is a window's workspace instead, storing and deleting phrases
// and formats and saving each change as the autosave does.
#include <QCoreApplication>
#include <cstdio>
#include <cstring>

#include "model/DataFolder.h"
#include "model/Job.h"
#include "model/SettingsFile.h"
#include "model/StoredFormatsModel.h"
#include "model/Workspace.h"
#include "tests/robust/KillVersions.h"

namespace {

[[noreturn]] void WorkADay(int version) {
    SettingsFile settings(SettingsFilePath());
    Workspace work;
    work.open(&settings, PhraseFilePath());
    work.formats()->read(&settings);
    std::printf("writing\n");
    std::fflush(stdout);
    for (;; ++version) {
        if (!work.phrases().containsIgnoringCase(KillDayPhrase(version)))
            work.addPhrase(KillDayPhrase(version));
        const qsizetype old =
            work.phrases().phrases().indexOf(KillDayPhrase(version - KillDayKept));
        if (old >= 0)
            work.removePhrase(old);
        TJob format;
        format.Laenge = 500 + version % 3000;
        work.formats()->storeFormat(KillDayFormat(version), format);
        // Some names end in a blank, which the settings file does not keep:
        // listed again, the format is found without it.
        const int gone = work.formats()->findFormat(KillDayFormat(version - KillDayKept).trimmed());
        if (gone >= 0)
            work.formats()->removeAt(gone);
        const DataSaveResult saved = work.save(std::nullopt, Workspace::AutosaveLockWaitMs, false);
        if (saved.locked && saved.errors.isEmpty()) {
            std::printf("saved %d\n", version);
            std::fflush(stdout);
        }
    }
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--day") == 0)
        WorkADay(std::atoi(argv[2]));
    if (argc != 2)
        return 2;
    int version = std::atoi(argv[1]);
    SettingsFile settings(SettingsFilePath());
    const QString phrases = PhraseFilePath();
    std::printf("writing\n");
    std::fflush(stdout);
    // Every other version goes through the shut-down's merged save, so kills
    // land in its lock and its re-reading too. The ribbon list kept against
    // a crash is written first.
    const QString ribbons = DataFolder() + QStringLiteral("SITZUNG1.INI");
    for (;; ++version) {
        WriteKillRibbons(ribbons, version);
        if (version % 2) {
            SaveKillVersionMerged(settings, phrases, version);
        } else {
            WriteKillSettings(settings, version);
            WriteKillPhrases(phrases, version);
        }
    }
}
