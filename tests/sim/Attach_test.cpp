#include <gtest/gtest.h>

#include "Bytes.h"
#include "platform/sim/SimPlatform.h"
#include "sim/SimulatedPrinters.h"

namespace corvane::sim::test {
namespace {

using platform::sim::SimPlatform;
using namespace std::chrono_literals;

Bytes ReadSome(platform::Device& device, std::size_t count) {
    Bytes buffer(count);
    auto result = device.Read(buffer);
    buffer.resize(result.count);
    return buffer;
}

TEST(Attach, SerialPrinterTakesAFrameSplitOverWritesAndAnswersOnTheLine) {
    SimPlatform platform;
    VirtualPrinter printer(Model::Krt620);
    printer.SetSwitch(1, 0x26);
    platform.AttachSerial("COM3", printer);
    platform::Error error;
    auto device = platform.OpenSerial("COM3", error);
    ASSERT_TRUE(device);
    device->Write(B({0x08, 0x5E, 0x45}));
    device->Write(B({0x02, 0x00, 0x04, 0x31}));
    EXPECT_EQ(ReadSome(*device, 11), B({'7', 0x31}) + T("00100110") + B({0x00}));
}

TEST(Attach, ParallelPrinterAnswersAndReportsItsStatus) {
    SimPlatform platform;
    VirtualPrinter printer(Model::Krt310);
    platform.AttachParallel("LPT1:", printer);
    platform::Error error;
    auto device = platform.OpenParallel("LPT1:", error);
    ASSERT_TRUE(device);
    std::uint8_t status = 0;
    ASSERT_TRUE(device->QueryStatus(status).Ok());
    EXPECT_EQ(status, platform::kParallelSelected);
    device->Write(B({0x1D, 0x49, 0x03}));
    EXPECT_EQ(ReadSome(*device, 1), B({0x64}));
    printer.SetParallelStatus(platform::kParallelPaperEmpty | platform::kParallelSelected);
    ASSERT_TRUE(device->QueryStatus(status).Ok());
    EXPECT_EQ(status, platform::kParallelPaperEmpty | platform::kParallelSelected);
}

TEST(Attach, UsbReplyIsOneTransferEvenWhenSlow) {
    SimPlatform platform;
    VirtualPrinter printer(Model::Krt310II);
    printer.GetFaults().latency = 1ms;
    printer.GetFaults().perByte = 100us;
    platform.AttachUsb("/dev/usb/lp0", 0x2c9a, 0x0025, printer);
    platform::Error error;
    auto device = platform.OpenUsbPrinter("/dev/usb/lp0", true, error);
    ASSERT_TRUE(device);
    auto start = platform.NowMicros();
    device->Write(B({0x1D, 0x49, 0x42}) + B({0x1D, 0x49, 0x43}));
    EXPECT_EQ(ReadSome(*device, 64), B({'_'}) + T("VANTORA") + B({0x00}));
    EXPECT_EQ(platform.NowMicros() - start, 1000u + 9 * 100u);
    EXPECT_EQ(ReadSome(*device, 64), B({'_'}) + T("KRT-310II") + B({0x00}));
}

TEST(Attach, SlowSerialBytesCanBeReadOneByOneAsTheyArrive) {
    SimPlatform platform;
    VirtualPrinter printer(Model::Krt310);
    printer.GetFaults().perByte = 1ms;
    platform.AttachSerial("COM1", printer);
    platform::Error error;
    auto device = platform.OpenSerial("COM1", error);
    device->Write(B({0x08, 0x5E, 0x45, 0x02, 0x00, 0x04, 0x08}));
    auto start = platform.NowMicros();
    EXPECT_EQ(ReadSome(*device, 1), B({'7'}));
    EXPECT_EQ(platform.NowMicros() - start, 1000u);
    EXPECT_EQ(ReadSome(*device, 10).size(), 10u);
    EXPECT_EQ(platform.NowMicros() - start, 11000u);
}

struct UsbRow {
    Model model;
    std::uint16_t vendorId;
    std::uint16_t productId;
};

class SimulatedPrinterSet : public ::testing::TestWithParam<UsbRow> {};

TEST_P(SimulatedPrinterSet, EveryPortNameReachesItsOwnPrinterOfTheModel) {
    const auto& row = GetParam();
    SimPlatform platform;
    SimulatedPrinters printers(platform, row.model, Emulation::Native);
    platform::Error error;
    for (const char* name : {"COM1", "\\\\.\\COM12"}) {
        auto device = platform.OpenSerial(name, error);
        ASSERT_TRUE(device) << name;
        device->Write(B({0x1D, 0x49, 0x43}));
        EXPECT_EQ(ReadSome(*device, 64).size(), 1 + std::string(ModelName(row.model)).size() + 1);
    }
    auto lpt = platform.OpenParallel("LPT2:", error);
    ASSERT_TRUE(lpt);
    EXPECT_EQ(printers.PortNames(), (std::vector<std::string>{"COM1", "LPT2:", "\\\\.\\COM12"}));
    ASSERT_NE(printers.Printer("COM1"), nullptr);
    EXPECT_NE(printers.Printer("COM1"), printers.Printer("LPT2:"));
    EXPECT_EQ(printers.Printer("COM1")->CommandCount(), 1u);
    EXPECT_EQ(printers.Printer("COM2"), nullptr);
}

TEST_P(SimulatedPrinterSet, UsbPrinterShowsTheModelsVendorAndProductId) {
    const auto& row = GetParam();
    SimPlatform platform;
    SimulatedPrinters printers(platform, row.model, Emulation::Native);
    auto list = platform.ListUsbPrinters();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].devicePath, SimulatedPrinters::kUsbDevicePath);
    EXPECT_EQ(list[0].vendorId, row.vendorId);
    EXPECT_EQ(list[0].productId, row.productId);
    platform::Error error;
    auto device = platform.OpenUsbPrinter(list[0].devicePath, true, error);
    ASSERT_TRUE(device);
    device->Write(B({0x1D, 0x49, 0x03}));
    EXPECT_EQ(ReadSome(*device, 20), B({row.model == Model::Krt620 ? 0x65 : 0x64}));
    EXPECT_EQ(printers.UsbPrinter().CommandCount(), 1u);
}

