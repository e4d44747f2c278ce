#include "model/SignalPipe.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>

namespace {

volatile std::sig_atomic_t gCaught = 0;
int gPipe[2] = {-1, -1};

extern "C" void OnSignal(int) {
    // errno belongs to the code the signal interrupted; a full pipe sets it.
    const int saved = errno;
    gCaught = 1;
    if (gPipe[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(gPipe[1], &byte, 1);
    }
    errno = saved;
}

}  // namespace

SignalPipe::SignalPipe(std::initializer_list<int> signalNumbers) {
    gCaught = 0;
    // Non-blocking: a handler must never wait for the reader.
    if (::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        gPipe[0] = gPipe[1] = -1;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // The interrupted call goes on; the flag and the pipe tell the rest.
    action.sa_flags = SA_RESTART;
    for (const int number : signalNumbers) {
        struct sigaction former {};
        if (::sigaction(number, &action, &former) == 0)
            former_.emplace_back(number, former);
    }
}

SignalPipe::~SignalPipe() {
    for (const auto &[number, former] : former_)
        ::sigaction(number, &former, nullptr);
    for (int &fd : gPipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

int SignalPipe::readEnd() const {
    return gPipe[0];
}

bool SignalPipe::caught() {
    return gCaught != 0;
}

bool SignalPipe::drain() const {
    bool any = false;
    char bytes[64];
    while (gPipe[0] >= 0 && ::read(gPipe[0], bytes, sizeof bytes) > 0)
        any = true;
    return any;
}
