// SIGPIPE ignored: a write to a pipe nobody reads fails with EPIPE.
#include <csignal>

#include "platform/ClosedPipes.h"

namespace corvane::platform {

bool TreatClosedPipesAsWriteErrors() {
    return std::signal(SIGPIPE, SIG_IGN) != SIG_ERR;
}

}  // namespace corvane::platform
