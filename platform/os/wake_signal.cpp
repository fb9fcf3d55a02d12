#include "platform/os/wake_signal.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace plat {
namespace {

std::atomic<void (*)()> raiseHook{nullptr};

}  // namespace

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
    if (auto hook = raiseHook.load()) {
        hook();
    }
}

void WakeSignal::SetRaiseHook(void (*hook)()) {
    raiseHook.store(hook);
}

}  // namespace plat
