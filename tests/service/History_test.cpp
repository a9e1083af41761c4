// The history of writes from several threads at once: every record whole, none replaced, and
// only the last ones kept.
#include "service/History.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <thread>

namespace corvane::service {
namespace {

// Guards against two writers at the same moment replacing or tearing each other's records, and
// against the bound keeping others than the newest.
TEST(History, WritersAtOnceKeepTheirRecordsWholeUpToTheBound) {
    const auto folder = std::filesystem::temp_directory_path() / "corvane-history-test";
    std::filesystem::remove_all(folder);
    constexpr int kThreads = 4;
    constexpr int kEach = 10;
    {
        History unbounded(folder.string(), kThreads * kEach);
        std::vector<std::thread> writers;
        for (int t = 0; t < kThreads; ++t) {
            writers.emplace_back([&unbounded, t] {
                for (int i = 0; i < kEach; ++i) {
                    HistoryRecord record;
                    record.port = "COM" + std::to_string(t + 1);
                    record.values = {{"write", std::to_string(i)}};
                    std::string error;
                    EXPECT_TRUE(unbounded.Add(record, error)) << error;
                }
            });
        }
        for (auto& writer : writers) {
            writer.join();
        }
        std::vector<std::string> problems;
        auto records = unbounded.Records(problems);
        EXPECT_TRUE(problems.empty());
        std::set<std::pair<std::string, std::string>> seen;
        for (const auto& record : records) {
            seen.insert({record.port, record.values.at(0).second});
        }
        EXPECT_EQ(seen.size(), static_cast<std::size_t>(kThreads * kEach));
    }
    History bounded(folder.string(), 3);
    HistoryRecord last;
    last.port = "LPT1:";
    std::string error;
    ASSERT_TRUE(bounded.Add(last, error)) << error;
    std::vector<std::string> problems;
    auto kept = bounded.Records(problems);
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_EQ(kept.back().port, "LPT1:");
    EXPECT_TRUE(SamePort("COM1=/dev/ttyUSB0", "/dev/ttyUSB0"));
    EXPECT_FALSE(SamePort("COM1", "COM2"));
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace corvane::service
