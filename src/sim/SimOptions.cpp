#include "sim/SimOptions.h"

#include <cctype>
#include <charconv>

namespace corvane::sim {

namespace {

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

}  // namespace

bool ParseSimOptions(std::span<const std::string> args, SimOptions& options, std::string& error) {
    constexpr std::uint64_t kMaxMs = 3'600'000;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inlineValue;
        if (auto equals = name.find('='); name.rfind("--", 0) == 0 && equals != std::string::npos) {
            inlineValue = name.substr(equals + 1);
            name.erase(equals);
        }
        auto value = [&](std::string& out) {
            if (inlineValue) {
                out = *inlineValue;
                return true;
            }
            if (i + 1 >= args.size()) {
                error = "Option " + name + " needs a value.";
                return false;
            }
            out = args[++i];
            return true;
        };
        auto flag = [&]() {
            if (inlineValue) {
                error = "Option " + name + " takes no value.";
                return false;
            }
            return true;
        };
        std::string text;
        std::uint64_t number = 0;
        if (name == "--help" || name == "-h") {
            if (!flag()) {
                return false;
            }
            options.help = true;
        } else if (name == "--model") {
            if (!value(text)) {
                return false;
            }
            auto model = ParseModel(text);
            if (!model) {
                error =
                    "Unknown printer model \"" + text + "\": use KRT-310, KRT-310II or KRT-620.";
                return false;
            }
            options.model = *model;
        } else if (name == "--emulation") {
            if (!value(text)) {
                return false;
            }
            auto emulation = ParseEmulation(text);
            if (!emulation) {
                error = "Unknown emulation \"" + text + "\": use native, 02 or 03.";
                return false;
            }
            options.emulation = *emulation;
        } else if (name == "--version-id") {
            std::vector<std::uint8_t> bytes;
            if (!value(text)) {
                return false;
            }
            std::string digits = text.rfind("0x", 0) == 0 ? text.substr(2) : text;
            if (!ParseHexBytes(digits, bytes) || bytes.size() != 1) {
                error = "The version id must be one byte in hexadecimal, such as 64.";
                return false;
            }
            options.versionId = bytes[0];
        } else if (name == "--firmware" || name == "--maker" || name == "--model-text" ||
                   name == "--language") {
            if (!value(text)) {
                return false;
            }
            auto& target = name == "--firmware"     ? options.firmware
                           : name == "--maker"      ? options.maker
                           : name == "--model-text" ? options.modelText
                                                    : options.language;
            target = text;
        } else if (name == "--switch") {
            std::pair<int, std::uint8_t> entry;
            if (!value(text)) {
                return false;
            }
            if (!ParseSwitch(text, entry)) {
                error =
                    "A switch is given as N=PINS: N from 1 to 8 and eight 0 or 1, pin 8 "
                    "first, such as 2=00100001.";
                return false;
            }
            options.switches.push_back(entry);
        } else if (name == "--silent") {
            if (!flag()) {
                return false;
            }
            options.faults.silent = true;
        } else if (name == "--slow") {
            if (!flag()) {
                return false;
            }
            options.faults.perByteFromLine = true;
        } else if (name == "--quiet") {
            if (!flag()) {
                return false;
            }
            options.quiet = true;
        } else if (name == "--verbose") {
            if (!flag()) {
                return false;
            }
            options.verbose = true;
        } else if (name == "--noise") {
            if (!value(text)) {
                return false;
            }
            if (!ParseHexBytes(text, options.faults.noiseBeforeHeader)) {
                error = "Noise is given as bytes in hexadecimal, such as \"AA 55\".";
                return false;
            }
        } else if (name == "--cut-after" || name == "--latency-ms" || name == "--per-byte-us" ||
                   name == "--unplug-after-ms" || name == "--unplug-after-commands") {
            if (!value(text)) {
                return false;
            }
            if (!ParseNumber(text, kMaxMs, number)) {
                error = "Option " + name + " needs a whole number from 0 to " +
                        std::to_string(kMaxMs) + ".";
                return false;
            }
            using std::chrono::microseconds;
            using std::chrono::milliseconds;
            if (name == "--cut-after") {
                options.faults.cutAfter = number;
            } else if (name == "--latency-ms") {
                options.faults.latency = milliseconds(number);
            } else if (name == "--per-byte-us") {
                options.faults.perByte = microseconds(number);
            } else if (name == "--unplug-after-ms") {
                options.faults.unplugAt = milliseconds(number);
            } else {
                options.faults.unplugAfterCommands = number;
            }
        } else if (name == "--state-file" || name == "--print-log" || name == "--link") {
            if (!value(text)) {
                return false;
            }
            if (text.empty()) {
                error = "Option " + name + " needs a file name.";
                return false;
            }
            (name == "--state-file"  ? options.stateFile
             : name == "--print-log" ? options.printLog
                                     : options.linkPath) = text;
        } else {
            error = "Unknown option \"" + args[i] + "\".";
            return false;
        }
    }
    return true;
}

std::string SimUsage() {
    return R"(Usage: corvane-sim [options]

Serves a simulated VANTORA printer on a pseudo-terminal. The first line of output is the
terminal's path; point the program at it with  corvane --port COM1=PATH  and connect on COM1.
The printer prints to standard output; it serves until it is ended (Ctrl+C or SIGTERM).
SIGUSR1 writes the printer's state to standard output.

Printer:
  --model MODEL             KRT-310 (default), KRT-310II or KRT-620
  --emulation E             native (default), 02 or 03 (the "Other" emulation's answer)
  --version-id HEX          version id byte (default 64, or 65 for the KRT-620)
  --firmware TEXT           firmware version text
  --maker TEXT              maker name (default VANTORA)
  --model-text TEXT         model name the printer reports
  --language TEXT           language text
  --switch N=PINS           memory switch N (1 to 8), eight 0 or 1 from pin 8 to pin 1

Faults:
  --silent                  take commands but answer nothing
  --cut-after K             break every reply off after K bytes
  --noise HEX               send these bytes before every reply with the '7' header
  --latency-ms N            wait N ms before each reply
  --slow                    send each byte in ten bit times at the line's speed
  --per-byte-us N           send each byte in N microseconds
  --unplug-after-ms N       hang up the line N ms after start
  --unplug-after-commands N hang up the line once N commands were taken

Output:
  --state-file FILE         rewrite FILE with the printer's state and printout on every change
  --print-log FILE          append every printed line to FILE
  --link PATH               make PATH a symbolic link to the terminal while serving
  --quiet                   print only the terminal's path
  --verbose                 also print every command the printer takes
  --help                    show this text
)";
}

}  // namespace corvane::sim
