// The shut-down's saving when more than one Vellumo uses the data folder, and
// files a crash or a hand left in a bad state.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QThread>
#include <future>

#include <sys/stat.h>
#include <unistd.h>

#include "model/AtomicFile.h"
#include "model/DataFolder.h"
#include "model/DataSave.h"
#include "model/DataSession.h"
#include "model/Job.h"
#include "model/PhraseFile.h"
#include "model/SettingsFile.h"
#include "model/StoredFormats.h"
#include "tests/support/TempDataFolder.h"

namespace {

// One window's view of the data: what it read at start and what it holds.
struct Window {
    StoredFormatList read, now;
    std::vector<int> origin;
    QStringList phrasesRead;
    PhraseList phrases;

    explicit Window(SettingsFile &settings) {
        read = ReadStoredFormats(settings);
        for (std::size_t i = 0; i < read.size(); ++i) {
            now.push_back(std::make_unique<TJob>());
            now.back()->CopyFrom(*read[i]);
            origin.push_back(int(i));
        }
        phrasesRead = LoadPhraseFile(PhraseFilePath());
        phrases.assign(phrasesRead);
    }
    int find(const char *name) const {
        for (std::size_t i = 0; i < now.size(); ++i) {
            if (now[i]->Name == QString::fromLatin1(name))
                return int(i);
        }
        return -1;
    }
    void store(const char *name, int laenge) {
        const int at = find(name);
        TJob *format = at >= 0 ? now[std::size_t(at)].get() : nullptr;
        if (!format) {
            now.push_back(std::make_unique<TJob>());
            origin.push_back(-1);
            format = now.back().get();
        }
        format->Name.set(QString::fromLatin1(name));
        format->Laenge = laenge;
    }
    void remove(const char *name) {
        const int at = find(name);
        now.erase(now.begin() + at);
        origin.erase(origin.begin() + at);
    }
    void removePhrase(const char *phrase) {
        phrases.removeAt(phrases.phrases().indexOf(QString::fromLatin1(phrase)));
    }
    DataSaveResult close(SettingsFile &settings, int lockWaitMs = 10000) {
        DataEdits edits;
        edits.formatsRead = &read;
        edits.formatsNow = &now;
        edits.formatOrigin = origin;
        edits.phrasesRead = phrasesRead;
        edits.phrasesNow = phrases.phrases();
        return SaveDataMerged(settings, PhraseFilePath(), edits, lockWaitMs);
    }
};

class DataSaveTest : public ::testing::Test {
protected:
    TempDataFolder data;

    void SetUp() override {
        SettingsFile settings(SettingsFilePath());
        StoredFormatList formats;
        for (const char *name : {"Gold", "Silber", "Bronze", "Platin"}) {
            formats.push_back(std::make_unique<TJob>());
            formats.back()->Name.set(QString::fromLatin1(name));
        }
        WriteStoredFormats(settings, formats);
        SavePhraseFile(PhraseFilePath(), {QStringLiteral("In Liebe"), QStringLiteral("Ruhe sanft"),
                                          QStringLiteral("Unvergessen")});
    }

