#include "link/PortMap.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>

#include "link/PrinterPort.h"
#include "platform/TracingPlatform.h"
#include "platform/posix/PosixPlatform.h"
#include "platform/sim/SimPlatform.h"

namespace corvane::link {
namespace {

using platform::sim::EventKind;
using platform::sim::ScriptedPeer;
using platform::sim::SimPlatform;

struct NameCase {
    const char* portName;
    const char* onLinux;     // the port's standard Linux device; empty: no port
    const char* overridden;  // with the overrides of OverriddenPorts
    const char* canonical;   // the connection window's spelling, the simulated platform's device
};

void PrintTo(const NameCase& row, std::ostream* out) {
    *out << '"' << row.portName << '"';
}

NameCase NoPort(const char* name) {
    return {name, "", "", ""};
}

// Given in other spellings than most rows ask for, as a user may type them.
PortMap OverriddenPorts() {
    PortMap ports;
    EXPECT_TRUE(ports.Override("COM3", "/dev/ttyUSB0"));
    EXPECT_TRUE(ports.Override("lpt1", "/tmp/printer"));
    EXPECT_TRUE(ports.Override("COM12", "/dev/pts/7"));
    return ports;
}

class PortNameRows : public ::testing::TestWithParam<NameCase> {};

TEST_P(PortNameRows, ResolveToTheOverrideElseThePlatformsOwnDevice) {
    const NameCase& row = GetParam();
    platform::posix::PosixPlatform machine;
    SimPlatform simulated;
    bool isPort = *row.canonical != '\0';

    EXPECT_EQ(PortMap().DevicePath(machine, row.portName), row.onLinux);
    EXPECT_EQ(OverriddenPorts().DevicePath(machine, row.portName), row.overridden);
    EXPECT_EQ(PortMap().DevicePath(simulated, row.portName), row.canonical);
    auto port = ParsePortName(row.portName);
    EXPECT_EQ(port.has_value(), isPort);
    if (port) {
        EXPECT_EQ(CanonicalPortName(*port), row.canonical);
    }
    EXPECT_EQ(PortMap().Override(row.portName, "/dev/null"), isPort);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PortNameRows,
    ::testing::Values(NameCase{"COM1", "/dev/ttyS0", "/dev/ttyS0", "COM1"},
                      NameCase{"COM2", "/dev/ttyS1", "/dev/ttyS1", "COM2"},
                      NameCase{"COM3", "/dev/ttyS2", "/dev/ttyUSB0", "COM3"},
                      NameCase{"\\\\.\\COM3", "/dev/ttyS2", "/dev/ttyUSB0", "COM3"},
                      NameCase{"com3", "/dev/ttyS2", "/dev/ttyUSB0", "COM3"},
                      NameCase{"COM9", "/dev/ttyS8", "/dev/ttyS8", "COM9"},
                      NameCase{"\\\\.\\com10", "/dev/ttyS9", "/dev/ttyS9", "\\\\.\\COM10"},
                      NameCase{"\\\\.\\COM12", "/dev/ttyS11", "/dev/pts/7", "\\\\.\\COM12"},
                      NameCase{"COM12", "/dev/ttyS11", "/dev/pts/7", "\\\\.\\COM12"},
                      NameCase{"\\\\.\\COM14", "/dev/ttyS13", "/dev/ttyS13", "\\\\.\\COM14"},
                      NameCase{"LPT1:", "/dev/lp0", "/tmp/printer", "LPT1:"},
                      NameCase{"LPT1", "/dev/lp0", "/tmp/printer", "LPT1:"},
                      NameCase{"lpt2", "/dev/lp1", "/dev/lp1", "LPT2:"},
                      NameCase{"LPT4:", "/dev/lp3", "/dev/lp3", "LPT4:"}, NoPort("COM0"),
                      NoPort("COM15"), NoPort("\\\\.\\COM15"), NoPort("COM01"), NoPort("COM"),
                      NoPort("COM3x"), NoPort("LPT0:"), NoPort("LPT5:"), NoPort("LPT1::"),
                      NoPort("USB"), NoPort(""), NoPort(" COM1")),
    [](const ::testing::TestParamInfo<NameCase>& info) {
        return "Row" + std::to_string(info.index);
    });

struct OpenCase {
    const char* portName;
    const char* device;   // what the port opened or tried to open; empty: none
    std::string failure;  // what the failure says; empty: the port opened
};

void PrintTo(const OpenCase& row, std::ostream* out) {
    *out << '"' << row.portName << '"';
}

class PrinterPortThroughTheMap : public ::testing::TestWithParam<OpenCase> {
protected:
    PrinterPortThroughTheMap() {
        simulated.AttachSerial("/dev/ttyUSB0", printer);
        simulated.AttachSerial("COM1", printer);  // the standard device that COM1 no longer opens
        simulated.AttachSerial("COM3", printer);
        simulated.AttachParallel("/tmp/printer", printer);
        simulated.AttachNetwork("till-3", 9100, printer);
        ports.Override("COM1", "/dev/ttyUSB0");
        ports.Override("COM4", "TCP:till-3");
        ports.Override("COM5", "tcp:till-4:9100");
        ports.Override("lpt1", "/tmp/printer");
        ports.Override("COM2", "/dev/ttyUSB9");
    }

    SimPlatform simulated;
    ScriptedPeer printer;
    PortMap ports;
    std::ostringstream trace;
};

// Guards against the port opening the standard device of a name that --port pointed elsewhere,
// and against a trace that hides which device was really opened.
TEST_P(PrinterPortThroughTheMap, OpensTheDeviceBehindTheNameAndTracesItsPath) {
    const OpenCase& row = GetParam();
    auto traced = platform::MakeTracingPlatform(simulated, trace);
    PrinterPort port(*traced, ports);
    port.SetPortName(row.portName);
    port.SetLineSettings({.baudRate = 9600, .dataBits = 8});

    bool opened = port.Open();

    EXPECT_EQ(opened, row.failure.empty());
    EXPECT_EQ(DescribeFailure(port.LastFailure()), row.failure);
    EXPECT_EQ(opened ? port.Device()->Name() : port.LastFailure().device, row.device);
    if (*row.device != '\0') {
        EXPECT_NE(trace.str().find(std::string(" ms ") + row.device + " open "), std::string::npos)
            << trace.str();
    } else {
        // A name of no port reaches no device at all.
        EXPECT_EQ(trace.str().find(" open "), std::string::npos) << trace.str();
        for (const auto& event : simulated.Events()) {
            EXPECT_NE(event.kind, EventKind::OpenFailed);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PrinterPortThroughTheMap,
    ::testing::Values(OpenCase{"COM1", "/dev/ttyUSB0", ""}, OpenCase{"COM3", "COM3", ""},
                      OpenCase{"LPT1:", "/tmp/printer", ""},
                      OpenCase{"COM2", "/dev/ttyUSB9",
                               "cannot open COM2 (/dev/ttyUSB9): no such device"},
                      OpenCase{"COM15", "", "cannot open COM15: no such device"},
                      OpenCase{"COM4", "tcp:till-3:9100", ""},
                      OpenCase{"COM5", "tcp:till-4:9100",
                               "cannot open COM5 (tcp:till-4:9100): connection refused (errno " +
                                   std::to_string(ECONNREFUSED) + ")"}),
    [](const ::testing::TestParamInfo<OpenCase>& info) {
        return "Row" + std::to_string(info.index);
    });

}  // namespace
}  // namespace corvane::link
