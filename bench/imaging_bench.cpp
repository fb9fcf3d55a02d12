// Imaging benchmark: thumbnails and view loads of large camera-like JPEGs, side by side with
// a bare libjpeg-turbo 1/8 decode loop (the practical lower bound), vipsthumbnail and djpeg.
//
// Usage: imaging_bench [CORPUS_DIR]   (default /tmp/corpus, made by make_corpus.sh)
// Every measurement runs in a forked child so that its peak resident memory can be read from
// the kernel (ru_maxrss) and compared with an idle child: "extra" is that difference.
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

#include "bench/bench_support.h"
#include "imaging/loaders.h"
#include "platform/os/device_fs.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Result {
    double seconds = 0;
    double peakMiB = 0;
};

// Runs `work` in a child process; returns its wall time (measured in the child) and peak RSS.
Result InChild(const std::function<void()>& work) {
    int fds[2];
    if (pipe(fds) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    std::fflush(stdout);  // the child must not print the parent's buffered lines again
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const auto start = Clock::now();
        work();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (write(fds[1], &seconds, sizeof seconds) != sizeof seconds) {
            _exit(2);
        }
        _exit(0);
    }
    close(fds[1]);
    Result r;
    if (read(fds[0], &r.seconds, sizeof r.seconds) != sizeof r.seconds) {
        r.seconds = -1;
    }
    close(fds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    r.peakMiB = usage.ru_maxrss / 1024.0;
    return r;
}

// Runs an outside program (quietly) and measures it like InChild.
Result Program(const std::vector<std::string>& argv) {
    std::fflush(stdout);
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> args;
        for (const std::string& a : argv) {
            args.push_back(const_cast<char*>(a.c_str()));
        }
        args.push_back(nullptr);
        if (!freopen("/dev/null", "w", stdout)) {
            _exit(127);
        }
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    Result r;
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    r.peakMiB = usage.ru_maxrss / 1024.0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        r.seconds = -1;
    }
    return r;
}

// The best of a few runs (time and memory taken from the fastest).
Result Best(const std::function<Result()>& run, int runs = 3) {
    Result best;
    best.seconds = 1e30;
    for (int i = 0; i < runs; ++i) {
        const Result r = run();
        if (r.seconds >= 0 && r.seconds < best.seconds) {
            best = r;
        }
    }
    return best;
}

// The plain libjpeg-turbo loop: every file decoded at 1/8.
void BareEighthLoop(const std::vector<std::string>& hostPaths) {
    for (const std::string& path : hostPaths) {
        bench::DecodeEighth(path);
    }
}

void Thumbnails(const std::vector<std::string>& names, int box) {
    imaging::ImagingContext context;
    for (const std::string& name : names) {
        int w = box, h = box;
        auto bitmap = imaging::LoadThumbnailBitmap("\\" + name, context, &w, &h);
        if (!bitmap) {
            std::fprintf(stderr, "thumbnail failed: %s\n", name.c_str());
        }
    }
}

