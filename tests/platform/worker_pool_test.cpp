// The worker pool: queued jobs can be dropped until they start, and the worker clock's settle
// waits for every job queued before it.
#include "platform/os/worker_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <mutex>
#include <set>

#include "platform/os/worker_clock.h"

TEST(WorkerPool, SettleWaitsForQueuedJobsAndDroppedJobsNeverRun) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::mutex mutex;
    std::set<uint64_t> ran;
    std::atomic<int> sum{0};
    {
        plat::WorkerPool pool(1);
        // The one thread is held by the first job while the others queue behind it.
        pool.Submit(0, [released] { released.wait(); });
        for (uint64_t key = 1; key <= 6; ++key) {
            pool.Submit(key, [&, key] {
                std::lock_guard<std::mutex> lock(mutex);
                ran.insert(key);
                sum += static_cast<int>(key);
            });
        }
        pool.DropQueued([](uint64_t key) { return key % 2 == 1; });
        release.set_value();
        plat::WorkerClock::Settle(60000);
        // Everything still queued ran before the settle returned.
        EXPECT_EQ(sum.load(), 2 + 4 + 6);
        {
            std::lock_guard<std::mutex> lock(mutex);
            EXPECT_EQ(ran, (std::set<uint64_t>{2, 4, 6}));
        }
        // Busy again after being idle.
        for (uint64_t key = 10; key < 30; ++key) {
            pool.Submit(key, [&, key] { sum += static_cast<int>(key); });
        }
        plat::WorkerClock::Settle(60000);
        EXPECT_EQ(sum.load(), 12 + 390);
    }
}
