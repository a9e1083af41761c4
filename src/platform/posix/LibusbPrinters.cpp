#include "platform/posix/LibusbPrinters.h"

#include <libusb.h>
#include <sys/time.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstdio>
#include <tuple>
#include <utility>

#include "platform/posix/ErrorFromErrno.h"

namespace corvane::platform::posix {

namespace {

// A USB write may take as long as a serial one: the printer takes data only as it prints.
constexpr std::uint32_t kUsbWriteConstantMs = 2000;
constexpr std::uint32_t kUsbWriteMultiplierMs = 1;

constexpr char kUsbfsPrefix[] = "/dev/bus/usb/";

// libusb derives its error codes from the kernel's errno; going back to it keeps one mapping
// of the backend's errors, and the errno is the native code that support can look up.
Error ErrorFromLibusb(int code, During when) {
    int errnoValue = 0;
    switch (code) {
        case LIBUSB_SUCCESS:
            return Error::None();
        case LIBUSB_ERROR_IO:
            errnoValue = EIO;
            break;
        case LIBUSB_ERROR_INVALID_PARAM:
            errnoValue = EINVAL;
            break;
        case LIBUSB_ERROR_ACCESS:
            errnoValue = EACCES;
            break;
        case LIBUSB_ERROR_NO_DEVICE:
            errnoValue = ENODEV;
            break;
        case LIBUSB_ERROR_NOT_FOUND:
            errnoValue = ENOENT;
            break;
        case LIBUSB_ERROR_BUSY:
            errnoValue = EBUSY;
            break;
        case LIBUSB_ERROR_TIMEOUT:
            errnoValue = ETIMEDOUT;
            break;
        case LIBUSB_ERROR_OVERFLOW:
            errnoValue = EOVERFLOW;
            break;
        case LIBUSB_ERROR_PIPE:
            errnoValue = EPIPE;
            break;
        case LIBUSB_ERROR_INTERRUPTED:
            errnoValue = EINTR;
            break;
        case LIBUSB_ERROR_NO_MEM:
            errnoValue = ENOMEM;
            break;
        case LIBUSB_ERROR_NOT_SUPPORTED:
            errnoValue = EOPNOTSUPP;
            break;
        default:
            return {ErrorKind::Other, code, NativeSource::Libusb};
    }
    return ErrorFromErrno(errnoValue, when);
}

struct ContextExit {
    void operator()(libusb_context* context) const { libusb_exit(context); }
};
using Context = std::unique_ptr<libusb_context, ContextExit>;

// A context of its own for each listing and each open device: a device list made earlier would
// not show a printer plugged in since, and nothing is kept between searches.
Context MakeContext(Error& error) {
    libusb_context* context = nullptr;
    int result = libusb_init(&context);
    error = ErrorFromLibusb(result, During::Open);
    return Context(result == LIBUSB_SUCCESS ? context : nullptr);
}

class DeviceList {
public:
    explicit DeviceList(libusb_context* context) {
        ssize_t count = libusb_get_device_list(context, &devices_);
        count_ = count > 0 ? static_cast<std::size_t>(count) : 0;
    }
    ~DeviceList() {
        if (devices_ != nullptr) {
            libusb_free_device_list(devices_, 1);
        }
    }
    DeviceList(const DeviceList&) = delete;
    DeviceList& operator=(const DeviceList&) = delete;

