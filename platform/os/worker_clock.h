// Sleeps of worker threads on the host clock.
//
// On a real clock a sleep takes real time. On the headless host's virtual clock a sleep ends
// only when the script's waits move the clock past its end, and before the host moves the
// clock or takes the next script token it lets every worker run until it sleeps or ends
// (Settle). A script therefore sees the same progress, in the same virtual time, however fast
// the real work behind it is.
#pragma once

#include <cstdint>
#include <memory>

namespace plat {

class WakeSignal;

class WorkerClock {
  public:
    // One worker thread. It counts as running from construction until it sleeps on the clock
    // or the ticket is destroyed; make it on the thread that starts the worker, so that no
    // settle can miss a worker that has not been scheduled yet.
    class Ticket {
      public:
        // An idle ticket (a pool with nothing to do) counts as neither running nor sleeping
        // until SetIdle(false).
        explicit Ticket(bool idle = false);
        ~Ticket();
        Ticket(const Ticket&) = delete;
        Ticket& operator=(const Ticket&) = delete;
        // The worker made progress (a packet went through): a settle waiting for it is patient
        // again.
        void Touch();
        void SetIdle(bool idle);

        struct State;  // kept by the clock

      private:
        friend class WorkerClock;
        std::unique_ptr<State> state_;
    };

    // Host side. A virtual clock starts at `nowMs`; SetVirtualNow moves it and ends the sleeps
    // that are due.
    static void UseVirtualTime(bool on, uint64_t nowMs);
    static void SetVirtualNow(uint64_t nowMs);
    // Waits until every worker sleeps or has ended, giving up on a worker that makes no
    // progress for `patienceMs` real milliseconds (a peer that never answers); such a worker
    // is not waited for again until it sleeps, ends or makes progress. Returns the earliest
    // end of a sleep on the virtual clock, or UINT64_MAX when nobody sleeps.
    static uint64_t Settle(int patienceMs);

    // Worker side: sleeps `ms` on the host clock. False when `wake` was raised first (at once
    // when it already was).
    static bool Sleep(Ticket* ticket, int ms, const WakeSignal& wake);
    // Lets sleepers look at their wake signals again (run after every WakeSignal::Raise).
    static void WakeSleepers();
};

}  // namespace plat
