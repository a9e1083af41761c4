#include "cli/QueueWatch.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "service/QueueRegistry.h"

namespace corvane::cli {

QueueWatch& QueueWatch::Instance() {
    // Never destroyed: the watching thread may still use it while the program ends.
    static QueueWatch* watch = new QueueWatch();
    return *watch;
}

bool QueueWatch::Start() {
    // Called once, from main, before any session exists.
    if (!started_) {
        started_ = StartWatching();
    }
    return started_;
}

void QueueWatch::RestoreAndExit(int exitStatus) {
    service::QueueRegistry::Instance().RestoreAllBeforeExit();
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    // The other threads may be waiting on a printer; they are not waited for.
    std::_Exit(exitStatus);
}

}  // namespace corvane::cli
