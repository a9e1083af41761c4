#pragma once

#include <string_view>

namespace corvane::operations {

// Where a long exchange shows how far it got: a bar from 0 to 100 that moves by a step the
// caller chose. A window drives its progress bar with it; a command line may ignore it.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void SetPosition(int position) = 0;
    // Moves on by one step.
    virtual void Step() = 0;
    // Names the stage under way, for a front end that shows it beside the bar; the window's bar
    // shows none.
    virtual void SetStage(std::string_view stage) { (void)stage; }
};

// For callers that show no progress.
class NoProgress final : public Progress {
public:
    void SetPosition(int) override {}
    void Step() override {}
};

}  // namespace corvane::operations
