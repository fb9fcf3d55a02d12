#include "platform/os/worker_pool.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace plat {

int WorkerPool::CoreCount() {
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

WorkerPool::WorkerPool(int threads) {
    const int n = std::max(1, threads);
    threads_.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        try {
            threads_.emplace_back([this] { Run(); });
        } catch (const std::system_error&) {
            break;  // the system gives no more threads: the ones made do the work
        }
    }
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    wake_.notify_all();
    for (std::thread& t : threads_) {
        t.join();
    }
    ticket_.SetIdle(true);
}

void WorkerPool::Submit(uint64_t key, Job job) {
    if (threads_.empty()) {
        job();  // no thread could be made: the caller does the work
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) {
            return;
        }
        queue_.push_back(Queued{key, std::move(job)});
        // Busy from now on, before any worker has woken: a settle cannot miss the job.
        ticket_.SetIdle(false);
    }
    wake_.notify_one();
}

void WorkerPool::DropQueued(const std::function<bool(uint64_t key)>& drop) {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.erase(std::remove_if(queue_.begin(), queue_.end(),
                                [&drop](const Queued& q) { return drop(q.key); }),
                 queue_.end());
    if (queue_.empty() && running_ == 0) {
        ticket_.SetIdle(true);
    }
}

void WorkerPool::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) {
            return;
        }
        Job job = std::move(queue_.front().job);
        queue_.pop_front();
        ++running_;
        lock.unlock();
        job();
        job = nullptr;  // whatever the job holds goes before the pool counts it done
        lock.lock();
        --running_;
        ticket_.Touch();
        if (queue_.empty() && running_ == 0) {
            ticket_.SetIdle(true);
        }
    }
}

}  // namespace plat
