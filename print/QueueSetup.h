#pragma once

#include <QString>

#include "model/QueueSettings.h"
#include "print/PrintSettings.h"
#include "print/QueueCapabilities.h"

class RibbonPrinter;
class SettingsFile;

// Whether the queue's driver can cut as `mode` asks: after each page takes a
// choice that cuts after each page, the other two any choice that cuts at
// all. Only the first cutting option counts, as that is the one the printer
// is given. Never is always possible.
bool QueueCanCut(const QueueCapabilities &capabilities, CutMode mode);

// Gives the printer what was stored for the queue: its length factor, and the
// driver's first cutting option with the stored time to cut (Never when the
// driver cannot cut so, or when it is not known what it can do).
void ApplyQueueSettings(RibbonPrinter &printer, const QString &queue, const SettingsFile *settings,
                        const QueueCapabilities &capabilities);
// The same with values at hand (the printer set-up's, before or without a file).
void ApplyQueueSettings(RibbonPrinter &printer, const QueueSettings &values,
                        const QueueCapabilities &capabilities);
