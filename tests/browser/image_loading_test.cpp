// The image view's pictures decode on a worker thread. Driven inside the test process, so that
// keys can be handled while a decode is still on its way: Back during a load, and steps onto
// a picture preloaded for settings or a file that have changed since.
#include <gtest/gtest.h>

#include <cstring>

#include "app/main_window.h"
#include "browser/image_view.h"
#include "core/app.h"
#include "core/app_state.h"
#include "core/file_list.h"
#include "imaging/image_buffer.h"
#include "imaging/loaders.h"
#include "imaging/picture_loader.h"
#include "platform/os/device_fs.h"
#include "platform/os/registry.h"
#include "platform/os/worker_clock.h"
#include "platform/shell/shell.h"
#include "platform/window/window_system.h"
#include "resources/resource_ids.h"
#include "tests/support/headless.h"
#include "tests/support/script_host.h"

using testing_support::SolidBmp;
using testing_support::TempDevice;

namespace {

const std::string kFolder = "\\Program Files\\Velloran\\Samples";

class ImageLoading : public testing::Test {
  protected:
    void SetUp() override {
        device_.SkipSampleInstall();
        // Not square, so that a turn changes the picture's shape.
        device_.WriteFile(kFolder + "\\a.bmp", SolidBmp(900, 700, 255, 0, 0));
        device_.WriteFile(kFolder + "\\b.bmp", SolidBmp(60, 90, 0, 255, 0));
        device_.WriteFile(kFolder + "\\c.bmp", SolidBmp(120, 50, 0, 0, 255));
        plat::DeviceFs::SetRoot(device_.Root());
        plat::Registry::Instance().Load(plat::Registry::kDefaultPath);
        plat::WorkerClock::UseVirtualTime(false, 0);
        plat::WindowSystem::Get().Init(&host_, 176, 220);
        plat::Shell::Init();
        ASSERT_TRUE(InitApplication());
        ASSERT_TRUE(InitInstance());
        app_ = App().appState;
        Pump();
    }
    void TearDown() override {
        TearDownApplication();
        plat::WindowSystem::Get().Shutdown();
    }

    // Lets the decoders finish and handles what they posted, as the headless host does
    // between two tokens.
    void Pump() {
        plat::WindowSystem& ws = plat::WindowSystem::Get();
        plat::Message m;
        for (int round = 0; round < 10; ++round) {
            plat::WorkerClock::Settle(60000);
            if (!ws.PeekMessage(&m)) {
                return;
            }
            do {
                ws.Dispatch(m);
            } while (ws.PeekMessage(&m));
        }
    }

    void Press(unsigned key) {
        plat::WindowSystem::Get().PostKey(key, true);
        plat::WindowSystem::Get().PostKey(key, false);
    }

    // The picture shown is `name`, exactly as a decode on this thread gives it now.
    void ExpectShownAsFreshLoad(const std::string& name) {
        const std::string path = kFolder + "\\" + name;
        EXPECT_FALSE(app_->pictureWanted);
        EXPECT_EQ(app_->currentImagePath, path);
        ASSERT_NE(app_->currentImage, nullptr);
        imaging::ImageBuffer fresh;
        ASSERT_EQ(imaging::LoadImageFile(path, &fresh, 0, 0, LoadingContext(app_)), 1);
        const imaging::ImageBuffer& shown = *app_->currentImage;
        ASSERT_EQ(shown.Width(), fresh.Width());
        ASSERT_EQ(shown.Height(), fresh.Height());
        const size_t bytes =
            static_cast<size_t>(imaging::RowStride(fresh.Width(), fresh.BitsPerPixel())) *
            fresh.Height();
        EXPECT_EQ(std::memcmp(shown.Bits(), fresh.Bits(), bytes), 0) << name;
    }

    TempDevice device_;
    testing_support::ScriptHost host_;
    AppState* app_ = nullptr;
};

TEST_F(ImageLoading, BackWhileThePictureDecodesLeavesAndDropsTheLateResult) {
    // Enter starts the decode; Back is queued before anything the decoder can post.
    Press(plat::VK_RETURN);
    Press(plat::VK_TBACK);
    Pump();
    EXPECT_EQ(app_->viewMode, kThumbnail);
    EXPECT_EQ(app_->currentImage, nullptr);
    EXPECT_FALSE(app_->pictureWanted);
    EXPECT_FALSE(plat::WindowSystem::Get().WaitCursorShown());
    ASSERT_NE(app_->pictureLoader, nullptr);
    EXPECT_EQ(app_->pictureLoader->Take(), nullptr);
    // The view opens normally afterwards.
    Press(plat::VK_RETURN);
    Pump();
    ExpectShownAsFreshLoad("a.bmp");
}

TEST_F(ImageLoading, AStepShowsThePreloadAtOnceOnlyWhileItStillFits) {
    Press(plat::VK_RETURN);
    Pump();
    ExpectShownAsFreshLoad("a.bmp");
    // b was preloaded while a was shown: the step shows it before any decoder runs again.
    OnImageKey(app_, plat::VK_RIGHT, 1);
    ExpectShownAsFreshLoad("b.bmp");
    Pump();
    // A turn after c was preloaded: c is decoded again, turned.
    Rotate(app_, kCmdRotateRight);
    OnImageKey(app_, plat::VK_RIGHT, 1);
    EXPECT_TRUE(app_->pictureWanted);
    Pump();
    EXPECT_EQ(app_->orientation, 1);
    ExpectShownAsFreshLoad("c.bmp");
    // a, preloaded next (wrapping), is replaced on the card before the step.
    device_.WriteFile(kFolder + "\\a.bmp", SolidBmp(30, 20, 9, 9, 9));
    OnImageKey(app_, plat::VK_RIGHT, 1);
    EXPECT_TRUE(app_->pictureWanted);
    Pump();
    ExpectShownAsFreshLoad("a.bmp");
    // Travelling back preloads backwards: c arrives with the key.
    OnImageKey(app_, plat::VK_LEFT, 1);
    Pump();
    EXPECT_EQ(app_->currentImagePath, kFolder + "\\c.bmp");
    OnImageKey(app_, plat::VK_LEFT, 1);
    ExpectShownAsFreshLoad("b.bmp");
}

}  // namespace
