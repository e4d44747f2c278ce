#include "print/QueueSetup.h"

#include <algorithm>

#include "print/Printer.h"

bool QueueCanCut(const QueueCapabilities &capabilities, CutMode mode) {
    if (mode == CutMode::Never)
        return true;
    if (capabilities.cutOptions.isEmpty())
        return false;
    const QList<CutChoice> &choices = capabilities.cutOptions.front().choices;
    return std::any_of(choices.begin(), choices.end(), [mode](const CutChoice &choice) {
        return mode == CutMode::AfterPage ? choice.when == CutWhen::AfterPage
                                          : choice.when != CutWhen::Never;
    });
}

void ApplyQueueSettings(RibbonPrinter &printer, const QString &queue, const SettingsFile *settings,
                        const QueueCapabilities &capabilities) {
    ApplyQueueSettings(printer, ReadQueueSettings(settings, queue), capabilities);
}

void ApplyQueueSettings(RibbonPrinter &printer, const QueueSettings &values,
                        const QueueCapabilities &capabilities) {
    printer.setLengthFactor(values.lengthFactor);
    std::optional<CutOption> option;
    if (!capabilities.cutOptions.isEmpty())
        option = capabilities.cutOptions.front();
    printer.setCutting(option, QueueCanCut(capabilities, values.cut) ? values.cut : CutMode::Never);
}
