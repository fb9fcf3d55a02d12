// The thumbnail grid with its decoders on worker threads.
//
//   CORPUS=/work/corpus build/grid_bench [path/to/velloran]
//
// 1. The corpus's whole grid: every file of CORPUS in one folder, the program started
//    headless at 2 x 2, Down until every thumbnail has been painted, exit. Against a bare
//    libjpeg-turbo loop decoding each file at 1/8 on one core and against vipsthumbnail
//    (--size 80x77), round robin, median of several rounds; the program with one decoder
//    thread per core, and with 0 (decoding while painting), 1 and 3 threads.
// 2. Key latency while a page of 16 camera photos loads, inside the process: from the
//    moment the left softkey is posted to the first frame that shows its menu, decoding
//    while painting against decoding on worker threads.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "bench/bench_support.h"
#include "core/app.h"
#include "platform/os/device_fs.h"
#include "platform/os/registry.h"
#include "platform/shell/shell.h"
#include "platform/window/window_system.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

double BareLoop(const std::vector<std::string>& files) {
    const auto start = Clock::now();
    for (const std::string& f : files) {
        bench::DecodeEighth(f);
    }
    return Seconds(start);
}

double Run(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const double s = Seconds(start);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", argv[0].c_str());
    }
    return s;
}

// Real time; waits for input until woken. Notes the first frame that shows a menu after
// the key was posted, then ends the menu and the program.
class LatencyHost : public plat::Host {
  public:
    uint64_t NowMs() override {
        return static_cast<uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_).count());
    }
    void WaitForEvents(int64_t timeoutMs) override {
        if (answered_ && !closing_) {
            closing_ = true;
            plat::WindowSystem& ws = plat::WindowSystem::Get();
            if (!ws.Modals().empty()) {
                ws.Modals().back().cancel();
            }
            RequestExit();
            return;
        }
        std::unique_lock<std::mutex> lock(mutex_);
        const auto ready = [this] { return woken_; };
        if (timeoutMs < 0) {
            wake_.wait(lock, ready);
        } else {
            wake_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
        }
        woken_ = false;
    }
    void PollEvents() override {}
    void Wake() override {
        std::lock_guard<std::mutex> lock(mutex_);
        woken_ = true;
        wake_.notify_all();
    }
    void Present(const plat::Surface&, bool) override {
        const plat::WindowSystem& ws = plat::WindowSystem::Get();
        if (keyPosted_ && !answered_ && !ws.Modals().empty() && ws.Modals().back().kind == "menu") {
            answered_ = true;
            latency_ = Seconds(keyAt_);
        }
    }
    void PostKeyNow() {
        keyAt_ = Clock::now();
        keyPosted_ = true;
        plat::WindowSystem::Get().PostKey(plat::VK_TSOFT1, true);
        plat::WindowSystem::Get().PostKey(plat::VK_TSOFT1, false);
    }
    double Latency() const { return latency_; }

  private:
    Clock::time_point start_ = Clock::now();
    std::mutex mutex_;
    std::condition_variable wake_;
    bool woken_ = false;
    Clock::time_point keyAt_;
    std::atomic<bool> keyPosted_{false};
    bool answered_ = false;
    bool closing_ = false;
    double latency_ = -1;
};

// The program in this process on a page of 16 camera photos; the softkey comes 30 ms after
// the first paint began decoding.
double KeyLatency(const std::string& root, int threads) {
    plat::DeviceFs::SetRoot(root);
    plat::Registry::Instance().Load(plat::Registry::kDefaultPath);
    LatencyHost host;
    plat::WindowSystem& ws = plat::WindowSystem::Get();
    ws.Init(&host, 176, 220);
    plat::Shell::Init();
    App().decodeThreads = threads;
    std::thread presser;
    if (InitApplication() && InitInstance()) {
        presser = std::thread([&host] {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            host.PostKeyNow();
        });
        RunMessageLoop();
    }
    if (presser.joinable()) {
        presser.join();
    }
    TearDownApplication();
    ws.Shutdown();
    return host.Latency();
}

}  // namespace

