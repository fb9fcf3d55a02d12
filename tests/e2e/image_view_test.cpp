// The image view through the headless host: title, stepping, zoom, pan, turns, full screen.
#include <gtest/gtest.h>

#include "tests/support/headless.h"

using testing_support::Checkpoints;
using testing_support::Json;
using testing_support::Pick;
using testing_support::Png;
using testing_support::ReadPng;
using testing_support::RunHeadless;
using testing_support::SolidBmp;
using testing_support::TempDevice;

namespace {

const std::string kFolder = "\\Program Files\\Velloran\\Samples";

// A folder, then a.bmp, b.bmp and beach.bmp; beach is 176 x 220 and red. Four entries fill
// one 2 x 2 page, so the grid has no scroll bar to narrow the window.
struct Device : TempDevice {
    Device() {
        SkipSampleInstall();
        MakeFolder(kFolder + "\\Sub1");
        WriteFile(kFolder + "\\a.bmp", SolidBmp(100, 100, 0, 0, 255));
        WriteFile(kFolder + "\\b.bmp", SolidBmp(40, 30, 0, 255, 0));
        WriteFile(kFolder + "\\beach.bmp", SolidBmp(176, 220, 255, 0, 0));
    }
    testing_support::RunResult Run(const std::string& keys, bool shot = false) const {
        const auto run = RunHeadless(*this, Checkpoints(*this, keys), shot);
        EXPECT_EQ(run.exitCode, 0) << run.stderrText;
        return run;
    }
    std::string At(const std::string& tag, const std::string& paths) const {
        return Pick(TakenState(tag), paths);
    }
};

const std::string kOpenBeach = "Right Right Right Enter ";

}  // namespace

// Pictures are numbered after the folders and stepping wraps; the pan moves by eight and stops
// at the edge; zoom skips 0 and -1, stops (with a beep) at 8, and 0 returns to actual size.
TEST(ImageView, StepsPanZoomAndFullScreenFromTheKeys) {
    Device device;
    const auto run = device.Run(kOpenBeach +
                                "@open 8 @pan1 8 8 4 6 @pan2 2*9 @pan3 Down @half Up @one Up Up Up "
                                "Up Up Up Up @eight Up @limit 0 @reset 5 @full Back @window "
                                "Right @right Left Left @left Back");
    EXPECT_EQ(device.At("open", "viewMode title image.panX image.panY"), "Image (3)beach -1 20");
    EXPECT_EQ(device.At("pan1", "image.panX image.panY"), "-1 28");
    EXPECT_EQ(device.At("pan2", "image.panX image.panY"), "-1 40");
    EXPECT_EQ(device.At("pan3", "image.panY"), "0");
    EXPECT_EQ(device.At("half", "image.zoomFactor"), "-2");
    const Json one = device.TakenState("one");
    EXPECT_EQ(one["image"]["zoomFactor"].Int(), 1);
    const Json eight = device.TakenState("eight");
    EXPECT_EQ(eight["image"]["zoomFactor"].Int(), 8);
    EXPECT_EQ(eight["beeps"].Int(), one["beeps"].Int());
    const Json limit = device.TakenState("limit");
    EXPECT_EQ(limit["image"]["zoomFactor"].Int(), 8);
    EXPECT_EQ(limit["beeps"].Int(), one["beeps"].Int() + 1);
    EXPECT_EQ(device.At("reset", "image.zoomFactor image.panY"), "1 20");
    EXPECT_EQ(device.At("full", "fullScreen image.panY"), "true -1");
    EXPECT_EQ(device.At("window", "fullScreen viewMode title"), "false Image (3)beach");
    EXPECT_EQ(device.At("right", "title fileList.currentIndex"), "(1)a 1");
    EXPECT_EQ(device.At("left", "title"), "(2)b");
    EXPECT_EQ(run.state["viewMode"].text, "Thumbnail");
}

