// The ports command: every port with whether it can be used, as a table or as JSON.
#include <iomanip>
#include <sstream>

#include "base/Text.h"
#include "cli/CommandRunners.h"
#include "service/PortListing.h"

namespace corvane::cli {

namespace {

using json = nlohmann::ordered_json;
using service::Problem;

json ProblemsJson(const std::vector<Problem>& problems) {
    json list = json::array();
    for (const auto& problem : problems) {
        json entry = {{"why", problem.why}};
        if (!problem.todo.empty()) {
            entry["todo"] = problem.todo;
        }
        list.push_back(entry);
    }
    return list;
}

void ProblemsText(std::ostream& text, const std::vector<Problem>& problems) {
    for (const auto& problem : problems) {
        text << "    " << problem.why << "\n";
        if (!problem.todo.empty()) {
            text << "      -> " << problem.todo << "\n";
        }
    }
}

}  // namespace

CommandResult RunPorts(CommandCall& call) {
    const startup::CliOptions& options = call.options;
    CommandResult result;
    service::PortListingRequest request;
    request.ports = options.ports;
    request.simulate = options.simulate;
    request.roots = {options.sysfsRoot, options.devRoot};
    service::PortListing listing;
    std::string error;
    if (!service::ListPorts(request, listing, error)) {
        result.exitStatus = service::kUsageError;
        result.json["error"] = error;
        result.text = error + "\n";
        return result;
    }

    std::ostringstream text;
    text << std::left << std::setw(12) << "PORT" << std::setw(28) << "DEVICE" << std::setw(10)
         << "KIND"
         << "STATE\n";
    json rows = json::array();
    for (const auto& entry : listing.ports) {
        const service::DeviceState& state = entry.state;
        std::string stateText = state.usable ? "usable" : state.exists ? "not usable" : "absent";
        text << std::setw(12) << entry.port << std::setw(28) << entry.device << std::setw(10)
             << entry.kind << stateText << "\n";
        // An absent port is common and says all there is to say on its row.
        if (state.exists) {
            ProblemsText(text, state.problems);
        } else {
            std::vector<Problem> queueProblems(state.problems.begin() + 1, state.problems.end());
            ProblemsText(text, queueProblems);
        }
        rows.push_back({{"port", entry.port},
                        {"device", entry.device},
                        {"kind", entry.kind},
                        {"exists", state.exists},
                        {"usable", state.usable},
                        {"problems", ProblemsJson(state.problems)},
                        {"queues", entry.queues}});
    }

    json usbRows = json::array();
    text << "\nUSB printers:\n";
    if (listing.usbPrinters.empty()) {
        text << "  none found\n";
    }
    for (const auto& printer : listing.usbPrinters) {
        text << "  " << std::setw(26) << printer.device << base::HexWord(printer.vendorId) << ":"
             << base::HexWord(printer.productId) << "  " << std::setw(15)
             << (printer.family.empty() ? "not supported" : printer.family)
             << (printer.state.usable ? "usable" : "not usable") << "\n";
        ProblemsText(text, printer.state.problems);
        usbRows.push_back(
            {{"device", printer.device},
             {"vendorId", base::HexWord(printer.vendorId)},
             {"productId", base::HexWord(printer.productId)},
             {"family", printer.family.empty() ? json(nullptr) : json(printer.family)},
             {"usable", printer.state.usable},
             {"problems", ProblemsJson(printer.state.problems)}});
    }
    result.json["ports"] = rows;
    result.json["usbPrinters"] = usbRows;
    result.text = text.str();
    return result;
}

}  // namespace corvane::cli
