// The image view on camera photos, measured inside the process from the key's arrival to the
// frame that answers it:
//   - a step (Right) after the user lingered longer than a decode, with and without the
//     next picture decoded ahead;
//   - a key (full screen, Back) pressed while a photo decodes, against the decode time that
//     kept such a key waiting when pictures were decoded on the user-interface thread.
//
//   CORPUS=/work/corpus build/image_view_bench
//
// CORPUS is the folder made by the shared corpus script (make_corpus.sh); its 12 and 24 MP
// files (c12_*, c24_*) make a folder of 16 pictures.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "bench/bench_support.h"
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

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::time_point from) {
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

// Real time, nothing shown, woken when a worker posts.
class QuietHost : public plat::Host {
  public:
    uint64_t NowMs() override { return 0; }
    void WaitForEvents(int64_t) override {}
    void PollEvents() override {}
    void Present(const plat::Surface&, bool) override {}
};

// Handles messages and paints until `done` (then the frame is shown), napping while a worker
// decodes. `handledAt`: when the message after which `done` held was handled (before the
// frame was painted).
template <typename Done>
void RunUntil(Done done, Clock::time_point* handledAt = nullptr) {
    plat::WindowSystem& ws = plat::WindowSystem::Get();
    plat::Message m;
    for (;;) {
        bool handled = false;
        while (ws.PeekMessage(&m)) {
            ws.Dispatch(m);
            handled = true;
            if (handledAt && done()) {
                *handledAt = Clock::now();
                handledAt = nullptr;
            }
        }
        ws.PaintAndPresent();
        if (done()) {
            return;
        }
        if (!handled) {
            // Leave the core to the decoder.
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
    }
}

// Every decode done and its news handled (the user lingers).
void Linger() {
    plat::WindowSystem& ws = plat::WindowSystem::Get();
    plat::Message m;
    for (int i = 0; i < 4; ++i) {
        plat::WorkerClock::Settle(60000);
        while (ws.PeekMessage(&m)) {
            ws.Dispatch(m);
        }
    }
    ws.PaintAndPresent();
}

bool Showing(const AppState* app, int index) {
    return !app->pictureWanted && app->fileList->currentIndex == index &&
           app->currentImagePath == app->fileList->FullPath(index);
}

struct Figures {
    std::vector<double> stepPreloaded, stepCold, decodeOnUiThread, keyDuringLoad, backDuringLoad,
        gridFrame;
};

void Measure(AppState* app, Figures* f) {
    plat::WindowSystem& ws = plat::WindowSystem::Get();
    FileList* list = app->fileList.get();
    SetViewMode(app, kImage);
    Linger();
    const int count = list->Count();
    for (int round = 0; round < 2 * count; ++round) {
        const bool cold = round % 2 == 1;
        if (cold) {
            app->pictureLoader->Clear();  // as if nothing was decoded ahead
        }
        const int next = list->StepPicture(list->currentIndex, false);
        const auto start = Clock::now();
        ws.PostKey(plat::VK_RIGHT, true);
        ws.PostKey(plat::VK_RIGHT, false);
        RunUntil([&] { return Showing(app, next); });
        (cold ? f->stepCold : f->stepPreloaded).push_back(Ms(start));
        Linger();
    }
    // A key while a photo decodes: full screen on the picture still shown, then Back.
    for (int round = 0; round < count; ++round) {
        app->pictureLoader->Clear();
        const int next = list->StepPicture(list->currentIndex, false);
        {
            imaging::ImageBuffer image;
            const auto start = Clock::now();
            imaging::LoadImageFile(list->FullPath(next), &image, 0, 0, LoadingContext(app));
            f->decodeOnUiThread.push_back(Ms(start));
        }
        OnImageKey(app, plat::VK_RIGHT, 1);
        const bool fullScreen = app->fullScreen;
        auto start = Clock::now();
        ws.PostKey('5', true);
        RunUntil([&] { return app->fullScreen != fullScreen; });
        f->keyDuringLoad.push_back(Ms(start));
        Linger();
        if (round % 4 == 3) {
            // Back (full screen off first) while the next photo decodes: the grid shows.
            SetFullScreen(app, false);
            app->pictureLoader->Clear();
            OnImageKey(app, plat::VK_RIGHT, 1);
            start = Clock::now();
            ws.PostKey(plat::VK_TBACK, true);
            ws.PostKey(plat::VK_TBACK, false);
            Clock::time_point left;
            RunUntil([&] { return app->viewMode == kThumbnail; }, &left);
            f->backDuringLoad.push_back(
                std::chrono::duration<double, std::milli>(left - start).count());
            f->gridFrame.push_back(Ms(left));
            Linger();
            SetViewMode(app, kImage);
            Linger();
        }
    }
    SetFullScreen(app, false);
}

}  // namespace

int main() {
    const char* corpusEnv = std::getenv("CORPUS");
    const std::string corpus = corpusEnv ? corpusEnv : "/work/corpus";
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(corpus)) {
        const std::string n = e.path().filename().string();
        if ((n.rfind("c12_", 0) == 0 || n.rfind("c24_", 0) == 0) && n.size() > 4 &&
            n.substr(n.size() - 4) == ".jpg") {
            files.push_back(e.path().string());
        }
    }
    std::sort(files.begin(), files.end());
    if (files.empty()) {
        std::fprintf(stderr, "no camera pictures (c12_*.jpg, c24_*.jpg) in %s\n", corpus.c_str());
        return 1;
    }
    const std::string root = fs::temp_directory_path() / "velloran_image_view_bench";
    bench::PrepareRoot(root, files, 0);
    plat::DeviceFs::SetRoot(root);
    plat::Registry::Instance().Load(plat::Registry::kDefaultPath);
    QuietHost host;
    plat::WindowSystem& ws = plat::WindowSystem::Get();
    ws.Init(&host, 176, 220);
    plat::Shell::Init();
    InitApplication();
    InitInstance();
    Linger();
    Figures f;
    Measure(App().appState, &f);
    TearDownApplication();
    ws.Shutdown();
    fs::remove_all(root);

    std::printf("image view on %zu camera photos (12 and 24 MP), medians, ms from key to frame\n",
                files.size());
    std::printf("  step, next picture decoded ahead     %8.2f  (%zu steps)\n",
                bench::Median(f.stepPreloaded), f.stepPreloaded.size());
    std::printf("  step, nothing decoded ahead          %8.2f  (%zu steps)\n",
                bench::Median(f.stepCold), f.stepCold.size());
    std::printf("  ratio cold / ahead                   %8.1fx\n",
                bench::Median(f.stepCold) / std::max(bench::Median(f.stepPreloaded), 1e-3));
    std::printf("  key '5' while a photo decodes        %8.2f  (%zu keys)\n",
                bench::Median(f.keyDuringLoad), f.keyDuringLoad.size());
    std::printf("  Back while a photo decodes: view left %7.2f  (%zu keys)\n",
                bench::Median(f.backDuringLoad), f.backDuringLoad.size());
    std::printf("    then the grid's frame %8.2f\n", bench::Median(f.gridFrame));
    std::printf("  decode on the UI thread (what a key waited for before) %8.2f\n",
                bench::Median(f.decodeOnUiThread));
    return 0;
}
