#include "link/SpoolerPorts.h"

#include <algorithm>
#include <cctype>

#include "base/Text.h"
#include "link/NetworkAddress.h"

namespace corvane::link {

bool QueueUsesDevice(const platform::QueueInfo& queue, const std::string& devicePath) {
    // An empty path would be found in every URI.
    return !devicePath.empty() && queue.deviceUri.find(devicePath) != std::string::npos;
}

bool QueueUsesNetworkAddress(const platform::QueueInfo& queue, const std::string& host,
                             std::uint16_t port) {
    constexpr std::string_view kSocketScheme = "socket://";
    const std::string& uri = queue.deviceUri;
    if (!base::StartsWithIgnoringCase(uri, kSocketScheme)) {
        return false;
    }
    // The authority ends where the path or the options begin.
    std::string authority = uri.substr(kSocketScheme.size());
    authority = authority.substr(0, authority.find_first_of("/?"));
    auto named = ParseNetworkAddress("tcp:" + authority);
    return named && named->port == port && base::EqualsIgnoringCase(named->host, host);
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

void RedirectPrintersOnPort(platform::Platform& platform, const PortMap& ports,
                            const std::string& portName, RedirectedPrinters& redirected) {
    std::string devicePath = ports.DevicePath(platform, portName);
    auto network = ParseNetworkAddress(devicePath);
    platform::Spooler& spooler = platform.GetSpooler();
    for (const auto& queue : spooler.ListQueues()) {
        if (network ? !QueueUsesNetworkAddress(queue, network->host, network->port)
                    : !QueueUsesDevice(queue, devicePath)) {
            continue;
        }
        auto known = redirected.find(queue.name);
        if (known == redirected.end()) {
            redirected[queue.name] = RedirectedPrinter{queue.deviceUri, queue.stopped};
        } else {
            // Still recorded from a restore that failed: its state before that is what counts.
            known->second.formerPort = queue.deviceUri;
        }
        if (!queue.stopped) {
            spooler.StopQueue(queue.name, kPortInUseReason);
        }
    }
}

void RestoreRedirectedPrinters(platform::Platform& platform, RedirectedPrinters& redirected) {
    if (redirected.empty()) {
        return;
    }
    platform::Spooler& spooler = platform.GetSpooler();
    for (auto it = redirected.begin(); it != redirected.end();) {
        bool done = true;
        if (!it->second.wasStopped) {
            platform::Error error = spooler.StartQueue(it->first);
            // A queue deleted meanwhile has nothing left to give back.
            done = error.Ok() || error.kind == platform::ErrorKind::NotFound;
        }
        it = done ? redirected.erase(it) : std::next(it);
    }
}

bool CheckUsbPortConflict(platform::Platform& platform, const std::string& portName,
                          platform::Reporter& reporter) {
    for (const auto& queue : platform.GetSpooler().ListQueues()) {
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
