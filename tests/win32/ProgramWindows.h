#pragma once

#include "platform/win32/WinApi.h"

#include <chrono>
#include <functional>
#include <string>

namespace corvane::testing {

// What a test needs to drive another program's windows as a person would.

// An environment variable as Windows text, empty when it is not set.
std::wstring Environment(const char* name);

// Polls done every 20 ms until it holds or limit has passed.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit);

// A visible top-level window of a process that has the class and satisfies fits (when given),
// or null.
HWND WindowOf(DWORD process, const wchar_t* className,
              const std::function<bool(HWND)>& fits = nullptr);
// A dialog of a process that holds a control with this id.
HWND DialogWith(DWORD process, int controlId);
// A message box of a process, or null; text receives what it says.
HWND MessageBoxOf(DWORD process, std::string* text = nullptr);

// Chooses the COM port in the connection window and presses Connect, as a person would.
void ConnectOn(HWND window, int comIndex);

}  // namespace corvane::testing
