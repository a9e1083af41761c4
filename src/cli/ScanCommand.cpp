// The scan command: the printers found, where and at which line, as a table or as JSON.
#include <algorithm>
#include <chrono>
#include <iomanip>
#include <sstream>

#include "cli/CommandRunners.h"
#include "product/Models.h"
#include "product/SettingLists.h"
#include "service/Scan.h"

namespace corvane::cli {

namespace {

using json = nlohmann::ordered_json;

// "19200 7E1", as the line is written on a printer's label.
std::string LineText(const link::LineSettings& line) {
    const char parity[] = {'N', 'O', 'E'};
    std::string stop = line.stopBits == platform::kStopBitsOne   ? "1"
                       : line.stopBits == platform::kStopBitsTwo ? "2"
                                                                 : "1.5";
    return std::to_string(line.baudRate) + " " + std::to_string(line.dataBits) +
           (line.parity < 3 ? parity[line.parity] : '?') + stop;
}

std::string EmulationText(const service::FoundPrinter& printer) {
    if (printer.emulation == protocol::Emulation::Native) {
        return "native";
    }
    return printer.emulationAnswer == 1 ? "other02" : "other03";
}

std::string FamilyText(const service::FoundPrinter& printer) {
    return printer.family ? std::string(product::FamilyFacts(*printer.family).caption) : "";
}

json PrinterJson(const service::ScanPort& port) {
    const service::FoundPrinter& printer = *port.printer;
    json entry = {{"port", port.target.given}, {"device", port.device}, {"kind", port.kind}};
    if (printer.line) {
        entry["baudRate"] = printer.line->baudRate;
        entry["dataBits"] = printer.line->dataBits;
        entry["parity"] = std::string(product::kParities[printer.line->parity].text);
        entry["line"] = LineText(*printer.line);
        json also = json::array();
        for (const auto& line : printer.alsoAnswersAt) {
            also.push_back(LineText(line));
        }
        entry["alsoAnswersAt"] = also;
    }
    entry["emulation"] = EmulationText(printer);
    auto text = [](const std::string& value) {
        return value.empty() ? json(nullptr) : json(value);
    };
    entry["family"] = text(FamilyText(printer));
    entry["maker"] = text(printer.maker);
    entry["model"] = text(printer.model);
    entry["firmware"] = text(printer.firmware);
    return entry;
}

}  // namespace

CommandResult RunScan(CommandCall& call) {
    const startup::CliOptions& options = call.options;
    service::ScanRequest request;
    request.ports = options.ports;
    request.platform = PlatformOf(options);
    request.emulation = ChoiceOf(options).emulation;
    request.roots = {options.sysfsRoot, options.devRoot};
    const auto began = std::chrono::steady_clock::now();
    // The live count of ports done, failed and left, where a terminal shows it.
    service::ScanOutcome outcome = service::Scan(
        request, [&call](const service::ScanPort*, const service::ScanCounts& counts) {
            call.shown.ShowCount(counts.done, counts.failed, counts.left);
        });
    call.shown.Clear();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    if (!outcome.refusal.empty()) {
        return Refused(call.reporter, outcome.refusal);
    }

    CommandResult result;
    result.exitStatus = outcome.exitStatus;
    std::vector<std::vector<std::string>> rows = {
        {"PORT", "DEVICE", "LINE", "EMULATION", "MODEL", "FIRMWARE"}};
    std::vector<std::string> notes(1);
    std::ostringstream missed;
    json printers = json::array();
    json ports = json::array();
    for (const auto& port : outcome.ports) {
        ports.push_back({{"port", port.target.given},
                         {"device", port.device},
                         {"kind", port.kind},
                         {"found", port.printer.has_value()},
                         {"problem", port.problem.empty() ? json(nullptr) : json(port.problem)},
                         {"questions", port.questions},
                         {"milliseconds", port.elapsed.count()}});
        if (!port.printer) {
            missed << "  " << port.target.given << ": " << port.problem << "\n";
            continue;
        }
        const service::FoundPrinter& printer = *port.printer;
        rows.push_back({port.target.given, port.device,
                        printer.line ? LineText(*printer.line) : "-", EmulationText(printer),
                        printer.model.empty() ? "-" : printer.model,
                        printer.firmware.empty() ? "-" : printer.firmware});
        std::string note;
        if (printer.alsoAnswersAt.size() + 1 == service::ScanLines().size()) {
            note = "  answers alike at every line setting\n";
        } else if (!printer.alsoAnswersAt.empty()) {
            note = "  also answers at";
            for (const auto& line : printer.alsoAnswersAt) {
                note += " " + LineText(line);
            }
            note += " (the emulation query cannot tell these apart)\n";
        }
        notes.push_back(note);
        printers.push_back(PrinterJson(port));
    }

    std::ostringstream text;
    if (outcome.ports.empty()) {
        text << "No port that this user may open is there; name ports with --port (\"corvane-cli "
                "ports\" tells why each one cannot be used).\n";
    } else if (printers.empty()) {
        text << "No printer answered.\n";
    } else {
        std::vector<std::size_t> widths(rows.front().size(), 0);
        for (const auto& row : rows) {
            for (std::size_t i = 0; i < row.size(); ++i) {
                widths[i] = std::max(widths[i], row[i].size() + 2);
            }
        }
        for (std::size_t r = 0; r < rows.size(); ++r) {
            for (std::size_t i = 0; i + 1 < rows[r].size(); ++i) {
                text << std::left << std::setw(static_cast<int>(widths[i])) << rows[r][i];
            }
            text << rows[r].back() << "\n" << notes[r];
        }
    }
    if (!missed.str().empty()) {
        text << "\nNo printer on:\n" << missed.str();
    }
    text << "\n"
         << printers.size() << " of " << outcome.ports.size() << " ports with a printer, in "
         << std::fixed << std::setprecision(1) << seconds << " s.\n";
    result.json["printers"] = printers;
    result.json["ports"] = ports;
    result.json["seconds"] = seconds;
    result.text = text.str();
    return result;
}

}  // namespace corvane::cli
