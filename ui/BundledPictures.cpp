#include "ui/BundledPictures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kBundled = QStringLiteral(":/vellumo/pictures/");

}  // namespace

QStringList BundledPictureNames() {
    return QDir(kBundled).entryList({QStringLiteral("*.bmp")}, QDir::Files, QDir::Name);
}

int CopyBundledPictures(const QString &folder) {
    if (!QDir().mkpath(folder))
        return -1;
    int copied = 0;
    for (const QString &name : BundledPictureNames()) {
        const QString target = QDir(folder).filePath(name);
        if (QFileInfo::exists(target) || !QFile::copy(kBundled + name, target))
            continue;
        // Resource files are read-only; the user may replace or delete his copy.
        QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner);
        ++copied;
    }
    return copied;
}

QString DataFolderCreatedMessage(const QString &folder, int pictures) {
    const QString made =
        QStringLiteral("Der Datenordner %1 wurde angelegt").arg(QDir::toNativeSeparators(folder));
    if (pictures < 0)
        return made + QStringLiteral(
                          "; der Bilderordner \u201EBilder\u201C lie\u00DF sich nicht "
                          "anlegen.");
    if (pictures == 0)
        return made + QLatin1Char('.');
    return made + QStringLiteral(", mit %1 mitgelieferten %2 im Ordner \u201EBilder\u201C.")
                      .arg(pictures)
                      .arg(pictures == 1 ? QStringLiteral("Bild") : QStringLiteral("Bildern"));
}
