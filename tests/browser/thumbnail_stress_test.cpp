// The grid while thumbnails are still being decoded on other threads: keys, deletions, new
// sort orders, new layouts and other folders, none of them waiting for the decodes. When the
// last decode is in, every thumbnail must be its own entry's, at the grid's current size,
// and the screen must be what decoding while painting draws.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "browser/thumbnail_loader.h"
#include "browser/thumbnail_view.h"
#include "core/app.h"
#include "core/app_state.h"
#include "core/file_list.h"
#include "imaging/loaders.h"
#include "platform/os/device_fs.h"
#include "platform/os/registry.h"
#include "platform/os/worker_clock.h"
#include "platform/shell/shell.h"
#include "platform/window/window_system.h"
#include "resources/artwork.h"
#include "resources/resource_ids.h"
#include "tests/support/headless.h"

namespace fs = std::filesystem;

namespace {

class QuietHost : public plat::Host {
  public:
    uint64_t NowMs() override { return 0; }
    void WaitForEvents(int64_t) override {}
    void PollEvents() override {}
    void Present(const plat::Surface&, bool) override {}
};

void Pump() {
    plat::WindowSystem& ws = plat::WindowSystem::Get();
    plat::Message m;
    while (ws.PeekMessage(&m)) {
        ws.Dispatch(m);
    }
    ws.PaintAndPresent();
}

// Pictures that all differ in size and colour, so a thumbnail in the wrong entry shows.
void MakePictures(const testing_support::TempDevice& device, const std::string& folder, int count,
                  int seed) {
    for (int i = 0; i < count; ++i) {
        const int n = seed + i;
        device.WriteFile(folder + "\\p" + std::to_string(n) + ".bmp",
                         testing_support::SolidBmp(20 + n, 90 - n, static_cast<uint8_t>(7 * n),
                                                   static_cast<uint8_t>(255 - 5 * n), 100));
    }
}

// Copies the picture files of a suite folder into the device folder `to`.
void CopyPictures(const fs::path& from, const fs::path& to) {
    for (const auto& e : fs::directory_iterator(from)) {
        const std::string ext = e.path().extension().string();
        if (e.is_regular_file() && (ext == ".bmp" || ext == ".jpg" || ext == ".gif")) {
            fs::copy_file(e.path(), to / e.path().filename());
        }
    }
}

bool SameBitmap(const plat::Bitmap& a, const plat::Bitmap& b) {
    return a.Width() == b.Width() && a.Height() == b.Height() &&
           std::memcmp(a.Bits(), b.Bits(), a.ByteSize()) == 0;
}

class ThumbnailStress : public ::testing::Test {
  protected:
    void SetUp() override {
        const fs::path root = device_.Root();
        device_.SkipSampleInstall();
        MakePictures(device_, "\\A", 30, 0);
        MakePictures(device_, "\\B", 30, 30);
        device_.MakeFolder("\\B\\Sub");
        // Real camera-like files and broken ones take longer and fail.
        const fs::path data = VELLORAN_TEST_DATA;
        if (fs::is_directory(data / "libjpeg-turbo-testimages")) {
            CopyPictures(data / "libjpeg-turbo-testimages", root / "A");
        }
        if (fs::is_directory(data / "bmpsuite" / "b")) {
            CopyPictures(data / "bmpsuite" / "b", root / "B");
        }
        device_.WriteFile("\\Windows\\registry.reg",
                          "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Tarrowby Systems "
                          "Inc.\\velloran\\MainSection]\n\"WorkDirectory\"=\"\\\\A\"\n"
                          "\"ThumbnailLayout\"=dword:00000001\n");
        plat::DeviceFs::SetRoot(device_.Root());
        plat::Registry::Instance().Load(plat::Registry::kDefaultPath);
        plat::WindowSystem::Get().Init(&host_, 176, 220);
        plat::Shell::Init();
        App().decodeThreads = 2;
        ASSERT_TRUE(InitApplication());
        ASSERT_TRUE(InitInstance());
        app_ = App().appState;
        started_ = true;
    }
    void TearDown() override {
        if (started_) {
            TearDownApplication();
            plat::WindowSystem::Get().Shutdown();
        }
        App().decodeThreads = -1;
    }

    // Waits for every decode and stores what arrived, as often as painting asks for more.
    void Settle() {
        for (int round = 0; round < 100; ++round) {
            Pump();
            if (ThumbnailsOutstanding() == 0) {
                return;
            }
            plat::WorkerClock::Settle(60000);
        }
        FAIL() << ThumbnailsOutstanding() << " decodes never came back";
    }

