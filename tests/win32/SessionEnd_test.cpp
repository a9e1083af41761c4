// The session's end under Wine, told to corvane.exe and corvane-cli.exe as Windows tells it while
// each is in the middle of an exchange with a slow printer on a COM port (serial_line_test.sh
// sets it up): the printer moved off that port gets it back before the program's hidden window
// answers, since Windows ends the program then; Ctrl+C on their console gives it back too.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "ProgramWindows.h"
#include "SpoolerPrinter.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WinApi.h"
#include "resources/Template102Ids.h"

namespace corvane::testing {
namespace {

using namespace std::chrono_literals;
namespace id102 = resources::template102;

struct Row {
    const char* name;
    std::wstring commandLine;
    bool window;
};

std::vector<Row> Rows(const std::wstring& port) {
    return {
        {"corvane.exe", L"\"" + Environment("CORVANE_TEST_CORVANE") + L"\"", true},
        {"corvane-cli.exe", L"\"" + Environment("CORVANE_TEST_CLI") + L"\" get --port " + port,
         false},
    };
}

// Starts a row's program and returns once it has moved the till off the slow printer's port, in
// the middle of its first exchange with the printer.
void StartInExchange(const Row& row, const std::wstring& port, const SpoolerPrinter& till,
                     PROCESS_INFORMATION& started) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    std::wstring commandLine = row.commandLine;
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &started))
        << GetLastError();
    if (row.window) {
        HWND window = nullptr;
        ASSERT_TRUE(WaitFor(
            [&] { return (window = DialogWith(started.dwProcessId, id102::kConnect)) != nullptr; },
            20s));
        ConnectOn(window, std::stoi(port.substr(3)) - 1);
    }
    ASSERT_TRUE(WaitFor([&] { return till.Port() == "FILE:"; }, 20s)) << till.Port();
}

// The status the program ended with, once it has ended by itself.
DWORD EndStatus(PROCESS_INFORMATION& started) {
    const DWORD waited = WaitForSingleObject(started.hProcess, 30000);
    DWORD status = 0;
    GetExitCodeProcess(started.hProcess, &status);
    TerminateProcess(started.hProcess, 1);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return waited == WAIT_OBJECT_0 ? status : STILL_ACTIVE;
}

// Brings each program into an exchange with the slow printer, the till moved off its port, and
// hands it to endIt, which ends it and checks what it left.
void EndEachInExchange(const std::function<void(const std::string& port, const SpoolerPrinter& till,
                                                PROCESS_INFORMATION& started)>& endIt) {
    const std::wstring port = Environment("CORVANE_TEST_SLOW_COM");
    ASSERT_FALSE(port.empty()) << "run by serial_line_test.sh, which sets up a slow printer";
    for (const Row& row : Rows(port)) {
        SCOPED_TRACE(row.name);
        SpoolerPrinter till(L"Corvane till on " + port, port + L":");
        ASSERT_TRUE(till.Made()) << "error " << till.Error();
        PROCESS_INFORMATION started{};
        StartInExchange(row, port, till, started);
        if (::testing::Test::HasFatalFailure()) {
            return;
        }
        endIt(platform::win32::Narrow(port) + ":", till, started);
    }
}

TEST(SessionEnd, EachProgramGivesThePortBackBeforeItsWindowAnswers) {
    EndEachInExchange(
        [](const std::string& port, const SpoolerPrinter& till, PROCESS_INFORMATION& started) {
            HWND watch = WindowOf(started.dwProcessId, L"CorvaneSessionEndWatch");
            ASSERT_NE(watch, nullptr);
            const auto told = std::chrono::steady_clock::now();
            DWORD_PTR answer = 0;
            SendMessageTimeoutW(watch, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_BLOCK, 5000,
                                &answer);
            EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
            SendMessageTimeoutW(watch, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_BLOCK, 10000,
                                &answer);
            EXPECT_EQ(till.Port(), port);
            // The slow printer's exchange lasts seconds longer: the ports went back from inside it.
            EXPECT_LT(std::chrono::steady_clock::now() - told, 3s);
            // Windows would end the program now; left alone, it ends the normal way.
            EXPECT_EQ(EndStatus(started), 128u + 15);
        });
}

// Ctrl+C on the console that the programs share with the test: corvane-cli.exe gives the port
// back at once, corvane.exe once its exchange is over, as on Linux, and both end as a shell
// reports SIGINT. Wine passes console events on only when its console is a terminal:
// serial_line_test.sh runs this test on a pseudo-terminal.
TEST(ConsoleEnd, CtrlCGivesThePortBackAndEndsEachProgram) {
    // The test itself goes on; its programs have handlers of their own.
    ASSERT_TRUE(SetConsoleCtrlHandler([](DWORD) -> BOOL { return TRUE; }, TRUE));
    EndEachInExchange(
        [](const std::string& port, const SpoolerPrinter& till, PROCESS_INFORMATION& started) {
            ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0))
                << "error " << GetLastError() << ": the test needs a console on a terminal";
            EXPECT_TRUE(WaitFor([&] { return till.Port() == port; }, 20s)) << till.Port();
            EXPECT_EQ(EndStatus(started), 128u + 2);
        });
}

}  // namespace
}  // namespace corvane::testing
