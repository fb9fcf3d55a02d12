// The picture loader: only the picture asked for last comes back, whatever was asked for
// before or dropped while it decoded; a host waiting for workers waits for its decodes.
#include "imaging/picture_loader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "platform/os/worker_clock.h"

namespace {

// A decode that holds the worker until the test lets it go, so the test knows what runs.
class Gate {
  public:
    int Decode(const imaging::PictureRequest& request, imaging::LoadedPicture* out) {
        std::unique_lock<std::mutex> lock(mutex_);
        ++started_;
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
        out->fileWidth = request.context.orientation + 100;
        return 1;
    }
    void WaitStarted(int count) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return started_ >= count; });
    }
    void Open() {
        std::lock_guard<std::mutex> lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int started_ = 0;
    bool open_ = false;
};

imaging::PictureRequest Request(const std::string& path, int orientation) {
    imaging::PictureRequest r;
    r.path = path;
    r.context.orientation = orientation;
    return r;
}

// Waits (on real time) until no decode runs, as the headless host does before a token.
void SettleWorkers() {
    plat::WorkerClock::UseVirtualTime(false, 0);
    plat::WorkerClock::Settle(60000);
}

TEST(PictureLoader, OnlyThePictureAskedForLastComesBack) {
    Gate gate;
    std::atomic<int> ready{0};
    imaging::PictureLoader loader([&] { ++ready; },
                                  [&](const auto& r, auto* out) { return gate.Decode(r, out); });
    const auto a = Request("\\a.jpg", 0);
    const auto b = Request("\\a.jpg", 1);  // the same file, turned
    loader.Start(a);
    gate.WaitStarted(1);
    EXPECT_EQ(loader.Take(), nullptr);  // still decoding
    // Dropped while it decodes, then b asked for: a's picture is thrown away when done.
    loader.Clear();
    loader.Start(b);
    EXPECT_FALSE(loader.Holds(a));
    EXPECT_TRUE(loader.Holds(b));
    gate.Open();
    SettleWorkers();
    EXPECT_EQ(ready.load(), 1);
    auto loaded = loader.Take();
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->request, b);
    EXPECT_EQ(loaded->fileWidth, 101);  // decoded for b's turn
    EXPECT_FALSE(loader.Holds(b));      // taken
    // A decode still queued or running when the loader goes is waited for, not left to run
    // loose on freed memory (the sanitizer builds see it).
    loader.Start(a);
}

}  // namespace
