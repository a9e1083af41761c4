#pragma once

#include "startup/ProgramPlatform.h"

namespace corvane::startup {

// Gives back what ended runs of the program left held (link::GiveBackAfterEndedRuns) as a
// program starts: through the program's platform when it is the machine's, so that its trace
// tells it too, else (simulated printers, or none made yet) through one made for the purpose.
void GiveBackAtStart(ProgramPlatform* program);

}  // namespace corvane::startup
