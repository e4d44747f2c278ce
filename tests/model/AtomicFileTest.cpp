// Writes of the data folder's files under what a shared folder, a full disk
// and a strict umask do to them.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>
#include <memory>

#include "model/AtomicFile.h"
#include "model/DataFolder.h"
#include "model/DataSession.h"
#include "model/Job.h"
#include "model/PhraseFile.h"
#include "model/RibbonFile.h"
#include "model/SettingsFile.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempDataFolder.h"

namespace {

QByteArray ReadAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// The data folder (0755 again at the end) taking no new files.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString &folder) : name_(QFile::encodeName(folder)) {
        ::chmod(name_.constData(), 0555);
    }
    ~ReadOnlyFolder() { ::chmod(name_.constData(), 0755); }

private:
    QByteArray name_;
};

TEST(AtomicFileTest, LinksArePlantedOrChosen) {
    TempDataFolder data;
    QTemporaryDir elsewhere;
    const QString victim = elsewhere.filePath(QStringLiteral("fremd.txt"));
    const QByteArray victimBytes = "nicht anfassen\r\n";
    struct Case {
        const char *what;
        const char *file;
        FileLinks links;
        bool folderTakesNewFiles;
        bool victimOfAnotherUser;
        bool written;        // the call succeeds
        bool victimChanged;  // the link's target got the bytes
    };
    const Case cases[] = {
        {"session file: the link is replaced", "SITZUNG1.INI", FileLinks::ReplaceLink, true, false,
         true, false},
        {"session file in a folder that takes no new file", "SITZUNG1.INI", FileLinks::ReplaceLink,
         false, false, false, false},
        {"settings linked on purpose", "RIBOLANT.INI", FileLinks::Follow, true, false, true, true},
        {"settings linked to another user's file", "RIBOLANT.INI", FileLinks::Follow, true, true,
         false, false},
    };
    for (const Case &c : cases) {
        if (c.victimOfAnotherUser && ::geteuid() != 0) {
            std::cout << "skipped without root: " << c.what << "\n";
            continue;
        }
        const QString path = data.filePath(QString::fromLatin1(c.file));
        QFile::remove(path);
        WriteAll(victim, victimBytes);
        const QByteArray victimName = QFile::encodeName(victim);
        ::chown(victimName.constData(), c.victimOfAnotherUser ? 4242 : ::geteuid(), uid_t(-1));
        ASSERT_TRUE(QFile::link(victim, path)) << c.what;

        QString reason;
        bool written = false;
        {
            const auto folder = c.folderTakesNewFiles
                                    ? nullptr
                                    : std::make_unique<ReadOnlyFolder>(data.appFolder());
            written = WriteFileAtomically(path, "neu\r\n", &reason, nullptr, c.links);
        }
        EXPECT_EQ(written, c.written) << c.what << ": " << reason.toStdString();
        EXPECT_EQ(ReadAll(victim), c.victimChanged ? QByteArray("neu\r\n") : victimBytes) << c.what;
        if (c.written) {
            EXPECT_EQ(ReadAll(path), QByteArray("neu\r\n")) << c.what;
            EXPECT_EQ(QFileInfo(path).isSymLink(), c.links == FileLinks::Follow) << c.what;
        } else {
            EXPECT_TRUE(reason.contains(QStringLiteral("Verkn\u00FCpfung")))
                << reason.toStdString();
        }
    }
}

TEST(AtomicFileTest, FullDiskKeepsTheOldFileAndSaysWhyNoSessionIsKept) {
    TempDataFolder data;
    // In place (the folder takes no new files): the old bytes stay whole.
    const QString ini = SettingsFilePath();
    QByteArray old;
    for (int i = 0; i < 300; ++i)
        old += "Zeile" + QByteArray::number(i) + "=alt\r\n";
    WriteAll(ini, old);
    const QByteArray longer = old.repeated(4);
    QString reason;
    bool written = true, inPlace = false;
    {
        const ReadOnlyFolder folder(data.appFolder());
        const FileSizeLimit limit(rlim_t(old.size()) + 1000);
        written = WriteFileAtomically(ini, longer, &reason, &inPlace);
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(reason, QString::fromLocal8Bit(std::strerror(EFBIG)));
    EXPECT_TRUE(ReadAll(ini) == old) << ReadAll(ini).size() << " bytes";

    // At start no session can be had, and the window is told why.
    QString failure;
    bool claimed = true;
    {
        const FileSizeLimit limit(0);
        const DataSession session(DataFolder());
        claimed = session.claimed();
        failure = session.failure();
    }
    EXPECT_FALSE(claimed);
    EXPECT_EQ(failure, QStringLiteral("SITZUNG1.LCK kann nicht angelegt werden (%1)")
                           .arg(QString::fromLocal8Bit(std::strerror(EFBIG))));
}

TEST(AtomicFileTest, NewFilesFollowTheUmask) {
    TempDataFolder data;
    const mode_t oldMask = ::umask(077);
    SettingsFile settings(SettingsFilePath());
    settings.writeString(QStringLiteral("Drucker"), QStringLiteral("Name"), QStringLiteral("PDF"));
    SavePhraseFile(PhraseFilePath(), {QStringLiteral("In Liebe")});
    TJob ribbon;
    ribbon.TextLeft.set({QStringLiteral("Ruhe sanft")});
    QString reason;
    const QString session = DataFolder() + QStringLiteral("SITZUNG1.INI");
    SaveRibbonFile(session, {&ribbon}, &reason, FileLinks::ReplaceLink);
    ::umask(oldMask);
    for (const QString &path : {SettingsFilePath(), PhraseFilePath(), session}) {
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
        EXPECT_EQ(st.st_mode & 0777, 0600u) << path.toStdString();
    }
}

}  // namespace
