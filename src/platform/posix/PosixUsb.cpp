// USB printers on Linux: first the interfaces that the usblp driver serves, as sysfs lists them,
// opened through their /dev/usb/lpN nodes; then, through libusb, the printers that usblp does not
// serve or whose node this user cannot open.

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/posix/Deadline.h"
#include "platform/posix/DeviceIo.h"
#include "platform/posix/LibusbPrinters.h"
#include "platform/posix/PosixPlatform.h"

namespace corvane::platform::posix {

namespace {

namespace fs = std::filesystem;

// The printer answers in whole bulk transfers, and usblp can be waited on with poll().
constexpr TransferRules kUsbRules{.wholeTransfers = true};

class PosixUsbDevice final : public Device {
public:
    PosixUsbDevice(UniqueFd fd, std::string path, std::shared_ptr<WaitPacer> pacer)
        : fd_(std::move(fd)), path_(std::move(path)), pacer_(std::move(pacer)) {}

    IoResult Write(std::span<const std::uint8_t> data) override {
        Deadline deadline(UsbWriteBudget(data.size()), pacer_.get());
        return WriteWithDeadline(fd_, data, deadline, kUsbRules);
    }

    IoResult Read(std::span<std::uint8_t> buffer) override {
        Deadline deadline(std::chrono::milliseconds(kUsbReadTimeoutMs), pacer_.get());
        return ReadWithDeadline(fd_, buffer, deadline, kUsbRules);
    }

    // The printer class has no purge request; nothing is buffered on our side.
    Error Purge() override { return {ErrorKind::Unsupported, 0}; }

    std::string Name() const override { return path_; }

private:
    UniqueFd fd_;
    std::string path_;
    std::shared_ptr<WaitPacer> pacer_;
};

// The N of a usbmisc entry named lpN, or nothing for other entries (hiddev0 and the like).
std::optional<unsigned> PrinterNumber(const std::string& name) {
    if (name.size() < 3 || name.compare(0, 2, "lp") != 0) {
        return std::nullopt;
    }
    unsigned number = 0;
    const char* first = name.data() + 2;
    const char* last = name.data() + name.size();
    auto [end, ec] = std::from_chars(first, last, number);
    if (ec != std::errc() || end != last) {
        return std::nullopt;
    }
    return number;
}

// Reads a four-digit hexadecimal id as sysfs writes idVendor and idProduct.
std::optional<std::uint16_t> ReadHexId(const fs::path& path) {
    std::ifstream file(path);
    std::string text;
    if (!(file >> text) || text.empty() || text.size() > 4) {
        return std::nullopt;
    }
    std::uint16_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (ec != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// Reads a decimal attribute such as busnum or devnum.
std::optional<std::uint8_t> ReadNumber(const fs::path& path) {
    std::ifstream file(path);
    unsigned value = 0;
    if (!(file >> value) || value > 255) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(value);
}

struct PrinterEntry {
    unsigned number;
    fs::path classPath;
};

}  // namespace

std::vector<UsbPrinterInfo> PosixPlatform::ListUsbPrinters() {
    std::vector<UsbPrinterInfo> printers;
    // The devices that usblp offers here; libusb lists the others.
    std::vector<UsbAddress> servedByUsblp;
    std::error_code ec;
    fs::path classDir = fs::path(options_.sysfsRoot) / "class" / "usbmisc";
    std::vector<PrinterEntry> entries;
    for (fs::directory_iterator it(classDir, ec), end; !ec && it != end; it.increment(ec)) {
        if (auto number = PrinterNumber(it->path().filename().string())) {
            entries.push_back({*number, it->path()});
        }
    }
    // The kernel numbers printers as they appear, so lp2 comes before lp10.
    std::sort(entries.begin(), entries.end(),
              [](const PrinterEntry& a, const PrinterEntry& b) { return a.number < b.number; });

    for (const auto& entry : entries) {
        fs::path interfaceDir = fs::canonical(entry.classPath / "device", ec);
        if (ec) {
            continue;
        }
        fs::path driver = fs::read_symlink(interfaceDir / "driver", ec);
        if (ec || driver.filename() != "usblp") {
            continue;
        }
        // The ids belong to the USB device, the parent of its printer interface.
        fs::path deviceDir = interfaceDir.parent_path();
        auto vendorId = ReadHexId(deviceDir / "idVendor");
        auto productId = ReadHexId(deviceDir / "idProduct");
        if (!vendorId || !productId) {
            continue;
        }
        UsbPrinterInfo info;
        info.devicePath =
            (fs::path(options_.devRoot) / "usb" / ("lp" + std::to_string(entry.number))).string();
        // A node that is missing (a udev rule may remove it) or closed to this user leaves the
        // printer to libusb; one that another program has open stays here, to be found busy.
        if (options_.libusb && ::access(info.devicePath.c_str(), R_OK | W_OK) != 0) {
            continue;
        }
        auto bus = ReadNumber(deviceDir / "busnum");
        auto address = ReadNumber(deviceDir / "devnum");
        if (bus && address) {
            servedByUsblp.push_back({*bus, *address});
        }
        info.sysPath = entry.classPath.string();
        info.vendorId = *vendorId;
        info.productId = *productId;
        printers.push_back(std::move(info));
    }
    if (options_.libusb) {
        auto others = LibusbPrinters::List(servedByUsblp);
        printers.insert(printers.end(), std::make_move_iterator(others.begin()),
                        std::make_move_iterator(others.end()));
    }
    return printers;
}

std::unique_ptr<Device> PosixPlatform::OpenUsbPrinter(const std::string& devicePath, bool exclusive,
                                                      Error& error) {
    if (auto address = LibusbPrinters::AddressOf(devicePath)) {
        return LibusbPrinters::Open(*address, devicePath, exclusive, error, pacer_, GetHoldings());
    }
    // usblp lets one program at a time open a printer; the lock also keeps two runs of this
    // program apart on nodes that would let both in.
    UniqueFd fd = OpenLocked(devicePath, exclusive, error);
    if (!fd.Valid()) {
        return nullptr;
    }
    return std::make_unique<PosixUsbDevice>(std::move(fd), devicePath, pacer_);
}

Error PosixPlatform::GiveBackDriver(const Holding& holding) {
    auto address = LibusbPrinters::AddressOf(holding.name);
    if (!address) {
        return {ErrorKind::NotFound, ENODEV, NativeSource::Errno};
    }
    return LibusbPrinters::GiveBackDriver(*address, holding.detail);
}

void PosixPlatform::GiveBackDevicesNow() {
    LibusbPrinters::GiveBackAll();
}

}  // namespace corvane::platform::posix
