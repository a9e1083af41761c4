#include "link/EndedRuns.h"

#include <gtest/gtest.h>

#include "support/MemoryHoldings.h"
#include "support/MemorySpooler.h"

#include "link/HeldQueues.h"
#include "platform/sim/SimPlatform.h"

namespace corvane::link {
namespace {

using platform::HoldingKind;

// What a queue that an entry of the record names looks like at the next start.
struct EndedCase {
    const char* what;
    bool queueThere;
    bool stopped;
    const char* message;
    bool ownerRuns;     // the process of the entry still runs
    const char* place;  // the spooler the entry was written for
    bool listFails;
    bool startsAgain;  // the queue is started
    bool entryStays;   // the entry is still in the record afterwards
};

void PrintTo(const EndedCase& row, std::ostream* out) {
    *out << row.what;
}

class EndedRunsTest : public ::testing::TestWithParam<EndedCase> {};

// Guards against a killed run's stopped queue staying stopped for good, and against the next
// start touching what a running program holds or what someone else changed since.
TEST_P(EndedRunsTest, WhatAnEndedRunStoppedIsGivenBackAndNothingElse) {
    const EndedCase& row = GetParam();
    support::MemorySpooler spooler;
    spooler.location = "/run/cups/cups.sock";
    if (row.queueThere) {
        spooler.queues = {{"Receipts", "serial:/dev/ttyS1", row.stopped, row.message}};
    }
    if (row.listFails) {
        spooler.failList = {platform::ErrorKind::Disconnected, 0};
    }
    support::MemoryHoldings record;
    if (row.ownerRuns) {
        record.running.insert(42);
    }
    record.Put({HoldingKind::Queue, row.place, "Receipts", "serial:/dev/ttyS1", {}}, 42);
    platform::sim::SimPlatform platform;
    platform.SetSpooler(&spooler);
    platform.SetHoldings(&record);

    testing::internal::CaptureStderr();
    int givenBack = GiveBackAfterEndedRuns(platform);
    std::string told = testing::internal::GetCapturedStderr();

    EXPECT_EQ(givenBack, row.startsAgain ? 1 : 0);
    EXPECT_EQ(spooler.calls, row.startsAgain ? std::vector<std::string>{"start Receipts"}
                                             : std::vector<std::string>{});
    EXPECT_EQ(told, row.startsAgain ? "Started the print queue Receipts again, which an ended "
                                      "run of the program (process 42) had stopped.\n"
                                    : "");
    EXPECT_EQ(record.Entries().size(), row.entryStays ? 1u : 0u);
}

constexpr char kCups[] = "/run/cups/cups.sock";

INSTANTIATE_TEST_SUITE_P(
    Entries, EndedRunsTest,
    ::testing::Values(EndedCase{"stopped by the ended run", true, true, kPortInUseReason, false,
                                kCups, false, true, false},
                      EndedCase{"stopped by someone else since", true, true, "Waiting for paper",
                                false, kCups, false, false, false},
                      EndedCase{"started by someone else since", true, false, "", false, kCups,
                                false, false, false},
                      EndedCase{"deleted since", false, false, "", false, kCups, false, false,
                                false},
                      EndedCase{"held by a running program", true, true, kPortInUseReason, true,
                                kCups, false, false, true},
                      EndedCase{"on another spooler", true, true, kPortInUseReason, false,
                                "printhost:631", false, false, true},
                      EndedCase{"spooler not answering", true, true, kPortInUseReason, false, kCups,
                                true, false, true}),
    [](const ::testing::TestParamInfo<EndedCase>& info) {
        return "Row" + std::to_string(info.index);
    });

}  // namespace
}  // namespace corvane::link
