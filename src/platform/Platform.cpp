#include "platform/Platform.h"

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

}  // namespace corvane::platform
