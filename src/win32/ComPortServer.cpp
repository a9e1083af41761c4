#include "win32/ComPortServer.h"

#include <array>
#include <cstdlib>
#include <thread>

#include "link/PortNames.h"

namespace corvane::win32 {

namespace {

// How long one read waits for the host before the server looks at its faults and stop flag.
constexpr std::uint32_t kPollMs = 20;

}  // namespace

ComPortServer::ComPortServer(platform::Platform& platform, sim::VirtualPrinter& printer,
                             ComServerOutput output)
    : platform_(platform), printer_(printer), output_(std::move(output)) {}

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
    if (!output_.printLog.empty()) {
        printLog_.open(output_.printLog, std::ios::app);
        if (!printLog_) {
            error = "cannot write the print log " + output_.printLog;
            return false;
        }
    }
    start_ = platform_.Now();
    std::ostream discard(nullptr);
    Report(discard);
    if (!output_.stateFile.empty() && lastState_.empty()) {
        error = "cannot write the state file " + output_.stateFile;
        return false;
    }
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
        if (!(printer_.State().serial == line_)) {
            ApplyLine(printer_.State().serial);
        }
        Report(out);
    }
    return 0;
}

void ComPortServer::Report(std::ostream& out) {
    // Files first, so that whoever reacts to a line on the output finds them up to date.
    const auto& printout = printer_.Printout();
    if (printLog_) {
        for (std::size_t i = printedLines_; i < printout.size(); ++i) {
            printLog_ << printout[i] << "\n";
        }
        printLog_.flush();
    }
    if (!output_.stateFile.empty()) {
        std::string state = printer_.Describe();
        if (state != lastState_) {
            std::ofstream file(output_.stateFile, std::ios::trunc);
            file << state;
            if (file.flush()) {
                lastState_ = state;
            }
        }
    }
    const auto& commands = printer_.Commands();
    for (; loggedCommands_ < commands.size(); ++loggedCommands_) {
        if (output_.echoCommands) {
            out << "command: " << commands[loggedCommands_] << "\n";
        }
    }
    for (; printedLines_ < printout.size(); ++printedLines_) {
        if (output_.echoPrintout) {
            out << "print: " << printout[printedLines_] << "\n";
        }
    }
    out.flush();
}

}  // namespace corvane::win32
