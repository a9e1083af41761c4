#include "startup/GiveBackAtStart.h"

#include "link/EndedRuns.h"
#include "platform/MachinePlatform.h"

namespace corvane::startup {

void GiveBackAtStart(ProgramPlatform* program) {
    if (program != nullptr && program->Printers() == nullptr) {
        link::GiveBackAfterEndedRuns(program->Get());
        return;
    }
    // The machine's queues and printers are the same whatever this run talks to.
    auto machine = platform::MakeMachinePlatform();
    link::GiveBackAfterEndedRuns(*machine);
}

}  // namespace corvane::startup
