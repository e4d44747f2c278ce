#pragma once

#include <cstdint>

class SettingsFile;
struct QueueCapabilities;

// What the current queue takes, in tenths of a millimetre; 0 where its
// driver says nothing, and all 0 for a queue that says nothing at all.
struct PageLimits {
    std::int32_t maxLength = 0;  // the longest page, the length factor allowed for
    std::int32_t maxWidth = 0;   // the widest page
    std::int32_t minMargin = 0;  // paper the printer cannot print between two pieces
    bool noCustomSizes = false;  // the driver takes no free sizes at all
    bool operator==(const PageLimits &) const = default;
};

// The limits a queue's driver gives, for pages asked `lengthFactor` longer.
PageLimits PageLimitsFor(const QueueCapabilities &capabilities, double lengthFactor = 1.0);

// The [Drucker] values a print command works with, read once when the
// command starts (a hand edit of the settings file counts from the next
// command on). Lengths in tenths of a millimetre.
struct PrintSettings {
    std::int32_t Methode = 0;         // 0 to 4; anything else prints nothing
    std::int32_t Rand = 0;            // the printer's margin between pieces
    std::int32_t MaxLaenge = 3000;    // the longest piece
    bool Mark = false;                // the piece marks with their texts
    std::int32_t Papiervorschub = 0;  // a feed page before the run, 0 for none
    // Not in [Drucker]: what the current queue takes; the stricter of these
    // and the values above holds.
    PageLimits limits;

    // The values of `settings`, each key's default where it is missing or
    // unreadable, and all defaults without a file.
    static PrintSettings Read(const SettingsFile *settings);

    bool printsAnything() const { return Methode >= 0 && Methode <= 4; }
};
