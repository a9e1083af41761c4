#include "platform/posix/TerminationSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <initializer_list>

namespace corvane::platform::posix {

namespace {

int readFd = -1;
volatile int writeFd = -1;  // read by the handler
bool installed = false;
bool installResult = false;

extern "C" void NoteSignal(int signalNumber) {
    int savedErrno = errno;
    unsigned char byte = static_cast<unsigned char>(signalNumber);
    // A full pipe already says that a signal is pending; the extra byte may be lost.
    [[maybe_unused]] ssize_t written = ::write(writeFd, &byte, 1);
    errno = savedErrno;
}

}  // namespace

bool TerminationSignals::Install() {
    if (installed) {
        return installResult;
    }
    installed = true;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return false;
    }
    readFd = fds[0];
    writeFd = fds[1];
    struct sigaction action {};
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    // Blocking calls resume after the note, as the main loop sees the pipe once they end.
    action.sa_flags = SA_RESTART;
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        if (::sigaction(signalNumber, &action, nullptr) != 0) {
            return false;
        }
    }
    installResult = true;
    return true;
}

int TerminationSignals::ReadFd() {
    return readFd;
}

int TerminationSignals::TakeSignal() {
    if (readFd < 0) {
        return 0;
    }
    unsigned char byte = 0;
    ssize_t got = ::read(readFd, &byte, 1);
    return got == 1 ? byte : 0;
}

}  // namespace corvane::platform::posix
