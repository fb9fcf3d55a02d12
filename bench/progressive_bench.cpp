// Memory of progressive JPEG decodes, now (1/8-scale decodes keep only the terms that scale
// reads and skip the AC scans of DC-only components) and before (every scan read, the whole
// coefficient buffer held), in one run:
//   - peak memory of the whole program (headless) painting every thumbnail of the corpus in the
//     2 x 2 grid, the corpus folder mounted as the storage card;
//   - the extra memory, over an idle child, of one 24 MP progressive thumbnail (p24_01.jpg) and
//     of the image view's pictures of the progressive files at memory level 2;
//   - the pixel difference of the two ways on every progressive file of the corpus and of the
//     test suites, as thumbnails (80 x 75) and as view pictures (528 x 660, level 2).
//
//   build/progressive_bench [CORPUS_DIR] [SUITE_DIR]
//     (defaults /work/corpus, made by make_corpus.sh, and tests/data)
//
// Every memory figure is ru_maxrss of a forked child. The machine may be shared: the load
// average is printed before and after.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "hosts/app_runner.h"
#include "hosts/headless/headless_host.h"
#include "hosts/host_options.h"
#include "imaging/jpeg_codec.h"
#include "imaging/loaders.h"
#include "platform/os/device_fs.h"
#include "platform/os/process.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Result {
    double seconds = -1;
    double peakMiB = 0;
};

// Runs `work` in a child; its wall time and peak resident memory. A child whose work returns
// false counts as failed (seconds -1).
Result InChild(const std::function<bool()>& work) {
    std::fflush(stdout);
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        if (!freopen("/dev/null", "w", stderr)) {
            _exit(3);
        }
        _exit(work() ? 0 : 1);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    Result r;
    r.peakMiB = usage.ru_maxrss / 1024.0;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    }
    return r;
}

std::string LoadAverage() {
    std::FILE* f = std::fopen("/proc/loadavg", "r");
    char text[64] = "?";
    if (f) {
        if (!std::fgets(text, sizeof text, f)) {
            text[0] = 0;
        }
        std::fclose(f);
    }
    std::string s = text;
    s.erase(s.find_last_not_of(" \n") + 1);
    return s;
}

// The whole program, as `velloran --headless --device-root ROOT --keys KEYS CARD` would run.
bool RunProgram(const std::string& root, const std::string& card, bool reducedTerms) {
    imaging::SetJpegReducedTerms(reducedTerms);
    // Down moves a row of two; twelve rows hold the 24 pictures, so every cell is painted.
    std::string keys;
    for (int i = 0; i < 12; ++i) {
        keys += "Down ";
    }
    std::vector<std::string> args = {"velloran", "--headless", "--device-root", root, "--keys",
                                     keys,       card};
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    HostOptions options;
    std::string error;
    if (ParseHostOptions(static_cast<int>(argv.size()), argv.data(), &options, &error) !=
        ParseResult::kRun) {
        return false;
    }
    AppRunner runner(options);
    HeadlessHost host(options);
    if (!host.ScriptValid(&error) || runner.Prepare(AppRunner::kAnotherRunning) >= 0) {
        return false;
    }
    plat::Processes::Instance().SetLaunchEnabled(false);
    runner.Run(&host);
    return !host.OutputFailed();
}

struct Decoded {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
};

// A thumbnail (box > 0) or a screen-size picture (box 0, at a memory level) of a device path.
bool Decode(const std::string& path, int boxWidth, int boxHeight, bool reducedTerms, Decoded* out,
            int level = 0) {
    imaging::SetJpegReducedTerms(reducedTerms);
    imaging::ImagingContext context;
    context.loadSizeLevel = level;
    std::unique_ptr<imaging::ImageBuffer> image;
    if (boxWidth > 0) {
        int w = 0, h = 0;
        image = imaging::LoadThumbnailImage(path, boxWidth, boxHeight, context, &w, &h);
    } else {
        image = std::make_unique<imaging::ImageBuffer>();
        if (!imaging::LoadImageFile(path, image.get(), 0, 0, context)) {
            image.reset();
        }
    }
    if (!image) {
        return false;
    }
    out->width = image->Width();
    out->height = image->Height();
    out->pixels.clear();
    for (int y = 0; y < out->height; ++y) {
        const uint8_t* row = image->RowPtr(y);
        out->pixels.insert(out->pixels.end(), row, row + 3 * out->width);
    }
    return true;
}

struct Difference {
    int largest = 0;
    double mean = 0;
    double overOne = 0;  // share of bytes more than 1 level apart
    bool sameSize = false;
};

Difference Compare(const Decoded& a, const Decoded& b) {
    Difference d;
    d.sameSize = a.width == b.width && a.height == b.height;
    if (!d.sameSize || a.pixels.empty()) {
        return d;
    }
    long sum = 0, over = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        const int e = std::abs(int{a.pixels[i]} - int{b.pixels[i]});
        d.largest = std::max(d.largest, e);
        sum += e;
        over += e > 1;
    }
    d.mean = static_cast<double>(sum) / a.pixels.size();
    d.overOne = static_cast<double>(over) / a.pixels.size();
    return d;
}

