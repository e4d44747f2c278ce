#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// The program's own pictures, shipped as Qt resources: tool-bar and menu
// icons ("new", "print", "delete", "align", "center", "upside", "color",
// "keep", "vellumo") and the legend pictures ("BMP_LEGENDE_L",
// "BMP_LEGENDE_R", "BMP_LEGENDE_BILD_L", "BMP_LEGENDE_BILD_R").
QIcon ArtworkIcon(const QString &name);
QPixmap LegendPicture(const QString &name);
