#include "SpoolerPrinter.h"

#include <winspool.h>

#include <vector>

#include "platform/win32/WideText.h"

namespace corvane::testing {

namespace {

// The first printer driver the spooler has.
std::wstring DriverName() {
    DWORD needed = 0;
    DWORD count = 0;
    EnumPrinterDriversW(nullptr, nullptr, 1, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    if (needed == 0 ||
        !EnumPrinterDriversW(nullptr, nullptr, 1, buffer.data(), needed, &needed, &count) ||
        count == 0) {
        return L"";
    }
    return reinterpret_cast<DRIVER_INFO_1W*>(buffer.data())->pName;
}

}  // namespace

SpoolerPrinter::SpoolerPrinter(const std::wstring& name, const std::wstring& port) : name_(name) {
    std::wstring driver = DriverName();
    PRINTER_INFO_2W info{};
    info.pPrinterName = name_.data();
    info.pPortName = const_cast<wchar_t*>(port.c_str());
    info.pDriverName = driver.data();
    info.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
    info.pDatatype = const_cast<wchar_t*>(L"RAW");
    info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    handle_ = AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
    error_ = handle_ == nullptr ? GetLastError() : 0;
}

SpoolerPrinter::~SpoolerPrinter() {
    if (handle_ != nullptr) {
        DeletePrinter(handle_);
        ClosePrinter(handle_);
    }
}

std::string SpoolerPrinter::Port() const {
    HANDLE printer = nullptr;
    std::wstring name = name_;
    if (!OpenPrinterW(name.data(), &printer, nullptr)) {
        return "(gone)";
    }
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    std::string port;
    if (GetPrinterW(printer, 2, buffer.data(), needed, &needed)) {
        port =
            platform::win32::Narrow(reinterpret_cast<PRINTER_INFO_2W*>(buffer.data())->pPortName);
    }
    ClosePrinter(printer);
    return port;
}

}  // namespace corvane::testing
