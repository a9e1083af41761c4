#include "startup/SimOptions.h"

#include "platform/TracingPlatform.h"

#include <gtest/gtest.h>

namespace corvane::startup {
namespace {

using namespace std::chrono_literals;

SimOptions Parse(std::vector<std::string> args) {
    SimOptions options;
    std::string error;
    EXPECT_TRUE(ParseSimOptions(args, options, error)) << error;
    return options;
}

TEST(SimOptions, PrinterAndFaultOptionsAreRead) {
    SimOptions o = Parse({"--model",
                          "KRT-620",
                          "--emulation=02",
                          "--version-id",
                          "0x63",
                          "--maker",
                          "QVN",
                          "--switch",
                          "5=10000001",
                          "--switch=2=00100001",
                          "--cut-after",
                          "3",
                          "--noise",
                          "AA:55",
                          "--latency-ms",
                          "20",
                          "--per-byte-us=500",
                          "--unplug-after-ms",
                          "100",
                          "--unplug-after-commands",
                          "4",
                          "--slow",
                          "--silent",
                          "--line",
                          "19200,7e1",
                          "--tcp",
                          "0",
                          "--state-file",
                          "/tmp/s"});
    EXPECT_EQ(o.model, sim::Model::Krt620);
    EXPECT_EQ(o.emulation, sim::Emulation::Other02);
    EXPECT_EQ(o.versionId, 0x63);
    EXPECT_EQ(o.maker, "QVN");
    EXPECT_EQ(o.switches, (std::vector<std::pair<int, std::uint8_t>>{{5, 0x81}, {2, 0x21}}));
    EXPECT_EQ(o.faults.cutAfter, 3u);
    EXPECT_EQ(o.faults.noiseBeforeHeader, (std::vector<std::uint8_t>{0xAA, 0x55}));
    EXPECT_EQ(o.faults.latency, 20ms);
    EXPECT_EQ(o.faults.perByte, 500us);
    EXPECT_EQ(o.faults.unplugAt, 100ms);
    EXPECT_EQ(o.faults.unplugAfterCommands, 4u);
    EXPECT_TRUE(o.faults.perByteFromLine);
    EXPECT_TRUE(o.faults.silent);
    EXPECT_EQ(o.stateFile, "/tmp/s");
    ASSERT_TRUE(o.line.has_value());
    EXPECT_EQ(platform::DescribeConfig(*o.line), platform::DescribeConfig({19200, 7, 2, 0}));
    EXPECT_EQ(o.tcpPort, 0);
}

// Both programs spell the emulation alike.
TEST(SimOptions, EmulationTakesCorvanesSpellingToo) {
    EXPECT_EQ(Parse({"--emulation", "other03"}).emulation, sim::Emulation::Other03);
    EXPECT_EQ(Parse({"--emulation", "NATIVE"}).emulation, sim::Emulation::Native);
}

TEST(SimOptions, EveryBadArgumentIsRefusedWithAMessage) {
    const std::vector<std::vector<std::string>> cases = {
        {"--model"},
        {"--model", "KRT-999"},
        {"--emulation", "04"},
        {"--version-id", "6"},
        {"--version-id", "zz"},
        {"--switch", "9=00000000"},
        {"--switch", "2=0000000"},
        {"--switch", "2=0000002x"},
        {"--switch", "2=00000000", "3=00000000"},
        {"--cut-after", "-1"},
        {"--latency-ms", "1e3"},
        {"--latency-ms", "3600001"},
        {"--noise", "ABC"},
        {"--silent=yes"},
        {"--line", "19201"},
        {"--line", "9600,9N1"},
        {"--line", "9600,8X1"},
        {"--tcp", "65536"},
        {"--state-file", ""},
        {"--bogus"},
    };
    for (const auto& args : cases) {
        SimOptions options;
        std::string error;
        EXPECT_FALSE(ParseSimOptions(args, options, error)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
}

TEST(SimOptions, ByteTimeComesFromTheLineUnlessGivenOutright) {
    EXPECT_EQ(Parse({}).faults.ByteTime(9600), 0us);
    sim::Faults slow = Parse({"--slow"}).faults;
    EXPECT_EQ(slow.ByteTime(9600), 1042us);
    EXPECT_EQ(slow.ByteTime(19200), 521us);
    EXPECT_EQ(slow.ByteTime(0), 0us);
    EXPECT_EQ(Parse({"--slow", "--per-byte-us", "7"}).faults.ByteTime(9600), 7us);
}

}  // namespace
}  // namespace corvane::startup
