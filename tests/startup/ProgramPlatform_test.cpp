#include "startup/ProgramPlatform.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/SimulatedPrinters.h"

namespace corvane::startup {
namespace {

using namespace std::chrono_literals;

CommandLineOptions Simulating(sim::Model model, sim::Emulation emulation) {
    CommandLineOptions options;
    options.simulate = model;
    options.emulation = emulation;
    return options;
}

TEST(ProgramPlatform, MachinePortsTakeTheOverrides) {
    CommandLineOptions options;
    options.portOverrides = {{"COM1", "/dev/ttyUSB7"}};
    std::string error;
    auto made = ProgramPlatform::Make(options, error);
    ASSERT_NE(made, nullptr) << error;
    EXPECT_EQ(made->Printers(), nullptr);
    EXPECT_EQ(made->Ports().DevicePath(made->Get(), "COM1"), "/dev/ttyUSB7");
    EXPECT_EQ(made->Ports().DevicePath(made->Get(), "COM2"), "/dev/ttyS1");
}

TEST(ProgramPlatform, SimulatedPrintersOfTheModelAreBehindEveryPort) {
    std::string error;
    auto made =
        ProgramPlatform::Make(Simulating(sim::Model::Krt620, sim::Emulation::Other03), error);
    ASSERT_NE(made, nullptr) << error;
    ASSERT_NE(made->Printers(), nullptr);
    EXPECT_EQ(made->Printers()->GetModel(), sim::Model::Krt620);
    EXPECT_EQ(made->Printers()->GetEmulation(), sim::Emulation::Other03);
    auto usb = made->Get().ListUsbPrinters();
    ASSERT_EQ(usb.size(), 1u);
    EXPECT_EQ(usb[0].productId, sim::DefaultUsbIds(sim::Model::Krt620).productId);
    platform::Error openError;
    EXPECT_NE(made->Get().OpenSerial("COM7", openError), nullptr);
    EXPECT_NE(made->Printers()->Printer("COM7"), nullptr);
}

TEST(ProgramPlatform, TraceRecordsWhatIsDoneOnTheSimulatedClock) {
    auto dir =
        std::filesystem::temp_directory_path() / ("corvane-startup-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    auto options = Simulating(sim::Model::Krt310, sim::Emulation::Native);
    options.traceFile = (dir / "trace.txt").string();
    std::string error;
    {
        auto made = ProgramPlatform::Make(options, error);
        ASSERT_NE(made, nullptr) << error;
        made->Get().Sleep(250ms);
        EXPECT_EQ(made->Get().Now(), 250ms);  // virtual time: the pause took none
    }
    std::ifstream file(options.traceFile);
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_NE(text.str().find("pause"), std::string::npos) << text.str();
    std::filesystem::remove_all(dir);

    options.traceFile = (dir / "absent" / "trace.txt").string();
    EXPECT_EQ(ProgramPlatform::Make(options, error), nullptr);
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace corvane::startup
