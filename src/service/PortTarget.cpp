#include "service/PortTarget.h"

#include <set>
#include <utility>

#include "base/Text.h"
#include "link/NetworkAddress.h"

namespace corvane::service {

namespace {

bool IsUsbName(const std::string& text) {
    return base::EqualsIgnoringCase(text, "USB");
}

constexpr char kPortChoices[] =
    "use COM1 to COM9, \\\\.\\COM10 to \\\\.\\COM14, LPT1: to LPT4:, USB, a device path, "
    "tcp:HOST[:PORT] or NAME=DEVICE.";

// A printer on the network, as a whole target or as the DEVICE of NAME=DEVICE; false with a
// message when the text begins as an address but does not read as one.
bool TakeNetworkAddress(const std::string& text, std::string& device, std::string& error) {
    auto address = link::ParseNetworkAddress(text);
    if (!address) {
        error = "\"" + text + "\" is not a network address; use tcp:HOST or tcp:HOST:PORT.";
        return false;
    }
    device = link::FormatNetworkAddress(*address);
    return true;
}

}  // namespace

link::PortMap PortTarget::Ports() const {
    link::PortMap ports;
    if (device) {
        ports.Override(portName, *device);
    }
    return ports;
}

bool ParsePortTarget(const std::string& text, PortTarget& target, std::string& error) {
    PortTarget parsed;
    parsed.given = text;
    if (IsUsbName(text)) {
        parsed.portName = "USB";
    } else if (base::StartsWithIgnoringCase(text, "tcp:")) {
        // A printer on the network is reached as a serial port whose device is a connection.
        std::string device;
        if (!TakeNetworkAddress(text, device, error)) {
            return false;
        }
        parsed.portName = "COM1";
        parsed.device = device;
    } else if (text.starts_with("/")) {
        if (text.starts_with("/dev/usb/")) {
            error = "\"" + text +
                    "\" is a USB printer; reach it as --port USB, which opens the first "
                    "supported USB printer.";
            return false;
        }
        // Parallel ports keep their kind; every other device path is a serial line.
        bool parallel = text.starts_with("/dev/lp") || text.starts_with("/dev/parport");
        parsed.portName = parallel ? "LPT1:" : "COM1";
        parsed.device = text;
    } else {
        auto equals = text.find('=');
        std::string name = text.substr(0, equals);
        auto port = link::ParsePortName(name);
        if (!port || (equals != std::string::npos && equals + 1 == text.size())) {
            error = "\"" + text + "\" is not a port; " + kPortChoices;
            return false;
        }
        parsed.portName = link::CanonicalPortName(*port);
        if (equals != std::string::npos) {
            std::string device = text.substr(equals + 1);
            if (base::StartsWithIgnoringCase(device, "tcp:") &&
                !TakeNetworkAddress(device, device, error)) {
                return false;
            }
            parsed.device = device;
        }
    }
    target = std::move(parsed);
    return true;
}

bool ParsePortTargets(const std::vector<std::string>& texts, std::vector<PortTarget>& targets,
                      std::string& error) {
    std::vector<PortTarget> parsed(texts.size());
    std::set<std::pair<std::string, std::string>> seen;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (!ParsePortTarget(texts[i], parsed[i], error)) {
            return false;
        }
        if (!seen.insert({parsed[i].portName, parsed[i].device.value_or("")}).second) {
            error = parsed[i].given + " is given twice";
            return false;
        }
    }
    targets = std::move(parsed);
    return true;
}

std::string FileNamePart(const PortTarget& target) {
    std::string part;
    for (char c : target.given) {
        bool plain = std::isalnum(static_cast<unsigned char>(c)) != 0 ||
                     ((c == '.' || c == '_') && !part.empty() && part.back() != '-');
        if (plain) {
            part += c;
        } else if (!part.empty() && part.back() != '-') {
            part += '-';
        }
    }
    while (!part.empty() && (part.back() == '-' || part.back() == '.')) {
        part.pop_back();
    }
    return part.empty() ? "port" : part;
}

}  // namespace corvane::service
