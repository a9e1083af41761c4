#include "platform/posix/ErrorFromErrno.h"

#include <cerrno>

namespace corvane::platform::posix {

Error ErrorFromErrno(int errnoValue, During when) {
    ErrorKind kind = ErrorKind::Other;
    switch (errnoValue) {
        case 0:
            return Error::None();
        // At open there is no such device (no printer, no UART); on an open one it went away.
        case ENODEV:
        case EIO:
            kind = when == During::Open ? ErrorKind::NotFound : ErrorKind::Disconnected;
            break;
        case ENOENT:
        case ENXIO:
        case ENOTDIR:
            kind = ErrorKind::NotFound;
            break;
        // Nothing takes the connection at a network address: no printer listens there, or no
        // route leads to it.
        case ECONNREFUSED:
        case EHOSTUNREACH:
        case EHOSTDOWN:
        case ENETUNREACH:
        case ENETDOWN:
            kind = ErrorKind::NotFound;
            break;
        // A lock (EWOULDBLOCK is EAGAIN) or an exclusive open held by another opener.
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
        // A device that was pulled out mid-request.
        case EPIPE:
        case ECONNRESET:
        case ECONNABORTED:
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
    return {kind, errnoValue, NativeSource::Errno};
}

}  // namespace corvane::platform::posix
