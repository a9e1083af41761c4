#include <cerrno>

#include "platform/posix/PosixPlatform.h"

namespace corvane::platform::posix {

Error ErrorFromErrno(int errnoValue) {
    ErrorKind kind = ErrorKind::Other;
    switch (errnoValue) {
        case 0:
            return Error::None();
        case ENOENT:
        case ENODEV:
        case ENXIO:
        case ENOTDIR:
            kind = ErrorKind::NotFound;
            break;
        // A lock or an exclusive open held by another opener.
        case EBUSY:
        case EAGAIN:
        case ETXTBSY:
            kind = ErrorKind::Busy;
            break;
        case EACCES:
        case EPERM:
        case EROFS:
            kind = ErrorKind::AccessDenied;
            break;
        case EINVAL:
        case ERANGE:
            kind = ErrorKind::InvalidArgument;
            break;
        case ETIMEDOUT:
            kind = ErrorKind::TimedOut;
            break;
        // A terminal whose other end hung up, or a device that was pulled out mid-request.
        case EIO:
        case EPIPE:
        case ECONNRESET:
        case ENOTCONN:
        case ESHUTDOWN:
            kind = ErrorKind::Disconnected;
            break;
        case ENOTTY:
        case ENOSYS:
        case EOPNOTSUPP:
            kind = ErrorKind::Unsupported;
            break;
        default:
            kind = ErrorKind::Other;
            break;
    }
    return {kind, errnoValue};
}

}  // namespace corvane::platform::posix
