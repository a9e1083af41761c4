#pragma once

// Giving back what ended runs of the program held: a run that was killed, lost its power or
// crashed left entries in the record of held things (platform/Holdings.h) whose owner no longer
// runs. Every start of the programs and every Connect gives them back, as far as they are still
// as the ended run left them: a queue still stopped with this program's reason starts again, a
// Windows printer still on "FILE:" gets its port back, a USB printer that no driver serves and no
// program holds gets its kernel driver back. Nothing that a running program holds, or that
// someone else changed since, is touched. Each thing given back, or left, is told on standard
// error and in the trace.

#include "platform/Platform.h"

namespace corvane::link {

// Gives back what ended runs held, through the platform's record, spooler and USB backend; does
// nothing where the platform keeps no record. Returns how many things were given back.
int GiveBackAfterEndedRuns(platform::Platform& platform);

}  // namespace corvane::link
