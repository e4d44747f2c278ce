#include "render/ThumbnailCache.h"

#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "model/AtomicFile.h"
#include "render/Pictures.h"

namespace {

constexpr quint32 Magic = 0x56544843;  // "VTHC"
// Raised whenever thumbnails are drawn differently, so that old ones go.
constexpr quint32 Version = 1;
// Far more pictures than any list shows; a larger count is a damaged file.
constexpr quint32 MaxEntries = 100000;
// A thumbnail file that large is no cache of ours.
constexpr qint64 MaxCacheBytes = qint64(256) * 1024 * 1024;

}  // namespace

ThumbnailCache::ThumbnailCache(const QString &cacheFile, const QString &pictureFolder)
    : path_(cacheFile), folder_(QDir::cleanPath(pictureFolder)) {}

QString ThumbnailCache::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/Quarnwerk/Vellumo/thumbnails.cache");
}

void ThumbnailCache::load() {
    loaded_.clear();
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxCacheBytes)
        return;
    QDataStream in(&file);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0, version = 0, side = 0, count = 0;
    QString folder;
    in >> magic >> version >> folder >> side >> count;
    if (in.status() != QDataStream::Ok || magic != Magic || version != Version ||
        folder != folder_ || side != quint32(ThumbnailSize) || count > MaxEntries)
        return;
    QHash<QString, Entry> entries;
    for (quint32 i = 0; i < count; ++i) {
        QString name;
        Entry entry;
        in >> name >> entry.size >> entry.modified >> entry.thumbnail;
        if (in.status() != QDataStream::Ok || entry.thumbnail.isNull() ||
            entry.thumbnail.size() != QSize(ThumbnailSize, ThumbnailSize))
            return;  // damaged: nothing of it is trusted
        // As freshly drawn thumbnails are, so the preview draws them alike.
        entry.thumbnail.convertTo(QImage::Format_RGB32);
        entries.insert(name, entry);
    }
    loaded_ = std::move(entries);
}

QImage ThumbnailCache::find(const QString &name, qint64 size, qint64 modified) const {
    const auto it = loaded_.constFind(name);
    if (it == loaded_.cend() || it->size != size || it->modified != modified)
        return QImage();
    return it->thumbnail;
}

void ThumbnailCache::put(const QString &name, qint64 size, qint64 modified,
                         const QImage &thumbnail) {
    current_.insert(name, Entry{size, modified, thumbnail});
}

bool ThumbnailCache::save() const {
    if (current_ == loaded_)
        return true;
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QDataStream out(&buffer);
        out.setVersion(QDataStream::Qt_6_0);
        out << Magic << Version << folder_ << quint32(ThumbnailSize) << quint32(current_.size());
        for (auto it = current_.cbegin(); it != current_.cend(); ++it)
            out << it.key() << it->size << it->modified << it->thumbnail;
        if (out.status() != QDataStream::Ok)
            return false;
    }
    if (!QDir().mkpath(QFileInfo(path_).absolutePath()))
        return false;
    return WriteFileAtomically(path_, bytes);
}
