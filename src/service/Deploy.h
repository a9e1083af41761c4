#pragma once

#include <functional>
#include <string>
#include <vector>

#include "service/PortTarget.h"
#include "service/PrinterPlatforms.h"
#include "service/RecordingReporter.h"
#include "service/SetOperation.h"
#include "startup/CliOptions.h"

namespace corvane::service {

struct DeployRequest {
    // The printers as the user names them (see ParsePortTarget), each once.
    std::vector<std::string> ports;
    PlatformRequest platform;
    SetRequest set;
    // Printers worked on at once, from 1.
    int jobs = startup::kDefaultDeployJobs;
};

// How Set Status went on one printer.
struct DeployRun {
    PortTarget target;
    SetReport report;
    std::vector<RecordingReporter::Entry> messages;
    // The message that says why it failed, with the device's own reason where one was given.
    std::string why;
    double seconds = 0;
};

struct DeployOutcome {
    // Success only when every printer succeeded, otherwise that of the first printer that
    // failed, in the order the ports were given; a usage error when the request was refused.
    int exitStatus = kSuccess;
    std::string refusal;          // why the request was refused, before any printer
    std::vector<DeployRun> runs;  // in the order the ports were given
};

// Told of each printer as it ends, one at a time, with how many have ended of how many.
using DeployProgress = std::function<void(const DeployRun& run, int done, int total)>;

// Set on every port, on at most request.jobs printers at once: each printer on a thread of its
// own with its own platform, port and connector, started in the order given as others end. A
// printer whose thread cannot be started, or whose thread meets an unexpected error, fails with
// why; the others go on, and its print queues are started again as its session ends.
DeployOutcome Deploy(const DeployRequest& request, const DeployProgress& progress);

}  // namespace corvane::service
