#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/posix/PosixPlatform.h"

namespace corvane::platform::posix {

namespace {

namespace fs = std::filesystem;

// A program of the build tree loads the module the build made beside it; an installed program
// loads the one installed with it, found from its own place so that any prefix works, and never
// one from a build folder that may not be this user's.
std::string SpoolerModulePath() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (error) {
        return CORVANE_CUPS_MODULE_NAME;
    }
    const std::string buildTree = std::string(CORVANE_BUILD_DIR) + "/";
    if (program.string().rfind(buildTree, 0) == 0) {
        return CORVANE_CUPS_MODULE;
    }
    return (program.parent_path().parent_path() / CORVANE_CUPS_MODULE_INSTALL_DIR /
            CORVANE_CUPS_MODULE_NAME)
        .string();
}

}  // namespace

// libcups and the libraries it brings (TLS, Kerberos, service discovery) are loaded only when a
// queue must be looked at, so that a start without a Connect never pays for them.
std::unique_ptr<Spooler> MakeSystemSpooler() {
    const std::string path = SpoolerModulePath();
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        // Without the spooler no queue is moved off the port, so a job may reach the printer
        // during an exchange: say so rather than carry on silently.
        const char* why = dlerror();
        std::fprintf(stderr, "print queues are not looked at: cannot load %s: %s\n", path.c_str(),
                     why != nullptr ? why : "unknown error");
        return nullptr;
    }
    // The module stays loaded for the life of the program, as the spooler's code lives in it.
    using Factory = Spooler* (*)();
    auto make = reinterpret_cast<Factory>(dlsym(module, "CorvaneMakeCupsSpooler"));
    if (make == nullptr) {
        std::fprintf(stderr, "print queues are not looked at: %s is not this program's module\n",
                     path.c_str());
        return nullptr;
    }
    return std::unique_ptr<Spooler>(make());
}

}  // namespace corvane::platform::posix
