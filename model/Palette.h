#pragma once

#include <array>
#include <cstdint>

// The default 20-colour system palette that palette-relative colour values
// (0x01000000 + index) refer to: the 16 VGA colours with the four pale
// entries money green, sky blue, cream and medium grey at 8 to 11.
namespace Palette {

inline constexpr int Size = 20;
inline constexpr std::uint32_t Relative = 0x01000000;  // + index

struct Entry {
    std::uint32_t rgb;  // 0xRRGGBB, as "#RRGGBB" writes it
    // What order files may call it, folded, "|" between the names; none for
    // the entries the text colour dialog does not offer.
    const char *names;
};

inline constexpr std::array<Entry, Size> Entries = {{
    {0x000000, "schwarz|black"},
    {0x800000, "dunkelrot|darkred"},
    {0x008000, "dunkelgruen|darkgreen"},
    {0x808000, "oliv|olive"},
    {0x000080, "dunkelblau|darkblue|navy"},
    {0x800080, "lila|violett|purple"},
    {0x008080, "petrol|teal"},
    {0xC0C0C0, "hellgrau|lightgrey|lightgray"},
    {0xC0DCC0, ""},  // money green
    {0xA6CAF0, ""},  // sky blue
    {0xFFFBF0, ""},  // cream
    {0xA0A0A4, ""},  // medium grey
    {0x808080, "grau|grey|gray"},
    {0xFF0000, "rot|red"},
    {0x00FF00, "gruen|green"},
    {0xFFFF00, "gelb|yellow"},
    {0x0000FF, "blau|blue"},
    {0xFF00FF, "magenta"},
    {0x00FFFF, "cyan|tuerkis"},
    {0xFFFFFF, ""},  // white
}};

// The text colours: the sixteen swatches of the text colour dialog, two rows
// of eight, with the VGA colours (entries 0 to 7 and 12 to 19) but black again
// in white's place.
inline constexpr std::array<int, 16> TextColours = {0,  1,  2,  3,  4,  5,  6,  7,
                                                    12, 13, 14, 15, 16, 17, 18, 0};

}  // namespace Palette
