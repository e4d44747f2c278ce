#include "print/Printer.h"

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
