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
#include "startup/ProgramPlatform.h"
#include "ui/win32/Win32Shell.h"

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

    link::PrinterPort port(programPlatform->Get(), programPlatform->Ports());
    app::CorvaneApp corvane(port,
                            [](ui::Dialog& dialog) { return ui::win32::RunMainDialog(dialog); });
    // Without a state folder the windows work as ever and record nothing.
    std::string noHistory;
    auto history = service::History::ForUser(noHistory);
    corvane.RecordWritesIn(history ? &*history : nullptr);

    // Windows ends the program without further ado once the session is over; the printers moved
    // off the port get their ports back before that.
    platform::EndSources endSources;
    endSources.sessionEnd = true;
    platform::ProgramEndWatch::Install(endSources);
    platform::ProgramEndWatch sessionEnd([&corvane](const platform::EndRequest&) {
        if (app::ConnectionDialog* window = corvane.MainWindow()) {
            window->RestoreRedirectedPrinters();
        }
    });

    corvane.InitInstance();
    port.Close();
    return corvane.ExitCode();
}
