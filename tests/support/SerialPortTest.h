#pragma once

#include <gtest/gtest.h>

#include "support/PortRig.h"

namespace corvane::support {

// A fixture with a scripted printer behind a serial port that is already open, the opening left
// out of the event log, so that each test sees only its own exchange.
class SerialPortTest : public ::testing::Test, public PortRig {
protected:
    explicit SerialPortTest(SerialLine serial = {}) : PortRig(Link::Serial, nullptr, serial) {
        EXPECT_TRUE(opened);
    }
};

}  // namespace corvane::support
