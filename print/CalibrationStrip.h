#pragma once

#include <QString>

class RibbonPrinter;

// Prints the calibration strip as a document of one page, CalibrationLengthMm
// long and `widthMm` wide (landscape, user-defined size): a millimetre ruler
// along the whole length, the nominal length and the printer's name, so that
// the florist can measure what really came out. The caller sets the length
// factor to 1 first: the strip measures the printer, not the last factor.
// Throws PrinterError; an aborted document prints nothing.
void PrintCalibrationStrip(RibbonPrinter &printer, const QString &printerName, int widthMm);
