// Start-up, settings, menus, Back and the single-instance rule, through the headless host.
#include <gtest/gtest.h>

#include "hosts/headless/json_writer.h"
#include "tests/support/headless.h"

using testing_support::Json;
using testing_support::RunHeadless;
using testing_support::TempDevice;

namespace {

constexpr const char* kRegistry = "\\Windows\\registry.reg";
constexpr const char* kKey =
    "[HKEY_CURRENT_USER\\Software\\Tarrowby Systems Inc.\\velloran\\MainSection]";

std::string RegistryWith(const std::string& values) {
    return std::string("REGEDIT4\n\n") + kKey + "\n" + values;
}

const Json* FindItem(const Json& items, int id) {
    for (const Json& item : items.items) {
        if (item["id"].Int() == id)
            return &item;
        if (!item["submenu"].IsNull()) {
            if (const Json* found = FindItem(item["submenu"], id))
                return found;
        }
    }
    return nullptr;
}

}  // namespace

TEST(Startup, EmptyDeviceRootUsesDefaultsAndExitWritesTheEightValuesInOrder) {
    TempDevice device;
    device.SkipSampleInstall();
    const auto run = RunHeadless(device, "Right");
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    const Json& s = run.state;
    EXPECT_EQ(s["viewMode"].text, "Thumbnail");
    EXPECT_EQ(s["title"].text, "Velloran");
    EXPECT_EQ(s["workDirectory"].text, "\\Program Files\\Velloran\\Samples");
    EXPECT_EQ(s["homeDirectory"].text, "\\Program Files\\Velloran\\Samples");
    EXPECT_EQ(s["thumbnailLayout"].Int(), 0);
    EXPECT_FALSE(s["showFileName"].boolean);
    EXPECT_TRUE(s["thumbMaxView"].boolean);
    EXPECT_EQ(s["loadSizeLevel"].Int(), 0);
    // The client area lies between the two 20-pixel strips.
    EXPECT_EQ(s["clientWidth"].Int(), 176);
    EXPECT_EQ(s["clientHeight"].Int(), 180);

    const std::string reg = device.ReadFile(kRegistry);
    const char* order[] = {"\"WorkDirectory\"",   "\"HomeDirectory\"", "\"Orientation\"",
                           "\"ThumbnailLayout\"", "\"ShowFileName\"",  "\"ThumbMaxView\"",
                           "\"OptimizedMemory\"", "\"AutoRotate\""};
    size_t last = reg.find(kKey);
    ASSERT_NE(last, std::string::npos) << reg;
    for (const char* name : order) {
        const size_t at = reg.find(name, last);
        ASSERT_NE(at, std::string::npos) << name << "\n" << reg;
        last = at;
    }
    EXPECT_NE(reg.find("\"ThumbMaxView\"=dword:00000001"), std::string::npos);
    EXPECT_NE(reg.find("\"AutoRotate\"=dword:00000001"), std::string::npos);
    // The slide-show section appears only when its options are confirmed.
    EXPECT_EQ(reg.find("\\Slide]"), std::string::npos);
}

TEST(Startup, MissingWorkFolderFallsBackButHomeIsKeptAsStored) {
    TempDevice device;
    device.SkipSampleInstall();
    device.WriteFile(kRegistry, RegistryWith("\"WorkDirectory\"=\"\\\\Gone\"\n"
                                             "\"HomeDirectory\"=\"\\\\Also Gone\"\n"
                                             "\"ThumbnailLayout\"=dword:00000002\n"
                                             "\"Orientation\"=dword:00000003\n"
                                             "\"OptimizedMemory\"=dword:00000003\n"));
    const auto run = RunHeadless(device, "");
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(run.state["workDirectory"].text, "\\Program Files\\Velloran\\Samples");
    EXPECT_EQ(run.state["homeDirectory"].text, "\\Also Gone");
    EXPECT_EQ(run.state["thumbnailLayout"].Int(), 2);
    // Values out of their range are taken as the defaults.
    EXPECT_EQ(run.state["orientation"].Int(), 0);
    EXPECT_EQ(run.state["loadSizeLevel"].Int(), 0);
}

TEST(Startup, DamagedRegistryGivesDefaultsAndIsRewrittenWhole) {
    TempDevice device;
    device.SkipSampleInstall();
    device.WriteFile(
        kRegistry,
        std::string("REGEDIT4\n\n[HKEY_CURRENT_USER\\Soft\xff\x00garbage\n\"Orient", 40));
    const auto run = RunHeadless(device, "Left");
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(run.state["orientation"].Int(), 0);
    const std::string reg = device.ReadFile(kRegistry);
    EXPECT_EQ(reg.rfind("REGEDIT4", 0), 0u);
    EXPECT_NE(reg.find("\"OptimizedMemory\"=dword:00000000"), std::string::npos) << reg;
}

