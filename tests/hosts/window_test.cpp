// The SDL window: never larger than the display, black beyond the phone's screen; and the
// phone's strips are on the screen before the first thumbnail is decoded.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "app/main_window.h"
#include "hosts/app_runner.h"
#include "hosts/sdl/sdl_host.h"
#include "hosts/sdl/window_fit.h"
#include "platform/window/window_system.h"
#include "tests/support/headless.h"

using testing_support::TempDevice;

TEST(WindowFit, TheAskedScaleIsLoweredUntilTheWindowFitsTheDisplay) {
    const struct {
        int w, h, scale, displayW, displayH;
        const char* fit;  // width x height at scale, and whether the scale was lowered
    } cases[] = {
        // The default phone at scale 2 on a 1920 x 1040 desktop: as asked.
        {176, 220, 2, 1920, 1040, "352x440 at 2"},
        // Scale 8 makes 1760 high: 4 is the largest that fits 1040 (880).
        {176, 220, 8, 1920, 1040, "704x880 at 4, lowered"},
        // Exactly filling the display still fits.
        {240, 320, 3, 720, 960, "720x960 at 3"},
        // Not even scale 1 fits: the largest window of the screen's shape inside the display.
        {2000, 2000, 8, 1920, 1040, "1040x1040 at 1, lowered"},
        {2000, 1000, 1, 1000, 1000, "1000x500 at 1, lowered"},
        // A display of unknown size keeps the asked scale.
        {176, 220, 3, 0, 0, "528x660 at 3"},
    };
    for (const auto& c : cases) {
        const WindowFit f = FitWindow(c.w, c.h, c.scale, c.displayW, c.displayH);
        EXPECT_EQ(std::to_string(f.width) + "x" + std::to_string(f.height) + " at " +
                      std::to_string(f.scale) + (f.lowered ? ", lowered" : ""),
                  c.fit)
            << c.w << "x" << c.h << " at " << c.scale;
    }
}

namespace {

// Records what the screen showed each time the wait cursor came up, and ends the program
// as soon as it waits for input.
class RecordingHost : public plat::Host {
  public:
    uint64_t NowMs() override { return 0; }
    void WaitForEvents(int64_t) override {
        if (!asked) {
            asked = true;
            final = plat::WindowSystem::Get().Screen();
            RequestExit();
        }
    }
    void PollEvents() override {}
    void Present(const plat::Surface& screen, bool waitCursor) override {
        if (waitCursor) {
            busy.push_back(screen);
        }
    }
    bool asked = false;
    plat::Surface final;
    std::vector<plat::Surface> busy;
};

// True when rows [top, bottom) of the two screens hold the same pixels.
bool SameRows(const plat::Surface& a, const plat::Surface& b, int top, int bottom) {
    return std::equal(a.Row(top), a.Row(bottom - 1) + a.Stride(), b.Row(top));
}

}  // namespace

TEST(StartUp, TheStripsShowWhileTheFirstThumbnailsAreDecoded) {
    TempDevice device;
    device.SkipSampleInstall();
    device.WriteFile("\\Program Files\\Velloran\\Samples\\a.bmp",
                     testing_support::SolidBmp(300, 200, 10, 120, 200));
    HostOptions options;
    options.deviceRoot = device.Root();
    AppRunner runner(options);
    ASSERT_EQ(runner.Prepare(3), -1);
    RecordingHost host;
    EXPECT_EQ(runner.Run(&host), 0);
    ASSERT_TRUE(host.asked);
    ASSERT_FALSE(host.busy.empty());  // the thumbnail decode showed the wait cursor
    const int h = host.final.Height();
    for (const plat::Surface& busy : host.busy) {
        EXPECT_TRUE(SameRows(busy, host.final, 0, 20));      // title strip
        EXPECT_TRUE(SameRows(busy, host.final, h - 20, h));  // softkey bar
    }
}

TEST(SdlWindow, AnEnlargedWindowIsLetterboxedInBlack) {
#if defined(__SANITIZE_ADDRESS__)
    // SDL's video and audio drivers are libraries it loads and unloads again, keeping a few
    // blocks the leak checker can no longer name; they are SDL's, not the host's.
    __lsan::ScopedDisabler sdlDrivers;
#endif
    // SDL's offscreen driver stands in for a display; the host draws as it would on one.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    HostOptions options;
    options.scale = 1;
    SdlHost host(options, nullptr, true);
    if (!host.Open()) {
        GTEST_SKIP() << "SDL has no offscreen video driver here";
    }
    // A window manager makes the window wider than the phone's screen.
    SDL_SetWindowSize(host.NativeWindow(), 500, 220);
    host.PollEvents();
    plat::Surface screen(176, 220);
    std::fill(screen.Data(), screen.Row(219) + screen.Stride(), 0xFF);  // white
    // The hourglass first: its colours must not leak into the bars.
    host.Present(screen, true);
    host.Present(screen, false);
    // What the window shows: the software renderer presents into the window's surface.
    SDL_Surface* shown = SDL_GetWindowSurface(host.NativeWindow());
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(shown->w, 500);
    const int w = shown->w;
    const auto at = [&](int x, int y) {
        uint8_t r = 0, g = 0, b = 0;
        const uint8_t* row = static_cast<const uint8_t*>(shown->pixels) + y * shown->pitch;
        uint32_t value = 0;
        std::memcpy(&value, row + x * shown->format->BytesPerPixel, shown->format->BytesPerPixel);
        SDL_GetRGB(value, shown->format, &r, &g, &b);
        return (uint32_t{r} << 16) | (uint32_t{g} << 8) | b;
    };
    EXPECT_EQ(at(5, 110), 0x000000u);      // the bar at the left
    EXPECT_EQ(at(w - 5, 110), 0x000000u);  // and at the right
    EXPECT_EQ(at(w / 2, 110), 0xFFFFFFu);  // the phone's white screen in the middle
}
