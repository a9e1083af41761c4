#include "cli/Ports.h"

#include <algorithm>
#include <iomanip>
#include <sstream>

#include "cli/DeviceAccess.h"
#include "cli/PortTarget.h"
#include "link/PortMap.h"
#include "link/SpoolerPorts.h"
#include "link/UsbPrinterFinder.h"
#include "startup/ProgramPlatform.h"

namespace corvane::cli {

namespace {

using json = nlohmann::ordered_json;

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

std::string UsbFamily(const platform::UsbPrinterInfo& printer) {
    const product::Model* model = product::ModelWithUsbIds({printer.vendorId, printer.productId});
    return model == nullptr ? "" : std::string(product::FamilyFacts(model->family).caption);
}

std::string Hex4(std::uint16_t value) {
    std::ostringstream text;
    text << std::hex << std::setw(4) << std::setfill('0') << value;
    return text.str();
}

}  // namespace

CommandResult RunPorts(const startup::CliOptions& options) {
    CommandResult result;
    std::unique_ptr<startup::ProgramPlatform> simulated;
    std::unique_ptr<platform::Platform> machine;
    platform::Platform* platform = nullptr;
    if (options.simulate) {
        startup::CommandLineOptions simulate;
        simulate.simulate = options.simulate;
        std::string ignored;
        simulated = startup::ProgramPlatform::Make(simulate, ignored);
        platform = &simulated->Get();
    } else {
        machine = MakeListingPlatform(options);
        platform = machine.get();
    }

    // The names of the window, in its order, then any device path given.
    link::PortMap ports;
    std::vector<std::string> names;
    for (int n = 1; n <= link::kSerialPortCount; ++n) {
        names.push_back(link::CanonicalPortName({platform::PortFamily::Serial, n}));
    }
    for (int n = 1; n <= link::kParallelPortCount; ++n) {
        names.push_back(link::CanonicalPortName({platform::PortFamily::Parallel, n}));
    }
    std::vector<std::pair<std::string, std::string>> extra;
    for (const auto& given : options.ports) {
        PortTarget target;
        std::string error;
        if (!ParsePortTarget(given, target, error)) {
            result.exitStatus = 2;
            result.json["error"] = error;
            result.text = error + "\n";
            return result;
        }
        if (target.device && given.find('=') != std::string::npos) {
            ports.Override(target.portName, *target.device);
        } else if (target.device) {
            extra.emplace_back(given, *target.device);
        }
    }

    std::vector<platform::QueueInfo> queues = platform->GetSpooler().ListQueues();
    const bool mayStopQueues = MayStopQueues();
    std::ostringstream text;
    text << std::left << std::setw(12) << "PORT" << std::setw(28) << "DEVICE" << std::setw(10)
         << "KIND"
         << "STATE\n";
    json rows = json::array();
    auto addRow = [&](const std::string& name, const std::string& device, const char* kind) {
        DeviceState state;
        if (options.simulate) {
            state.exists = state.usable = true;
        } else {
            state = LookAt(device, options);
        }
        json queueNames = json::array();
        for (const auto& queue : queues) {
            if (link::QueueUsesDevice(queue, device)) {
                queueNames.push_back(queue.name);
                state.problems.push_back(
                    {"print queue " + queue.name + " prints to it",
                     mayStopQueues ? "nothing: it is stopped while corvane-cli works and started "
                                     "again after"
                                   : kQueueStopRefused});
            }
        }
        std::string stateText = state.usable ? "usable" : state.exists ? "not usable" : "absent";
        text << std::setw(12) << name << std::setw(28) << device << std::setw(10) << kind
             << stateText << "\n";
        // An absent port is common and says all there is to say on its row.
        if (state.exists) {
            ProblemsText(text, state.problems);
        } else {
            std::vector<Problem> queueProblems(state.problems.begin() + 1, state.problems.end());
            ProblemsText(text, queueProblems);
        }
        rows.push_back({{"port", name},
                        {"device", device},
                        {"kind", kind},
                        {"exists", state.exists},
                        {"usable", state.usable},
                        {"problems", ProblemsJson(state.problems)},
                        {"queues", queueNames}});
    };
    for (const auto& name : names) {
        bool serial = name.rfind("LPT", 0) != 0;
        addRow(name, ports.DevicePath(*platform, name), serial ? "serial" : "parallel");
    }
    for (const auto& [given, device] : extra) {
        addRow(given, device, given.rfind("/dev/lp", 0) == 0 ? "parallel" : "serial");
    }

    std::vector<platform::UsbPrinterInfo> printers = platform->ListUsbPrinters();
    json usbRows = json::array();
    text << "\nUSB printers:\n";
    if (printers.empty()) {
        text << "  none found\n";
    }
    std::vector<Problem> usbQueues;
    for (const auto& queue : queues) {
        if (link::QueueUsesUsb(queue)) {
            usbQueues.push_back({"print queue " + queue.name +
                                     " uses a USB printer, so USB "
                                     "connections are refused",
                                 UsbQueueRemedy(queue.name)});
        }
    }
    for (const auto& printer : printers) {
        std::string family = UsbFamily(printer);
        DeviceState state;
        if (options.simulate) {
            state.exists = state.usable = true;
        } else {
            state = LookAt(printer.devicePath, options);
        }
        state.problems.insert(state.problems.end(), usbQueues.begin(), usbQueues.end());
        state.usable = state.usable && usbQueues.empty() && !family.empty();
        text << "  " << std::setw(26) << printer.devicePath << Hex4(printer.vendorId) << ":"
             << Hex4(printer.productId) << "  " << std::setw(15)
             << (family.empty() ? "not supported" : family)
             << (state.usable ? "usable" : "not usable") << "\n";
        ProblemsText(text, state.problems);
        usbRows.push_back({{"device", printer.devicePath},
                           {"vendorId", Hex4(printer.vendorId)},
                           {"productId", Hex4(printer.productId)},
                           {"family", family.empty() ? json(nullptr) : json(family)},
                           {"usable", state.usable},
                           {"problems", ProblemsJson(state.problems)}});
    }
    result.json["ports"] = rows;
    result.json["usbPrinters"] = usbRows;
    result.text = text.str();
    return result;
}

}  // namespace corvane::cli
