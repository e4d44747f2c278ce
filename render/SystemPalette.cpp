#include "render/SystemPalette.h"

#include "model/Palette.h"

static_assert(SystemPalette::Size == Palette::Size);

QRgb SystemPalette::entry(int index) {
    if (index < 0 || index >= Size)
        index = 0;
    return 0xFF000000u | Palette::Entries[std::size_t(index)].rgb;
}

QRgb SystemPalette::resolve(ColorRef colour) {
    if ((colour >> 24) == 0x01)
        return entry(int(colour & 0xFFFF));
    return qRgb(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}
