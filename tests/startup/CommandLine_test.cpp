#include "startup/CommandLine.h"

#include <gtest/gtest.h>

#include <vector>

namespace corvane::startup {
namespace {

CommandLineResult Parse(std::vector<std::string> arguments) {
    return ParseCommandLine(arguments);
}

struct Accepted {
    std::vector<std::string> arguments;
    CommandLineOptions expected;

    friend void PrintTo(const Accepted& row, std::ostream* os) {
        for (const auto& argument : row.arguments) {
            *os << argument << ' ';
        }
    }
};

CommandLineOptions Simulating(sim::Model model, sim::Emulation emulation) {
    CommandLineOptions options;
    options.simulate = model;
    options.emulation = emulation;
    return options;
}

class AcceptedCommandLine : public ::testing::TestWithParam<Accepted> {};

TEST_P(AcceptedCommandLine, GivesTheseOptions) {
    auto result = Parse(GetParam().arguments);
    ASSERT_TRUE(result.ok) << result.error;
    const auto& expected = GetParam().expected;
    EXPECT_EQ(expected.portOverrides, result.options.portOverrides);
    EXPECT_EQ(expected.traceFile, result.options.traceFile);
    EXPECT_EQ(expected.simulate, result.options.simulate);
    EXPECT_EQ(expected.emulation, result.options.emulation);
    EXPECT_EQ(expected.help, result.options.help);
    EXPECT_EQ(expected.windowSystemArguments, result.options.windowSystemArguments);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AcceptedCommandLine,
    ::testing::Values(
        // No arguments: the machine's own ports, no trace, no simulation.
        Accepted{{}, {}},
        Accepted{{"--port", "COM1=/dev/ttyUSB0", "--port=lpt2=/tmp/lp", "--port",
                  "COM12=/dev/pts/3", "--trace", "/tmp/trace.txt", "--simulate=krt-310ii",
                  "--emulation", "other03", "--help"},
                 [] {
                     auto options = Simulating(sim::Model::Krt310II, sim::Emulation::Other03);
                     options.portOverrides = {{"COM1", "/dev/ttyUSB0"},
                                              {"LPT2:", "/tmp/lp"},
                                              {"\\\\.\\COM12", "/dev/pts/3"}};
                     options.traceFile = "/tmp/trace.txt";
                     options.help = true;
                     return options;
                 }()},
        Accepted{{"--port", "COM2=/tmp/a=b"},
                 [] {
                     CommandLineOptions options;
                     options.portOverrides = {{"COM2", "/tmp/a=b"}};
                     return options;
                 }()},
        // A printer on the network behind a port name, its TCP port 9100 when left out.
        Accepted{{"--port", "COM2=TCP:till-3.shop", "--port", "COM3=tcp:[fe80::7]:9101"},
                 [] {
                     CommandLineOptions options;
                     options.portOverrides = {{"COM2", "tcp:till-3.shop:9100"},
                                              {"COM3", "tcp:[fe80::7]:9101"}};
                     return options;
                 }()},
        Accepted{{"--simulate", "KRT-310"}, Simulating(sim::Model::Krt310, sim::Emulation::Native)},
        Accepted{{"--simulate", "KRT-620", "--emulation=OTHER02"},
                 Simulating(sim::Model::Krt620, sim::Emulation::Other02)},
        // corvane-sim's short spelling of the emulation works here too.
        Accepted{{"--simulate", "krt-620", "--emulation", "03"},
                 Simulating(sim::Model::Krt620, sim::Emulation::Other03)},
        // Qt's own options go to Qt, with their values, whatever their place.
        Accepted{{"-platform", "offscreen", "--simulate", "KRT-310", "--reverse", "-style=fusion",
                  "--stylesheet", "a.qss"},
                 [] {
                     auto options = Simulating(sim::Model::Krt310, sim::Emulation::Native);
                     options.windowSystemArguments = {"-platform",     "offscreen",    "--reverse",
                                                      "-style=fusion", "--stylesheet", "a.qss"};
                     return options;
                 }()}));

TEST(CommandLine, ArgvSkipsTheProgramName) {
    const char* argv[] = {"corvane", "--simulate", "KRT-620", nullptr};
    auto result = ParseCommandLine(3, argv);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(sim::Model::Krt620, *result.options.simulate);
}

struct Refused {
    std::vector<std::string> arguments;
    std::string says;  // the error contains this

