// How fast the thumbnail grid comes up on a folder of camera pictures, against the practical
// lower bound: bare libjpeg-turbo decodes at 1/8 of the same files.
//
//   CORPUS=/tmp/corpus build/browser_bench [path/to/velloran]
//
// CORPUS is the folder made by the shared corpus script (make_corpus.sh); its 12 MP baseline
// files c12_*.jpg are copied twice into a folder of 16 pictures.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE first.
#include <jpeglib.h>

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

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double DecodeEighth(const std::string& path) {
    const auto start = Clock::now();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return 0;
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, f);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.scale_num = 1;
    cinfo.scale_denom = 8;
    cinfo.dct_method = JDCT_ISLOW;
    jpeg_start_decompress(&cinfo);
    std::vector<unsigned char> row(cinfo.output_width * cinfo.output_components);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW r = row.data();
        jpeg_read_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(f);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double RunProgram(const std::string& binary, const std::string& root, const std::string& keys) {
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execl(binary.c_str(), binary.c_str(), "--headless", "--device-root", root.c_str(), "--keys",
              keys.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void PrepareRoot(const std::string& root, const std::vector<std::string>& files) {
    fs::remove_all(root);
    fs::create_directories(root + "/Pics");
    fs::create_directories(root + "/Program Files/Velloran/Samples");
    fs::create_directories(root + "/Program Files/Velloran/Help");
    std::FILE* help = std::fopen((root + "/Program Files/Velloran/Help/index.htm").c_str(), "w");
    if (help)
        std::fclose(help);
    for (size_t i = 0; i < files.size(); ++i) {
        char name[48];
        std::snprintf(name, sizeof name, "/Pics/cam%02u.jpg", static_cast<unsigned>(i % 100));
        fs::copy_file(files[i], root + name, fs::copy_options::overwrite_existing);
    }
    fs::create_directories(root + "/Windows");
    std::FILE* reg = std::fopen((root + "/Windows/registry.reg").c_str(), "w");
    std::fprintf(
        reg,
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Tarrowby Systems Inc.\\velloran\\MainSection]\n"
        "\"WorkDirectory\"=\"\\\\Pics\"\n\"ThumbnailLayout\"=dword:00000002\n");
    std::fclose(reg);
}

// A host for measuring inside the process: no waiting, nothing shown.
class QuietHost : public plat::Host {
  public:
    uint64_t NowMs() override { return 0; }
    void WaitForEvents(int64_t) override {}
    void PollEvents() override {}
    void Present(const plat::Surface&, bool) override {}
};

// Key moves with every thumbnail already made: inside a page (two cells repainted) and across
// a page boundary (the page scrolls by a row).
void MeasureKeyMoves(const std::string& root, double* insidePage, double* acrossPage) {
    plat::DeviceFs::SetRoot(root);
    plat::Registry::Instance().Load(plat::Registry::kDefaultPath);
    QuietHost host;
    plat::WindowSystem& ws = plat::WindowSystem::Get();
    ws.Init(&host, 176, 220);
    plat::Shell::Init();
    InitApplication();
    InitInstance();
    AppState* app = App().appState;
    ws.PaintAndPresent();  // the first page: its thumbnails are decoded on worker threads
    while (ThumbnailsOutstanding() > 0) {
        plat::WorkerClock::Settle(60000);
        plat::Message m;
        while (ws.PeekMessage(&m)) {
            ws.Dispatch(m);
        }
        ws.PaintAndPresent();
    }
    const auto timeKey = [&](unsigned key) {
        const auto start = Clock::now();
        OnThumbnailKey(app, key);
        ws.PaintAndPresent();
        return std::chrono::duration<double>(Clock::now() - start).count();
    };
    std::vector<double> inside, across;
    for (int round = 0; round < 50; ++round) {
        inside.push_back(timeKey(plat::VK_RIGHT));
        inside.push_back(timeKey(plat::VK_LEFT));
    }
    // Seventeen pictures on a 4 x 4 page: from the bottom row, Down past the last visible row
    // scrolls the page down a row, and Up past the top row scrolls it back.
    for (int i = 0; i < 4; ++i) {
        timeKey(plat::VK_DOWN);
    }
    for (int round = 0; round < 20; ++round) {
        for (int i = 0; i < 3; ++i) {
            timeKey(plat::VK_UP);
        }
        across.push_back(timeKey(plat::VK_UP));
        for (int i = 0; i < 3; ++i) {
            timeKey(plat::VK_DOWN);
        }
        across.push_back(timeKey(plat::VK_DOWN));
    }
    *insidePage = Median(inside);
    *acrossPage = Median(across);
    TearDownApplication();
    ws.Shutdown();
}

}  // namespace

int main(int argc, char** argv) {
    const char* corpusEnv = std::getenv("CORPUS");
    const std::string corpus = corpusEnv ? corpusEnv : "/tmp/corpus";
    const std::string binary = argc > 1 ? argv[1] : "build/velloran";
    std::vector<std::string> twelve;
    for (const auto& e : fs::directory_iterator(corpus)) {
        const std::string n = e.path().filename().string();
        if (n.rfind("c12_", 0) == 0 && n.size() > 4 && n.substr(n.size() - 4) == ".jpg") {
            twelve.push_back(e.path().string());
        }
    }
    if (twelve.empty()) {
        std::fprintf(
            stderr,
            "no c12_*.jpg in %s: make the corpus with OUT=%s ../shared/bench/make_corpus.sh\n",
            corpus.c_str(), corpus.c_str());
        return 1;
    }
    std::sort(twelve.begin(), twelve.end());
    std::vector<std::string> files;
    // Seventeen pictures: a full 4 x 4 page and one more, so the grid can scroll.
    while (files.size() < 17) {
        files.push_back(twelve[files.size() % twelve.size()]);
    }

    constexpr int kRuns = 7;
    std::vector<double> bare, start;
    const std::string root = "/tmp/velloran-browser-bench";
    for (int run = 0; run < kRuns; ++run) {
        double sum = 0;
        for (size_t i = 0; i < 16; ++i) {
            sum += DecodeEighth(files[i]);
        }
        bare.push_back(sum);
        PrepareRoot(root, files);
        start.push_back(RunProgram(binary, root, ""));
    }
    double inside = 0;
    double across = 0;
    PrepareRoot(root, files);
    MeasureKeyMoves(root, &inside, &across);
    const double b = Median(bare);
    const double s = Median(start);
    std::printf("16 x 12 MP JPEGs on the first page, median of %d runs\n", kRuns);
    std::printf("  bare libjpeg-turbo 1/8 decodes (lower bound): %8.1f ms\n", b * 1000);
    std::printf("  start to first painted 4 x 4 page, whole process: %8.1f ms  (%.2fx the bound)\n",
                s * 1000, s / b);
    std::printf("  key move inside the page (two cells repainted): %8.3f ms\n", inside * 1000);
    std::printf("  key move across a page boundary (page scrolls): %8.3f ms\n", across * 1000);
    fs::remove_all(root);
    return 0;
}
