// The Home Screen background end to end: the files it writes, the registry value, the
// settings-change broadcast, the messages, the failures, and the Home Screen that shows it.
#include <gtest/gtest.h>

#include <string>

#include "imaging/loaders.h"
#include "platform/os/device_fs.h"
#include "tests/sharing/sharing_support.h"

using sharing_tests::MakeDevice;
using testing_support::Png;
using testing_support::ReadPng;
using testing_support::RunHeadless;
using testing_support::SolidBmp;
using testing_support::TempDevice;

namespace {

const std::string kFolder = "\\Program Files\\Velloran";
const std::string kScreen = kFolder + "\\MyScreen.jpg";
const std::string kScreen1 = kFolder + "\\MyScreen1.jpg";

// The BgImage line of the device registry, or "" when there is none.
std::string BgImageLine(const TempDevice& device) {
    const std::string reg = device.ReadFile("\\Windows\\registry.reg");
    const size_t key = reg.find("[HKEY_CURRENT_USER\\ControlPanel\\Home]");
    if (key == std::string::npos) {
        return "";
    }
    const size_t line = reg.find("\"BgImage\"=", key);
    if (line == std::string::npos) {
        return "";
    }
    return reg.substr(line, reg.find('\n', line) - line);
}

// A saved background decoded again, its pixels as 0xRRGGBB (JPEG: within a small tolerance).
bool Decode(const TempDevice& device, const std::string& path, imaging::ImageBuffer* out) {
    plat::DeviceFs::SetRoot(device.Root());
    imaging::ImagingContext context;
    return imaging::LoadImageFile(path, out, 0, 1, context) == 1;
}

uint32_t At(const imaging::ImageBuffer& image, int x, int y) {
    const uint8_t* p = image.RowPtr(y) + 3 * x;
    return static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
}

// 0xRRGGBB colours compared channel by channel.
bool Near(uint32_t a, uint32_t b, int tolerance = 12) {
    for (int shift = 0; shift <= 16; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (d > tolerance || d < -tolerance) {
            return false;
        }
    }
    return true;
}

constexpr uint32_t kFaceRgb = 0xD4D0C8;

}  // namespace

TEST(HomeScreenBackground, CenterWritesMyScreen1PointsTheRegistryAtItAndTellsTheDesktop) {
    TempDevice device;
    MakeDevice(device, "\\P", {{"red.bmp", SolidBmp(50, 30, 220, 20, 20)}});
    const auto run = RunHeadless(device, "cmd:40023");
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(run.state["messageBox"]["text"].text, "Set 'Home Screen' background image OK !");
    EXPECT_EQ(run.state["messageBox"]["icon"].text, "information");
    ASSERT_EQ(run.state["settingChanges"].Size(), 1u);
    EXPECT_EQ(run.state["settingChanges"][0]["message"].Int(), 0x1A);
    EXPECT_EQ(run.state["settingChanges"][0]["wParam"].Int(), 242);
    EXPECT_EQ(BgImageLine(device),
              "\"BgImage\"=\"\\\\Program Files\\\\Velloran\\\\MyScreen1.jpg\"");
    EXPECT_FALSE(device.Exists(kScreen));

    imaging::ImageBuffer saved;
    ASSERT_TRUE(Decode(device, kScreen1, &saved));
    EXPECT_EQ(saved.Width(), 176);
    EXPECT_EQ(saved.Height(), 180);
    // The picture sits at (63, 75)-(112, 104), framed by the button face.
    EXPECT_TRUE(Near(At(saved, 88, 90), 0xDC1414)) << std::hex << At(saved, 88, 90);
    EXPECT_TRUE(Near(At(saved, 65, 77), 0xDC1414));
    EXPECT_TRUE(Near(At(saved, 110, 102), 0xDC1414));
    EXPECT_TRUE(Near(At(saved, 59, 90), kFaceRgb)) << std::hex << At(saved, 59, 90);
    EXPECT_TRUE(Near(At(saved, 116, 90), kFaceRgb));
    EXPECT_TRUE(Near(At(saved, 88, 71), kFaceRgb));
    EXPECT_TRUE(Near(At(saved, 88, 108), kFaceRgb));
    EXPECT_TRUE(Near(At(saved, 2, 2), kFaceRgb));
}

TEST(HomeScreenBackground, TwoSettingsAlternateAndLeaveOnlyMyScreen) {
    TempDevice device;
    MakeDevice(device, "\\P", {{"red.bmp", SolidBmp(50, 30, 220, 20, 20)}});
    // OK closes the first message; Fit to Screen then writes the other file.
    const auto run = RunHeadless(device, "cmd:40023 SoftLeft cmd:40024 SoftLeft");
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_TRUE(device.Exists(kScreen));
    EXPECT_FALSE(device.Exists(kScreen1));
    EXPECT_EQ(BgImageLine(device), "\"BgImage\"=\"\\\\Program Files\\\\Velloran\\\\MyScreen.jpg\"");
    EXPECT_EQ(run.state["settingChanges"].Size(), 2u);
    imaging::ImageBuffer saved;
    ASSERT_TRUE(Decode(device, kScreen, &saved));
    // Stretched over everything: no frame left.
    EXPECT_TRUE(Near(At(saved, 1, 1), 0xDC1414));
    EXPECT_TRUE(Near(At(saved, 174, 178), 0xDC1414));

    // A third setting goes back to MyScreen1.jpg.
    RunHeadless(device, "cmd:40025 SoftLeft");
    EXPECT_TRUE(device.Exists(kScreen1));
    EXPECT_FALSE(device.Exists(kScreen));
}

