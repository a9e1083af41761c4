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
    std::lock_guard<std::mutex> hold(lock_);
    if (endWatch_) {
        return true;
    }
    platform::EndSources sources;
    sources.terminationSignals = true;
    // Windows tells log-off and shut-down to a program that uses windows as the session's end.
    sources.sessionEnd = true;
    if (!platform::ProgramEndWatch::Install(sources)) {
        return false;
    }
    endWatch_ = std::make_unique<platform::ProgramEndWatch>(
        [this](const platform::EndRequest& request) { RestoreAndExit(request.exitStatus); });
    return true;
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
