#include <gtest/gtest.h>

#include "Bytes.h"
#include "sim/VirtualPrinter.h"

namespace corvane::sim::test {
namespace {

struct IdentityRow {
    Model model;
    std::uint8_t versionId;
    const char* modelText;
};

class Identification : public ::testing::TestWithParam<IdentityRow> {};

TEST_P(Identification, DefaultAnswersAreThoseOfAGenuinePrinter) {
    const auto& row = GetParam();
    VirtualPrinter printer(row.model);
    // Initialize and select the printer answer nothing; the version-id request one byte.
    EXPECT_EQ(Answer(printer, B({0x1B, 0x40}) + B({0x1B, 0x3D, 0x01}) + B({0x1D, 0x49, 0x03})),
              B({row.versionId}));
    EXPECT_EQ(Answer(printer, B({0x1D, 0x49, 0x42})), B({'_'}) + T("VANTORA") + B({0x00}));
    EXPECT_EQ(Answer(printer, B({0x1D, 0x49, 0x43})), B({'_'}) + T(row.modelText) + B({0x00}));
    Bytes firmware = Answer(printer, B({0x1D, 0x49, 0x41}));
    ASSERT_GE(firmware.size(), 4u);
    EXPECT_EQ(firmware.front(), '_');
    EXPECT_EQ(firmware.back(), 0x00);
    EXPECT_EQ(Answer(printer, B({0x1D, 0x49, 0x45})), B({'_'}) + T("ENGLISH") + B({0x00}));
}

TEST_P(Identification, EveryIdentityItemCanBeChanged) {
    const auto& row = GetParam();
    VirtualPrinter printer(row.model);
    printer.SetVersionId(0x63);
    printer.SetFirmwareText("X9.99");
    printer.SetMakerText("QVN");
    printer.SetModelText("KRT-999");
    printer.SetLanguageText("");
    EXPECT_EQ(Answer(printer, B({0x1D, 0x49, 0x03})), B({0x63}));
    EXPECT_EQ(Answer(printer, B({0x1D, 0x49, 0x41})), B({'_'}) + T("X9.99") + B({0x00}));
    EXPECT_EQ(Answer(printer, B({0x1D, 0x49, 0x42})), B({'_'}) + T("QVN") + B({0x00}));
    EXPECT_EQ(Answer(printer, B({0x1D, 0x49, 0x43})), B({'_'}) + T("KRT-999") + B({0x00}));
    EXPECT_EQ(Answer(printer, B({0x1D, 0x49, 0x45})), B({'_', 0x00}));
}

TEST_P(Identification, NativePrinterDoesNotAnswerTheEmulationQuery) {
    VirtualPrinter printer(GetParam().model);
    EXPECT_TRUE(Answer(printer, B({0x1F, 0x1F, 0x45})).empty());
}

TEST_P(Identification, OtherEmulationAnswersTwoOrThree) {
    VirtualPrinter answers02(GetParam().model, Emulation::Other02);
    EXPECT_EQ(Answer(answers02, B({0x1F, 0x1F, 0x45})), B({0x02}));
    VirtualPrinter answers03(GetParam().model, Emulation::Other03);
    EXPECT_EQ(Answer(answers03, B({0x1F, 0x1F, 0x45})), B({0x03}));
}

TEST_P(Identification, OtherEmulationStillAnswersTheVersionText) {
    VirtualPrinter printer(GetParam().model, Emulation::Other02);
    Bytes reply = Answer(printer, B({0x1D, 0x49, 0x41}));
    ASSERT_FALSE(reply.empty());
    EXPECT_EQ(reply.front(), '_');
}

INSTANTIATE_TEST_SUITE_P(EachModel, Identification,
                         ::testing::Values(IdentityRow{Model::Krt310, 0x64, "KRT-310"},
                                           IdentityRow{Model::Krt310II, 0x64, "KRT-310II"},
                                           IdentityRow{Model::Krt620, 0x65, "KRT-620"}),
                         [](const auto& info) { return Tag(info.param.model); });

TEST(IdentificationRequests, UnknownIdentificationItemGetsNoAnswer) {
    VirtualPrinter printer(Model::Krt310);
    EXPECT_TRUE(Answer(printer, B({0x1D, 0x49, 0x44})).empty());
}

TEST(IdentificationRequests, DeselectedPrinterIgnoresEverythingButSelect) {
    VirtualPrinter printer(Model::Krt310);
    EXPECT_TRUE(Answer(printer, B({0x1B, 0x3D, 0x00}) + B({0x1D, 0x49, 0x03})).empty());
    EXPECT_EQ(Answer(printer, B({0x1B, 0x3D, 0x01}) + B({0x1D, 0x49, 0x03})), B({0x64}));
}

TEST(IdentificationRequests, RequestSplitAcrossWritesIsAnsweredOnceComplete) {
    VirtualPrinter printer(Model::Krt620);
    EXPECT_TRUE(Answer(printer, B({0x1D})).empty());
    EXPECT_TRUE(Answer(printer, B({0x49})).empty());
    EXPECT_EQ(Answer(printer, B({0x03})), B({0x65}));
}

TEST(IdentificationRequests, EachRequestOfOneWriteGetsItsOwnReply) {
    VirtualPrinter printer(Model::Krt310);
    auto replies = printer.Feed(B({0x1D, 0x49, 0x03, 0x1D, 0x49, 0x42, 0x1D, 0x49, 0x43}));
    ASSERT_EQ(replies.size(), 3u);
    EXPECT_EQ(replies[0], B({0x64}));
    EXPECT_EQ(replies[1], B({'_'}) + T("VANTORA") + B({0x00}));
    EXPECT_EQ(replies[2], B({'_'}) + T("KRT-310") + B({0x00}));
}

}  // namespace
}  // namespace corvane::sim::test