TEST(Startup, BackAtTheRootBeepsAndBackBelowClimbs) {
    TempDevice device;
    device.SkipSampleInstall();
    device.MakeFolder("\\Photos\\2024");
    device.WriteFile(kRegistry, RegistryWith("\"WorkDirectory\"=\"\\\\Photos\\\\2024\"\n"));
    const auto up = RunHeadless(device, "Back");
    ASSERT_EQ(up.exitCode, 0);
    EXPECT_EQ(up.state["workDirectory"].text, "\\Photos");
    EXPECT_EQ(up.state["beeps"].Int(), 0);

    device.WriteFile(kRegistry, RegistryWith("\"WorkDirectory\"=\"\\\\\"\n"));
    const auto root = RunHeadless(device, "Back Back");
    EXPECT_EQ(root.state["workDirectory"].text, "\\");
    EXPECT_EQ(root.state["beeps"].Int(), 2);
}

TEST(Menus, SoftLeftOpensTheMenuWithTheModeRadioMark) {
    TempDevice device;
    device.SkipSampleInstall();
    const auto run = RunHeadless(device, "SoftLeft", true);
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    const Json& items = run.state["menu"]["items"];
    ASSERT_FALSE(items.IsNull());
    const Json* thumb = FindItem(items, 40007);
    ASSERT_NE(thumb, nullptr);
    EXPECT_TRUE((*thumb)["checked"].boolean);
    EXPECT_FALSE((*FindItem(items, 40008))["checked"].boolean);
    EXPECT_EQ((*FindItem(items, 40011))["text"].text, "Exit");
    ASSERT_NE(FindItem(items, 40043), nullptr);  // in the Options submenu

    // The first item is highlighted at the top of the popup, the softkeys below it.
    testing_support::Png png;
    ASSERT_TRUE(testing_support::ReadPng(run.screenshot, &png));
    EXPECT_EQ(png.width, 176);
    EXPECT_EQ(png.height, 220);
    bool highlight = false;
    for (int y = 20; y < 60 && !highlight; ++y) {
        highlight = png.At(20, y) == 0x0054A6;
    }
    EXPECT_TRUE(highlight);
}

TEST(Menus, PictureCommandsAreGreyWithoutAPictureAndExitEndsTheProgram) {
    TempDevice device;
    device.SkipSampleInstall();
    const auto run = RunHeadless(device, "SoftRight");
    const Json& items = run.state["menu"]["items"];
    ASSERT_FALSE(items.IsNull()) << run.stateText;
    for (int id : {40022, 40021, 40047, 40048, 40049, 40050, 40051, 40023}) {
        const Json* item = FindItem(items, id);
        ASSERT_NE(item, nullptr) << id;
        EXPECT_FALSE((*item)["enabled"].boolean) << id;
    }
    EXPECT_TRUE((*FindItem(items, 40026))["enabled"].boolean);
    EXPECT_TRUE((*FindItem(items, 40013))["checked"].boolean);
    EXPECT_TRUE((*FindItem(items, 40016))["checked"].boolean);

    // "Exit" (the last item of the Menu popup) closes the program and writes the settings.
    TempDevice other;
    other.SkipSampleInstall();
    const auto exitRun = RunHeadless(other, "SoftLeft Up Enter state:/dev/null");
    EXPECT_EQ(exitRun.exitCode, 0);
    EXPECT_NE(other.ReadFile(kRegistry).find("OptimizedMemory"), std::string::npos);
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

TEST(Startup, StoredFoldersLoseTheirTrailingBackslash) {
    TempDevice device;
    device.SkipSampleInstall();
    device.MakeFolder("\\P");
    device.WriteFile(kRegistry, RegistryWith("\"WorkDirectory\"=\"\\\\P\\\\\"\n"
                                             "\"HomeDirectory\"=\"\\\\P\\\\\"\n"));
    auto run = RunHeadless(device, "");
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(run.state["workDirectory"].text, "\\P");
    EXPECT_EQ(run.state["homeDirectory"].text, "\\P");
    // One Back climbs to the root; Home comes back to \P.
    device.WriteFile(kRegistry, RegistryWith("\"WorkDirectory\"=\"\\\\P\\\\\"\n"
                                             "\"HomeDirectory\"=\"\\\\P\\\\\"\n"));
    run = RunHeadless(device, "Back");
    EXPECT_EQ(run.state["workDirectory"].text, "\\");
    EXPECT_EQ(run.state["beeps"].Int(), 0);
    run = RunHeadless(device, "0");
    EXPECT_EQ(run.state["workDirectory"].text, "\\P");
}
