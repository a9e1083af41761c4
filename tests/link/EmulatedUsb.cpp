#include "EmulatedUsb.h"

#include <dlfcn.h>
#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>
#include <umockdev.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace corvane::usb_test {

namespace {

std::string Hex(const Bytes& bytes) {
    std::string text;
    char two[3];
    for (std::uint8_t byte : bytes) {
        std::snprintf(two, sizeof(two), "%02x", byte);
        text += two;
    }
    return text;
}

// The device and configuration descriptors of a full-speed printer with one bidirectional
// printer interface, as the kernel keeps them in the sysfs attribute "descriptors".
std::string Descriptors(std::uint16_t vendorId, std::uint16_t productId) {
    auto low = [](std::uint16_t value) { return static_cast<std::uint8_t>(value & 0xff); };
    auto high = [](std::uint16_t value) { return static_cast<std::uint8_t>(value >> 8); };
    Bytes bytes = {// device: USB 2.0, class per interface, 64-byte control endpoint
                   0x12, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x40, low(vendorId), high(vendorId),
                   low(productId), high(productId), 0x00, 0x01, 0x01, 0x02, 0x03, 0x01,
                   // configuration 1, 32 bytes in all, one interface, self powered
                   0x09, 0x02, 0x20, 0x00, 0x01, 0x01, 0x00, 0xc0, 0x32,
                   // interface 0: printer class, printer subclass, bidirectional
                   0x09, 0x04, 0x00, 0x00, 0x02, 0x07, 0x01, 0x02, 0x00,
                   // bulk OUT 0x01 and bulk IN 0x82, 64 bytes each
                   0x07, 0x05, 0x01, 0x02, 0x40, 0x00, 0x00, 0x07, 0x05, 0x82, 0x02, 0x40, 0x00,
                   0x00};
    return Hex(bytes);
}

gboolean OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer printer) {
    return static_cast<EmulatedPrinter*>(printer)->HandleIoctl(client) ? TRUE : FALSE;
}

void OnVanished(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer printer) {
    static_cast<EmulatedPrinter*>(printer)->Vanished(client);
}

}  // namespace

void EmulatedPrinter::SetResponder(Responder responder) {
    std::lock_guard lock(mutex_);
    responder_ = std::move(responder);
}

void EmulatedPrinter::StopTakingData() {
    std::lock_guard lock(mutex_);
    takesData_ = false;
}

void EmulatedPrinter::RefuseClaimAfterDetach(int errnoValue) {
    std::lock_guard lock(mutex_);
    claimErrnoAfterDetach_ = errnoValue;
}

InterfaceLog EmulatedPrinter::Log() const {
    std::lock_guard lock(mutex_);
    const_cast<EmulatedPrinter*>(this)->DropClaimOf(nullptr);
    return log_;
}

void EmulatedPrinter::Vanished(UMockdevIoctlClient* client) {
    std::lock_guard lock(mutex_);
    DropClaimOf(client);
}

void EmulatedPrinter::DropClaimOf(UMockdevIoctlClient* client) {
    // The kernel drops the claims of a closed usbfs file, also of a killed program's, before its
    // parent hears of its end, but binds no driver again; umockdev may tell of a vanished client
    // later than that, or not at all.
    if (claimant_ == nullptr ||
        (claimant_ != client && umockdev_ioctl_client_get_connected(claimant_))) {
        return;
    }
    g_object_unref(claimant_);
    claimant_ = nullptr;
    log_.claimed = false;
}

