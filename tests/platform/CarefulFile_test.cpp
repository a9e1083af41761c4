// The careful writer and reader against the real file system: what a planted link, a FIFO, a
// device, a large file and a taken name come to.
#include "platform/CarefulFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

#include "support/FileText.h"

namespace corvane::platform {
namespace {

namespace fs = std::filesystem;

void Put(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

mode_t ModeOf(const fs::path& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info.st_mode & 07777;
}

struct Rule {
    const char* what;
    // Runs in a fresh folder; returns nothing, as it checks with EXPECT.
    std::function<void(const fs::path& dir)> check;
};

// Guards against a careful write that follows a planted link, loses a file's permissions,
// replaces a backup or hangs on a FIFO, and against a reader that takes in what is no plain
// file or far more than it expects.
TEST(CarefulFile, WritesAndReadsKeepTheirRules) {
    const std::vector<Rule> rules = {
        {"a link planted at the temporary name is not followed",
         [](const fs::path& dir) {
             const fs::path target = dir / "settings.json";
             Put(dir / "victim", "keep me");
             fs::create_symlink(dir / "victim", TemporaryNameFor(target.string(), 0));
             std::string error;
             EXPECT_TRUE(WriteFileWhole(target.string(), std::string_view("new"), error)) << error;
             EXPECT_EQ(test::FileText(target), "new");
             EXPECT_EQ(test::FileText(dir / "victim"), "keep me");
             EXPECT_TRUE(fs::is_symlink(TemporaryNameFor(target.string(), 0)));
         }},
        {"a replaced file keeps its permissions; a new one takes the umask's",
         [](const fs::path& dir) {
             Put(dir / "kept.sts", "old");
             fs::permissions(dir / "kept.sts", static_cast<fs::perms>(0640));
             std::string error;
             EXPECT_TRUE(WriteFileWhole((dir / "kept.sts").string(), std::string_view("x"), error));
             EXPECT_EQ(ModeOf(dir / "kept.sts"), 0640u);
             const mode_t mask = ::umask(022);
             ::umask(mask);
             EXPECT_TRUE(WriteFileWhole((dir / "new.sts").string(), std::string_view("x"), error));
             EXPECT_EQ(ModeOf(dir / "new.sts"), 0666u & ~mask);
             // Nothing of the writer is left beside them.
             EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
         }},
        {"a FIFO is refused at once, for reading and for writing",
         [](const fs::path& dir) {
             const fs::path fifo = dir / "pipe.json";
             ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
             auto started = std::chrono::steady_clock::now();
             FileRead read = ReadRegularFile(fifo.string(), 1 << 20);
             EXPECT_FALSE(read.ok);
             EXPECT_NE(read.error.find("it is a FIFO, not a plain file"), std::string::npos)
                 << read.error;
             EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
             std::string error;
             EXPECT_FALSE(WriteFileWhole(fifo.string(), std::string_view("x"), error));
             EXPECT_TRUE(fs::is_fifo(fifo));
         }},
        {"a device and a folder are refused",
         [](const fs::path& dir) {
             for (const std::string& path : {std::string("/dev/null"), dir.string()}) {
                 FileRead read = ReadRegularFile(path, 124);
                 EXPECT_FALSE(read.ok) << path;
                 EXPECT_NE(read.error.find("not a plain file"), std::string::npos) << read.error;
             }
         }},
        {"a file over the limit is refused before it is read, or only its start read",
         [](const fs::path& dir) {
             Put(dir / "big.json", std::string((1 << 20) + 1, ' '));
             FileRead read = ReadRegularFile((dir / "big.json").string(), 1 << 20);
             EXPECT_FALSE(read.ok);
             EXPECT_TRUE(read.tooLarge);
             EXPECT_EQ(read.size, (1u << 20) + 1);
             EXPECT_TRUE(read.content.empty());
             read = ReadRegularFile((dir / "big.json").string(), 124, Oversize::ReadStart);
             EXPECT_TRUE(read.ok);
             EXPECT_EQ(read.content.size(), 124u);
         }},
        {"backups never replace one another, also when written at the same moment",
         [](const fs::path& dir) {
             const std::string wanted = (dir / "backup-COM1.json").string();
             Put(dir / "backup-COM1-2.json", "planted");
             std::vector<std::string> created(6);
             std::vector<std::thread> writers;
             for (std::size_t i = 0; i < created.size(); ++i) {
                 writers.emplace_back([&, i] {
                     std::string error;
                     EXPECT_TRUE(WriteNewFile(wanted, std::to_string(i), created[i], error))
                         << error;
                 });
             }
             for (auto& writer : writers) {
                 writer.join();
             }
             EXPECT_EQ(test::FileText(dir / "backup-COM1-2.json"), "planted");
             for (std::size_t i = 0; i < created.size(); ++i) {
                 EXPECT_EQ(test::FileText(created[i]), std::to_string(i));
             }
             EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 7);
             EXPECT_EQ(NumberedName(wanted, 3), (dir / "backup-COM1-3.json").string());
         }},
    };
    const fs::path root =
        fs::temp_directory_path() / ("corvane-careful-" + std::to_string(getpid()));
    for (const Rule& rule : rules) {
        SCOPED_TRACE(rule.what);
        fs::remove_all(root);
        fs::create_directories(root);
        rule.check(root);
    }
    fs::remove_all(root);
}

}  // namespace
}  // namespace corvane::platform
