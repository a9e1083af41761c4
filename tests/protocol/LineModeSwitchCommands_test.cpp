#include "protocol/LineModeSwitchCommands.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "protocol/LineModeOptions.h"
#include "support/SerialPortTest.h"

namespace corvane::protocol {
namespace {

using platform::sim::EventKind;
using platform::sim::Ms;
using support::Bytes;

// The expected frame, spelled out from its words rather than built by the code under test.
Bytes SwitchFrame(char operation, const std::array<std::string, 9>& words) {
    Bytes frame = {0x1B, 0x1D, 0x23, static_cast<std::uint8_t>(operation)};
    for (const std::string& word : words) {
        frame.insert(frame.end(), word.begin(), word.end());
    }
    frame.push_back(0x0A);
    frame.push_back(0x00);
    return frame;
}

Bytes Words(char operation, int word, const std::string& digits) {
    std::array<std::string, 9> words;
    words.fill("0000");
    words[static_cast<std::size_t>(word - 1)] = digits;
    return SwitchFrame(operation, words);
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    return support::Join(parts);
}

const Bytes kPrintStatus10 = {0x1B, 0x1D, 0x23, 0x54, 0x30, 0x30, 0x30, 0x30, 0x0A, 0x00};

class LineModeSwitchCommandsTest : public support::SerialPortTest {
protected:
    LineModeSwitchCommandsTest() : SerialPortTest({"COM2"}) {}

