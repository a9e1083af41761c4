#include "platform/Platform.h"

#include <cstdio>

namespace corvane::platform {

const char* ToString(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::None:
            return "no error";
        case ErrorKind::NotFound:
            return "no such device";
        case ErrorKind::Busy:
            return "device in use by another program";
        case ErrorKind::AccessDenied:
            return "access denied";
        case ErrorKind::InvalidArgument:
            return "setting not supported by the device";
        case ErrorKind::TimedOut:
            return "timed out";
        case ErrorKind::Disconnected:
            return "device disconnected";
        case ErrorKind::Unsupported:
            return "operation not supported";
        case ErrorKind::Other:
            return "system error";
    }
    return "system error";
}

std::string DescribeNativeCode(const Error& error) {
    if (error.nativeCode == 0) {
        return {};
    }
    const std::string number = std::to_string(error.nativeCode);
    switch (error.nativeSource) {
        case NativeSource::Errno:
            return "errno " + number;
        case NativeSource::Win32:
            return "Windows error " + number;
        case NativeSource::Libusb:
            return "libusb error " + number;
        case NativeSource::Ipp: {
            // IPP status codes are written in hexadecimal, as the standard lists them.
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%04X", static_cast<unsigned>(error.nativeCode));
            return std::string("IPP status ") + hex;
        }
        case NativeSource::None:
            break;
    }
    return "code " + number;
}

}  // namespace corvane::platform
