#include "render/Edgedll2.h"

namespace {

// Where the pixel (x, y) of a w x h picture lands when the picture is turned
// by quarter turns counter-clockwise on a surface whose Y grows downward.
QPoint Turned(int quarters, int x, int y, int w, int h) {
    switch (quarters) {
        case 1:
            return QPoint(y, w - 1 - x);
        case 2:
            return QPoint(w - 1 - x, h - 1 - y);
        case 3:
            return QPoint(h - 1 - y, x);
        default:
            return QPoint(x, y);
    }
}

}  // namespace

bool RotateBitmap(QImage &bitmap, int angleDegrees) {
    if (bitmap.isNull() || angleDegrees % 90 != 0)
        return false;
    const int quarters = ((angleDegrees / 90) % 4 + 4) % 4;
    if (quarters == 0)
        return true;

    // Quarter turns map pixels onto pixels, so nothing is resampled and no
    // area is left uncovered.
    const QImage source = bitmap.convertToFormat(bitmap.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                          : QImage::Format_RGB32);
    const int w = source.width();
    const int h = source.height();
    const QSize size = quarters == 2 ? QSize(w, h) : QSize(h, w);
    QImage turned(size, source.format());
    if (turned.isNull())
        return false;  // no memory for the turned copy: keep the picture as it is
    turned.setDotsPerMeterX(quarters == 2 ? source.dotsPerMeterX() : source.dotsPerMeterY());
    turned.setDotsPerMeterY(quarters == 2 ? source.dotsPerMeterY() : source.dotsPerMeterX());
    for (int y = 0; y < h; ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const QPoint p = Turned(quarters, x, y, w, h);
            reinterpret_cast<QRgb *>(turned.scanLine(p.y()))[p.x()] = row[x];
        }
    }
    bitmap = turned;
    return true;
}
