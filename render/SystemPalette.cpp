#include "render/SystemPalette.h"

#include <array>

namespace {

constexpr std::array<QRgb, SystemPalette::Size> Entries = {
    0xFF000000,  // 0 black
    0xFF800000,  // 1 dark red
    0xFF008000,  // 2 dark green
    0xFF808000,  // 3 olive
    0xFF000080,  // 4 dark blue
    0xFF800080,  // 5 purple
    0xFF008080,  // 6 teal
    0xFFC0C0C0,  // 7 light grey
    0xFFC0DCC0,  // 8 money green
    0xFFA6CAF0,  // 9 sky blue
    0xFFFFFBF0,  // 10 cream
    0xFFA0A0A4,  // 11 medium grey
    0xFF808080,  // 12 grey
    0xFFFF0000,  // 13 red
    0xFF00FF00,  // 14 green
    0xFFFFFF00,  // 15 yellow
    0xFF0000FF,  // 16 blue
    0xFFFF00FF,  // 17 magenta
    0xFF00FFFF,  // 18 cyan
    0xFFFFFFFF,  // 19 white
};

}  // namespace

QRgb SystemPalette::entry(int index) {
    if (index < 0 || index >= Size)
        return Entries[0];
    return Entries[std::size_t(index)];
}

QRgb SystemPalette::resolve(ColorRef colour) {
    if ((colour >> 24) == 0x01)
        return entry(int(colour & 0xFFFF));
    return qRgb(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}
