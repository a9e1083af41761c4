#include "platform/posix/CupsSpooler.h"

#include <cups/cups.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <utility>

namespace corvane::platform::posix {

namespace {

struct HttpCloser {
    void operator()(http_t* http) const { httpClose(http); }
};
using HttpConnection = std::unique_ptr<http_t, HttpCloser>;

struct IppDeleter {
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using IppMessage = std::unique_ptr<ipp_t, IppDeleter>;

// A request that outlives its time limit is abandoned rather than waited for again.
int GiveUpOnTimeout(http_t*, void*) {
    return 0;
}

// The program has no way to ask for a password in the middle of a connect; a request that
// needs one simply fails.
const char* NoPassword(const char*, http_t*, const char*, const char*, void*) {
    return nullptr;
}

std::string ServerOf(const std::string& server) {
    return server.empty() ? std::string(cupsServer()) : server;
}

HttpConnection Connect(const std::string& server, std::chrono::milliseconds timeLimit) {
    cupsSetPasswordCB2(NoPassword, nullptr);
    std::string host = ServerOf(server);
    int port = ippPort();
    // A host name may carry its port ("printhost:8631"); a socket path never does.
    if (!host.empty() && host.front() != '/') {
        auto colon = host.rfind(':');
        if (colon != std::string::npos && colon + 1 < host.size() &&
            host.find_first_not_of("0123456789", colon + 1) == std::string::npos &&
            host.find(']') == std::string::npos) {
            port = std::atoi(host.c_str() + colon + 1);
            host.erase(colon);
        }
    }
    if (host.empty()) {
        return nullptr;
    }
    HttpConnection http(httpConnect2(host.c_str(), port, nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                     static_cast<int>(timeLimit.count()), nullptr));
    if (http) {
        httpSetTimeout(http.get(), static_cast<double>(timeLimit.count()) / 1000.0, GiveUpOnTimeout,
                       nullptr);
    }
    return http;
}

Error ErrorOfStatus(ipp_status_t status) {
    if (status <= IPP_STATUS_OK_CONFLICTING) {
        return Error::None();
    }
    int code = static_cast<int>(status);
    switch (status) {
        case IPP_STATUS_ERROR_NOT_FOUND:
            return {ErrorKind::NotFound, code, NativeSource::Ipp};
        case IPP_STATUS_ERROR_FORBIDDEN:
        case IPP_STATUS_ERROR_NOT_AUTHENTICATED:
        case IPP_STATUS_ERROR_NOT_AUTHORIZED:
        case IPP_STATUS_ERROR_CUPS_AUTHENTICATION_CANCELED:
            return {ErrorKind::AccessDenied, code, NativeSource::Ipp};
        case IPP_STATUS_ERROR_BUSY:
        case IPP_STATUS_ERROR_SERVICE_UNAVAILABLE:
            return {ErrorKind::Busy, code, NativeSource::Ipp};
        case IPP_STATUS_ERROR_OPERATION_NOT_SUPPORTED:
            return {ErrorKind::Unsupported, code, NativeSource::Ipp};
        default:
            return {ErrorKind::Other, code, NativeSource::Ipp};
    }
}

// A server that cannot be reached, or a connection that broke: the request may well succeed
// when tried again.
Error ErrorOfConnection(int errnoValue) {
    if (errnoValue == ETIMEDOUT || errnoValue == EAGAIN) {
        return {ErrorKind::TimedOut, errnoValue, NativeSource::Errno};
    }
    return {ErrorKind::Disconnected, errnoValue, NativeSource::Errno};
}

// One request at a time in the whole program, so that it never holds more than one connection.
std::mutex& RequestLock() {
    // Never destroyed: a program may restore its queues from an exit handler.
    static std::mutex* lock = new std::mutex();
    return *lock;
}

std::string AttributeText(ipp_attribute_t* attribute) {
    const char* text = ippGetString(attribute, 0, nullptr);
    return text == nullptr ? std::string() : std::string(text);
}

}  // namespace

CupsSpooler::CupsSpooler(std::string server, std::chrono::milliseconds timeLimit)
    : server_(std::move(server)), timeLimit_(timeLimit), location_(ServerOf(server_)) {}

CupsSpooler::~CupsSpooler() = default;

QueueListing CupsSpooler::ListQueues() {
    std::lock_guard<std::mutex> hold(RequestLock());
    QueueListing listing;
    const auto began = std::chrono::steady_clock::now();
    HttpConnection http = Connect(server_, timeLimit_);
    if (!http) {
        const int why = errno;
        // A server of this machine that is refused at once (no socket, nothing listening) is not
        // running, and no queue prints while it is not; one that does not answer may.
        const bool local = !location_.empty() &&
                           (location_.front() == '/' || location_.rfind("localhost", 0) == 0 ||
                            location_.rfind("127.", 0) == 0 || location_.rfind("[::1]", 0) == 0);
        if (!local || std::chrono::steady_clock::now() - began >= timeLimit_ / 2) {
            listing.error = ErrorOfConnection(why);
        }
        return listing;
    }
    ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
    static const char* const kAttributes[] = {"printer-name", "device-uri", "printer-state",
                                              "printer-state-message", "printer-type"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(std::size(kAttributes)), nullptr, kAttributes);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    IppMessage response(cupsDoRequest(http.get(), request, "/"));
    if (!response) {
        listing.error = ErrorOfConnection(httpError(http.get()));
        return listing;
    }
    // A server without queues answers "not found".
    ipp_status_t status = ippGetStatusCode(response.get());
    if (status > IPP_STATUS_OK_CONFLICTING && status != IPP_STATUS_ERROR_NOT_FOUND) {
        listing.error = ErrorOfStatus(status);
        return listing;
    }

    ipp_attribute_t* attribute = ippFirstAttribute(response.get());
    while (attribute != nullptr) {
        while (attribute != nullptr && ippGetGroupTag(attribute) != IPP_TAG_PRINTER) {
            attribute = ippNextAttribute(response.get());
        }
        if (attribute == nullptr) {
            break;
        }
        QueueInfo queue;
        int type = 0;
        for (; attribute != nullptr && ippGetGroupTag(attribute) == IPP_TAG_PRINTER;
             attribute = ippNextAttribute(response.get())) {
            const char* name = ippGetName(attribute);
            if (name == nullptr) {
                continue;
            }
            std::string attributeName = name;
            if (attributeName == "printer-name") {
                queue.name = AttributeText(attribute);
            } else if (attributeName == "device-uri") {
                queue.deviceUri = AttributeText(attribute);
            } else if (attributeName == "printer-state") {
                queue.stopped = ippGetInteger(attribute, 0) == IPP_PSTATE_STOPPED;
            } else if (attributeName == "printer-state-message") {
                queue.stateMessage = AttributeText(attribute);
            } else if (attributeName == "printer-type") {
                type = ippGetInteger(attribute, 0);
            }
        }
        // Queues of other servers never print to a port of this machine.
        if (!queue.name.empty() && (type & (CUPS_PRINTER_REMOTE | CUPS_PRINTER_CLASS)) == 0) {
            listing.queues.push_back(std::move(queue));
        }
    }
    return listing;
}

Error CupsSpooler::StopQueue(const std::string& name, const std::string& reason) {
    return PrinterRequest(IPP_OP_PAUSE_PRINTER, name, reason);
}

Error CupsSpooler::StartQueue(const std::string& name) {
    return PrinterRequest(IPP_OP_RESUME_PRINTER, name, {});
}

Error CupsSpooler::PrinterRequest(int operation, const std::string& name,
                                  const std::string& reason) {
    char uri[HTTP_MAX_URI];
    if (httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof(uri), "ipp", nullptr, "localhost", 0,
                         "/printers/%s", name.c_str()) < HTTP_URI_STATUS_OK) {
        return {ErrorKind::InvalidArgument, 0};
    }
    std::lock_guard<std::mutex> hold(RequestLock());
    HttpConnection http = Connect(server_, timeLimit_);
    if (!http) {
        return ErrorOfConnection(errno);
    }
    ipp_t* request = ippNewRequest(static_cast<ipp_op_t>(operation));
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    if (!reason.empty()) {
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_TEXT, "printer-state-message", nullptr,
                     reason.c_str());
    }
    IppMessage response(cupsDoRequest(http.get(), request, "/admin/"));
    if (!response) {
        ipp_status_t status = cupsLastError();
        int httpErrno = httpError(http.get());
        if (httpErrno != 0) {
            return ErrorOfConnection(httpErrno);
        }
        return status > IPP_STATUS_OK_CONFLICTING ? ErrorOfStatus(status)
                                                  : Error{ErrorKind::Other, 0};
    }
    return ErrorOfStatus(ippGetStatusCode(response.get()));
}

}  // namespace corvane::platform::posix

// The entry of the spooler module that MakeSystemSpooler loads on first use.
extern "C" __attribute__((visibility("default"))) corvane::platform::Spooler*
CorvaneMakeCupsSpooler() {
    return new corvane::platform::posix::CupsSpooler();
}
