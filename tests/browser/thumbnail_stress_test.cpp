// The grid changed (keys, deletions, sort orders, layouts, folders) while thumbnails are being
// decoded on other threads. Once the last decode is in, every thumbnail must be its own
// entry's at the grid's current size, and the screen what decoding while painting draws.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "browser/thumbnail_loader.h"
#include "browser/thumbnail_view.h"
#include "core/app.h"
#include "core/app_state.h"
#include "core/file_list.h"
#include "platform/os/device_fs.h"
#include "platform/os/registry.h"
#include "platform/os/worker_clock.h"
#include "platform/shell/shell.h"
#include "platform/window/window_system.h"
#include "resources/artwork.h"
#include "resources/resource_ids.h"
#include "tests/support/headless.h"

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

std::vector<uint8_t> Screen() {
    const plat::Surface& s = plat::WindowSystem::Get().Screen();
    return std::vector<uint8_t>(s.Data(), s.Data() + s.Stride() * s.Height());
}

// Picture pN.bmp is 20 + N wide: an entry holding another's thumbnail has another's size.
int MismatchedSizes(FileList* list) {
    int wrong = 0;
    for (int i = 0; i < list->Count(); ++i) {
        const FileEntry* e = list->GetEntry(i);
        if (e->thumbnail && e->name[0] == 'p') {
            wrong += e->imageWidth != 20 + std::stoi(e->name.substr(1)) ? 1 : 0;
        }
    }
    return wrong;
}

bool Same(const plat::Bitmap& a, const plat::Bitmap& b) {
    return a.Width() == b.Width() && a.Height() == b.Height() &&
           std::memcmp(a.Bits(), b.Bits(), a.ByteSize()) == 0;
}

}  // namespace

TEST(ThumbnailStress, EveryThumbnailIsItsOwnEntrysAfterChangesDuringDecodes) {
    testing_support::TempDevice device;
    device.SkipSampleInstall();
    // Every picture differs in size and colour, so one in the wrong entry shows; one is broken.
    for (int n = 0; n < 60; ++n) {
        device.WriteFile((n < 30 ? "\\A\\p" : "\\B\\p") + std::to_string(n) + ".bmp",
                         testing_support::SolidBmp(20 + n, 90 - n, static_cast<uint8_t>(4 * n),
                                                   static_cast<uint8_t>(255 - 3 * n), 100));
    }
    device.WriteFile("\\B\\broken.bmp", "BM not a bitmap");
    device.MakeFolder("\\B\\Sub");
    device.WriteFile("\\Windows\\registry.reg",
                     "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Tarrowby Systems "
                     "Inc.\\velloran\\MainSection]\n\"WorkDirectory\"=\"\\\\A\"\n");
    plat::DeviceFs::SetRoot(device.Root());
    plat::Registry::Instance().Load(plat::Registry::kDefaultPath);
    QuietHost host;
    plat::WindowSystem& ws = plat::WindowSystem::Get();
    ws.Init(&host, 176, 220);
    plat::Shell::Init();
    App().decodeThreads = 2;
    ASSERT_TRUE(InitApplication() && InitInstance());
    AppState* app = App().appState;
    FileList* list = app->fileList.get();

    std::mt19937 random(20261207);
    int deleted = 0;
    for (int step = 0; step < 400; ++step) {
        const unsigned op = random() % 20;
        if (op < 8) {
            const unsigned keys[] = {plat::VK_DOWN, plat::VK_DOWN, plat::VK_RIGHT, plat::VK_UP,
                                     plat::VK_LEFT};
            OnThumbnailKey(app, keys[random() % 5]);
        } else if (op < 10) {
            Scroll(app, random() % 2 ? plat::SB_PAGEDOWN : plat::SB_PAGEUP, 0);
        } else if (op < 12) {
            // What "Delete" does once the user said yes.
            const FileEntry* entry = list->GetCurrentEntry();
            if (entry && !entry->isFolder && list->DeleteEntry(list->currentIndex, true)) {
                ++deleted;
                UpdateScroll(app);
                list->Select(std::min(list->currentIndex, list->Count() - 1));
                app->mainWindow->Invalidate(nullptr, true);
            }
        } else if (op < 14) {
            list->SetSortKey(static_cast<int>(random() % 3));
            app->mainWindow->Invalidate(nullptr, true);
        } else if (op < 15) {
            SetThumbnailLayout(app, static_cast<int>(random() % 3));
        } else if (op < 18) {
            app->SetCurrentFolder(random() % 2 ? "\\A" : "\\B", true);
        } else {
            OnThumbnailKey(app, plat::VK_RETURN);  // into \B\Sub, or a picture opens
            SetViewMode(app, kThumbnail);
        }
        // Mostly the next change comes before the decoded thumbnails are taken.
        if (random() % 3 == 0) {
            Pump();
            ASSERT_EQ(MismatchedSizes(list), 0) << "step " << step;
        } else {
            ws.PaintAndPresent();
        }
    }
    for (int round = 0; round < 100 && (ThumbnailsOutstanding() > 0 || round == 0); ++round) {
        plat::WorkerClock::Settle(60000);
        Pump();
    }
    ASSERT_EQ(ThumbnailsOutstanding(), 0);
    EXPECT_GT(deleted, 0);

    int boxW = 0, boxH = 0;
    ThumbBox(app, &boxW, &boxH);
    const auto broken = res::LoadBitmapResource(kBmpUndecodable);
    int columns = 0;
    const int last = app->firstVisibleIndex + LayoutCells(app, &columns) - 1;
    int checked = 0;
    for (int i = 0; i < list->Count(); ++i) {
        const FileEntry* entry = list->GetEntry(i);
        SCOPED_TRACE(entry->name);
        if (!entry->isFolder && i >= app->firstVisibleIndex && i <= last) {
            EXPECT_NE(entry->thumbnail, nullptr) << "a cell in view has no thumbnail";
        }
        if (!entry->thumbnail) {
            continue;
        }
        int w = boxW, h = boxH;
        const auto fresh =
            imaging::LoadThumbnailBitmap(list->FullPath(i), LoadingContext(app), &w, &h);
        EXPECT_TRUE(Same(*entry->thumbnail, fresh ? *fresh : *broken));
        EXPECT_EQ(entry->imageWidth, w);
        EXPECT_EQ(entry->imageHeight, h);
        ++checked;
    }
    EXPECT_GT(checked, 0);

    // The same page once more, every thumbnail decoded while painting.
    const std::vector<uint8_t> threaded = Screen();
    StopThumbnailDecoders();
    list->FreeThumbnails();
    app->mainWindow->Invalidate(nullptr, true);
    Pump();
    EXPECT_TRUE(threaded == Screen());

    TearDownApplication();
    ws.Shutdown();
    App().decodeThreads = -1;
}
