#include "linemode/LineModeBaudRateDialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "SwitchFrames.h"
#include "resources/DialogTemplate.h"
#include "support/SerialPortTest.h"
#include "ui/HeadlessHost.h"

namespace corvane::linemode {
namespace {

using namespace corvane::linemode::testing;
using platform::sim::Ms;
using ui::HeadlessHost;

Bytes SpeedExchange(char digit) {
    return {0x1B, 0x1F, 0x23, 0x2D, 0x30, 0x46, 0x30, 0x30,
            0x0A, 0x00, 0x1B, 0x1F, 0x23, 0x2B, 0x30, static_cast<std::uint8_t>(digit),
            0x30, 0x30, 0x0A, 0x00, 0x1B, 0x1F, 0x23, 0x54,
            0x30, 0x30, 0x0A, 0x00};
}

class LineModeBaudRateDialogTest : public support::SerialPortTest {
protected:
    LineModeBaudRateDialogTest() : SerialPortTest({"COM1"}) {}

    HeadlessHost& Open() {
        host = std::make_unique<HeadlessHost>(dialog);
        return *host;
    }

    LineModeBaudRateDialog dialog{port};
    std::unique_ptr<HeadlessHost> host;
};

TEST_F(LineModeBaudRateDialogTest, OpensAt1200WithTheTemplateCaptionAndSendsNothing) {
    Open();
    EXPECT_TRUE(host->IsChecked(74));
    for (int id : {75, 76, 77, 78}) {
        EXPECT_FALSE(host->IsChecked(id)) << id;
    }
    EXPECT_EQ(host->WindowTitle(), "Other Corvane");
    EXPECT_TRUE(platform.Events().empty());
}

struct SpeedRow {
    int radio;
    char digit;
};

class SpeedRows : public LineModeBaudRateDialogTest,
                  public ::testing::WithParamInterface<SpeedRow> {};

TEST_P(SpeedRows, SetSendsClearSetWithTheSpeedCodeAndT) {
    Open();
    ASSERT_TRUE(host->Click(GetParam().radio));
    ASSERT_TRUE(host->Click(1003));
    EXPECT_EQ(Sent(), SpeedExchange(GetParam().digit));
    EXPECT_TRUE(platform.Pauses().empty());
    EXPECT_TRUE(host->Messages().empty());
}

// 2400 bps is the printer's code "0"; the codes do not follow the speeds.
INSTANTIATE_TEST_SUITE_P(Speeds, SpeedRows,
                         ::testing::Values(SpeedRow{74, '1'}, SpeedRow{75, '0'}, SpeedRow{76, '2'},
                                           SpeedRow{77, '3'}, SpeedRow{78, '4'}));

TEST_F(LineModeBaudRateDialogTest, SetWithoutTouchingTheRadiosSends1200AndTwiceSendsTwice) {
    Open();
    ASSERT_TRUE(host->Click(1003));
    ASSERT_TRUE(host->Click(1003));
    EXPECT_EQ(Sent(), Concat({SpeedExchange('1'), SpeedExchange('1')}));
}

TEST_F(LineModeBaudRateDialogTest, SpeedSentLeavesTheLinkAtTheWindowsSpeed) {
    Open();
    ASSERT_TRUE(host->Click(78));
    ASSERT_TRUE(host->Click(1003));
    EXPECT_EQ(port.GetLineSettings().baudRate, 9600u);
    EXPECT_EQ(platform.OpenLine("COM1")->Config().baudRate, 9600u);
}

TEST_F(LineModeBaudRateDialogTest, EveryOpeningStartsAgainAt1200) {
    Open();
    ASSERT_TRUE(host->Click(77));
    ASSERT_TRUE(host->Click(71));
    EXPECT_EQ(host->Result(), ui::kIdOk);
    EXPECT_EQ(dialog.Choice(), 3);
    Open();
    EXPECT_TRUE(host->IsChecked(74));
    EXPECT_FALSE(host->IsChecked(77));
    ASSERT_TRUE(host->Click(1003));
    EXPECT_EQ(Sent(), SpeedExchange('1'));
}

TEST_F(LineModeBaudRateDialogTest, UnpluggedPrinterEndsTheSetSilently) {
    printer.unplugged = true;
    Open();
    ASSERT_TRUE(host->Click(1003));
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(host->Messages().empty());
    EXPECT_FALSE(host->Ended());
}

TEST(LineModeBaudRateTemplate, FiveSpeedRadiosFormOneGroupInSpeedOrder) {
    const resources::DialogTemplate* t = resources::FindTemplate(152);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->RadioGroup(74), (std::vector<int>{74, 75, 76, 77, 78}));
    const char* captions[] = {"1200 bps", "2400 bps", "4800 bps", "9600 bps", "19200 bps"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(t->Find(74 + i)->caption, captions[i]);
    }
    ASSERT_NE(t->Find(1003), nullptr);
    EXPECT_EQ(t->Find(1003)->caption, "Set status of memory switch");
    ASSERT_NE(t->Find(71), nullptr);
}

}  // namespace
}  // namespace corvane::linemode
