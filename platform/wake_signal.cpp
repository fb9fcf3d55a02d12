#include "platform/wake_signal.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "platform/worker_clock.h"

namespace plat {

WakeSignal::WakeSignal() {
    fd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd_ < 0) {
        error_ = errno;
    }
}

WakeSignal::~WakeSignal() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void WakeSignal::Raise() {
    raised_.store(true, std::memory_order_release);
    if (fd_ >= 0) {
        // The counter stays non-zero (nobody reads it), so every later poll sees it too.
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(fd_, &one, sizeof one);
    }
    // A worker sleeping on the clock waits on the clock's condition, not on the descriptor.
    WorkerClock::WakeSleepers();
}

}  // namespace plat
