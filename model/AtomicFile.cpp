#include "model/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace {

const QString kTemporaryMarker = QStringLiteral(".vellumo-tmp-");

QString errnoText(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

bool writeAll(int fd, const char *data, qsizetype size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// The old contents, for putting back what a failed overwrite changed; empty
// (with *ok false) when the file cannot be read.
QByteArray readAll(int fd, off_t size, bool *ok) {
    QByteArray old(qsizetype(size), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < old.size()) {
        const ssize_t n = ::pread(fd, old.data() + done, size_t(old.size() - done), off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *ok = false;
            return QByteArray();
        }
        done += n;
    }
    *ok = true;
    return old;
}

// Overwrites the file itself: for a folder that takes no new files. The room
// for the new contents is reserved first, so that a full disk refuses the
// write while the old bytes are all there; should writing fail all the same
// (a file system that cannot reserve), the old bytes are put back.
bool writeInPlace(const QByteArray &name, const QByteArray &bytes, int *err) {
    int fd = ::open(name.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 && errno == EACCES)
        fd = ::open(name.constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        *err = errno;
        return false;
    }
    auto failed = [fd, err](int why) {
        *err = why;
        ::close(fd);
        return false;
    };
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return failed(errno);
    if (!S_ISREG(st.st_mode))
        return failed(EISDIR);
    bool haveOld = false;
    const QByteArray old = readAll(fd, st.st_size, &haveOld);

    if (bytes.size() > 0) {
        int reserved = 0;
        do
            reserved = ::posix_fallocate(fd, 0, off_t(bytes.size()));
        while (reserved == EINTR);
        // A file system that has no way to reserve is written without.
        if (reserved != 0 && reserved != EINVAL && reserved != EOPNOTSUPP && reserved != ENOSYS) {
            // A reservation cut short may have made the file longer.
            if (::ftruncate(fd, st.st_size) != 0) {
                // the old bytes are there; only zeros may follow them
            }
            return failed(reserved);
        }
    }

    if (::lseek(fd, 0, SEEK_SET) != 0)
        return failed(errno);
    if (!writeAll(fd, bytes.constData(), bytes.size()) || ::ftruncate(fd, bytes.size()) != 0) {
        const int why = errno;
        if (haveOld && ::lseek(fd, 0, SEEK_SET) == 0 && writeAll(fd, old.constData(), old.size()) &&
            ::ftruncate(fd, st.st_size) == 0)
            ::fsync(fd);
        return failed(why);
    }
    if (::fsync(fd) != 0)
        return failed(errno);
    if (::close(fd) != 0) {
        *err = errno;
        return false;
    }
    return true;
}

// Like the file's own rule: a folder nobody may write takes no new file, even
// from root.
bool folderTakesNewFiles(const QByteArray &folder) {
    struct stat st {};
    if (::stat(folder.constData(), &st) != 0)
        return true;  // let the attempt report the reason
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 &&
           ::access(folder.constData(), W_OK) == 0;
}

// A new temporary file beside `target`, made with the mode the umask leaves of
// 0666 (and any default ACL of the folder), as any new file of ours.
int createTemporary(const QString &target, QByteArray *name) {
    static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    const QFileInfo info(target);
    const QString stem =
        info.absolutePath() + QStringLiteral("/.") + info.fileName() + kTemporaryMarker;
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString random;
        for (int i = 0; i < 6; ++i)
            random += QLatin1Char(kChars[QRandomGenerator::global()->bounded(62)]);
        *name = QFile::encodeName(stem + random);
        const int fd =
            ::open(name->constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

}  // namespace

bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *reason,
                         bool *inPlace, FileLinks links) {
    if (inPlace)
        *inPlace = false;
    auto fail = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };

    QString target = path;
    struct stat linkSt {};
    const bool isLink =
        ::lstat(QFile::encodeName(path).constData(), &linkSt) == 0 && S_ISLNK(linkSt.st_mode);
    // A link the program itself would never make is replaced, not followed.
    const bool replaceLink = isLink && links == FileLinks::ReplaceLink;
    if (isLink && !replaceLink) {
        // Follow it so the file it names is replaced, not the link.
        const QFileInfo info(path);
        QString resolved = info.canonicalFilePath();
        if (resolved.isEmpty())
            resolved = info.symLinkTarget();  // names a file still to be made
        if (!resolved.isEmpty())
            target = resolved;
    }
    const QByteArray targetName = QFile::encodeName(target);
    const QByteArray folder = QFile::encodeName(QFileInfo(target).absolutePath());

    struct stat st {};
    bool exists = false;
    if (!replaceLink) {
        exists = ::stat(targetName.constData(), &st) == 0;
        if (exists) {
            if (!S_ISREG(st.st_mode))
                return fail(errnoText(EISDIR));
            // Root may write anywhere; a file nobody may write is still read-only.
            if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
                ::access(targetName.constData(), W_OK) != 0)
                return fail(errnoText(EACCES));
            // Someone else's file is not ours to replace through a link, which
            // anyone who may write the folder can have put there.
            if (isLink && st.st_uid != ::geteuid())
                return fail(QStringLiteral("\"%1\" ist eine Verkn\u00FCpfung auf \"%2\", die einem "
                                           "anderen Benutzer geh\u00F6rt; sie wird nicht "
                                           "\u00FCberschrieben.")
                                .arg(path, target));
        } else if (errno != ENOENT) {
            return fail(errnoText(errno));
        }
    }

    if (!folderTakesNewFiles(folder)) {
        if (replaceLink)
            return fail(QStringLiteral("\"%1\" ist eine Verkn\u00FCpfung, der Vellumo nicht folgt, "
                                       "und der Ordner nimmt keine neue Datei an.")
                            .arg(path));
        if (exists) {
            int err = 0;
            if (!writeInPlace(targetName, bytes, &err))
                return fail(errnoText(err));
            if (inPlace)
                *inPlace = true;
            return true;
        }
    }

    QByteArray tmpName;
    const int fd = createTemporary(target, &tmpName);
    if (fd < 0)
        return fail(errnoText(errno));

    // Owner and group before the mode, since a change of owner may clear
    // set-id bits. Not being allowed to give the file away is no error.
    bool ok = true;
    if (exists) {
        if (::fchown(fd, st.st_uid, st.st_gid) != 0 && ::fchown(fd, uid_t(-1), st.st_gid) != 0) {
            // the new file keeps our own group
        }
        ok = ::fchmod(fd, st.st_mode & 07777) == 0;
    }
    ok = ok && writeAll(fd, bytes.constData(), bytes.size()) && ::fsync(fd) == 0;
    int err = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && ::rename(tmpName.constData(), targetName.constData()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(tmpName.constData());
        return fail(errnoText(err));
    }

    // Make the rename itself durable.
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

QString NewFileProblem(const QString &path, qsizetype size) {
    QByteArray name;
    const int fd = createTemporary(path, &name);
    if (fd < 0)
        return errnoText(errno);
    const QByteArray bytes(size, '\n');
    int err = 0;
    if (!writeAll(fd, bytes.constData(), bytes.size()) || ::fsync(fd) != 0)
        err = errno;
    if (::close(fd) != 0 && err == 0)
        err = errno;
    ::unlink(name.constData());
    return err == 0 ? QString() : errnoText(err);
}

bool FolderTakesNewFiles(const QString &folder) {
    return folderTakesNewFiles(QFile::encodeName(folder));
}

bool IsTemporaryFileName(const QString &fileName, QString *of) {
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QStringLiteral("\\.(.+)") + QRegularExpression::escape(kTemporaryMarker) +
        QStringLiteral("[A-Za-z0-9]{6}")));
    const QRegularExpressionMatch match = pattern.match(fileName);
    if (match.hasMatch() && of)
        *of = match.captured(1);
    return match.hasMatch();
}

int RemoveLeftoverTemporaries(const QString &path) {
    const QFileInfo info(path);
    QDir folder = info.absoluteDir();
    int removed = 0;
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        QString of;
        if (IsTemporaryFileName(name, &of) && of == info.fileName() && folder.remove(name))
            ++removed;
    }
    return removed;
}

int RemoveTemporariesOlderThan(const QString &folderPath, const QDateTime &before) {
    QDir folder(folderPath);
    int removed = 0;
    const QFileInfoList entries = folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo &entry : entries) {
        if (!IsTemporaryFileName(entry.fileName()))
            continue;
        if (before.isValid() && !(entry.lastModified() < before))
            continue;
        if (folder.remove(entry.fileName()))
            ++removed;
    }
    return removed;
}
