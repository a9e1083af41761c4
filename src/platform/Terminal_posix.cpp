#include <unistd.h>

#include "platform/Terminal.h"

namespace corvane::platform {

bool StandardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

}  // namespace corvane::platform
