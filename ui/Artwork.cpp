#include "ui/Artwork.h"

// Outside any namespace: the macro declares the resource's init function.
static void InitArtwork() {
    Q_INIT_RESOURCE(artwork);
}

namespace {

void EnsureArtwork() {
    // The resources sit in a static library, whose initialiser the linker
    // would otherwise drop.
    static const bool done = (InitArtwork(), true);
    (void)done;
}

}  // namespace

QIcon ArtworkIcon(const QString &name) {
    EnsureArtwork();
    QIcon icon;
    icon.addFile(QStringLiteral(":/vellumo/icons/%1.png").arg(name));
    return icon;
}

QPixmap LegendPicture(const QString &name) {
    EnsureArtwork();
    return QPixmap(QStringLiteral(":/vellumo/legend/%1.png").arg(name));
}
