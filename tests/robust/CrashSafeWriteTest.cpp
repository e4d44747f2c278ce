// The power goes out while Vellumo writes its files: a writer process is
// killed at random moments while it writes RIBOLANT.INI and RIBOLANT.TXT
// version after version, every other one through the shut-down's merged save,
// and before each the ribbon list a window keeps against a crash. After every kill each file must
// be one complete version, byte for byte, never a mixture or a cut-off file, and never older than
// before.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <iostream>
#include <random>

#include "model/AtomicFile.h"
#include "model/DataFolder.h"
#include "model/Job.h"
#include "model/PhraseFile.h"
#include "model/RibbonFile.h"
#include "model/SettingsFile.h"
#include "tests/robust/KillVersions.h"
#include "tests/support/TempDataFolder.h"

namespace {

constexpr int kKills = 250;

QByteArray ReadAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The bytes RIBOLANT.INI holds after the writer wrote the formats of version
// `formats` and the printer name of version `printer` over the first file:
// every version has the same lines, so the first file and the two versions
// decide the bytes.
QByteArray ExpectedSettings(const QString &scratch, const QByteArray &first, int formats,
                            int printer) {
    const QString path = scratch + QStringLiteral("/RIBOLANT.INI");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(first) != first.size())
        return QByteArray();
    f.close();
    SettingsFile file(path);
    WriteStoredFormats(file, KillFormats(formats));
    file.writeString(QStringLiteral("Drucker"), QStringLiteral("Name"), KillPrinterName(printer));
    return ReadAll(path);
}

QByteArray ExpectedPhrases(const QString &scratch, int version) {
    const QString path = scratch + QStringLiteral("/RIBOLANT.TXT");
    WriteKillPhrases(path, version);
    return ReadAll(path);
}

QByteArray ExpectedRibbons(const QString &scratch, int version) {
    const QString path = scratch + QStringLiteral("/SITZUNG1.INI");
    WriteKillRibbons(path, version);
    return ReadAll(path);
}

QSet<QString> FolderEntries(const QString &folder) {
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    return QSet<QString>(names.begin(), names.end());
}

}  // namespace

