#pragma once

#include <functional>

#include "link/PrinterPort.h"
#include "service/History.h"
#include "ui/Dialog.h"

namespace corvane::app {

class ConnectionDialog;

// The application: runs the connection window as the main window for the whole run.
class CorvaneApp {
public:
    // Runs a dialog modally as the program's main window and returns the program's exit code.
    using MainWindowRunner = std::function<int(ui::Dialog&)>;

    CorvaneApp(link::PrinterPort& port, MainWindowRunner runMainWindow);

    // Builds the connection window, runs it until the user closes it or a window ends the
    // program, and tears it down, which starts the stopped print queues again. Returns false:
    // there is no further message loop, the program ends.
    bool InitInstance();

    // The code the program ends with, once InitInstance has returned.
    int ExitCode() const { return exitCode_; }

    // Where the windows record their writes to the printer; null (the default) records none.
    void RecordWritesIn(const service::History* history) { history_ = history; }

    // The connection window while it runs, else null.
    ConnectionDialog* MainWindow() const { return mainWindow_; }

private:
    link::PrinterPort& port_;
    ConnectionDialog* mainWindow_ = nullptr;
    const service::History* history_ = nullptr;
    MainWindowRunner runMainWindow_;
    int exitCode_ = 0;
};

}  // namespace corvane::app
