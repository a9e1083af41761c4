#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "CupsDaemon.h"

namespace corvane::spooler_test {

// Tests that talk to a private scheduler, started once for the test program and emptied of
// queues after every test. A scheduler that does not start fails every test.
class CupsDaemonTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!daemon) {
            daemon = std::make_unique<CupsDaemon>();
        }
    }

    void SetUp() override { ASSERT_TRUE(daemon->Running()) << daemon->Failure(); }
    void TearDown() override {
        if (daemon->Running()) {
            daemon->DeleteAllQueues();
        }
    }

    void AddQueue(const std::string& name, const std::string& deviceUri) {
        std::string failure = daemon->AddQueue(name, deviceUri);
        ASSERT_EQ(failure, "");
    }

    static inline std::unique_ptr<CupsDaemon> daemon;
};

}  // namespace corvane::spooler_test
