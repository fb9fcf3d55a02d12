// The dialogs through the headless host: favourites, folder tree, properties, system
// information, general and slide-show options.
#include <gtest/gtest.h>

#include <algorithm>

#include "dialogs/favorites.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/font.h"
#include "tests/support/headless.h"

using testing_support::DialogControl;
using testing_support::Json;
using testing_support::MenuItem;
using testing_support::RunHeadless;
using testing_support::SolidBmp;
using testing_support::TempDevice;

namespace {

constexpr const char* kRegistry = "\\Windows\\registry.reg";
constexpr const char* kFavoritesFile = "\\Program Files\\Velloran\\agoto.got";
constexpr const char* kKey = "[HKEY_CURRENT_USER\\Software\\Tarrowby Systems Inc.\\velloran\\";

// A device root whose first start installs no samples.
struct Device : TempDevice {
    Device() { SkipSampleInstall(); }
};

void StartIn(const TempDevice& device, const std::string& regFolder) {
    device.WriteFile(kRegistry, std::string("REGEDIT4\n\n") + kKey + "MainSection]\n" +
                                    "\"WorkDirectory\"=\"" + regFolder + "\"\n");
}

// A state a script token wrote into the device root.
Json Saved(const TempDevice& device, const std::string& devicePath) {
    Json state;
    EXPECT_TRUE(testing_support::ParseJson(device.ReadFile(devicePath), &state)) << devicePath;
    return state;
}

// The value lines of one registry section.
std::string Section(const std::string& reg, const std::string& name) {
    const size_t at = reg.find(std::string(kKey) + name + "]");
    if (at == std::string::npos)
        return std::string();
    const size_t end = reg.find("\n[", at + 1);
    return reg.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

void WriteFavorites(const TempDevice& device, const std::vector<Favorite>& favorites) {
    device.WriteFile(kFavoritesFile, FavoritesStore::Serialize(favorites));
}

}  // namespace

TEST(FavoritesE2E, FirstStartWithMyDocumentsWritesOneFavoriteAtExit) {
    Device device;
    device.MakeFolder("\\IPSM\\My Documents");
    const auto run = RunHeadless(device, "SoftRight");
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(MenuItem(run.state["menu"]["items"], 10001)["text"].text, "&5 My Documents");
    const auto saved = FavoritesStore::Parse(device.ReadFile(kFavoritesFile));
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].name, "My Documents");
    EXPECT_EQ(saved[0].folder, "\\IPSM\\My Documents");
}

TEST(FavoritesE2E, FirstStartWithoutMyDocumentsWritesAnEmptyFileAndKeepsItEmpty) {
    Device device;
    ASSERT_EQ(RunHeadless(device, "Right").exitCode, 0);
    ASSERT_TRUE(device.Exists(kFavoritesFile));
    EXPECT_EQ(device.ReadFile(kFavoritesFile).size(), 42u);
    // Created later, the folder is not added: the default comes only without a file.
    device.MakeFolder("\\IPSM\\My Documents");
    const auto run = RunHeadless(device, "SoftRight");
    EXPECT_TRUE(MenuItem(run.state["menu"]["items"], 10001).IsNull());
}

TEST(FavoritesE2E, MenuShowsAHundredOfAHundredAndOneAndTheHomeItem) {
    Device device;
    device.MakeFolder("\\Pics");
    device.MakeFolder("\\Other");
    std::vector<Favorite> many;
    for (int i = 0; i < 101; ++i) {
        std::string name = "F";  // (not "F" + ...: GCC 12 warns falsely with -Wrestrict)
        many.push_back({name += std::to_string(i), i < 100 ? "\\Pics" : "\\Other"});
    }
    WriteFavorites(device, many);
    device.WriteFile(kRegistry, std::string("REGEDIT4\n\n") + kKey + "MainSection]\n" +
                                    "\"HomeDirectory\"=\"\\\\Pics\"\n");
    const auto run = RunHeadless(device, "SoftRight");
    const Json& items = run.state["menu"]["items"];
    EXPECT_FALSE(MenuItem(items, 10100).IsNull());
    EXPECT_TRUE(MenuItem(items, 10101).IsNull());
    EXPECT_EQ(MenuItem(items, 10005)["text"].text, "&9 F4");
    EXPECT_EQ(MenuItem(items, 10006)["text"].text, "F5");
    EXPECT_EQ(MenuItem(items, 40046)["text"].text, "&4 Home (Pics)");
    // The command the hundred-and-first would have had does nothing.
    const auto beyond = RunHeadless(device, "cmd:10101");
    EXPECT_EQ(beyond.state["workDirectory"].text, run.state["workDirectory"].text);
    // The editor lists all of them.
    const auto edit = RunHeadless(device, "cmd:40045");
    EXPECT_EQ(DialogControl(edit.state, 2032)["items"].Size(), 101u);
}

