// Whole exchanges as the manager writes them, write by write, through the simulated line.

#include <gtest/gtest.h>

#include <algorithm>

#include "Bytes.h"
#include "platform/sim/SimPlatform.h"
#include "sim/VirtualPrinter.h"

namespace corvane::sim::test {
namespace {

using platform::sim::SimPlatform;

class Sequence : public ::testing::Test {
protected:
    void Open(Model model) {
        printer = std::make_unique<VirtualPrinter>(model);
        platform.AttachSerial("COM1", *printer);
        platform::Error error;
        device = platform.OpenSerial("COM1", error);
        ASSERT_TRUE(device);
    }
    void Send(std::initializer_list<Bytes> writes) {
        for (const auto& bytes : writes) {
            ASSERT_EQ(device->Write(bytes).count, bytes.size());
        }
    }
    Bytes Drain() {
        Bytes all;
        Bytes buffer(1);
        while (device->Read(buffer).count == 1) {
            all.push_back(buffer[0]);
        }
        return all;
    }

    SimPlatform platform;
    std::unique_ptr<VirtualPrinter> printer;
    std::unique_ptr<platform::SerialDevice> device;
};

TEST_F(Sequence, KrtThreeTenSetStatusWritesEverySetting) {
    Open(Model::Krt310);
    printer->SetSwitch(2, 0x03);  // pins 1 and 2 on; the code page frame leaves them
    Send({B({0x08, 0x5E, 0x45, 0x01, 0x00, 0x01})});
    EXPECT_EQ(Drain(), B({'7', 0x01, 0x00}));
    // Code page 33 on switch 2, switch 8 pins 8 and 1 on, paper width 57.5 mm.
    Send({B({0x08, 0x5E, 0x45, 0x11, 0x00, 0x03}) + T("00001122"), T("12222221"),
          B({0x08, 0x5E, 0x45, 0x03, 0x00, 0x05, 0x02, 0x00}),
          B({0x08, 0x5E, 0x45, 0x01, 0x00, 0x02})});
    Send({B({0x08, 0x5E, 0x45, 0x09, 0x00, 0x0B}), T("19200"), T("2"), T("0"), T("8"),
          B({0x08, 0x5E, 0x50, 0x30, 0x01, 0x2C})});
    EXPECT_TRUE(Drain().empty());

    EXPECT_EQ(printer->SwitchText(2), "00001111");
    EXPECT_EQ(printer->SwitchText(8), "10000001");
    EXPECT_EQ(printer->State().paperWidth, 2);
    EXPECT_EQ(printer->State().serial, (SerialSettings{"19200", '2', '0', '8'}));
    EXPECT_TRUE(printer->State().powerSave);
    EXPECT_EQ(printer->State().powerSaveSeconds, 44);
    EXPECT_FALSE(printer->State().userSettingMode);
    const auto& out = printer->Printout();
    EXPECT_NE(std::find(out.begin(), out.end(), "Paper width: 57.5 mm"), out.end());
    for (const auto& line : printer->Commands()) {
        EXPECT_EQ(line.rfind("ignored", 0), std::string::npos) << line;
    }
}

TEST_F(Sequence, KrtSixTwentySetStatusWritesSwitchesOneAndFive) {
    Open(Model::Krt620);
    Send({B({0x08, 0x5E, 0x45, 0x01, 0x00, 0x01})});
    EXPECT_EQ(Drain(), B({'7', 0x01, 0x00}));
    // Code page 38 and switch 5 all off.
    Send({B({0x08, 0x5E, 0x45, 0x11, 0x00, 0x03}) + T("00100110"), T("00000000"),
          B({0x08, 0x5E, 0x45, 0x01, 0x00, 0x02})});
    EXPECT_TRUE(Drain().empty());
    EXPECT_EQ(printer->Switch(1), 38);
    EXPECT_EQ(printer->SwitchText(5), "00000000");
    // The identification that follows finds the line clean.
    Send({B({0x1D, 0x49, 0x41})});
    EXPECT_EQ(Drain(), B({'_'}) + T("V1.03  STB") + B({0x00}));
}

TEST_F(Sequence, PrintStatusAnswersOnlyTheModeReplyAndPrintsTheStatus) {
    Open(Model::Krt310II);
    Send({B({0x08, 0x5E, 0x45, 0x01, 0x00, 0x01}), B({0x08, 0x5E, 0x45, 0x01, 0x00, 0x02})});
    EXPECT_EQ(Drain(), B({'7', 0x01, 0x00}));
    ASSERT_FALSE(printer->Printout().empty());
    EXPECT_EQ(printer->Printout().front(), "=== Memory switch status ===");
}

}  // namespace
}  // namespace corvane::sim::test