    testing_support::TempDevice device_;
    QuietHost host_;
    AppState* app_ = nullptr;
    bool started_ = false;
};

}  // namespace

TEST_F(ThumbnailStress, EveryThumbnailIsItsOwnEntrysAfterChangesDuringDecodes) {
    std::mt19937 random(20261207);
    FileList* list = app_->fileList.get();
    int deleted = 0;
    for (int step = 0; step < 400; ++step) {
        const unsigned op = random() % 20;
        if (op < 8) {
            static const unsigned keys[] = {plat::VK_DOWN, plat::VK_DOWN, plat::VK_RIGHT,
                                            plat::VK_UP, plat::VK_LEFT};
            OnThumbnailKey(app_, keys[random() % 5]);
        } else if (op < 10) {
            Scroll(app_, random() % 2 ? plat::SB_PAGEDOWN : plat::SB_PAGEUP, 0);
        } else if (op < 12) {
            // What "Delete" does once the user said yes.
            const FileEntry* entry = list->GetCurrentEntry();
            if (entry && !entry->isFolder && list->DeleteEntry(list->currentIndex, true)) {
                ++deleted;
                UpdateScroll(app_);
                list->Select(std::min(list->currentIndex, list->Count() - 1));
                app_->mainWindow->Invalidate(nullptr, true);
            }
        } else if (op < 14) {
            list->SetSortKey(static_cast<int>(random() % 3));
            app_->mainWindow->Invalidate(nullptr, true);
        } else if (op < 15) {
            SetThumbnailLayout(app_, static_cast<int>(random() % 3));
        } else if (op < 17) {
            app_->SetCurrentFolder(random() % 2 ? "\\A" : "\\B", true);
        } else {
            OnThumbnailKey(app_, plat::VK_RETURN);  // into \B\Sub, or a picture opens
            if (app_->viewMode != kThumbnail) {
                SetViewMode(app_, kThumbnail);
            }
        }
        // Now and then the messages are handled; mostly the next change comes first.
        if (random() % 3 == 0) {
            Pump();
        } else {
            plat::WindowSystem::Get().PaintAndPresent();
        }
    }
    Settle();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_GT(deleted, 0);

    int boxW = 0, boxH = 0;
    ThumbBox(app_, &boxW, &boxH);
    const std::unique_ptr<plat::Bitmap> broken = res::LoadBitmapResource(kBmpUndecodable);
    int columns = 1;
    const int last =
        std::min(list->Count() - 1, app_->firstVisibleIndex + LayoutCells(app_, &columns) - 1);
    int checked = 0;
    for (int i = 0; i < list->Count(); ++i) {
        const FileEntry* entry = list->GetEntry(i);
        SCOPED_TRACE(entry->name);
        if (entry->isFolder) {
            continue;
        }
        if (i >= app_->firstVisibleIndex && i <= last) {
            EXPECT_NE(entry->thumbnail, nullptr) << "a cell in view has no thumbnail";
        }
        if (!entry->thumbnail) {
            continue;
        }
        int w = boxW, h = boxH;
        const std::unique_ptr<plat::Bitmap> fresh =
            imaging::LoadThumbnailBitmap(list->FullPath(i), LoadingContext(app_), &w, &h);
        if (fresh) {
            EXPECT_TRUE(SameBitmap(*entry->thumbnail, *fresh));
            EXPECT_EQ(entry->imageWidth, w);
            EXPECT_EQ(entry->imageHeight, h);
        } else {
            EXPECT_TRUE(SameBitmap(*entry->thumbnail, *broken));
            EXPECT_EQ(entry->imageWidth, 0);
        }
        ++checked;
    }
    EXPECT_GT(checked, 0);

    // The same page drawn again, every thumbnail decoded while painting.
    plat::WindowSystem& ws = plat::WindowSystem::Get();
    const std::vector<uint8_t> threaded(ws.Screen().Data(),
                                        ws.Screen().Data() + ws.Screen().Stride() * 220);
    StopThumbnailDecoders();
    list->FreeThumbnails();
    app_->mainWindow->Invalidate(nullptr, true);
    Pump();
    const std::vector<uint8_t> painted(ws.Screen().Data(),
                                       ws.Screen().Data() + ws.Screen().Stride() * 220);
    EXPECT_TRUE(threaded == painted);
}
