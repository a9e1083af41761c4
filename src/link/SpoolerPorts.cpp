#include "link/SpoolerPorts.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "base/Text.h"
#include "platform/LeftHeld.h"

namespace corvane::link {

namespace {

// A path with every link resolved, as far as it exists.
std::string Resolved(const std::string& path) {
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    return error ? std::filesystem::path(path).lexically_normal().string() : resolved.string();
}

// A port name as the spooler and the program both may spell it: "\\.\COM10", "COM10:" and
// "com10" are one port.
std::string PortKey(std::string name) {
    if (name.rfind("\\\\.\\", 0) == 0) {
        name.erase(0, 4);
    }
    if (!name.empty() && name.back() == ':') {
        name.pop_back();
    }
    return base::Upper(name);
}

}  // namespace

std::string QueueDevice(const std::string& deviceUri) {
    std::size_t colon = deviceUri.find(':');
    if (colon == std::string::npos || colon + 1 >= deviceUri.size() ||
        deviceUri[colon + 1] != '/') {
        return deviceUri;
    }
    std::string rest = deviceUri.substr(colon + 1);
    if (rest.rfind("//", 0) == 0) {
        // Only a URI without a host (file:///dev/...) names a device of this machine.
        if (rest.size() < 3 || rest[2] != '/') {
            return {};
        }
        rest.erase(0, 2);
    }
    return rest.substr(0, rest.find('?'));
}

bool SameDevice(const std::string& first, const std::string& second) {
    if (first.empty() || second.empty()) {
        return false;
    }
    if (first.front() == '/' || second.front() == '/') {
        return Resolved(first) == Resolved(second);
    }
    return PortKey(first) == PortKey(second);
}

bool QueueUsesDevice(const platform::QueueInfo& queue, const std::string& devicePath) {
    return SameDevice(QueueDevice(queue.deviceUri), devicePath);
}

bool QueueUsesUsb(const platform::QueueInfo& queue) {
    // The usb backend's own URIs, queues pointed straight at a usblp device node, and the ports
    // Windows gives its USB printers (USB001, USB002, ...).
    const std::string& uri = queue.deviceUri;
    return base::StartsWithIgnoringCase(uri, "usb:") ||
           uri.find("/dev/usb/lp") != std::string::npos ||
           (uri.size() > 3 && uri.compare(0, 3, "USB") == 0 &&
            std::isdigit(static_cast<unsigned char>(uri[3])) != 0);
}

std::string DescribeSpoolerError(const platform::Error& error) {
    std::string text;
    switch (error.kind) {
        case platform::ErrorKind::TimedOut:
            text = "the print spooler did not answer in time";
            break;
        case platform::ErrorKind::Disconnected:
            text = "the print spooler cannot be reached";
            break;
        case platform::ErrorKind::Busy:
            text = "the print spooler is busy";
            break;
        case platform::ErrorKind::AccessDenied:
            text = "no permission to change it";
            break;
        case platform::ErrorKind::NotFound:
            text = "there is no such queue";
            break;
        default:
            text = "the print spooler refused";
            break;
    }
    std::string code = platform::DescribeNativeCode(error);
    return code.empty() ? text : text + " (" + code + ")";
}

void TellListingFailed(platform::Platform& platform, const platform::Error& error) {
    platform::TellHoldings(&platform,
                           "could not ask the print spooler which queues use this port; jobs may "
                           "reach the printer during the session (" +
                               DescribeSpoolerError(error) + ")");
}

void RedirectPrintersOnPort(platform::Platform& platform, const PortMap& ports,
                            const std::string& portName, RedirectedPrinters& redirected,
                            HeldQueues& table) {
    table.Redirect(platform, ports, portName, redirected);
}

void RestoreRedirectedPrinters(platform::Platform& platform, RedirectedPrinters& redirected,
                               HeldQueues& table) {
    table.Restore(platform, redirected);
}

bool CheckUsbPortConflict(platform::Platform& platform, const std::string& portName,
                          platform::Reporter& reporter) {
    platform::QueueListing listing = platform.GetSpooler().ListQueues();
    if (!listing.Ok()) {
        TellListingFailed(platform, listing.error);
    }
    for (const auto& queue : listing.queues) {
        if (!QueueUsesUsb(queue)) {
            continue;
        }
        reporter.Message(platform::Severity::Warning,
                         queue.name + " driver use " + portName +
                             "\r\n\r\nPlease change the port of driver to other port.",
                         "Warnning");
        return false;
    }
    return true;
}

}  // namespace corvane::link
