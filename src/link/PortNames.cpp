#include "link/PortNames.h"

#include <cctype>

namespace corvane::link {

namespace {

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return upper;
}

bool ConsumePrefix(std::string_view& text, std::string_view prefix) {
    if (text.substr(0, prefix.size()) != prefix) {
        return false;
    }
    text.remove_prefix(prefix.size());
    return true;
}

// A port number of one or two digits without a leading zero, or nothing.
std::optional<int> ParseNumber(std::string_view digits) {
    if (digits.empty() || digits.size() > 2 || digits.front() == '0') {
        return std::nullopt;
    }
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

std::optional<PortId> ParsePortName(std::string_view name) {
    std::string upper = Upper(name);
    std::string_view rest = upper;
    if (ConsumePrefix(rest, "\\\\.\\COM") || ConsumePrefix(rest, "COM")) {
        auto number = ParseNumber(rest);
        if (number && *number <= kSerialPortCount) {
            return PortId{PortFamily::Serial, *number};
        }
        return std::nullopt;
    }
    if (ConsumePrefix(rest, "LPT")) {
        if (!rest.empty() && rest.back() == ':') {
            rest.remove_suffix(1);
        }
        auto number = ParseNumber(rest);
        if (number && *number <= kParallelPortCount) {
            return PortId{PortFamily::Parallel, *number};
        }
    }
    return std::nullopt;
}

std::string CanonicalPortName(const PortId& port) {
    std::string number = std::to_string(port.number);
    if (port.family == PortFamily::Parallel) {
        return "LPT" + number + ":";
    }
    // Windows reaches ports above 9 only through the device namespace prefix.
    return port.number > 9 ? "\\\\.\\COM" + number : "COM" + number;
}

}  // namespace corvane::link
