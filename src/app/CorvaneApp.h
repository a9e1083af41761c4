#pragma once

#include <functional>

#include "link/PrinterPort.h"
#include "ui/Dialog.h"

namespace corvane::app {

class ConnectionDialog;

// The application: runs the connection window as the main window for the whole run.
class CorvaneApp {
public:
    // Runs a dialog modally as the program's main window and returns its result.
    using MainWindowRunner = std::function<int(ui::Dialog&)>;

    CorvaneApp(link::PrinterPort& port, MainWindowRunner runMainWindow);

    // Builds the connection window, runs it until the user closes it and tears it down. Returns
    // false: there is no further message loop, the program ends.
    bool InitInstance();

    // The connection window while it runs, else null.
    ConnectionDialog* MainWindow() const { return mainWindow_; }

private:
    link::PrinterPort& port_;
    ConnectionDialog* mainWindow_ = nullptr;
    MainWindowRunner runMainWindow_;
};

}  // namespace corvane::app
