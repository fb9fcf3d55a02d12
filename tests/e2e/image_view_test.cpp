// The image view through the headless host: title, stepping, zoom, pan, turns, full screen.
#include <gtest/gtest.h>

#include "tests/support/headless.h"

using testing_support::Png;
using testing_support::ReadPng;
using testing_support::RunHeadless;
using testing_support::SolidBmp;
using testing_support::TempDevice;

namespace {

const std::string kFolder = "\\Program Files\\Velloran\\Samples";

// A folder, then a.bmp, b.bmp and beach.bmp; beach is 176 x 220 and red. Four entries fill
// one 2 x 2 page, so the grid has no scroll bar to narrow the window.
void MakeFolder(const TempDevice& device) {
    device.SkipSampleInstall();
    device.MakeFolder(kFolder + "\\Sub1");
    device.WriteFile(kFolder + "\\a.bmp", SolidBmp(100, 100, 0, 0, 255));
    device.WriteFile(kFolder + "\\b.bmp", SolidBmp(40, 30, 0, 255, 0));
    device.WriteFile(kFolder + "\\beach.bmp", SolidBmp(176, 220, 255, 0, 0));
}

const char* kOpenBeach = "Right Right Right Enter ";

TEST(ImageView, TitleNumbersPicturesAfterTheFoldersAndSteppingWraps) {
    TempDevice device;
    MakeFolder(device);
    auto run = RunHeadless(device, std::string(kOpenBeach));
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(run.state["viewMode"].text, "Image");
    EXPECT_EQ(run.state["title"].text, "(3)beach");
    run = RunHeadless(device, std::string(kOpenBeach) + "Right");
    EXPECT_EQ(run.state["title"].text, "(1)a");
    EXPECT_EQ(run.state["fileList"]["currentIndex"].Int(), 1);
    run = RunHeadless(device, std::string(kOpenBeach) + "Right Left Left");
    EXPECT_EQ(run.state["title"].text, "(2)b");
}

TEST(ImageView, PanStepsByEightAndStopsAtTheEdge) {
    TempDevice device;
    MakeFolder(device);
    auto run = RunHeadless(device, std::string(kOpenBeach));
    EXPECT_EQ(run.state["image"]["panX"].Int(), -1);
    EXPECT_EQ(run.state["image"]["panY"].Int(), 20);
    run = RunHeadless(device, std::string(kOpenBeach) + "8");
    EXPECT_EQ(run.state["image"]["panY"].Int(), 28);
    run = RunHeadless(device, std::string(kOpenBeach) + "8 8 8 4 6");
    EXPECT_EQ(run.state["image"]["panY"].Int(), 40);
    EXPECT_EQ(run.state["image"]["panX"].Int(), -1);
    run = RunHeadless(device, std::string(kOpenBeach) + "2*9");
    EXPECT_EQ(run.state["image"]["panY"].Int(), 0);
}

TEST(ImageView, ZoomStepsAndLimits) {
    TempDevice device;
    MakeFolder(device);
    auto run = RunHeadless(device, std::string(kOpenBeach) + "Down");
    EXPECT_EQ(run.state["image"]["zoomFactor"].Int(), -2);
    run = RunHeadless(device, std::string(kOpenBeach) + "Down Up");
    EXPECT_EQ(run.state["image"]["zoomFactor"].Int(), 1);
    run = RunHeadless(device, std::string(kOpenBeach) + "Up Up Up Up Up Up Up");
    EXPECT_EQ(run.state["image"]["zoomFactor"].Int(), 8);
    EXPECT_EQ(run.state["beeps"].Int(), 0);
    run = RunHeadless(device, std::string(kOpenBeach) + "Up Up Up Up Up Up Up Up");
    EXPECT_EQ(run.state["image"]["zoomFactor"].Int(), 8);
    EXPECT_EQ(run.state["beeps"].Int(), 1);
    run = RunHeadless(device, std::string(kOpenBeach) + "Up Up 0");
    EXPECT_EQ(run.state["image"]["zoomFactor"].Int(), 1);
    EXPECT_EQ(run.state["image"]["panY"].Int(), 20);
}

TEST(ImageView, PictureCentreAtEachZoomAndBackgroundAround) {
    TempDevice device;
    MakeFolder(device);
    // a.bmp, blue, 100 x 100: centred at actual size, 50 x 50 at 1/2.
    for (const char* keys : {"Right Enter", "Right Enter Down"}) {
        const auto run = RunHeadless(device, keys, true);
        ASSERT_EQ(run.exitCode, 0) << run.stderrText;
        Png png;
        ASSERT_TRUE(ReadPng(run.screenshot, &png));
        // The client area starts below the 20-pixel title strip.
        EXPECT_EQ(png.At(88, 20 + 90), 0x0000FFu) << keys;
        EXPECT_EQ(png.At(5, 20 + 90), 0xC4C4C4u) << keys;
    }
    const auto run = RunHeadless(device, "Right Enter Down", true);
    Png png;
    ASSERT_TRUE(ReadPng(run.screenshot, &png));
    EXPECT_EQ(png.At(88 - 30, 20 + 90), 0xC4C4C4u);
    EXPECT_EQ(png.At(88 - 20, 20 + 90), 0x0000FFu);
}

TEST(ImageView, TurnsFollowTheStateMachine) {
    // The orientation is kept at exit, so each run starts on a device of its own.
    TempDevice left;
    MakeFolder(left);
    auto run = RunHeadless(left, std::string(kOpenBeach) + "1");
    EXPECT_EQ(run.state["orientation"].Int(), 2);
    EXPECT_EQ(run.state["image"]["width"].Int(), 220);
    TempDevice back;
    MakeFolder(back);
    run = RunHeadless(back, std::string(kOpenBeach) + "1 3");
    EXPECT_EQ(run.state["orientation"].Int(), 0);
    EXPECT_EQ(run.state["image"]["width"].Int(), 176);
    EXPECT_EQ(run.state["beeps"].Int(), 0);
    TempDevice twice;
    MakeFolder(twice);
    run = RunHeadless(twice, std::string(kOpenBeach) + "1 1");
    EXPECT_EQ(run.state["orientation"].Int(), 2);
    EXPECT_EQ(run.state["beeps"].Int(), 1);
}

TEST(ImageView, FullScreenLeavesWithBackThenBackReturnsToThumbnails) {
    TempDevice device;
    MakeFolder(device);
    auto run = RunHeadless(device, std::string(kOpenBeach) + "5");
    EXPECT_TRUE(run.state["fullScreen"].boolean);
    EXPECT_EQ(run.state["image"]["panY"].Int(), -1);
    run = RunHeadless(device, std::string(kOpenBeach) + "5 Back");
    EXPECT_FALSE(run.state["fullScreen"].boolean);
    EXPECT_EQ(run.state["viewMode"].text, "Image");
    EXPECT_EQ(run.state["title"].text, "(3)beach");
    run = RunHeadless(device, std::string(kOpenBeach) + "5 Back Back");
    EXPECT_EQ(run.state["viewMode"].text, "Thumbnail");
}

}  // namespace

