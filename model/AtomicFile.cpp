#include "model/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace {

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

// Overwrites the file itself: for a folder that takes no new files.
bool writeInPlace(const QByteArray &name, const QByteArray &bytes, int *err) {
    const int fd = ::open(name.constData(), O_WRONLY);
    if (fd < 0) {
        *err = errno;
        return false;
    }
    bool ok = writeAll(fd, bytes.constData(), bytes.size()) && ::ftruncate(fd, bytes.size()) == 0 &&
              ::fsync(fd) == 0;
    *err = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        *err = errno;
    }
    return ok;
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

}  // namespace

bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *reason,
                         bool *inPlace) {
    if (inPlace)
        *inPlace = false;
    auto fail = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };

    // Follow a link so the file it names is replaced, not the link.
    QString target = path;
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString resolved = info.symLinkTarget();
        if (!resolved.isEmpty())
            target = resolved;
    }
    const QByteArray targetName = QFile::encodeName(target);

    mode_t mode = 0644;
    struct stat st {};
    const bool exists = ::stat(targetName.constData(), &st) == 0;
    if (exists) {
        if (!S_ISREG(st.st_mode))
            return fail(errnoText(EISDIR));
        // Root may write anywhere; a file nobody may write is still read-only.
        if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
            ::access(targetName.constData(), W_OK) != 0)
            return fail(errnoText(EACCES));
        mode = st.st_mode & 07777;
    } else if (errno != ENOENT) {
        return fail(errnoText(errno));
    }

    const QByteArray folder = QFile::encodeName(QFileInfo(target).absolutePath());
    if (exists && !folderTakesNewFiles(folder)) {
        int err = 0;
        if (!writeInPlace(targetName, bytes, &err))
            return fail(errnoText(err));
        if (inPlace)
            *inPlace = true;
        return true;
    }

    QByteArray tmpName = targetName + ".XXXXXX";
    const int fd = ::mkstemp(tmpName.data());
    if (fd < 0)
        return fail(errnoText(errno));

    // Owner and group before the mode, since a change of owner may clear
    // set-id bits. Not being allowed to give the file away is no error.
    if (exists) {
        if (::fchown(fd, st.st_uid, st.st_gid) != 0 && ::fchown(fd, uid_t(-1), st.st_gid) != 0) {
            // the new file keeps our own group
        }
    }
    bool ok = writeAll(fd, bytes.constData(), bytes.size()) && ::fchmod(fd, mode) == 0 &&
              ::fsync(fd) == 0;
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
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

bool FolderTakesNewFiles(const QString &folder) {
    return folderTakesNewFiles(QFile::encodeName(folder));
}

int RemoveLeftoverTemporaries(const QString &path) {
    const QFileInfo info(path);
    const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(info.fileName()) + QStringLiteral("\\.[A-Za-z0-9]{6}")));
    QDir folder = info.absoluteDir();
    int removed = 0;
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (pattern.match(name).hasMatch() && folder.remove(name))
            ++removed;
    }
    return removed;
}
