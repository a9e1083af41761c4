#include "link/PortNames.h"

#include <span>

#include "base/Text.h"

namespace corvane::link {

namespace {

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
    std::string upper = base::Upper(name);
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
    std::span<const std::string_view> names = product::kSerialPortNames;
    if (port.family == PortFamily::Parallel) {
        names = product::kParallelPortNames;
    }
    if (port.number < 1 || static_cast<std::size_t>(port.number) > names.size()) {
        return {};
    }
    return std::string(names[static_cast<std::size_t>(port.number - 1)]);
}

}  // namespace corvane::link
