#pragma once

#include "operations/Progress.h"
#include "ui/Dialog.h"

namespace corvane::manager {

// A dialog's progress bar as an exchange's progress: a position within a range, moved on by a
// step that starts over from the low end when it passes the high end, as a stepped bar does.
class ProgressBar final : public operations::Progress {
public:
    ProgressBar(const ui::Dialog& dialog, int controlId) : dialog_(dialog), id_(controlId) {}

    void SetRange(int low, int high);
    void SetStepSize(int step) { step_ = step; }
    void SetPosition(int position) override;
    void Step() override;
    int Position() const { return position_; }

private:
    const ui::Dialog& dialog_;
    int id_;
    int low_ = 0;
    int high_ = 100;
    int step_ = 10;
    int position_ = 0;
};

}  // namespace corvane::manager
