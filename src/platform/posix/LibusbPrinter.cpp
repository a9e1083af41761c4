#include "platform/posix/LibusbPrinter.h"

#include <sys/time.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <mutex>
#include <set>
#include <utility>

#include "platform/LeftHeld.h"
#include "platform/posix/LibusbPrinters.h"

namespace corvane::platform::posix {

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

Context MakeContext(Error& error) {
    libusb_context* context = nullptr;
    int result = libusb_init(&context);
    error = ErrorFromLibusb(result, During::Open);
    return Context(result == LIBUSB_SUCCESS ? context : nullptr);
}

std::string DriverDetail(std::uint8_t interface, std::uint16_t vendorId, std::uint16_t productId) {
    char text[48];
    std::snprintf(text, sizeof(text), "interface %u of %04x:%04x", interface, vendorId, productId);
    return text;
}

Holding DriverHolding(const std::string& devicePath, const std::string& detail) {
    return {HoldingKind::Driver, {}, devicePath, detail, {}};
}

namespace {

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

class LibusbPrinter;

// The open printers that took an interface from its kernel driver, so that a program that ends
// without closing them can give the interfaces back.
struct DetachedPrinters {
    std::mutex lock;
    std::set<LibusbPrinter*> printers;
};

DetachedPrinters& Detached() {
    // Never destroyed: an exit handler may give the printers back while the program ends.
    static DetachedPrinters* detached = new DetachedPrinters();
    return *detached;
}

class LibusbPrinter final : public Device {
public:
    LibusbPrinter(Context context, libusb_device_handle* handle, PrinterInterface printer,
                  bool claimed, bool detached, std::string path, std::shared_ptr<WaitPacer> pacer,
                  Holdings* record = nullptr, std::string detail = {})
        : context_(std::move(context)),
          handle_(handle),
          printer_(printer),
          claimed_(claimed),
          detached_(detached),
          path_(std::move(path)),
          pacer_(std::move(pacer)),
          record_(record),
          detail_(std::move(detail)) {
        if (detached_) {
            std::lock_guard<std::mutex> hold(Detached().lock);
            Detached().printers.insert(this);
        }
    }

    ~LibusbPrinter() override {
        {
            std::lock_guard<std::mutex> hold(Detached().lock);
            Detached().printers.erase(this);
            GiveBack();
        }
        libusb_close(handle_);
    }

    // Lets go of the interface and binds the kernel driver again, exactly when this session took
    // it away; once. The caller holds the lock of the detached printers.
    void GiveBack() {
        if (claimed_) {
            libusb_release_interface(handle_, printer_.number);
            claimed_ = false;
        }
        if (!detached_) {
            return;
        }
        detached_ = false;
        int result = libusb_attach_kernel_driver(handle_, printer_.number);
        const std::string key = "driver " + path_;
        // No driver of the system wants the interface: it is as a fresh plug would leave it.
        if (result == LIBUSB_SUCCESS || result == LIBUSB_ERROR_NOT_FOUND) {
            if (record_ != nullptr) {
                record_->Remove(DriverHolding(path_, detail_));
            }
            LeftHeld::Clear(key);
            return;
        }
        LeftHeld::Add(nullptr, key,
                      "The USB printer at " + path_ +
                          " could not be given back to its kernel driver (" +
                          libusb_error_name(result) +
                          "); the next start of the program tries again, or unplug it and plug it "
                          "in again.");
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
    Holdings* record_;
    std::string detail_;
};

}  // namespace

std::unique_ptr<Device> MakeLibusbPrinter(Context context, libusb_device_handle* handle,
                                          PrinterInterface printer, bool claimed, bool detached,
                                          std::string path, std::shared_ptr<WaitPacer> pacer,
                                          Holdings* record, std::string detail) {
    return std::make_unique<LibusbPrinter>(std::move(context), handle, printer, claimed, detached,
                                           std::move(path), std::move(pacer), record,
                                           std::move(detail));
}

void GiveBackAllDetached() {
    std::lock_guard<std::mutex> hold(Detached().lock);
    for (LibusbPrinter* printer : Detached().printers) {
        printer->GiveBack();
    }
    Detached().printers.clear();
}

}  // namespace corvane::platform::posix