    libusb_device** begin() const { return devices_; }
    libusb_device** end() const { return devices_ + count_; }

private:
    libusb_device** devices_ = nullptr;
    std::size_t count_ = 0;
};

struct ConfigFree {
    void operator()(libusb_config_descriptor* config) const {
        libusb_free_config_descriptor(config);
    }
};

// The printer interface of a device and the bulk endpoints the printer talks through.
struct PrinterInterface {
    std::uint8_t configuration = 0;
    std::uint8_t number = 0;
    std::uint8_t altSetting = 0;
    std::uint8_t outEndpoint = 0;
    std::uint8_t inEndpoint = 0;  // 0 for a printer that cannot answer
};

// The first interface of printer class with a bulk OUT endpoint; among its settings the first
// that also has a bulk IN one, since the program reads the printer's replies.
std::optional<PrinterInterface> FindPrinterInterface(libusb_device* device) {
    libusb_config_descriptor* raw = nullptr;
    if (libusb_get_active_config_descriptor(device, &raw) != LIBUSB_SUCCESS &&
        libusb_get_config_descriptor(device, 0, &raw) != LIBUSB_SUCCESS) {
        return std::nullopt;
    }
    std::unique_ptr<libusb_config_descriptor, ConfigFree> config(raw);
    for (int i = 0; i < config->bNumInterfaces; ++i) {
        const libusb_interface& interface = config->interface[i];
        std::optional<PrinterInterface> found;
        for (int a = 0; a < interface.num_altsetting; ++a) {
            const libusb_interface_descriptor& setting = interface.altsetting[a];
            if (setting.bInterfaceClass != LIBUSB_CLASS_PRINTER) {
                continue;
            }
            PrinterInterface candidate;
            candidate.configuration = config->bConfigurationValue;
            candidate.number = setting.bInterfaceNumber;
            candidate.altSetting = setting.bAlternateSetting;
            for (int e = 0; e < setting.bNumEndpoints; ++e) {
                const libusb_endpoint_descriptor& endpoint = setting.endpoint[e];
                if ((endpoint.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) !=
                    LIBUSB_ENDPOINT_TRANSFER_TYPE_BULK) {
                    continue;
                }
                std::uint8_t& slot = (endpoint.bEndpointAddress & LIBUSB_ENDPOINT_IN) != 0
                                         ? candidate.inEndpoint
                                         : candidate.outEndpoint;
                if (slot == 0) {
                    slot = endpoint.bEndpointAddress;
                }
            }
            if (candidate.outEndpoint == 0) {
                continue;
            }
            if (candidate.inEndpoint != 0) {
                return candidate;
            }
            if (!found) {
                found = candidate;
            }
        }
        if (found) {
            return found;
        }
    }
    return std::nullopt;
}

UsbAddress AddressOfDevice(libusb_device* device) {
    return {libusb_get_bus_number(device), libusb_get_device_address(device)};
}

std::string UsbfsPath(UsbAddress address) {
    char path[32];
    std::snprintf(path, sizeof(path), "%s%03u/%03u", kUsbfsPrefix, address.bus, address.device);
    return path;
}

// Where sysfs describes the interface, such as /sys/bus/usb/devices/1-4.2:1.0, for support.
std::string SysfsPath(libusb_device* device, const PrinterInterface& printer) {
    std::uint8_t ports[8];
    int depth = libusb_get_port_numbers(device, ports, sizeof(ports));
    std::string name = std::to_string(libusb_get_bus_number(device));
    for (int i = 0; i < depth; ++i) {
        name += (i == 0 ? "-" : ".") + std::to_string(ports[i]);
    }
    return "/sys/bus/usb/devices/" + name + ":" + std::to_string(printer.configuration) + "." +
           std::to_string(printer.number);
}

struct TransferFree {
    void operator()(libusb_transfer* transfer) const { libusb_free_transfer(transfer); }
};

void LIBUSB_CALL MarkCompleted(libusb_transfer* transfer) {
    *static_cast<int*>(transfer->user_data) = 1;
}

// What a finished transfer's status means, as libusb's own blocking transfer reports it.
int ResultOf(const libusb_transfer& transfer) {
    switch (transfer.status) {
        case LIBUSB_TRANSFER_COMPLETED:
            return LIBUSB_SUCCESS;
        case LIBUSB_TRANSFER_TIMED_OUT:
            return LIBUSB_ERROR_TIMEOUT;
        case LIBUSB_TRANSFER_STALL:
            return LIBUSB_ERROR_PIPE;
        case LIBUSB_TRANSFER_OVERFLOW:
            return LIBUSB_ERROR_OVERFLOW;
        case LIBUSB_TRANSFER_NO_DEVICE:
            return LIBUSB_ERROR_NO_DEVICE;
        default:
            return LIBUSB_ERROR_OTHER;
    }
}

class LibusbPrinter final : public Device {
public:
    LibusbPrinter(Context context, libusb_device_handle* handle, PrinterInterface printer,
                  bool claimed, bool detached, std::string path, std::shared_ptr<WaitPacer> pacer)
        : context_(std::move(context)),
          handle_(handle),
          printer_(printer),
          claimed_(claimed),
          detached_(detached),
          path_(std::move(path)),
          pacer_(std::move(pacer)) {}

    ~LibusbPrinter() override {
        if (claimed_) {
            libusb_release_interface(handle_, printer_.number);
        }
        // The kernel driver gets the printer back exactly when this session took it away.
        if (detached_) {
            libusb_attach_kernel_driver(handle_, printer_.number);
        }
        libusb_close(handle_);
    }

    LibusbPrinter(const LibusbPrinter&) = delete;
    LibusbPrinter& operator=(const LibusbPrinter&) = delete;

    IoResult Write(std::span<const std::uint8_t> data) override {
        if (data.empty()) {
            return {};
        }
        auto timeout = static_cast<unsigned int>(UsbWriteBudget(data.size()).count());
        return Transfer(printer_.outEndpoint, const_cast<std::uint8_t*>(data.data()), data.size(),
                        timeout);
    }

