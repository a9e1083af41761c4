#include "platform/posix/CommandLine.h"

#include <gtest/gtest.h>

#include <vector>

namespace corvane::platform::posix {
namespace {

CommandLineResult Parse(std::vector<std::string> arguments) {
    return ParseCommandLine(arguments);
}

TEST(CommandLine, NoArgumentsMeanRealPortsNoTraceNoSimulation) {
    auto result = Parse({});
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_TRUE(result.options.portOverrides.empty());
    EXPECT_TRUE(result.options.traceFile.empty());
    EXPECT_FALSE(result.options.simulate.has_value());
    EXPECT_EQ(SimulatedEmulation::Native, result.options.emulation);
    EXPECT_FALSE(result.options.help);
}

TEST(CommandLine, EveryOptionInBothSpellings) {
    auto result = Parse({"--port", "COM1=/dev/ttyUSB0", "--port=lpt2=/tmp/lp", "--port",
                         "COM12=/dev/pts/3", "--trace", "/tmp/trace.txt", "--simulate=krt-310ii",
                         "--emulation", "other03", "--help"});
    ASSERT_TRUE(result.ok) << result.error;
    std::map<std::string, std::string> expected{
        {"COM1", "/dev/ttyUSB0"}, {"LPT2:", "/tmp/lp"}, {"\\\\.\\COM12", "/dev/pts/3"}};
    EXPECT_EQ(expected, result.options.portOverrides);
    EXPECT_EQ("/tmp/trace.txt", result.options.traceFile);
    ASSERT_TRUE(result.options.simulate.has_value());
    EXPECT_EQ(SimulatedModel::Krt310II, *result.options.simulate);
    EXPECT_EQ(SimulatedEmulation::Other03, result.options.emulation);
    EXPECT_TRUE(result.options.help);
}

TEST(CommandLine, DeviceMayContainAnEqualsSign) {
    auto result = Parse({"--port", "COM2=/tmp/a=b"});
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ("/tmp/a=b", result.options.portOverrides.at("COM2"));
}

TEST(CommandLine, ArgvSkipsTheProgramName) {
    const char* argv[] = {"corvane", "--simulate", "KRT-620", nullptr};
    auto result = ParseCommandLine(3, argv);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(SimulatedModel::Krt620, *result.options.simulate);
}

struct ModelCase {
    const char* text;
    SimulatedModel model;

    friend void PrintTo(const ModelCase& row, std::ostream* os) { *os << row.text; }
};

class SimulatedModels : public ::testing::TestWithParam<ModelCase> {};

TEST_P(SimulatedModels, AreKnownByName) {
    auto result = Parse({"--simulate", GetParam().text});
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(GetParam().model, *result.options.simulate);
    EXPECT_STREQ(GetParam().text, ToString(GetParam().model));
}

INSTANTIATE_TEST_SUITE_P(Rows, SimulatedModels,
                         ::testing::Values(ModelCase{"KRT-310", SimulatedModel::Krt310},
                                           ModelCase{"KRT-310II", SimulatedModel::Krt310II},
                                           ModelCase{"KRT-620", SimulatedModel::Krt620}));

struct BadCase {
    std::vector<std::string> arguments;
    const char* message;  // the error says exactly this

    friend void PrintTo(const BadCase& row, std::ostream* os) {
        for (const auto& argument : row.arguments) {
            *os << argument << ' ';
        }
    }
};

class BadCommandLine : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadCommandLine, IsRefusedWithAMessage) {
    auto result = Parse(GetParam().arguments);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(GetParam().message, result.error);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BadCommandLine,
    ::testing::Values(
        BadCase{{"--verbose"}, "Unknown option \"--verbose\". Try --help."},
        BadCase{{"-p"}, "Unknown option \"-p\". Try --help."},
        BadCase{{"COM1"}, "Unexpected argument \"COM1\". Try --help."},
        BadCase{{"--port"}, "Option --port needs a value: --port NAME=DEVICE."},
        BadCase{{"--port", "--trace", "x"}, "Option --port needs a value: --port NAME=DEVICE."},
        BadCase{{"--trace"}, "Option --trace needs a value: --trace FILE."},
        BadCase{{"--trace="}, "Option --trace needs a value: --trace FILE."},
        BadCase{{"--simulate"}, "Option --simulate needs a value: --simulate MODEL."},
        BadCase{{"--port", "COM1"},
                "Option --port needs NAME=DEVICE, such as --port COM1=/dev/ttyUSB0; got \"COM1\"."},
        BadCase{{"--port", "COM1="},
                "Option --port needs NAME=DEVICE, such as --port COM1=/dev/ttyUSB0; got "
                "\"COM1=\"."},
        BadCase{{"--port", "=/dev/ttyUSB0"},
                "Option --port needs NAME=DEVICE, such as --port COM1=/dev/ttyUSB0; got "
                "\"=/dev/ttyUSB0\"."},
        BadCase{{"--port", "COM15=/dev/ttyUSB0"},
                "\"COM15\" is not a port name; use COM1 to COM9, \\\\.\\COM10 to \\\\.\\COM14 or "
                "LPT1: to LPT4:."},
        BadCase{{"--port", "USB=/dev/usb/lp0"},
                "\"USB\" is not a port name; use COM1 to COM9, \\\\.\\COM10 to \\\\.\\COM14 or "
                "LPT1: to LPT4:."},
        BadCase{{"--port", "COM3=/dev/a", "--port", "com3=/dev/b"},
                "Port COM3 is given more than once with --port."},
        BadCase{{"--simulate", "KRT-999"},
                "Unknown printer model \"KRT-999\"; use KRT-310, KRT-310II or KRT-620."},
        BadCase{{"--simulate", "KRT-310", "--simulate", "KRT-620"},
                "Option --simulate is given more than once."},
        BadCase{{"--trace", "a", "--trace", "b"}, "Option --trace is given more than once."},
        BadCase{{"--simulate", "KRT-310", "--emulation", "other04"},
                "Unknown emulation \"other04\"; use native, other02 or other03."},
        BadCase{{"--emulation", "other02"}, "Option --emulation needs --simulate MODEL."},
        BadCase{{"--help=yes"}, "Option --help takes no value."}));

TEST(CommandLine, UsageNamesEveryOption) {
    std::string usage = CommandLineUsage("corvane");
    for (const char* option : {"--port NAME=DEVICE", "--trace FILE", "--simulate MODEL",
                               "--emulation NAME", "--help", "KRT-310II", "other03"}) {
        EXPECT_NE(std::string::npos, usage.find(option)) << option;
    }
    EXPECT_EQ(0u, usage.find("Usage: corvane [options]"));
}

}  // namespace
}  // namespace corvane::platform::posix
