// A printer session's print queues when the program ends while the session is still starting.
#include "service/PrinterSession.h"

#include <gtest/gtest.h>

#include "platform/sim/SimPlatform.h"
#include "service/RecordingReporter.h"
#include "sim/VirtualPrinter.h"
#include "support/MemorySpooler.h"

namespace corvane::service {
namespace {

// Guards against a deploy thread that connects after a signal's restoring went past its session:
// its queue would stay stopped once the program ended.
TEST(PrinterSession, AConnectAfterTheQueuesWereGivenBackForTheEndStopsNone) {
    for (bool ending : {false, true}) {
        SCOPED_TRACE(ending ? "after the end's restoring" : "while the program runs");
        platform::sim::SimPlatform platform;
        support::MemorySpooler spooler;
        spooler.queues = {{"Receipts", "serial:/dev/ttyS0", false}};
        platform.SetSpooler(&spooler);
        sim::VirtualPrinter printer(sim::Model::Krt310);
        platform.AttachSerial("/dev/ttyS0", printer);
        PortTarget target;
        std::string error;
        ASSERT_TRUE(ParsePortTarget("COM1=/dev/ttyS0", target, error)) << error;
        RecordingReporter reporter;
        PrinterSession session(platform, target, reporter);
        if (ending) {
            session.RestoreQueuesNow();
        }
        operations::ConnectResult connected = session.Connect({});
        EXPECT_EQ(connected.Connected(), !ending);
        EXPECT_EQ(spooler.calls.size(), ending ? 0u : 1u);
    }
}

}  // namespace
}  // namespace corvane::service