INSTANTIATE_TEST_SUITE_P(EachModel, SimulatedPrinterSet,
                         ::testing::Values(UsbRow{Model::Krt310, 0x2c9a, 0x0002},
                                           UsbRow{Model::Krt310II, 0x2c9a, 0x0025},
                                           UsbRow{Model::Krt620, 0x3e1f, 0x4010}),
                         [](const auto& info) { return Tag(info.param.model); });

TEST(SimulatedPrinterSetup, EmulationAndSetUpReachEveryPrinterMade) {
    SimPlatform platform;
    SimulatedPrinters printers(platform, Model::Krt310, Emulation::Other03);
    printers.OnPrinterMade([](VirtualPrinter& printer) { printer.GetFaults().silent = true; });
    platform::Error error;
    auto device = platform.OpenSerial("COM4", error);
    device->Write(B({0x1F, 0x1F, 0x45}));
    EXPECT_TRUE(ReadSome(*device, 1).empty());
    EXPECT_EQ(printers.Printer("COM4")->GetEmulation(), Emulation::Other03);
    auto usb = platform.OpenUsbPrinter(SimulatedPrinters::kUsbDevicePath, true, error);
    usb->Write(B({0x1F, 0x1F, 0x45}));
    EXPECT_EQ(ReadSome(*usb, 1), B({0x03}));
}

TEST(ModelNames, ParseAcceptsTheNamesUsersType) {
    EXPECT_EQ(ParseModel("KRT-310"), Model::Krt310);
    EXPECT_EQ(ParseModel("krt-310ii"), Model::Krt310II);
    EXPECT_EQ(ParseModel("620"), Model::Krt620);
    EXPECT_EQ(ParseModel("KRT-320"), std::nullopt);
    EXPECT_EQ(ParseEmulation("native"), Emulation::Native);
    EXPECT_EQ(ParseEmulation("02"), Emulation::Other02);
    EXPECT_EQ(ParseEmulation("Other03"), Emulation::Other03);
    EXPECT_EQ(ParseEmulation("04"), std::nullopt);
}

}  // namespace
}  // namespace corvane::sim::test
