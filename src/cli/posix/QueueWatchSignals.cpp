// How the queue watch hears SIGINT, SIGTERM and SIGHUP: a thread waits on the signal pipe.
#include <poll.h>

#include <cerrno>
#include <thread>

#include "cli/QueueWatch.h"
#include "platform/posix/TerminationSignals.h"

namespace corvane::cli {

using platform::posix::TerminationSignals;

bool QueueWatch::StartWatching() {
    if (!TerminationSignals::Install()) {
        return false;
    }
    std::thread([this] {
        int signalNumber = 0;
        while (signalNumber == 0) {
            pollfd watch{TerminationSignals::ReadFd(), POLLIN, 0};
            if (::poll(&watch, 1, -1) < 0 && errno != EINTR) {
                return;
            }
            signalNumber = TerminationSignals::TakeSignal();
        }
        RestoreAndExit(128 + signalNumber);
    }).detach();
    return true;
}

}  // namespace corvane::cli
