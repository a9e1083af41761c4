#include "startup/SimOptions.h"

#include <cctype>
#include <charconv>
#include <functional>

#include "product/SettingLists.h"
#include "startup/OptionParser.h"

namespace corvane::startup {

namespace {

constexpr std::uint64_t kMaxMs = 3'600'000;

bool ParseNumber(const std::string& text, std::uint64_t limit, std::uint64_t& value) {
    if (text.empty()) {
        return false;
    }
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && value <= limit;
}

bool ParseHexBytes(const std::string& text, std::vector<std::uint8_t>& bytes) {
    std::string digits;
    for (char c : text) {
        if (c == ' ' || c == ':' || c == ',') {
            continue;
        }
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return false;
        }
        digits += c;
    }
    if (digits.empty() || digits.size() % 2 != 0) {
        return false;
    }
    bytes.clear();
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    }
    return true;
}

// "N=PINS": a switch number 1 to 8 and eight '0'/'1' characters, pin 8 first.
bool ParseSwitch(const std::string& text, std::pair<int, std::uint8_t>& result) {
    auto equals = text.find('=');
    if (equals == std::string::npos) {
        return false;
    }
    std::uint64_t number = 0;
    if (!ParseNumber(text.substr(0, equals), 8, number) || number < 1) {
        return false;
    }
    std::string pins = text.substr(equals + 1);
    if (pins.size() != 8) {
        return false;
    }
    std::uint8_t value = 0;
    for (char c : pins) {
        if (c != '0' && c != '1') {
            return false;
        }
        value = static_cast<std::uint8_t>(value << 1 | (c == '1' ? 1 : 0));
    }
    result = {static_cast<int>(number), value};
    return true;
}

// "19200" or "19200,7E1": a speed of the printers' list, then data bits 7 or 8, parity N, O or E
// and stop bits 1 or 2.
bool ParseLine(const std::string& text, platform::SerialConfig& line) {
    auto comma = text.find(',');
    std::uint64_t speed = 0;
    if (!ParseNumber(text.substr(0, comma), 4'000'000, speed)) {
        return false;
    }
    bool known = false;
    for (const auto& choice : product::kSerialSpeeds) {
        known = known || choice.value == speed;
    }
    if (!known) {
        return false;
    }
    line = {};
    line.baudRate = static_cast<std::uint32_t>(speed);
    if (comma == std::string::npos) {
        return true;
    }
    std::string format = text.substr(comma + 1);
    if (format.size() != 3 || (format[0] != '7' && format[0] != '8') ||
        (format[2] != '1' && format[2] != '2')) {
        return false;
    }
    const std::string parities = "NOE";
    auto parity =
        parities.find(static_cast<char>(std::toupper(static_cast<unsigned char>(format[1]))));
    if (parity == std::string::npos) {
        return false;
    }
    line.dataBits = static_cast<std::uint32_t>(format[0] - '0');
    line.parity = static_cast<std::uint32_t>(parity);
    line.stopBits = format[2] == '1' ? platform::kStopBitsOne : platform::kStopBitsTwo;
    return true;
}

// An option whose value one function takes apart; it throws CLI::ValidationError when the value
// is wrong.
CLI::Option* AddValue(OptionParser& parser, const std::string& name, const std::string& valueName,
                      std::function<void(const std::string&)> take,
                      const std::string& description) {
    return parser.add_option_function<std::string>(name, std::move(take), description)
        ->type_name(valueName);
}

// A whole number of microseconds, milliseconds or commands, from 0 to an hour's milliseconds.
CLI::Option* AddNumber(OptionParser& parser, const std::string& name,
                       std::function<void(std::uint64_t)> take, const std::string& description) {
    auto read = [name, take = std::move(take)](const std::string& text) {
        std::uint64_t number = 0;
        if (!ParseNumber(text, kMaxMs, number)) {
            throw CLI::ValidationError(
                name, "Give a whole number from 0 to " + std::to_string(kMaxMs) + ".");
        }
        take(number);
    };
    return AddValue(parser, name, name == "--cut-after" ? "K" : "N", read, description);
}

