#pragma once

#include <QString>

#include "model/QueueSettings.h"

class RibbonPrinter;

// The strip's page is a little longer than the length to measure, so that
// both lines across lie on the paper and not on (or beyond) its edges.
inline constexpr int CalibrationMarginMm = 5;
inline constexpr int CalibrationStripLengthMm = CalibrationLengthMm + 2 * CalibrationMarginMm;

// The width the strip is printed with, in tenths of a millimetre, for the
// printer's paper `paperTenths` wide (its current device settings): `widthMm`,
// or the paper's exact width where `widthMm` is that width in whole
// millimetres, as the printer set-up shows it (102 for a 101.6 mm roll, which
// a queue taking at most 101.6 mm would refuse or crop).
int CalibrationStripWidthTenths(double widthMm, int paperTenths);

// Prints the calibration strip as a document of one page,
// CalibrationStripLengthMm long (landscape, user-defined size): two lines
// across, CalibrationLengthMm apart and CalibrationMarginMm in from the ends,
// a millimetre ruler between them, the printer's name and the date, so that
// the florist can measure what really came out. The width is
// CalibrationStripWidthTenths of `widthMm`; wider than `maxWidthMm` (the
// queue's widest page, 0 where it says nothing) it is refused before
// anything prints. The caller sets the length factor to 1 first: the strip
// measures the printer, not the last factor.
// Throws PrinterError; an aborted document prints nothing.
void PrintCalibrationStrip(RibbonPrinter &printer, const QString &printerName, double widthMm,
                           double maxWidthMm = 0);
