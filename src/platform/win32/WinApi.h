#pragma once

// windows.h for this program: without the macros that would rename the program's own functions
// (MessageBox, LoadString, DrawText) in every file that sees it.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif

#include <windows.h>

#undef MessageBox
#undef LoadString
#undef DrawText
