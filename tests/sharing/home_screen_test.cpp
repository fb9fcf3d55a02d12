// The Home Screen background end to end: the files it writes, the registry value, the
// settings-change broadcast, the messages, the failures, and the Home Screen that shows it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "imaging/loaders.h"
#include "platform/os/device_fs.h"
#include "tests/sharing/fake_obex_peer.h"
#include "tests/sharing/sharing_support.h"

using sharing_tests::MakeDevice;
using testing_support::Pick;
using testing_support::Png;
using testing_support::RunChecked;
using testing_support::SolidBmp;
using testing_support::TakenShot;
using testing_support::TempDevice;

namespace {

const std::string kFolder = "\\Program Files\\Velloran";
const std::string kScreen = kFolder + "\\MyScreen.jpg";
const std::string kScreen1 = kFolder + "\\MyScreen1.jpg";

// The BgImage line of the device registry, or "" when there is none.
std::string BgImageLine(const TempDevice& device) {
    const std::string reg = device.ReadSettings();
    const size_t key = reg.find("[HKEY_CURRENT_USER\\ControlPanel\\Home]");
    const size_t line = key == std::string::npos ? key : reg.find("\"BgImage\"=", key);
    return line == std::string::npos ? "" : reg.substr(line, reg.find('\n', line) - line);
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
        if (d > tolerance || d < -tolerance)
            return false;
    }
    return true;
}

constexpr uint32_t kFaceRgb = 0xD4D0C8;
const std::string kLine1 = "\"BgImage\"=\"\\\\Program Files\\\\Velloran\\\\MyScreen1.jpg\"";

}  // namespace

// The settings alternate between MyScreen1.jpg and MyScreen.jpg, each time pointing the
// registry at the new file, telling the desktop and removing the other file; Default empties
// the value and keeps the file. A save that fails is silent and leaves the current background.
TEST(HomeScreenBackground, CenterFitTileAndDefaultAlternateTheFilesAndTellTheDesktop) {
    TempDevice device;
    MakeDevice(device, "\\P", {{"red.bmp", SolidBmp(50, 30, 220, 20, 20)}});
    RunChecked(device, "cmd:40023 @center SoftLeft");
    EXPECT_EQ(Pick(device.TakenState("center"),
                   "messageBox.text messageBox.icon settingChanges settingChanges.0.message "
                   "settingChanges.0.wParam"),
              "Set 'Home Screen' background image OK ! information [1] 26 242");
    EXPECT_EQ(BgImageLine(device), kLine1);
    EXPECT_FALSE(device.Exists(kScreen));
    imaging::ImageBuffer saved;
    ASSERT_TRUE(Decode(device, kScreen1, &saved));
    EXPECT_EQ(saved.Width(), 176);
    EXPECT_EQ(saved.Height(), 180);
    // The picture sits at (63, 75)-(112, 104), framed by the button face.
    for (auto [x, y] : {std::pair{88, 90}, {65, 77}, {110, 102}})
        EXPECT_TRUE(Near(At(saved, x, y), 0xDC1414)) << x << "," << y;
    for (auto [x, y] : {std::pair{59, 90}, {116, 90}, {88, 71}, {88, 108}, {2, 2}})
        EXPECT_TRUE(Near(At(saved, x, y), kFaceRgb)) << x << "," << y;

    // The next target is MyScreen.jpg; a folder where its temporary file goes makes it fail.
    const std::string current = device.ReadFile(kScreen1);
    device.MakeFolder(kScreen + ".xxx");
    RunChecked(device, "cmd:40024 @failed");
    EXPECT_EQ(Pick(device.TakenState("failed"), "messageBox settingChanges"), "null [0]");
    EXPECT_FALSE(device.Exists(kScreen));
    EXPECT_EQ(device.ReadFile(kScreen1), current);
    EXPECT_EQ(BgImageLine(device), kLine1);
    std::filesystem::remove(device.Host(kScreen + ".xxx"));

    // Fit to Screen stretches over everything: no frame left.
    RunChecked(device, "cmd:40024 @fit SoftLeft");
    EXPECT_EQ(Pick(device.TakenState("fit"), "settingChanges"), "[1]");
    EXPECT_FALSE(device.Exists(kScreen1));
    EXPECT_EQ(BgImageLine(device), "\"BgImage\"=\"\\\\Program Files\\\\Velloran\\\\MyScreen.jpg\"");
    ASSERT_TRUE(Decode(device, kScreen, &saved));
    EXPECT_TRUE(Near(At(saved, 1, 1), 0xDC1414));
    EXPECT_TRUE(Near(At(saved, 174, 178), 0xDC1414));

    // Tile goes back to MyScreen1.jpg; Default keeps it.
    RunChecked(device, "cmd:40025 SoftLeft cmd:40026 @restored");
    EXPECT_EQ(Pick(device.TakenState("restored"),
                   "messageBox.text settingChanges settingChanges.1.wParam"),
              "Restore 'Home Screen' background image OK ! [2] 242");
    EXPECT_EQ(BgImageLine(device), "\"BgImage\"=\"\"");
    EXPECT_TRUE(device.Exists(kScreen1));
    EXPECT_FALSE(device.Exists(kScreen));
}