TEST(FavoritesE2E, MoveUpIsGreyOnTheFirstRowAndMoveDownOnTheLast) {
    Device device;
    WriteFavorites(device, {{"A", "\\A"}, {"B", "\\B"}});
    auto run = RunHeadless(device, "cmd:40045 SoftRight");
    ASSERT_FALSE(run.state["menu"].IsNull());
    EXPECT_FALSE(MenuItem(run.state["menu"]["items"], 40055)["enabled"].boolean);
    EXPECT_TRUE(MenuItem(run.state["menu"]["items"], 40056)["enabled"].boolean);
    run = RunHeadless(device, "cmd:40045 Down SoftRight");
    EXPECT_TRUE(MenuItem(run.state["menu"]["items"], 40055)["enabled"].boolean);
    EXPECT_FALSE(MenuItem(run.state["menu"]["items"], 40056)["enabled"].boolean);
    // Moving the first row up changes nothing, and Cancel keeps the file.
    run =
        RunHeadless(device, "cmd:40045 cmd:40055 state:" + device.Host("\\s.json") + " cmd:40001");
    EXPECT_EQ(FavoritesStore::Parse(device.ReadFile(kFavoritesFile))[0].name, "A");
}

TEST(FavoritesE2E, ReorderRenameAndDeleteAreSavedOnDoneOnly) {
    Device device;
    WriteFavorites(device, {{"Pics", "\\Pics"}, {"Two", "\\Two"}});
    // Cancel applies nothing.
    ASSERT_EQ(RunHeadless(device, "cmd:40045 Down cmd:40055 cmd:40002").exitCode, 0);
    EXPECT_EQ(FavoritesStore::Parse(device.ReadFile(kFavoritesFile))[0].name, "Pics");
    // A rename alone, confirmed with Done: Back erases, the keypad types.
    auto run = RunHeadless(device,
                           "cmd:40045 cmd:40057 Back Back 6 6 6 0 type:Photos cmd:40001 cmd:40001");
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    auto saved = FavoritesStore::Parse(device.ReadFile(kFavoritesFile));
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[0].name, "Pio Photos");
    EXPECT_EQ(saved[0].folder, "\\Pics");
    // Moving down, then deleting everything.
    RunHeadless(device, "cmd:40045 cmd:40056 cmd:40001");
    saved = FavoritesStore::Parse(device.ReadFile(kFavoritesFile));
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[1].name, "Pio Photos");
    // The menu loses the deleted favourites at once.
    run = RunHeadless(device, "cmd:40045 cmd:40022 cmd:40022 cmd:40001 SoftRight");
    EXPECT_EQ(device.ReadFile(kFavoritesFile).size(), 42u);
    EXPECT_TRUE(MenuItem(run.state["menu"]["items"], 10001).IsNull());
    EXPECT_TRUE(MenuItem(run.state["menu"]["items"], 10002).IsNull());
}

TEST(FavoritesE2E, AddingTheSameFolderTwiceAndAnEmptyName) {
    Device device;
    device.MakeFolder("\\Pics");
    StartIn(device, "\\\\Pics");
    const auto run = RunHeadless(device, "cmd:40044 state:" + device.Host("\\add.json") +
                                             " cmd:40001 cmd:40044 Back Back Back Back cmd:40001");
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    const Json add = Saved(device, "\\add.json");
    EXPECT_EQ(add["dialog"]["title"].text, "Add to My Favorites");
    EXPECT_EQ(DialogControl(add, 2030)["text"].text, "Pics");
    EXPECT_EQ(DialogControl(add, 2031)["text"].text, "\\Pics");
    const auto saved = FavoritesStore::Parse(device.ReadFile(kFavoritesFile));
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[0].name, "Pics");
    EXPECT_EQ(saved[1].name, "");
    EXPECT_EQ(saved[1].folder, "\\Pics");
}

