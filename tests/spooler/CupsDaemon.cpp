#include "CupsDaemon.h"

#include <cups/cups.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

namespace corvane::spooler_test {

namespace {

namespace fs = std::filesystem;

constexpr char kCupsd[] = "/usr/sbin/cupsd";
constexpr char kSystemServerBin[] = "/usr/lib/cups";

// The default policy of a stock installation, so that stopping and starting queues needs the
// same rights here as on a technician's machine.
constexpr char kPolicy[] = R"(<Location />
  Order allow,deny
</Location>
<Location /admin>
  Order allow,deny
</Location>
<Policy default>
  JobPrivateAccess default
  JobPrivateValues default
  SubscriptionPrivateAccess default
  SubscriptionPrivateValues default
  <Limit Create-Job Print-Job Print-URI Validate-Job>
    Order deny,allow
  </Limit>
  <Limit Send-Document Send-URI Hold-Job Release-Job Restart-Job Purge-Jobs Set-Job-Attributes Create-Job-Subscription Renew-Subscription Cancel-Subscription Get-Notifications Reprocess-Job Cancel-Current-Job Suspend-Current-Job Resume-Job Cancel-My-Jobs Close-Job CUPS-Move-Job Cancel-Job CUPS-Authenticate-Job>
    Require user @OWNER @SYSTEM
    Order deny,allow
  </Limit>
  <Limit CUPS-Get-Document>
    AuthType Default
    Require user @OWNER @SYSTEM
    Order deny,allow
  </Limit>
  <Limit CUPS-Add-Modify-Printer CUPS-Delete-Printer CUPS-Add-Modify-Class CUPS-Delete-Class CUPS-Set-Default CUPS-Get-Devices>
    AuthType Default
    Require user @SYSTEM
    Order deny,allow
  </Limit>
  <Limit Pause-Printer Resume-Printer Enable-Printer Disable-Printer Pause-Printer-After-Current-Job Hold-New-Jobs Release-Held-New-Jobs Deactivate-Printer Activate-Printer Restart-Printer Shutdown-Printer Startup-Printer Promote-Job Schedule-Job-After Cancel-Jobs CUPS-Accept-Jobs CUPS-Reject-Jobs>
    AuthType Default
    Require user @SYSTEM
    Order deny,allow
  </Limit>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
)";

struct HttpCloser {
    void operator()(http_t* http) const { httpClose(http); }
};
using HttpConnection = std::unique_ptr<http_t, HttpCloser>;

struct IppDeleter {
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using IppMessage = std::unique_ptr<ipp_t, IppDeleter>;

HttpConnection Connect(const std::string& socket) {
    return HttpConnection(httpConnect2(socket.c_str(), 0, nullptr, AF_LOCAL,
                                       HTTP_ENCRYPTION_IF_REQUESTED, 1, 5000, nullptr));
}

std::string PrinterUri(const std::string& name) {
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof(uri), "ipp", nullptr, "localhost", 0,
                     "/printers/%s", name.c_str());
    return uri;
}

bool Connectable(const std::string& path) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return ok;
}

std::string StubBackend(const std::string& scheme, const std::string& outDir) {
    return "#!/bin/sh\n"
           "# Stands in for the " +
           scheme +
           " backend: touches no device, appends each job to a file named after the queue.\n"
           "if [ $# -eq 0 ]; then\n"
           "  echo 'direct " +
           scheme + " \"Unknown\" \"Stub " + scheme +
           " backend\"'\n"
           "  exit 0\n"
           "fi\n"
           "if [ -n \"$6\" ]; then cat \"$6\"; else cat; fi >> \"" +
           outDir + "/$PRINTER\"\n";
}

}  // namespace

