// Windows has no signal for a closed pipe: WriteFile fails with ERROR_NO_DATA.
#include "platform/ClosedPipes.h"

namespace corvane::platform {

bool TreatClosedPipesAsWriteErrors() {
    return true;
}

}  // namespace corvane::platform
