#include <gtest/gtest.h>
#include <linux/lp.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "platform/posix/PosixParallelDevice.h"
#include "platform/posix/PosixPlatform.h"

namespace corvane::platform::posix {
namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;

// A scratch directory standing in for /dev, removed with everything in it.
class ScratchDir {
public:
    ScratchDir() {
        char pattern[] = "/tmp/corvane-parallel-XXXXXX";
        if (mkdtemp(pattern) != nullptr) {
            path_ = pattern;
        }
    }
    ~ScratchDir() {
        for (const auto& file : files_) {
            std::remove(file.c_str());
        }
        rmdir(path_.c_str());
    }
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) {
        files_.push_back(path_ + "/" + name);
        return files_.back();
    }

private:
    std::string path_;
    std::vector<std::string> files_;
};

class ParallelPort : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(scratch.Path().empty()) << "no scratch directory";
        device = scratch.File("lp0");
        std::ofstream(device).put('\0').flush();
        // The file starts with one byte so a read has something before the end.
        missing = scratch.File("lp1-missing");
        platform = std::make_unique<PosixPlatform>();
    }

    ScratchDir scratch;
    std::string device;
    std::string missing;
    std::unique_ptr<PosixPlatform> platform;
};

TEST_F(ParallelPort, MissingDeviceIsReportedNotFound) {
    Error error;
    auto port = platform->OpenParallel(missing, error);
    EXPECT_EQ(nullptr, port);
    EXPECT_EQ(ErrorKind::NotFound, error.kind);
}

TEST_F(ParallelPort, SecondOpenerIsRefusedAsBusyUntilTheFirstCloses) {
    Error error;
    auto first = platform->OpenParallel(device, error);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(device, first->Name());
    EXPECT_EQ(nullptr, platform->OpenParallel(device, error));
    EXPECT_EQ(ErrorKind::Busy, error.kind);
    first.reset();
    EXPECT_NE(nullptr, platform->OpenParallel(device, error));
}

TEST_F(ParallelPort, PurgeIsUnsupportedAndStatusOfANonPrinterIsAnError) {
    Error error;
    auto port = platform->OpenParallel(device, error);
    ASSERT_NE(nullptr, port);
    EXPECT_EQ(ErrorKind::Unsupported, port->Purge().kind);
    std::uint8_t status = 0xEE;
    Error queried = port->QueryStatus(status);
    EXPECT_FALSE(queried.Ok()) << "a plain file has no printer status";
    EXPECT_EQ(ErrorKind::Unsupported, queried.kind);
}

TEST_F(ParallelPort, WrittenBytesReachTheDevice) {
    Error error;
    auto port = platform->OpenParallel(device, error);
    ASSERT_NE(nullptr, port);
    std::vector<std::uint8_t> command{0x1B, 0x40, 0x0A, 0x00, 0xFF};
    IoResult result = port->Write(command);
    EXPECT_TRUE(result.error.Ok());
    EXPECT_EQ(command.size(), result.count);
    port.reset();
    std::ifstream in(device, std::ios::binary);
    std::vector<std::uint8_t> contents((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
    EXPECT_EQ(command, contents);
}

TEST_F(ParallelPort, ReadWithNothingMoreToComeEndsAtItsDeadlineWithoutSpinning) {
    Error error;
    auto opened = PosixParallelDevice::Open(device, error);
    ASSERT_NE(nullptr, opened);
    opened->SetTimeouts({0, 150, 0, 150});
    std::uint8_t buffer[3] = {0xAA, 0xAA, 0xAA};
    timespec cpuBefore{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuBefore);
    auto start = std::chrono::steady_clock::now();
    IoResult result = opened->Read(buffer);
    auto took = std::chrono::steady_clock::now() - start;
    timespec cpuAfter{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuAfter);
    EXPECT_EQ(1u, result.count);
    EXPECT_EQ(0x00, buffer[0]);
    EXPECT_EQ(ErrorKind::TimedOut, result.error.kind);
    EXPECT_GE(took, 150ms);
    EXPECT_LT(took, 230ms);
    auto cpuMs = (cpuAfter.tv_sec - cpuBefore.tv_sec) * 1000 +
                 (cpuAfter.tv_nsec - cpuBefore.tv_nsec) / 1000000;
    EXPECT_LT(cpuMs, 40);
}

struct StatusCase {
    const char* what;
    int lpStatus;
    std::uint8_t expected;

    friend void PrintTo(const StatusCase& row, std::ostream* os) { *os << row.what; }
};

class ParallelStatus : public ::testing::TestWithParam<StatusCase> {};

TEST_P(ParallelStatus, RegisterMapsToTheLinkStatusBits) {
    EXPECT_EQ(GetParam().expected, PosixParallelDevice::StatusFromRegister(GetParam().lpStatus))
        << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ParallelStatus,
    ::testing::Values(
        StatusCase{"ready", LP_PBUSY | LP_PACK | LP_PSELECD | LP_PERRORP, kParallelSelected},
        StatusCase{"busy", LP_PACK | LP_PSELECD | LP_PERRORP, kParallelSelected | kParallelBusy},
        StatusCase{"paper out", LP_PBUSY | LP_POUTPA | LP_PSELECD | LP_PERRORP,
                   kParallelSelected | kParallelPaperEmpty},
        StatusCase{"error", LP_PBUSY | LP_PSELECD, kParallelSelected | kParallelOffLine},
        StatusCase{"off line", LP_PBUSY | LP_PERRORP, 0},
        StatusCase{"nothing attached (all lines floating low)", 0,
                   kParallelBusy | kParallelOffLine},
        StatusCase{"nothing attached (0x7F)", 0x7F,
                   kParallelSelected | kParallelBusy | kParallelPaperEmpty}));

}  // namespace
}  // namespace corvane::platform::posix
