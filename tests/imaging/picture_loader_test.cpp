// The picture loader: only the picture asked for last comes back, whatever was asked for
// before or dropped while it decoded, and a host waiting for workers waits for its decodes.
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
    const auto b = Request("\\b.jpg", 0);
    loader.Start(a);
    gate.WaitStarted(1);
    EXPECT_TRUE(loader.Holds(a));
    EXPECT_EQ(loader.Take(), nullptr);  // still decoding
    // Asked for b while a decodes: a's picture is thrown away when it is done.
    loader.Start(b);
    EXPECT_FALSE(loader.Holds(a));
    EXPECT_TRUE(loader.Holds(b));
    gate.Open();
    SettleWorkers();
    EXPECT_EQ(ready.load(), 1);
    auto loaded = loader.Take();
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->request, b);
    EXPECT_EQ(loaded->result, 1);
    EXPECT_FALSE(loader.Holds(b));  // taken
    EXPECT_EQ(loader.Take(), nullptr);
}

TEST(PictureLoader, ARequestForOtherSettingsOrAnotherFileVersionIsAnotherRequest) {
    Gate gate;
    gate.Open();
    imaging::PictureLoader loader([] {},
                                  [&](const auto& r, auto* out) { return gate.Decode(r, out); });
    auto a = Request("\\a.jpg", 0);
    loader.Start(a);
    EXPECT_FALSE(loader.Holds(Request("\\a.jpg", 1)));
    auto changed = a;
    changed.lastWriteNanos = 1;
    EXPECT_FALSE(loader.Holds(changed));
    changed = a;
    changed.context.autoRotate = 0;
    EXPECT_FALSE(loader.Holds(changed));
    SettleWorkers();
    auto loaded = loader.Take();
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->fileWidth, 100);  // decoded for orientation 0
}

TEST(PictureLoader, ADropDuringTheDecodeLeavesNothingAndTellsNobody) {
    Gate gate;
    std::atomic<int> ready{0};
    {
        imaging::PictureLoader loader(
            [&] { ++ready; }, [&](const auto& r, auto* out) { return gate.Decode(r, out); });
        loader.Start(Request("\\a.jpg", 0));
        gate.WaitStarted(1);
        loader.Clear();
        gate.Open();
        SettleWorkers();
        EXPECT_EQ(loader.Take(), nullptr);
        EXPECT_EQ(ready.load(), 0);
        // A decode queued or running when the loader goes is waited for, not left to run
        // loose on freed memory (the sanitizer builds see it).
        loader.Start(Request("\\b.jpg", 2));
    }
}

}  // namespace
