// A one-shot signal that another thread raises to stop a worker: an event descriptor that
// the worker polls together with the descriptors it waits on, so that a blocking connect,
// send or receive returns at once, and a flag for code that checks without polling.
#pragma once

#include <atomic>

namespace plat {

class WakeSignal {
  public:
    WakeSignal();
    ~WakeSignal();
    WakeSignal(const WakeSignal&) = delete;
    WakeSignal& operator=(const WakeSignal&) = delete;

    // False when the descriptor could not be made; Error() then holds the errno.
    bool Valid() const { return fd_ >= 0; }
    int Error() const { return error_; }
    // The descriptor to poll for reading; it turns readable when the signal is raised.
    int Fd() const { return fd_; }

    // Any thread, any number of times.
    void Raise();
    // Process-wide: called after every Raise, for waiters that wait on a condition instead of
    // polling the descriptor (the worker clock's sleeps).
    static void SetRaiseHook(void (*hook)());
    bool Raised() const { return raised_.load(std::memory_order_acquire); }

  private:
    int fd_ = -1;
    int error_ = 0;
    std::atomic<bool> raised_{false};
};

}  // namespace plat
