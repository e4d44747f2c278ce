#include "ui/PictureCatalogueLoader.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentMap>
#include <algorithm>

#include "render/Pictures.h"
#include "render/ThumbnailCache.h"

namespace {

// The thumbnail of a folder entry; a null image when the file is no picture.
// Runs on worker threads: the file is read without the picture cache, which
// would only fill up with pictures nobody draws again.
QImage ThumbnailOfFile(const QString &path) {
    const QImage picture = ReadPictureFile(path);
    if (picture.isNull())
        return QImage();
    return PictureThumbnail(picture);
}

}  // namespace

QStringList PictureFolderNames() {
    QDir folder(PictureFolder());
    folder.setNameFilters({QStringLiteral("*.bmp")});
    folder.setFilter(QDir::Files);
    folder.setSorting(QDir::NoSort);
    QStringList names = folder.entryList();
    std::stable_sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return names;
}

void LoadPictureCatalogue(PictureCatalogue &catalogue, const QString &cacheFile) {
    catalogue.files = {QString()};
    catalogue.thumbnails = {NoPictureThumbnail()};

    const QStringList names = PictureFolderNames();
    const QString folder = PictureFolder();
    ThumbnailCache cache(cacheFile, folder);
    cache.load();
    struct Stamp {
        qint64 size = 0, modified = 0;
    };
    QList<Stamp> stamps;
    QList<QImage> thumbnails;
    QStringList unknown;  // the paths of pictures the cache does not know as they are
    for (const QString &name : names) {
        const QFileInfo info(folder + name);
        const Stamp stamp{info.size(), info.lastModified().toMSecsSinceEpoch()};
        stamps.append(stamp);
        thumbnails.append(cache.find(name, stamp.size, stamp.modified));
        if (thumbnails.back().isNull())
            unknown.append(info.filePath());
    }
    // Every picture is read and drawn on its own, so all cores share the
    // work; only the small thumbnails are kept.
    const QList<QImage> drawn = QtConcurrent::blockingMapped(unknown, ThumbnailOfFile);
    qsizetype next = 0;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (thumbnails.at(i).isNull())
            thumbnails[i] = drawn.at(next++);
        if (thumbnails.at(i).isNull())
            continue;  // no picture: read again next time, it may be mended
        cache.put(names.at(i), stamps.at(i).size, stamps.at(i).modified, thumbnails.at(i));
        catalogue.files.append(names.at(i));
        catalogue.thumbnails.append(thumbnails.at(i));
    }
    cache.save();
}
