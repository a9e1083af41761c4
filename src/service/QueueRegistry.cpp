#include "service/QueueRegistry.h"

namespace corvane::service {

QueueRegistry& QueueRegistry::Instance() {
    // Never destroyed: the thread that ends the program may still use it while the program ends.
    static QueueRegistry* registry = new QueueRegistry();
    return *registry;
}

void QueueRegistry::Add(QueueHolder& holder) {
    std::lock_guard<std::mutex> hold(lock_);
    holders_.insert(&holder);
}

void QueueRegistry::Remove(QueueHolder& holder) {
    std::lock_guard<std::mutex> hold(lock_);
    holders_.erase(&holder);
}

void QueueRegistry::RestoreAllBeforeExit() {
    // Never unlocked: the program ends before any session could leave.
    lock_.lock();
    for (QueueHolder* holder : holders_) {
        holder->RestoreQueuesNow();
    }
}

}  // namespace corvane::service
