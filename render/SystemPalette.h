#pragma once

#include <QColor>
#include <QRgb>

#include "render/RibbonCanvas.h"

// The default 20-colour system palette that palette-relative colour values
// (0x01000000 + index) refer to: the 16 VGA colours with the four pale
// entries money green, sky blue, cream and medium grey at 8 to 11.
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