void Row(const char* label, const Result& r, double idleMiB, int files, double reference) {
    std::printf("  %-34s %8.1f ms/file  %7.1f MiB peak  %7.1f MiB extra", label,
                1000 * r.seconds / files, r.peakMiB, r.peakMiB - idleMiB);
    if (reference > 0) {
        std::printf("   x%.2f", r.seconds / reference);
    }
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path corpus = argc > 1 ? argv[1] : "/tmp/corpus";
    if (!fs::is_directory(corpus)) {
        std::fprintf(stderr, "no corpus at %s (make it with make_corpus.sh)\n", corpus.c_str());
        return 1;
    }
    plat::DeviceFs::SetRoot(fs::absolute(corpus).string());
    std::vector<std::string> baseline, progressive, all;
    for (const auto& entry : fs::directory_iterator(corpus)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".jpg") {
            continue;
        }
        all.push_back(name);
        (name[0] == 'p' ? progressive : baseline).push_back(name);
    }
    std::sort(baseline.begin(), baseline.end());
    std::sort(progressive.begin(), progressive.end());
    auto hostPaths = [&](const std::vector<std::string>& names) {
        std::vector<std::string> paths;
        for (const std::string& n : names) {
            paths.push_back((corpus / n).string());
        }
        return paths;
    };
    const bool haveVips = fs::exists("/usr/bin/vipsthumbnail");
    const bool haveDjpeg = fs::exists("/usr/bin/djpeg");
    const double idle = Best([] { return InChild([] {}); }).peakMiB;
    std::printf("corpus %s: %zu baseline/grayscale, %zu progressive files; idle child %.1f MiB\n",
                corpus.c_str(), baseline.size(), progressive.size(), idle);

    struct Set {
        const char* name;
        std::vector<std::string> files;
    } sets[] = {{"baseline + grayscale", baseline}, {"progressive", progressive}};
    // Thumbnail boxes of the 2 x 2 and 4 x 4 grids on the 176 x 220 screen.
    const int boxes[] = {80, 38};
    const std::string out = (fs::temp_directory_path() / "velloran-bench-vips").string();
    fs::create_directories(out);
    for (const Set& set : sets) {
        if (set.files.empty()) {
            continue;
        }
        const auto paths = hostPaths(set.files);
        const int n = static_cast<int>(set.files.size());
        const Result bare = Best([&] { return InChild([&] { BareEighthLoop(paths); }); });
        std::printf("\nthumbnails, %s (%d files)\n", set.name, n);
        Row("bare libjpeg-turbo 1/8 loop", bare, idle, n, 0);
        for (int box : boxes) {
            const Result ours = Best([&] { return InChild([&] { Thumbnails(set.files, box); }); });
            char label[64];
            std::snprintf(label, sizeof label, "LoadThumbnailBitmap %dx%d", box, box);
            Row(label, ours, idle, n, bare.seconds);
            if (haveVips) {
                std::vector<std::string> args = {"/usr/bin/vipsthumbnail", "-s",
                                                 std::to_string(box) + "x" + std::to_string(box),
                                                 "-o", out + "/%s.jpg"};
                args.insert(args.end(), paths.begin(), paths.end());
                const Result vips = Best([&] { return Program(args); });
                std::snprintf(label, sizeof label, "vipsthumbnail %dx%d", box, box);
                Row(label, vips, idle, n, bare.seconds);
                std::printf("  %-34s ours/vips time x%.2f\n", "",
                            vips.seconds > 0 ? ours.seconds / vips.seconds : 0);
            }
        }
    }

    // Opening one 24-megapixel picture for viewing at memory levels 0, 1 and 2.
    for (const char* name : {"c24_01.jpg", "p24_01.jpg"}) {
        if (!fs::exists(corpus / name)) {
            continue;
        }
        const std::string host = (corpus / name).string();
        std::printf("\nview load of %s\n", name);
        const Result bare = Best([&] { return InChild([&] { BareEighthLoop({host}); }); });
        Row("bare libjpeg-turbo 1/8 decode", bare, idle, 1, 0);
        double djpegSeconds = 0;
        if (haveDjpeg) {
            const Result djpeg = Best([&] {
                return Program({"/usr/bin/djpeg", "-dct", "int", "-scale", "1/8", "-bmp", host});
            });
            Row("djpeg -scale 1/8 (process)", djpeg, idle, 1, bare.seconds);
            djpegSeconds = djpeg.seconds;
        }
        for (int level = 0; level <= 2; ++level) {
            const Result view = Best([&] {
                return InChild([&] {
                    imaging::ImagingContext context;
                    context.loadSizeLevel = level;
                    imaging::ImageBuffer image;
                    if (!imaging::LoadImageFile(std::string("\\") + name, &image, 0, 0, context)) {
                        std::fprintf(stderr, "view load failed\n");
                    }
                });
            });
            char label[64];
            std::snprintf(label, sizeof label, "LoadImageFile level %d", level);
            Row(label, view, idle, 1, bare.seconds);
            if (djpegSeconds > 0) {
                std::printf("  %-34s against djpeg x%.2f\n", "", view.seconds / djpegSeconds);
            }
        }
    }
    return 0;
}
