// USB printers on Windows: the interfaces of the USB printing support driver, as the setup API
// lists them, opened through their device paths.

#include <initguid.h>

#include "platform/win32/WinApi.h"

#include <setupapi.h>
#include <usbprint.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/ErrorFromWin32.h"
#include "platform/win32/OverlappedIo.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/UsbIds.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Platform.h"

namespace corvane::platform::win32 {

namespace {

// A USB write may take as long as a serial one: the printer takes data only as it prints.
constexpr std::uint32_t kUsbWriteConstantMs = 2000;
constexpr std::uint32_t kUsbWriteMultiplierMs = 1;

// The longest device instance id the setup API hands out, with its terminating zero.
constexpr DWORD kMaxDeviceIdLength = 200;

class Win32UsbDevice final : public Device {
public:
    Win32UsbDevice(UniqueHandle handle, std::string path, std::shared_ptr<WaitPacer> pacer)
        : handle_(std::move(handle)), path_(std::move(path)), pacer_(std::move(pacer)) {}

    IoResult Write(std::span<const std::uint8_t> data) override {
        auto budget =
            kUsbWriteConstantMs + kUsbWriteMultiplierMs * static_cast<std::uint32_t>(data.size());
        return WriteWithin(handle_.Get(), data, budget, pacer_.get());
    }
    IoResult Read(std::span<std::uint8_t> buffer) override {
        return ReadWithin(handle_.Get(), buffer, kUsbReadTimeoutMs, pacer_.get());
    }
    // The printer class has no purge request; nothing is buffered on our side.
    Error Purge() override { return {ErrorKind::Unsupported, 0}; }
    std::string Name() const override { return path_; }

private:
    UniqueHandle handle_;
    std::string path_;
    std::shared_ptr<WaitPacer> pacer_;
};

struct DeviceListCloser {
    void operator()(HDEVINFO list) const { SetupDiDestroyDeviceInfoList(list); }
};

// The device path of one enumerated interface, and the instance id of its device.
bool Describe(HDEVINFO list, SP_DEVICE_INTERFACE_DATA& interfaceData, std::wstring& path,
              std::wstring& instance) {
    DWORD size = 0;
    SetupDiGetDeviceInterfaceDetailW(list, &interfaceData, nullptr, 0, &size, nullptr);
    if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
        return false;
    }
    std::vector<std::uint8_t> buffer(size);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
    // The size of the fixed part, as the call checks it.
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof(device);
    if (!SetupDiGetDeviceInterfaceDetailW(list, &interfaceData, detail, size, nullptr, &device)) {
        return false;
    }
    path = detail->DevicePath;
    wchar_t id[kMaxDeviceIdLength] = {};
    if (SetupDiGetDeviceInstanceIdW(list, &device, id, kMaxDeviceIdLength, nullptr)) {
        instance = id;
    }
    return true;
}

}  // namespace

std::vector<UsbPrinterInfo> Win32Platform::ListUsbPrinters() {
    std::vector<UsbPrinterInfo> printers;
    HDEVINFO raw = SetupDiGetClassDevsW(&GUID_DEVINTERFACE_USBPRINT, nullptr, nullptr,
                                        DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (raw == INVALID_HANDLE_VALUE) {
        return printers;
    }
    std::unique_ptr<void, DeviceListCloser> list(raw);
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA interfaceData{};
        interfaceData.cbSize = sizeof(interfaceData);
        if (!SetupDiEnumDeviceInterfaces(raw, nullptr, &GUID_DEVINTERFACE_USBPRINT, index,
                                         &interfaceData)) {
            if (GetLastError() == ERROR_NO_MORE_ITEMS) {
                break;
            }
            continue;
        }
        std::wstring path;
        std::wstring instance;
        if (!Describe(raw, interfaceData, path, instance)) {
            continue;
        }
        // The ids are in the path of a USB device's interface; the device's own id has them too.
        auto ids = UsbIdsFromName(Narrow(path));
        if (!ids) {
            ids = UsbIdsFromName(Narrow(instance));
        }
        if (!ids) {
            continue;
        }
        UsbPrinterInfo info;
        info.devicePath = Narrow(path);
        info.sysPath = Narrow(instance);
        info.vendorId = ids->vendorId;
        info.productId = ids->productId;
        printers.push_back(std::move(info));
    }
    return printers;
}

std::unique_ptr<Device> Win32Platform::OpenUsbPrinter(const std::string& devicePath, bool exclusive,
                                                      Error& error) {
    UniqueHandle handle(OpenOverlapped(devicePath, exclusive, error));
    if (!handle.Valid()) {
        return nullptr;
    }
    return std::make_unique<Win32UsbDevice>(std::move(handle), devicePath, pacer_);
}

}  // namespace corvane::platform::win32
