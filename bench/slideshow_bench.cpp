// Slide-show benchmark: the cost of one frame of every transition effect at 176 x 220 and at
// 480 x 640, next to a bare copy of the whole frame to the screen (the least a frame can
// cost), and the cost of bringing a 12-megapixel camera JPEG into a frame (the fitted load
// the show does, then PrepareFrame; also PrepareFrame straight from the full-size picture).
//
// Usage: slideshow_bench [ROUNDS]   (default 200 transitions per effect and size)
// The goal is well under 1 ms per frame at 176 x 220: a tick comes every 250 ms.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "imaging/image_buffer.h"
#include "imaging/image_painter.h"
#include "imaging/loaders.h"
#include "imaging/picture_writers.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/surface.h"
#include "platform/os/device_fs.h"
#include "slideshow/effects.h"
#include "slideshow/slide_show_player.h"

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void FillPattern(imaging::ImageBuffer& frame, int seed) {
    for (int y = 0; y < frame.Height(); ++y) {
        uint8_t* p = frame.RowPtr(y);
        for (int x = 0; x < frame.Width(); ++x, p += 3) {
            p[0] = static_cast<uint8_t>(x * 3 + seed);
            p[1] = static_cast<uint8_t>(y * 5 + seed);
            p[2] = static_cast<uint8_t>((x ^ y) + seed);
        }
    }
}

std::unique_ptr<imaging::ImageBuffer> Picture(int width, int height) {
    auto image = std::make_unique<imaging::ImageBuffer>();
    imaging::BitmapInfoHeader header;
    imaging::MakeBitmapHeader(&header, width, height, 24, 72, 72);
    if (!image->Create(header)) {
        std::fprintf(stderr, "no memory for a %d x %d picture\n", width, height);
        std::exit(1);
    }
    // Gradients with sensor-like grain, so the JPEG is camera-like in size.
    uint32_t grain = 12345;
    for (int y = 0; y < height; ++y) {
        uint8_t* p = image->RowPtr(y);
        for (int x = 0; x < width; ++x, p += 3) {
            grain = grain * 1664525u + 1013904223u;
            const int g = static_cast<int>(grain >> 27) - 16;
            p[0] = static_cast<uint8_t>(std::clamp(((x / 7) ^ (y / 5)) % 200 + 28 + g, 0, 255));
            p[1] = static_cast<uint8_t>(std::clamp(x * 200 / width + 28 + g, 0, 255));
            p[2] = static_cast<uint8_t>(std::clamp(y * 200 / height + 28 + g, 0, 255));
        }
    }
    return image;
}

// Milliseconds per frame of `effect` at Fast, averaged over `rounds` transitions.
double EffectFrameMs(int effect, int width, int height, int rounds) {
    ImagePainter painter;
    plat::Surface screen(width, height);
    SlideShowPlayer player(nullptr, &painter, width, height);
    if (!player.StartShow(effect, 5, kDelayTime, 1, 0)) {
        return -1;
    }
    FillPattern(player.NewFrame(), 1);
    if (player.OldFrame()) {
        FillPattern(*player.OldFrame(), 90);
    }
    plat::Canvas dc(&screen);
    const auto start = Clock::now();
    for (int r = 0; r < rounds; ++r) {
        for (int n = 1; n <= player.stepCount; ++n) {
            player.DrawStep(dc, n);
        }
        player.EndTransition();
    }
    return Since(start) / (rounds * player.stepCount);
}

// The least a frame can cost: one memcpy of every screen row.
double CopyFrameMs(int width, int height, int rounds) {
    plat::Surface screen(width, height);
    plat::Surface frame(width, height);
    const auto start = Clock::now();
    for (int r = 0; r < rounds * 4; ++r) {
        for (int y = 0; y < height; ++y) {
            std::memcpy(screen.Row(y), frame.Row((y + r) % height), static_cast<size_t>(width) * 3);
        }
    }
    return Since(start) / (rounds * 4);
}

void Effects(int width, int height, int rounds) {
    const double copy = CopyFrameMs(width, height, rounds);
    std::printf("\n%d x %d, Fast (4 frames), %d transitions each\n", width, height, rounds);
    std::printf("  %-18s %10s %14s\n", "effect", "ms/frame", "x frame copy");
    std::printf("  %-18s %10.4f %14s\n", "(whole-frame copy)", copy, "1.0");
    static const char* names[] = {"Door (Close)",     "Door (Open)",    "Interlace",
                                  "Rectangle In",     "Rectangle Out",  "Transparent",
                                  "Wipe (Downwards)", "Wipe (To Left)", "Wipe (To Right)",
                                  "Wipe (Upwards)",   "Zoom In"};
    for (int e = 0; e < kEffectCount; ++e) {
        const double ms = EffectFrameMs(e, width, height, rounds);
        std::printf("  %-18s %10.4f %14.1f\n", names[e], ms, copy > 0 ? ms / copy : 0.0);
    }
}

void CameraPicture(int rounds) {
    char folder[] = "/tmp/velloran-bench-XXXXXX";
    if (!::mkdtemp(folder)) {
        std::perror("mkdtemp");
        return;
    }
    plat::DeviceFs::SetRoot(folder);
    {
        const auto picture = Picture(4000, 3000);
        if (!imaging::WriteJpegFile("\\camera.jpg", *picture)) {
            std::fprintf(stderr, "cannot write the JPEG\n");
            std::filesystem::remove_all(folder);
            return;
        }
    }
    const auto size = std::filesystem::file_size(std::string(folder) + "/camera.jpg");
    std::printf("\n12 MP JPEG (4000 x 3000, %.1f MB) into a 176 x 220 frame\n", size / 1048576.0);

    ImagePainter painter;
    SlideShowPlayer player(nullptr, &painter, 176, 220);
    player.StartShow(kTransparent, 5, kDelayTime, 1, 0);
    imaging::ImagingContext context;  // 176 x 220, level 0, upright
    const int loads = std::max(rounds / 20, 3);
    double loadMs = 0;
    double prepareMs = 0;
    for (int i = 0; i < loads; ++i) {
        imaging::ImageBuffer fitted;
        auto start = Clock::now();
        if (imaging::LoadImageFile("\\camera.jpg", &fitted, 1, 0, context) != 1) {
            std::fprintf(stderr, "the fitted load failed\n");
            break;
        }
        loadMs += Since(start);
        start = Clock::now();
        player.PrepareFrame(fitted, "camera.jpg");
        prepareMs += Since(start);
    }
    std::printf("  fitted load (LoadImageFile, fit 1)     %9.2f ms\n", loadMs / loads);
    std::printf("  PrepareFrame of the fitted picture     %9.3f ms\n", prepareMs / loads);

    const auto full = Picture(4000, 3000);
    const auto start = Clock::now();
    for (int i = 0; i < 3; ++i) {
        player.PrepareFrame(*full, "camera.jpg");
    }
    std::printf("  PrepareFrame of the full 4000 x 3000   %9.2f ms\n", Since(start) / 3);
    std::filesystem::remove_all(folder);
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    Effects(176, 220, rounds);
    Effects(480, 640, rounds);
    CameraPicture(rounds);
    return 0;
}