CupsDaemon::CupsDaemon() {
    if (::access(kCupsd, X_OK) != 0) {
        failure_ = std::string(kCupsd) + " is missing: install the cups-daemon package";
        return;
    }
    char pattern[] = "/tmp/corvane-cups-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        failure_ = "cannot make a temporary directory: " + std::string(std::strerror(errno));
        return;
    }
    dir_ = pattern;
    ::chmod(dir_.c_str(), 0755);
    for (const char* sub :
         {"conf", "bin", "bin/backend", "spool", "cache", "state", "log", "tmp", "out"}) {
        fs::create_directories(fs::path(dir_) / sub);
    }
    // Filters and helper programs are the system's; only the backends are stubs.
    for (const char* sub : {"filter", "daemon", "cgi-bin", "notifier", "monitor", "driver"}) {
        fs::path system = fs::path(kSystemServerBin) / sub;
        if (fs::exists(system)) {
            fs::create_directory_symlink(system, fs::path(dir_) / "bin" / sub);
        }
    }
    for (const char* scheme : {"serial", "parallel", "usb", "socket"}) {
        // Mode 0700 makes the scheduler run the backend as root, which may write to out/.
        if (!WriteFile(dir_ + "/bin/backend/" + scheme, StubBackend(scheme, dir_ + "/out"), 0700)) {
            return;
        }
    }
    socket_ = dir_ + "/cups.sock";
    std::string files = "ServerRoot " + dir_ + "/conf\n" + "ServerBin " + dir_ + "/bin\n" +
                        "StateDir " + dir_ + "/state\n" + "CacheDir " + dir_ + "/cache\n" +
                        "RequestRoot " + dir_ + "/spool\n" + "TempDir " + dir_ + "/tmp\n" +
                        "ErrorLog " + dir_ + "/log/error_log\n" + "AccessLog " + dir_ +
                        "/log/access_log\n" + "PageLog " + dir_ + "/log/page_log\n" +
                        "SystemGroup root\nPeerCred on\nFileDevice No\n";
    std::string conf = "LogLevel info\nListen " + socket_ +
                       "\nBrowsing No\nBrowseLocalProtocols none\nWebInterface No\n"
                       "DefaultAuthType Basic\nPrintcap " +
                       dir_ + "/printcap\nJobRetryInterval 1\n" + kPolicy;
    if (!WriteFile(dir_ + "/conf/cups-files.conf", files, 0644) ||
        !WriteFile(dir_ + "/conf/cupsd.conf", conf, 0644)) {
        return;
    }

    std::string confPath = dir_ + "/conf/cupsd.conf";
    std::string filesPath = dir_ + "/conf/cups-files.conf";
    std::string outputPath = dir_ + "/log/stdout";
    pid_ = ::fork();
    if (pid_ == 0) {
        // The scheduler must not outlive the test that started it.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        int out = ::open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out >= 0) {
            ::dup2(out, STDOUT_FILENO);
            ::dup2(out, STDERR_FILENO);
        }
        ::execl(kCupsd, kCupsd, "-f", "-c", confPath.c_str(), "-s", filesPath.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    if (pid_ < 0) {
        failure_ = "cannot start cupsd: " + std::string(std::strerror(errno));
        return;
    }
    bool up = WaitUntil(
        [&] {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return true;
            }
            return Connectable(socket_);
        },
        std::chrono::seconds(15));
    if (!up || pid_ < 0) {
        failure_ = "cupsd did not come up; its log:\n" + ErrorLog();
        return;
    }
    // Whatever libcups does in this process goes to this scheduler and no other.
    ::setenv("CUPS_SERVER", socket_.c_str(), 1);
    cupsSetServer(socket_.c_str());
}

CupsDaemon::~CupsDaemon() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        bool ended = WaitUntil([&] { return ::waitpid(pid_, nullptr, WNOHANG) == pid_; },
                               std::chrono::seconds(5));
        if (!ended) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    if (!dir_.empty()) {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
}

bool CupsDaemon::WriteFile(const std::string& path, const std::string& text, int mode) {
    std::ofstream file(path);
    file << text;
    file.close();
    if (!file || ::chmod(path.c_str(), static_cast<mode_t>(mode)) != 0) {
        failure_ = "cannot write " + path;
        return false;
    }
    return true;
}

std::string CupsDaemon::ErrorLog() const {
    std::ostringstream text;
    for (const char* name : {"/log/stdout", "/log/error_log"}) {
        std::ifstream file(dir_ + name);
        text << file.rdbuf();
    }
    return text.str();
}

