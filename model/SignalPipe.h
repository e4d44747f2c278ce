#pragma once

#include <csignal>
#include <initializer_list>
#include <utility>
#include <vector>

// Brings signals such as SIGTERM to the event loop. A handler may do next to
// nothing: it notes that a signal came and writes a byte into a pipe, whose
// read end a QSocketNotifier watches. While it lives it catches the signals it
// was given; their former handling comes back at its end. One at a time per
// process.
class SignalPipe {
public:
    explicit SignalPipe(std::initializer_list<int> signalNumbers);
    ~SignalPipe();
    SignalPipe(const SignalPipe &) = delete;
    SignalPipe &operator=(const SignalPipe &) = delete;

    // The end to watch; -1 when no pipe could be made (caught() still works).
    int readEnd() const;
    // Whether one of the signals came since it began, for work that runs long
    // between two turns of the event loop.
    static bool caught();
    // Empties the pipe once the notifier fired; whether a signal had come.
    bool drain() const;

private:
    std::vector<std::pair<int, struct sigaction>> former_;
};
