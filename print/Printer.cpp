#include "print/Printer.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "model/Lengths.h"

std::int16_t PaperField(std::int32_t tenthsOfMillimetre) {
    if (tenthsOfMillimetre < INT16_MIN || tenthsOfMillimetre > INT16_MAX)
        throw PaperRangeError();
    return std::int16_t(tenthsOfMillimetre);
}

bool RibbonPrinter::checkAbort() {
    if (processEvents_)
        processEvents_();
    return !aborted();
}

PageMetrics PageMetricsFor(double widthMm, double heightMm, int dpi) {
    PageMetrics m;
    m.HS = std::int32_t(std::floor(std::max(0.0, widthMm) + 1e-6));
    m.VS = std::int32_t(std::floor(std::max(0.0, heightMm) + 1e-6));
    if (m.HS <= 0 || m.VS <= 0 || dpi <= 0) {
        // Less than a millimetre: nothing can be planned on such a page.
        m.HR = std::int32_t(std::lround(std::max(0.0, widthMm) * std::max(dpi, 0) / 25.4));
        m.VR = std::int32_t(std::lround(std::max(0.0, heightMm) * std::max(dpi, 0) / 25.4));
        return m;
    }
    const std::int64_t hr = std::llround(m.HS * double(dpi) / 25.4);
    // The whole height of the area, but never so few pixels that the height
    // would set the isotropic scale instead of HR.
    const std::int64_t vr = std::max<std::int64_t>((std::int64_t(m.VS) * hr + m.HS - 1) / m.HS,
                                                   std::llround(heightMm * dpi / 25.4));
    m.HR = std::int32_t(std::min<std::int64_t>(hr, INT32_MAX));
    m.VR = std::int32_t(std::min<std::int64_t>(vr, INT32_MAX));
    return m;
}

QString PaperName(const DeviceSettings &settings) {
    switch (settings.paperSize) {
        case 1:
            return QStringLiteral("Letter");
        case 5:
            return QStringLiteral("Legal");
        case 8:
            return QStringLiteral("A3");
        case 9:
            return QStringLiteral("A4");
        case 11:
            return QStringLiteral("A5");
        default:
            break;
    }
    const auto mm = [](std::int16_t tenths) {
        return GermanLength(tenths / 10.0, LengthUnit::None);
    };
    return QStringLiteral("%1 \u00d7 %2 mm").arg(mm(settings.paperWidth), mm(settings.paperLength));
}

QString CurrentPaperName(const RibbonPrinter &printer) {
    DeviceSettings paper;
    return printer.deviceSettings(&paper) ? PaperName(paper) : QStringLiteral("A4");
}
