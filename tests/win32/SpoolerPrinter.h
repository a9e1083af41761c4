#pragma once

#include "platform/win32/WinApi.h"

#include <string>

namespace corvane::testing {

// A printer in Wine's own spooler, made for a test and deleted after it.
class SpoolerPrinter {
public:
    SpoolerPrinter(const std::wstring& name, const std::wstring& port);
    ~SpoolerPrinter();

    SpoolerPrinter(const SpoolerPrinter&) = delete;
    SpoolerPrinter& operator=(const SpoolerPrinter&) = delete;

    bool Made() const { return handle_ != nullptr; }
    DWORD Error() const { return error_; }
    // The port the printer prints to now, as the spooler names it.
    std::string Port() const;

private:
    std::wstring name_;
    HANDLE handle_ = nullptr;
    DWORD error_ = 0;
};

}  // namespace corvane::testing