TEST(FavoritesE2E, ChoosingAFavoriteGoesThereAndAMissingOneSaysSo) {
    Device device;
    device.MakeFolder("\\Pics");
    WriteFavorites(device, {{"Pics", "\\Pics"}, {"Gone", "\\Gone"}});
    auto run = RunHeadless(device, "cmd:10001");
    EXPECT_EQ(run.state["workDirectory"].text, "\\Pics");
    run = RunHeadless(device, "cmd:10002");
    EXPECT_EQ(run.state["messageBox"]["text"].text, "\\Gone\nThis folder does not exist !");
}

TEST(FavoritesE2E, SetAsHomeFolderAsksAndRelabelsHome) {
    Device device;
    device.MakeFolder("\\Pics");
    StartIn(device, "\\\\Pics");
    auto run = RunHeadless(device, "cmd:40059 Enter SoftRight");
    EXPECT_EQ(run.state["homeDirectory"].text, "\\Pics");
    EXPECT_EQ(MenuItem(run.state["menu"]["items"], 40046)["text"].text, "&4 Home (Pics)");
    StartIn(device, "\\\\");
    run = RunHeadless(device, "cmd:40059 Enter SoftRight");
    EXPECT_EQ(MenuItem(run.state["menu"]["items"], 40046)["text"].text, "&4 Home (\\)");
}

TEST(FolderTreeE2E, OpensTwoLevelsDeepSelectsTheStartAndChoosingAPictureOpensIt) {
    Device device;
    device.MakeFolder("\\Photos\\Trip");
    device.MakeFolder("\\Photos\\Empty");
    device.WriteFile("\\Photos\\Empty\\notes.txt", "x");
    device.WriteFile("\\Photos\\Trip\\b.bmp", SolidBmp(8, 8, 0, 0, 255));
    device.WriteFile("\\Photos\\Trip\\a.bmp", SolidBmp(8, 8, 255, 0, 0));
    StartIn(device, "\\\\Photos\\\\Trip");
    const auto run =
        RunHeadless(device, "cmd:40009 state:" + device.Host("\\t.json") +
                                " Down state:" + device.Host("\\d.json") + " Down cmd:40001");
    const Json tree = Saved(device, "\\t.json");
    const Json& view = DialogControl(tree, 2004);
    std::vector<std::pair<std::string, int>> items;
    for (const Json& i : view["items"].items)
        items.emplace_back(i["text"].text, i["depth"].Int());
    const std::vector<std::pair<std::string, int>> expected = {
        {"Smartphone", 0}, {"Photos", 1}, {"Empty", 2}, {"Trip", 2}, {"a.bmp", 3}, {"b.bmp", 3}};
    // Other top-level folders of the device come too; the branch to the start is as shown.
    auto at = std::find(items.begin(), items.end(), expected[1]);
    ASSERT_NE(at, items.end());
    EXPECT_EQ(items.front(), expected[0]);
    EXPECT_EQ(std::vector(at, at + 5), std::vector(expected.begin() + 1, expected.end()));
    EXPECT_EQ(tree["viewMode"].text, "Tree");
    // The selection is the row of the highlighted item: the start folder, then one down.
    for (const auto& [state, name] :
         {std::pair{tree, "Trip"}, {Saved(device, "\\d.json"), "a.bmp"}}) {
        const Json& rows = DialogControl(state, 2004);
        EXPECT_EQ(rows["items"][static_cast<size_t>(rows["selection"].Int())]["text"].text, name);
    }
    // Down twice from "Trip" reaches b.bmp.
    EXPECT_EQ(run.state["viewMode"].text, "Image");
    EXPECT_EQ(run.state["workDirectory"].text, "\\Photos\\Trip");
    EXPECT_EQ(run.state["image"]["path"].text, "\\Photos\\Trip\\b.bmp");
}

