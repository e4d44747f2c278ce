#include "model/OrderInbox.h"

#include <QCoreApplication>
#include <QFile>
#include <QSet>
#include <QSysInfo>
#include <algorithm>
#include <chrono>
#include <limits>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "model/AtomicFile.h"

namespace {

const QString kClaimed = QStringLiteral("In Arbeit");
const QString kPrinted = QStringLiteral("Gedruckt");
const QString kTakenOver = QStringLiteral("Uebernommen");
const QString kFailed = QStringLiteral("Fehler");
const QString kHeartbeat = QStringLiteral(".lebt");
const QString kResultSuffix = QStringLiteral(".ergebnis.txt");
const QString kReasonSuffix = QStringLiteral(".fehler.txt");

// A result file is a few lines; anything larger in Gedruckt/ is no result of ours.
constexpr qint64 kMaxResultFileSize = 64 * 1024;
// A name taken that many times over is not worth another try.
constexpr int kMaxNameAttempts = 10000;

QString errnoText(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

QByteArray encoded(const QString &path) {
    return QFile::encodeName(path);
}

qint64 mtimeNsOf(const struct stat &st) {
    return qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

qint64 mtimeMsOf(const struct stat &st) {
    return qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
}

QString fileNameOf(const QString &path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// "bestellung.csv" -> "bestellung (2).csv"; the extension is the part after
// the last dot, unless that dot starts the name.
QString numberedName(const QString &name, int number) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString tag = QStringLiteral(" (%1)").arg(number);
    if (dot <= 0)
        return name + tag;
    return name.left(dot) + tag + name.mid(dot);
}

bool exists(const QByteArray &path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

// Renames without ever replacing a file: 0, or the errno (EEXIST when the
// target is taken). File systems without RENAME_NOREPLACE (some CIFS and NFS
// mounts) get a hard link and the removal of the old name, which is just as
// atomic; those without hard links get a look at the target before a plain
// rename. That last one leaves a gap of a few microseconds in which two
// workstations moving orders of the same name into the same folder could
// both find the name free; the second would then replace the first's file.
// A claim moves into a folder of the workstation's own, so it never races.
int renameNoReplace(const QByteArray &from, const QByteArray &to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    int err = errno;
    if (err != EINVAL && err != ENOSYS && err != EOPNOTSUPP)
        return err;

    if (::link(from.constData(), to.constData()) == 0) {
        if (::unlink(from.constData()) == 0)
            return 0;
        err = errno;
        // Another workstation moved the order meanwhile (or the old name is
        // stuck): while it has another name, ours goes again; when ours is
        // the only name left, the order is ours.
        struct stat st {};
        if (::lstat(to.constData(), &st) == 0 && st.st_nlink > 1) {
            ::unlink(to.constData());
            return err;
        }
        return 0;
    }
    err = errno;
    if (err != EPERM && err != EXDEV && err != ENOSYS && err != EOPNOTSUPP)
        return err;

    struct stat st {};
    if (::lstat(to.constData(), &st) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

bool makeFolder(const QString &path, int *err) {
    if (::mkdir(encoded(path).constData(), 0777) == 0 || errno == EEXIST) {
        struct stat st {};
        if (::stat(encoded(path).constData(), &st) == 0 && S_ISDIR(st.st_mode))
            return true;
        *err = ENOTDIR;
        return false;
    }
    *err = errno;
    return false;
}

// Sets the file's time to `now` (by the clock of whoever judges it), making
// it first when it is missing.
bool touch(const QString &path, const QDateTime &now, int *err) {
    const int fd =
        ::open(encoded(path).constData(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        *err = errno;
        return false;
    }
    const qint64 ms = now.toMSecsSinceEpoch();
    const timespec at{time_t(ms / 1000), long(ms % 1000) * 1000000};
    const timespec times[2] = {at, at};
    // A share may refuse times set by hand; its own clock does then.
    if (::futimens(fd, times) != 0 && ::futimens(fd, nullptr) != 0) {
        *err = errno;
        ::close(fd);
        return false;
    }
    ::close(fd);
    return true;
}

// The names in a folder (without "." and ".."); *err set when it cannot be read.
QStringList folderEntries(const QString &folder, bool wantFolders, int *err = nullptr) {
    QStringList names;
    DIR *dir = ::opendir(encoded(folder).constData());
    if (!dir) {
        if (err)
            *err = errno;
        return names;
    }
    const int fd = ::dirfd(dir);
    while (const dirent *entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat st {};
            isFolder =
                ::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
        }
        if (isFolder == wantFolders)
            names << QFile::decodeName(entry->d_name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

QString isoWithOffset(const QDateTime &time) {
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
           QString::asprintf("%c%02d:%02d", offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
}

// A value stays on its line.
QString oneLine(QString value) {
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

QString line(const char *key, const QString &value) {
    return QLatin1String(key) + QLatin1Char('=') + oneLine(value) + QLatin1Char('\n');
}

bool processGone(const QString &station) {
    QString host = QSysInfo::machineHostName();
    if (host.isEmpty())
        host = QStringLiteral("localhost");
    if (!station.startsWith(host + QLatin1Char('-')))
        return false;
    const QString digits = station.mid(host.size() + 1);
    bool ok = false;
    const qint64 pid = digits.toLongLong(&ok);
    if (!ok || pid <= 0 || pid > std::numeric_limits<pid_t>::max() ||
        digits != QString::number(pid))
        return false;
    return ::kill(pid_t(pid), 0) == -1 && errno == ESRCH;
}

}  // namespace

OrderInbox::Clock OrderInbox::SystemClock() {
    return Clock{[] {
                     return qint64(std::chrono::duration_cast<std::chrono::milliseconds>(
                                       std::chrono::steady_clock::now().time_since_epoch())
                                       .count());
                 },
                 [] { return QDateTime::currentDateTime(); }};
}

QString OrderInbox::ThisStation() {
    QString host = QSysInfo::machineHostName();
    if (host.isEmpty())
        host = QStringLiteral("localhost");
    return host + QLatin1Char('-') + QString::number(QCoreApplication::applicationPid());
}

OrderInbox::OrderInbox(const QString &folder, const QString &station, Clock clock)
    : folder_(folder), station_(station), clock_(std::move(clock)) {
    while (folder_.size() > 1 && folder_.endsWith(QLatin1Char('/')))
        folder_.chop(1);
}

bool OrderInbox::IsOrderName(const QString &name) {
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.startsWith(QLatin1Char('.')) ||
        name.startsWith(QLatin1Char('~')))
        return false;
    static const QString kNotYet[] = {QStringLiteral(".tmp"), QStringLiteral(".part"),
                                      QStringLiteral(".crdownload"), kResultSuffix, kReasonSuffix};
    for (const QString &suffix : kNotYet) {
        if (name.endsWith(suffix, Qt::CaseInsensitive))
            return false;
    }
    return true;
}

QString OrderInbox::stationFolder() const {
    return folder_ + QLatin1Char('/') + kClaimed + QLatin1Char('/') + station_;
}

bool OrderInbox::prepare(QString *error) {
    const QByteArray path = encoded(folder_);
    struct stat st {};
    auto refuse = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (::stat(path.constData(), &st) != 0) {
        if (errno == ENOENT)
            return refuse(QStringLiteral("Auftragsordner „%1“ fehlt").arg(folder_));
        return refuse(QStringLiteral("Auftragsordner „%1“: %2").arg(folder_, errnoText(errno)));
    }
    if (!S_ISDIR(st.st_mode))
        return refuse(QStringLiteral("Auftragsordner „%1“ ist kein Ordner").arg(folder_));
    if (::access(path.constData(), R_OK | X_OK) != 0)
        return refuse(QStringLiteral("Auftragsordner „%1“ ist nicht lesbar").arg(folder_));
    const QString readOnly =
        QStringLiteral("Auftragsordner „%1“ ist schreibgeschützt: Aufträge werden nur angezeigt")
            .arg(folder_);
    if (!FolderTakesNewFiles(folder_))
        return refuse(readOnly);

    int err = 0;
    for (const QString &sub :
         {kClaimed, kClaimed + QLatin1Char('/') + station_, kPrinted, kTakenOver, kFailed}) {
        if (!makeFolder(folder_ + QLatin1Char('/') + sub, &err)) {
            if (err == EACCES || err == EPERM || err == EROFS)
                return refuse(readOnly);
            return refuse(
                QStringLiteral("Auftragsordner „%1“: „%2“: %3").arg(folder_, sub, errnoText(err)));
        }
    }
    if (!touch(stationFolder() + QLatin1Char('/') + kHeartbeat, clock_.now(), &err))
        return refuse(QStringLiteral("Auftragsordner „%1“: „%2“: %3")
                          .arg(folder_, kHeartbeat, errnoText(err)));
    return true;
}

bool OrderInbox::observe(const QString &name, qint64 size, qint64 mtimeNs, qint64 nowMs) {
    const qint64 steady = clock_.steadyMs();
    auto it = seen_.find(name);
    if (it == seen_.end()) {
        // A share's clock may run ahead: a time in the future proves nothing.
        const bool old = nowMs - mtimeNs / 1000000 >= CompleteAfterMs;
        seen_.insert(name, Seen{size, mtimeNs, steady, old});
        return old;
    }
    if (it->size != size || it->mtimeNs != mtimeNs) {
        *it = Seen{size, mtimeNs, steady, false};
        return false;
    }
    if (!it->complete && steady - it->sinceMs >= CompleteAfterMs)
        it->complete = true;
    return it->complete;
}

std::vector<InboxFile> OrderInbox::scan() {
    std::vector<InboxFile> files;
    DIR *dir = ::opendir(encoded(folder_).constData());
    if (!dir) {
        seen_.clear();
        return files;
    }
    const int fd = ::dirfd(dir);
    const qint64 nowMs = clock_.now().toMSecsSinceEpoch();
    QSet<QString> present;
    while (const dirent *entry = ::readdir(dir)) {
        // Folders, links and devices are no orders (d_type spares a look at each).
        if (entry->d_type != DT_REG && entry->d_type != DT_UNKNOWN)
            continue;
        const QString name = QFile::decodeName(entry->d_name);
        if (!IsOrderName(name))
            continue;
        struct stat st {};
        if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
            continue;
        present.insert(name);
        InboxFile file;
        file.name = name;
        file.size = st.st_size;
        file.modified = QDateTime::fromMSecsSinceEpoch(mtimeMsOf(st));
        file.complete = observe(name, st.st_size, mtimeNsOf(st), nowMs);
        files.push_back(std::move(file));
    }
    ::closedir(dir);
    for (auto it = seen_.begin(); it != seen_.end();) {
        if (present.contains(it.key()))
            ++it;
        else
            it = seen_.erase(it);
    }
    std::sort(files.begin(), files.end(),
              [](const InboxFile &a, const InboxFile &b) { return a.name < b.name; });
    return files;
}

bool OrderInbox::moveTo(const QString &from, const QString &into, const QString &name,
                        const QString &companion, QString *to, QString *error) {
    const QString folder = into.isEmpty() ? folder_ : folder_ + QLatin1Char('/') + into;
    const QByteArray source = encoded(from);
    // Orders are plain files; anything else given here is a caller's mistake
    // and stays where it is.
    struct stat st {};
    if (::lstat(source.constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
        if (error)
            *error = QStringLiteral("„%1“ ist kein Auftrag").arg(name);
        return false;
    }
    int err = 0;
    // A folder that goes between its making and the move (a claim folder
    // returned as stale) is made once more.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!into.isEmpty()) {
            bool made = true;
            for (qsizetype slash = into.indexOf(QLatin1Char('/')); made && slash > 0;
                 slash = into.indexOf(QLatin1Char('/'), slash + 1))
                made = makeFolder(folder_ + QLatin1Char('/') + into.left(slash), &err);
            if (!made || !makeFolder(folder, &err))
                break;
        }
        for (int number = 1; number <= kMaxNameAttempts; ++number) {
            const QString candidate = number == 1 ? name : numberedName(name, number);
            const QString target = folder + QLatin1Char('/') + candidate;
            if (!companion.isEmpty() && exists(encoded(target + companion)))
                continue;
            err = renameNoReplace(source, encoded(target));
            if (err == 0) {
                *to = target;
                return true;
            }
            if (err != EEXIST && err != ENOTEMPTY)
                break;
        }
        if (err != ENOENT || !exists(source))
            break;
    }
    if (error) {
        if (err == ENOENT && !exists(source))
            *error = QStringLiteral("„%1“ ist schon vergeben").arg(name);
        else if (into.isEmpty())
            *error = QStringLiteral("„%1“ lässt sich nicht in den Auftragsordner zurücklegen: %2")
                         .arg(name, errnoText(err));
        else
            *error = QStringLiteral("„%1“ lässt sich nicht nach „%2“ verschieben: %3")
                         .arg(name, into, errnoText(err));
    }
    return false;
}

bool OrderInbox::writeNote(const QString &orderPath, const QString &suffix, const QString &text,
                           const QString &where, QString *error) {
    const QString path = orderPath + suffix;
    QString reason;
    if (WriteFileAtomically(path, text.toUtf8(), &reason, nullptr, FileLinks::ReplaceLink))
        return true;
    if (error)
        *error = QStringLiteral("„%1“ liegt in „%2“, aber „%3“ lässt sich nicht schreiben: %4")
                     .arg(fileNameOf(orderPath), where, fileNameOf(path), reason);
    return false;
}

std::optional<OrderClaim> OrderInbox::claim(const QString &name, QString *error) {
    return claimAs(name, nullptr, error);
}

std::optional<OrderClaim> OrderInbox::claim(const InboxFile &listed, QString *error) {
    return claimAs(listed.name, &listed, error);
}

std::optional<OrderClaim> OrderInbox::claimAs(const QString &name, const InboxFile *listed,
                                              QString *error) {
    auto refuse = [&](const QString &why) -> std::optional<OrderClaim> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (!IsOrderName(name))
        return refuse(QStringLiteral("„%1“ ist kein Auftrag").arg(name));
    const QString from = folder_ + QLatin1Char('/') + name;
    struct stat st {};
    if (::lstat(encoded(from).constData(), &st) != 0) {
        if (errno == ENOENT)
            return refuse(QStringLiteral("„%1“ ist schon vergeben").arg(name));
        return refuse(QStringLiteral("„%1“: %2").arg(name, errnoText(errno)));
    }
    if (!S_ISREG(st.st_mode))
        return refuse(QStringLiteral("„%1“ ist kein Auftrag").arg(name));
    const bool complete =
        listed ? listed->complete && listed->size == st.st_size &&
                     listed->modified.toMSecsSinceEpoch() == mtimeMsOf(st)
               : observe(name, st.st_size, mtimeNsOf(st), clock_.now().toMSecsSinceEpoch());
    if (!complete)
        return refuse(QStringLiteral("„%1“ wird noch geschrieben").arg(name));

    // Our folder may have gone (returned as stale after a long pause): the
    // move makes it again, and it gets a fresh heartbeat.
    const bool hadFolder = exists(encoded(stationFolder()));
    QString to;
    if (!moveTo(from, kClaimed + QLatin1Char('/') + station_, name, QString(), &to, error))
        return std::nullopt;
    if (!hadFolder)
        heartbeat();
    seen_.remove(name);
    return OrderClaim{name, to};
}

bool OrderInbox::release(const OrderClaim &claim, QString *error) {
    QString to;
    return moveTo(claim.path, QString(), claim.name, QString(), &to, error);
}

bool OrderInbox::finish(const OrderClaim &claim, const OrderPrintResult &result, QString *error) {
    QString to;
    if (!moveTo(claim.path, kPrinted, claim.name, kResultSuffix, &to, error))
        return false;
    QStringList orders;
    for (const QString &order : result.orders)
        orders << order.trimmed();
    const QString text =
        line("Zeit", isoWithOffset(result.time.isValid() ? result.time : clock_.now())) +
        line("Arbeitsplatz", station_) + line("Drucker", result.printer) +
        line("Seiten", QString::number(result.pages)) +
        line("Schleifen", QString::number(result.ribbons)) +
        line("Auftraege", orders.join(QStringLiteral(", "))) +
        (result.unknownWords.isEmpty()
             ? QString()
             : line("Unbekannte Woerter", result.unknownWords.join(QStringLiteral(", "))));
    return writeNote(to, kResultSuffix, text, kPrinted, error);
}

bool OrderInbox::takenOver(const OrderClaim &claim, QString *error) {
    QString to;
    if (!moveTo(claim.path, kTakenOver, claim.name, kResultSuffix, &to, error))
        return false;
    const QString text = line("Zeit", isoWithOffset(clock_.now())) + line("Arbeitsplatz", station_);
    return writeNote(to, kResultSuffix, text, kTakenOver, error);
}

bool OrderInbox::fail(const QString &path, const QString &reason, QString *error) {
    const bool bareName = !path.contains(QLatin1Char('/'));
    const QString from = bareName ? folder_ + QLatin1Char('/') + path : path;
    const QString name = fileNameOf(from);
    QString to;
    if (!moveTo(from, kFailed, name, kReasonSuffix, &to, error))
        return false;
    if (bareName)
        seen_.remove(name);
    const QString text = line("Zeit", isoWithOffset(clock_.now())) +
                         line("Arbeitsplatz", station_) + line("Grund", reason);
    return writeNote(to, kReasonSuffix, text, kFailed, error);
}

void OrderInbox::heartbeat() {
    int err = 0;
    const QString claimed = folder_ + QLatin1Char('/') + kClaimed;
    if (!exists(encoded(claimed)))
        return;  // not prepared, or no inbox at all
    if (makeFolder(stationFolder(), &err))
        touch(stationFolder() + QLatin1Char('/') + kHeartbeat, clock_.now(), &err);
}

void OrderInbox::leave() {
    const QString folder = stationFolder();
    // Claims still here (none, after a clean end) keep the heartbeat, so that
    // they go back into the inbox by the usual rule.
    if (folderEntries(folder, false) != QStringList{kHeartbeat})
        return;
    ::unlink(encoded(folder + QLatin1Char('/') + kHeartbeat).constData());
    ::rmdir(encoded(folder).constData());
}

QStringList OrderInbox::returnStaleClaims(qint64 timeoutMs) {
    QStringList returned;
    const QString claimed = folder_ + QLatin1Char('/') + kClaimed;
    const qint64 nowMs = clock_.now().toMSecsSinceEpoch();
    for (const QString &station : folderEntries(claimed, true)) {
        if (station == station_)
            continue;
        const QString folder = claimed + QLatin1Char('/') + station;
        const QString heartbeat = folder + QLatin1Char('/') + kHeartbeat;
        struct stat st {};
        bool stale = false;
        if (::lstat(encoded(heartbeat).constData(), &st) == 0)
            stale = nowMs - mtimeMsOf(st) > timeoutMs;
        else if (errno == ENOENT && ::lstat(encoded(folder).constData(), &st) == 0)
            stale = nowMs - mtimeMsOf(st) > timeoutMs;
        if (!stale && !processGone(station))
            continue;

        bool emptied = true;
        for (const QString &name : folderEntries(folder, false)) {
            if (name == kHeartbeat)
                continue;
            QString to;
            // Another workstation returning the same claims just now has
            // the file already; that is no fault.
            if (moveTo(folder + QLatin1Char('/') + name, QString(), name, QString(), &to, nullptr))
                returned << fileNameOf(to);
            else if (exists(encoded(folder + QLatin1Char('/') + name)))
                emptied = false;
        }
        // Only our own heartbeat file and the empty folder ever go.
        if (emptied && folderEntries(folder, false) == QStringList{kHeartbeat})
            ::unlink(encoded(heartbeat).constData());
        ::rmdir(encoded(folder).constData());
    }
    return returned;
}

QHash<QString, QString> OrderInbox::printedOrders() const {
    QHash<QString, QString> printed;
    const QString folder = folder_ + QLatin1Char('/') + kPrinted;
    for (const QString &name : folderEntries(folder, false)) {
        if (!name.endsWith(kResultSuffix, Qt::CaseInsensitive) || name.startsWith(QLatin1Char('.')))
            continue;
        QFile file(folder + QLatin1Char('/') + name);
        if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxResultFileSize)
            continue;
        QString text = QString::fromUtf8(file.readAll());
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        for (QStringView row : QStringView(text).split(QLatin1Char('\n'))) {
            row = row.trimmed();
            if (!row.startsWith(u"Auftraege="))
                continue;
            for (QStringView number : row.mid(10).split(QLatin1Char(','))) {
                number = number.trimmed();
                if (!number.isEmpty() && !printed.contains(number.toString()))
                    printed.insert(number.toString(), name);
            }
        }
    }
    return printed;
}