TEST(ImageView, PictureCentreAtEachZoomAndBackgroundAround) {
    Device device;
    // a.bmp, blue, 100 x 100: centred at actual size, 50 x 50 at 1/2.
    const auto run = device.Run("Right Enter !actual Down", true);
    Png actual, half;
    ASSERT_TRUE(ReadPng(device.ShotPath("actual"), &actual));
    ASSERT_TRUE(ReadPng(run.screenshot, &half));
    for (const Png* png : {&actual, &half}) {
        // The client area starts below the 20-pixel title strip.
        EXPECT_EQ(png->At(88, 20 + 90), 0x0000FFu);
        EXPECT_EQ(png->At(5, 20 + 90), 0xC4C4C4u);
    }
    EXPECT_EQ(half.At(88 - 30, 20 + 90), 0xC4C4C4u);
    EXPECT_EQ(half.At(88 - 20, 20 + 90), 0x0000FFu);
}

TEST(ImageView, TurnsFollowTheStateMachine) {
    Device device;
    const auto run = device.Run(kOpenBeach + "1 @left 3 @back 1 1");
    EXPECT_EQ(device.At("left", "orientation image.width"), "2 220");
    EXPECT_EQ(device.At("back", "orientation image.width beeps"), "0 176 0");
    // A second turn the same way is refused.
    EXPECT_EQ(Pick(run.state, "orientation beeps"), "2 1");
}

// Leaving the picture by any path ends full screen: the grid gets its title strip and softkey
// bar back, and the next picture opens in the normal window.
TEST(ImageView, LeavingTheViewEndsFullScreen) {
    Device device;
    // Home brings up the phone's Home Screen over the program; its softkey brings it back.
    const std::vector<std::string> leaves = {"Home SoftLeft", "cmd:40007", "Back Back"};
    std::string keys = kOpenBeach;
    for (size_t i = 0; i < leaves.size(); ++i) {
        const std::string tag = "leave" + std::to_string(i);
        keys += (i ? "Enter " : "") + std::string("5 ") + leaves[i] + " @" + tag + " !" + tag + " ";
    }
    const auto again = device.Run(keys + "Enter");
    for (size_t i = 0; i < leaves.size(); ++i) {
        SCOPED_TRACE(leaves[i]);
        const std::string tag = "leave" + std::to_string(i);
        EXPECT_EQ(device.At(tag, "viewMode fullScreen title"), "Thumbnail false Velloran");
        Png png;
        ASSERT_TRUE(ReadPng(device.ShotPath(tag), &png));
        // The title strip is back above the grid, the folder bar above the softkeys.
        EXPECT_NE(png.At(88, 5), 0xC4C4C4u);
        EXPECT_EQ(png.At(170, 220 - 20 - 3), 0xC6FF75u);
    }
    // The next picture opens below the title strip, in a client area 180 rows high.
    EXPECT_EQ(Pick(again.state, "fullScreen image.viewHeight image.panY"), "false 180 20");
}

// A picture reached by a step (decoded ahead while the previous one showed) is painted exactly
// as when it is opened from the grid, also after a turn made while it was decoded ahead.
TEST(ImageView, SteppedPictureLooksAsWhenOpenedFromTheGrid) {
    const auto screen = [](const std::string& keys) {
        Device device;  // the turn is kept at exit: a device for each run
        const auto run = device.Run(keys, true);
        Png png;
        EXPECT_TRUE(ReadPng(run.screenshot, &png)) << keys;
        EXPECT_EQ(run.state["title"].text, "(2)b") << keys;
        return png.pixels;
    };
    EXPECT_EQ(screen("Right Enter Right"), screen("Right Right Enter"));
    // b is 40 x 30: turned, it is 30 x 40.
    EXPECT_EQ(screen("Right Enter 3 Right"), screen("Right Enter 3 Back Right Enter"));
    EXPECT_NE(screen("Right Enter 3 Right"), screen("Right Right Enter"));
}