TEST(CrashSafeWrites, KilledWriterLeavesEachFileCompleteOldOrCompleteNew) {
    TempDataFolder data;
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString iniPath = SettingsFilePath();
    const QString txtPath = PhraseFilePath();
    const QString ribbonPath = DataFolder() + QStringLiteral("SITZUNG1.INI");
    {
        SettingsFile file(iniPath);
        WriteKillSettings(file, 0);
        WriteKillPhrases(txtPath, 0);
        WriteKillRibbons(ribbonPath, 0);
    }
    const QByteArray firstIni = ReadAll(iniPath);

    // Kill somewhere within the first few versions of each run: one version
    // (on average of the plain and the merged writes) takes this long here.
    QElapsedTimer timer;
    timer.start();
    {
        QTemporaryDir probe;
        const QString phrases = probe.path() + QStringLiteral("/RIBOLANT.TXT");
        SettingsFile file(probe.path() + QStringLiteral("/RIBOLANT.INI"));
        for (int v = 0; v < 6; ++v) {
            if (v % 2) {
                SaveKillVersionMerged(file, phrases, v);
            } else {
                WriteKillSettings(file, v);
                WriteKillPhrases(phrases, v);
            }
        }
    }
    const qint64 versionMicros = std::max<qint64>(timer.nsecsElapsed() / 6000, 50);

    std::mt19937 random(7081);
    std::uniform_int_distribution<qint64> delay(0, 4 * versionMicros);
    int lastFormats = 0, lastPrinter = 0, lastPhrases = 0, lastRibbons = 0, next = 1;
    int interrupted = 0, advanced = 0, inMergedSave = 0;
    QSet<QString> seen = FolderEntries(data.appFolder());
    for (int round = 0; round < kKills; ++round) {
        QProcess writer;
        writer.start(QStringLiteral(VELLUMO_KILL_WRITER), {QString::number(next)});
        ASSERT_TRUE(writer.waitForStarted(30000));
        const qint64 writerPid = writer.processId();
        ASSERT_TRUE(writer.waitForReadyRead(30000)) << writer.readAllStandardError().constData();
        if (round % 10 == 9) {
            // Every tenth kill waits for the merged save to hold its lock, so
            // that such kills happen however the machine's load spreads them.
            const QString lockPath = data.appFolder() + QStringLiteral("/RIBOLANT.LCK");
            QElapsedTimer held;
            held.start();
            while (ReadAll(lockPath).split('\n').first() != QByteArray::number(writerPid) &&
                   held.elapsed() < 2000)
                QThread::usleep(200);
        } else {
            QThread::usleep(static_cast<unsigned long>(delay(random)));
        }
        writer.kill();
        ASSERT_TRUE(writer.waitForFinished(30000));
        ASSERT_EQ(writer.exitStatus(), QProcess::CrashExit)
            << "the writer stopped by itself: " << writer.readAllStandardError().constData();
        // The merged save holds the data lock, which names its process, while
        // it reads and writes.
        const QList<QByteArray> lock =
            ReadAll(data.appFolder() + QStringLiteral("/RIBOLANT.LCK")).split('\n');
        if (lock.first() == QByteArray::number(writerPid))
            ++inMergedSave;

        // RIBOLANT.INI: the formats and the printer name of one version (they
        // go to the file in one replacement), not older than after the last kill.
        SettingsFile settings(iniPath);
        const StoredFormatList formats = ReadStoredFormats(settings);
        ASSERT_EQ(formats.size(), 3u) << "round " << round;
        const int formatVersion = KillVersionOf(formats[0]->Name);
        const int printerVersion =
            KillVersionOf(settings.readString(QStringLiteral("Drucker"), QStringLiteral("Name")));
        ASSERT_GE(formatVersion, lastFormats) << "round " << round;
        ASSERT_GE(printerVersion, lastPrinter) << "round " << round;
        ASSERT_EQ(printerVersion, formatVersion) << "round " << round;
        const QByteArray ini = ReadAll(iniPath);
        ASSERT_TRUE(ini ==
                    ExpectedSettings(scratch.path(), firstIni, formatVersion, printerVersion))
            << "round " << round << ": RIBOLANT.INI is not one complete version (" << ini.size()
            << " bytes)";

        // RIBOLANT.TXT: one complete version.
        const QStringList phrases = LoadPhraseFile(txtPath);
        ASSERT_FALSE(phrases.isEmpty()) << "round " << round;
        const int phraseVersion = KillVersionOf(phrases[0]);
        ASSERT_GE(phraseVersion, lastPhrases) << "round " << round;
        ASSERT_TRUE(ReadAll(txtPath) == ExpectedPhrases(scratch.path(), phraseVersion))
            << "round " << round << ": RIBOLANT.TXT is not one complete version";

        // The ribbon list kept against a crash: one complete version, which
        // the strict reader takes.
        const RibbonFileResult ribbons = LoadRibbonFile(ribbonPath);
        ASSERT_TRUE(ribbons.ok()) << "round " << round << ": "
                                  << ribbons.error->text().toStdString();
        ASSERT_EQ(ribbons.ribbons.size(), 2u) << "round " << round;
        const int ribbonVersion = KillVersionOf(ribbons.ribbons[0].job->Kommission);
        ASSERT_GE(ribbonVersion, lastRibbons) << "round " << round;
        ASSERT_TRUE(ReadAll(ribbonPath) == ExpectedRibbons(scratch.path(), ribbonVersion))
            << "round " << round << ": SITZUNG1.INI is not one complete version";

        if (formatVersion > lastFormats || printerVersion > lastPrinter ||
            phraseVersion > lastPhrases || ribbonVersion > lastRibbons)
            ++advanced;
        lastFormats = formatVersion;
        lastPrinter = printerVersion;
        lastPhrases = phraseVersion;
        lastRibbons = ribbonVersion;
        next = std::max({formatVersion, phraseVersion, ribbonVersion}) + 1;

        // A kill in the middle of a replacement leaves its temporary file
        // beside the real one; it is never taken for the file. A kill in the
        // merged save leaves its lock (and Qt's lock for removing a stale one),
        // which the next writer takes over.
        const QSet<QString> now = FolderEntries(data.appFolder());
        for (const QString &name : now) {
            if (!seen.contains(name) && !name.startsWith(QStringLiteral("RIBOLANT.LCK"))) {
                ++interrupted;
                QString of;
                EXPECT_TRUE(IsTemporaryFileName(name, &of)) << name.toStdString();
                EXPECT_TRUE(of == QStringLiteral("RIBOLANT.INI") ||
                            of == QStringLiteral("RIBOLANT.TXT") ||
                            of == QStringLiteral("SITZUNG1.INI"))
                    << name.toStdString();
            }
        }
        seen = now;
    }
    // The kills hit the writer both between and in the middle of replacements.
    EXPECT_GT(advanced, 0);
    EXPECT_GT(interrupted, 0);
    EXPECT_GT(inMergedSave, 0);
    std::cout << "kills " << kKills << ", runs that wrote at least one version " << advanced
              << ", kills in the middle of a replacement " << interrupted
              << ", kills in a merged save " << inMergedSave << ", last version " << next - 1
              << ", one version takes " << versionMicros << " us\n";
    RecordProperty("kills", kKills);
    RecordProperty("interrupted", interrupted);
    RecordProperty("inMergedSave", inMergedSave);
}