std::string CupsDaemon::AddQueue(const std::string& name, const std::string& deviceUri) {
    HttpConnection http = Connect(socket_);
    if (!http) {
        return "cannot connect to the scheduler";
    }
    ipp_t* request = ippNewRequest(IPP_OP_CUPS_ADD_MODIFY_PRINTER);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 PrinterUri(name).c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ippAddString(request, IPP_TAG_PRINTER, IPP_TAG_URI, "device-uri", nullptr, deviceUri.c_str());
    ippAddString(request, IPP_TAG_PRINTER, IPP_TAG_NAME, "ppd-name", nullptr, "raw");
    ippAddBoolean(request, IPP_TAG_PRINTER, "printer-is-accepting-jobs", 1);
    ippAddInteger(request, IPP_TAG_PRINTER, IPP_TAG_ENUM, "printer-state", IPP_PSTATE_IDLE);
    IppMessage response(cupsDoRequest(http.get(), request, "/admin/"));
    if (!response || ippGetStatusCode(response.get()) > IPP_STATUS_OK_CONFLICTING) {
        return std::string("adding queue ") + name + " failed: " + cupsLastErrorString();
    }
    return {};
}

bool CupsDaemon::StopQueue(const std::string& name, const std::string& reason) {
    HttpConnection http = Connect(socket_);
    if (!http) {
        return false;
    }
    ipp_t* request = ippNewRequest(IPP_OP_PAUSE_PRINTER);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 PrinterUri(name).c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_TEXT, "printer-state-message", nullptr,
                 reason.c_str());
    IppMessage response(cupsDoRequest(http.get(), request, "/admin/"));
    return response && ippGetStatusCode(response.get()) <= IPP_STATUS_OK_CONFLICTING;
}

void CupsDaemon::DeleteAllQueues() {
    cups_dest_t* dests = nullptr;
    HttpConnection http = Connect(socket_);
    if (!http) {
        return;
    }
    int count = cupsGetDests2(http.get(), &dests);
    for (int i = 0; i < count; ++i) {
        ipp_t* request = ippNewRequest(IPP_OP_CUPS_DELETE_PRINTER);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                     PrinterUri(dests[i].name).c_str());
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                     cupsUser());
        ippDelete(cupsDoRequest(http.get(), request, "/admin/"));
    }
    cupsFreeDests(count, dests);
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(fs::path(dir_) / "out", ec)) {
        fs::remove(entry.path(), ec);
    }
}

CupsDaemon::QueueState CupsDaemon::State(const std::string& name) {
    QueueState state;
    HttpConnection http = Connect(socket_);
    if (!http) {
        return state;
    }
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 PrinterUri(name).c_str());
    static const char* const kAttributes[] = {"printer-state", "printer-state-message"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr,
                  kAttributes);
    IppMessage response(cupsDoRequest(http.get(), request, "/"));
    if (!response || ippGetStatusCode(response.get()) > IPP_STATUS_OK_CONFLICTING) {
        return state;
    }
    state.found = true;
    if (ipp_attribute_t* attribute =
            ippFindAttribute(response.get(), "printer-state", IPP_TAG_ENUM)) {
        state.stopped = ippGetInteger(attribute, 0) == IPP_PSTATE_STOPPED;
    }
    if (ipp_attribute_t* attribute =
            ippFindAttribute(response.get(), "printer-state-message", IPP_TAG_TEXT)) {
        const char* text = ippGetString(attribute, 0, nullptr);
        state.message = text == nullptr ? "" : text;
    }
    return state;
}

int CupsDaemon::SubmitJob(const std::string& queue, const std::string& bytes) {
    std::string path = dir_ + "/tmp/job-" + std::to_string(::getpid()) + ".bin";
    {
        std::ofstream file(path, std::ios::binary);
        file << bytes;
    }
    HttpConnection http = Connect(socket_);
    if (!http) {
        return 0;
    }
    int id = cupsPrintFile2(http.get(), queue.c_str(), path.c_str(), "corvane test", 0, nullptr);
    ::unlink(path.c_str());
    return id;
}

int CupsDaemon::JobState(int jobId) {
    HttpConnection http = Connect(socket_);
    if (!http) {
        return 0;
    }
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof(uri), "ipp", nullptr, "localhost", 0,
                     "/jobs/%d", jobId);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    IppMessage response(cupsDoRequest(http.get(), request, "/"));
    if (!response) {
        return 0;
    }
    ipp_attribute_t* attribute = ippFindAttribute(response.get(), "job-state", IPP_TAG_ENUM);
    return attribute == nullptr ? 0 : ippGetInteger(attribute, 0);
}

std::string CupsDaemon::Printed(const std::string& queue) const {
    std::ifstream file(dir_ + "/out/" + queue, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

bool CupsDaemon::WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (true) {
        if (done()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace corvane::spooler_test
