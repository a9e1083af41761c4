#include "service/Scan.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <mutex>
#include <system_error>
#include <thread>

#include "base/VisibleText.h"
#include "link/NetworkAddress.h"
#include "product/Models.h"
#include "product/SettingLists.h"
#include "protocol/Identification.h"
#include "service/PortListing.h"
#include "service/PrinterSession.h"
#include "service/RecordingReporter.h"
#include "service/UnexpectedError.h"

namespace corvane::service {

namespace {

using link::LineSettings;

std::string KindOf(const PortTarget& target) {
    if (target.portName == product::kUsbPortName) {
        return "usb";
    }
    if (target.portName.starts_with("LPT")) {
        return "parallel";
    }
    if (target.device && link::ParseNetworkAddress(*target.device)) {
        return "network";
    }
    return "serial";
}

// The ports of the window that this user could open, and the USB printer when one is there.
bool PortsOfTheMachine(const ScanRequest& request, std::vector<std::string>& ports,
                       std::string& error) {
    PortListingRequest listingRequest;
    listingRequest.simulate = request.platform.simulate;
    listingRequest.roots = request.roots;
    PortListing listing;
    if (!ListPorts(listingRequest, listing, error)) {
        return false;
    }
    for (const auto& entry : listing.ports) {
        if (entry.state.usable) {
            ports.push_back(entry.port);
        }
    }
    if (std::any_of(listing.usbPrinters.begin(), listing.usbPrinters.end(),
                    [](const UsbPrinterEntry& printer) { return printer.state.usable; })) {
        ports.emplace_back(product::kUsbPortName);
    }
    return true;
}

// One port's questions and what they found.
class PortScan {
public:
    PortScan(link::PrinterPort& port, protocol::Emulation emulation, ScanPort& result)
        : port_(port), emulation_(emulation), result_(result) {}

    // Asks at every line setting on a serial line, once on any other link.
    std::optional<FoundPrinter> Run() {
        if (port_.Kind() != link::InterfaceKind::Serial || port_.IsNetwork()) {
            return AskAtThisLine();
        }
        std::optional<FoundPrinter> first;
        for (LineSettings line : ScanLines()) {
            // A line the device cannot take (a driver without 7-bit characters) is left out.
            if (!port_.ApplySerialSettings(line.baudRate, line.dataBits, line.parity)) {
                continue;
            }
            line.stopBits = port_.GetLineSettings().stopBits;
            port_.SetTimeouts(ProbeTimeouts(line.baudRate));
            auto found = AskAtThisLine();
            if (!found) {
                continue;
            }
            if (!first) {
                first = found;
                first->line = line;
                if (emulation_ == protocol::Emulation::Native) {
                    break;
                }
            } else if (found->emulationAnswer == first->emulationAnswer) {
                first->alsoAnswersAt.push_back(line);
            }
        }
        return first;
    }

private:
    // The question of the emulation, and its answer judged; the texts of a native printer.
    std::optional<FoundPrinter> AskAtThisLine() {
        const bool native = emulation_ == protocol::Emulation::Native;
        auto answer = Ask(native ? std::span<const std::uint8_t>(protocol::kVersionIdRequest)
                                 : std::span<const std::uint8_t>(protocol::kEmulationQuery));
        if (!answer) {
            return std::nullopt;
        }
        FoundPrinter found;
        found.emulation = emulation_;
        if (!native) {
            // 02 and 03 are the only answers; anything else is a garbled line.
            if (*answer != 0x02 && *answer != 0x03) {
                return std::nullopt;
            }
            found.emulationAnswer = *answer == 0x02 ? 1 : 2;
            return found;
        }
        for (const auto& family : product::kFamilies) {
            if (family.versionId == *answer) {
                found.family = family.id;
            }
        }
        if (!found.family) {
            return std::nullopt;
        }
        // The texts come at the usual deadlines; a printer that answered has them ready.
        port_.SetTimeouts(platform::SerialTimeouts{});
        auto text = [&](protocol::InfoRequest request) {
            ++result_.questions;
            return protocol::QueryPrinterText(port_, request, protocol::kNameQueryUsbSize,
                                              protocol::kNameQuerySerialPauseMs);
        };
        protocol::TextReply firmware = text(protocol::InfoRequest::VersionText);
        protocol::TextReply maker = text(protocol::InfoRequest::Maker);
        // A byte that only looked like a version id has no maker behind it.
        if (!maker.complete || maker.text.empty()) {
            return std::nullopt;
        }
        protocol::TextReply model = text(protocol::InfoRequest::Model);
        found.firmware = base::ShownText(firmware.text);
        found.maker = base::ShownText(maker.text);
        found.model = base::ShownText(model.text);
        return found;
    }

    // Writes the question and reads the one byte that answers it, without the retry of a read.
    std::optional<std::uint8_t> Ask(std::span<const std::uint8_t> question) {
        // What came at an earlier line setting is no answer to this question.
        port_.Device()->Purge();
        ++result_.questions;
        if (!port_.Write(question)) {
            return std::nullopt;
        }
        std::array<std::uint8_t, protocol::kVersionIdUsbSize> answer{};
        std::size_t size = port_.Kind() == link::InterfaceKind::Usb ? answer.size() : 1;
        if (port_.ReadOnce(std::span(answer).first(size)) == 0) {
            return std::nullopt;
        }
        return answer[0];
    }