namespace {

// The versions a file's phrases or formats carry, as KillDayPhrase/-Format name them.
QSet<int> DayVersions(const QStringList &texts) {
    QSet<int> versions;
    for (const QString &text : texts)
        versions.insert(KillVersionOf(text));
    return versions;
}

}  // namespace

TEST(CrashSafeWrites, KilledWindowKeepsThePhrasesAndFormatsItLastSaved) {
    TempDataFolder data;
    constexpr int kDayKills = 80;
    std::mt19937 random(2411);
    std::uniform_int_distribution<int> delayMs(0, 250);
    int confirmed = 0;  // the last version a writer reported saved
    int killedAfterASave = 0;
    for (int round = 0; round < kDayKills; ++round) {
        QProcess writer;
        writer.start(QStringLiteral(VELLUMO_KILL_WRITER),
                     {QStringLiteral("--day"), QString::number(confirmed + 1)});
        ASSERT_TRUE(writer.waitForStarted(30000));
        ASSERT_TRUE(writer.waitForReadyRead(30000)) << writer.readAllStandardError().constData();
        QThread::msleep(static_cast<unsigned long>(delayMs(random)));
        writer.kill();
        ASSERT_TRUE(writer.waitForFinished(30000));
        ASSERT_EQ(writer.exitStatus(), QProcess::CrashExit)
            << "the writer stopped by itself: " << writer.readAllStandardError().constData();
        for (const QByteArray &line : writer.readAllStandardOutput().split('\n')) {
            if (line.startsWith("saved "))
                confirmed = std::max(confirmed, line.mid(6).toInt());
        }
        if (confirmed == 0)
            continue;
        ++killedAfterASave;

        // What the last save wrote is there, and what it deleted stays
        // deleted: at most the one save after it may have landed unreported.
        const QSet<int> phrases = DayVersions(LoadPhraseFile(PhraseFilePath()));
        SettingsFile settings(SettingsFilePath());
        QStringList names;
        for (const auto &format : ReadStoredFormats(settings))
            names << format->Name.str();
        const QSet<int> formats = DayVersions(names);
        for (const QSet<int> &versions : {phrases, formats}) {
            ASSERT_TRUE(versions.contains(confirmed)) << "round " << round;
            for (const int v : versions) {
                ASSERT_GT(v, confirmed - KillDayKept) << "round " << round;
                ASSERT_LE(v, confirmed + 1) << "round " << round;
            }
        }
        ASSERT_TRUE(LoadPhraseFile(PhraseFilePath()).contains(KillDayPhrase(confirmed)));
    }
    EXPECT_GT(killedAfterASave, kDayKills / 2);
    std::cout << "day kills " << kDayKills << ", last version saved " << confirmed << "\n";
}
