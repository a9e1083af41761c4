#pragma once

#include <mutex>
#include <set>

namespace corvane::service {

// Something that keeps print queues stopped or a USB printer from its kernel driver, and can
// give them back from another thread.
class QueueHolder {
public:
    virtual ~QueueHolder() = default;
    virtual void RestoreQueuesNow() = 0;
};

// Every printer session of the program that may hold print queues stopped, so that a program
// ended from outside (a termination signal, the console closing) can start them all again. The
// sessions may be in the middle of an exchange on threads of their own; the thread that restores
// takes each session's queue table only while no connect is changing it.
class QueueRegistry {
public:
    // The program's one registry, which lives until the program ends.
    static QueueRegistry& Instance();

    void Add(QueueHolder& holder);
    void Remove(QueueHolder& holder);

    // Restores every session's queues for a program about to end: the sessions stay registered
    // from here on, so that none goes away while its queues restart.
    void RestoreAllBeforeExit();

private:
    QueueRegistry() = default;

    std::mutex lock_;
    std::set<QueueHolder*> holders_;
};

}  // namespace corvane::service
