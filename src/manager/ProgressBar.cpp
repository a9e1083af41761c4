#include "manager/ProgressBar.h"

#include <algorithm>

namespace corvane::manager {

void ProgressBar::SetRange(int low, int high) {
    low_ = low;
    high_ = std::max(low, high);
    dialog_.Host().SetProgressRange(id_, low_, high_);
    SetPosition(position_);
}

void ProgressBar::SetPosition(int position) {
    position_ = std::clamp(position, low_, high_);
    dialog_.Host().SetProgress(id_, position_);
}

void ProgressBar::Step() {
    int span = high_ - low_;
    int next = position_ + step_;
    if (next > high_ && span > 0) {
        next = low_ + (next - high_) % span;
    }
    SetPosition(next);
}

}  // namespace corvane::manager
