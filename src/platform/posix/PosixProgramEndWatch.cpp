// How Linux asks a program to end: SIGINT, SIGTERM and SIGHUP. The handlers only write the
// signal's number into a pipe, which is all a signal handler may safely do; a thread of its own
// reads the pipe and hands each signal to the program's watch.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <initializer_list>
#include <thread>

#include "platform/ProgramEndWatch.h"

namespace corvane::platform {

namespace {

volatile int writeFd = -1;  // read by the handler
bool signalsInstalled = false;
bool signalsHeard = false;

extern "C" void NoteSignal(int signalNumber) {
    int savedErrno = errno;
    unsigned char byte = static_cast<unsigned char>(signalNumber);
    // A full pipe already says that a signal is pending; the extra byte may be lost.
    [[maybe_unused]] ssize_t written = ::write(writeFd, &byte, 1);
    errno = savedErrno;
}

EndCause CauseOf(int signalNumber) {
    switch (signalNumber) {
        case SIGINT:
            return EndCause::Interrupt;
        case SIGHUP:
            return EndCause::HangUp;
        default:
            return EndCause::Terminate;
    }
}

void WatchPipe(int readFd) {
    while (true) {
        unsigned char byte = 0;
        ssize_t got = ::read(readFd, &byte, 1);
        if (got == 1) {
            ProgramEndWatch::DeliverWhenWatched({CauseOf(byte), 128 + byte});
        } else if (got == 0 || errno != EINTR) {
            return;
        }
    }
}

bool InstallSignals() {
    int fds[2];
    // Only the writing end must never block: the watching thread waits on the reading end.
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return false;
    }
    ::fcntl(fds[1], F_SETFL, O_NONBLOCK);
    writeFd = fds[1];
    struct sigaction action {};
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    // Blocking calls resume after the note, as the watching thread takes it from the pipe.
    action.sa_flags = SA_RESTART;
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        if (::sigaction(signalNumber, &action, nullptr) != 0) {
            return false;
        }
    }
    std::thread(WatchPipe, fds[0]).detach();
    return true;
}

}  // namespace

bool ProgramEndWatch::Install(EndSources sources) {
    bool heard = true;
    if (sources.terminationSignals) {
        if (!signalsInstalled) {
            signalsInstalled = true;
            signalsHeard = InstallSignals();
        }
        heard = signalsHeard;
    }
    // Linux tells a program of no session's end.
    return heard;
}

}  // namespace corvane::platform