bool IsProgressive(const std::string& hostPath) {
    std::FILE* f = std::fopen(hostPath.c_str(), "rb");
    if (!f) {
        return false;
    }
    // The frame header's marker: 0xC2 (Huffman) or 0xCA (arithmetic) is progressive.
    int previous = 0, c = 0;
    bool progressive = false;
    while ((c = std::fgetc(f)) != EOF) {
        if (previous == 0xFF && (c == 0xC0 || c == 0xC1 || c == 0xC9)) {
            break;
        }
        if (previous == 0xFF && (c == 0xC2 || c == 0xCA)) {
            progressive = true;
            break;
        }
        previous = c;
    }
    std::fclose(f);
    return progressive;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string corpus = argc > 1 ? argv[1] : "/work/corpus";
    const std::string suites = argc > 2 ? argv[2] : "tests/data";
    const std::string load = LoadAverage();
    const std::string scratch = fs::temp_directory_path() / "velloran-progressive-bench";
    fs::remove_all(scratch);
    fs::create_directories(scratch + "/root");

    std::printf("load average before: %s\n\n", load.c_str());
    // The first start installs the sample pictures (not measured); later starts find them.
    const std::string deviceRoot = scratch + "/device";
    const Result first = InChild([&] { return RunProgram(deviceRoot, scratch + "/root", true); });
    std::printf("first start on a new device root (installs the samples): peak %.1f MiB\n\n",
                first.peakMiB);
    std::printf("whole program, every thumbnail of %s in the 2 x 2 grid:\n", corpus.c_str());
    for (const bool reduced : {false, true}) {
        const Result r = InChild([&] { return RunProgram(deviceRoot, corpus, reduced); });
        std::printf("  %-28s %7.2f s  peak %6.1f MiB%s\n",
                    reduced ? "low terms kept (now)" : "every scan (before)", r.seconds, r.peakMiB,
                    r.seconds < 0 ? "  (failed)" : "");
    }

    // One thumbnail of the 24 MP progressive file, and pictures for the image view at memory
    // level 2 (528 x 660: 1/8 for 24 MP, 2/8 for 12 MP), over an idle child of this program.
    for (const char* name : {"p24_01.jpg", "p12_01.jpg"}) {
        fs::copy_file(corpus + "/" + name, scratch + "/root/" + name,
                      fs::copy_options::overwrite_existing);
    }
    plat::DeviceFs::SetRoot(scratch + "/root");
    const Result idle = InChild([] { return true; });
    struct Load {
        const char* what;
        const char* path;
        int boxWidth, boxHeight, level;
    } loads[] = {
        {"p24_01.jpg thumbnail (80 x 75)", "\\p24_01.jpg", 80, 75, 0},
        {"p24_01.jpg view, level 2", "\\p24_01.jpg", 0, 0, 2},
        {"p12_01.jpg view, level 2", "\\p12_01.jpg", 0, 0, 2},
    };
    std::printf("\none picture, extra peak over an idle child (%.1f MiB):\n", idle.peakMiB);
    for (const Load& l : loads) {
        for (const bool reduced : {false, true}) {
            const Result r = InChild([&] {
                Decoded d;
                return Decode(l.path, l.boxWidth, l.boxHeight, reduced, &d, l.level);
            });
            std::printf("  %-32s %-22s %7.3f s  extra %6.1f MiB%s\n", l.what,
                        reduced ? "low terms kept (now)" : "every scan (before)", r.seconds,
                        r.peakMiB - idle.peakMiB, r.seconds < 0 ? "  (failed)" : "");
        }
    }

    // Pixels: every progressive file, both ways.
    std::vector<std::string> files;
    for (const std::string& folder : {corpus, suites}) {
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(folder, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            if (it->is_regular_file() && it->path().extension() == ".jpg" &&
                IsProgressive(it->path().string())) {
                files.push_back(it->path().string());
            }
        }
    }
    std::sort(files.begin(), files.end());
    std::printf(
        "\npixels, low terms against every scan (largest / mean difference, share of "
        "bytes > 1 apart):\n");
    for (const std::string& file : files) {
        const std::string name = fs::path(file).filename().string();
        fs::copy_file(file, scratch + "/root/" + name, fs::copy_options::overwrite_existing);
        const std::string device = "\\" + name;
        std::printf("  %-34s", name.c_str());
        for (const int box : {80, 0}) {
            Decoded before, after;
            const bool a = Decode(device, box, box ? 75 : 0, false, &before, box ? 0 : 2);
            const bool b = Decode(device, box, box ? 75 : 0, true, &after, box ? 0 : 2);
            if (a != b || !a) {
                std::printf("  %s: %s", box ? "thumb" : "view",
                            a == b ? "both fail" : (a ? "now fails" : "now decodes"));
                continue;
            }
            const Difference d = Compare(before, after);
            if (!d.sameSize) {
                std::printf("  %s: sizes differ", box ? "thumb" : "view");
                continue;
            }
            std::printf("  %s %3dx%-3d %3d / %.3f / %5.2f%%", box ? "thumb" : "view", after.width,
                        after.height, d.largest, d.mean, 100 * d.overOne);
        }
        std::printf("\n");
    }
    std::printf("\nload average after: %s\n", LoadAverage().c_str());
    fs::remove_all(scratch);
    return 0;
}