    // One bulk transfer: the printer's reply comes whole, in one transfer.
    IoResult Read(std::span<std::uint8_t> buffer) override {
        if (printer_.inEndpoint == 0) {
            return {0, {ErrorKind::Unsupported, EOPNOTSUPP, NativeSource::Errno}};
        }
        if (buffer.empty()) {
            return {};
        }
        return Transfer(printer_.inEndpoint, buffer.data(), buffer.size(), kUsbReadTimeoutMs);
    }

    // The printer class has no purge request; nothing is buffered on our side.
    Error Purge() override { return {ErrorKind::Unsupported, 0}; }

    std::string Name() const override { return path_; }

private:
    // One bulk transfer, submitted once and waited for in slices so that the wait hook runs
    // meanwhile; libusb's own time-out ends it, as it would a blocking transfer.
    IoResult Transfer(std::uint8_t endpoint, std::uint8_t* bytes, std::size_t size,
                      unsigned int timeoutMs) {
        int length = static_cast<int>(std::min<std::size_t>(size, INT_MAX));
        int moved = 0;
        int result = LIBUSB_ERROR_NO_MEM;
        std::unique_ptr<libusb_transfer, TransferFree> transfer(libusb_alloc_transfer(0));
        if (transfer) {
            int completed = 0;
            libusb_fill_bulk_transfer(transfer.get(), handle_, endpoint, bytes, length,
                                      MarkCompleted, &completed, timeoutMs);
            result = libusb_submit_transfer(transfer.get());
            if (result == LIBUSB_SUCCESS) {
                result = AwaitCompletion(*transfer, completed, timeoutMs);
            }
            if (result == LIBUSB_SUCCESS) {
                moved = transfer->actual_length;
                result = ResultOf(*transfer);
            }
        }
        IoResult io;
        io.count = moved > 0 ? static_cast<std::size_t>(moved) : 0;
        // A read that got part of a reply before its time ran out has that reply.
        bool partialRead =
            result == LIBUSB_ERROR_TIMEOUT && io.count > 0 && (endpoint & LIBUSB_ENDPOINT_IN) != 0;
        if (!partialRead) {
            io.error = ErrorFromLibusb(result, During::Use);
        }
        return io;
    }

    // Handles libusb's events until the transfer has completed; an error of the event handling
    // cancels the transfer, waits for it to end and is the result.
    int AwaitCompletion(libusb_transfer& transfer, int& completed, unsigned int timeoutMs) {
        // A wait without a hook needs no slices; one bounded by the time-out only loops again.
        const std::chrono::milliseconds whole(timeoutMs + 1000);
        while (completed == 0) {
            std::chrono::milliseconds slice = whole;
            if (pacer_) {
                pacer_->CallIfDue();
                slice = pacer_->Slice(whole);
            }
            timeval wait{};
            wait.tv_sec = static_cast<time_t>(slice.count() / 1000);
            wait.tv_usec = static_cast<suseconds_t>((slice.count() % 1000) * 1000);
            int result = libusb_handle_events_timeout_completed(context_.get(), &wait, &completed);
            if (result == LIBUSB_ERROR_INTERRUPTED) {
                continue;
            }
            if (result < 0) {
                libusb_cancel_transfer(&transfer);
                while (completed == 0 &&
                       libusb_handle_events_completed(context_.get(), &completed) >= 0) {
                }
                return result;
            }
        }
        return LIBUSB_SUCCESS;
    }

    Context context_;
    libusb_device_handle* handle_;
    PrinterInterface printer_;
    bool claimed_;
    bool detached_;
    std::string path_;
    std::shared_ptr<WaitPacer> pacer_;
};

}  // namespace

std::chrono::milliseconds UsbWriteBudget(std::size_t bytes) {
    return std::chrono::milliseconds(static_cast<long long>(kUsbWriteConstantMs) +
                                     static_cast<long long>(kUsbWriteMultiplierMs) *
                                         static_cast<long long>(bytes));
}

std::vector<UsbPrinterInfo> LibusbPrinters::List(const std::vector<UsbAddress>& leaveOut) {
    std::vector<UsbPrinterInfo> printers;
    Error error;
    Context context = MakeContext(error);
    if (!context) {
        return printers;
    }
    DeviceList devices(context.get());
    // libusb keeps no useful order; by address, printers come in the order they appeared, as
    // usblp numbers its nodes.
    std::vector<libusb_device*> ordered(devices.begin(), devices.end());
    std::sort(ordered.begin(), ordered.end(), [](libusb_device* a, libusb_device* b) {
        UsbAddress first = AddressOfDevice(a);
        UsbAddress second = AddressOfDevice(b);
        return std::tie(first.bus, first.device) < std::tie(second.bus, second.device);
    });
    for (libusb_device* device : ordered) {
        UsbAddress address = AddressOfDevice(device);
        if (std::find(leaveOut.begin(), leaveOut.end(), address) != leaveOut.end()) {
            continue;
        }
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(device, &descriptor) != LIBUSB_SUCCESS) {
            continue;
        }
        auto printer = FindPrinterInterface(device);
        if (!printer) {
            continue;
        }
        UsbPrinterInfo info;
        info.devicePath = UsbfsPath(address);
        info.sysPath = SysfsPath(device, *printer);
        info.vendorId = descriptor.idVendor;
        info.productId = descriptor.idProduct;
        printers.push_back(std::move(info));
    }
    return printers;
}

