// Every exchange of the program against every fault of the simulated printer, on the virtual
// clock, through the windows a technician uses: the printer falling silent after each byte of
// the exchange, each reply cut at every byte, noise before the header, the cable pulled after
// each command, and slow replies. Each cell must end within what the port's time-outs allow,
// report no success once the printer failed, take over nothing from a broken reply, leave the
// window usable, and give the print queues it moved aside back when the window goes.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <sstream>

#include "TimeoutBudget.h"
#include "WindowRig.h"
#include "resources/Template143Ids.h"
#include "resources/Template145Ids.h"
#include "resources/Template152Ids.h"
#include "resources/Template159Ids.h"
#include "resources/Template160Ids.h"

namespace corvane::faults {
namespace {

using namespace std::chrono_literals;
using sim::Emulation;
using sim::Model;
using ui::HeadlessHost;
namespace win = resources::template102;
namespace mgr = resources::template145;

const std::vector<std::string> kSuccessMessages = {
    "Printer is connected.", "Success to get status of printer.",
    "Success to set status of printer", "Success to set status of printer.",
    "Save Setting Success!!"};

bool IsSuccess(const std::string& text) {
    return std::find(kSuccessMessages.begin(), kSuccessMessages.end(), text) !=
           kSuccessMessages.end();
}

struct Outcome {
    Micros elapsed = 0;
    std::vector<std::string> messages;  // shown while the exchange ran
    std::vector<std::string> result;    // what the exchange left for the user to rely on
    bool succeeded = false;
    bool usable = true;  // the window that ran the exchange can be used again
    bool queuesRestored = false;
    std::size_t commands = 0;    // commands the printer took during the exchange
    std::size_t replyBytes = 0;  // bytes it sent during the exchange
};

struct Exchange {
    std::string name;
    Model model;
    Emulation emulation;
    Link link;
    // The main window's button that opens the tool the exchange runs in; 0 for the main window.
    int tool = 0;
    // The exchange is the Connect itself, so the window is not connected first.
    bool connects = false;
    // The exchange runs while the tool opens.
    bool atOpening = false;
    // The printer's settings before the window connects.
    std::function<void(sim::VirtualPrinter&)> setup = [](sim::VirtualPrinter&) {};
    std::function<void(HeadlessHost&)> prepare = [](HeadlessHost&) {};
    std::function<void(HeadlessHost&)> act;
    // What the user sees or the printer keeps afterwards, item by item; empty where nothing is
    // claimed.
    std::function<std::vector<std::string>(WindowRig&, HeadlessHost&)> result =
        [](WindowRig&, HeadlessHost&) { return std::vector<std::string>(); };
    // Items a printer may leave untold (a model that lacks them says nothing), with what they
    // read as then.
    std::map<std::size_t, std::string> untold;
    // Whether the exchange told the user it worked; by default a success message did.
    std::function<bool(const Outcome&, HeadlessHost&)> succeeded = [](const Outcome& outcome,
                                                                      HeadlessHost&) {
        return std::any_of(outcome.messages.begin(), outcome.messages.end(), IsSuccess);
    };
    std::function<bool(HeadlessHost&)> usable = [](HeadlessHost&) { return true; };
    Budget budget{Link::Serial};
};

struct Fault {
    std::string name;
    std::function<void(sim::VirtualPrinter&)> apply;
    std::chrono::microseconds latency{0};
    std::chrono::microseconds perByte{0};
};

std::string Join(const std::vector<std::string>& items) {
    std::string text;
    for (const auto& item : items) {
        text += (text.empty() ? "" : "|") + item;
    }
    return text;
}

// Each item is the printer's own, or untold where the printer may leave it so.
bool TellsTheTruth(const Exchange& x, const std::vector<std::string>& result,
                   const std::vector<std::string>& truth) {
    if (result.size() != truth.size()) {
        return false;
    }
    for (std::size_t i = 0; i < result.size(); ++i) {
        auto untold = x.untold.find(i);
        if (result[i] != truth[i] && (untold == x.untold.end() || result[i] != untold->second)) {
            return false;
        }
    }
    return true;
}

std::string Describe(const Exchange& x) {
    return x.name + " " + std::string(sim::ModelName(x.model)) + " " + support::LinkName(x.link);
}

Outcome Run(const Exchange& x, const Fault& fault) {
    WindowRig rig(x.model, x.emulation, x.link);
    x.setup(rig.printer);
    Outcome out;
    Micros start = 0;
    std::size_t firstMessage = 0;
    std::size_t commands = 0;
    std::size_t replyBytes = 0;
    auto begin = [&] {
        fault.apply(rig.printer);
        rig.printer.GetFaults().latency = fault.latency;
        rig.printer.GetFaults().perByte = fault.perByte;
        start = rig.platform.NowMicros();
        firstMessage = rig.Session().messages.size();
        commands = rig.printer.CommandCount();
        replyBytes = rig.printer.ReplyBytesSent();
    };
    auto end = [&](HeadlessHost& window) {
        out.elapsed = rig.platform.NowMicros() - start;
        const auto& shown = rig.Session().messages;
        for (std::size_t i = firstMessage; i < shown.size(); ++i) {
            out.messages.push_back(shown[i].text);
        }
        out.commands = rig.printer.CommandCount() - commands;
        out.replyBytes = rig.printer.ReplyBytesSent() - replyBytes;
        out.result = x.result(rig, window);
        out.succeeded = x.succeeded(out, window);
        bool over = window.Ended() || rig.Session().quitCode.has_value();
        out.usable = over || x.usable(window);
    };
    if (!x.connects) {
        rig.host->Click(win::kConnect);
        if (!rig.host->IsControlEnabled(win::kDisconnect)) {
            ADD_FAILURE() << Describe(x) << ": the healthy printer did not connect";
            return out;
        }
    }
    if (x.tool == 0) {
        begin();
        x.act(*rig.host);
        end(*rig.host);
    } else {
        rig.Session().modalDriver = [&](ui::Dialog&, HeadlessHost& tool) {
            if (!x.atOpening) {
                x.prepare(tool);
                begin();
                x.act(tool);
            }
            end(tool);
        };
        if (x.atOpening) {
            begin();
        }
        rig.host->Click(x.tool);
    }
    rig.CloseWindow();
    out.queuesRestored = rig.spooler.Stopped() == rig.queuesBefore;
    return out;
}

// Silence from every byte on, a cut at every byte, noise, the cable pulled after every command
// and slow replies, sized to what the exchange exchanges with a healthy printer.
std::vector<Fault> FaultsFor(const Outcome& healthy) {
    std::vector<Fault> faults;
    for (std::size_t k = 0; k < healthy.replyBytes; ++k) {
        faults.push_back({"silent after " + std::to_string(k) + " bytes", [k](auto& printer) {
                              printer.GetFaults().silentAfterBytes = printer.ReplyBytesSent() + k;
                          }});
        faults.push_back({"every reply cut after " + std::to_string(k) + " bytes",
                          [k](auto& printer) { printer.GetFaults().cutAfter = k; }});
    }
    for (std::size_t n = 0; n < healthy.commands; ++n) {
        faults.push_back({"unplugged after " + std::to_string(n) + " commands", [n](auto& printer) {
                              printer.GetFaults().unplugAfterCommands = printer.CommandCount() + n;
                          }});
    }
    // A stray '7' is left out: the reply layout gives its other bytes no meaning, so nothing can
    // tell it from the header.
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>> noises = {
        {"a NUL", {0x00}},
        {"two bytes", {0xFF, 0x80}},
        {"63 bytes", std::vector<std::uint8_t>(63, 0x20)},
        {"64 bytes", std::vector<std::uint8_t>(64, 0x20)},
    };
    for (const auto& [name, noise] : noises) {
        faults.push_back(
            {"noise of " + name + " before the header",
             [bytes = noise](auto& printer) { printer.GetFaults().noiseBeforeHeader = bytes; }});
    }
    // Within the first read's deadline, caught by the port's retry, and beyond both.
    for (auto latency : {1000ms, 2400ms, 5000ms}) {
        faults.push_back(
            {"replies " + std::to_string(latency.count()) + " ms late", [](auto&) {}, latency});
    }
    for (auto perByte : {1ms, 300ms, 2500ms}) {
        faults.push_back({"replies at " + std::to_string(perByte.count()) + " ms a byte",
                          [](auto&) {}, 0us, perByte});
    }
    return faults;
}

// Runs the exchange healthy and under every fault, and checks every cell.
void RunMatrix(const Exchange& x) {
    const Fault none{"healthy", [](auto&) {}};
    const Outcome healthy = Run(x, none);
    std::vector<std::string> failures;
    auto check = [&](const Fault& fault, const Outcome& out) {
        std::string cell = Describe(x) + ", " + fault.name + ": ";
        Micros bound = x.budget.Total() +
                       SlowAllowance(out.commands, out.replyBytes, fault.latency, fault.perByte);
        if (out.elapsed > bound) {
            failures.push_back(cell + "took " + std::to_string(out.elapsed / 1000) +
                               " ms, more than the " + std::to_string(bound / 1000) +
                               " ms the time-outs allow");
        }
        auto failed = std::find_if(out.messages.begin(), out.messages.end(),
                                   [](const std::string& text) { return !IsSuccess(text); });
        if (failed != out.messages.end() &&
            std::find_if(failed, out.messages.end(), IsSuccess) != out.messages.end()) {
            failures.push_back(cell + "reported success after \"" + *failed + "\"");
        }
        if (out.succeeded && !TellsTheTruth(x, out.result, healthy.result)) {
            failures.push_back(cell + "reported success with \"" + Join(out.result) +
                               "\" where the printer has \"" + Join(healthy.result) + "\"");
        }
        if (!out.usable) {
            failures.push_back(cell + "left the window locked");
        }
        if (!out.queuesRestored) {
            failures.push_back(cell + "left print queues stopped");
        }
    };
    check(none, healthy);
    if (!healthy.succeeded) {
        failures.push_back(Describe(x) + " did not succeed with a healthy printer");
    }
    for (const Fault& fault : FaultsFor(healthy)) {
        check(fault, Run(x, fault));
    }
    constexpr std::size_t kShown = 12;
    for (std::size_t i = 0; i < std::min(failures.size(), kShown); ++i) {
        ADD_FAILURE() << failures[i];
    }
    if (failures.size() > kShown) {
        ADD_FAILURE() << "and " << failures.size() - kShown << " more failed cells";
    }
}

const Link kLinks[] = {Link::Serial, Link::Parallel, Link::Usb};
const Model kModels[] = {Model::Krt310, Model::Krt310II, Model::Krt620};

// The manager's own identification, as it runs at its start and closes Set Status.
Budget IdentificationBudget(Link link) {
    Budget b(link);
    for (std::uint64_t pauseMs : {1000, 1000, 10, 10}) {
        b.Writes(1).TextReply(pauseMs);
    }
    return b;
}

std::string Pins(const manager::SwitchPage& page) {
    std::string text;
    for (int pin = 1; pin <= 8; ++pin) {
        text += std::to_string(page[static_cast<std::size_t>(pin)]);
    }
    return text;
}

// A printer whose settings all differ from what a missing reply reads as.
void GiveSettings(sim::VirtualPrinter& printer) {
    printer.SetSwitch(printer.CodePageSwitch(), 0b0110'0011);
    printer.SetSwitch(printer.SecondSwitch(), 0b1010'0110);
    printer.State().serial = {"4800", '1', '1', '7'};
    printer.State().paperWidth = 2;
    printer.State().powerSave = true;
    printer.State().powerSaveSeconds = 30;
}

Exchange ManagerExchange(std::string name, Model model, Link link) {
    Exchange x;
    x.name = std::move(name);
    x.model = model;
    x.emulation = Emulation::Native;
    x.link = link;
    x.tool = win::kRunManager;
    x.budget = Budget(link);
    return x;
}

TEST(FaultMatrix, Connect) {
    for (Model model : kModels) {
        for (Link link : kLinks) {
            Exchange x;
            x.name = "Connect";
            x.model = model;
            x.emulation = Emulation::Native;
            x.link = link;
            x.connects = true;
            x.act = [](HeadlessHost& window) { window.Click(win::kConnect); };
            x.result = [](WindowRig&, HeadlessHost& window) {
                return std::vector<std::string>{
                    std::to_string(window.IsControlEnabled(win::kRunManager)),
                    std::to_string(window.IsControlEnabled(win::kSelfTest1))};
            };
            x.usable = [](HeadlessHost& window) {
                return window.IsControlEnabled(win::kConnect) !=
                       window.IsControlEnabled(win::kDisconnect);
            };
            // The version id; the firmware's own text when it is refused; maker and model.
            x.budget = Budget(link)
                           .Open()
                           .Writes(3)
                           .VersionIdReply()
                           .Writes(1)
                           .TextReply(100, 200)
                           .Writes(1)
                           .TextReply(10)
                           .Writes(1)
                           .TextReply(10);
            RunMatrix(x);
            if (sim::IsKrt310Family(model)) {
                x.name = "Connect in the other emulation";
                x.emulation = model == Model::Krt310 ? Emulation::Other02 : Emulation::Other03;
                x.result = [](WindowRig& rig, HeadlessHost&) {
                    return std::vector<std::string>{
                        std::to_string(rig.dialog->Settings().emulationAnswer)};
                };
                x.budget = Budget(link).Open().Writes(1).EmulationReply();
                RunMatrix(x);
            }
        }
    }
}

TEST(FaultMatrix, ManagerIdentification) {
    for (Model model : kModels) {
        for (Link link : kLinks) {
            Exchange x = ManagerExchange("Manager identification", model, link);
            x.act = [](HeadlessHost& manager) { manager.FireTimer(mgr::kStartupTimer); };
            x.result = [](WindowRig& rig, HeadlessHost&) {
                const auto& s = rig.dialog->Manager().State();
                return std::vector<std::string>{s.firmwareText, s.modelText, s.languageText,
                                                std::to_string(s.isKrt310II)};
            };
            // The manager stays open for use only for an accepted printer.
            x.succeeded = [](const Outcome&, HeadlessHost& manager) {
                return !manager.Ended() && manager.IsControlEnabled(mgr::kGetStatus);
            };
            x.budget = IdentificationBudget(link);
            RunMatrix(x);
        }
    }
}

TEST(FaultMatrix, GetStatus) {
    for (Model model : kModels) {
        for (Link link : kLinks) {
            Exchange x = ManagerExchange("Get Status", model, link);
            x.setup = GiveSettings;
            x.prepare = [](HeadlessHost& manager) { manager.FireTimer(mgr::kStartupTimer); };
            x.act = [](HeadlessHost& manager) { manager.Click(mgr::kGetStatus); };
            x.result = [](WindowRig& rig, HeadlessHost& manager) {
                const auto& s = rig.dialog->Manager().State();
                return std::vector<std::string>{
                    Pins(s.switchPage1),
                    Pins(s.switchPage2),
                    Pins(s.switchPage5),
                    std::to_string(s.baudIndex),
                    std::to_string(s.parityIndex),
                    std::to_string(s.flowControlIndex),
                    std::to_string(s.dataBitsIndex),
                    std::to_string(s.paperWidthIndex),
                    std::to_string(s.usePowerSave) + "/" + std::to_string(s.powerSaveSeconds),
                    std::to_string(manager.Selection(mgr::kCodePageList))};
            };
            // The paper width and power save reply may be missing: "No Change", and off with the
            // seconds as they were.
            x.untold = {{7, "0"}, {8, "0/0"}};
            x.usable = [](HeadlessHost& manager) {
                return manager.IsControlEnabled(mgr::kGetStatus) &&
                       manager.IsControlEnabled(mgr::kSetStatus);
            };
            bool usb = link == Link::Usb;
            if (sim::IsKrt310Family(model)) {
                x.budget.Writes(8).SwitchReply(!usb).SwitchReply(false);
                for (int item = 0; item < 5; ++item) {
                    x.budget.ValueReply();
                }
                x.budget.PowerSaveReply();
            } else {
                x.budget.Writes(2).SwitchReply(true).SwitchReply(false);
            }
            RunMatrix(x);
        }
    }
}

TEST(FaultMatrix, SetStatus) {
    for (Model model : kModels) {
        for (Link link : kLinks) {
            Exchange x = ManagerExchange("Set Status", model, link);
            bool krt310 = sim::IsKrt310Family(model);
            x.prepare = [krt310](HeadlessHost& manager) {
                manager.FireTimer(mgr::kStartupTimer);
                manager.Select(mgr::kCodePageList, 3);
                if (krt310) {
                    manager.Click(mgr::kSwitch2Page);
                    for (int pin = 1; pin <= 8; ++pin) {
                        manager.Select(mgr::PinList(pin), pin % 2 == 0 ? 1 : 2);
                    }
                    manager.Select(mgr::kBaudList, 2);
                    manager.Select(mgr::kParityList, 3);
                    manager.Select(mgr::kFlowControlList, 2);
                    manager.Select(mgr::kDataBitsList, 1);
                    manager.Select(mgr::kPaperWidthList, 1);
                } else {
                    manager.Click(mgr::kSwitch5Page);
                    manager.Select(mgr::kSpecialCodePageList, 1);
                }
            };
            x.act = [](HeadlessHost& manager) { manager.Click(mgr::kSetStatus); };
            x.result = [](WindowRig& rig, HeadlessHost&) {
                const auto& p = rig.printer;
                const auto& s = p.State();
                return std::vector<std::string>{
                    sim::PinText(p.Switch(p.CodePageSwitch())),
                    sim::PinText(p.Switch(p.SecondSwitch())),
                    s.serial.speed,
                    std::string{s.serial.parity, s.serial.flowControl, s.serial.dataBits},
                    std::to_string(s.paperWidth),
                    std::to_string(s.powerSave) + "/" + std::to_string(s.powerSaveSeconds),
                    std::to_string(s.userSettingMode)};
            };
            x.usable = [](HeadlessHost& manager) {
                return manager.IsControlEnabled(mgr::kGetStatus) &&
                       manager.IsControlEnabled(mgr::kSetStatus);
            };
            // Entering user setting mode and its reply, the switches (and for the KRT-310 family
            // the paper width, the serial settings, the power save and the drain), the end of the
            // mode once more after a failed write, and the closing identification.
            if (krt310) {
                x.budget.Writes(1)
                    .FixedModeReply()
                    .Writes(4)
                    .Pause(500)
                    .Writes(6)
                    .Pause(1000)
                    .Drain(1);
            } else {
                x.budget.Writes(1).SearchedModeReply().Writes(3);
            }
            x.budget.Writes(1).Then(IdentificationBudget(link));
            RunMatrix(x);
        }
    }
}

TEST(FaultMatrix, PrintStatus) {
    for (Model model : {Model::Krt310, Model::Krt620}) {
        for (Link link : kLinks) {
            Exchange x = ManagerExchange("Print Status", model, link);
            x.prepare = [](HeadlessHost& manager) { manager.FireTimer(mgr::kStartupTimer); };
            x.act = [](HeadlessHost& manager) { manager.Click(mgr::kPrintStatus); };
            x.succeeded = [](const Outcome&, HeadlessHost&) { return true; };
            x.budget.Writes(2).Drain(2);
            RunMatrix(x);
        }
    }
}

// The printer answers none of these; only the cable can fail them.
TEST(FaultMatrix, LineModeAndSpeed) {
    namespace sw = resources::template143;
    namespace cp = resources::template160;
    namespace baud = resources::template152;
    for (Link link : kLinks) {
        Exchange x;
        x.model = Model::Krt310;
        x.emulation = Emulation::Other02;
        x.link = link;
        x.tool = win::kRunManager;
        x.succeeded = [](const Outcome&, HeadlessHost&) { return true; };
        x.name = "Line-mode Set";
        x.prepare = [](HeadlessHost& dialog) {
            dialog.Click(sw::kZeroStyleCheck);
            dialog.Click(sw::kPaperWidthCheck);
        };
        x.act = [](HeadlessHost& dialog) { dialog.Click(sw::kSet); };
        x.budget = Budget(link).Writes(3);
        RunMatrix(x);
        x.name = "Line-mode Print";
        x.act = [](HeadlessHost& dialog) { dialog.Click(sw::kPrintStatus); };
        x.budget = Budget(link).Writes(1);
        RunMatrix(x);

        x.name = "Speed Set";
        x.emulation = Emulation::Other03;
        x.prepare = [](HeadlessHost& dialog) { dialog.Click(baud::k4800Radio); };
        x.act = [](HeadlessHost& dialog) { dialog.Click(baud::kSet); };
        x.budget = Budget(link).Writes(3);
        RunMatrix(x);

        x.model = Model::Krt620;
        x.emulation = Emulation::Other02;
        x.name = "Code page window opening";
        x.atOpening = true;
        x.budget = Budget(link).Writes(1).TextReply(1000);
        RunMatrix(x);
        x.atOpening = false;
        x.name = "Code page Set";
        x.prepare = [](HeadlessHost& dialog) { dialog.Click(cp::kCrLfSet); };
        x.act = [](HeadlessHost& dialog) { dialog.Click(cp::kSet); };
        x.budget = Budget(link).Writes(3);
        RunMatrix(x);
    }
}

TEST(FaultMatrix, AlignmentAndSelfTests) {
    namespace al = resources::template159;
    for (Link link : kLinks) {
        Exchange x;
        x.model = Model::Krt620;
        x.emulation = Emulation::Native;
        x.link = link;
        x.tool = win::kAlignmentTool;
        x.name = "Alignment store";
        x.prepare = [](HeadlessHost& dialog) {
            const int columns[] = {0, 6, 2, 4};
            for (int row = 0; row < al::kRows; ++row) {
                dialog.Click(al::Radio(row, columns[row]));
            }
        };
        x.act = [](HeadlessHost& dialog) { dialog.Click(al::kSaveSetting); };
        x.result = [](WindowRig& rig, HeadlessHost&) {
            std::vector<std::string> offsets;
            for (int offset : rig.printer.State().alignment) {
                offsets.push_back(std::to_string(offset));
            }
            return offsets;
        };
        x.budget = Budget(link).Writes(4).Pause(3 * 50);
        RunMatrix(x);

        x.result = [](WindowRig&, HeadlessHost&) { return std::vector<std::string>(); };
        x.succeeded = [](const Outcome&, HeadlessHost&) { return true; };
        x.budget = Budget(link).Writes(2);
        x.prepare = [](HeadlessHost&) {};
        for (int button : {al::kPatternPrint, al::kVerifySetting}) {
            x.name = button == al::kPatternPrint ? "Alignment pattern" : "Alignment verification";
            x.act = [button](HeadlessHost& dialog) { dialog.Click(button); };
            RunMatrix(x);
        }

        x.tool = 0;
        x.model = Model::Krt310II;
        x.budget = Budget(link).Writes(1);
        for (int button : {win::kSelfTest1, win::kSelfTest2}) {
            x.name = button == win::kSelfTest1 ? "Self test 1" : "Self test 2";
            x.act = [button](HeadlessHost& window) { window.Click(button); };
            RunMatrix(x);
        }
    }
}

}  // namespace
}  // namespace corvane::faults
