#include "print/PrintSettings.h"

#include <algorithm>
#include <cmath>

#include "model/SettingsFile.h"
#include "print/QueueCapabilities.h"

PrintSettings PrintSettings::Read(const SettingsFile *settings) {
    PrintSettings values;
    if (!settings)
        return values;
    const QString drucker = QStringLiteral("Drucker");
    auto read = [&](const char *key, std::int32_t defaultValue) {
        return settings->readInteger(drucker, QString::fromLatin1(key), defaultValue);
    };
    values.Methode = read("Methode", values.Methode);
    values.Rand = read("Rand", values.Rand);
    values.MaxLaenge = read("MaxLaenge", values.MaxLaenge);
    values.Mark = read("Mark", 0) != 0;
    values.Papiervorschub = read("Papiervorschub", values.Papiervorschub);
    return values;
}

PageLimits PageLimitsFor(const QueueCapabilities &capabilities, double lengthFactor) {
    PageLimits limits;
    if (!capabilities.known)
        return limits;
    if (!(lengthFactor > 0))
        lengthFactor = 1.0;
    // Values far beyond any paper are treated as "no limit": the 16-bit
    // paper fields stop a run long before.
    const auto tenths = [](double mm) {
        return std::int32_t(std::clamp(std::floor(mm * 10.0 + 1e-6), 0.0, 1e8));
    };
    if (capabilities.takesCustomSizes && capabilities.customRange) {
        const CustomSizeRange &range = *capabilities.customRange;
        limits.maxLength = tenths(range.maxLength / lengthFactor);
        limits.maxWidth = tenths(range.maxWidth);
    } else if (!capabilities.takesCustomSizes) {
        limits.noCustomSizes = true;
    }
    if (capabilities.margins) {
        // Along the feed: where one page ends and the next begins.
        limits.minMargin = std::int32_t(std::clamp(
            std::ceil((capabilities.margins->top + capabilities.margins->bottom) * 10.0 - 1e-6),
            0.0, 1e6));
    }
    return limits;
}
