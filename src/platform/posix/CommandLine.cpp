#include "platform/posix/CommandLine.h"

#include <array>
#include <cctype>
#include <utility>
#include <vector>

#include "platform/posix/PortNames.h"

namespace corvane::platform::posix {

namespace {

constexpr std::array kModels{SimulatedModel::Krt310, SimulatedModel::Krt310II,
                             SimulatedModel::Krt620};
constexpr std::array kEmulations{SimulatedEmulation::Native, SimulatedEmulation::Other02,
                                 SimulatedEmulation::Other03};

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

class Parser {
public:
    explicit Parser(std::span<const std::string> arguments) : arguments_(arguments) {}

    CommandLineResult Run() {
        bool emulationGiven = false;
        while (error_.empty() && next_ < arguments_.size()) {
            const std::string& argument = arguments_[next_++];
            std::string_view option = argument;
            std::optional<std::string> attached;
            if (auto equals = argument.find('=');
                argument.rfind("--", 0) == 0 && equals != std::string::npos) {
                option = std::string_view(argument).substr(0, equals);
                attached = argument.substr(equals + 1);
            }
            if (option == "--help" || option == "-h") {
                if (attached) {
                    Fail("Option --help takes no value.");
                }
                result_.options.help = true;
            } else if (option == "--port") {
                if (auto value = Value(option, attached, "NAME=DEVICE")) {
                    AddPort(*value);
                }
            } else if (option == "--trace") {
                if (auto value = Value(option, attached, "FILE")) {
                    Once(!result_.options.traceFile.empty(), option);
                    result_.options.traceFile = *value;
                }
            } else if (option == "--simulate") {
                if (auto value = Value(option, attached, "MODEL")) {
                    Once(result_.options.simulate.has_value(), option);
                    SetModel(*value);
                }
            } else if (option == "--emulation") {
                if (auto value = Value(option, attached, "EMULATION")) {
                    Once(emulationGiven, option);
                    emulationGiven = true;
                    SetEmulation(*value);
                }
            } else if (argument.rfind("-", 0) == 0) {
                Fail("Unknown option " + Quoted(option) + ". Try --help.");
            } else {
                Fail("Unexpected argument " + Quoted(argument) + ". Try --help.");
            }
        }
        // The emulation belongs to the simulated printer; a real one reports its own.
        if (error_.empty() && emulationGiven && !result_.options.simulate) {
            Fail("Option --emulation needs --simulate MODEL.");
        }
        result_.ok = error_.empty();
        result_.error = error_;
        return result_;
    }

private:
    void Fail(std::string message) {
        if (error_.empty()) {
            error_ = std::move(message);
        }
    }

    void Once(bool alreadyGiven, std::string_view option) {
        if (alreadyGiven) {
            Fail("Option " + std::string(option) + " is given more than once.");
        }
    }

    // The option's value, attached after "=" or as the next argument; an option word that
    // follows instead is taken as a missing value rather than as a file or device name.
    std::optional<std::string> Value(std::string_view option, std::optional<std::string> attached,
                                     std::string_view what) {
        std::optional<std::string> value = std::move(attached);
        if (!value && next_ < arguments_.size() && arguments_[next_].rfind("--", 0) != 0) {
            value = arguments_[next_++];
        }
        if (!value || value->empty()) {
            Fail("Option " + std::string(option) + " needs a value: " + std::string(option) + " " +
                 std::string(what) + ".");
            return std::nullopt;
        }
        return value;
    }

    void AddPort(const std::string& value) {
        auto equals = value.find('=');
        if (equals == std::string::npos || equals == 0 || equals + 1 == value.size()) {
            Fail("Option --port needs NAME=DEVICE, such as --port COM1=/dev/ttyUSB0; got " +
                 Quoted(value) + ".");
            return;
        }
        std::string name = value.substr(0, equals);
        auto port = ParsePortName(name);
        if (!port) {
            Fail(Quoted(name) +
                 " is not a port name; use COM1 to COM9, \\\\.\\COM10 to \\\\.\\COM14 or LPT1: to "
                 "LPT4:.");
            return;
        }
        std::string canonical = CanonicalPortName(*port);
        if (!result_.options.portOverrides.emplace(canonical, value.substr(equals + 1)).second) {
            Fail("Port " + canonical + " is given more than once with --port.");
        }
    }

    void SetModel(const std::string& value) {
        for (auto model : kModels) {
            if (SameText(value, ToString(model))) {
                result_.options.simulate = model;
                return;
            }
        }
        Fail("Unknown printer model " + Quoted(value) + "; use KRT-310, KRT-310II or KRT-620.");
    }

    void SetEmulation(const std::string& value) {
        for (auto emulation : kEmulations) {
            if (SameText(value, ToString(emulation))) {
                result_.options.emulation = emulation;
                return;
            }
        }
        Fail("Unknown emulation " + Quoted(value) + "; use native, other02 or other03.");
    }

    std::span<const std::string> arguments_;
    std::size_t next_ = 0;
    CommandLineResult result_;
    std::string error_;
};

}  // namespace

const char* ToString(SimulatedModel model) {
    switch (model) {
        case SimulatedModel::Krt310:
            return "KRT-310";
        case SimulatedModel::Krt310II:
            return "KRT-310II";
        case SimulatedModel::Krt620:
            return "KRT-620";
    }
    return "KRT-310";
}

const char* ToString(SimulatedEmulation emulation) {
    switch (emulation) {
        case SimulatedEmulation::Native:
            return "native";
        case SimulatedEmulation::Other02:
            return "other02";
        case SimulatedEmulation::Other03:
            return "other03";
    }
    return "native";
}

CommandLineResult ParseCommandLine(std::span<const std::string> arguments) {
    return Parser(arguments).Run();
}

CommandLineResult ParseCommandLine(int argc, const char* const* argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.emplace_back(argv[i] != nullptr ? argv[i] : "");
    }
    return ParseCommandLine(arguments);
}

std::string CommandLineUsage(std::string_view programName) {
    std::string name(programName.empty() ? "corvane" : programName);
    return "Usage: " + name +
           " [options]\n"
           "Sets up VANTORA roll-paper printers (KRT-310, KRT-310II, KRT-620).\n"
           "\n"
           "Options:\n"
           "  --port NAME=DEVICE   Open DEVICE for the port NAME (COM1 to COM14, LPT1: to LPT4:),\n"
           "                       such as --port COM1=/dev/ttyUSB0. May be given for several\n"
           "                       ports. Without it COMn opens /dev/ttyS(n-1) and LPTn\n"
           "                       /dev/lp(n-1).\n"
           "  --trace FILE         Record every exchange with the printer in FILE.\n"
           "  --simulate MODEL     Put a simulated printer behind every port: KRT-310,\n"
           "                       KRT-310II or KRT-620.\n"
           "  --emulation NAME     The simulated printer's emulation: native (the default),\n"
           "                       other02 or other03.\n"
           "  --help               Show this help and exit.\n";
}

}  // namespace corvane::platform::posix