std::optional<UsbAddress> LibusbPrinters::AddressOf(const std::string& devicePath) {
    constexpr std::size_t prefixLength = sizeof(kUsbfsPrefix) - 1;
    // Exactly /dev/bus/usb/BBB/DDD, as UsbfsPath writes it.
    if (devicePath.size() != prefixLength + 7 ||
        devicePath.compare(0, prefixLength, kUsbfsPrefix) != 0 ||
        devicePath[prefixLength + 3] != '/') {
        return std::nullopt;
    }
    auto parse = [&](std::size_t offset, std::uint8_t& value) {
        const char* first = devicePath.data() + offset;
        auto [end, ec] = std::from_chars(first, first + 3, value);
        return ec == std::errc() && end == first + 3;
    };
    UsbAddress address;
    if (!parse(prefixLength, address.bus) || !parse(prefixLength + 4, address.device)) {
        return std::nullopt;
    }
    return address;
}

std::unique_ptr<Device> LibusbPrinters::Open(UsbAddress address, const std::string& devicePath,
                                             bool exclusive, Error& error,
                                             std::shared_ptr<WaitPacer> pacer) {
    Context context = MakeContext(error);
    if (!context) {
        return nullptr;
    }
    libusb_device* device = nullptr;
    DeviceList devices(context.get());
    for (libusb_device* candidate : devices) {
        if (AddressOfDevice(candidate) == address) {
            device = candidate;
            break;
        }
    }
    std::optional<PrinterInterface> printer;
    if (device != nullptr) {
        printer = FindPrinterInterface(device);
    }
    if (!printer) {
        error = {ErrorKind::NotFound, ENODEV, NativeSource::Errno};
        return nullptr;
    }
    libusb_device_handle* handle = nullptr;
    if (int result = libusb_open(device, &handle); result != LIBUSB_SUCCESS) {
        error = ErrorFromLibusb(result, During::Open);
        return nullptr;
    }
    auto fail = [&](int result, bool claimed, bool detached) -> std::unique_ptr<Device> {
        if (claimed) {
            libusb_release_interface(handle, printer->number);
        }
        if (detached) {
            libusb_attach_kernel_driver(handle, printer->number);
        }
        libusb_close(handle);
        error = ErrorFromLibusb(result, During::Open);
        return nullptr;
    };

    // 1 when a kernel driver such as usblp serves the interface; a program that claimed it
    // through usbfs does not count here, and its claim refuses ours below.
    int kernelDriver = libusb_kernel_driver_active(handle, printer->number);
    if (kernelDriver < 0 && kernelDriver != LIBUSB_ERROR_NOT_SUPPORTED) {
        return fail(kernelDriver, false, false);
    }
    bool detached = false;
    if (kernelDriver == 1) {
        if (!exclusive) {
            // Proving that the printer is free must not take it from its driver.
            error = Error::None();
            return std::make_unique<LibusbPrinter>(std::move(context), handle, *printer, false,
                                                   false, devicePath, std::move(pacer));
        }
        int result = libusb_detach_kernel_driver(handle, printer->number);
        if (result != LIBUSB_SUCCESS && result != LIBUSB_ERROR_NOT_FOUND) {
            return fail(result, false, false);
        }
        detached = result == LIBUSB_SUCCESS;
    }
    if (int result = libusb_claim_interface(handle, printer->number); result != LIBUSB_SUCCESS) {
        return fail(result, false, detached);
    }
    if (printer->altSetting != 0) {
        int result = libusb_set_interface_alt_setting(handle, printer->number, printer->altSetting);
        if (result != LIBUSB_SUCCESS) {
            return fail(result, true, detached);
        }
    }
    error = Error::None();
    return std::make_unique<LibusbPrinter>(std::move(context), handle, *printer, true, detached,
                                           devicePath, std::move(pacer));
}

}  // namespace corvane::platform::posix
