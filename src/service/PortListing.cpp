#include "service/PortListing.h"

#include "link/PortMap.h"
#include "link/SpoolerPorts.h"
#include "link/UsbPrinterFinder.h"
#include "product/Models.h"
#include "service/PortTarget.h"
#include "startup/ProgramPlatform.h"

namespace corvane::service {

namespace {

std::string UsbFamily(const platform::UsbPrinterInfo& printer) {
    const product::Model* model = product::ModelWithUsbIds({printer.vendorId, printer.productId});
    return model == nullptr ? "" : std::string(product::FamilyFacts(model->family).caption);
}

}  // namespace

bool ListPorts(const PortListingRequest& request, PortListing& listing, std::string& error) {
    std::unique_ptr<startup::ProgramPlatform> simulated;
    std::unique_ptr<platform::Platform> machine;
    platform::Platform* platform = nullptr;
    if (request.simulate) {
        startup::CommandLineOptions simulate;
        simulate.simulate = request.simulate;
        std::string ignored;
        simulated = startup::ProgramPlatform::Make(simulate, ignored);
        platform = &simulated->Get();
    } else {
        machine = MakeListingPlatform(request.roots);
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
    for (const auto& given : request.ports) {
        PortTarget target;
        if (!ParsePortTarget(given, target, error)) {
            return false;
        }
        if (target.device && given.find('=') != std::string::npos) {
            ports.Override(target.portName, *target.device);
        } else if (target.device) {
            extra.emplace_back(given, *target.device);
        }
    }

    std::vector<platform::QueueInfo> queues = platform->GetSpooler().ListQueues().queues;
    const bool mayStopQueues = MayStopQueues();
    auto look = [&](const std::string& device) {
        DeviceState state;
        if (request.simulate) {
            state.exists = state.usable = true;
        } else {
            state = LookAt(device, request.roots);
        }
        return state;
    };
    auto add = [&](const std::string& name, const std::string& device, const char* kind) {
        PortEntry entry{name, device, kind, look(device), {}};
        for (const auto& queue : queues) {
            if (link::QueueUsesDevice(queue, device)) {
                entry.queues.push_back(queue.name);
                entry.state.problems.push_back(
                    {"print queue " + queue.name + " prints to it",
                     mayStopQueues ? "nothing: it is stopped while corvane-cli works and started "
                                     "again after"
                                   : kQueueStopRefused});
            }
        }
        listing.ports.push_back(std::move(entry));
    };
    for (const auto& name : names) {
        bool serial = name.rfind("LPT", 0) != 0;
        add(name, ports.DevicePath(*platform, name), serial ? "serial" : "parallel");
    }
    for (const auto& [given, device] : extra) {
        add(given, device, given.rfind("/dev/lp", 0) == 0 ? "parallel" : "serial");
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
    for (const auto& printer : platform->ListUsbPrinters()) {
        UsbPrinterEntry entry{printer.devicePath, printer.vendorId, printer.productId,
                              UsbFamily(printer), look(printer.devicePath)};
        entry.state.problems.insert(entry.state.problems.end(), usbQueues.begin(), usbQueues.end());
        entry.state.usable = entry.state.usable && usbQueues.empty() && !entry.family.empty();
        listing.usbPrinters.push_back(std::move(entry));
    }
    return true;
}

}  // namespace corvane::service
