#include "programs/corvane-sim/ServerPoll.h"

#include <sys/signalfd.h>
#include <unistd.h>

#include <signal.h>
#include <cerrno>
#include <cstring>

namespace corvane::programs {

std::optional<int> PollOrEnd(std::vector<pollfd>& fds, int timeoutMs,
                             const sim::VirtualPrinter& printer, std::ostream& out) {
    int ready = poll(fds.data(), fds.size(), timeoutMs);
    if (ready < 0) {
        if (errno == EINTR) {
            for (auto& fd : fds) {
                fd.revents = 0;
            }
            return std::nullopt;
        }
        out << "poll failed: " << std::strerror(errno) << std::endl;
        return 1;
    }
    if (fds[0].revents & POLLIN) {
        signalfd_siginfo info{};
        if (read(fds[0].fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
            if (info.ssi_signo != SIGUSR1) {
                return 0;
            }
            out << printer.Describe() << std::flush;
        }
    }
    return std::nullopt;
}

std::optional<std::chrono::steady_clock::time_point> UnplugMoment(
    const sim::VirtualPrinter& printer, std::chrono::steady_clock::time_point start) {
    if (!printer.GetFaults().unplugAt) {
        return std::nullopt;
    }
    return start + *printer.GetFaults().unplugAt;
}

}  // namespace corvane::programs
