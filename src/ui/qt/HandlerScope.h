#pragma once

#include <memory>
#include <utility>

#include "ui/qt/ExchangeWait.h"

namespace corvane::ui::qt {

// What a window shares with its running handlers, which may outlive it: how many of them are
// running, and whether the window is still there.
struct WindowLife {
    int running = 0;
    bool alive = true;
};

// Counts a handler of a window as running while it lives, so that a window closed from its own
// handler is deleted only once that handler has returned, and tells the handler afterwards
// whether its window is still there. An exchange with the printer that the handler ran ends
// with it.
class HandlerScope {
public:
    explicit HandlerScope(std::shared_ptr<WindowLife> life) : life_(std::move(life)) {
        ++life_->running;
    }
    ~HandlerScope() {
        --life_->running;
        ExchangeWait::End();
    }

    HandlerScope(const HandlerScope&) = delete;
    HandlerScope& operator=(const HandlerScope&) = delete;

    bool WindowAlive() const { return life_->alive; }

private:
    std::shared_ptr<WindowLife> life_;
};

}  // namespace corvane::ui::qt
