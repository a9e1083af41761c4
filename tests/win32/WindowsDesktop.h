#pragma once

// What a test does on Wine's desktop as a person would: find the message box or file dialog that
// the program opened, read it and answer it, from a timer that the box's own loop runs.

#include <functional>
#include <string>

#include "platform/win32/WinApi.h"

namespace corvane::testing {

// A message box or common dialog that the test thread has open, as the test saw it.
struct SeenBox {
    std::wstring caption;
    std::wstring text;  // a message box's text
    HWND window = nullptr;
};

// The top-level dialog of this thread that no dialog host owns (a message box, a file dialog),
// or null.
HWND FindForeignDialog();

// Calls answer once with the first foreign dialog that opens, from a thread timer, and stops.
// The answer runs inside the loop of the box that blocks the test, so it must close the box.
class BoxAnswerer {
public:
    explicit BoxAnswerer(std::function<void(const SeenBox&)> answer);
    ~BoxAnswerer();

    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    int Answered() const { return answered_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD);

    std::function<void(const SeenBox&)> answer_;
    UINT_PTR timer_ = 0;
    int answered_ = 0;
};

// Presses a message box's OK button.
void PressOk(HWND box);

}  // namespace corvane::testing
