#include "platform/posix/UniqueFd.h"

#include <unistd.h>

namespace corvane::platform::posix {

UniqueFd::~UniqueFd() {
    Reset();
}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        Reset(other.Release());
    }
    return *this;
}

int UniqueFd::Release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
}

void UniqueFd::Reset(int fd) {
    if (fd_ >= 0) {
        // A close interrupted by a signal has still released the descriptor on Linux.
        ::close(fd_);
    }
    fd_ = fd;
}

}  // namespace corvane::platform::posix
