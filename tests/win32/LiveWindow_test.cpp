// corvane.exe's manager under Wine while Get Status and Set Status wait for a printer on a COM
// port, while the printer answers and after it has fallen silent (serial_line_test.sh stops it
// when asked): the window answers the system's hang check and an assistive tool's question within
// a second throughout, and a click on "Exit" and a close request made meanwhile leave it open.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iostream>
#include <string>
#include <thread>

#include "ProgramWindows.h"
#include "platform/win32/WinApi.h"
#include "resources/Template102Ids.h"
#include "resources/Template145Ids.h"

namespace corvane::testing {
namespace {

using namespace std::chrono_literals;
namespace id102 = resources::template102;
namespace id145 = resources::template145;

constexpr UINT kAnswerLimitMs = 1000;

// Asks a window what the system and an assistive tool ask, every quarter second, until stopped.
class Prober {
public:
    explicit Prober(HWND window, HWND textField)
        : thread_([this, window, textField] {
              while (!stop_) {
                  const auto sent = std::chrono::steady_clock::now();
                  DWORD_PTR result = 0;
                  // How Windows decides that a window hangs.
                  if (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerLimitMs,
                                          &result) == 0) {
                      ++unanswered_;
                  }
                  // What a screen reader asks of a field.
                  wchar_t text[64] = {};
                  if (SendMessageTimeoutW(textField, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text),
                                          SMTO_ABORTIFHUNG, kAnswerLimitMs, &result) == 0) {
                      ++unanswered_;
                  }
                  hung_ = hung_ || IsHungAppWindow(window);
                  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - sent);
                  worst_ = std::max(worst_.load(), took.count());
                  ++probes_;
                  std::this_thread::sleep_for(250ms);
              }
          }) {}
    ~Prober() { Stop(); }

    void Stop() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    int Probes() const { return probes_; }
    int Unanswered() const { return unanswered_; }
    long long WorstMs() const { return worst_; }
    bool SeenHung() const { return hung_; }

private:
    std::atomic<bool> stop_{false};
    std::atomic<int> probes_{0};
    std::atomic<int> unanswered_{0};
    std::atomic<long long> worst_{0};
    std::atomic<bool> hung_{false};
    std::thread thread_;
};

// Waits for the process's message box and presses its OK button; what it said, or "(none)".
std::string AnswerBox(DWORD process, std::chrono::milliseconds limit) {
    std::string text = "(none)";
    HWND box = nullptr;
    if (!WaitFor([&] { return (box = MessageBoxOf(process, &text)) != nullptr; }, limit)) {
        return text;
    }
    PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    WaitFor([&] { return !IsWindow(box); }, 10s);
    return text;
}

TEST(LiveWindow, TheManagerAnswersWhileItWaitsForThePrinterAndTakesNoInput) {
    const std::wstring port = Environment("CORVANE_TEST_SILENCEABLE_COM");
    const std::wstring silence = Environment("CORVANE_TEST_SILENCE");
    ASSERT_FALSE(port.empty() || silence.empty())
        << "run by serial_line_test.sh, which serves a printer that falls silent when asked";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    std::wstring commandLine = L"\"" + Environment("CORVANE_TEST_CORVANE") + L"\"";
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &started))
        << GetLastError();
    const DWORD process = started.dwProcessId;

    HWND connection = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (connection = DialogWith(process, id102::kConnect)); }, 20s));
    ConnectOn(connection, std::stoi(port.substr(3)) - 1);
    ASSERT_EQ(AnswerBox(process, 30s), "Printer is connected.");
    PostMessageW(GetDlgItem(connection, id102::kRunManager), BM_CLICK, 0, 0);
    HWND manager = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] {
            manager = DialogWith(process, id145::kGetStatus);
            return manager != nullptr && IsWindowEnabled(GetDlgItem(manager, id145::kGetStatus));
        },
        30s));
    // The manager's first exchange ends with its handler, just after the buttons are enabled.
    std::this_thread::sleep_for(1s);

    struct Row {
        const char* operation;
        int button;
        bool silent;
    };
    const Row rows[] = {
        {"Get Status", id145::kGetStatus, false},
        {"Set Status", id145::kSetStatus, false},
        {"Get Status", id145::kGetStatus, true},
        {"Set Status", id145::kSetStatus, true},
    };
    for (const Row& row : rows) {
        const char* printer = row.silent ? "silent" : "answering";
        SCOPED_TRACE(std::string(row.operation) + ", " + printer);
        const std::wstring done = silence + L".done";
        if (row.silent && GetFileAttributesW(done.c_str()) == INVALID_FILE_ATTRIBUTES) {
            CloseHandle(
                CreateFileW(silence.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
            ASSERT_TRUE(WaitFor(
                [&] { return GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10s));
        }
        const auto pressed = std::chrono::steady_clock::now();
        Prober prober(manager, GetDlgItem(manager, id145::kModelText));
        PostMessageW(GetDlgItem(manager, row.button), BM_CLICK, 0, 0);
        if (row.silent) {
            std::this_thread::sleep_for(1s);
            PostMessageW(GetDlgItem(manager, id145::kExit), BM_CLICK, 0, 0);
            PostMessageW(manager, WM_CLOSE, 0, 0);
        }
        std::string said = "(none)";
        ASSERT_TRUE(WaitFor([&] { return MessageBoxOf(process, &said) != nullptr; }, 60s));
        const auto took = std::chrono::steady_clock::now() - pressed;
        prober.Stop();
        EXPECT_EQ(said.rfind("Success", 0) == 0, !row.silent) << said;
        EXPECT_EQ(prober.Unanswered(), 0);
        EXPECT_LT(prober.WorstMs(), kAnswerLimitMs);
        EXPECT_FALSE(prober.SeenHung());
        std::cout << "[ measured ] " << row.operation << ", " << printer << " printer: "
                  << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms, "
                  << prober.Probes() << " probes, worst answer " << prober.WorstMs() << " ms\n";
        // A failure may come with further messages; each is answered.
        while (AnswerBox(process, 2s) != "(none)") {
        }
        EXPECT_TRUE(IsWindow(manager) && IsWindowVisible(manager));
    }

    TerminateProcess(started.hProcess, 1);
    WaitForSingleObject(started.hProcess, 10000);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
}

}  // namespace
}  // namespace corvane::testing
