#include "programs/corvane-sim/ComPortServer.h"

#include <array>
#include <cstdlib>
#include <thread>

#include "link/PortNames.h"

namespace corvane::programs {

namespace {

// How long one read waits for the host before the server looks at its faults and stop flag.
constexpr std::uint32_t kPollMs = 20;

}  // namespace

ComPortServer::ComPortServer(platform::Platform& platform, sim::VirtualPrinter& printer,
                             ReportOutput output)
    : platform_(platform), printer_(printer), report_(printer, std::move(output)) {}

bool ComPortServer::Open(const std::string& portName, std::string& error) {
    auto port = link::ParsePortName(portName);
    if (!port || port->family != platform::PortFamily::Serial) {
        error = "\"" + portName + "\" is no COM port";
        return false;
    }
    const std::string path = platform_.DefaultDevicePath(port->family, port->number);
    platform::Error opened;
    port_ = platform_.OpenSerial(path, opened);
    if (!port_) {
        error = "cannot open " + path + ": " + platform::ToString(opened.kind);
        return false;
    }
    if (!ApplyLine(printer_.State().serial)) {
        error = "cannot set the line of " + path;
        return false;
    }
    platform::SerialTimeouts timeouts;
    timeouts.readMultiplierMs = 0;
    timeouts.readConstantMs = kPollMs;
    port_->SetTimeouts(timeouts);
    port_->Purge();
    if (!report_.Open(error)) {
        return false;
    }
    start_ = platform_.Now();
    return true;
}

bool ComPortServer::ApplyLine(const sim::SerialSettings& serial) {
    platform::SerialConfig config;
    config.baudRate = static_cast<std::uint32_t>(std::atoi(serial.speed.c_str()));
    config.dataBits = serial.dataBits == '7' ? 7 : 8;
    config.parity = serial.parity == '1'   ? platform::kParityOdd
                    : serial.parity == '2' ? platform::kParityEven
                                           : platform::kParityNone;
    config.dtrOn = true;
    config.rtsOn = true;
    if (config.baudRate == 0 || !port_->SetConfig(config).Ok()) {
        return false;
    }
    line_ = serial;
    return true;
}

std::chrono::microseconds ComPortServer::Elapsed() const {
    return std::chrono::duration_cast<std::chrono::microseconds>(platform_.Now() - start_);
}

void ComPortServer::Send(std::vector<sim::VirtualPrinter::Reply> replies) {
    const sim::Faults& faults = printer_.GetFaults();
    const auto byteTime =
        faults.ByteTime(static_cast<std::uint32_t>(std::atoi(line_.speed.c_str())));
    if (faults.latency.count() > 0) {
        std::this_thread::sleep_for(faults.latency);
    }
    for (const auto& reply : replies) {
        if (byteTime.count() == 0) {
            port_->Write(reply);
            continue;
        }
        for (std::uint8_t byte : reply) {
            std::this_thread::sleep_for(byteTime);
            port_->Write(std::span<const std::uint8_t>(&byte, 1));
        }
    }
}

int ComPortServer::Serve(const std::atomic<bool>& stop, std::ostream& out) {
    std::array<std::uint8_t, 4096> buffer;
    while (!stop) {
        if (printer_.IsUnpluggedAt(Elapsed())) {
            port_.reset();
            out << "unplugged" << std::endl;
            // Pulled out is pulled out: the port stays closed until the server is stopped.
            while (!stop) {
                platform_.Sleep(std::chrono::milliseconds(kPollMs));
            }
            return 0;
        }
        platform::IoResult got = port_->Read(buffer);
        if (got.count == 0) {
            continue;
        }
        Send(printer_.Feed(std::span<const std::uint8_t>(buffer.data(), got.count)));
        // A port fixed at its line keeps it, as a printer reads its switches only when switched on.
        if (!printer_.GetSerialLine() && !(printer_.State().serial == line_)) {
            ApplyLine(printer_.State().serial);
        }
        report_.Report(out);
    }
    return 0;
}

}  // namespace corvane::programs
