#include "cli/TerminalProgress.h"

#include <algorithm>

namespace corvane::cli {

namespace {

constexpr int kBarCells = 30;
constexpr int kStepSize = 10;
// The longest line drawn, so that it never wraps on an 80-column terminal: a wrapped line could
// not be drawn over.
constexpr std::size_t kLongestLine = 79;

}  // namespace

void TerminalProgress::SetPosition(int position) {
    if (terminal_ == nullptr) {
        return;
    }
    std::lock_guard<std::mutex> hold(lock_);
    position_ = std::clamp(position, 0, 100);
    const int filled = position_ * kBarCells / 100;
    std::string line = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                       std::string(static_cast<std::size_t>(kBarCells - filled), '.') + "] " +
                       std::to_string(position_) + "%";
    if (!stage_.empty()) {
        line += "  " + stage_;
    }
    Draw(line);
}

void TerminalProgress::Step() {
    int next = 0;
    {
        std::lock_guard<std::mutex> hold(lock_);
        next = position_ + kStepSize;
    }
    SetPosition(next > 100 ? next - 100 : next);
}

void TerminalProgress::SetStage(std::string_view stage) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        stage_ = stage;
    }
    SetPosition(0);
}

void TerminalProgress::ShowCount(int done, int failed, int left) {
    if (terminal_ == nullptr) {
        return;
    }
    std::lock_guard<std::mutex> hold(lock_);
    Draw(std::to_string(done) + " done, " + std::to_string(failed) + " failed, " +
         std::to_string(left) + " left");
}

void TerminalProgress::Clear() {
    if (terminal_ == nullptr) {
        return;
    }
    std::lock_guard<std::mutex> hold(lock_);
    if (drawn_ > 0) {
        *terminal_ << '\r' << std::string(drawn_, ' ') << '\r' << std::flush;
        drawn_ = 0;
    }
}

void TerminalProgress::Draw(const std::string& text) {
    std::string line = text.substr(0, kLongestLine);
    // Spaces cover what is left of a longer line drawn before.
    const std::size_t cover = drawn_ > line.size() ? drawn_ - line.size() : 0;
    *terminal_ << '\r' << line << std::string(cover, ' ');
    if (cover > 0) {
        *terminal_ << std::string(cover, '\b');
    }
    *terminal_ << std::flush;
    drawn_ = line.size();
}

}  // namespace corvane::cli