namespace {

// Leaving the picture by any path ends full screen: the grid gets its title strip and softkey
// bar back, and the next picture opens in the normal window.
TEST(ImageView, LeavingTheViewEndsFullScreen) {
    TempDevice device;
    MakeFolder(device);
    // Home brings up the phone's Home Screen over the program; its softkey brings it back.
    for (const char* leave : {"Home SoftLeft", "cmd:40007", "Back Back"}) {
        const auto run = RunHeadless(device, std::string(kOpenBeach) + "5 " + leave, true);
        ASSERT_EQ(run.exitCode, 0) << run.stderrText;
        EXPECT_EQ(run.state["viewMode"].text, "Thumbnail") << leave;
        EXPECT_FALSE(run.state["fullScreen"].boolean) << leave;
        EXPECT_EQ(run.state["title"].text, "Velloran") << leave;
        Png png;
        ASSERT_TRUE(ReadPng(run.screenshot, &png));
        // The title strip is back above the grid, the softkeys below the folder bar.
        EXPECT_NE(png.At(88, 5), 0xC4C4C4u) << leave;
        EXPECT_EQ(png.At(170, 220 - 20 - 3), 0xC6FF75u) << leave;  // the folder bar
    }
    // The next picture opens below the title strip, in a client area 180 rows high.
    const auto again = RunHeadless(device, std::string(kOpenBeach) + "5 Home SoftLeft Enter");
    EXPECT_FALSE(again.state["fullScreen"].boolean);
    EXPECT_EQ(again.state["image"]["viewHeight"].Int(), 180);
    EXPECT_EQ(again.state["image"]["panY"].Int(), 20);
}

}  // namespace

namespace {

// A picture reached by a step (decoded ahead while the previous one showed) is painted exactly
// as when it is opened from the grid, also after a turn made while it was decoded ahead.
TEST(ImageView, SteppedPictureLooksAsWhenOpenedFromTheGrid) {
    const auto screen = [](const std::string& keys) {
        TempDevice device;  // the turn is kept at exit: a device for each run
        MakeFolder(device);
        const auto run = RunHeadless(device, keys, true);
        EXPECT_EQ(run.exitCode, 0) << run.stderrText;
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

}  // namespace