    friend void PrintTo(const Refused& row, std::ostream* os) {
        for (const auto& argument : row.arguments) {
            *os << argument << ' ';
        }
    }
};

class RefusedCommandLine : public ::testing::TestWithParam<Refused> {};

TEST_P(RefusedCommandLine, IsRefusedInOneLineThatNamesTheFault) {
    auto result = Parse(GetParam().arguments);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(std::string::npos, result.error.find(GetParam().says)) << result.error;
    EXPECT_EQ(std::string::npos, result.error.find('\n')) << result.error;
}

const std::string kNotAPort =
    "\" is not a port name; use COM1 to COM9, \\\\.\\COM10 to \\\\.\\COM14 or LPT1: to LPT4:.";

INSTANTIATE_TEST_SUITE_P(
    Rows, RefusedCommandLine,
    ::testing::Values(
        Refused{{"--verbose"}, "--verbose"}, Refused{{"-p"}, "-p"}, Refused{{"COM1"}, "COM1"},
        Refused{{"--port"}, "--port"}, Refused{{"--trace"}, "--trace"},
        Refused{{"--trace="}, "--trace"}, Refused{{"--simulate"}, "--simulate"},
        Refused{{"-platform"}, "-platform"},
        // A forgotten value must not turn the next option into a device or a file.
        Refused{{"--port", "--trace", "x"}, "--port: \"--trace\" is not NAME=DEVICE"},
        Refused{{"--trace", "--help"}, "--trace: \"--help\" is an option, not a FILE."},
        Refused{{"--port", "COM1"},
                "--port: \"COM1\" is not NAME=DEVICE, such as COM1=/dev/ttyUSB0."},
        Refused{{"--port", "COM1="}, "--port: \"COM1=\" is not NAME=DEVICE"},
        Refused{{"--port", "=/dev/ttyUSB0"}, "--port: \"=/dev/ttyUSB0\" is not NAME=DEVICE"},
        Refused{{"--port", "COM1=/dev/a", "COM2=/dev/b"}, "COM2=/dev/b"},
        Refused{{"--port", "COM1=tcp:"}, "\"tcp:\" is not a network address"},
        Refused{{"--port", "COM1=tcp:host:99999"}, "\"tcp:host:99999\" is not a network address"},
        Refused{{"--port", "COM15=/dev/ttyUSB0"}, "--port: \"COM15" + kNotAPort},
        Refused{{"--port", "USB=/dev/usb/lp0"}, "--port: \"USB" + kNotAPort},
        Refused{{"--port", "COM3=/dev/a", "--port", "com3=/dev/b"},
                "--port: Port COM3 is given more than once."},
        Refused{{"--simulate", "KRT-999"},
                "--simulate: Unknown printer model \"KRT-999\"; use KRT-310, KRT-310II or "
                "KRT-620."},
        Refused{{"--simulate", "KRT-310", "--simulate", "KRT-620"}, "--simulate"},
        Refused{{"--trace", "a", "--trace", "b"}, "--trace"},
        Refused{{"--simulate", "KRT-310", "--emulation", "other04"},
                "--emulation: Unknown emulation \"other04\"; use native, other02 (or 02) or "
                "other03 (or 03)."},
        // The emulation belongs to a simulated printer; a real one reports its own.
        Refused{{"--emulation", "other02"}, "--emulation requires --simulate"},
        Refused{{"--help=yes"}, "help"}));

}  // namespace
}  // namespace corvane::startup
