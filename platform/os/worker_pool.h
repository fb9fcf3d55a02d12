// A fixed set of worker threads taking jobs from one queue, first in, first out.
//
// The pool counts on the worker clock as one worker that runs while any job is queued or
// running and is idle otherwise, so a headless host settles on every queued job before it
// goes on, and an idle pool never holds it up.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/os/worker_clock.h"

namespace plat {

class WorkerPool {
  public:
    using Job = std::function<void()>;

    // One thread per processor core.
    static int CoreCount();

    // `threads` >= 1 (fewer when the system gives no more; with none, Submit runs the job on
    // the calling thread).
    explicit WorkerPool(int threads);
    // Drops the jobs not yet started and waits for the running ones.
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int Threads() const { return static_cast<int>(threads_.size()); }
    // Queues `job` under `key` (the caller's name for it). Any thread.
    void Submit(uint64_t key, Job job);
    // Drops the queued jobs whose key `drop` answers true for; `drop` runs on the calling
    // thread with the pool locked, so it must not call back into the pool.
    void DropQueued(const std::function<bool(uint64_t key)>& drop);

  private:
    struct Queued {
        uint64_t key;
        Job job;
    };
    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Queued> queue_;
    int running_ = 0;
    bool stopping_ = false;
    WorkerClock::Ticket ticket_{true};
    std::vector<std::thread> threads_;
};

}  // namespace plat
