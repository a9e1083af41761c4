#include "platform/posix/LibusbPrinters.h"

#include <libusb.h>
#include <sys/time.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstdio>
#include <mutex>
#include <set>
#include <tuple>
#include <utility>

#include "platform/LeftHeld.h"
#include "platform/posix/ErrorFromErrno.h"
#include "platform/posix/LibusbPrinter.h"

namespace corvane::platform::posix {

namespace {

// A USB write may take as long as a serial one: the printer takes data only as it prints.
constexpr std::uint32_t kUsbWriteConstantMs = 2000;
constexpr std::uint32_t kUsbWriteMultiplierMs = 1;

constexpr char kUsbfsPrefix[] = "/dev/bus/usb/";

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

bool ParseDriverDetail(const std::string& detail, std::uint8_t& interface, std::uint16_t& vendorId,
                       std::uint16_t& productId) {
    unsigned number = 0;
    unsigned vendor = 0;
    unsigned product = 0;
    int end = 0;
    if (std::sscanf(detail.c_str(), "interface %u of %4x:%4x%n", &number, &vendor, &product,
                    &end) != 3 ||
        static_cast<std::size_t>(end) != detail.size() || number > 255) {
        return false;
    }
    interface = static_cast<std::uint8_t>(number);
    vendorId = static_cast<std::uint16_t>(vendor);
    productId = static_cast<std::uint16_t>(product);
    return true;
}

// The device at the address, in a list that must outlive its use.
libusb_device* FindDevice(const DeviceList& devices, UsbAddress address) {
    for (libusb_device* candidate : devices) {
        if (AddressOfDevice(candidate) == address) {
            return candidate;
        }
    }
    return nullptr;
}

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
                                             std::shared_ptr<WaitPacer> pacer, Holdings* record) {
    Context context = MakeContext(error);
    if (!context) {
        return nullptr;
    }
    DeviceList devices(context.get());
    libusb_device* device = FindDevice(devices, address);
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
    libusb_device_descriptor descriptor{};
    libusb_get_device_descriptor(device, &descriptor);
    const std::string detail =
        DriverDetail(printer->number, descriptor.idVendor, descriptor.idProduct);
    auto fail = [&](int result, bool claimed, bool detached) -> std::unique_ptr<Device> {
        if (claimed) {
            libusb_release_interface(handle, printer->number);
        }
        if (detached) {
            libusb_attach_kernel_driver(handle, printer->number);
        }
        if (detached && record != nullptr) {
            record->Remove(DriverHolding(devicePath, detail));
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
            return MakeLibusbPrinter(std::move(context), handle, *printer, false, false, devicePath,
                                     std::move(pacer), nullptr, {});
        }
        // Written before the driver goes, so that no way out of the program leaves it unbound
        // unnoticed.
        if (record != nullptr) {
            std::string why;
            if (!record->Add(DriverHolding(devicePath, detail), why)) {
                TellHoldingsOnce(nullptr, "record",
                                 "Cannot keep the record of what the program holds (" + why +
                                     "); a run that is killed leaves it to the user to give it "
                                     "back.");
            }
        }
        int result = libusb_detach_kernel_driver(handle, printer->number);
        if (result != LIBUSB_SUCCESS && result != LIBUSB_ERROR_NOT_FOUND) {
            if (record != nullptr) {
                record->Remove(DriverHolding(devicePath, detail));
            }
            return fail(result, false, false);
        }
        detached = result == LIBUSB_SUCCESS;
        if (!detached && record != nullptr) {
            record->Remove(DriverHolding(devicePath, detail));
        }
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
    return MakeLibusbPrinter(std::move(context), handle, *printer, true, detached, devicePath,
                             std::move(pacer), record, detail);
}

Error LibusbPrinters::GiveBackDriver(UsbAddress address, const std::string& detail) {
    std::uint8_t interface = 0;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    if (!ParseDriverDetail(detail, interface, vendorId, productId)) {
        return {ErrorKind::InvalidArgument, EINVAL, NativeSource::Errno};
    }
    Error error;
    Context context = MakeContext(error);
    if (!context) {
        return error;
    }
    DeviceList devices(context.get());
    libusb_device* device = FindDevice(devices, address);
    libusb_device_descriptor descriptor{};
    // A printer plugged in again, or another device at its address, got its driver at the plug.
    if (device == nullptr || libusb_get_device_descriptor(device, &descriptor) != LIBUSB_SUCCESS ||
        descriptor.idVendor != vendorId || descriptor.idProduct != productId) {
        return {ErrorKind::NotFound, ENODEV, NativeSource::Errno};
    }
    libusb_device_handle* handle = nullptr;
    if (int result = libusb_open(device, &handle); result != LIBUSB_SUCCESS) {
        return ErrorFromLibusb(result, During::Open);
    }
    int result = libusb_kernel_driver_active(handle, interface);
    if (result == 1) {
        result = LIBUSB_ERROR_NOT_FOUND;
    } else if (result == 0) {
        // The kernel refuses with EBUSY while a program has claimed the interface.
        result = libusb_attach_kernel_driver(handle, interface);
    }
    libusb_close(handle);
    return ErrorFromLibusb(result, During::Use);
}

void LibusbPrinters::GiveBackAll() {
    GiveBackAllDetached();
}

}  // namespace corvane::platform::posix
