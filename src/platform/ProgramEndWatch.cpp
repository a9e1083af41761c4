#include "platform/ProgramEndWatch.h"

#include <condition_variable>
#include <mutex>
#include <utility>

namespace corvane::platform {

namespace {

struct Watching {
    std::mutex lock;
    std::condition_variable watchMade;
    ProgramEndWatch* current = nullptr;
};

Watching& State() {
    // Never destroyed: a request may come on another thread while the program ends.
    static Watching* state = new Watching();
    return *state;
}

}  // namespace

ProgramEndWatch::ProgramEndWatch(Handler handler) : handler_(std::move(handler)) {
    {
        std::lock_guard<std::mutex> hold(State().lock);
        State().current = this;
    }
    State().watchMade.notify_all();
}

ProgramEndWatch::~ProgramEndWatch() {
    std::lock_guard<std::mutex> hold(State().lock);
    if (State().current == this) {
        State().current = nullptr;
    }
}

bool ProgramEndWatch::Deliver(const EndRequest& request) {
    std::lock_guard<std::mutex> hold(State().lock);
    if (State().current == nullptr) {
        return false;
    }
    State().current->handler_(request);
    return true;
}

void ProgramEndWatch::DeliverWhenWatched(const EndRequest& request) {
    std::unique_lock<std::mutex> hold(State().lock);
    State().watchMade.wait(hold, [] { return State().current != nullptr; });
    State().current->handler_(request);
}

}  // namespace corvane::platform
