// The scan on simulated printers, where the virtual line tells data bits and parity apart as a
// real one does and time is the virtual clock's.
#include "service/Scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "service/ExitStatus.h"
#include "sim/VirtualPrinter.h"

namespace corvane::service {
namespace {

using namespace std::chrono_literals;

platform::SerialConfig Line(std::uint32_t baud, std::uint32_t dataBits, std::uint32_t parity) {
    platform::SerialConfig line;
    line.baudRate = baud;
    line.dataBits = dataBits;
    line.parity = parity;
    return line;
}

ScanRequest OnSimulatedPrinters(std::vector<std::string> ports) {
    ScanRequest request;
    request.ports = std::move(ports);
    request.platform.simulate = sim::Model::Krt310II;
    request.platform.simulatedSetUp = [](const std::string& device, sim::VirtualPrinter& printer) {
        if (device == "COM1") {
            printer.GetFaults().silent = true;
        } else if (device == "COM2") {
            printer.SetSerialLine(Line(19200, 7, platform::kParityEven));
        } else {
            printer.SetSerialLine(Line(2400, 8, platform::kParityOdd));
        }
    };
    return request;
}

// Guards against a scan that reports a printer at a line it does not run at, misses it at its
// own, or takes longer than every line's question allows.
TEST(Scan, FindsEachPrinterAtItsOwnLineAndTellsTheSilentPortWithinTheBound) {
    std::vector<std::tuple<bool, int, int, int>> told;
    ScanOutcome outcome =
        Scan(OnSimulatedPrinters({"COM1", "COM2", "/dev/ttyUSB4"}),
             [&](const ScanPort* port, const ScanCounts& counts) {
                 told.emplace_back(port != nullptr, counts.done, counts.failed, counts.left);
             });
    ASSERT_EQ(outcome.exitStatus, kSuccess) << outcome.refusal;
    ASSERT_EQ(outcome.ports.size(), 3u);
    ASSERT_EQ(told.size(), 4u);
    EXPECT_EQ(told.front(), std::make_tuple(false, 0, 0, 3));
    EXPECT_EQ(told.back(), std::make_tuple(true, 2, 1, 0));

    const ScanPort& silent = outcome.ports[0];
    EXPECT_FALSE(silent.printer.has_value());
    EXPECT_EQ(silent.problem, "no answer at any line setting");
    EXPECT_EQ(silent.questions, static_cast<int>(ScanLines().size()));

    for (const auto& [index, expected] :
         {std::pair{1, link::LineSettings{19200, 7, platform::kParityEven, 0}},
          std::pair{2, link::LineSettings{2400, 8, platform::kParityOdd, 0}}}) {
        const ScanPort& port = outcome.ports[static_cast<std::size_t>(index)];
        SCOPED_TRACE(port.target.given);
        ASSERT_TRUE(port.printer.has_value()) << port.problem;
        EXPECT_EQ(port.kind, "serial");
        EXPECT_EQ(port.printer->line, expected);
        EXPECT_EQ(port.printer->family, protocol::PrinterModel::Krt310Family);
        EXPECT_EQ(port.printer->model, "KRT-310II");
        EXPECT_EQ(port.printer->maker, "VANTORA");
        EXPECT_FALSE(port.printer->firmware.empty());
    }

    // Every line's question ends within its few byte times: the silent port's 30 questions, with
    // the open and its pause, take well under the 10 s that the whole machine may take.
    std::chrono::milliseconds bound{100};
    for (const auto& line : ScanLines()) {
        platform::SerialTimeouts timeouts = ProbeTimeouts(line.baudRate);
        bound += std::chrono::milliseconds(timeouts.readConstantMs + timeouts.readMultiplierMs);
    }
    EXPECT_EQ(silent.elapsed, bound);
    EXPECT_LT(bound, 3s);
}

// Guards against a scan that sends anything but its question, which a printer in the "Other"
// emulation would print.
TEST(Scan, InTheOtherEmulationAsksOnlyTheEmulationQueryAndSaysWhatItCannotTellApart) {
    ScanRequest request = OnSimulatedPrinters({"COM2"});
    request.platform.emulation = sim::Emulation::Other02;
    request.emulation = protocol::Emulation::Other;
    request.platform.traceFile =
        (std::filesystem::temp_directory_path() / "corvane-scan-other.trace").string();
    request.platform.simulatedSetUp = [&](const std::string&, sim::VirtualPrinter& printer) {
        printer.SetSerialLine(Line(9600, 8, platform::kParityNone));
    };
    ScanOutcome outcome = Scan(request);
    ASSERT_EQ(outcome.exitStatus, kSuccess);
    const ScanPort& port = outcome.ports[0];
    ASSERT_TRUE(port.printer.has_value()) << port.problem;
    EXPECT_EQ(port.printer->emulationAnswer, 1);
    EXPECT_FALSE(port.printer->family.has_value());
    EXPECT_EQ(port.printer->line, (link::LineSettings{9600, 8, platform::kParityNone, 0}));
    // 1F 1F 45 and the answer 02 have an odd count of ones in their seven low bits, so a 7O1
    // line passes both whole.
    EXPECT_NE(std::find(port.printer->alsoAnswersAt.begin(), port.printer->alsoAnswersAt.end(),
                        link::LineSettings{9600, 7, platform::kParityOdd, 0}),
              port.printer->alsoAnswersAt.end());
    EXPECT_EQ(port.questions, static_cast<int>(ScanLines().size()));

    int writes = 0;
    {
        // Closed before the file goes: Windows removes no open file.
        std::ifstream trace(request.platform.traceFile);
        std::string line;
        while (std::getline(trace, line)) {
            if (line.find(" COM2 write ") != std::string::npos) {
                ++writes;
                EXPECT_NE(line.find("| 1F 1F 45 |"), std::string::npos) << line;
            }
        }
    }
    EXPECT_EQ(writes, port.questions);
    std::filesystem::remove(request.platform.traceFile);
}

}  // namespace
}  // namespace corvane::service