    link::PrinterPort& port_;
    protocol::Emulation emulation_;
    ScanPort& result_;
};

void ScanOne(platform::Platform& platform, protocol::Emulation emulation, ScanPort& result) {
    RecordingReporter reporter;
    const auto began = platform.Now();
    {
        PrinterSession session(platform, result.target, reporter);
        ConnectChoice choice;
        choice.emulation = emulation;
        operations::ConnectResult refusal;
        if (!session.OpenPort(choice, refusal)) {
            result.device = refusal.failure.device;
            result.problem = link::DescribeFailure(refusal.failure);
        } else {
            link::PrinterPort& port = session.Port();
            result.device = port.Device()->Name();
            result.printer = PortScan(port, emulation, result).Run();
            if (!result.printer) {
                result.problem = port.Kind() == link::InterfaceKind::Serial && !port.IsNetwork()
                                     ? "no answer at any line setting"
                                     : "no answer";
            }
        }
    }
    result.elapsed = platform.Now() - began;
}

}  // namespace

std::vector<LineSettings> ScanLines() {
    const product::SerialLineDefaults defaults = product::kDefaultLine;
    // The window's own choice first, then the rest of each list, the fastest speed first.
    std::vector<std::uint32_t> speeds{defaults.speed};
    for (auto it = product::kSerialSpeeds.rbegin(); it != product::kSerialSpeeds.rend(); ++it) {
        if (it->value != defaults.speed) {
            speeds.push_back(it->value);
        }
    }
    std::vector<std::uint32_t> dataBits{defaults.dataBits};
    for (const auto& choice : product::kDataBits) {
        if (choice.value != defaults.dataBits) {
            dataBits.push_back(choice.value);
        }
    }
    std::vector<product::Parity> parities{defaults.parity};
    for (const auto& choice : product::kParities) {
        if (choice.value != defaults.parity) {
            parities.push_back(choice.value);
        }
    }
    std::vector<LineSettings> lines;
    for (std::uint32_t speed : speeds) {
        for (std::uint32_t bits : dataBits) {
            for (product::Parity parity : parities) {
                // The parity codes of the line are the positions of the parity list.
                lines.push_back(
                    {speed, bits, static_cast<std::uint32_t>(parity), platform::kStopBitsOne});
            }
        }
    }
    return lines;
}

platform::SerialTimeouts ProbeTimeouts(std::uint32_t baudRate) {
    // The longest character: a start bit, 8 data bits, parity and 2 stop bits.
    const std::uint32_t byteMs = (12'000 + baudRate - 1) / std::max<std::uint32_t>(baudRate, 1);
    platform::SerialTimeouts timeouts;
    // The question may still be on its way when the read begins, and its answer follows it.
    timeouts.readConstantMs = kProbeAnswerMs + 4 * byteMs;
    timeouts.readMultiplierMs = byteMs;
    timeouts.writeConstantMs = kProbeAnswerMs;
    timeouts.writeMultiplierMs = byteMs;
    return timeouts;
}

ScanOutcome Scan(const ScanRequest& request, const ScanProgress& progress) {
    ScanOutcome outcome;
    auto refuse = [&](const std::string& why) {
        outcome.exitStatus = kUsageError;
        outcome.refusal = why;
        outcome.ports.clear();
        return outcome;
    };
    std::vector<std::string> names = request.ports;
    std::string error;
    if (names.empty() && !PortsOfTheMachine(request, names, error)) {
        return refuse(error);
    }
    std::vector<PortTarget> targets;
    if (!ParsePortTargets(names, targets, error)) {
        return refuse(error);
    }
    for (auto& target : targets) {
        ScanPort port;
        port.kind = KindOf(target);
        port.target = std::move(target);
        outcome.ports.push_back(std::move(port));
    }
    auto platforms = PrinterPlatforms::Make(request.platform, error);
    if (!platforms) {
        return refuse(error);
    }
    std::vector<std::unique_ptr<PrinterPlatform>> platformOf;
    for (std::size_t i = 0; i < outcome.ports.size(); ++i) {
        platformOf.push_back(platforms->Next());
    }

    std::mutex progressLock;
    ScanCounts counts;
    counts.left = static_cast<int>(outcome.ports.size());
    auto tell = [&](const ScanPort* port) {
        if (progress) {
            try {
                progress(port, counts);
            } catch (...) {
            }
        }
    };
    tell(nullptr);
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < outcome.ports.size(); i = next++) {
            ScanPort& port = outcome.ports[i];
            // Nothing that escapes one port may end the scan of the others with their queues
            // stopped; the session has given its queues back before anything is caught.
            try {
                ScanOne(platformOf[i]->Get(), request.emulation, port);
            } catch (...) {
                port.printer.reset();
                port.problem = UnexpectedError(std::current_exception());
            }
            std::lock_guard<std::mutex> hold(progressLock);
            --counts.left;
            ++(port.printer ? counts.done : counts.failed);
            tell(&port);
        }
    };
    std::vector<std::thread> threads;
    const std::size_t count = std::min<std::size_t>(kScanThreads, outcome.ports.size());
    try {
        while (threads.size() < count) {
            threads.emplace_back(work);
        }
    } catch (const std::system_error&) {
        // The threads that did start take the other ports in turn.
        if (threads.empty()) {
            work();
        }
    }
    for (auto& thread : threads) {
        thread.join();
    }
    bool found = std::any_of(outcome.ports.begin(), outcome.ports.end(),
                             [](const ScanPort& port) { return port.printer.has_value(); });
    outcome.exitStatus = found ? kSuccess : kPrinterError;
    return outcome;
}

}  // namespace corvane::service
