#include "ui/HeadlessHost.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace corvane::ui {
namespace {

constexpr int kConnectionTemplate = 102;
constexpr int kLineModeTemplate = 143;
constexpr int kWaitTemplate = 101;

// A dialog whose timer handler runs a step of the test.
class ScriptedDialog : public Dialog {
public:
    using Dialog::Dialog;

    std::function<void(DialogHost&)> onTimer;
    int opened = 0;
    int timers = 0;
    int destroyed = 0;

    bool OnInitDialog() override {
        ++opened;
        return Dialog::OnInitDialog();
    }
    void OnTimer(int) override {
        ++timers;
        if (onTimer) {
            onTimer(Host());
        }
    }
    void OnDestroy() override { ++destroyed; }
};

TEST(HeadlessHostQuit, QuitProgramEndsTheWindowAndEveryWindowThatOpenedIt) {
    // Guards against windows below a quitting one that go on hearing from the user.
    ScriptedDialog main(kConnectionTemplate);
    ScriptedDialog child(kConnectionTemplate);
    ScriptedDialog grandchild(kLineModeTemplate);
    ScriptedDialog late(kWaitTemplate);
    auto session = std::make_shared<HeadlessHost::Session>();
    session->modalDriver = [](Dialog&, HeadlessHost& host) { host.FireTimer(1); };
    int mainResult = -1;
    int childResult = -1;
    int lateResult = -1;
    main.onTimer = [&](DialogHost& host) { mainResult = host.RunModal(child); };
    child.onTimer = [&](DialogHost& host) {
        childResult = host.RunModal(grandchild);
        lateResult = host.RunModal(late);
    };
    grandchild.onTimer = [](DialogHost& host) { host.QuitProgram(4); };

    HeadlessHost mainHost(main, session);
    mainHost.SetTimer(1, std::chrono::milliseconds(10));
    mainHost.FireTimer(1);

    EXPECT_EQ(session->quitCode, 4);
    EXPECT_EQ(childResult, kIdCancel);
    EXPECT_EQ(mainResult, kIdCancel);
    EXPECT_EQ(lateResult, kIdCancel);
    EXPECT_EQ(late.opened, 0);
    EXPECT_EQ(session->modalOpened, (std::vector<std::string>{"102", "143"}));
    EXPECT_EQ(child.destroyed, 1);
    EXPECT_EQ(grandchild.destroyed, 1);
    EXPECT_TRUE(mainHost.Ended());
    EXPECT_EQ(mainHost.Result(), kIdCancel);
    EXPECT_FALSE(mainHost.TimerRunning(1));
    mainHost.FireTimer(1);
    EXPECT_FALSE(mainHost.Click(1001));
    EXPECT_EQ(main.timers, 1);
}

}  // namespace
}  // namespace corvane::ui