TEST(FolderTreeE2E, AFolderNamedSmartphoneIsPartOfThePath) {
    Device device;
    device.MakeFolder("\\Smartphone\\Pics");
    device.WriteFile("\\Smartphone\\Pics\\a.bmp", SolidBmp(8, 8, 1, 2, 3));
    StartIn(device, "\\\\Smartphone\\\\Pics");
    const auto run = RunHeadless(device, "cmd:40009 cmd:40001");
    EXPECT_EQ(run.state["viewMode"].text, "Thumbnail");
    EXPECT_EQ(run.state["workDirectory"].text, "\\Smartphone\\Pics");
}

TEST(FolderTreeE2E, RootIsAFolderAndCancelKeepsTheMode) {
    Device device;
    device.MakeFolder("\\Pics");
    StartIn(device, "\\\\Pics");
    auto run = RunHeadless(device, "cmd:40009 Left Up cmd:40001");
    EXPECT_EQ(run.state["workDirectory"].text, "\\");
    EXPECT_EQ(run.state["viewMode"].text, "Thumbnail");
    StartIn(device, "\\\\Pics");  // the run before left the root as the current folder
    run = RunHeadless(device, "cmd:40009 Back");
    EXPECT_EQ(run.state["workDirectory"].text, "\\Pics");
    EXPECT_TRUE(run.state["dialog"].IsNull());
}

TEST(PropertiesE2E, AMegabyteFileShowsAsKilobytesAndAFolderBeeps) {
    Device device;
    device.MakeFolder("\\Pics\\Sub");
    std::string bmp = SolidBmp(4, 4, 9, 9, 9);
    bmp.resize(1048576, '\0');
    device.WriteFile("\\Pics\\big.bmp", bmp);
    StartIn(device, "\\\\Pics");
    auto run = RunHeadless(device, "cmd:40021");
    EXPECT_TRUE(run.state["dialog"].IsNull());
    EXPECT_EQ(run.state["beeps"].Int(), 1);
    run = RunHeadless(device, "Right cmd:40021");
    ASSERT_FALSE(run.state["dialog"].IsNull());
    EXPECT_EQ(run.state["dialog"]["title"].text, "Properties");
    EXPECT_EQ(DialogControl(run.state, 2001)["text"].text, "1,024.00");
    EXPECT_EQ(DialogControl(run.state, 2036)["text"].text, "big.bmp");
    EXPECT_EQ(DialogControl(run.state, 2038)["text"].text, "\\Pics");
    EXPECT_EQ(run.state["dialog"]["focus"].Int(), 2000);
}

TEST(SystemInfoE2E, NoCardShowsZeroAndACardShowsItsSize) {
    Device device;
    auto run = RunHeadless(device, "cmd:40038");
    ASSERT_FALSE(run.state["dialog"].IsNull());
    EXPECT_EQ(DialogControl(run.state, 2011)["text"].text, "0.0MB");
    EXPECT_EQ(DialogControl(run.state, 2012)["text"].text, "0.0MB");
    EXPECT_NE(DialogControl(run.state, 2007)["text"].text, "0.0MB");
    device.MakeFolder("\\Storage Card");
    run = RunHeadless(device, "cmd:40038");
    EXPECT_NE(DialogControl(run.state, 2011)["text"].text, "0.0MB");
}

TEST(GeneralOptionsE2E, CancelChangesNothingAndOkSwitchesCaptions) {
    Device device;
    auto run = RunHeadless(device, "cmd:40039 Right Down Enter Down Enter cmd:40002");
    EXPECT_EQ(run.state["loadSizeLevel"].Int(), 0);
    EXPECT_TRUE(run.state["thumbMaxView"].boolean);
    EXPECT_FALSE(run.state["showFileName"].boolean);
    run = RunHeadless(
        device, "cmd:40039 state:" + device.Host("\\g.json") + " Right Down Down Enter cmd:40001");
    EXPECT_EQ(run.state["loadSizeLevel"].Int(), 1);
    EXPECT_TRUE(run.state["thumbMaxView"].boolean);
    EXPECT_TRUE(run.state["showFileName"].boolean);
    const Json g = Saved(device, "\\g.json");
    EXPECT_EQ(DialogControl(g, 2013)["items"].Size(), 3u);
    EXPECT_EQ(DialogControl(g, 2013)["text"].text, "Load 176x220 (fit screen)");
    EXPECT_TRUE(DialogControl(g, 2033)["checked"].boolean);
    const std::string reg = Section(device.ReadFile(kRegistry), "MainSection");
    EXPECT_NE(reg.find("\"ShowFileName\"=dword:00000001"), std::string::npos) << reg;
}

