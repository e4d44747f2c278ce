#include "ui/PictureCatalogueLoader.h"

#include <QDir>
#include <QtConcurrent/QtConcurrentMap>
#include <algorithm>

#include "render/Pictures.h"

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

void LoadPictureCatalogue(PictureCatalogue &catalogue) {
    catalogue.files = {QString()};
    catalogue.thumbnails = {NoPictureThumbnail()};

    // Every picture is read and drawn on its own, so all cores share the
    // work; only the small thumbnails are kept.
    const QStringList names = PictureFolderNames();
    const QString folder = PictureFolder();
    QStringList paths;
    paths.reserve(names.size());
    for (const QString &name : names)
        paths.append(folder + name);
    const QList<QImage> thumbnails = QtConcurrent::blockingMapped(paths, ThumbnailOfFile);
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (thumbnails.at(i).isNull())
            continue;
        catalogue.files.append(names.at(i));
        catalogue.thumbnails.append(thumbnails.at(i));
    }
}