CLI::Option* AddFile(OptionParser& parser, const std::string& name, const std::string& valueName,
                     std::string& file, const std::string& description) {
    auto read = [name, &file](const std::string& text) {
        if (text.empty()) {
            throw CLI::ValidationError(name, "Give a file name.");
        }
        file = text;
    };
    return AddValue(parser, name, valueName, read, description);
}

void Define(OptionParser& parser, SimOptions& options) {
    using std::chrono::microseconds;
    using std::chrono::milliseconds;
    const std::string printer = "Printer";
    parser.AddModel("--model", options.model, "KRT-310 (default), KRT-310II or KRT-620")
        ->group(printer);
    parser
        .AddEmulation("--emulation", options.emulation,
                      "native (default), 02 or 03 (the \"Other\" emulation's answer)")
        ->type_name("E")
        ->group(printer);
    AddValue(
        parser, "--version-id", "HEX",
        [&options](const std::string& text) {
            std::vector<std::uint8_t> bytes;
            std::string digits = text.rfind("0x", 0) == 0 ? text.substr(2) : text;
            if (!ParseHexBytes(digits, bytes) || bytes.size() != 1) {
                throw CLI::ValidationError("--version-id",
                                           "Give one byte in hexadecimal, such as 64.");
            }
            options.versionId = bytes[0];
        },
        "version id byte (default 64, or 65 for the KRT-620)")
        ->group(printer);
    for (auto [name, target, description] :
         {std::tuple{"--firmware", &options.firmware, "firmware version text"},
          std::tuple{"--maker", &options.maker, "maker name (default VANTORA)"},
          std::tuple{"--model-text", &options.modelText, "model name the printer reports"},
          std::tuple{"--language", &options.language, "language text"}}) {
        AddValue(
            parser, name, "TEXT", [field = target](const std::string& text) { *field = text; },
            description)
            ->group(printer);
    }
    parser
        .add_option_function<std::vector<std::string>>(
            "--switch",
            [&options](const std::vector<std::string>& values) {
                for (const auto& text : values) {
                    std::pair<int, std::uint8_t> entry;
                    if (!ParseSwitch(text, entry)) {
                        throw CLI::ValidationError(
                            "--switch",
                            "Give N=PINS: N from 1 to 8 and eight 0 or 1, pin 8 first, such as "
                            "2=00100001.");
                    }
                    options.switches.push_back(entry);
                }
            },
            "memory switch N (1 to 8), eight 0 or 1 from pin 8 to pin 1")
        ->type_name("N=PINS")
        ->allow_extra_args(false)
        ->group(printer);

    AddValue(
        parser, "--line", "BPS[,8N1]",
        [&options](const std::string& text) {
            platform::SerialConfig line;
            if (!ParseLine(text, line)) {
                throw CLI::ValidationError("--line",
                                           "Give a speed of 1200 to 19200, and after a comma data "
                                           "bits, parity and stop bits, such as 19200,7E1.");
            }
            options.line = line;
        },
        "fix the printer's serial port at this line (default 8N1):\n"
        "it answers nothing at any other, and what it sends\n"
        "arrives garbled")
        ->group(printer);

    const std::string faults = "Faults";
    parser.add_flag("--silent", options.faults.silent, "take commands but answer nothing")
        ->group(faults);
    AddNumber(
        parser, "--cut-after", [&options](std::uint64_t n) { options.faults.cutAfter = n; },
        "break every reply off after K bytes")
        ->group(faults);
    AddValue(
        parser, "--noise", "HEX",
        [&options](const std::string& text) {
            if (!ParseHexBytes(text, options.faults.noiseBeforeHeader)) {
                throw CLI::ValidationError("--noise",
                                           "Give bytes in hexadecimal, such as \"AA 55\".");
            }
        },
        "send these bytes before every reply with the '7' header")
        ->group(faults);
    AddNumber(
        parser, "--latency-ms",
        [&options](std::uint64_t n) { options.faults.latency = milliseconds(n); },
        "wait N ms before each reply")
        ->group(faults);
    parser
        .add_flag("--slow", options.faults.perByteFromLine,
                  "send each byte in ten bit times at the line's speed")
        ->group(faults);
    AddNumber(
        parser, "--per-byte-us",
        [&options](std::uint64_t n) { options.faults.perByte = microseconds(n); },
        "send each byte in N microseconds")
        ->group(faults);
    AddNumber(
        parser, "--unplug-after-ms",
        [&options](std::uint64_t n) { options.faults.unplugAt = milliseconds(n); },
        "hang up the line N ms after start")
        ->group(faults);
    parser
        .add_option_function<std::vector<std::string>>(
            "--stuck-switch",
            [&options](const std::vector<std::string>& values) {
                for (const auto& text : values) {
                    std::uint64_t number = 0;
                    if (!ParseNumber(text, 8, number) || number < 1) {
                        throw CLI::ValidationError("--stuck-switch",
                                                   "Give a memory switch number from 1 to 8.");
                    }
                    options.faults.stuckSwitches.push_back(static_cast<int>(number));
                }
            },
            "memory switch N keeps its pins whatever is written")
        ->type_name("N")
        ->allow_extra_args(false)
        ->group(faults);
    AddNumber(
        parser, "--unplug-after-commands",
        [&options](std::uint64_t n) { options.faults.unplugAfterCommands = n; },
        "hang up the line once N commands were taken")
        ->group(faults);

    const std::string output = "Output";
    AddFile(parser, "--state-file", "FILE", options.stateFile,
            "rewrite FILE with the printer's state and printout on every change")
        ->group(output);
    AddFile(parser, "--print-log", "FILE", options.printLog, "append every printed line to FILE")
        ->group(output);
    AddFile(parser, "--link", "PATH", options.linkPath,
            "make PATH a symbolic link to the terminal while serving")
        ->group(output);
    AddValue(
        parser, "--tcp", "PORT",
        [&options](const std::string& text) {
            std::uint64_t port = 0;
            if (!ParseNumber(text, 65535, port)) {
                throw CLI::ValidationError("--tcp", "Give a TCP port from 0 to 65535.");
            }
            options.tcpPort = static_cast<std::uint16_t>(port);
        },
        "serve on this TCP port, as a printer's network interface\n"
        "does, instead of a terminal (0: a free one); the first\n"
        "line is then tcp:127.0.0.1:PORT")
        ->group(output);
    parser.add_flag("--quiet", options.quiet, "print only the terminal's path")->group(output);
    parser.add_flag("--verbose", options.verbose, "also print every command the printer takes")
        ->group(output);
    parser.AddHelp(options.help)->description("show this text")->group(output);
}

