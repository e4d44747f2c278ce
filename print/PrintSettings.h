#pragma once

#include <cstdint>

class SettingsFile;

// The [Drucker] values a print command works with, read once when the
// command starts (a hand edit of the settings file counts from the next
// command on). Lengths in tenths of a millimetre.
struct PrintSettings {
    std::int32_t Methode = 0;         // 0 to 4; anything else prints nothing
    std::int32_t Rand = 0;            // the printer's margin between pieces
    std::int32_t MaxLaenge = 3000;    // the longest piece
    bool Mark = false;                // the piece marks with their texts
    std::int32_t Papiervorschub = 0;  // a feed page before the run, 0 for none

    // The values of `settings`, each key's default where it is missing or
    // unreadable, and all defaults without a file.
    static PrintSettings Read(const SettingsFile *settings);

    bool printsAnything() const { return Methode >= 0 && Methode <= 4; }
};
