// Start-up, settings, menus, Back and the single-instance rule, through the headless host.
#include <gtest/gtest.h>

#include <cstdio>

#include "hosts/headless/json_writer.h"
#include "tests/support/headless.h"

using testing_support::Checkpoints;
using testing_support::Json;
using testing_support::MenuItem;
using testing_support::Pick;
using testing_support::RunHeadless;
using testing_support::TempDevice;

namespace {

const std::string kSamples = "\\Program Files\\Velloran\\Samples";

}  // namespace

// A fresh device: the defaults, the two menus with their marks and grey items, and the eight
// main values written in order at exit.
TEST(Startup, AFreshDeviceShowsTheDefaultsAndTheMenusAndExitWritesThem) {
    TempDevice device;
    device.SkipSampleInstall();
    const auto run = RunHeadless(
        device, Checkpoints(device, "Right @start SoftLeft @left !left Back SoftRight"));
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    // The client area lies between the two 20-pixel strips: 176 x 180.
    EXPECT_EQ(Pick(device.TakenState("start"),
                   "viewMode title workDirectory homeDirectory thumbnailLayout showFileName "
                   "thumbMaxView loadSizeLevel clientWidth clientHeight"),
              "Thumbnail Velloran " + kSamples + " " + kSamples + " 0 false true 0 176 180");

    const std::string reg = device.ReadSettings();
    size_t last = reg.find("velloran\\MainSection]");
    ASSERT_NE(last, std::string::npos) << reg;
    for (const char* name :
         {"\"WorkDirectory\"", "\"HomeDirectory\"", "\"Orientation\"", "\"ThumbnailLayout\"",
          "\"ShowFileName\"", "\"ThumbMaxView\"", "\"OptimizedMemory\"", "\"AutoRotate\""}) {
        const size_t at = reg.find(name, last);
        ASSERT_NE(at, std::string::npos) << name << "\n" << reg;
        last = at;
    }
    EXPECT_NE(reg.find("\"ThumbMaxView\"=dword:00000001"), std::string::npos);
    EXPECT_NE(reg.find("\"AutoRotate\"=dword:00000001"), std::string::npos);
    // The slide-show section appears only when its options are confirmed.
    EXPECT_EQ(reg.find("\\Slide]"), std::string::npos);

    const Json left = device.TakenState("left");
    const Json& items = left["menu"]["items"];
    ASSERT_FALSE(items.IsNull());
    EXPECT_EQ(Pick(MenuItem(items, 40007), "checked"), "true");
    EXPECT_EQ(Pick(MenuItem(items, 40008), "checked"), "false");
    EXPECT_EQ(Pick(MenuItem(items, 40011), "text"), "Exit");
    EXPECT_FALSE(MenuItem(items, 40043).IsNull());  // in the Options submenu

    // The first item is highlighted at the top of the popup, the softkeys below it.
    testing_support::Png png;
    ASSERT_TRUE(testing_support::ReadPng(device.ShotPath("left"), &png));
    EXPECT_EQ(png.width, 176);
    EXPECT_EQ(png.height, 220);
    bool highlight = false;
    for (int y = 20; y < 60 && !highlight; ++y)
        highlight = png.At(20, y) == 0x0054A6;
    EXPECT_TRUE(highlight);

    const Json& right = run.state["menu"]["items"];
    ASSERT_FALSE(right.IsNull()) << run.stateText;
    for (int id : {40022, 40021, 40047, 40048, 40049, 40050, 40051, 40023})
        EXPECT_EQ(Pick(MenuItem(right, id), "enabled"), "false") << id;
    EXPECT_EQ(Pick(MenuItem(right, 40026), "enabled"), "true");
    EXPECT_EQ(Pick(MenuItem(right, 40013), "checked") + Pick(MenuItem(right, 40016), "checked"),
              "truetrue");

    // "Exit" (the last item of the Menu popup) closes the program and writes the settings.
    std::remove(device.Host("\\Windows\\registry.reg").c_str());
    EXPECT_EQ(RunHeadless(device, "SoftLeft Up Enter state:/dev/null").exitCode, 0);
    EXPECT_NE(device.ReadSettings().find("OptimizedMemory"), std::string::npos);
}

TEST(Startup, MissingWorkFolderFallsBackButHomeIsKeptAsStored) {
    TempDevice device;
    device.SkipSampleInstall();
    device.WriteSettings({{"MainSection", "WorkDirectory", "\\Gone"},
                          {"MainSection", "HomeDirectory", "\\Also Gone"},
                          {"MainSection", "ThumbnailLayout", 2},
                          {"MainSection", "Orientation", 3},
                          {"MainSection", "OptimizedMemory", 3}});
    const auto run = RunHeadless(device, "");
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    // Orientation and memory level out of their range are taken as the defaults.
    EXPECT_EQ(
        Pick(run.state, "workDirectory homeDirectory thumbnailLayout orientation loadSizeLevel"),
        kSamples + " \\Also Gone 2 0 0");
}

TEST(Startup, DamagedRegistryGivesDefaultsAndIsRewrittenWhole) {
    TempDevice device;
    device.SkipSampleInstall();
    device.WriteFile(
        "\\Windows\\registry.reg",
        std::string("REGEDIT4\n\n[HKEY_CURRENT_USER\\Soft\xff\x00garbage\n\"Orient", 40));
    const auto run = RunHeadless(device, "Left");
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(run.state["orientation"].Int(), 0);
    const std::string reg = device.ReadSettings();
    EXPECT_EQ(reg.rfind("REGEDIT4", 0), 0u);
    EXPECT_NE(reg.find("\"OptimizedMemory\"=dword:00000000"), std::string::npos) << reg;
}

// Stored folders lose their trailing backslash; Back climbs one level at a time without a
// beep and beeps at the root; 0 goes home.
TEST(Startup, BackClimbsToTheRootThenBeepsAndHomeReturns) {
    TempDevice device;
    device.SkipSampleInstall();
    device.MakeFolder("\\Photos\\2024");
    device.WriteSettings({{"MainSection", "WorkDirectory", "\\Photos\\2024\\"},
                          {"MainSection", "HomeDirectory", "\\Photos\\2024\\"}});
    const auto run =
        RunHeadless(device, Checkpoints(device, "@start Back @up Back @root Back Back @beeped 0"));
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(Pick(device.TakenState("start"), "workDirectory homeDirectory"),
              "\\Photos\\2024 \\Photos\\2024");
    EXPECT_EQ(Pick(device.TakenState("up"), "workDirectory beeps"), "\\Photos 0");
    EXPECT_EQ(Pick(device.TakenState("root"), "workDirectory beeps"), "\\ 0");
    EXPECT_EQ(Pick(device.TakenState("beeped"), "workDirectory beeps"), "\\ 2");
    EXPECT_EQ(run.state["workDirectory"].text, "\\Photos\\2024");
}

TEST(HostCommandLine, StateTextsStayValidJsonWhateverTheyHold) {
    JsonWriter w;
    w.BeginObject()
        .Key("t")
        .String(std::string("a\x01\x1F\"\\\n\t\x7F"
                            "b"))
        .EndObject();
    EXPECT_EQ(w.Text(),
              "{\"t\":\"a\\u0001\\u001f\\\"\\\\\\n\\t\x7F"
              "b\"}");
}