constexpr char kDescription[] =
    "Serves a simulated VANTORA printer on a pseudo-terminal. The first line of output is the\n"
    "terminal's path; point the program at it with  corvane --port COM1=PATH  and connect on "
    "COM1.\n"
    "With --tcp it serves on a TCP port instead, as a printer's network interface does; the "
    "first\nline is then its address: corvane --port COM1=tcp:127.0.0.1:PORT\n"
    "The printer prints to standard output; it serves until it is ended (Ctrl+C or SIGTERM).\n"
    "SIGUSR1 writes the printer's state to standard output.\n";

}  // namespace

bool ParseSimOptions(std::span<const std::string> args, SimOptions& options, std::string& error) {
    OptionParser parser("corvane-sim", kDescription);
    Define(parser, options);
    return parser.Parse(args, error);
}

std::string SimUsage() {
    OptionParser parser("corvane-sim", kDescription);
    SimOptions options;
    Define(parser, options);
    return parser.Usage();
}

void ApplySimOptions(const SimOptions& options, sim::VirtualPrinter& printer) {
    if (options.versionId) {
        printer.SetVersionId(*options.versionId);
    }
    if (options.firmware) {
        printer.SetFirmwareText(*options.firmware);
    }
    if (options.maker) {
        printer.SetMakerText(*options.maker);
    }
    if (options.modelText) {
        printer.SetModelText(*options.modelText);
    }
    if (options.language) {
        printer.SetLanguageText(*options.language);
    }
    if (options.line) {
        printer.SetSerialLine(*options.line);
    }
    for (const auto& [number, pins] : options.switches) {
        printer.SetSwitch(number, pins);
    }
    printer.SetFaults(options.faults);
}

}  // namespace corvane::startup
