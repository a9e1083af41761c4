// Round trips against the simulated printer, which decodes the frames with its own code: what the
// command set sends must change the printer as meant, and what the printer sends back must read
// as what it holds.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/Identification.h"
#include "protocol/NativeCommands.h"
#include "sim/VirtualPrinter.h"
#include "support/PortRig.h"

namespace corvane::protocol {
namespace {

using namespace corvane::support;
using sim::Model;
using sim::VirtualPrinter;

// Everything the KRT-310 family's status reading collects, in its order.
struct Krt310Status {
    SwitchPins codePageSwitch{};
    SwitchPins switch8{};
    std::optional<std::uint32_t> speed;
    std::optional<Parity> parity;
    std::optional<FlowControl> flowControl;
    std::optional<std::uint32_t> dataBits;
    std::optional<PaperWidth> paperWidth;
    PowerSaveReply powerSave;
};

std::uint8_t FirstCharacter(const std::string& text) {
    return text.empty() ? 0 : static_cast<std::uint8_t>(text[0]);
}

Krt310Status ReadKrt310Status(link::PrinterPort& port) {
    Krt310Status status;
    bool usb = port.Kind() == link::InterfaceKind::Usb;
    SendTransmitMemorySwitch(port, kKrt310CodePageSwitch);
    status.codePageSwitch =
        ReadSwitchReply(port, usb ? HeaderSearch::Without : HeaderSearch::With).pins;
    SendTransmitMemorySwitch(port, kKrt310Switch8);
    status.switch8 = ReadSwitchReply(port, HeaderSearch::Without).pins;
    SendTransmitSerialSetting(port, kSerialItemSpeed);
    status.speed = SpeedFromText(ReadValueReply(port, ValueForm::Speed).text);
    SendTransmitSerialSetting(port, kSerialItemParity);
    status.parity =
        ParityFromCharacter(FirstCharacter(ReadValueReply(port, ValueForm::OneCharacter).text));
    SendTransmitSerialSetting(port, kSerialItemFlowControl);
    status.flowControl = FlowControlFromCharacter(
        FirstCharacter(ReadValueReply(port, ValueForm::OneCharacter).text));
    SendTransmitSerialSetting(port, kSerialItemDataBits);
    status.dataBits =
        DataBitsFromCharacter(FirstCharacter(ReadValueReply(port, ValueForm::OneCharacter).text));
    SendTransmitCustomizedValue(port);
    status.paperWidth =
        PaperWidthFromCharacter(FirstCharacter(ReadValueReply(port, ValueForm::OneCharacter).text));
    SendTransmitPowerSave(port);
    status.powerSave = ReadPowerSaveReply(port);
    return status;
}

// The pins of a switch as the simulated printer stores them: bit k-1 is pin k.
std::uint8_t PinBits(const SwitchPins& pins) {
    std::uint8_t bits = 0;
    for (int pin = 1; pin <= 8; ++pin) {
        if (pins[static_cast<std::size_t>(pin)] == kPinSwitchOn) {
            bits = static_cast<std::uint8_t>(bits | (1u << (pin - 1)));
        }
    }
    return bits;
}

class RoundTripTest : public ::testing::TestWithParam<Link> {};

INSTANTIATE_TEST_SUITE_P(AllLinks, RoundTripTest,
                         ::testing::Values(Link::Serial, Link::Parallel, Link::Usb),
                         [](const auto& info) { return LinkName(info.param); });

TEST_P(RoundTripTest, Krt310StatusReadsWhatThePrinterHolds) {
    VirtualPrinter printer(Model::Krt310II);
    printer.SetSwitch(2, 0b0000'1100);  // code page 33: pins 3 and 4
    printer.SetSwitch(8, 0b1000'0001);
    printer.State().serial = {"19200", '2', '1', '7'};
    printer.State().paperWidth = 4;
    printer.State().powerSave = true;
    printer.State().powerSaveSeconds = 255;
    PortRig rig(GetParam(), &printer);
    ASSERT_TRUE(rig.opened);

    Krt310Status status = ReadKrt310Status(rig.port);
    EXPECT_EQ(CodePageNumberFromPins(PrinterModel::Krt310Family, status.codePageSwitch), 33);
    EXPECT_EQ(PinBits(status.switch8), 0b1000'0001);
    EXPECT_EQ(status.switch8[4], kPinSwitchOff);
    EXPECT_EQ(status.speed, 19200u);
    EXPECT_EQ(status.parity, Parity::Even);
    EXPECT_EQ(status.flowControl, FlowControl::XonXoff);
    EXPECT_EQ(status.dataBits, 7u);
    EXPECT_EQ(status.paperWidth, PaperWidth::Mm69_5);
    EXPECT_TRUE(status.powerSave.found);
    EXPECT_TRUE(status.powerSave.usePowerSave);
    EXPECT_EQ(status.powerSave.seconds, 255);
    // Every reply was taken whole: nothing left half-read for the next exchange.
    EXPECT_EQ(printer.PendingBytes(), 0u);
}

TEST_P(RoundTripTest, Krt310SetStatusChangesExactlyTheChosenItems) {
    VirtualPrinter printer(Model::Krt310);
    printer.SetSwitch(2, 0b0000'0011);  // pins 1 and 2 are not part of the code page
    printer.SetSwitch(8, 0b0101'0101);
    PortRig rig(GetParam(), &printer);

    SwitchPins switch8{};
    switch8[8] = kPinSwitchOn;
    switch8[1] = kPinSwitchOff;
    switch8[3] = 7;  // a value a status file may carry: leaves the pin alone
    SendEnterUserSetting(rig.port);
    ReadModeReply(rig.port, ModeReplyForm::Fixed);
    SendSetMemorySwitches(rig.port, CodePageBlock(PrinterModel::Krt310Family, 22),
                          BlockFromPins(switch8));
    SendSetCustomizedValue(rig.port, PaperWidth::Mm57_5);
    SendEndUserSetting(rig.port);
    SendSetSerialSettings(rig.port, {19200, Parity::Even, FlowControl::DtrDsr, 8});
    SendSetPowerSave(rig.port, true, 300);

    EXPECT_EQ(printer.Switch(2), 0b1011'0011);  // 22: pins 5, 6 and 8; pins 1 and 2 kept
    EXPECT_EQ(printer.Switch(8), 0b1101'0100);
    EXPECT_EQ(printer.State().paperWidth, 2);
    EXPECT_EQ(printer.State().serial, (sim::SerialSettings{"19200", '2', '0', '8'}));
    EXPECT_TRUE(printer.State().powerSave);
    EXPECT_EQ(printer.State().powerSaveSeconds, 44);
    for (const auto& line : printer.Commands()) {
        EXPECT_EQ(line.find("ignored"), std::string::npos) << line;
    }

    Krt310Status status = ReadKrt310Status(rig.port);
    EXPECT_EQ(CodePageNumberFromPins(PrinterModel::Krt310Family, status.codePageSwitch), 22);
    EXPECT_EQ(status.speed, 19200u);
    EXPECT_EQ(status.parity, Parity::Even);
    EXPECT_EQ(status.flowControl, FlowControl::DtrDsr);
    EXPECT_EQ(status.dataBits, 8u);
    EXPECT_EQ(status.paperWidth, PaperWidth::Mm57_5);
    EXPECT_EQ(status.powerSave.seconds, 44);
}

TEST_P(RoundTripTest, SerialItemsLeftAtNoChangeStayAsThePrinterHadThem) {
    VirtualPrinter printer(Model::Krt310);
    printer.State().serial = {"4800", '1', '1', '7'};
    PortRig rig(GetParam(), &printer);
    SendSetSerialSettings(rig.port, {9600, {}, {}, {}});
    EXPECT_EQ(printer.State().serial, (sim::SerialSettings{"9600", '1', '1', '7'}));
    SendSetSerialSettings(rig.port, {});
    EXPECT_EQ(printer.State().serial, (sim::SerialSettings{"9600", '1', '1', '7'}));
}

TEST_P(RoundTripTest, Krt620SetsAndReadsItsCodePageAndSwitchFive) {
    VirtualPrinter printer(Model::Krt620);
    printer.SetSwitch(5, 0b1100'0000);
    PortRig rig(GetParam(), &printer);

    SwitchPins switch5{};
    switch5[1] = kPinSwitchOn;  // pins 8 and 7 left at "No Change"
    SendEnterUserSetting(rig.port);
    ReadModeReply(rig.port, ModeReplyForm::Searched);
    SendSetMemorySwitches(rig.port, CodePageBlock(PrinterModel::Krt620, 38),
                          BlockFromPins(switch5));
    SendEndUserSetting(rig.port);
    EXPECT_EQ(printer.Switch(1), 38);
    EXPECT_EQ(printer.Switch(5), 0b1100'0001);
    for (const auto& line : printer.Commands()) {
        EXPECT_EQ(line.find("left unchanged"), std::string::npos) << line;
        EXPECT_EQ(line.find("ignored"), std::string::npos) << line;
    }

    SendTransmitMemorySwitch(rig.port, kKrt620CodePageSwitch);
    SwitchPins page1 = ReadSwitchReply(rig.port, HeaderSearch::With).pins;
    SendTransmitMemorySwitch(rig.port, kKrt620Switch5);
    SwitchPins page5 = ReadSwitchReply(rig.port, HeaderSearch::Without).pins;
    EXPECT_EQ(CodePageNumberFromPins(PrinterModel::Krt620, page1), 38);
    EXPECT_EQ(PinBits(page5), 0b1100'0001);
    EXPECT_EQ(page5[6], kPinSwitchOff);
}

TEST_P(RoundTripTest, GenuinePrintersAreAcceptedForTheirFamilyOnly) {
    struct Row {
        Model model;
        PrinterModel chosen;
        FirmwareCheck check;
    };
    const Row rows[] = {
        {Model::Krt310, PrinterModel::Krt310Family, FirmwareCheck::Accepted},
        {Model::Krt310II, PrinterModel::Krt310Family, FirmwareCheck::Accepted},
        {Model::Krt620, PrinterModel::Krt620, FirmwareCheck::Accepted},
        {Model::Krt310II, PrinterModel::Krt620, FirmwareCheck::Unsupported},
        {Model::Krt620, PrinterModel::Krt310Family, FirmwareCheck::Unsupported},
    };
    for (const auto& row : rows) {
        VirtualPrinter printer(row.model);
        PortRig rig(GetParam(), &printer);
        FirmwareIdResult result = CheckFirmwareId(rig.port, row.chosen);
        EXPECT_EQ(result.check, row.check) << sim::ModelName(row.model);
        if (row.check == FirmwareCheck::Unsupported) {
            EXPECT_EQ(result.versionText, printer.GetIdentity().firmware);
            continue;
        }
        EXPECT_EQ(CheckPrinterIdentity(rig.port, row.chosen), IdentityCheck::Accepted);
    }
}

TEST_P(RoundTripTest, ForeignMakerIsRefused) {
    VirtualPrinter printer(Model::Krt310);
    printer.SetMakerText("OTHER CO");
    PortRig rig(GetParam(), &printer);
    ASSERT_EQ(CheckFirmwareId(rig.port, PrinterModel::Krt310Family).check, FirmwareCheck::Accepted);
    EXPECT_EQ(CheckPrinterIdentity(rig.port, PrinterModel::Krt310Family),
              IdentityCheck::OtherMaker);
}

TEST_P(RoundTripTest, EmulationQueryAnswersByEmulation) {
    for (auto [emulation, answer] :
         {std::pair{sim::Emulation::Other02, 1}, std::pair{sim::Emulation::Other03, 2},
          std::pair{sim::Emulation::Native, 0}}) {
        VirtualPrinter printer(Model::Krt310, emulation);
        PortRig rig(GetParam(), &printer);
        EXPECT_EQ(QueryEmulation(rig.port).answer, answer);
    }
}

TEST_P(RoundTripTest, NoiseBeforeTheHeaderIsSkippedByTheSearch) {
    VirtualPrinter printer(Model::Krt620);
    printer.SetSwitch(1, 38);
    printer.GetFaults().noiseBeforeHeader = {0x00, 'x', 0x13};
    PortRig rig(GetParam(), &printer);
    SendTransmitMemorySwitch(rig.port, kKrt620CodePageSwitch);
    SwitchPins pins = ReadSwitchReply(rig.port, HeaderSearch::With).pins;
    if (GetParam() == Link::Usb) {
        // On USB the pins come from the block, which the noise shifted; the search then waits
        // for a '7' that never comes and the reply counts as empty.
        EXPECT_EQ(pins, SwitchPins{});
    } else {
        EXPECT_EQ(CodePageNumberFromPins(PrinterModel::Krt620, pins), 38);
    }
}

TEST_P(RoundTripTest, SlowPrinterIsStillHeardWithinTheRetry) {
    VirtualPrinter printer(Model::Krt310);
    printer.SetSwitch(8, 0b0000'0110);
    printer.GetFaults().latency = std::chrono::milliseconds(3000);
    PortRig rig(GetParam(), &printer);
    SendTransmitMemorySwitch(rig.port, kKrt310Switch8);
    EXPECT_EQ(PinBits(ReadSwitchReply(rig.port, HeaderSearch::Without).pins), 0b0000'0110);
}

TEST(RoundTripSerial, RepliesPacedByTheLineSpeedAreReadWhole) {
    VirtualPrinter printer(Model::Krt310);
    printer.GetFaults().perByteFromLine = true;  // about 1 ms a byte at 9600 bit/s
    printer.State().serial.speed = "19200";
    PortRig rig(Link::Serial, &printer);
    SendTransmitSerialSetting(rig.port, kSerialItemSpeed);
    EXPECT_EQ(ReadValueReply(rig.port, ValueForm::Speed).text, "19200");
    EXPECT_EQ(QueryPrinterInfo(rig.port, InfoRequest::Model, 64, 10), "KRT-310");
}

// What the Get Status reading of the KRT-310 family costs at most against a printer that says
// nothing: every reply ends after its first empty read, the power save reply after three.
Micros SilentKrt310StatusCost(Link link) {
    if (link == Link::Usb) {
        return 7 * Ms(2 * 2000) + 3 * Ms(200 + 2000);
    }
    return 7 * Ms(10 + 2001 + 500 + 2001) + 3 * Ms(200 + 2064 + 500 + 2064);
}

TEST_P(RoundTripTest, SilentPrinterEndsEveryExchangeWithinThePortTimeOuts) {
    VirtualPrinter printer(Model::Krt310);
    printer.GetFaults().silent = true;
    PortRig rig(GetParam(), &printer);

    Krt310Status status = ReadKrt310Status(rig.port);
    EXPECT_EQ(status.codePageSwitch, SwitchPins{});
    EXPECT_EQ(status.switch8, SwitchPins{});
    EXPECT_EQ(status.speed, std::nullopt);
    EXPECT_EQ(status.paperWidth, std::nullopt);
    EXPECT_FALSE(status.powerSave.found);
    EXPECT_EQ(rig.Elapsed(), SilentKrt310StatusCost(GetParam()));

    Micros before = rig.Elapsed();
    EXPECT_EQ(CheckFirmwareId(rig.port, PrinterModel::Krt310Family).check,
              FirmwareCheck::PortError);
    EXPECT_EQ(CheckPrinterIdentity(rig.port, PrinterModel::Krt310Family),
              IdentityCheck::OtherMaker);
    EXPECT_EQ(QueryEmulation(rig.port).answer, 0);
    SendEnterUserSetting(rig.port);
    ReadModeReply(rig.port, ModeReplyForm::Searched);
    ReadModeReply(rig.port, ModeReplyForm::Fixed);
    // Each of these waited out one read (USB: one or two transfers) and no more.
    EXPECT_LE(rig.Elapsed() - before, Ms(6 * (1000 + 2 * 2064 + 500)));
}

TEST_P(RoundTripTest, PrinterThatStopsMidReplyEndsEveryReadingRule) {
    VirtualPrinter printer(Model::Krt310II);
    printer.State().serial.speed = "19200";
    printer.GetFaults().cutAfter = 6;
    PortRig rig(GetParam(), &printer);

    Krt310Status status = ReadKrt310Status(rig.port);
    // Six bytes carry the switch header, identifier and pins 8 to 5 only.
    EXPECT_EQ(status.codePageSwitch[4], kPinNoChange);
    EXPECT_EQ(status.codePageSwitch[5], kPinSwitchOff);
    EXPECT_EQ(status.speed, std::nullopt);  // "19" of "19200"
    EXPECT_EQ(status.parity, Parity::None);
    EXPECT_LE(rig.Elapsed(), SilentKrt310StatusCost(GetParam()));

    EXPECT_EQ(QueryPrinterInfo(rig.port, InfoRequest::Model, 64, 10), "KRT-3");
    EXPECT_EQ(QueryPrinterInfo(rig.port, InfoRequest::Model, 20, 10), "KRT-3");
}

}  // namespace
}  // namespace corvane::protocol
