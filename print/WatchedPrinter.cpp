#include "print/WatchedPrinter.h"

template <class Op>
void WatchedPrinter::watch(Op op) {
    try {
        op();
    } catch (const PrinterError &e) {
        if (failure_.isEmpty())
            failure_ = e.message();
        throw;
    } catch (const std::exception &e) {
        if (failure_.isEmpty())
            failure_ = QString::fromLocal8Bit(e.what());
        throw;
    }
}

void WatchedPrinter::beginDocument() {
    watch([this] { inner_.beginDocument(); });
}

void WatchedPrinter::startPage() {
    watch([this] { inner_.startPage(); });
    ++pages_;
}

void WatchedPrinter::endDocument() {
    const bool wasPrinting = inner_.printing();
    try {
        watch([this] { inner_.endDocument(); });
    } catch (...) {
        endFailed_ = true;
        throw;
    }
    if (wasPrinting)
        ++ended_;
}

void WatchedPrinter::abortDocument() {
    if (inner_.printing())
        ++aborted_;
    inner_.abortDocument();
}
