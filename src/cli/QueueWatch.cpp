#include "cli/QueueWatch.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace corvane::cli {

QueueWatch& QueueWatch::Instance() {
    // Never destroyed: the watching thread may still use it while the program ends.
    static QueueWatch* watch = new QueueWatch();
    return *watch;
}

bool QueueWatch::Start() {
    std::lock_guard<std::mutex> hold(lock_);
    if (endWatch_) {
        return true;
    }
    platform::EndSources sources;
    sources.terminationSignals = true;
    if (!platform::ProgramEndWatch::Install(sources)) {
        return false;
    }
    endWatch_ = std::make_unique<platform::ProgramEndWatch>(
        [this](const platform::EndRequest& request) { RestoreAndExit(request.exitStatus); });
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

void QueueWatch::RestoreAndExit(int exitStatus) {
    // Sessions stay registered from here on, so that none goes away while its queues restart.
    lock_.lock();
    for (QueueHolder* holder : holders_) {
        holder->RestoreQueuesNow();
    }
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    // The other threads may be waiting on a printer; they are not waited for.
    std::_Exit(exitStatus);
}

}  // namespace corvane::cli
