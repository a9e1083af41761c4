#pragma once

// The connection window on a headless host over a simulated printer on the virtual clock, with a
// spooler that holds print queues on the printer's ports, so that a test can connect, open a
// tool, run one exchange and close the window as a technician would.

#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/ConnectionDialog.h"
#include "platform/Spooler.h"
#include "platform/sim/SimPlatform.h"
#include "resources/Template102Ids.h"
#include "sim/VirtualPrinter.h"
#include "support/PortRig.h"
#include "ui/HeadlessHost.h"

namespace corvane::faults {

// A spooler that keeps its queues in memory.
class QueueSpooler : public platform::Spooler {
public:
    std::vector<platform::QueueInfo> queues;

    platform::QueueListing ListQueues() override { return {queues, {}}; }
    platform::Error StopQueue(const std::string& name, const std::string&) override {
        return Set(name, true);
    }
    platform::Error StartQueue(const std::string& name) override { return Set(name, false); }

    std::map<std::string, bool> Stopped() const {
        std::map<std::string, bool> stopped;
        for (const auto& queue : queues) {
            stopped[queue.name] = queue.stopped;
        }
        return stopped;
    }

private:
    platform::Error Set(const std::string& name, bool stopped) {
        for (auto& queue : queues) {
            if (queue.name == name) {
                queue.stopped = stopped;
                return {};
            }
        }
        return {platform::ErrorKind::NotFound, 0};
    }
};

class WindowRig {
public:
    WindowRig(sim::Model model, sim::Emulation emulation, support::Link link)
        : printer(model, emulation) {
        // Queues on both ports the window may use, one of them stopped by someone else already,
        // and one elsewhere.
        spooler.queues = {{"receipts", "serial:COM1?baud=9600", false},
                          {"held", "serial:COM1", true},
                          {"kitchen", "parallel:LPT1:", false},
                          {"labels", "serial:COM2", false}};
        queuesBefore = spooler.Stopped();
        platform.SetSpooler(&spooler);
        platform.AttachSerial("COM1", printer);
        platform.AttachParallel("LPT1:", printer);
        sim::UsbIds ids = sim::DefaultUsbIds(model);
        platform.AttachUsb("/dev/usb/lp0", ids.vendorId, ids.productId, printer);
        dialog = std::make_unique<app::ConnectionDialog>(port, notes, problems);
        host = std::make_unique<ui::HeadlessHost>(*dialog);
        namespace id = resources::template102;
        host->Click(sim::IsKrt310Family(model) ? id::kModel310 : id::kModel620);
        host->Click(emulation == sim::Emulation::Native ? id::kEmulationNative
                                                        : id::kEmulationOther);
        switch (link) {
            case support::Link::Serial:
                host->Click(id::kSerial);
                break;
            case support::Link::Parallel:
                host->Click(id::kParallel);
                break;
            case support::Link::Usb:
                host->Click(id::kUsb);
                break;
        }
    }

    ~WindowRig() { CloseWindow(); }

    // The window goes, and with it the tools and the connection.
    void CloseWindow() {
        host.reset();
        dialog.reset();
    }

    ui::HeadlessHost::Session& Session() { return host->GetSession(); }

    platform::sim::SimPlatform platform;
    QueueSpooler spooler;
    std::map<std::string, bool> queuesBefore;
    sim::VirtualPrinter printer;
    link::PrinterPort port{platform};
    std::ostringstream notes;
    std::ostringstream problems;
    std::unique_ptr<app::ConnectionDialog> dialog;
    std::unique_ptr<ui::HeadlessHost> host;
};

}  // namespace corvane::faults
