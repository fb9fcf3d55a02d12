#include "platform/os/worker_clock.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/os/wake_signal.h"

namespace plat {

struct WorkerClock::Ticket::State {
    bool sleeping = false;
    bool idle = false;
    uint64_t wakeAt = 0;  // virtual milliseconds
    uint64_t progress = 0;
    uint64_t stalledAt = UINT64_MAX;  // progress when a settle gave up on this worker
};

namespace {

struct Clock {
    std::mutex mutex;
    std::condition_variable changed;
    bool virtualTime = false;
    uint64_t now = 0;
    std::vector<WorkerClock::Ticket::State*> workers;
};

Clock& TheClock() {
    static Clock clock;
    // A sleeper waits on the clock's condition: raising its wake signal must reach it there.
    static const bool hooked = (WakeSignal::SetRaiseHook(&WorkerClock::WakeSleepers), true);
    (void)hooked;
    return clock;
}

}  // namespace

WorkerClock::Ticket::Ticket(bool idle) : state_(std::make_unique<State>()) {
    state_->idle = idle;
    Clock& c = TheClock();
    std::lock_guard<std::mutex> lock(c.mutex);
    c.workers.push_back(state_.get());
}

WorkerClock::Ticket::~Ticket() {
    Clock& c = TheClock();
    std::lock_guard<std::mutex> lock(c.mutex);
    c.workers.erase(std::remove(c.workers.begin(), c.workers.end(), state_.get()), c.workers.end());
    c.changed.notify_all();
}

void WorkerClock::Ticket::Touch() {
    Clock& c = TheClock();
    std::lock_guard<std::mutex> lock(c.mutex);
    ++state_->progress;
    c.changed.notify_all();
}

void WorkerClock::Ticket::SetIdle(bool idle) {
    Clock& c = TheClock();
    std::lock_guard<std::mutex> lock(c.mutex);
    if (state_->idle != idle) {
        state_->idle = idle;
        ++state_->progress;
        c.changed.notify_all();
    }
}

void WorkerClock::UseVirtualTime(bool on, uint64_t nowMs) {
    Clock& c = TheClock();
    std::lock_guard<std::mutex> lock(c.mutex);
    c.virtualTime = on;
    c.now = nowMs;
    c.changed.notify_all();
}

void WorkerClock::SetVirtualNow(uint64_t nowMs) {
    Clock& c = TheClock();
    std::lock_guard<std::mutex> lock(c.mutex);
    c.now = nowMs;
    c.changed.notify_all();
}

uint64_t WorkerClock::Settle(int patienceMs) {
    using Steady = std::chrono::steady_clock;
    Clock& c = TheClock();
    std::unique_lock<std::mutex> lock(c.mutex);
    uint64_t lastProgress = UINT64_MAX;
    Steady::time_point giveUpAt;
    for (;;) {
        bool running = false;
        uint64_t progress = 0;
        uint64_t wakeAt = UINT64_MAX;
        for (const auto* w : c.workers) {
            if (w->idle) {
                continue;
            }
            progress += w->progress;
            if (w->sleeping) {
                wakeAt = std::min(wakeAt, w->wakeAt);
            } else if (w->progress != w->stalledAt) {
                running = true;
            }
        }
        if (!running) {
            return wakeAt;
        }
        const Steady::time_point now = Steady::now();
        if (progress != lastProgress) {
            lastProgress = progress;
            giveUpAt = now + std::chrono::milliseconds(patienceMs);
        } else if (now >= giveUpAt) {
            for (auto* w : c.workers) {
                if (!w->sleeping) {
                    w->stalledAt = w->progress;
                }
            }
            continue;
        }
        c.changed.wait_until(lock, giveUpAt);
    }
}

bool WorkerClock::Sleep(Ticket* ticket, int ms, const WakeSignal& wake) {
    Clock& c = TheClock();
    std::unique_lock<std::mutex> lock(c.mutex);
    if (!c.virtualTime) {
        c.changed.wait_for(lock, std::chrono::milliseconds(std::max(ms, 0)),
                           [&wake] { return wake.Raised(); });
        return !wake.Raised();
    }
    Ticket::State* s = ticket->state_.get();
    s->sleeping = true;
    s->wakeAt = c.now + static_cast<uint64_t>(std::max(ms, 0));
    ++s->progress;
    c.changed.notify_all();
    c.changed.wait(lock, [&] { return wake.Raised() || c.now >= s->wakeAt; });
    s->sleeping = false;
    ++s->progress;
    c.changed.notify_all();
    return !wake.Raised();
}

void WorkerClock::WakeSleepers() {
    Clock& c = TheClock();
    std::lock_guard<std::mutex> lock(c.mutex);
    c.changed.notify_all();
}

}  // namespace plat