TEST(GeneralOptionsE2E, MaximumViewToggledDiscardsThumbnails) {
    Device device;
    device.MakeFolder("\\Pics");
    device.WriteFile("\\Pics\\a.bmp", SolidBmp(40, 30, 200, 0, 0));
    StartIn(device, "\\\\Pics");
    auto run = RunHeadless(device, "Right");
    ASSERT_TRUE(run.state["fileList"]["entries"][0]["hasThumbnail"].boolean);
    run = RunHeadless(device, "cmd:40008 cmd:40039 Down Enter cmd:40001");
    EXPECT_FALSE(run.state["thumbMaxView"].boolean);
    EXPECT_FALSE(run.state["fileList"]["entries"][0]["hasThumbnail"].boolean);
}

TEST(SlideOptionsE2E, ConfirmedWithoutChangesStoresTheEightDefaults) {
    Device device;
    const auto run = RunHeadless(device, "cmd:40043 cmd:40001");
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    const std::string slide = Section(device.ReadFile(kRegistry), "Slide");
    const char* expected[] = {"\"RandomEffect\"=dword:00000001", "\"Effect\"=dword:00000000",
                              "\"Speed\"=dword:00000005",        "\"Repeat\"=dword:00000001",
                              "\"TransformKey\"=dword:00000000", "\"Delay\"=dword:00000001",
                              "\"ShowText\"=dword:00000000",     "\"Orientation\"=dword:00000000"};
    size_t last = 0;
    for (const char* line : expected) {
        const size_t at = slide.find(line);
        ASSERT_NE(at, std::string::npos) << line << "\n" << slide;
        EXPECT_GT(at, last) << line;
        last = at;
    }
}

TEST(SlideOptionsE2E, StoredSpeedShowsByName) {
    Device device;
    for (const auto& [value, name] : {std::pair{"3", "Slow"}, {"4", "Medium"}}) {
        device.WriteFile(kRegistry, std::string("REGEDIT4\n\n") + kKey + "Slide]\n" +
                                        "\"Speed\"=dword:0000000" + value + "\n");
        const auto run = RunHeadless(device, "cmd:40043");
        EXPECT_EQ(DialogControl(run.state, 2020)["text"].text, name);
    }
}

TEST(SlideOptionsE2E, EnableRulesAndCancel) {
    Device device;
    // Random on at opening: the effect list and its arrows are grey; unticking enables them.
    auto run = RunHeadless(device, "cmd:40043 state:" + device.Host("\\a.json") +
                                       " Down Down Enter state:" + device.Host("\\b.json") +
                                       " Down Down Down Right state:" + device.Host("\\c.json") +
                                       " cmd:40002");
    const Json a = Saved(device, "\\a.json");
    const Json b = Saved(device, "\\b.json");
    const Json c = Saved(device, "\\c.json");
    EXPECT_FALSE(DialogControl(a, 2018)["enabled"].boolean);
    EXPECT_FALSE(DialogControl(a, 2019)["enabled"].boolean);
    EXPECT_TRUE(DialogControl(b, 2018)["enabled"].boolean);
    EXPECT_TRUE(DialogControl(b, 2019)["enabled"].boolean);
    EXPECT_FALSE(DialogControl(b, 2017)["checked"].boolean);
    EXPECT_EQ(DialogControl(a, 2026)["items"].Size(), 30u);
    // "Use Direction Key" greys the time list; the dialog scrolled to show the focus.
    EXPECT_EQ(c["dialog"]["focus"].Int(), 2024);
    EXPECT_EQ(DialogControl(c, 2024)["text"].text, "Use Direction Key");
    EXPECT_FALSE(DialogControl(c, 2026)["enabled"].boolean);
    EXPECT_FALSE(DialogControl(c, 2027)["enabled"].boolean);
    EXPECT_GT(c["dialog"]["scroll"].Int(), 0);
    // Cancel wrote nothing.
    EXPECT_EQ(Section(device.ReadFile(kRegistry), "Slide"), "");
}

