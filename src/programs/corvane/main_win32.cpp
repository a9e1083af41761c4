// corvane on Windows: the program's entry point. It reads the command line, makes the
// platform (the machine's ports, or simulated printers, optionally traced) and runs the
// connection window as a Windows dialog.

#include <iostream>
#include <string>

#include "app/ConnectionDialog.h"
#include "app/CorvaneApp.h"
#include "link/PrinterPort.h"
#include "platform/ProgramEndWatch.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WinApi.h"
#include "programs/corvane/ConsoleOutput.h"
#include "service/History.h"
#include "startup/CommandLine.h"
#include "startup/GiveBackAtStart.h"
#include "startup/ProgramPlatform.h"
#include "ui/win32/ExchangeWait.h"
#include "ui/win32/Win32Shell.h"
#include "ui/win32/WindowThreadCall.h"

namespace {

// Tells the user what is wrong with the command line: on the console that started the program,
// else in a message box, since a windowed program may have no console at all.
void ReportStartError(const std::string& text, bool consoleSeen) {
    std::cerr << "corvane: " << text << "\n";
    if (!consoleSeen) {
        MessageBoxW(nullptr, corvane::platform::win32::Widen(text).c_str(), L"Corvane Manager",
                    MB_OK | MB_ICONEXCLAMATION);
    }
}

}  // namespace

int main(int argc, char** argv) {
    using namespace corvane;

    const bool consoleSeen = programs::UseParentConsole();
    auto parsed = startup::ParseCommandLine(argc, argv);
    if (!parsed.ok) {
        ReportStartError(parsed.error + "\n" + startup::CommandLineUsage(), consoleSeen);
        return 2;
    }
    const auto& options = parsed.options;
    if (options.help) {
        std::cout << startup::CommandLineUsage();
        return 0;
    }
    std::string error;
    auto programPlatform = startup::ProgramPlatform::Make(options, error);
    if (!programPlatform) {
        ReportStartError(error, consoleSeen);
        return 2;
    }
    startup::GiveBackAtStart(programPlatform.get());

    // The window stays alive while the printer is waited for.
    programPlatform->Get().SetWaitHook(ui::win32::ExchangeWait::KeepWindowsAlive);
    link::PrinterPort port(programPlatform->Get(), programPlatform->Ports());
    app::CorvaneApp corvane(port,
                            [](ui::Dialog& dialog) { return ui::win32::RunMainDialog(dialog); });
    // Without a state folder the windows work as ever and record nothing.
    std::string noHistory;
    auto history = service::History::ForUser(noHistory);
    corvane.RecordWritesIn(history ? &*history : nullptr);

    // Ctrl+C or Ctrl+Break on the console that started the program, the console closing, log-off,
    // shut-down and the session's end make the program give the printers moved off the port their
    // ports back and end the normal way, through every window's teardown. The request comes on
    // a thread of its own and is handled on the windows' thread, once no exchange waits for the
    // printer; when Windows ends the program as soon as the request's handler returns, the ports
    // go back at once, from inside an exchange if need be, before the handler returns.
    ui::win32::WindowThreadCall toWindows;
    platform::EndSources endSources;
    endSources.terminationSignals = true;
    endSources.sessionEnd = true;
    if (!platform::ProgramEndWatch::Install(endSources)) {
        std::cerr << "corvane: cannot watch for the console's and the session's requests to end; "
                     "printers moved off the port would not get it back if the program were "
                     "ended by one\n";
    }
    platform::ProgramEndWatch endWatch([&corvane, &toWindows](const platform::EndRequest& request) {
        auto restoreAndEnd = [&corvane, request] {
            if (app::ConnectionDialog* window = corvane.MainWindow()) {
                window->RestoreRedirectedPrinters();
            }
            ui::win32::EndProgram(request.exitStatus);
        };
        if (request.endsOnReturn) {
            toWindows.Run(restoreAndEnd, ui::win32::WindowThreadCall::During::Anything);
        } else {
            toWindows.Post(restoreAndEnd, ui::win32::WindowThreadCall::During::NoExchange);
        }
    });

    corvane.InitInstance();
    // No window runs a loop any more: a request that comes now finds the printers given back.
    toWindows.Close();
    port.Close();
    return corvane.ExitCode();
}