    static QStringList FormatsOnDisk(int *goldLaenge, int *bronzeLaenge) {
        SettingsFile settings(SettingsFilePath());
        QStringList names;
        for (const auto &format : ReadStoredFormats(settings)) {
            names << format->Name.str();
            if (format->Name == QStringLiteral("Gold"))
                *goldLaenge = format->Laenge;
            if (format->Name == QStringLiteral("Bronze"))
                *bronzeLaenge = format->Laenge;
        }
        return names;
    }
};

TEST_F(DataSaveTest, TwoWindowsOnOneFolderKeepBothWindowsWork) {
    SettingsFile settingsA(SettingsFilePath()), settingsB(SettingsFilePath());
    Window a(settingsA), b(settingsB);
    a.store("Kranz A", 1500);  // added
    a.store("Gold", 1800);     // changed
    a.remove("Silber");        // deleted
    a.phrases.add(QStringLiteral("Von A"));
    a.removePhrase("Ruhe sanft");
    b.store("Kranz B", 1600);
    b.store("Bronze", 1200);
    b.remove("Platin");
    b.phrases.add(QStringLiteral("Von B"));
    b.removePhrase("Unvergessen");

    EXPECT_TRUE(a.close(settingsA).errors.isEmpty());
    const DataSaveResult second = b.close(settingsB);
    EXPECT_TRUE(second.errors.isEmpty());
    EXPECT_TRUE(second.locked);

    int gold = 0, bronze = 0;
    EXPECT_EQ(FormatsOnDisk(&gold, &bronze), (QStringList{"Gold", "Bronze", "Kranz A", "Kranz B"}));
    EXPECT_EQ(gold, 1800);
    EXPECT_EQ(bronze, 1200);
    EXPECT_EQ(LoadPhraseFile(PhraseFilePath()), (QStringList{"In Liebe", "Von A", "Von B"}));

    // A window that changed nothing leaves the files as they are, to the byte.
    const QByteArray ini = data.readFile(QStringLiteral("RIBOLANT.INI"));
    const QByteArray txt = data.readFile(QStringLiteral("RIBOLANT.TXT"));
    SettingsFile settingsC(SettingsFilePath());
    Window c(settingsC);
    EXPECT_TRUE(c.close(settingsC).errors.isEmpty());
    EXPECT_EQ(data.readFile(QStringLiteral("RIBOLANT.INI")), ini);
    EXPECT_EQ(data.readFile(QStringLiteral("RIBOLANT.TXT")), txt);
}

TEST_F(DataSaveTest, SaveWaitsForTheLockOfAnotherWindow) {
    SettingsFile settings(SettingsFilePath());
    Window a(settings);
    a.store("Kranz A", 1500);
    QLockFile other(DataLockPath(DataFolder()));
    ASSERT_TRUE(other.tryLock(0));

    auto saving = std::async(std::launch::async, [&] { return a.close(settings, 20000); });
    ASSERT_EQ(saving.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
    int gold = 0, bronze = 0;
    EXPECT_EQ(FormatsOnDisk(&gold, &bronze).size(), 4);  // not yet written
    other.unlock();
    const DataSaveResult saved = saving.get();
    EXPECT_TRUE(saved.locked);
    EXPECT_EQ(FormatsOnDisk(&gold, &bronze).size(), 5);
}

TEST_F(DataSaveTest, NulByteInThePhraseFileLosesNoPhraseAtClose) {
    data.writeFile(QStringLiteral("RIBOLANT.TXT"), QByteArray("Alpha\r\nBe\0ta\r\nGamma\r\n", 20));
    SettingsFile settings(SettingsFilePath());
    Window window(settings);
    EXPECT_EQ(window.phrasesRead, (QStringList{"Alpha", "Beta", "Gamma"}));  // the NUL left out
    window.phrases.add(QStringLiteral("Neu"));
    window.close(settings);
    // No NUL is written back, at which the Windows version would stop reading.
    EXPECT_EQ(data.readFile(QStringLiteral("RIBOLANT.TXT")),
              QByteArray("Alpha\r\nBeta\r\nGamma\r\nNeu\r\n"));
}

TEST_F(DataSaveTest, RewrittenFileKeepsModeAndGroup) {
    const QString ini = SettingsFilePath();
    const QByteArray name = QFile::encodeName(ini);
    // Another group than our own: any for root, else one we belong to.
    gid_t group = getuid() == 0 ? 4242 : 0;
    if (group == 0) {
        gid_t groups[64];
        const int n = getgroups(64, groups);
        for (int i = 0; i < n; ++i) {
            if (groups[i] != getegid())
                group = groups[i];
        }
    }
    if (group == 0)
        GTEST_SKIP() << "no second group to give the file";
    ASSERT_EQ(::chown(name.constData(), uid_t(-1), group), 0);
    ASSERT_EQ(::chmod(name.constData(), 0660), 0);
    SettingsFile settings(ini);
    settings.writeString(QStringLiteral("Drucker"), QStringLiteral("Name"), QStringLiteral("PDF"));
    struct stat st {};
    ASSERT_EQ(::stat(name.constData(), &st), 0);
    EXPECT_EQ(st.st_gid, group);
    EXPECT_EQ(st.st_mode & 07777, 0660u);
}

// Only the program's own temporary files go, and only those older than every
// window running now; a person's backups and a kept damaged session file stay.
TEST_F(DataSaveTest, CleanUpRemovesOnlyTheProgramsOwnTemporariesOfNoRunningWindow) {
    const QStringList kept{"RIBOLANT.INI.backup", "RIBOLANT.TXT.kopie1", "SITZUNG1.INI.defekt",
                           "RIBOLANT.INI.a1B2c3"};
    for (const QString &name : kept)
        data.writeFile(name, "x");
    QLockFile running(data.filePath(QStringLiteral("SITZUNG2.LCK")));
    ASSERT_TRUE(running.tryLock(0));
    const QDateTime started =
        QFileInfo(data.filePath(QStringLiteral("SITZUNG2.LCK"))).lastModified();
    struct Temporary {
        const char *name;
        int secondsAfterStart;
        bool goesWhileRunning;
    };
    const Temporary temporaries[] = {
        {".RIBOLANT.INI.vellumo-tmp-a1B2c3", -3600, true},  // a crash's, before the window
        {".Woerterbuch.txt.vellumo-tmp-q1w2e3", -60, true},
        {".RIBOLANT.TXT.vellumo-tmp-Zz09xy", 10, false},  // may be the running window's
    };
    for (const Temporary &t : temporaries) {
        data.writeFile(QString::fromLatin1(t.name), "x");
        QFile file(data.filePath(QString::fromLatin1(t.name)));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(started.addSecs(t.secondsAfterStart),
                                     QFileDevice::FileModificationTime));
    }
    EXPECT_EQ(RemoveCrashLeftovers(DataFolder()), 2);
    for (const Temporary &t : temporaries)
        EXPECT_NE(QFile::exists(data.filePath(QString::fromLatin1(t.name))), t.goesWhileRunning)
            << t.name;
    running.unlock();
    EXPECT_EQ(RemoveCrashLeftovers(DataFolder()), 1);

    // A session's own temporary files go when its slot is taken.
    data.writeFile(QStringLiteral(".SITZUNG1.INI.vellumo-tmp-000000"), "x");
    EXPECT_TRUE(DataSession(DataFolder()).claimed());
    QStringList left = QDir(data.appFolder()).entryList(QDir::Files | QDir::Hidden);
    QStringList expected = kept + QStringList{"RIBOLANT.INI", "RIBOLANT.TXT"};
    left.sort();
    expected.sort();
    EXPECT_EQ(left, expected);
}

// Settings claiming two billion stored formats and holding none: the window
// lists none, and closing it unchanged writes nothing.
TEST_F(DataSaveTest, AbsurdFormatCountIsReadAsTheSectionsPresent) {
    // A count of two thousand million and no sections: none, and none written.
    data.writeFile(QStringLiteral("RIBOLANT.INI"),
                   "[Format]\r\nAnzahl=2000000000\r\n\r\n[Drucker]\r\nName=PDF\r\n");
    SettingsFile settings(SettingsFilePath());
    Window window(settings);
    EXPECT_TRUE(window.read.empty());
    EXPECT_TRUE(window.close(settings).errors.isEmpty());
    EXPECT_EQ(data.readFile(QStringLiteral("RIBOLANT.INI")),
              QByteArray("[Format]\r\nAnzahl=0\r\n\r\n[Drucker]\r\nName=PDF\r\n"));
}

TEST_F(DataSaveTest, FolderThatTakesNoNewFileHasItsFilesWrittenInPlace) {
    SettingsFile settings(SettingsFilePath());
    Window window(settings);
    window.store("Kranz", 1500);
    window.phrases.add(QStringLiteral("Neu"));
    const QByteArray folder = QFile::encodeName(data.appFolder());
    ASSERT_EQ(::chmod(folder.constData(), 0555), 0);
    const DataSaveResult saved = window.close(settings);
    ::chmod(folder.constData(), 0755);
    EXPECT_TRUE(saved.errors.isEmpty()) << saved.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(saved.inPlace);
    int gold = 0, bronze = 0;
    EXPECT_EQ(FormatsOnDisk(&gold, &bronze).size(), 5);
    EXPECT_TRUE(LoadPhraseFile(PhraseFilePath()).contains(QStringLiteral("Neu")));
}

}  // namespace
