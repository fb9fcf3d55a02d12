// Camera pictures upright through the headless host: the grid, the image view, the
// properties' size and the slide show show orientation 6 as orientation 1; the check box of
// General options turns it off and is kept in the settings.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/headless.h"

using testing_support::Json;
using testing_support::Png;
using testing_support::ReadPng;
using testing_support::RunHeadless;
using testing_support::TempDevice;

namespace {

constexpr const char* kRegistry = "\\Windows\\registry.reg";
constexpr const char* kRoot = "[HKEY_CURRENT_USER\\Software\\Tarrowby Systems Inc.\\velloran\\";

std::string Example(const std::string& name) {
    std::ifstream in(std::filesystem::path(VELLORAN_TEST_DATA) / "exif-orientation-examples" / name,
                     std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// \Pics holds the given camera files under the given names; a slide show holds each picture.
void MakeDevice(const TempDevice& device,
                const std::vector<std::pair<std::string, std::string>>& files,
                bool autoRotate = true) {
    device.SkipSampleInstall();
    device.MakeFolder("\\Pics");
    for (const auto& [name, example] : files) {
        device.WriteFile("\\Pics\\" + name, Example(example));
    }
    device.WriteFile(kRegistry, std::string("REGEDIT4\n\n") + kRoot +
                                    "MainSection]\n\"WorkDirectory\"=\"\\\\Pics\"\n" +
                                    (autoRotate ? "" : "\"AutoRotate\"=dword:00000000\n") + "\n" +
                                    kRoot +
                                    "Slide]\n\"RandomEffect\"=dword:00000000\n"
                                    "\"Effect\"=dword:00000006\n\"Delay\"=dword:0000001e\n");
}

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

Png Shot(const testing_support::RunResult& run) {
    Png png;
    EXPECT_TRUE(ReadPng(run.screenshot, &png));
    std::remove(run.screenshot.c_str());
    return png;
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
    TempDevice device;
    MakeDevice(device, {{"a.jpg", "Portrait_1.jpg"}, {"b.jpg", "Portrait_6.jpg"}});
    // The grid: both thumbnails upright and alike.
    const auto grid = RunHeadless(device, "", true);
    ASSERT_EQ(grid.exitCode, 0) << grid.stderrText;
    EXPECT_LT(ThumbnailDifference(grid.state, Shot(grid)), 10.0);

    // The image view: the same picture at the same size.
    // (Each run writes its screenshot to the same file: it is read at once.)
    const auto a = RunHeadless(device, "Enter", true);
    const Png shotA = Shot(a);
    const auto b = RunHeadless(device, "Right Enter", true);
    const Png shotB = Shot(b);
    EXPECT_EQ(b.state["title"].text, "(2)b");
    EXPECT_EQ(a.state["image"]["width"].Int(), b.state["image"]["width"].Int());
    EXPECT_EQ(a.state["image"]["height"].Int(), b.state["image"]["height"].Int());
    EXPECT_LT(RegionDifference(shotA, 0, 20, shotB, 0, 20, 176, 180), 10.0);

    // The properties: the camera's size, 1200 x 1800, not the file's 1800 x 1200.
    const auto props = RunHeadless(device, "Right Enter cmd:40021");
    std::map<int, std::string> texts;
    for (const Json& c : props.state["dialog"]["controls"].items) {
        texts[c["id"].Int()] = c["text"].text;
    }
    EXPECT_EQ(texts[2002], "1200");
    EXPECT_EQ(texts[2003], "1800");

    // The slide show, a picture at a time once the wipe is over.
    const auto showA = RunHeadless(device, "cmd:40010 wait:1100", true);
    const Png frameA = Shot(showA);
    const auto showB = RunHeadless(device, "Right cmd:40010 wait:1100", true);
    const Png frameB = Shot(showB);
    EXPECT_EQ(showA.exitCode, 0);
    EXPECT_LT(RegionDifference(frameA, 0, 0, frameB, 0, 0, 176, 220), 10.0);
}

TEST(CameraPictures, TheCheckBoxTurnsItOffAndIsKept) {
    TempDevice device;
    MakeDevice(device, {{"a.jpg", "Portrait_1.jpg"}, {"b.jpg", "Portrait_6.jpg"}});
    // General options: the last check box, ticked by default; untick it and confirm.
    const auto options = RunHeadless(device, "cmd:40039", true);
    const Json* box = nullptr;
    for (const Json& c : options.state["dialog"]["controls"].items) {
        if (c["text"].text == "Auto-rotate camera pictures") {
            box = &c;
        }
    }
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE((*box)["checked"].boolean);
    EXPECT_TRUE((*box)["visible"].boolean);
    std::remove(options.screenshot.c_str());

    const auto off = RunHeadless(device, "cmd:40039 Down Down Down Enter cmd:40001", true);
    ASSERT_EQ(off.exitCode, 0) << off.stderrText;
    EXPECT_FALSE(off.state["autoRotate"].boolean);
    // The thumbnails were made again: the stored picture lies on its side now.
    EXPECT_GT(ThumbnailDifference(off.state, Shot(off)), 20.0);
    EXPECT_NE(device.ReadFile(kRegistry).find("\"AutoRotate\"=dword:00000000"), std::string::npos);

    // Off at start: the properties show the file's own size.
    const auto props = RunHeadless(device, "Right Enter cmd:40021");
    EXPECT_FALSE(props.state["autoRotate"].boolean);
    std::string width = "(no width shown)";
    for (const Json& c : props.state["dialog"]["controls"].items) {
        width = c["id"].Int() == 2002 ? c["text"].text : width;
    }
    EXPECT_EQ(width, "1800");
}