bool EmulatedPrinter::HandleIoctl(UMockdevIoctlClient* client) {
    std::unique_lock lock(mutex_);
    DropClaimOf(nullptr);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    auto complete = [&](long result, int errnoValue) {
        umockdev_ioctl_client_complete(client, result, errnoValue);
        return true;
    };
    switch (umockdev_ioctl_client_get_request(client)) {
        case USBDEVFS_GET_CAPABILITIES: {
            UMockdevIoctlData* caps = umockdev_ioctl_data_resolve(arg, 0, sizeof(guint32), nullptr);
            *reinterpret_cast<guint32*>(caps->data) =
                USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM |
                USBDEVFS_CAP_REAP_AFTER_DISCONNECT | USBDEVFS_CAP_ZERO_PACKET;
            g_object_unref(caps);
            return complete(0, 0);
        }
        case USBDEVFS_GETDRIVER: {
            UMockdevIoctlData* data =
                umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_getdriver), nullptr);
            auto* request = reinterpret_cast<usbdevfs_getdriver*>(data->data);
            const char* driver = heldElsewhere_ || claimant_ != nullptr ? "usbfs"
                                 : log_.driverBound                     ? "usblp"
                                                                        : nullptr;
            if (driver != nullptr) {
                std::snprintf(request->driver, sizeof(request->driver), "%s", driver);
            }
            g_object_unref(data);
            return driver != nullptr ? complete(0, 0) : complete(-1, ENODATA);
        }
        case USBDEVFS_IOCTL: {
            UMockdevIoctlData* data =
                umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_ioctl), nullptr);
            int code = reinterpret_cast<usbdevfs_ioctl*>(data->data)->ioctl_code;
            g_object_unref(data);
            if (code == static_cast<int>(USBDEVFS_DISCONNECT)) {
                if (!log_.driverBound) {
                    return complete(-1, ENODATA);
                }
                log_.driverBound = false;
                ++log_.detaches;
                return complete(0, 0);
            }
            if (code == static_cast<int>(USBDEVFS_CONNECT)) {
                if (claimant_ != nullptr || heldElsewhere_) {
                    return complete(-1, EBUSY);
                }
                // Binding probes every driver; usblp takes a printer interface, and the kernel
                // answers 1 for a driver bound.
                log_.driverBound = true;
                ++log_.attaches;
                return complete(1, 0);
            }
            return complete(-1, ENOTTY);
        }
        case USBDEVFS_CLAIMINTERFACE: {
            if (heldElsewhere_ || log_.driverBound ||
                (claimant_ != nullptr && claimant_ != client)) {
                return complete(-1, EBUSY);
            }
            if (claimErrnoAfterDetach_ != 0 && log_.detaches > 0) {
                return complete(-1, claimErrnoAfterDetach_);
            }
            claimant_ = client;
            g_object_ref(claimant_);
            log_.claimed = true;
            ++log_.claims;
            return complete(0, 0);
        }
        case USBDEVFS_RELEASEINTERFACE:
            if (claimant_ != client) {
                return complete(-1, EINVAL);
            }
            g_object_unref(claimant_);
            claimant_ = nullptr;
            log_.claimed = false;
            ++log_.releases;
            return complete(0, 0);
        case USBDEVFS_SETINTERFACE:
        case USBDEVFS_CLEAR_HALT:
            return complete(0, 0);
        case USBDEVFS_SUBMITURB: {
            UMockdevIoctlData* data =
                umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), nullptr);
            auto* urb = reinterpret_cast<usbdevfs_urb*>(data->data);
            if (claimant_ != client || urb->type != USBDEVFS_URB_TYPE_BULK) {
                g_object_unref(data);
                return complete(-1, claimant_ != client ? EBUSY : EINVAL);
            }
            Urb entry;
            entry.data = data;
            entry.in = (urb->endpoint & 0x80) != 0;
            if (!entry.in && takesData_) {
                UMockdevIoctlData* buffer =
                    umockdev_ioctl_data_resolve(data, offsetof(usbdevfs_urb, buffer),
                                                static_cast<gsize>(urb->buffer_length), nullptr);
                Bytes sent(buffer->data, buffer->data + urb->buffer_length);
                g_object_unref(buffer);
                log_.received.push_back(sent);
                if (responder_) {
                    for (auto& reply : responder_(sent)) {
                        replies_.push_back(std::move(reply));
                    }
                }
            }
            urbs_.push_back(entry);
            return complete(0, 0);
        }
        case USBDEVFS_DISCARDURB: {
            auto address = reinterpret_cast<gulong>(*reinterpret_cast<void**>(arg->data));
            for (auto& entry : urbs_) {
                if (entry.data->client_addr == address && !entry.discarded) {
                    entry.discarded = true;
                    return complete(0, 0);
                }
            }
            return complete(-1, EINVAL);
        }
        case USBDEVFS_REAPURB:
        case USBDEVFS_REAPURBNDELAY:
            return Reap(client, arg, lock);
        default:
            return false;
    }
}

bool EmulatedPrinter::Reap(UMockdevIoctlClient* client, UMockdevIoctlData* arg,
                           std::unique_lock<std::mutex>& lock) {
    // A discarded transfer comes back first, then written ones, then reads that have a reply.
    auto ready = urbs_.end();
    for (auto it = urbs_.begin(); it != urbs_.end(); ++it) {
        if (it->discarded || (!it->in && takesData_)) {
            ready = it;
            break;
        }
        if (ready == urbs_.end() && !replies_.empty()) {
            ready = it;
        }
    }
    if (ready == urbs_.end()) {
        lock.unlock();
        ::usleep(kNothingReadyPauseUs);
        lock.lock();
        umockdev_ioctl_client_complete(client, -1, EAGAIN);
        return true;
    }
    auto* urb = reinterpret_cast<usbdevfs_urb*>(ready->data->data);
    if (ready->discarded) {
        urb->status = -ENOENT;
        urb->actual_length = 0;
    } else if (!ready->in) {
        urb->status = 0;
        urb->actual_length = urb->buffer_length;
    } else {
        Bytes reply = std::move(replies_.front());
        replies_.pop_front();
        std::size_t length = std::min<std::size_t>(reply.size(), urb->buffer_length);
        UMockdevIoctlData* buffer =
            umockdev_ioctl_data_resolve(ready->data, offsetof(usbdevfs_urb, buffer),
                                        static_cast<gsize>(urb->buffer_length), nullptr);
        std::memcpy(buffer->data, reply.data(), length);
        g_object_unref(buffer);
        urb->status = 0;
        urb->actual_length = static_cast<int>(length);
    }
    UMockdevIoctlData* pointer = umockdev_ioctl_data_resolve(arg, 0, sizeof(gpointer), nullptr);
    umockdev_ioctl_data_set_ptr(pointer, 0, ready->data);
    g_object_unref(pointer);
    g_object_unref(ready->data);
    urbs_.erase(ready);
    umockdev_ioctl_client_complete(client, 0, 0);
    return true;
}

