#include "ui/HostReporter.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/TracingPlatform.h"
#include "platform/sim/SimPlatform.h"
#include "ui/HeadlessHost.h"

namespace corvane::ui {
namespace {

// Guards against a message shown with the wrong icon, and diagnostic lines that reach a window
// or miss the trace.
TEST(HostReporter, MessagesBecomeBoxesWithTheirIconAndLinesGoToTheirStreamAndTheTrace) {
    platform::sim::SimPlatform inner;
    std::ostringstream trace;
    auto traced = platform::MakeTracingPlatform(inner, trace);
    Dialog dialog(152);
    HeadlessHost host(dialog);
    std::ostringstream notes;
    std::ostringstream problems;
    HostReporter reporter(dialog, *traced, notes, problems);

    reporter.Message(platform::Severity::Plain, "plain");
    reporter.Message(platform::Severity::Information, "info");
    reporter.Message(platform::Severity::Warning, "warn", "Warnning");
    ASSERT_EQ(host.Messages().size(), 3u);
    EXPECT_EQ(host.Messages()[0].icon, Icon::None);
    EXPECT_EQ(host.Messages()[1].icon, Icon::Information);
    EXPECT_EQ(host.Messages()[2].icon, Icon::Exclamation);
    EXPECT_EQ(host.Messages()[2].caption, "Warnning");

    reporter.Diagnostic("completeDeviceName = (/dev/usb/lp0)");
    reporter.Diagnostic("cannot open COM1: access denied", platform::DiagnosticKind::Problem);
    EXPECT_EQ(notes.str(), "completeDeviceName = (/dev/usb/lp0)\n");
    EXPECT_EQ(problems.str(), "cannot open COM1: access denied\n");
    EXPECT_NE(trace.str().find("note completeDeviceName = (/dev/usb/lp0)"), std::string::npos);
    EXPECT_NE(trace.str().find("note cannot open COM1: access denied"), std::string::npos);
    EXPECT_EQ(host.Messages().size(), 3u);
}

}  // namespace
}  // namespace corvane::ui