TEST(HomeScreenBackground, APictureThatCannotBeDecodedSaysSoAndChangesNothing) {
    TempDevice device;
    MakeDevice(device, "\\P", {{"broken.jpg", std::string("\xFF\xD8\xFF\xE0 not a picture", 19)}});
    const auto run = RunChecked(device, "cmd:40023");
    EXPECT_EQ(Pick(run.state, "messageBox.text messageBox.icon settingChanges"),
              "Fail to set 'Home Screen' background image ! error [0]");
    EXPECT_EQ(BgImageLine(device), "");
    EXPECT_FALSE(device.Exists(kScreen));
    EXPECT_FALSE(device.Exists(kScreen1));
}

// With a folder under the cursor the sharing commands do nothing; only the four Home Screen
// ones beep.
TEST(SharingCommands, AFolderUnderTheCursorStartsNothingAndOnlyTheHomeScreenOnesBeep) {
    TempDevice device;
    MakeDevice(device, "\\P", {{"red.bmp", SolidBmp(50, 30, 220, 20, 20)}});
    device.MakeFolder("\\P\\Sub");
    testing_support::FakeObexPeer peer(testing_support::FakeObexPeer::Mode::kAccept);
    const auto run =
        RunChecked(device,
                   "cmd:40047 cmd:40048 cmd:40049 cmd:40050 cmd:40051 wait:3000 @quiet "
                   "cmd:40023 cmd:40024 cmd:40025 cmd:40026",
                   {"--ir-peer", peer.PeerArg("Tablet")});
    const char* nothing = "beeps recorder messageBox processes dialog settingChanges";
    EXPECT_EQ(Pick(device.TakenState("quiet"), nothing), "0 null null [0] null [0]");
    EXPECT_EQ(Pick(run.state, nothing), "4 null null [0] null [0]");
    EXPECT_EQ(peer.Connections(), 0);
    EXPECT_EQ(BgImageLine(device), "");
}

TEST(HomeScreen, HomeShowsTheBackgroundAndItsSoftkeyBringsTheProgramBack) {
    TempDevice device;
    MakeDevice(device, "\\P", {{"red.bmp", SolidBmp(50, 30, 220, 20, 20)}});
    // First the default background; then a setting, and the Home Screen shows it.
    const auto run =
        RunChecked(device, "Home !before SoftLeft cmd:40023 SoftLeft Home !after SoftLeft");
    EXPECT_EQ(Pick(run.state, "homeScreen viewMode"), "null Thumbnail");
    const Png plain = TakenShot(device, "before");
    const Png shown = TakenShot(device, "after");
    // Below the 20-pixel title strip: the picture's middle, framed by the button face.
    EXPECT_FALSE(Near(plain.At(88, 110), 0xDC1414));
    EXPECT_TRUE(Near(shown.At(88, 110), 0xDC1414)) << std::hex << shown.At(88, 110);
    EXPECT_TRUE(Near(shown.At(20, 150), kFaceRgb)) << std::hex << shown.At(20, 150);
    // The title strip stays on top.
    EXPECT_FALSE(Near(shown.At(88, 5), kFaceRgb));
}