EmulatedUsb::EmulatedUsb() {
    // The preload library redirects /sys and /dev into the testbed; without it libusb would see
    // the machine's own bus.
    if (::dlopen("libumockdev-preload.so.0", RTLD_NOLOAD | RTLD_LAZY) == nullptr) {
        failure_ = "this test must run under umockdev-wrapper (Debian package umockdev)";
        return;
    }
    testbed_ = umockdev_testbed_new();
}

EmulatedUsb::~EmulatedUsb() {
    for (auto& printer : printers_) {
        if (testbed_ != nullptr) {
            umockdev_testbed_detach_ioctl(testbed_, printer->usbfsPath_.c_str(), nullptr);
        }
        for (auto& urb : printer->urbs_) {
            g_object_unref(urb.data);
        }
        if (printer->claimant_ != nullptr) {
            g_object_unref(printer->claimant_);
        }
    }
    for (UMockdevIoctlBase* handler : handlers_) {
        g_object_unref(handler);
    }
    if (testbed_ != nullptr) {
        g_object_unref(testbed_);
    }
}

EmulatedPrinter& EmulatedUsb::AddPrinter(std::uint16_t vendorId, std::uint16_t productId,
                                         Holder holder) {
    auto printer = std::make_unique<EmulatedPrinter>();
    int address = static_cast<int>(printers_.size()) + 2;  // address 1 is the root hub's
    char node[32];
    std::snprintf(node, sizeof(node), "bus/usb/001/%03d", address);
    printer->usbfsPath_ = std::string("/dev/") + node;
    printer->log_.driverBound = holder != Holder::Nobody && holder != Holder::AnotherProgram;
    printer->heldElsewhere_ = holder == Holder::AnotherProgram;
    if (testbed_ == nullptr) {
        printers_.push_back(std::move(printer));
        return *printers_.back();
    }

    // The handler goes in before the device, so that the device is never seen without it.
    UMockdevIoctlBase* handler = umockdev_ioctl_base_new();
    g_signal_connect(handler, "handle-ioctl", G_CALLBACK(OnIoctl), printer.get());
    g_signal_connect(handler, "client-vanished", G_CALLBACK(OnVanished), printer.get());
    handlers_.push_back(handler);
    GError* error = nullptr;
    if (!umockdev_testbed_attach_ioctl(testbed_, printer->usbfsPath_.c_str(), handler, &error)) {
        failure_ = std::string("cannot attach the usbfs handler: ") + error->message;
        g_error_free(error);
    }

    std::string port = "1-" + std::to_string(address - 1);
    std::string devicePath = "/devices/pci0000:00/0000:00:14.0/usb1/" + port;
    char dev[16];
    std::snprintf(dev, sizeof(dev), "189:%d", address - 1);
    char ids[64];
    std::snprintf(ids, sizeof(ids), "A: idVendor=%04x\\n\nA: idProduct=%04x\\n\n", vendorId,
                  productId);
    std::string text =
        "P: " + devicePath + "\nN: " + node +
        "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nE: DEVNAME=" + printer->usbfsPath_ +
        "\nA: busnum=1\\n\nA: devnum=" + std::to_string(address) +
        "\\n\nA: speed=12\\n\nA: dev=" + dev + "\\n\nA: bConfigurationValue=1\\n\n" + ids +
        "H: descriptors=" + Descriptors(vendorId, productId) + "\n\n";
    std::string interfacePath = devicePath + "/" + port + ":1.0";
    text += "P: " + interfacePath +
            "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\nA: bInterfaceClass=07\\n\n"
            "A: bInterfaceNumber=00\\n\n";
    if (printer->log_.driverBound) {
        text += "E: DRIVER=usblp\nL: driver=../../../../../../bus/usb/drivers/usblp\n";
    }
    text += "\n";
    if (printer->log_.driverBound) {
        std::string lp = "lp" + std::to_string(lpCount_++);
        text += "P: " + interfacePath + "/usbmisc/" + lp +
                "\nE: SUBSYSTEM=usbmisc\nL: device=../../../" + port + ":1.0\n";
        if (holder == Holder::Usblp) {
            printer->lpPath_ = "/dev/usb/" + lp;
            text += "N: usb/" + lp + "\nE: DEVNAME=" + printer->lpPath_ + "\n";
        }
        text += "A: dev=180:" + std::to_string(lpCount_ - 1) + "\\n\n\n";
    }
    if (!umockdev_testbed_add_from_string(testbed_, text.c_str(), &error)) {
        failure_ = std::string("cannot add the printer: ") + error->message;
        g_error_free(error);
    }
    printers_.push_back(std::move(printer));
    return *printers_.back();
}

}  // namespace corvane::usb_test
