#include <winsock2.h>

#include "platform/win32/ErrorFromWin32.h"

#include "platform/win32/WinApi.h"

namespace corvane::platform::win32 {

Error ErrorFromWin32(std::uint32_t code, During when) {
    ErrorKind kind = ErrorKind::Other;
    switch (code) {
        case ERROR_SUCCESS:
            return Error::None();
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_BAD_UNIT:
        case ERROR_INVALID_PRINTER_NAME:
            kind = ErrorKind::NotFound;
            break;
        // At open there is no device behind the name; on an open one it went away.
        case ERROR_NOT_READY:
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_DEVICE_REMOVED:
        case ERROR_GEN_FAILURE:
            kind = when == During::Open ? ErrorKind::NotFound : ErrorKind::Disconnected;
            break;
        // Windows refuses a second opener of a port that someone holds with access denied.
        case ERROR_ACCESS_DENIED:
            kind = when == During::Open ? ErrorKind::Busy : ErrorKind::AccessDenied;
            break;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_BUSY:
        case ERROR_PIPE_BUSY:
            kind = ErrorKind::Busy;
            break;
        case ERROR_PRIVILEGE_NOT_HELD:
        case ERROR_WRITE_PROTECT:
            kind = ErrorKind::AccessDenied;
            break;
        case ERROR_INVALID_PARAMETER:
        case ERROR_BAD_LENGTH:
        case ERROR_INVALID_DATA:
            kind = ErrorKind::InvalidArgument;
            break;
        // A request cancelled at its deadline, or one the driver ended there.
        case ERROR_SEM_TIMEOUT:
        case WAIT_TIMEOUT:
        case ERROR_TIMEOUT:
        case ERROR_OPERATION_ABORTED:
        case ERROR_COUNTER_TIMEOUT:
            kind = ErrorKind::TimedOut;
            break;
        case ERROR_BROKEN_PIPE:
        case ERROR_NO_DATA:
        case ERROR_PIPE_NOT_CONNECTED:
        case ERROR_NETNAME_DELETED:
            kind = ErrorKind::Disconnected;
            break;
        // Nothing takes the connection at a network address: no printer listens there, no route
        // leads to it, or the name stands for no address.
        case WSAECONNREFUSED:
        case WSAEHOSTUNREACH:
        case WSAENETUNREACH:
        case WSAENETDOWN:
        case WSAHOST_NOT_FOUND:
        case WSANO_DATA:
        case WSANO_RECOVERY:
            kind = ErrorKind::NotFound;
            break;
        case WSAETIMEDOUT:
        case WSATRY_AGAIN:
            kind = ErrorKind::TimedOut;
            break;
        case WSAECONNRESET:
        case WSAECONNABORTED:
        case WSAENOTCONN:
        case WSAESHUTDOWN:
            kind = ErrorKind::Disconnected;
            break;
        case WSAEACCES:
            kind = ErrorKind::AccessDenied;
            break;
        case ERROR_INVALID_FUNCTION:
        case ERROR_NOT_SUPPORTED:
        case ERROR_CALL_NOT_IMPLEMENTED:
            kind = ErrorKind::Unsupported;
            break;
        default:
            kind = ErrorKind::Other;
            break;
    }
    return {kind, static_cast<int>(code), NativeSource::Win32};
}

Error LastError(During when) {
    return ErrorFromWin32(GetLastError(), when);
}

}  // namespace corvane::platform::win32
