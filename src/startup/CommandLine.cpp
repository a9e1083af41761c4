#include "startup/CommandLine.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "base/Text.h"
#include "link/NetworkAddress.h"
#include "link/PortNames.h"
#include "startup/OptionParser.h"

namespace corvane::startup {

namespace {

// The options that Qt's application object takes out of the command line itself, with one or two
// leading dashes; these take the next argument as their value.
constexpr std::string_view kWindowSystemOptionsWithValue[] = {"platform",
                                                              "platformpluginpath",
                                                              "platformtheme",
                                                              "plugin",
                                                              "qwindowgeometry",
                                                              "qwindowicon",
                                                              "qwindowtitle",
                                                              "session",
                                                              "display",
                                                              "geometry",
                                                              "title",
                                                              "icon",
                                                              "name",
                                                              "style",
                                                              "stylesheet"};
constexpr std::string_view kWindowSystemFlags[] = {"reverse", "widgetcount", "nograb", "dograb"};
// These carry their value after "=".
constexpr std::string_view kWindowSystemOptionsWithAttachedValue[] = {
    "style=", "stylesheet=", "qmljsdebugger="};

// The word without its one or two leading dashes, or empty when it is not an option word.
std::string_view OptionWord(std::string_view argument) {
    if (argument.rfind("--", 0) == 0) {
        return argument.substr(2);
    }
    if (argument.rfind("-", 0) == 0) {
        return argument.substr(1);
    }
    return {};
}

bool IsWindowSystemOptionWithValue(std::string_view word) {
    return std::ranges::find(kWindowSystemOptionsWithValue, word) !=
           std::end(kWindowSystemOptionsWithValue);
}

bool IsWindowSystemOptionAlone(std::string_view word) {
    return std::ranges::find(kWindowSystemFlags, word) != std::end(kWindowSystemFlags) ||
           std::ranges::any_of(kWindowSystemOptionsWithAttachedValue,
                               [word](auto prefix) { return word.rfind(prefix, 0) == 0; });
}

// Moves Qt's options out of arguments into windowSystem; false with a message when one of them
// lacks its value, which Qt would silently ignore.
bool SetWindowSystemOptionsAside(std::vector<std::string>& arguments,
                                 std::vector<std::string>& windowSystem, std::string& error) {
    std::vector<std::string> ours;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string_view word = OptionWord(arguments[i]);
        if (IsWindowSystemOptionWithValue(word)) {
            if (i + 1 == arguments.size()) {
                error = arguments[i] + ": 1 required VALUE missing";
                return false;
            }
            windowSystem.push_back(arguments[i]);
            windowSystem.push_back(arguments[++i]);
        } else if (IsWindowSystemOptionAlone(word)) {
            windowSystem.push_back(arguments[i]);
        } else {
            ours.push_back(arguments[i]);
        }
    }
    arguments = std::move(ours);
    return true;
}

void AddPort(const std::string& value, std::map<std::string, std::string>& overrides) {
    auto equals = value.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == value.size()) {
        throw CLI::ValidationError("--port", "\"" + value +
                                                 "\" is not NAME=DEVICE, such as "
                                                 "COM1=/dev/ttyUSB0.");
    }
    std::string name = value.substr(0, equals);
    auto port = link::ParsePortName(name);
    if (!port) {
        throw CLI::ValidationError("--port", "\"" + name +
                                                 "\" is not a port name; use COM1 to COM9, "
                                                 "\\\\.\\COM10 to \\\\.\\COM14 or LPT1: to LPT4:.");
    }
    std::string canonical = link::CanonicalPortName(*port);
    std::string device = value.substr(equals + 1);
    if (base::StartsWithIgnoringCase(device, "tcp:")) {
        auto address = link::ParseNetworkAddress(device);
        if (!address) {
            throw CLI::ValidationError("--port", "\"" + device +
                                                     "\" is not a network address; use "
                                                     "tcp:HOST or tcp:HOST:PORT.");
        }
        device = link::FormatNetworkAddress(*address);
    }
    if (!overrides.emplace(canonical, device).second) {
        throw CLI::ValidationError("--port", "Port " + canonical + " is given more than once.");
    }
}

void Define(OptionParser& parser, CommandLineOptions& options, sim::Model& model) {
    parser
        .add_option_function<std::vector<std::string>>(
            "--port",
            [&options](const std::vector<std::string>& values) {
                for (const auto& value : values) {
                    AddPort(value, options.portOverrides);
                }
            },
            "Open DEVICE for the port NAME (COM1 to COM14, LPT1: to LPT4:),\n"
            "such as --port COM1=/dev/ttyUSB0, or reach a printer on the\n"
            "network with --port COM1=tcp:HOST[:PORT] (port 9100 when left\n"
            "out). May be given for several ports. Without it COMn opens\n"
            "/dev/ttyS(n-1) and LPTn /dev/lp(n-1).")
        ->type_name("NAME=DEVICE")
        ->allow_extra_args(false);
    parser
        .add_option("--trace", options.traceFile, "Record every exchange with the printer in FILE.")
        ->type_name("FILE")
        // An option word that follows is a forgotten file name, not a file to write.
        ->check(
            [](const std::string& file) {
                return file.rfind("-", 0) == 0 ? "\"" + file + "\" is an option, not a FILE."
                                               : std::string();
            },
            "");
    auto* simulate = parser.AddModel("--simulate", model,
                                     "Put a simulated printer behind every port: KRT-310,\n"
                                     "KRT-310II or KRT-620.");
    // The emulation belongs to the simulated printer; a real one reports its own.
    parser
        .AddEmulation("--emulation", options.emulation,
                      "The simulated printer's emulation: native (the default),\n"
                      "other02 or other03 (or 02 and 03).")
        ->needs(simulate);
    parser.AddHelp(options.help);
}

constexpr char kDescription[] =
    "Sets up VANTORA roll-paper printers (KRT-310, KRT-310II, KRT-620).\n";

}  // namespace

CommandLineResult ParseCommandLine(std::span<const std::string> arguments) {
    CommandLineResult result;
    std::vector<std::string> ours(arguments.begin(), arguments.end());
    if (!SetWindowSystemOptionsAside(ours, result.options.windowSystemArguments, result.error)) {
        return result;
    }
    OptionParser parser("corvane", kDescription);
    sim::Model model = sim::Model::Krt310;
    Define(parser, result.options, model);
    result.ok = parser.Parse(ours, result.error);
    if (result.ok && parser.count("--simulate") > 0) {
        result.options.simulate = model;
    }
    return result;
}

CommandLineResult ParseCommandLine(int argc, const char* const* argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.emplace_back(argv[i] != nullptr ? argv[i] : "");
    }
    return ParseCommandLine(arguments);
}

std::string CommandLineUsage() {
    OptionParser parser("corvane", kDescription);
    CommandLineOptions options;
    sim::Model model = sim::Model::Krt310;
    Define(parser, options, model);
    return parser.Usage();
}

}  // namespace corvane::startup
