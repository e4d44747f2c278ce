// The desktop ends the session (logout, shut-down): the program gets SIGTERM
// or SIGHUP and must save as "&Beenden" does before it ends.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QThread>

#include <csignal>

#include "model/DataFolder.h"
#include "model/DataSession.h"
#include "tests/support/TempDataFolder.h"

namespace {

// The real window on its own data folder, started and holding its session
// lock (SITZUNG1.LCK, whose path is returned) once it is made.
QString StartWindow(QProcess &program, const TempDataFolder &data) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), data.root());
    env.insert(QStringLiteral("HOME"), data.root());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(VELLUMO_APP), {});
    EXPECT_TRUE(program.waitForStarted(30000));
    const QString lock = data.filePath(QStringLiteral("SITZUNG1.LCK"));
    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(lock) && waited.elapsed() < 30000)
        QThread::msleep(20);
    return lock;
}

TEST(SessionEnd, TermAndHangUpSaveLikeBeenden) {
    for (const int signal : {SIGTERM, SIGHUP}) {
        TempDataFolder data;
        data.writeFile(QStringLiteral("RIBOLANT.INI"), "[Format]\r\nAnzahl=0\r\n");
        QProcess program;
        // The window holds its session's lock once it is made.
        const QString lock = StartWindow(program, data);
        ASSERT_TRUE(QFile::exists(lock));
        QThread::msleep(300);

        ASSERT_EQ(::kill(pid_t(program.processId()), signal), 0);
        ASSERT_TRUE(program.waitForFinished(30000)) << signal;
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << signal;
        EXPECT_EQ(program.exitCode(), 0) << signal;
        // The close wrote the printer into the settings and the phrase file,
        // and gave up its session as a normal end does.
        EXPECT_TRUE(data.readFile(QStringLiteral("RIBOLANT.INI")).contains("[Drucker]\r\nName="))
            << signal;
        EXPECT_TRUE(QFile::exists(data.filePath(QStringLiteral("RIBOLANT.TXT")))) << signal;
        EXPECT_FALSE(QFile::exists(lock)) << signal;
    }
}

TEST(SessionEnd, FilesThatCannotBeSavedDoNotHoldUpTheEnd) {
    // Nobody is there to answer a message box at logout: the failures go to
    // stderr and the program ends.
    TempDataFolder data;
    // The close writes the printer's name into a file it may not write.
    data.writeFile(QStringLiteral("RIBOLANT.INI"), "[Format]\r\nAnzahl=0\r\n");
    ASSERT_TRUE(
        QFile::setPermissions(data.filePath(QStringLiteral("RIBOLANT.INI")), QFile::ReadOwner));
    QProcess program;
    ASSERT_TRUE(QFile::exists(StartWindow(program, data)));
    QThread::msleep(300);
    ASSERT_EQ(::kill(pid_t(program.processId()), SIGTERM), 0);
    ASSERT_TRUE(program.waitForFinished(30000)) << "the window waits for an answer";
    EXPECT_EQ(program.exitCode(), 0);
    const QByteArray errors = program.readAllStandardError();
    EXPECT_TRUE(errors.contains("RIBOLANT.INI")) << errors.constData();
}

TEST(SessionEnd, SessionOfAKilledWindowIsFreeAtTheNextStart) {
    TempDataFolder data;
    QProcess program;
    const QString lock = StartWindow(program, data);
    QElapsedTimer waited;
    waited.start();
    // Killed once the window has written who holds the lock.
    QLockFile probe(lock);
    qint64 pid = 0;
    QString host, app;
    while (!probe.getLockInfo(&pid, &host, &app) && waited.elapsed() < 30000)
        QThread::msleep(20);
    ASSERT_EQ(pid, program.processId());
    program.kill();
    ASSERT_TRUE(program.waitForFinished(30000));
    ASSERT_TRUE(QFile::exists(lock));  // nobody removed it

    // The next window takes the dead window's slot (and so its ribbons) and
    // does not take it for another running Vellumo.
    {
        const DataSession next(DataFolder());
        EXPECT_EQ(next.ribbonFilePath(), data.filePath(QStringLiteral("SITZUNG1.INI")));
        EXPECT_FALSE(next.othersRunning());
    }

    // Killed before it wrote who it is: an empty lock, free once it is old.
    data.writeFile(QStringLiteral("SITZUNG2.LCK"), QByteArray());
    QFile empty(data.filePath(QStringLiteral("SITZUNG2.LCK")));
    ASSERT_TRUE(empty.open(QIODevice::ReadWrite));
    ASSERT_TRUE(empty.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                                  QFileDevice::FileModificationTime));
    empty.close();
    const DataSession third(DataFolder());
    EXPECT_FALSE(third.othersRunning());
}

}  // namespace
