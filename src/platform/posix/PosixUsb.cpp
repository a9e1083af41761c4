// USB printers on Linux: the interfaces that the usblp driver serves, as sysfs lists them, opened
// through their /dev/usb/lpN nodes.

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
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

#include "platform/posix/PosixPlatform.h"

namespace corvane::platform::posix {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A USB write may take as long as a serial one: the printer takes data only as it prints.
constexpr std::uint32_t kUsbWriteConstantMs = 2000;
constexpr std::uint32_t kUsbWriteMultiplierMs = 1;

Error ErrorOf(int errnoValue) {
    // usblp refuses a second open with EBUSY, and a held lock answers EWOULDBLOCK.
    if (errnoValue == EBUSY || errnoValue == EWOULDBLOCK) {
        return {ErrorKind::Busy, errnoValue};
    }
    // An unplugged printer's node answers ENODEV until it disappears.
    if (errnoValue == ENODEV) {
        return {ErrorKind::Disconnected, errnoValue};
    }
    return ErrorFromErrno(errnoValue);
}

int RemainingMs(Clock::time_point deadline) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(left, 0));
}

// Waits until the descriptor is ready for the given events or the deadline passes; returns the
// revents, 0 at the deadline, or -1 with errno set.
int PollUntil(int fd, short events, Clock::time_point deadline) {
    while (true) {
        pollfd entry{fd, events, 0};
        int ready = ::poll(&entry, 1, RemainingMs(deadline));
        if (ready > 0) {
            return entry.revents;
        }
        if (ready == 0) {
            return 0;
        }
        if (errno != EINTR) {
            return -1;
        }
    }
}

class PosixUsbDevice final : public Device {
public:
    PosixUsbDevice(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~PosixUsbDevice() override { ::close(fd_); }

    PosixUsbDevice(const PosixUsbDevice&) = delete;
    PosixUsbDevice& operator=(const PosixUsbDevice&) = delete;

    IoResult Write(std::span<const std::uint8_t> data) override {
        auto deadline =
            Clock::now() +
            std::chrono::milliseconds(kUsbWriteConstantMs + kUsbWriteMultiplierMs * data.size());
        IoResult result;
        while (result.count < data.size()) {
            ssize_t sent = ::write(fd_, data.data() + result.count, data.size() - result.count);
            if (sent > 0) {
                result.count += static_cast<std::size_t>(sent);
                continue;
            }
            if (sent == 0) {
                // Taking nothing without a reason would only repeat: the device is not taking data.
                result.error = {ErrorKind::Other, 0};
                return result;
            }
            if (errno == EINTR) {
                continue;
            }
            if (errno != EAGAIN) {
                result.error = ErrorOf(errno);
                return result;
            }
            int revents = PollUntil(fd_, POLLOUT, deadline);
            if (revents == 0) {
                result.error = {ErrorKind::TimedOut, 0};
                return result;
            }
            if (revents < 0) {
                result.error = ErrorOf(errno);
                return result;
            }
            if ((revents & POLLOUT) == 0) {
                result.error = {ErrorKind::Disconnected, 0};
                return result;
            }
        }
        return result;
    }

    IoResult Read(std::span<std::uint8_t> buffer) override {
        auto deadline = Clock::now() + std::chrono::milliseconds(kUsbReadTimeoutMs);
        IoResult result;
        if (buffer.empty()) {
            return result;
        }
        while (true) {
            int revents = PollUntil(fd_, POLLIN, deadline);
            if (revents == 0) {
                result.error = {ErrorKind::TimedOut, 0};
                return result;
            }
            if (revents < 0) {
                result.error = ErrorOf(errno);
                return result;
            }
            if ((revents & POLLIN) == 0) {
                // Hung up or failed with nothing left to read: the printer has gone.
                result.error = {ErrorKind::Disconnected, 0};
                return result;
            }
            ssize_t got = ::read(fd_, buffer.data(), buffer.size());
            if (got > 0) {
                result.count = static_cast<std::size_t>(got);
                return result;
            }
            if (got == 0) {
                // An empty transfer, or the far end closed: either way there is nothing to wait
                // for.
                if ((revents & POLLHUP) != 0) {
                    result.error = {ErrorKind::Disconnected, 0};
                }
                return result;
            }
            if (errno != EAGAIN && errno != EINTR) {
                result.error = ErrorOf(errno);
                return result;
            }
        }
    }

    // The printer class has no purge request; nothing is buffered on our side.
    Error Purge() override { return {ErrorKind::Unsupported, 0}; }

    std::string Name() const override { return path_; }

private:
    int fd_;
    std::string path_;
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

struct PrinterEntry {
    unsigned number;
    fs::path classPath;
};

}  // namespace

std::vector<UsbPrinterInfo> PosixPlatform::ListUsbPrinters() {
    std::vector<UsbPrinterInfo> printers;
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
        info.sysPath = entry.classPath.string();
        info.vendorId = *vendorId;
        info.productId = *productId;
        printers.push_back(std::move(info));
    }
    return printers;
}

std::unique_ptr<Device> PosixPlatform::OpenUsbPrinter(const std::string& devicePath, bool exclusive,
                                                      Error& error) {
    int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = ErrorOf(errno);
        return nullptr;
    }
    // usblp lets one program at a time open a printer; the lock also keeps two runs of this
    // program apart on nodes that would let both in.
    if (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        error = ErrorOf(errno);
        ::close(fd);
        return nullptr;
    }
    error = Error::None();
    return std::make_unique<PosixUsbDevice>(fd, devicePath);
}

}  // namespace corvane::platform::posix
