// The careful writer's Windows half on Wine: what a file planted at the temporary name, a
// hidden file, a folder, a device, a large file and a taken name come to.
#include "platform/CarefulFile.h"

#include <gtest/gtest.h>

#include "platform/win32/WinApi.h"

#include <filesystem>
#include <fstream>

#include "support/FileText.h"

namespace corvane::platform {
namespace {

namespace fs = std::filesystem;

// Guards against a Windows write that takes a name that is there, drops a file's attributes or
// replaces a backup, and a read of what is no plain file or far more than expected.
TEST(CarefulFile, WritesAndReadsKeepTheirRulesOnWindows) {
    const fs::path dir = fs::temp_directory_path() / "corvane-careful";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string target = (dir / "settings.json").string();
    std::ofstream(TemporaryNameFor(target, 0)) << "planted";
    std::ofstream(target) << "old";
    SetFileAttributesW((dir / "settings.json").wstring().c_str(), FILE_ATTRIBUTE_HIDDEN);
    std::string error;
    ASSERT_TRUE(WriteFileWhole(target, std::string_view("new"), error)) << error;
    EXPECT_EQ(test::FileText(target), "new");
    EXPECT_EQ(test::FileText(TemporaryNameFor(target, 0)), "planted");
    EXPECT_NE(GetFileAttributesW((dir / "settings.json").wstring().c_str()) & FILE_ATTRIBUTE_HIDDEN,
              0u);

    for (const std::string& path : {dir.string(), std::string("NUL")}) {
        FileRead read = ReadRegularFile(path, 124);
        EXPECT_FALSE(read.ok) << path;
        EXPECT_NE(read.error.find("not a plain file"), std::string::npos) << read.error;
    }
    std::ofstream(dir / "big.json") << std::string(2000, ' ');
    FileRead big = ReadRegularFile((dir / "big.json").string(), 1000);
    EXPECT_TRUE(big.tooLarge);
    EXPECT_EQ(big.size, 2000u);

    std::string first;
    std::string second;
    const std::string wanted = (dir / "backup.json").string();
    ASSERT_TRUE(WriteNewFile(wanted, "1", first, error)) << error;
    ASSERT_TRUE(WriteNewFile(wanted, "2", second, error)) << error;
    EXPECT_EQ(first, wanted);
    EXPECT_EQ(second, NumberedName(wanted, 2));
    EXPECT_EQ(test::FileText(first), "1");
    EXPECT_EQ(test::FileText(second), "2");
    fs::remove_all(dir);
}

}  // namespace
}  // namespace corvane::platform
