#include "cli/QueueWatch.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <thread>

#include "platform/posix/TerminationSignals.h"

namespace corvane::cli {

using platform::posix::TerminationSignals;

QueueWatch& QueueWatch::Instance() {
    // Never destroyed: the watching thread may still use it while the program ends.
    static QueueWatch* watch = new QueueWatch();
    return *watch;
}

bool QueueWatch::Start() {
    std::lock_guard<std::mutex> hold(lock_);
    if (started_) {
        return true;
    }
    if (!TerminationSignals::Install()) {
        return false;
    }
    started_ = true;
    std::thread([this] { Run(); }).detach();
    return true;
}

void QueueWatch::Add(QueueHolder& holder) {
    std::lock_guard<std::mutex> hold(lock_);
    holders_.insert(&holder);
}

void QueueWatch::Remove(QueueHolder& holder) {
    std::lock_guard<std::mutex> hold(lock_);
    holders_.erase(&holder);
}

void QueueWatch::Run() {
    int signalNumber = 0;
    while (signalNumber == 0) {
        pollfd watch{TerminationSignals::ReadFd(), POLLIN, 0};
        if (::poll(&watch, 1, -1) < 0 && errno != EINTR) {
            return;
        }
        signalNumber = TerminationSignals::TakeSignal();
    }
    // Sessions stay registered from here on, so that none goes away while its queues restart.
    lock_.lock();
    for (QueueHolder* holder : holders_) {
        holder->RestoreQueuesNow();
    }
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    // The other threads may be waiting on a printer; they are not waited for.
    ::_exit(128 + signalNumber);
}

}  // namespace corvane::cli
