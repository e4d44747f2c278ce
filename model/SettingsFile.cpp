#include "model/SettingsFile.h"

#include <QFile>

#include <sys/stat.h>

#include "model/AtomicFile.h"
#include "model/FileError.h"

namespace {

SettingsFile *g_current = nullptr;

struct FileStamp {
    bool exists = false;
    qint64 size = 0, mtimeNs = 0, ctimeNs = 0, inode = 0;
    bool operator==(const FileStamp &) const = default;
};

FileStamp stampOf(const QString &path) {
    FileStamp s;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0) {
        s.exists = true;
        s.size = st.st_size;
        s.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        s.ctimeNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
        s.inode = qint64(st.st_ino);
    }
    return s;
}

}  // namespace

struct SettingsFile::Cache {
    FileStamp stamp;
    bool valid = false;
};

SettingsFile::SettingsFile(QString path) : path_(std::move(path)), cacheState_(new Cache) {}

SettingsFile::~SettingsFile() = default;

SettingsFile *SettingsFile::current() {
    return g_current;
}

void SettingsFile::setCurrent(SettingsFile *file) {
    g_current = file;
}

const ProfileFile &SettingsFile::loaded() const {
    if (pending_)
        return *pending_;
    const FileStamp stamp = stampOf(path_);
    if (!cacheState_->valid || !(cacheState_->stamp == stamp)) {
        QByteArray bytes;
        if (stamp.exists) {
            QFile f(path_);
            if (f.open(QIODevice::ReadOnly))
                bytes = f.readAll();
        }
        cache_.parse(bytes);
        cacheState_->stamp = stamp;
        cacheState_->valid = true;
    }
    return cache_;
}

QString SettingsFile::readString(const QString &section, const QString &key,
                                 const QString &defaultValue) const {
    QString v;
    return loaded().value(section, key, &v) ? v : defaultValue;
}

std::int32_t SettingsFile::readInteger(const QString &section, const QString &key,
                                       std::int32_t defaultValue) const {
    QString text;
    if (!loaded().value(section, key, &text))
        return defaultValue;
    std::int32_t v;
    return ParseProfileInteger(text, &v) ? v : defaultValue;
}

QStringList SettingsFile::sectionNames() const {
    return loaded().sectionNames();
}

bool SettingsFile::readBool(const QString &section, const QString &key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void SettingsFile::writeString(const QString &section, const QString &key, const QString &value,
                               qsizetype approximationLimit) {
    // A batch gathers its writes in place: copying the whole file for every
    // key made writing thousands of stored formats take quadratic time.
    // setValue changes nothing when it refuses.
    if (pending_) {
        if (!pending_->setValue(section, key, value, approximationLimit))
            throw FileWriteError(writeErrorText());
        return;
    }
    ProfileFile changed = loaded();
    if (!changed.setValue(section, key, value, approximationLimit))
        throw FileWriteError(writeErrorText());
    store(changed);
}

void SettingsFile::removeSections(const QStringList &sections) {
    if (pending_) {
        pending_->removeSections(sections);
        return;
    }
    ProfileFile changed = loaded();
    if (changed.removeSections(sections))
        store(changed);
}

void SettingsFile::store(const ProfileFile &contents) {
    const QByteArray bytes = contents.toBytes();
    // Nothing changed: the file is not touched (no time stamp, no window for a
    // crash, and a file we may not write is no error then).
    QFile old(path_);
    if (old.open(QIODevice::ReadOnly) && old.size() == bytes.size() && old.readAll() == bytes) {
        lastWriteInPlace_ = false;
        cache_ = contents;
        cacheState_->stamp = stampOf(path_);
        cacheState_->valid = true;
        return;
    }
    old.close();
    if (!WriteFileAtomically(path_, bytes, nullptr, &lastWriteInPlace_))
        throw FileWriteError(writeErrorText());
    cache_ = contents;
    cacheState_->stamp = stampOf(path_);
    cacheState_->valid = true;
}

QString SettingsFile::writeErrorText() const {
    return QStringLiteral("In %1 kann nicht geschrieben werden").arg(path_);
}

void SettingsFile::writeInteger(const QString &section, const QString &key, std::int32_t value) {
    writeString(section, key, QString::number(value));
}

void SettingsFile::writeBool(const QString &section, const QString &key, bool value) {
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void SettingsFile::writeColour(const QString &section, const QString &key, std::uint32_t value) {
    writeString(
        section, key,
        QLatin1Char('$') + QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0')).toUpper());
}

SettingsFile::Batch::Batch(SettingsFile &file) : file_(file) {
    if (!file_.pending_) {
        file_.pending_ = std::make_unique<ProfileFile>(file_.loaded());
        owner_ = true;
    }
}

SettingsFile::Batch::~Batch() {
    if (owner_)
        file_.pending_.reset();
}

void SettingsFile::Batch::commit() {
    if (!owner_ || !file_.pending_)
        return;
    std::unique_ptr<ProfileFile> contents = std::move(file_.pending_);
    owner_ = false;
    file_.store(*contents);
}

QString SettingString(const QString &section, const QString &key, const QString &defaultValue) {
    const SettingsFile *file = SettingsFile::current();
    return file ? file->readString(section, key, defaultValue) : defaultValue;
}

std::int32_t SettingInteger(const QString &section, const QString &key, std::int32_t defaultValue) {
    const SettingsFile *file = SettingsFile::current();
    return file ? file->readInteger(section, key, defaultValue) : defaultValue;
}
