#pragma once

namespace corvane::platform::posix {

// Turns SIGINT, SIGTERM and SIGHUP into an event that the main loop handles, so that the program
// can put the print queues it stopped back into service before it ends.
//
// The handlers only write the signal's number into a pipe, which is all a signal handler may
// safely do; the main loop watches ReadFd() (a QSocketNotifier, or poll) and, once it is
// readable, calls TakeSignal(), restores the queues and exits with 128 + the number.
class TerminationSignals {
public:
    // Installs the handlers; true on success. Call once, early in main, before other threads
    // start. Calling it again does nothing and reports the first result.
    static bool Install();
    // Readable once a signal has arrived; -1 before Install.
    static int ReadFd();
    // The number of the first signal not yet taken, or 0 when none is pending. Never blocks.
    static int TakeSignal();
};

}  // namespace corvane::platform::posix
