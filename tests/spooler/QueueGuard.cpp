// Moves the queues on one port aside as a connect does, then waits for a termination signal and
// puts them back before it exits, the way the program's main loop does. Usage: QueueGuard PORT.

#include <poll.h>

#include <cstdio>

#include "link/SpoolerPorts.h"
#include "platform/posix/PosixPlatform.h"
#include "platform/posix/TerminationSignals.h"

int main(int argc, char** argv) {
    using namespace corvane;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PORT\n", argv[0]);
        return 2;
    }
    if (!platform::posix::TerminationSignals::Install()) {
        std::perror("installing the signal handlers");
        return 1;
    }
    platform::posix::PosixPlatform platform;
    link::RedirectedPrinters redirected;
    link::RestoreRedirectedPrinters(platform, redirected);
    link::RedirectPrintersOnPort(platform, argv[1], redirected);
    std::printf("moved %zu\n", redirected.size());
    std::fflush(stdout);

    pollfd watch{platform::posix::TerminationSignals::ReadFd(), POLLIN, 0};
    while (::poll(&watch, 1, 60000) < 0) {
    }
    int signalNumber = platform::posix::TerminationSignals::TakeSignal();
    link::RestoreRedirectedPrinters(platform, redirected);
    return signalNumber == 0 ? 1 : 128 + signalNumber;
}
