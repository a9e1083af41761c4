// corvane on Linux: the program's entry point. It reads the command line, makes the platform (the
// machine's ports, or simulated printers, optionally traced) and runs the connection window on the
// Qt host.
#include <QApplication>
#include <QMetaObject>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "app/ConnectionDialog.h"
#include "app/CorvaneApp.h"
#include "link/HeldQueues.h"
#include "link/PrinterPort.h"
#include "platform/ProgramEndWatch.h"
#include "service/History.h"
#include "startup/CommandLine.h"
#include "startup/GiveBackAtStart.h"
#include "startup/ProgramPlatform.h"
#include "ui/qt/ExchangeWait.h"
#include "ui/qt/ProgramEnd.h"
#include "ui/qt/QtShell.h"

namespace {

// The platform while the window runs; null before and after.
std::atomic<corvane::platform::Platform*> windowPlatform{nullptr};

// Qt ends the program with exit(1) from inside its X connection handling when the display goes
// away ("The X11 connection broke"), also in the middle of an exchange, and never returns to
// main: what the window holds is given back here then, before the process ends.
void GiveBackAtExit() {
    corvane::platform::Platform* platform = windowPlatform.exchange(nullptr);
    if (platform == nullptr) {
        return;
    }
    // The display is gone: a pause of the restore must not ask the windows for their events.
    platform->SetWaitHook({});
    corvane::link::HeldQueues::OfProcess().RestoreAll();
    platform->GiveBackDevicesNow();
}

}  // namespace

int main(int argc, char** argv) {
    using namespace corvane;

    // Everything the user can get wrong is reported before the window system is reached, so that
    // the message also shows where there is no display.
    auto parsed = startup::ParseCommandLine(argc, argv);
    if (!parsed.ok) {
        std::cerr << "corvane: " << parsed.error << "\n" << startup::CommandLineUsage();
        return 2;
    }
    const auto& options = parsed.options;
    if (options.help) {
        std::cout << startup::CommandLineUsage();
        return 0;
    }
    platform::EndSources endSources;
    endSources.terminationSignals = true;
    if (!platform::ProgramEndWatch::Install(endSources)) {
        std::cerr << "corvane: cannot watch for termination signals; print queues moved aside "
                     "would not be restored if the program were killed\n";
    }
    std::string error;
    auto programPlatform = startup::ProgramPlatform::Make(options, error);
    if (!programPlatform) {
        std::cerr << "corvane: " << error << "\n";
        return 2;
    }
    startup::GiveBackAtStart(programPlatform.get());

    // Qt sees only its own options; the application object keeps argv for its whole life.
    std::vector<std::string> qtArguments{argc > 0 ? argv[0] : "corvane"};
    qtArguments.insert(qtArguments.end(), options.windowSystemArguments.begin(),
                       options.windowSystemArguments.end());
    std::vector<char*> qtArgv;
    for (auto& argument : qtArguments) {
        qtArgv.push_back(argument.data());
    }
    qtArgv.push_back(nullptr);
    int qtArgc = static_cast<int>(qtArguments.size());
    QApplication application(qtArgc, qtArgv.data());
    QApplication::setApplicationName("Corvane Manager");
    // Registered after Qt's own, so that it runs before them.
    std::atexit(GiveBackAtExit);

    // The window stays alive while the printer is waited for.
    programPlatform->Get().SetWaitHook(ui::qt::ExchangeWait::KeepWindowsAlive);
    link::PrinterPort port(programPlatform->Get(), programPlatform->Ports());
    app::CorvaneApp corvane(port, [](ui::Dialog& dialog) { return ui::qt::RunMainDialog(dialog); });
    // Without a state folder the windows work as ever and record nothing.
    std::string noHistory;
    auto history = service::History::ForUser(noHistory);
    corvane.RecordWritesIn(history ? &*history : nullptr);

    // A signal ends the program the normal way, through every window's teardown, so that the
    // print queues it stopped run again; they are started first in case a window holds on. The
    // request comes on the watch's thread and is handled on the windows' own, once no exchange
    // is waiting for the printer: it is put back in the queue until then.
    std::function<void(platform::EndRequest)> endProgram = [&](platform::EndRequest request) {
        QMetaObject::invokeMethod(
            &application,
            [&corvane, &endProgram, request] {
                if (ui::qt::ExchangeWait::Delivering()) {
                    endProgram(request);
                    return;
                }
                if (app::ConnectionDialog* window = corvane.MainWindow()) {
                    window->RestoreRedirectedPrinters();
                }
                ui::qt::EndProgram(request.exitStatus);
            },
            Qt::QueuedConnection);
    };
    platform::ProgramEndWatch endWatch(
        [&endProgram](const platform::EndRequest& request) { endProgram(request); });

    windowPlatform = &programPlatform->Get();
    corvane.InitInstance();
    windowPlatform = nullptr;
    port.Close();
    return corvane.ExitCode();
}
