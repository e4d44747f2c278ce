#pragma once

#include <QColor>
#include <QRgb>

#include "render/RibbonCanvas.h"

// The system palette (model/Palette.h) as the drawing uses it.
class SystemPalette {
public:
    static constexpr int Size = 20;

    // Entry of the palette; an index outside it gives black, as GDI does.
    static QRgb entry(int index);
    // The opaque colour a value stands for: palette-relative values through
    // the palette, everything else as 0x00BBGGRR.
    static QRgb resolve(ColorRef colour);
    static QColor colour(ColorRef colour) { return QColor::fromRgb(resolve(colour)); }
};
