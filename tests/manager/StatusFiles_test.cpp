// Save, Load and Initialize Status in the manager's window.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "ManagerRig.h"

namespace corvane::manager::test {
namespace {

namespace fs = std::filesystem;
using sim::Model;

class StatusFilesTest : public ::testing::Test {
protected:
    StatusFilesTest() {
        dir_ = fs::temp_directory_path() / ("corvane-manager-" + std::to_string(getpid()));
        fs::create_directories(dir_);
    }
    ~StatusFilesTest() override { fs::remove_all(dir_); }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    fs::path dir_;
};

// Guards against a save that misses what the window shows, and a load that does not bring it
// back, across the families' different records.
TEST_F(StatusFilesTest, InitializeSaveAndLoadBringBackThePinsCodePageListsAndPowerSave) {
    ManagerRig writer(Model::Krt310II);
    ui::HeadlessHost& host = writer.Open();
    host.Click(ids::kInitializeStatus);
    EXPECT_EQ(host.Selection(ids::kCodePageList), 1);  // "Page PC437 - USA"
    EXPECT_EQ(host.Selection(ids::kBaudList), 4);
    host.Select(ids::kCodePageList, 28);  // "Code Page CASIO"
    host.Click(ids::kSwitch2Page);
    host.Select(ids::PinList(6), 1);
    host.GetSession().fileAnswers = {Path("shop.sts")};
    host.Click(ids::kSaveStatus);
    EXPECT_EQ(host.GetSession().fileRequests.back().second.title, "Save current status");
    EXPECT_EQ(host.GetSession().fileRequests.back().second.initialName, "Noname.sts");
    EXPECT_EQ(host.Selection(ids::kCodePageList), 28);  // the save shows page 1
    EXPECT_EQ(fs::file_size(Path("shop.sts")), 124u);

    ManagerRig reader(Model::Krt310);
    ui::HeadlessHost& other = reader.Open();
    other.GetSession().fileAnswers = {Path("shop.sts")};
    other.Click(ids::kLoadStatus);
    EXPECT_EQ(other.GetSession().fileRequests.back().second.title, "Load saved status");
    EXPECT_EQ(other.Selection(ids::kCodePageList), 28);
    EXPECT_EQ(other.Selection(ids::kBaudList), 4);
    EXPECT_EQ(reader.dialog.State().switchPage2[6], protocol::kPinSwitchOn);
    EXPECT_TRUE(reader.dialog.State().usePowerSave);
    EXPECT_EQ(reader.dialog.State().powerSaveSeconds, 20);
    EXPECT_TRUE(other.IsControlEnabled(ids::kSetStatus));

    // A KRT-620 takes the same file into its own switches: page 5 has nothing in it.
    ManagerRig krt620(Model::Krt620);
    ui::HeadlessHost& third = krt620.Open();
    third.GetSession().fileAnswers = {Path("shop.sts")};
    third.Click(ids::kLoadStatus);
    EXPECT_EQ(krt620.dialog.State().switchPage5[6], protocol::kPinNoChange);
    EXPECT_EQ(krt620.dialog.State().baudIndex, 0);
}

TEST_F(StatusFilesTest, LoadRefusesOtherNamesAndReportsFilesItCannotReadChangingNothing) {
    ManagerRig m(Model::Krt310);
    ui::HeadlessHost& host = m.Open();
    std::ofstream(Path("shop.STS")) << std::string(124, '\1');
    host.GetSession().fileAnswers = {Path("shop.STS"), Path("gone.sts")};
    host.Click(ids::kLoadStatus);
    host.Click(ids::kLoadStatus);
    ASSERT_EQ(m.Texts().size(), 2u);
    EXPECT_EQ(m.Texts()[0], "Wrong format files loaded.");
    EXPECT_NE(m.Texts()[1].find("gone.sts"), std::string::npos);
    EXPECT_EQ(m.dialog.State().statusLoaded, 0);
    EXPECT_EQ(host.Selection(ids::kCodePageList), 0);
}

}  // namespace
}  // namespace corvane::manager::test
