#pragma once

#include <QHash>
#include <QImage>
#include <QString>

// The picture list's thumbnails kept from one start to the next, so that a
// start reads only the pictures that changed: one file in the user's cache
// folder with, for each picture, its name, size, modification time and
// thumbnail. It is only a cache: a file that is missing, damaged, written by
// another version or for another picture folder counts as empty, and a cache
// that cannot be written is no fault.
class ThumbnailCache {
public:
    ThumbnailCache(const QString &cacheFile, const QString &pictureFolder);

    // Where the cache lives: <cache folder>/Quarnwerk/Vellumo/thumbnails.cache.
    static QString defaultPath();

    void load();
    // The thumbnail kept for a picture file of this size and modification
    // time (milliseconds since the epoch); null when none is kept.
    QImage find(const QString &name, qint64 size, qint64 modified) const;
    // The thumbnail of a picture file as it is now. What save() writes is
    // what was put since load(): pictures gone from the folder are dropped.
    void put(const QString &name, qint64 size, qint64 modified, const QImage &thumbnail);
    // Writes the file when its contents changed; false when that failed.
    bool save() const;

private:
    struct Entry {
        qint64 size = -1;
        qint64 modified = 0;
        QImage thumbnail;
        bool operator==(const Entry &other) const {
            return size == other.size && modified == other.modified && thumbnail == other.thumbnail;
        }
    };
    QString path_;
    QString folder_;
    QHash<QString, Entry> loaded_;
    QHash<QString, Entry> current_;
};
