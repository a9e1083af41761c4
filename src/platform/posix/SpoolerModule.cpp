#include <dlfcn.h>

#include "platform/posix/PosixPlatform.h"

namespace corvane::platform::posix {

// libcups and the libraries it brings (TLS, Kerberos, service discovery) are loaded only when a
// queue must be looked at, so that a start without a Connect never pays for them.
std::unique_ptr<Spooler> MakeSystemSpooler() {
    void* module = dlopen(CORVANE_CUPS_MODULE, RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        module = dlopen(CORVANE_CUPS_MODULE_NAME, RTLD_NOW | RTLD_LOCAL);
    }
    if (module == nullptr) {
        return nullptr;
    }
    // The module stays loaded for the life of the program, as the spooler's code lives in it.
    using Factory = Spooler* (*)();
    auto make = reinterpret_cast<Factory>(dlsym(module, "CorvaneMakeCupsSpooler"));
    return make != nullptr ? std::unique_ptr<Spooler>(make()) : nullptr;
}

}  // namespace corvane::platform::posix