int main(int argc, char** argv) {
    const char* corpusEnv = std::getenv("CORPUS");
    const std::string corpus = corpusEnv ? corpusEnv : "/work/corpus";
    const std::string binary = argc > 1 ? argv[1] : "build/velloran";
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(corpus)) {
        if (e.path().extension() == ".jpg") {
            files.push_back(e.path().string());
        }
    }
    std::sort(files.begin(), files.end());
    if (files.size() < 16) {
        std::fprintf(stderr, "fewer than 16 JPEGs in %s (make them with make_corpus.sh)\n",
                     corpus.c_str());
        return 1;
    }

    const std::string root = "/tmp/velloran-grid-bench";
    bench::PrepareRoot(root, files, 0);
    // Down until the last row of the 2 x 2 grid has been painted.
    std::string keys;
    for (size_t i = 0; i < files.size() / 2; ++i) {
        keys += "Down ";
    }
    const auto program = [&](int threads) {
        return Run({binary, "--headless", "--device-root", root, "--decode-threads",
                    std::to_string(threads), "--keys", keys});
    };
    const std::string vipsOut = "/tmp/velloran-grid-bench-vips";
    fs::create_directories(vipsOut);
    std::vector<std::string> vips = {"vipsthumbnail", "--size", "80x77", "-o", vipsOut + "/%s.jpg"};
    vips.insert(vips.end(), files.begin(), files.end());

    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    constexpr int kRounds = 5;
    std::vector<double> bare, vip, t0, t1, tCores, t3;
    for (int round = 0; round < kRounds; ++round) {
        bare.push_back(BareLoop(files));
        vip.push_back(Run(vips));
        tCores.push_back(program(cores));
        t0.push_back(program(0));
        t1.push_back(program(1));
        t3.push_back(program(cores + 1));
    }
    const double b = bench::Median(bare);
    std::printf(
        "Whole grid of %zu corpus JPEGs at 2 x 2 (start, every thumbnail painted, exit),"
        " median of %d rounds, round robin\n",
        files.size(), kRounds);
    std::printf("  bare libjpeg-turbo 1/8 loop, one core      %8.0f ms\n", b * 1000);
    std::printf("  vipsthumbnail --size 80x77                 %8.0f ms  %.2fx the bare loop\n",
                bench::Median(vip) * 1000, bench::Median(vip) / b);
    const auto line = [&](const char* what, const std::vector<double>& v) {
        std::printf("  %-42s %8.0f ms  %.2fx the bare loop, %.2fx vipsthumbnail\n", what,
                    bench::Median(v) * 1000, bench::Median(v) / b,
                    bench::Median(v) / bench::Median(vip));
    };
    const std::string coresText = "velloran, " + std::to_string(cores) + " decoder threads";
    line(coresText.c_str(), tCores);
    line("velloran, decoding while painting", t0);
    line("velloran, 1 decoder thread", t1);
    const std::string moreText = "velloran, " + std::to_string(cores + 1) + " decoder threads";
    line(moreText.c_str(), t3);

    // Sixteen camera photos on a 4 x 4 page.
    std::vector<std::string> camera;
    for (const std::string& f : files) {
        const std::string n = fs::path(f).filename().string();
        if (n[0] == 'c' && (n[1] == '1' || n[1] == '2')) {
            camera.push_back(f);
        }
    }
    camera.resize(std::min<size_t>(camera.size(), 16));
    std::vector<double> sync, threaded;
    for (int round = 0; round < kRounds; ++round) {
        bench::PrepareRoot(root, camera, 2);
        sync.push_back(KeyLatency(root, 0));
        bench::PrepareRoot(root, camera, 2);
        threaded.push_back(KeyLatency(root, -1));
    }
    std::printf(
        "Left softkey 30 ms into loading a page of %zu camera photos, key to the frame"
        " with its menu, median of %d\n",
        camera.size(), kRounds);
    std::printf("  decoding while painting   %8.1f ms\n", bench::Median(sync) * 1000);
    std::printf("  decoding on %d threads     %8.1f ms\n", cores, bench::Median(threaded) * 1000);
    fs::remove_all(root);
    fs::remove_all(vipsOut);
    return 0;
}
