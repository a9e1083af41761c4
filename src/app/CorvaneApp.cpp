#include "app/CorvaneApp.h"

#include "app/ConnectionDialog.h"

namespace corvane::app {

CorvaneApp::CorvaneApp(link::PrinterPort& port, MainWindowRunner runMainWindow)
    : port_(port), runMainWindow_(std::move(runMainWindow)) {}

bool CorvaneApp::InitInstance() {
    {
        ConnectionDialog dialog(port_);
        dialog.RecordWritesIn(history_);
        mainWindow_ = &dialog;
        exitCode_ = runMainWindow_(dialog);
        mainWindow_ = nullptr;
    }
    return false;
}

}  // namespace corvane::app