TEST(HomeScreenBackground, DefaultEmptiesTheValueAndKeepsTheFile) {
    TempDevice device;
    MakeDevice(device, "\\P", {{"red.bmp", SolidBmp(50, 30, 220, 20, 20)}});
    RunHeadless(device, "cmd:40025 SoftLeft");
    ASSERT_TRUE(device.Exists(kScreen1));
    const auto run = RunHeadless(device, "cmd:40026");
    EXPECT_EQ(run.state["messageBox"]["text"].text, "Restore 'Home Screen' background image OK !");
    EXPECT_EQ(BgImageLine(device), "\"BgImage\"=\"\"");
    EXPECT_TRUE(device.Exists(kScreen1));
    ASSERT_EQ(run.state["settingChanges"].Size(), 1u);
    EXPECT_EQ(run.state["settingChanges"][0]["wParam"].Int(), 242);
}

TEST(HomeScreenBackground, APictureThatCannotBeDecodedSaysSoAndChangesNothing) {
    TempDevice device;
    MakeDevice(device, "\\P", {{"broken.jpg", std::string("\xFF\xD8\xFF\xE0 not a picture", 19)}});
    const auto run = RunHeadless(device, "cmd:40023");
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(run.state["messageBox"]["text"].text, "Fail to set 'Home Screen' background image !");
    EXPECT_EQ(run.state["messageBox"]["icon"].text, "error");
    EXPECT_EQ(run.state["settingChanges"].Size(), 0u);
    EXPECT_EQ(BgImageLine(device), "");
    EXPECT_FALSE(device.Exists(kScreen));
    EXPECT_FALSE(device.Exists(kScreen1));
}

TEST(HomeScreenBackground, AFailedSaveIsSilentAndLeavesTheCurrentBackgroundInForce) {
    TempDevice device;
    MakeDevice(device, "\\P", {{"red.bmp", SolidBmp(50, 30, 220, 20, 20)}});
    RunHeadless(device, "cmd:40023 SoftLeft");
    ASSERT_TRUE(device.Exists(kScreen1));
    const std::string current = device.ReadFile(kScreen1);
    // The next target is MyScreen.jpg; a folder where its temporary file goes makes the save fail.
    device.MakeFolder(kScreen + ".xxx");
    const auto run = RunHeadless(device, "cmd:40024");
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_TRUE(run.state["messageBox"].IsNull());
    EXPECT_EQ(run.state["settingChanges"].Size(), 0u);
    EXPECT_FALSE(device.Exists(kScreen));
    EXPECT_EQ(device.ReadFile(kScreen1), current);
    EXPECT_EQ(BgImageLine(device),
              "\"BgImage\"=\"\\\\Program Files\\\\Velloran\\\\MyScreen1.jpg\"");
}

TEST(HomeScreenBackground, AFolderUnderTheCursorOnlyBeepsForAllFourCommands) {
    TempDevice device;
    MakeDevice(device, "\\P", {{"red.bmp", SolidBmp(50, 30, 220, 20, 20)}});
    device.MakeFolder("\\P\\Sub");
    const auto run = RunHeadless(device, "cmd:40023 cmd:40024 cmd:40025 cmd:40026");
    EXPECT_EQ(run.state["beeps"].Int(), 4);
    EXPECT_TRUE(run.state["messageBox"].IsNull());
    EXPECT_EQ(run.state["settingChanges"].Size(), 0u);
    EXPECT_EQ(BgImageLine(device), "");
}

TEST(HomeScreen, HomeShowsTheBackgroundAndItsSoftkeyBringsTheProgramBack) {
    TempDevice device;
    MakeDevice(device, "\\P", {{"red.bmp", SolidBmp(50, 30, 220, 20, 20)}});
    // First the default background; then a setting, and the Home Screen shows it.
    const std::string before = device.Root() + ".before.png";
    const std::string after = device.Root() + ".after.png";
    const auto run = RunHeadless(device, "Home shot:" + before +
                                             " SoftLeft cmd:40023 SoftLeft Home shot:" + after +
                                             " state:" + device.Root() + ".home.json SoftLeft");
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_TRUE(run.state["homeScreen"].IsNull());
    EXPECT_EQ(run.state["viewMode"].text, "Thumbnail");

    Png plain;
    Png shown;
    ASSERT_TRUE(ReadPng(before, &plain));
    ASSERT_TRUE(ReadPng(after, &shown));
    // Below the 20-pixel title strip: the picture's middle, framed by the button face.
    EXPECT_FALSE(Near(plain.At(88, 110), 0xDC1414));
    EXPECT_TRUE(Near(shown.At(88, 110), 0xDC1414)) << std::hex << shown.At(88, 110);
    EXPECT_TRUE(Near(shown.At(20, 150), kFaceRgb)) << std::hex << shown.At(20, 150);
    // The title strip stays on top.
    EXPECT_FALSE(Near(shown.At(88, 5), kFaceRgb));
}
