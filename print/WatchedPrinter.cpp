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
    started_ = 1;
}

void WatchedPrinter::startPage() {
    watch([this] { inner_.startPage(); });
    ++started_;
}

void WatchedPrinter::endDocument() {
    const bool wasPrinting = inner_.printing();
    try {
        watch([this] { inner_.endDocument(); });
    } catch (...) {
        endFailed_ = true;
        throw;
    }
    if (wasPrinting) {
        ++ended_;
        if (!inner_.aborted())
            finished_ += started_;
    }
    started_ = 0;
}

void WatchedPrinter::abortDocument() {
    if (inner_.printing())
        ++aborted_;
    inner_.abortDocument();
    started_ = 0;
}
