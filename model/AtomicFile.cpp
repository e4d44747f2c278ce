#include "model/AtomicFile.h"

#include <QFile>
#include <QFileInfo>

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

}  // namespace

bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *reason) {
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
    if (::stat(targetName.constData(), &st) == 0) {
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

    QByteArray tmpName = targetName + ".XXXXXX";
    const int fd = ::mkstemp(tmpName.data());
    if (fd < 0)
        return fail(errnoText(errno));

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
    const QByteArray folder = QFile::encodeName(QFileInfo(target).absolutePath());
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}
