// Status files byte for byte, and their handling of names, short files and failed saves.
#include "operations/StatusFile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace corvane::operations {
namespace {

namespace fs = std::filesystem;
using protocol::PrinterModel;
using Bytes = std::vector<std::uint8_t>;

Bytes Field(int value) {
    auto bits = static_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
            static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
}

Bytes Fields(std::initializer_list<std::pair<int, int>> runs) {
    Bytes bytes;
    for (auto [count, value] : runs) {
        for (int i = 0; i < count; ++i) {
            Bytes field = Field(value);
            bytes.insert(bytes.end(), field.begin(), field.end());
        }
    }
    return bytes;
}

// What Initialize Status leaves: every pin off, 9600 8N1 DTR/DSR, 76 mm, power save at 20 s.
StatusRecord Initialized() {
    StatusRecord record;
    record.switchPage1.fill(2);
    record.switchPage2.fill(2);
    record.switchPage5.fill(2);
    record.baudIndex = 4;
    record.dataBitsIndex = 2;
    record.parityIndex = 1;
    record.flowControlIndex = 1;
    record.paperWidthIndex = 3;
    record.usePowerSave = 1;
    record.powerSaveSeconds = 20;
    return record;
}

Bytes ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class StatusFileTest : public ::testing::Test {
protected:
    StatusFileTest()
        : dir_(fs::temp_directory_path() / ("corvane-sts-" + std::to_string(getpid()))) {
        fs::create_directories(dir_);
    }
    ~StatusFileTest() override { fs::remove_all(dir_); }
    fs::path Path(const std::string& name) const { return dir_ / name; }

    fs::path dir_;
};

// Guards against a field in the wrong place or byte order, which would make files of this
// program and of the one it replaces load into the wrong settings.
TEST_F(StatusFileTest, InitializedRecordsOfBothFamiliesAreWrittenByteForByte) {
    std::string error;
    ASSERT_TRUE(WriteStatusFile(Path("a.sts"),
                                RecordForModel(PrinterModel::Krt310Family, Initialized()), error));
    EXPECT_EQ(ReadAll(Path("a.sts")),
              Fields({{16, 2}, {8, 0}, {1, 4}, {1, 2}, {1, 1}, {1, 1}, {1, 3}, {1, 1}, {1, 20}}));
    // The KRT-620 keeps no switch page 2 nor lists, but its power save values (mend).
    ASSERT_TRUE(
        WriteStatusFile(Path("b.sts"), RecordForModel(PrinterModel::Krt620, Initialized()), error));
    EXPECT_EQ(ReadAll(Path("b.sts")), Fields({{8, 2}, {8, 0}, {8, 2}, {5, -1}, {1, 1}, {1, 20}}));
    StatusRecord back;
    ASSERT_TRUE(ReadStatusFile(Path("b.sts"), back, error));
    EXPECT_EQ(back, RecordForModel(PrinterModel::Krt620, Initialized()));
}

TEST_F(StatusFileTest, ShortFilesReadAsEndingInZerosAndValuesAreKeptAsTheyCome) {
    Bytes shortFile = Fields({{1, 1}, {1, 7}, {1, -5}});
    StatusRecord record = DecodeStatusRecord(shortFile);
    EXPECT_EQ(record.switchPage1[1], 1);
    EXPECT_EQ(record.switchPage1[2], 7);
    EXPECT_EQ(record.switchPage1[3], -5);
    EXPECT_EQ(record.switchPage1[4], 0);
    EXPECT_EQ(record.powerSaveSeconds, 0);
    EXPECT_EQ(DecodeStatusRecord(EncodeStatusRecord(record)), record);
}

TEST(StatusFileName, OnlyTheLastThreeCharactersCountAndTheirCase) {
    EXPECT_TRUE(IsStatusFileName("settings.sts"));
    EXPECT_TRUE(IsStatusFileName("abcsts"));
    EXPECT_FALSE(IsStatusFileName("settings.STS"));
    EXPECT_FALSE(IsStatusFileName("st"));
}

// Guards against a failed save that leaves a cut or empty file where a good one was (mend), and
// a load that takes a file it could not read.
TEST_F(StatusFileTest, AFailedSaveKeepsTheOldFileAndAnUnreadableFileIsReported) {
    std::string error;
    ASSERT_TRUE(WriteStatusFile(Path("good.sts"), Initialized(), error));
    const Bytes good = ReadAll(Path("good.sts"));
    // A file size limit below the record makes the write fail, also for root.
    signal(SIGXFSZ, SIG_IGN);
    rlimit before{};
    getrlimit(RLIMIT_FSIZE, &before);
    rlimit small = before;
    small.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    StatusRecord other;
    bool saved = WriteStatusFile(Path("good.sts"), other, error);
    setrlimit(RLIMIT_FSIZE, &before);
    EXPECT_FALSE(saved);
    EXPECT_NE(error.find("good.sts"), std::string::npos);
    EXPECT_EQ(ReadAll(Path("good.sts")), good);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);

    StatusRecord loaded = Initialized();
    EXPECT_FALSE(ReadStatusFile(Path("missing.sts"), loaded, error));
    EXPECT_NE(error.find("missing.sts"), std::string::npos);
    fs::create_directory(Path("folder.sts"));
    EXPECT_FALSE(ReadStatusFile(Path("folder.sts"), loaded, error));
    EXPECT_EQ(loaded, Initialized());
}

}  // namespace
}  // namespace corvane::operations
