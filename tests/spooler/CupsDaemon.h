#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>

namespace corvane::spooler_test {

// A CUPS scheduler of the test's own: its configuration, spool, state and logs in a temporary
// directory, reachable only through its own socket, with stub serial, parallel and usb backends
// that write each job into a file instead of touching a device. The machine's scheduler is never
// contacted.
class CupsDaemon {
public:
    // Starts the scheduler and waits until it answers. Failure() says why when it did not.
    CupsDaemon();
    ~CupsDaemon();

    CupsDaemon(const CupsDaemon&) = delete;
    CupsDaemon& operator=(const CupsDaemon&) = delete;

    bool Running() const { return failure_.empty(); }
    const std::string& Failure() const { return failure_; }
    // The scheduler's socket, a server name for libcups and CUPS_SERVER.
    const std::string& Socket() const { return socket_; }
    // The scheduler's process, for a test that makes it slow to answer.
    pid_t Pid() const { return pid_; }

    // Adds a raw queue printing to deviceUri, enabled and accepting jobs; "" or the reason.
    std::string AddQueue(const std::string& name, const std::string& deviceUri);
    // Stops a queue as an administrator would, with a reason of theirs.
    bool StopQueue(const std::string& name, const std::string& reason);
    // Deletes every queue, so that the next test starts from an empty scheduler.
    void DeleteAllQueues();

    struct QueueState {
        bool found = false;
        bool stopped = false;
        std::string message;  // printer-state-message
    };
    QueueState State(const std::string& name);

    // Sends a job of the given bytes; its id, or 0 on failure.
    int SubmitJob(const std::string& queue, const std::string& bytes);
    // The job's IPP job-state (3 pending ... 9 completed), 0 when it cannot be read.
    int JobState(int jobId);
    // Everything the queue's stub backend has received.
    std::string Printed(const std::string& queue) const;

    // Calls done every 20 ms until it is true or the time is up; its last answer.
    static bool WaitUntil(const std::function<bool()>& done,
                          std::chrono::milliseconds limit = std::chrono::seconds(10));

private:
    bool WriteFile(const std::string& path, const std::string& text, int mode);
    std::string ErrorLog() const;

    std::string dir_;
    std::string socket_;
    std::string failure_;
    pid_t pid_ = -1;
};

}  // namespace corvane::spooler_test
