#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "platform/Platform.h"
#include "startup/CliOptions.h"
#include "startup/ProgramPlatform.h"

namespace corvane::cli {

class SharedTraceFile;

// The platform that one printer's session runs on, with what it owns.
class PrinterPlatform {
public:
    ~PrinterPlatform();
    platform::Platform& Get() { return *top_; }

private:
    friend class PrinterPlatforms;
    PrinterPlatform() = default;

    // Declared in the order of making, so that each part goes before what it uses.
    std::unique_ptr<startup::ProgramPlatform> simulated_;
    std::unique_ptr<std::ostream> traceStream_;
    std::unique_ptr<platform::Platform> traced_;
    platform::Platform* top_ = nullptr;
};

// Makes a platform for every printer the command works on. On the machine's ports they share one
// platform, whose operations may run on several threads at once; simulated printers are not
// thread-safe, so each printer gets a simulated platform and printer of its own. With --trace,
// every printer's exchanges go into the one file, each line whole.
class PrinterPlatforms {
public:
    // Null with a message for the user when the trace file cannot be written.
    static std::unique_ptr<PrinterPlatforms> Make(const startup::CliOptions& options,
                                                  std::string& error);
    ~PrinterPlatforms();

    std::unique_ptr<PrinterPlatform> Next();
    bool Simulated() const { return !machine_; }

private:
    PrinterPlatforms() = default;

    startup::CommandLineOptions programOptions_;
    std::unique_ptr<startup::ProgramPlatform> machine_;
    std::shared_ptr<SharedTraceFile> trace_;
};

}  // namespace corvane::cli
