// Writes RIBOLANT.INI and RIBOLANT.TXT of the data folder in a loop, version
// after version, until it is killed. Started by the crash-safety test.
#include <QCoreApplication>
#include <cstdio>

#include "model/DataFolder.h"
#include "model/SettingsFile.h"
#include "tests/robust/KillVersions.h"

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
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