    LineModeSwitchCommands commands;
};

TEST_F(LineModeSwitchCommandsTest, FreshCommandsCarryHeadersAndThirtySixZeroDigits) {
    std::array<std::string, 9> zeros;
    zeros.fill("0000");
    EXPECT_EQ(Bytes(commands.ClearCommand().begin(), commands.ClearCommand().end()),
              SwitchFrame('-', zeros));
    EXPECT_EQ(Bytes(commands.SetCommand().begin(), commands.SetCommand().end()),
              SwitchFrame('+', zeros));
    EXPECT_TRUE(commands.Empty());
}

struct OptionRow {
    const char* what;
    std::vector<std::array<int, 3>> options;  // word, clear mask, set value
    int word;
    std::string clearDigits;
    std::string setDigits;
};

class AddSwitchOptionRows : public LineModeSwitchCommandsTest,
                            public ::testing::WithParamInterface<OptionRow> {};

TEST_P(AddSwitchOptionRows, WordsAreTheUnionOfTheOptionsAndNoOtherWordMoves) {
    const OptionRow& row = GetParam();
    for (const auto& [word, mask, value] : row.options) {
        ASSERT_TRUE(commands.AddSwitchOption(word, static_cast<std::uint16_t>(mask),
                                             static_cast<std::uint16_t>(value)));
    }
    EXPECT_EQ(Bytes(commands.ClearCommand().begin(), commands.ClearCommand().end()),
              Words('-', row.word, row.clearDigits));
    EXPECT_EQ(Bytes(commands.SetCommand().begin(), commands.SetCommand().end()),
              Words('+', row.word, row.setDigits));
}

INSTANTIATE_TEST_SUITE_P(
    Fields, AddSwitchOptionRows,
    ::testing::Values(
        OptionRow{"paper width item 2", {{3, 0x0C00, 0x0800}}, 3, "0C00", "0800"},
        OptionRow{"red/black 1, Chinese, feed and partial cut",
                  {{1, 0x0C00, 0x0400}, {1, 0x0010, 0x0010}, {1, 0x000C, 0x0004}},
                  1,
                  "0C1C",
                  "0414"},
        OptionRow{"character table 24", {{4, 0x1F00, 0x1800}}, 4, "1F00", "1800"},
        OptionRow{"character table 10", {{4, 0x1F00, 0x0A00}}, 4, "1F00", "0A00"},
        OptionRow{"code page 928 with the whole code page field cleared",
                  {{1, 0x003F, 0x0026}},
                  1,
                  "003F",
                  "0026"},
        OptionRow{"CR/LF item 5", {{5, 0x000F, 0x0005}}, 5, "000F", "0005"},
        OptionRow{"word 9 is reachable", {{9, 0xFFFF, 0xABCD}}, 9, "FFFF", "ABCD"},
        // Adding a field twice must not run a digit past "F" into punctuation.
        OptionRow{
            "same field twice", {{2, 0x000F, 0x000A}, {2, 0x000F, 0x000A}}, 2, "000F", "000A"}),
    [](const auto& info) { return "Row" + std::to_string(info.index); });

TEST_F(LineModeSwitchCommandsTest, WordsOutsideOneToNineAreRefusedAndChangeNothing) {
    EXPECT_FALSE(commands.AddSwitchOption(0, 0xFFFF, 0xFFFF));
    EXPECT_FALSE(commands.AddSwitchOption(10, 0xFFFF, 0xFFFF));
    EXPECT_FALSE(commands.AddSwitchOption(-1, 0xFFFF, 0xFFFF));
    EXPECT_TRUE(commands.Empty());
}

TEST_F(LineModeSwitchCommandsTest, SendWritesClearSetAndTenBytePrintStatusWithoutPauseOrRead) {
    commands.AddSwitchOption(3, 0x0C00, 0x0800);
    EXPECT_TRUE(commands.SendSwitchCommands(port));
    EXPECT_EQ(Sent(), Concat({Words('-', 3, "0C00"), Words('+', 3, "0800"), kPrintStatus10}));
    std::vector<std::size_t> writeLengths;
    for (const auto& event : platform.Events()) {
        EXPECT_NE(event.kind, EventKind::Read);
        if (event.kind == EventKind::Write) {
            writeLengths.push_back(event.bytes.size());
        }
    }
    EXPECT_EQ(writeLengths, (std::vector<std::size_t>{42, 42, 10}));
    EXPECT_TRUE(platform.Pauses().empty());
    EXPECT_TRUE(commands.Empty());
}

TEST_F(LineModeSwitchCommandsTest, SecondSendStartsFromCleanCommands) {
    commands.AddSwitchOption(1, 0x003F, 0x0026);
    commands.SendSwitchCommands(port);
    platform.ClearEvents();
    commands.AddSwitchOption(5, 0x000F, 0x0003);
    commands.SendSwitchCommands(port);
    EXPECT_EQ(Sent(), Concat({Words('-', 5, "000F"), Words('+', 5, "0003"), kPrintStatus10}));
}

TEST_F(LineModeSwitchCommandsTest, ResetKeepsHeadersAndWriteHeadersRestoresThem) {
    commands.AddSwitchOption(4, 0x1F00, 0x1800);
    commands.ResetSwitchCommands();
    EXPECT_TRUE(commands.Empty());
    EXPECT_EQ(commands.ClearCommand()[3], '-');
    EXPECT_EQ(commands.SetCommand()[3], '+');
    EXPECT_EQ(commands.SetCommand()[40], 0x0A);
    EXPECT_EQ(commands.SetCommand()[41], 0x00);
}

// A printer that holds DSR low takes nothing; every write must still give up at its deadline.
TEST_F(LineModeSwitchCommandsTest, PrinterThatTakesNothingEndsTheSendWithinThePortTimeouts) {
    printer.dsr = false;
    commands.AddSwitchOption(3, 0x0C00, 0x0800);
    auto start = platform.NowMicros();
    EXPECT_FALSE(commands.SendSwitchCommands(port));
    // Each write: its deadline, the 500 ms retry pause, the deadline of the retry.
    auto perWrite = [](std::uint64_t n) { return Ms(2000 + n) + Ms(500) + Ms(2000 + n); };
    EXPECT_EQ(platform.NowMicros() - start, perWrite(42) + perWrite(42) + perWrite(10));
    EXPECT_TRUE(Sent().empty());
    // The commands are clean for the next Set even though nothing went out.
    EXPECT_TRUE(commands.Empty());
}

// The option tables are data the printer relies on: a value outside its mask would survive the
// clear, and two fields sharing a bit would corrupt each other's digits.
TEST(LineModeOptionTables, EveryValueLiesInsideItsMaskAndFieldsOfOneWordShareNoBit) {
    for (auto table :
         {LineModeOptions::MemorySwitchOptions(), LineModeOptions::CodePageOptions()}) {
        std::array<std::uint16_t, 10> used{};
        for (const LineModeOption& option : table) {
            ASSERT_GE(option.word, 1);
            ASSERT_LE(option.word, 9);
            EXPECT_EQ(used[static_cast<std::size_t>(option.word)] & option.clearMask, 0)
                << option.name;
            used[static_cast<std::size_t>(option.word)] |= option.clearMask;
            for (std::uint16_t value : option.values) {
                EXPECT_EQ(value & ~option.clearMask, 0) << option.name << " value " << value;
            }
        }
    }
}

TEST(LineModeOptionTables, AllMemorySwitchOptionsAtChoiceZeroClearTheDocumentedWords) {
    LineModeSwitchCommands commands;
    for (const LineModeOption& option : LineModeOptions::MemorySwitchOptions()) {
        commands.AddSwitchOption(option.word, option.clearMask, option.values[0]);
    }
    const std::array<std::uint16_t, 5> clear = {0x0C1C, 0x001F, 0x4C0B, 0x1F03, 0x0109};
    for (int word = 1; word <= 5; ++word) {
        EXPECT_EQ(commands.ClearWord(word), clear[static_cast<std::size_t>(word - 1)]) << word;
        EXPECT_EQ(commands.SetWord(word), 0) << word;
    }
}

TEST(LineModeOptionTables, ChoiceCountsMatchTheirControls) {
    std::vector<std::pair<std::string_view, std::size_t>> expected = {
        {"Red and Black Commands", 4},
        {"Country Specification", 2},
        {"[FF] Command Function", 2},
        {"Zero Style", 2},
        {"International Characters", 11},
        {"How to recover to print", 2},
        {"Paper width", 4},
        {"Contextual Auto-cut Function", 2},
        {"Near end switch Function", 3},
        {"Character Table", 25},
        {"[CR] Command Function", 3},
        {"Automatic Status Function", 2},
        {"[ESC] [RS] a n Command", 2},
        {"Data reception error (serial)", 2}};
    auto options = LineModeOptions::MemorySwitchOptions();
    ASSERT_EQ(options.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(options[i].name, expected[i].first) << i;
        EXPECT_EQ(options[i].values.size(), expected[i].second) << options[i].name;
        EXPECT_EQ(LineModeOptions::Find(options[i].setting), &options[i]) << options[i].name;
    }
    EXPECT_EQ(LineModeOptions::CodePageSetOption().values.size(), 20u);
    EXPECT_EQ(LineModeOptions::CrLfSetOption().values.size(), 6u);
    EXPECT_EQ(LineModeOptions::CodePages().size(), 20u);
}

}  // namespace
}  // namespace corvane::protocol
