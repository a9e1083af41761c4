#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace corvane::service {

// What the ports listing says of a device and of the print queues, in the terms of the system it
// runs on: each system has its own file of these (service/posix, service/win32).

// Where the system describes and keeps its devices; tests point these elsewhere.
struct DeviceRoots {
    std::string sysfs = "/sys";
    std::string dev = "/dev";
};

struct Problem {
    std::string why;
    std::string todo;
};

struct DeviceState {
    bool exists = false;
    bool usable = false;
    std::vector<Problem> problems;
};

// The machine's platform as the listing looks at it.
std::unique_ptr<platform::Platform> MakeListingPlatform(const DeviceRoots& roots);

// Whether the device is there and this user could open it, and if not, why and what to do.
// Nothing is opened: the device is only looked at.
DeviceState LookAt(const std::string& device, const DeviceRoots& roots);

// Whether this user may stop print queues, and what to do when not.
bool MayStopQueues();
extern const char kQueueStopRefused[];

// What to do about a print queue that keeps USB printers from being reached.
std::string UsbQueueRemedy(const std::string& queueName);

}  // namespace corvane::service