TEST(SlideOptionsE2E, StoredValuesOutOfRangeShowWhatTheShowPlays) {
    Device device;
    // The show plays these as Delay Time, 1 second, Fast, Portrait and "Wipe (To Right)".
    device.WriteFile(kRegistry, std::string("REGEDIT4\n\n") + kKey + "Slide]\n" +
                                    "\"TransformKey\"=dword:00000007\n"
                                    "\"Delay\"=dword:0000002d\n"
                                    "\"Speed\"=dword:00000001\n"
                                    "\"Orientation\"=dword:00000005\n"
                                    "\"RandomEffect\"=dword:00000000\n"
                                    "\"Effect\"=dword:0000000c\n");
    const auto run =
        RunHeadless(device, "cmd:40043 state:" + device.Host("\\a.json") + " cmd:40001");
    const Json a = Saved(device, "\\a.json");
    EXPECT_EQ(DialogControl(a, 2024)["text"].text, "Delay Time");
    EXPECT_TRUE(DialogControl(a, 2026)["enabled"].boolean);
    EXPECT_EQ(DialogControl(a, 2026)["text"].text, "1");
    EXPECT_EQ(DialogControl(a, 2020)["text"].text, "Fast");
    EXPECT_EQ(DialogControl(a, 2028)["text"].text, "Portrait Mode");
    EXPECT_FALSE(DialogControl(a, 2017)["checked"].boolean);
    EXPECT_EQ(DialogControl(a, 2018)["text"].text, "Wipe (To Right)");
    // OK stores what was shown, so the dialog and the show agree from then on.
    const std::string slide = Section(device.ReadFile(kRegistry), "Slide");
    EXPECT_NE(slide.find("\"TransformKey\"=dword:00000000"), std::string::npos) << slide;
    EXPECT_NE(slide.find("\"Delay\"=dword:00000001"), std::string::npos) << slide;
    EXPECT_NE(slide.find("\"Speed\"=dword:00000005"), std::string::npos) << slide;
    EXPECT_NE(slide.find("\"Effect\"=dword:00000008"), std::string::npos) << slide;

    // Random off and no effect stored: a show plays a random effect, so the box is ticked.
    device.WriteFile(kRegistry, std::string("REGEDIT4\n\n") + kKey + "Slide]\n" +
                                    "\"RandomEffect\"=dword:00000000\n");
    RunHeadless(device, "cmd:40043 state:" + device.Host("\\b.json") + " cmd:40002");
    const Json b = Saved(device, "\\b.json");
    EXPECT_TRUE(DialogControl(b, 2017)["checked"].boolean);
    EXPECT_EQ(DialogControl(b, 2018)["text"].text, "Door (Close)");
}

namespace {

struct InkBox {
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
};

// The pixels fully covered by the first line of navy title text.
template <typename PixelAt>
InkBox NavyInk(int width, int height, PixelAt at) {
    InkBox box;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (at(x, y) == 0x000080u && (box.bottom < 0 || y <= box.top + 14)) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
        }
    }
    return box;
}

}  // namespace

// The group titles of the options dialogs are bold with a character height of 12 pixels.
TEST(SlideOptionsE2E, GroupTitlesAreTwelvePixelsHigh) {
    Device device;
    const auto run = RunHeadless(device, "cmd:40043", true);
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    testing_support::Png png;
    ASSERT_TRUE(testing_support::ReadPng(run.screenshot, &png));
    const InkBox shown =
        NavyInk(png.width, png.height, [&png](int x, int y) { return png.At(x, y); });
    // The first title, "Transition :", drawn with the font the dialogs describe.
    plat::Surface surface(120, 30);
    plat::Canvas canvas(&surface);
    canvas.SetFont(plat::Font::Create(plat::FontSpec{-12, 700, false, "Nina"}));
    canvas.SetTextColor(plat::Rgb(0, 0, 128));
    canvas.SetBackgroundMode(plat::BackgroundMode::kTransparent);
    canvas.TextOut(2, 2, "Transition :");
    const InkBox expected = NavyInk(120, 30, [&surface](int x, int y) {
        return surface.Pixel(x, y) == plat::Rgb(0, 0, 128) ? 0x000080u : 0u;
    });
    ASSERT_GT(expected.Height(), 0);
    EXPECT_EQ(shown.Height(), expected.Height());
    EXPECT_EQ(shown.Width(), expected.Width());
}
