#pragma once

#include <QString>
#include <optional>

class SettingsFile;

// What the florist chose for one print queue, kept in RIBOLANT.INI in a
// section of its own per queue ("[Drucker <queue>]"): when the printer's
// cutter cuts and the length factor found with the calibration strip.

// "Schneiden": not at all, after each page, after each ribbon, or once at the
// end of the print.
enum class CutMode { Never = 0, AfterPage = 1, AfterRibbon = 2, AfterJob = 3 };

struct QueueSettings {
    CutMode cut = CutMode::Never;
    // Page lengths asked of the printer are multiplied by this (a printer
    // that feeds 0.4 % short gets 1.004).
    double lengthFactor = 1.0;
    bool operator==(const QueueSettings &) const = default;
};

inline constexpr double MinLengthFactor = 0.9;
inline constexpr double MaxLengthFactor = 1.1;
// The calibration strip's printed length.
inline constexpr int CalibrationLengthMm = 500;

// The section a queue's values live in.
QString QueueSettingsSection(const QString &queue);

// The queue's values; defaults for a missing section or key, and for values
// that a hand edit made unreadable or put outside their range.
QueueSettings ReadQueueSettings(const SettingsFile *file, const QString &queue);
// Writes the queue's values into its section (throws as SettingsFile's writes do).
void WriteQueueSettings(SettingsFile &file, const QString &queue, const QueueSettings &values);

// The length the florist measured on the calibration strip, in millimetres, as
// typed ("498", "498,5", "498.5"); none with *error set to a German message
// for anything else (empty, 0, negative, not a number, a thousands separator).
std::optional<double> ParseMeasuredLength(const QString &text, QString *error);
// The factor for a strip of CalibrationLengthMm that measured `measuredMm`
// (nominal / measured); none with *error set when it lies outside
// MinLengthFactor..MaxLengthFactor.
std::optional<double> CalibrationFactor(double measuredMm, QString *error);
