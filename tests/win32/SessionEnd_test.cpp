// The session's end under Wine, told to corvane.exe and corvane-cli.exe as Windows tells it while
// each is in the middle of an exchange with a slow printer on a COM port (serial_line_test.sh
// sets it up): the printer moved off that port gets it back before the program's hidden window
// answers, since Windows ends the program then.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "ProgramWindows.h"
#include "SpoolerPrinter.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WinApi.h"
#include "resources/Template102Ids.h"

namespace corvane::testing {
namespace {

using namespace std::chrono_literals;
namespace id102 = resources::template102;

TEST(SessionEnd, EachProgramGivesThePortBackBeforeItsWindowAnswers) {
    const std::wstring port = Environment("CORVANE_TEST_SLOW_COM");
    ASSERT_FALSE(port.empty()) << "run by serial_line_test.sh, which sets up a slow printer";
    struct Row {
        const char* name;
        std::wstring commandLine;
        bool window;
    };
    const Row rows[] = {
        {"corvane.exe", L"\"" + Environment("CORVANE_TEST_CORVANE") + L"\"", true},
        {"corvane-cli.exe", L"\"" + Environment("CORVANE_TEST_CLI") + L"\" get --port " + port,
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SpoolerPrinter till(L"Corvane till on " + port, port + L":");
        ASSERT_TRUE(till.Made()) << "error " << till.Error();
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION started{};
        std::wstring commandLine = row.commandLine;
        ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &started))
            << GetLastError();
        if (row.window) {
            HWND window = nullptr;
            ASSERT_TRUE(WaitFor(
                [&] {
                    return (window = DialogWith(started.dwProcessId, id102::kConnect)) != nullptr;
                },
                20s));
            ConnectOn(window, std::stoi(port.substr(3)) - 1);
        }
        ASSERT_TRUE(WaitFor([&] { return till.Port() == "FILE:"; }, 20s)) << till.Port();

        HWND watch = WindowOf(started.dwProcessId, L"CorvaneSessionEndWatch");
        ASSERT_NE(watch, nullptr);
        const auto told = std::chrono::steady_clock::now();
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(watch, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_BLOCK, 5000,
                            &answer);
        EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
        SendMessageTimeoutW(watch, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_BLOCK, 10000,
                            &answer);
        EXPECT_EQ(till.Port(), platform::win32::Narrow(port) + ":");
        // The slow printer's exchange lasts seconds longer: the ports went back from inside it.
        EXPECT_LT(std::chrono::steady_clock::now() - told, 3s);

        // Windows would end the program now; left alone, it ends the normal way.
        EXPECT_EQ(WaitForSingleObject(started.hProcess, 30000), WAIT_OBJECT_0);
        DWORD status = 0;
        GetExitCodeProcess(started.hProcess, &status);
        EXPECT_EQ(status, 128u + 15);
        TerminateProcess(started.hProcess, 1);
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    }
}

}  // namespace
}  // namespace corvane::testing
