#include "protocol/Identification.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/PortRig.h"

namespace corvane::protocol {
namespace {

using namespace corvane::support;
using Trace = std::vector<std::string>;

Bytes TextReply(const std::string& text) {
    return Join({{0x5F}, Text(text), {0x00}});
}

// The printer answers the host's writes in order, one entry per write; {} answers nothing.
void AnswerWrites(PortRig& rig, std::vector<Bytes> replies) {
    for (auto& reply : replies) {
        rig.printer.ReplyToNextWrite(std::move(reply));
    }
}

// Trace lines of single-byte reads, one per byte.
Trace ByteReads(const Bytes& bytes) {
    Trace lines;
    for (auto byte : bytes) {
        lines.push_back("R1" + PortRig::Hex({byte}));
    }
    return lines;
}

Trace Concat(std::initializer_list<Trace> parts) {
    Trace all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

class ByteLinkIdentificationTest : public ::testing::TestWithParam<Link> {};

INSTANTIATE_TEST_SUITE_P(SerialAndParallel, ByteLinkIdentificationTest,
                         ::testing::Values(Link::Serial, Link::Parallel),
                         [](const auto& info) { return LinkName(info.param); });

TEST_P(ByteLinkIdentificationTest, TextIsReadByteByByteAfterThePauseUpToItsNul) {
    PortRig rig(GetParam());
    AnswerWrites(rig, {Join({TextReply("VANTORA"), Text("Z")})});
    int bytesStepped = 0;
    std::string text =
        QueryPrinterInfo(rig.port, InfoRequest::Maker, 64, 1000, 0, [&](ExchangeStep step) {
            EXPECT_EQ(step, ExchangeStep::ByteRead);
            ++bytesStepped;
        });
    EXPECT_EQ(text, "VANTORA");
    EXPECT_EQ(rig.Trace(), Concat({{"W 1D 49 42", "S1000"}, ByteReads(TextReply("VANTORA"))}));
    // Header, seven letters and the terminator each move the progress bar.
    EXPECT_EQ(bytesStepped, 9);
}

TEST_P(ByteLinkIdentificationTest, EveryUnderscoreIsDroppedNotOnlyTheHeader) {
    PortRig rig(GetParam());
    AnswerWrites(rig, {TextReply("_V1.0_2__b_")});
    EXPECT_EQ(QueryPrinterInfo(rig.port, InfoRequest::VersionText, 20, 100), "V1.02b");
    EXPECT_EQ(rig.PausesMs(), (std::vector<long>{100}));
}

// Guards against a hang when the printer stops before the text's 00 byte.
TEST_P(ByteLinkIdentificationTest, TextCutBeforeItsNulEndsAtTheFirstEmptyRead) {
    PortRig rig(GetParam());
    AnswerWrites(rig, {Text("_KRT-6")});
    EXPECT_EQ(QueryPrinterInfo(rig.port, InfoRequest::Model, 64, 10), "KRT-6");
    EXPECT_EQ(rig.Trace(),
              Concat({{"W 1D 49 43", "S10"}, ByteReads(Text("_KRT-6")), {"R1 -", "S500", "R1 -"}}));
    EXPECT_EQ(rig.Elapsed(), Ms(10) + kSilentByteReadCost);
}

// Guards against a hang on a printer that never sends the 00 byte but keeps talking.
TEST_P(ByteLinkIdentificationTest, EndlessTextStopsAfterTwoHundredFiftySixBytes) {
    PortRig rig(GetParam());
    AnswerWrites(rig, {Join({{0x5F}, Bytes(400, 'A')})});
    EXPECT_EQ(QueryPrinterInfo(rig.port, InfoRequest::Language, 64, 10), std::string(255, 'A'));
    EXPECT_EQ(rig.Consumed().size(), 256u);
    EXPECT_EQ(rig.PausesMs(), (std::vector<long>{10}));
}

TEST_P(ByteLinkIdentificationTest, SilentPrinterGivesAnEmptyText) {
    PortRig rig(GetParam());
    EXPECT_EQ(QueryPrinterInfo(rig.port, InfoRequest::Maker, 64, 10), "");
    EXPECT_EQ(rig.Trace(), (Trace{"W 1D 49 42", "S10", "R1 -", "S500", "R1 -"}));
}

TEST_P(ByteLinkIdentificationTest, FirmwareIdAcceptedAtOnce) {
    PortRig rig(GetParam());
    AnswerWrites(rig, {{}, {}, {0x64}});
    FirmwareIdResult result = CheckFirmwareId(rig.port, PrinterModel::Krt310Family);
    EXPECT_EQ(result.check, FirmwareCheck::Accepted);
    EXPECT_EQ(result.versionText, "");
    EXPECT_EQ(rig.Trace(), (Trace{"W 1B 40", "W 1B 3D 01", "W 1D 49 03", "S200", "R1 64"}));
}

TEST_P(ByteLinkIdentificationTest, FirmwareIdFoundOnTheFourthRetry) {
    PortRig rig(GetParam());
    AnswerWrites(rig, {{}, {}, {0x00, 0x37, 0x64, 0x64, 0x65}});
    EXPECT_EQ(CheckFirmwareId(rig.port, PrinterModel::Krt620).check, FirmwareCheck::Accepted);
    EXPECT_EQ(rig.Trace(), (Trace{"W 1B 40", "W 1B 3D 01", "W 1D 49 03", "S200", "R1 00", "S10",
                                  "R1 37", "S10", "R1 64", "S10", "R1 64", "S10", "R1 65"}));
}

TEST_P(ByteLinkIdentificationTest, FourWrongRetriesFetchTheFirmwareTextAndRefuse) {
    PortRig rig(GetParam());
    AnswerWrites(rig, {{}, {}, {0x65, 0x00, 0x37, 0x00, 0x63}, TextReply("3.10")});
    FirmwareIdResult result = CheckFirmwareId(rig.port, PrinterModel::Krt310Family);
    EXPECT_EQ(result.check, FirmwareCheck::Unsupported);
    EXPECT_EQ(result.versionText, "3.10");
    EXPECT_EQ(rig.Trace(),
              Concat({{"W 1B 40", "W 1B 3D 01", "W 1D 49 03", "S200", "R1 65", "S10", "R1 00",
                       "S10", "R1 37", "S10", "R1 00", "S10", "R1 63", "W 1D 49 41", "S100"},
                      ByteReads(TextReply("3.10"))}));
}

// Guards against waiting out four silent reads after a printer has stopped talking.
TEST_P(ByteLinkIdentificationTest, FirstSilentRetryEndsTheRetries) {
    PortRig rig(GetParam());
    AnswerWrites(rig, {{}, {}, {0x41}});
    FirmwareIdResult result = CheckFirmwareId(rig.port, PrinterModel::Krt310Family);
    EXPECT_EQ(result.check, FirmwareCheck::Unsupported);
    EXPECT_EQ(result.versionText, "");
    EXPECT_EQ(rig.Elapsed(),
              Ms(200) + Ms(10) + kSilentByteReadCost + Ms(100) + kSilentByteReadCost);
    EXPECT_EQ(rig.Writes().back(), (Bytes{0x1D, 0x49, 0x41}));
}

TEST_P(ByteLinkIdentificationTest, SilentPrinterIsAPortError) {
    PortRig rig(GetParam());
    EXPECT_EQ(CheckFirmwareId(rig.port, PrinterModel::Krt310Family).check,
              FirmwareCheck::PortError);
    EXPECT_EQ(rig.Trace(),
              (Trace{"W 1B 40", "W 1B 3D 01", "W 1D 49 03", "S200", "R1 -", "S500", "R1 -"}));
}

TEST_P(ByteLinkIdentificationTest, UnwritableInitializeRequestIsAPortErrorWithNothingMoreSent) {
    PortRig rig(GetParam());
    rig.printer.acceptCounts = {0, 0};
    EXPECT_EQ(CheckFirmwareId(rig.port, PrinterModel::Krt310Family).check,
              FirmwareCheck::PortError);
    EXPECT_EQ(rig.Writes(), (std::vector<Bytes>{{}, {}}));
    EXPECT_EQ(rig.PausesMs(), (std::vector<long>{500}));
}

TEST_P(ByteLinkIdentificationTest, IdentityAsksMakerThenModelWithTenMillisecondPauses) {
    PortRig rig(GetParam());
    AnswerWrites(rig, {TextReply("VANTORA"), TextReply("KRT-310II")});
    EXPECT_EQ(CheckPrinterIdentity(rig.port, PrinterModel::Krt310Family), IdentityCheck::Accepted);
    EXPECT_EQ(rig.Trace(), Concat({{"W 1D 49 42", "S10"},
                                   ByteReads(TextReply("VANTORA")),
                                   {"W 1D 49 43", "S10"},
                                   ByteReads(TextReply("KRT-310II"))}));
}

TEST_P(ByteLinkIdentificationTest, SilentPrinterFailsTheMakerTestAndEnds) {
    PortRig rig(GetParam());
    EXPECT_EQ(CheckPrinterIdentity(rig.port, PrinterModel::Krt620), IdentityCheck::OtherMaker);
    EXPECT_EQ(rig.Elapsed(), Ms(10) + kSilentByteReadCost);
}

TEST_P(ByteLinkIdentificationTest, EmulationQueryWaitsTwoHundredMillisecondsForOneByte) {
    struct Row {
        Bytes reply;
        std::optional<std::uint8_t> byte;
        int answer;
    };
    const Row rows[] = {
        {{0x02}, 0x02, 1}, {{0x03}, 0x03, 2}, {{0x04}, 0x04, 0}, {{0x00}, 0x00, 0}, {{}, {}, 0}};
    for (const auto& row : rows) {
        PortRig rig(GetParam());
        AnswerWrites(rig, {row.reply});
        EmulationReply reply = QueryEmulation(rig.port);
        EXPECT_EQ(reply.byte, row.byte);
        EXPECT_EQ(reply.answer, row.answer);
        Trace expected = {"W 1F 1F 45", "S200"};
        if (row.reply.empty()) {
            expected.insert(expected.end(), {"R1 -", "S500", "R1 -"});
        } else {
            expected.push_back("R1" + PortRig::Hex(row.reply));
        }
        EXPECT_EQ(rig.Trace(), expected);
    }
}

class UsbIdentificationTest : public ::testing::Test {
protected:
    PortRig rig{Link::Usb};
};

TEST_F(UsbIdentificationTest, SixtyFourByteTextWithoutNulGivesTheSixtyThreeAfterTheHeader) {
    Bytes reply = Join({{0x5F}, Bytes(63, 'L'), Text("overflow")});
    AnswerWrites(rig, {reply});
    EXPECT_EQ(QueryPrinterInfo(rig.port, InfoRequest::Language, 64, 10), std::string(63, 'L'));
    EXPECT_EQ(rig.Trace(), (Trace{"W 1D 49 45",
                                  "R64" + PortRig::Hex(Bytes(reply.begin(), reply.begin() + 64))}));
}

// Guards against a USB text that fills the whole 64-byte reply being taken for one that broke off
// before its 00, which made the manager say that the printer does not answer.
TEST_F(UsbIdentificationTest, SixtyFourByteTextWithoutNulIsWholeAndAShorterOneIsNot) {
    AnswerWrites(rig, {Join({{0x5F}, Bytes(63, 'L')}), Join({{0x5F}, Text("KRT")})});
    auto full = QueryPrinterText(rig.port, InfoRequest::Language, 64, 10);
    EXPECT_EQ(full.text, std::string(63, 'L'));
    EXPECT_TRUE(full.complete);
    auto cut = QueryPrinterText(rig.port, InfoRequest::Model, 64, 10);
    EXPECT_EQ(cut.text, "KRT");
    EXPECT_FALSE(cut.complete);
}

TEST_F(UsbIdentificationTest, HeaderIsDroppedUnseenAndUnderscoresInsideStay) {
    AnswerWrites(rig, {Join({Text("X"), Text("A_B"), {0x00}, Text("junk")})});
    EXPECT_EQ(QueryPrinterInfo(rig.port, InfoRequest::VersionText, 64, 1000), "A_B");
    EXPECT_TRUE(rig.PausesMs().empty());
}

TEST_F(UsbIdentificationTest, TwentyByteBufferCutsALongFirmwareText) {
    AnswerWrites(rig, {TextReply("VERSION 1.23456789ABCDEF")});
    EXPECT_EQ(QueryPrinterInfo(rig.port, InfoRequest::VersionText, 20, 1000),
              "VERSION 1.23456789A");
}

TEST_F(UsbIdentificationTest, EmptyReadIsRepeatedOnceThenTheTextIsEmpty) {
    EXPECT_EQ(QueryPrinterInfo(rig.port, InfoRequest::Maker, 64, 10), "");
    EXPECT_EQ(rig.Trace(), (Trace{"W 1D 49 42", "R64 -", "R64 -"}));
    EXPECT_EQ(rig.Elapsed(), Ms(4000));
}

TEST_F(UsbIdentificationTest, FirmwareIdAcceptedFromTheFirstByteOfTheBlock) {
    AnswerWrites(rig, {{}, {}, {0x65, 0x00, 0x01}});
    EXPECT_EQ(CheckFirmwareId(rig.port, PrinterModel::Krt620).check, FirmwareCheck::Accepted);
    EXPECT_EQ(rig.Trace(), (Trace{"W 1B 40", "W 1B 3D 01", "W 1D 49 03", "S200", "R20 65 00 01"}));
}

TEST_F(UsbIdentificationTest, FirmwareIdReadOnceMoreAfterAnEmptyRead) {
    rig.printer.ReplyToNextWrite({});
    rig.printer.ReplyToNextWrite({});
    rig.printer.ReplyToNextWrite({0x64}, Ms(3000));
    EXPECT_EQ(CheckFirmwareId(rig.port, PrinterModel::Krt310Family).check, FirmwareCheck::Accepted);
    EXPECT_EQ(rig.Trace(),
              (Trace{"W 1B 40", "W 1B 3D 01", "W 1D 49 03", "S200", "R20 -", "R20 64"}));
}

TEST_F(UsbIdentificationTest, NoIdInTwoReadsIsAPortError) {
    EXPECT_EQ(CheckFirmwareId(rig.port, PrinterModel::Krt310Family).check,
              FirmwareCheck::PortError);
    EXPECT_EQ(rig.Trace(),
              (Trace{"W 1B 40", "W 1B 3D 01", "W 1D 49 03", "S200", "R20 -", "R20 -"}));
}

TEST_F(UsbIdentificationTest, KrtThreeTenIdWithKrtSixTwentyChosenIsUnsupportedWithoutRetries) {
    AnswerWrites(rig, {{}, {}, {0x64}, TextReply("2.01")});
    FirmwareIdResult result = CheckFirmwareId(rig.port, PrinterModel::Krt620);
    EXPECT_EQ(result.check, FirmwareCheck::Unsupported);
    EXPECT_EQ(result.versionText, "2.01");
    EXPECT_EQ(rig.Trace(), (Trace{"W 1B 40", "W 1B 3D 01", "W 1D 49 03", "S200", "R20 64",
                                  "W 1D 49 41", "S200", "R20 5F 32 2E 30 31 00"}));
}

TEST_F(UsbIdentificationTest, IdentityReadsBothNamesInSixtyFourByteBlocks) {
    AnswerWrites(rig, {TextReply("QVN"), TextReply("KRT-620")});
    EXPECT_EQ(CheckPrinterIdentity(rig.port, PrinterModel::Krt620), IdentityCheck::Accepted);
    EXPECT_EQ(rig.Trace(), (Trace{"W 1D 49 42", "R64 5F 51 56 4E 00", "W 1D 49 43",
                                  "R64 5F 4B 52 54 2D 36 32 30 00"}));
}

struct IdentityRow {
    const char* maker;
    const char* model;
    PrinterModel chosen;
    IdentityCheck check;
    std::size_t writes;
};

TEST(CheckPrinterIdentity, NamesAreComparedWholeAndCaseSensitive) {
    using enum IdentityCheck;
    const IdentityRow rows[] = {
        {"VANTORA", "KRT-310", PrinterModel::Krt310Family, Accepted, 2},
        {"VANTORA", "KRT-310II", PrinterModel::Krt310Family, Accepted, 2},
        {"QVN", "KRT-310", PrinterModel::Krt310Family, Accepted, 2},
        {"VANTORA", "KRT-620", PrinterModel::Krt620, Accepted, 2},
        {"Vantora", "KRT-310", PrinterModel::Krt310Family, OtherMaker, 1},
        {"VANTORA ", "KRT-310", PrinterModel::Krt310Family, OtherMaker, 1},
        {"", "KRT-310", PrinterModel::Krt310Family, OtherMaker, 1},
        {"VANTORA", "KRT-620", PrinterModel::Krt310Family, OtherModel, 2},
        {"VANTORA", "KRT-310II", PrinterModel::Krt620, OtherModel, 2},
        {"VANTORA", "KRT-310I", PrinterModel::Krt310Family, OtherModel, 2},
        {"VANTORA", "krt-620", PrinterModel::Krt620, OtherModel, 2},
    };
    for (const auto& row : rows) {
        for (auto link : {Link::Serial, Link::Usb}) {
            PortRig rig(link);
            AnswerWrites(rig, {TextReply(row.maker), TextReply(row.model)});
            EXPECT_EQ(CheckPrinterIdentity(rig.port, row.chosen), row.check)
                << row.maker << " / " << row.model;
            EXPECT_EQ(rig.Writes().size(), row.writes) << row.maker << " / " << row.model;
        }
    }
}

}  // namespace
}  // namespace corvane::protocol
