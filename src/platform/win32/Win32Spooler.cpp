#include "platform/win32/Win32Spooler.h"

#include "platform/win32/WinApi.h"

#include <winspool.h>

#include <cstdint>
#include <memory>

#include "platform/win32/ErrorFromWin32.h"
#include "platform/win32/WideText.h"

namespace corvane::platform::win32 {

namespace {

struct PrinterCloser {
    void operator()(HANDLE printer) const { ClosePrinter(printer); }
};
using PrinterHandle = std::unique_ptr<void, PrinterCloser>;

PrinterHandle OpenForChange(const std::string& name, Error& error) {
    std::wstring wideName = Widen(name);
    PRINTER_DEFAULTSW defaults{};
    defaults.DesiredAccess = PRINTER_ALL_ACCESS;
    HANDLE printer = nullptr;
    if (!OpenPrinterW(wideName.data(), &printer, &defaults)) {
        error = LastError();
        return nullptr;
    }
    error = Error::None();
    return PrinterHandle(printer);
}

// Reads a printer's level-2 record into buffer; the record points into the buffer.
PRINTER_INFO_2W* ReadRecord(HANDLE printer, std::vector<std::uint8_t>& buffer, Error& error) {
    DWORD needed = 0;
    if (!GetPrinterW(printer, 2, nullptr, 0, &needed) &&
        GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        error = LastError();
        return nullptr;
    }
    buffer.assign(needed, 0);
    if (needed == 0 || !GetPrinterW(printer, 2, buffer.data(), needed, &needed)) {
        error = needed == 0 ? Error{ErrorKind::Other, ERROR_INVALID_DATA, NativeSource::Win32}
                            : LastError();
        return nullptr;
    }
    error = Error::None();
    return reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
}

// Points a printer at another port, leaving the rest of its record as it is.
Error SetPort(const std::string& name, const std::string& port, std::string* formerPort) {
    Error error;
    PrinterHandle printer = OpenForChange(name, error);
    if (!printer) {
        return error;
    }
    std::vector<std::uint8_t> buffer;
    PRINTER_INFO_2W* record = ReadRecord(printer.get(), buffer, error);
    if (record == nullptr) {
        return error;
    }
    if (formerPort != nullptr) {
        *formerPort = record->pPortName != nullptr ? Narrow(record->pPortName) : std::string();
    }
    std::wstring widePort = Widen(port);
    record->pPortName = widePort.data();
    // No security descriptor leaves the printer's own as it is, and needs no right to change it.
    record->pSecurityDescriptor = nullptr;
    if (!SetPrinterW(printer.get(), 2, reinterpret_cast<LPBYTE>(record), 0)) {
        return LastError();
    }
    return Error::None();
}

}  // namespace

Win32Spooler::~Win32Spooler() {
    std::lock_guard<std::mutex> hold(lock_);
    for (auto it = moved_.begin(); it != moved_.end();) {
        SetPort(it->first, it->second, nullptr);
        it = moved_.erase(it);
    }
}

QueueListing Win32Spooler::ListQueues() {
    QueueListing listing;
    std::vector<QueueInfo>& queues = listing.queues;
    DWORD needed = 0;
    DWORD count = 0;
    if (!EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count) &&
        GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        listing.error = LastError();
        return listing;
    }
    if (needed == 0) {
        return listing;
    }
    std::vector<std::uint8_t> buffer(needed);
    if (!EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count)) {
        listing.error = LastError();
        return listing;
    }
    const auto* records = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        QueueInfo queue;
        queue.name = records[i].pPrinterName != nullptr ? Narrow(records[i].pPrinterName) : "";
        queue.deviceUri = records[i].pPortName != nullptr ? Narrow(records[i].pPortName) : "";
        queues.push_back(std::move(queue));
    }
    return listing;
}

std::map<std::string, std::string> Win32Spooler::MovedPrinters() const {
    std::lock_guard<std::mutex> hold(lock_);
    return moved_;
}

Error Win32Spooler::StopQueue(const std::string& name, const std::string&) {
    // The move and its record go together, so that whoever restores sees both or neither.
    std::lock_guard<std::mutex> hold(lock_);
    std::string formerPort;
    Error error = SetPort(name, kParkingPort, &formerPort);
    if (!error.Ok()) {
        return error;
    }
    // A printer found parked already was moved by this object before; its own port is older.
    if (formerPort != kParkingPort || moved_.count(name) == 0) {
        moved_[name] = formerPort;
    }
    return Error::None();
}

bool Win32Spooler::IsStoppedFor(const QueueInfo& queue, const std::string&) {
    return queue.deviceUri == kParkingPort;
}

Error Win32Spooler::StartQueueOf(const std::string& name, const std::string& formerDevice) {
    std::lock_guard<std::mutex> hold(lock_);
    Error error = SetPort(name, formerDevice, nullptr);
    if (error.Ok()) {
        moved_.erase(name);
    }
    return error;
}

Error Win32Spooler::StartQueue(const std::string& name) {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = moved_.find(name);
    if (found == moved_.end()) {
        return Error::None();
    }
    Error error = SetPort(name, found->second, nullptr);
    // A printer deleted meanwhile has nothing left to give back.
    if (error.Ok() || error.kind == ErrorKind::NotFound) {
        moved_.erase(found);
    }
    return error;
}

}  // namespace corvane::platform::win32
