#include "platform/Platform.h"

#include <cerrno>
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
        case NativeSource::Resolver:
            return "resolver error " + number;
        case NativeSource::None:
            break;
    }
    return "code " + number;
}

std::string NetworkDeviceName(const std::string& host, std::uint16_t port) {
    bool ipv6 = host.find(':') != std::string::npos;
    return "tcp:" + (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

std::string DescribeNetworkError(const Error& error) {
    switch (error.nativeSource) {
        case NativeSource::Resolver:
            return "no such host";
        case NativeSource::Errno:
            switch (error.nativeCode) {
                case ECONNREFUSED:
                    return "connection refused";
                case EHOSTUNREACH:
                    return "host unreachable";
                case ENETUNREACH:
                case ENETDOWN:
                    return "network unreachable";
                case ETIMEDOUT:
                    return "no answer from the host";
                case ECONNRESET:
                case ECONNABORTED:
                    return "connection reset";
                default:
                    return {};
            }
        case NativeSource::Win32:
            // The Windows Sockets codes, which winsock2.h spells WSAE... and WSAHOST_NOT_FOUND.
            switch (error.nativeCode) {
                case 10061:
                    return "connection refused";
                case 10065:
                    return "host unreachable";
                case 10050:
                case 10051:
                    return "network unreachable";
                case 10060:
                case 1460:  // ERROR_TIMEOUT
                    return "no answer from the host";
                case 10053:
                case 10054:
                    return "connection reset";
                case 11001:
                case 11002:
                case 11003:
                case 11004:
                    return "no such host";
                default:
                    return {};
            }
        default:
            return {};
    }
}

}  // namespace corvane::platform
