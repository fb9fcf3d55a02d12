// Camera pictures upright through the headless host: the grid, the image view, the
// properties' size and the slide show show orientation 6 as orientation 1; the check box of
// General options turns it off and is kept in the settings.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/headless.h"

using testing_support::Checkpoints;
using testing_support::DialogControl;
using testing_support::Json;
using testing_support::Pick;
using testing_support::Png;
using testing_support::ReadPng;
using testing_support::RunHeadless;
using testing_support::TempDevice;

namespace {

std::string Example(const std::string& name) {
    std::ifstream in(std::filesystem::path(VELLORAN_TEST_DATA) / "exif-orientation-examples" / name,
                     std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// \Pics holds a.jpg (orientation 1) and b.jpg (the same picture stored on its side,
// orientation 6); a slide show holds each picture for 30 seconds, without a random effect.
struct Device : TempDevice {
    Device() {
        SkipSampleInstall();
        WriteFile("\\Pics\\a.jpg", Example("Portrait_1.jpg"));
        WriteFile("\\Pics\\b.jpg", Example("Portrait_6.jpg"));
        WriteSettings({{"MainSection", "WorkDirectory", "\\Pics"},
                       {"Slide", "RandomEffect", 0},
                       {"Slide", "Effect", 6},
                       {"Slide", "Delay", 30}});
    }
    Png Shot(const std::string& tag) const {
        Png png;
        EXPECT_TRUE(ReadPng(ShotPath(tag), &png)) << tag;
        return png;
    }
};

// Mean difference per channel of two same-size regions of screenshots.
double RegionDifference(const Png& a, int ax, int ay, const Png& b, int bx, int by, int w, int h) {
    double sum = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint32_t p = a.At(ax + x, ay + y), q = b.At(bx + x, by + y);
            for (int shift : {0, 8, 16}) {
                sum += std::abs(static_cast<int>((p >> shift) & 0xFF) -
                                static_cast<int>((q >> shift) & 0xFF));
            }
        }
    }
    return sum / (3.0 * w * h);
}

// The two thumbnails of a 2 x 2 grid side by side, inside their frames.
double ThumbnailDifference(const Json& state, const Png& grid) {
    const int cw = state["cellWidth"].Int(), ch = state["cellHeight"].Int();
    const int gap = (176 - 2 * cw) / 3;
    // Below the 20-pixel title strip, in a 180-pixel client area less the 12-pixel folder bar.
    const int top = 20 + (168 - 2 * ch) / 3 + 4;
    return RegionDifference(grid, gap + 4, top, grid, cw + 2 * gap + 4, top, cw - 8, ch - 8);
}

}  // namespace

TEST(CameraPictures, OrientationSixShowsAsOrientationOneEverywhere) {
    Device device;
    // The grid; the image view of each; b's properties; a slide show from each.
    const auto run =
        RunHeadless(device, Checkpoints(device,
                                        "@grid !grid Enter @a !a Back Right Enter @b !b cmd:40021 "
                                        "@props Back Back Left cmd:40010 wait:1100 !showA Back "
                                        "Right cmd:40010 wait:1100 !showB"));
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    // Both thumbnails upright and alike.
    EXPECT_LT(ThumbnailDifference(device.TakenState("grid"), device.Shot("grid")), 10.0);
    // The image view: the same picture at the same size.
    const Json a = device.TakenState("a");
    const Json b = device.TakenState("b");
    EXPECT_EQ(Pick(b, "title image.width image.height"),
              "(2)b " + Pick(a, "image.width image.height"));
    EXPECT_LT(RegionDifference(device.Shot("a"), 0, 20, device.Shot("b"), 0, 20, 176, 180), 10.0);
    // The properties: the camera's size, 1200 x 1800, not the file's 1800 x 1200.
    const Json props = device.TakenState("props");
    EXPECT_EQ(
        Pick(DialogControl(props, 2002), "text") + "x" + Pick(DialogControl(props, 2003), "text"),
        "1200x1800");
    // The slide show, a picture at a time once the wipe is over.
    EXPECT_LT(RegionDifference(device.Shot("showA"), 0, 0, device.Shot("showB"), 0, 0, 176, 220),
              10.0);
}

TEST(CameraPictures, TheCheckBoxTurnsItOffAndIsKept) {
    Device device;
    // General options: the last check box, ticked by default; untick it and confirm.
    const auto off = RunHeadless(
        device, Checkpoints(device, "cmd:40039 @options Down Down Down Enter cmd:40001 !off"));
    ASSERT_EQ(off.exitCode, 0) << off.stderrText;
    const Json options = device.TakenState("options");
    std::string box = "(no check box)";
    for (const Json& c : options["dialog"]["controls"].items) {
        if (c["text"].text == "Auto-rotate camera pictures")
            box = Pick(c, "checked visible");
    }
    EXPECT_EQ(box, "true true");
    EXPECT_FALSE(off.state["autoRotate"].boolean);
    // The thumbnails were made again: the stored picture lies on its side now.
    EXPECT_GT(ThumbnailDifference(off.state, device.Shot("off")), 20.0);
    EXPECT_NE(device.ReadSettings().find("\"AutoRotate\"=dword:00000000"), std::string::npos);

    // Off at start: the properties show the file's own size.
    const auto props = RunHeadless(device, "Right Enter cmd:40021");
    EXPECT_FALSE(props.state["autoRotate"].boolean);
    EXPECT_EQ(DialogControl(props.state, 2002)["text"].text, "1800");
}
