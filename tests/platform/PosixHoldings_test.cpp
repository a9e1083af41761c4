// The record of held things on the real kernel: processes that end, run on, or write at once.

#include "platform/posix/PosixHoldings.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

namespace corvane::platform::posix {
namespace {

using platform::Holding;
using platform::HoldingKind;

bool Everything(const Holding&) {
    return true;
}

Holding Queue(const std::string& name) {
    return {HoldingKind::Queue, "/run/cups/cups.sock", name, "serial:/dev/ttyS1", {}};
}

class PosixHoldingsTest : public ::testing::Test {
protected:
    PosixHoldingsTest() {
        char pattern[] = "/tmp/corvane-holdings-XXXXXX";
        folder_ = ::mkdtemp(pattern) != nullptr ? pattern : "";
    }
    ~PosixHoldingsTest() override { std::filesystem::remove_all(folder_); }

    // Runs work in a child process with a record of its own on the same file; the child's id.
    pid_t InChild(const std::function<void(PosixHoldings&)>& work, bool stay = false) {
        pid_t pid = ::fork();
        if (pid == 0) {
            PosixHoldings record(Folder());
            work(record);
            if (stay) {
                ::pause();
            }
            ::_exit(0);
        }
        return pid;
    }

    std::string Folder() const { return folder_ + "/corvane"; }

    std::string folder_;
};

// Guards against a killed run's entry staying unowned, two starts giving it back twice, or a
// running program's entry being taken from it.
TEST_F(PosixHoldingsTest, AnEndedProcessesEntryIsAdoptedOnceAndARunningOnesNever) {
    pid_t ended = InChild([](PosixHoldings& record) {
        std::string why;
        EXPECT_TRUE(record.Add(Queue("Receipts"), why)) << why;
    });
    ASSERT_EQ(::waitpid(ended, nullptr, 0), ended);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    pid_t running = InChild(
        [&](PosixHoldings& record) {
            std::string why;
            record.Add(Queue("Tickets"), why);
            [[maybe_unused]] ssize_t said = ::write(ready[1], "x", 1);
        },
        true);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);

    PosixHoldings record(Folder());
    auto adopted = record.AdoptOrphans(Everything);
    ASSERT_EQ(adopted.size(), 1u);
    EXPECT_EQ(adopted[0].name, "Receipts");
    EXPECT_EQ(adopted[0].owner.pid, ended);
    EXPECT_TRUE(record.AdoptOrphans(Everything).empty());
    EXPECT_TRUE(record.HeldElsewhere(Queue("Tickets")));
    EXPECT_FALSE(record.HeldElsewhere(Queue("Receipts")));

    ::kill(running, SIGKILL);
    ::waitpid(running, nullptr, 0);
    EXPECT_FALSE(record.HeldElsewhere(Queue("Tickets")));
    record.Remove(Queue("Receipts"));
    ASSERT_EQ(record.Entries().size(), 1u);
    EXPECT_EQ(record.Entries()[0].name, "Tickets");
    ::close(ready[0]);
    ::close(ready[1]);
}

// Guards against a later process that got the owner's id being taken for the owner.
TEST_F(PosixHoldingsTest, AProcessWithTheOwnersIdButAnotherStartIsNotTheOwner) {
    PosixHoldings record(Folder());
    std::string why;
    ASSERT_TRUE(record.Add(Queue("Receipts"), why)) << why;
    Holding reused = Queue("Tickets");
    reused.owner = {::getpid(), record.ThisProcess().started + "0"};
    std::ofstream(record.Path(), std::ios::app) << platform::FormatHoldings({reused}).substr(19);

    auto adopted = record.AdoptOrphans(Everything);
    ASSERT_EQ(adopted.size(), 1u);
    EXPECT_EQ(adopted[0].name, "Tickets");
}

TEST_F(PosixHoldingsTest, ProcessesWritingAtOnceKeepEveryEntry) {
    std::vector<pid_t> writers;
    for (int i = 0; i < 6; ++i) {
        writers.push_back(InChild([i](PosixHoldings& record) {
            for (int n = 0; n < 10; ++n) {
                std::string why;
                record.Add(Queue("Q" + std::to_string(i) + "-" + std::to_string(n)), why);
            }
        }));
    }
    for (pid_t pid : writers) {
        ::waitpid(pid, nullptr, 0);
    }
    PosixHoldings record(Folder());
    std::set<std::string> names;
    for (const auto& entry : record.Entries()) {
        names.insert(entry.name);
    }
    EXPECT_EQ(names.size(), 60u);
    // Each write replaced the file whole: nothing half written is left beside it.
    for (const auto& file : std::filesystem::directory_iterator(Folder())) {
        EXPECT_TRUE(file.path().filename() == "holdings" ||
                    file.path().filename() == "holdings.lock")
            << file.path();
    }
}

// Guards against a record in a shared folder that someone else made for this user to write in.
TEST_F(PosixHoldingsTest, AFolderOpenToOthersIsNotUsed) {
    ASSERT_EQ(::mkdir(Folder().c_str(), 0777), 0);
    ::chmod(Folder().c_str(), 0777);
    PosixHoldings record(Folder());
    std::string why;
    EXPECT_FALSE(record.Add(Queue("Receipts"), why));
    EXPECT_EQ(why, Folder() + " is not this user's alone");
}

}  // namespace
}  // namespace corvane::platform::posix
