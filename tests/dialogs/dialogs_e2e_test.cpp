// The dialogs through the headless host: favourites, folder tree, properties, system
// information, general and slide-show options.
#include <gtest/gtest.h>

#include <algorithm>

#include "dialogs/favorites.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/font.h"
#include "tests/support/headless.h"

using testing_support::Checkpoints;
using testing_support::DialogControl;
using testing_support::Json;
using testing_support::MenuItem;
using testing_support::Pick;
using testing_support::RunHeadless;
using testing_support::SolidBmp;
using testing_support::TempDevice;

namespace {

constexpr const char* kFavoritesFile = "\\Program Files\\Velloran\\agoto.got";

// A device root whose first start installs no samples.
struct Device : TempDevice {
    Device() { SkipSampleInstall(); }
    void StartIn(const std::string& folder) const {
        WriteSettings({{"MainSection", "WorkDirectory", folder}});
    }
    testing_support::RunResult Run(const std::string& keys, bool shot = false) const {
        const auto run = RunHeadless(*this, Checkpoints(*this, keys), shot);
        EXPECT_EQ(run.exitCode, 0) << run.stderrText;
        return run;
    }
    // The value lines of one settings section.
    std::string Section(const std::string& name) const {
        const std::string settings = ReadSettings();
        const size_t at = settings.find("\\velloran\\" + name + "]");
        if (at == std::string::npos)
            return std::string();
        const size_t end = settings.find("\n[", at + 1);
        return settings.substr(at, end == std::string::npos ? std::string::npos : end - at);
    }
    void WriteFavorites(const std::vector<Favorite>& favorites) const {
        WriteFile(kFavoritesFile, FavoritesStore::Serialize(favorites));
    }
    // The favourites file as "name=folder" pairs, blank-separated.
    std::string Favorites() const {
        std::string out;
        for (const Favorite& f : FavoritesStore::Parse(ReadFile(kFavoritesFile)))
            out += (out.empty() ? "" : " ") + f.name + "=" + f.folder;
        return out;
    }
};

// One field of controls of a state's dialog, by id, blank-separated.
std::string Field(const Json& state, const std::string& field, std::initializer_list<int> ids) {
    std::string out;
    for (int id : ids)
        out += (out.empty() ? "" : " ") + Pick(DialogControl(state, id), field);
    return out;
}

// The size ("W x H") of the first line of navy title text: the box of the pixels fully
// covered by it.
template <typename PixelAt>
std::string NavyInk(int width, int height, PixelAt at) {
    int left = width, top = height, right = -1, bottom = -1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (at(x, y) == 0x000080u && (bottom < 0 || y <= top + 14)) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    return std::to_string(right - left + 1) + " x " + std::to_string(bottom - top + 1);
}

}  // namespace

TEST(FavoritesE2E, FirstStartWithMyDocumentsWritesOneFavoriteAtExit) {
    Device device;
    device.MakeFolder("\\IPSM\\My Documents");
    const auto run = device.Run("SoftRight");
    EXPECT_EQ(MenuItem(run.state["menu"]["items"], 10001)["text"].text, "&5 My Documents");
    EXPECT_EQ(device.Favorites(), "My Documents=\\IPSM\\My Documents");
}

TEST(FavoritesE2E, FirstStartWithoutMyDocumentsWritesAnEmptyFileAndKeepsItEmpty) {
    Device device;
    device.Run("Right");
    ASSERT_TRUE(device.Exists(kFavoritesFile));
    EXPECT_EQ(device.ReadFile(kFavoritesFile).size(), 42u);
    // Created later, the folder is not added: the default comes only without a file.
    device.MakeFolder("\\IPSM\\My Documents");
    EXPECT_TRUE(MenuItem(device.Run("SoftRight").state["menu"]["items"], 10001).IsNull());
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
    device.WriteFavorites(many);
    device.WriteSettings({{"MainSection", "HomeDirectory", "\\Pics"}});
    // The command the hundred-and-first would have had does nothing; the editor lists all.
    const auto run = device.Run("SoftRight @menu Back @before cmd:10101 @beyond cmd:40045");
    const Json menu = device.TakenState("menu");
    const Json& items = menu["menu"]["items"];
    EXPECT_FALSE(MenuItem(items, 10100).IsNull());
    EXPECT_TRUE(MenuItem(items, 10101).IsNull());
    EXPECT_EQ(Pick(MenuItem(items, 10005), "text") + "|" + Pick(MenuItem(items, 10006), "text") +
                  "|" + Pick(MenuItem(items, 40046), "text"),
              "&9 F4|F5|&4 Home (Pics)");
    EXPECT_EQ(device.TakenState("beyond")["workDirectory"].text,
              device.TakenState("before")["workDirectory"].text);
    EXPECT_EQ(DialogControl(run.state, 2032)["items"].Size(), 101u);
}

TEST(FavoritesE2E, MoveUpIsGreyOnTheFirstRowAndMoveDownOnTheLast) {
    Device device;
    device.WriteFavorites({{"A", "\\A"}, {"B", "\\B"}});
    // Moving the first row up changes nothing.
    device.Run("cmd:40045 SoftRight @top Back Down SoftRight @bottom Back Up cmd:40055 cmd:40001");
    const Json top = device.TakenState("top");
    ASSERT_FALSE(top["menu"].IsNull());
    EXPECT_EQ(Pick(MenuItem(top["menu"]["items"], 40055), "enabled") + " " +
                  Pick(MenuItem(top["menu"]["items"], 40056), "enabled"),
              "false true");
    const Json bottom = device.TakenState("bottom");
    EXPECT_EQ(Pick(MenuItem(bottom["menu"]["items"], 40055), "enabled") + " " +
                  Pick(MenuItem(bottom["menu"]["items"], 40056), "enabled"),
              "true false");
    EXPECT_EQ(device.Favorites(), "A=\\A B=\\B");
}

TEST(FavoritesE2E, ReorderRenameAndDeleteAreSavedOnDoneOnly) {
    Device device;
    device.WriteFavorites({{"Pics", "\\Pics"}, {"Two", "\\Two"}});
    // Cancel applies nothing; then a rename alone, confirmed with Done: Back erases, the
    // keypad types.
    device.Run(
        "cmd:40045 Down cmd:40055 cmd:40002 cmd:40045 cmd:40057 Back Back 6 6 6 0 type:Photos "
        "cmd:40001 cmd:40001");
    EXPECT_EQ(device.Favorites(), "Pio Photos=\\Pics Two=\\Two");
    // Moving down, then deleting everything.
    device.Run("cmd:40045 cmd:40056 cmd:40001");
    EXPECT_EQ(device.Favorites(), "Two=\\Two Pio Photos=\\Pics");
    // The menu loses the deleted favourites at once.
    const auto run = device.Run("cmd:40045 cmd:40022 cmd:40022 cmd:40001 SoftRight");
    EXPECT_EQ(device.ReadFile(kFavoritesFile).size(), 42u);
    EXPECT_TRUE(MenuItem(run.state["menu"]["items"], 10001).IsNull());
    EXPECT_TRUE(MenuItem(run.state["menu"]["items"], 10002).IsNull());
}

TEST(FavoritesE2E, AddingTheSameFolderTwiceAndAnEmptyName) {
    Device device;
    device.MakeFolder("\\Pics");
    device.StartIn("\\Pics");
    device.Run("cmd:40044 @add cmd:40001 cmd:40044 Back Back Back Back cmd:40001");
    const Json add = device.TakenState("add");
    EXPECT_EQ(add["dialog"]["title"].text, "Add to My Favorites");
    EXPECT_EQ(Field(add, "text", {2030, 2031}), "Pics \\Pics");
    EXPECT_EQ(device.Favorites(), "Pics=\\Pics =\\Pics");
}

TEST(FavoritesE2E, ChoosingAFavoriteGoesThereAndAMissingOneSaysSo) {
    Device device;
    device.MakeFolder("\\Pics");
    device.WriteFavorites({{"Pics", "\\Pics"}, {"Gone", "\\Gone"}});
    const auto run = device.Run("cmd:10001 @pics cmd:10002");
    EXPECT_EQ(device.TakenState("pics")["workDirectory"].text, "\\Pics");
    EXPECT_EQ(run.state["messageBox"]["text"].text, "\\Gone\nThis folder does not exist !");
}

TEST(FavoritesE2E, SetAsHomeFolderAsksAndRelabelsHome) {
    Device device;
    device.MakeFolder("\\Pics");
    device.StartIn("\\Pics");
    // Back closes the menu, then climbs to the root.
    const auto run = device.Run(
        "cmd:40059 Enter SoftRight @pics Back Back cmd:40059 Enter "
        "SoftRight");
    const Json pics = device.TakenState("pics");
    EXPECT_EQ(pics["homeDirectory"].text, "\\Pics");
    EXPECT_EQ(MenuItem(pics["menu"]["items"], 40046)["text"].text, "&4 Home (Pics)");
    EXPECT_EQ(MenuItem(run.state["menu"]["items"], 40046)["text"].text, "&4 Home (\\)");
}

TEST(FolderTreeE2E, OpensTwoLevelsDeepSelectsTheStartAndChoosingAPictureOpensIt) {
    Device device;
    device.MakeFolder("\\Photos\\Trip");
    device.MakeFolder("\\Photos\\Empty");
    device.WriteFile("\\Photos\\Empty\\notes.txt", "x");
    device.WriteFile("\\Photos\\Trip\\b.bmp", SolidBmp(8, 8, 0, 0, 255));
    device.WriteFile("\\Photos\\Trip\\a.bmp", SolidBmp(8, 8, 255, 0, 0));
    device.StartIn("\\Photos\\Trip");
    const auto run = device.Run("cmd:40009 @tree Down @down Down cmd:40001");
    const Json tree = device.TakenState("tree");
    EXPECT_EQ(tree["viewMode"].text, "Tree");
    std::string rows;
    for (const Json& i : DialogControl(tree, 2004)["items"].items)
        rows += i["text"].text + "/" + std::to_string(i["depth"].Int()) + " ";
    // Other top-level folders of the device come too; the branch to the start is as shown.
    EXPECT_EQ(rows.rfind("Smartphone/0 ", 0), 0u) << rows;
    EXPECT_NE(rows.find(" Photos/1 Empty/2 Trip/2 a.bmp/3 b.bmp/3 "), std::string::npos) << rows;
    // The selection is the row of the highlighted item: the start folder, then one down.
    for (const auto& [state, name] :
         {std::pair{tree, "Trip"}, {device.TakenState("down"), "a.bmp"}}) {
        const Json& view = DialogControl(state, 2004);
        EXPECT_EQ(view["items"][static_cast<size_t>(view["selection"].Int())]["text"].text, name);
    }
    // Down twice from "Trip" reaches b.bmp.
    EXPECT_EQ(Pick(run.state, "viewMode workDirectory image.path"),
              "Image \\Photos\\Trip \\Photos\\Trip\\b.bmp");
}

TEST(FolderTreeE2E, AFolderNamedSmartphoneIsPartOfThePath) {
    Device device;
    device.WriteFile("\\Smartphone\\Pics\\a.bmp", SolidBmp(8, 8, 1, 2, 3));
    device.StartIn("\\Smartphone\\Pics");
    EXPECT_EQ(Pick(device.Run("cmd:40009 cmd:40001").state, "viewMode workDirectory"),
              "Thumbnail \\Smartphone\\Pics");
}

TEST(FolderTreeE2E, CancelKeepsTheFolderAndTheRootIsAFolder) {
    Device device;
    device.MakeFolder("\\Pics");
    device.StartIn("\\Pics");
    const auto run = device.Run("cmd:40009 Back @cancel cmd:40009 Left Up cmd:40001");
    EXPECT_EQ(Pick(device.TakenState("cancel"), "workDirectory dialog"), "\\Pics null");
    EXPECT_EQ(Pick(run.state, "workDirectory viewMode"), "\\ Thumbnail");
}

TEST(PropertiesE2E, AFolderBeepsAndAMegabyteFileShowsAsKilobytes) {
    Device device;
    device.MakeFolder("\\Pics\\Sub");
    std::string bmp = SolidBmp(4, 4, 9, 9, 9);
    bmp.resize(1048576, '\0');
    device.WriteFile("\\Pics\\big.bmp", bmp);
    device.StartIn("\\Pics");
    const auto run = device.Run("cmd:40021 @folder Right cmd:40021");
    EXPECT_EQ(Pick(device.TakenState("folder"), "dialog beeps"), "null 1");
    EXPECT_EQ(Pick(run.state, "dialog.title dialog.focus"), "Properties 2000");
    EXPECT_EQ(Field(run.state, "text", {2001, 2036, 2038}), "1,024.00 big.bmp \\Pics");
}

// Without a card both card figures are zero; the section title "Program Memory" is painted
// whole, past where the figures column used to cut it.
TEST(SystemInfoE2E, NoCardShowsZeroACardShowsItsSizeAndTitlesAreWhole) {
    Device device;
    auto run = device.Run("cmd:40038", true);
    ASSERT_EQ(run.state["dialog"]["id"].Int(), 7003);
    EXPECT_EQ(Field(run.state, "text", {2011, 2012}), "0.0MB 0.0MB");
    EXPECT_NE(DialogControl(run.state, 2007)["text"].text, "0.0MB");
    testing_support::Png png;
    ASSERT_TRUE(testing_support::ReadPng(run.screenshot, &png));
    const auto navy = [](uint32_t p) {
        const int r = static_cast<int>(p >> 16);
        const int g = static_cast<int>((p >> 8) & 0xFF);
        const int b = static_cast<int>(p & 0xFF);
        return b > 90 && r < 90 && g < 90 && b > r + 40;
    };
    int tail = 0;
    int figures = 0;
    for (int y = 20; y < 42; ++y) {
        for (int x = 112; x < png.width; ++x)
            (x < 150 ? tail : figures) += navy(png.At(x, y));
    }
    EXPECT_GT(tail, 15);
    EXPECT_EQ(figures, 0);

    device.MakeFolder("\\Storage Card");
    EXPECT_NE(DialogControl(device.Run("cmd:40038").state, 2011)["text"].text, "0.0MB");
}

TEST(GeneralOptionsE2E, CancelChangesNothingAndOkSwitchesCaptions) {
    Device device;
    const auto run = device.Run(
        "cmd:40039 Right Down Enter Down Enter cmd:40002 @cancelled cmd:40039 @g Right Down Down "
        "Enter cmd:40001");
    EXPECT_EQ(Pick(device.TakenState("cancelled"), "loadSizeLevel thumbMaxView showFileName"),
              "0 true false");
    EXPECT_EQ(Pick(run.state, "loadSizeLevel thumbMaxView showFileName"), "1 true true");
    const Json g = device.TakenState("g");
    EXPECT_EQ(Pick(DialogControl(g, 2013), "items text"), "[3] Load 176x220 (fit screen)");
    EXPECT_TRUE(DialogControl(g, 2033)["checked"].boolean);
    const std::string main = device.Section("MainSection");
    EXPECT_NE(main.find("\"ShowFileName\"=dword:00000001"), std::string::npos) << main;
}

TEST(GeneralOptionsE2E, MaximumViewToggledDiscardsThumbnails) {
    Device device;
    device.WriteFile("\\Pics\\a.bmp", SolidBmp(40, 30, 200, 0, 0));
    device.StartIn("\\Pics");
    const auto run = device.Run("Right @made cmd:40008 cmd:40039 Down Enter cmd:40001");
    ASSERT_TRUE(device.TakenState("made")["fileList"]["entries"][0]["hasThumbnail"].boolean);
    EXPECT_EQ(Pick(run.state, "thumbMaxView fileList.entries.0.hasThumbnail"), "false false");
}

TEST(SlideOptionsE2E, ConfirmedWithoutChangesStoresTheEightDefaults) {
    Device device;
    device.Run("cmd:40043 cmd:40001");
    const std::string slide = device.Section("Slide");
    size_t last = 0;
    for (const char* line : {"\"RandomEffect\"=dword:00000001", "\"Effect\"=dword:00000000",
                             "\"Speed\"=dword:00000005", "\"Repeat\"=dword:00000001",
                             "\"TransformKey\"=dword:00000000", "\"Delay\"=dword:00000001",
                             "\"ShowText\"=dword:00000000", "\"Orientation\"=dword:00000000"}) {
        const size_t at = slide.find(line);
        ASSERT_NE(at, std::string::npos) << line << "\n" << slide;
        EXPECT_GT(at, last) << line;
        last = at;
    }
}

TEST(SlideOptionsE2E, StoredSpeedShowsByName) {
    Device device;
    for (const auto& [value, name] : {std::pair{3, "Slow"}, {4, "Medium"}}) {
        device.WriteSettings({{"Slide", "Speed", value}});
        EXPECT_EQ(DialogControl(device.Run("cmd:40043").state, 2020)["text"].text, name);
    }
}

TEST(SlideOptionsE2E, EnableRulesTitlesAndCancel) {
    Device device;
    // Random on at opening: the effect list and its arrows are grey; unticking enables them.
    device.Run("cmd:40043 @a !titles Down Down Enter @b Down Down Down Right @c cmd:40002");
    const Json a = device.TakenState("a");
    const Json b = device.TakenState("b");
    const Json c = device.TakenState("c");
    EXPECT_EQ(Field(a, "enabled", {2018, 2019}), "false false");
    EXPECT_EQ(Pick(DialogControl(a, 2026), "items"), "[30]");
    EXPECT_EQ(Field(b, "enabled", {2018, 2019}) + " " + Field(b, "checked", {2017}),
              "true true false");
    // "Use Direction Key" greys the time list; the dialog scrolled to show the focus.
    EXPECT_EQ(Pick(c, "dialog.focus") + " " + Field(c, "text", {2024}), "2024 Use Direction Key");
    EXPECT_EQ(Field(c, "enabled", {2026, 2027}), "false false");
    EXPECT_GT(c["dialog"]["scroll"].Int(), 0);
    // Cancel wrote nothing.
    EXPECT_EQ(device.Section("Slide"), "");

    // The group titles are bold with a character height of 12 pixels: the first, "Transition :",
    // is drawn as the font the dialogs describe draws it.
    testing_support::Png png;
    ASSERT_TRUE(testing_support::ReadPng(device.ShotPath("titles"), &png));
    plat::Surface surface(120, 30);
    plat::Canvas canvas(&surface);
    canvas.SetFont(plat::Font::Create(plat::FontSpec{-12, 700, false, "Nina"}));
    canvas.SetTextColor(plat::Rgb(0, 0, 128));
    canvas.SetBackgroundMode(plat::BackgroundMode::kTransparent);
    canvas.TextOut(2, 2, "Transition :");
    const std::string expected = NavyInk(120, 30, [&surface](int x, int y) {
        return surface.Pixel(x, y) == plat::Rgb(0, 0, 128) ? 0x000080u : 0u;
    });
    ASSERT_EQ(expected.find('-'), std::string::npos) << "no title ink: " << expected;
    EXPECT_EQ(NavyInk(png.width, png.height, [&png](int x, int y) { return png.At(x, y); }),
              expected);
}

TEST(SlideOptionsE2E, StoredValuesOutOfRangeShowWhatTheShowPlays) {
    Device device;
    // The show plays these as Delay Time, 1 second, Fast, Portrait and "Wipe (To Right)".
    device.WriteSettings({{"Slide", "TransformKey", 7},
                          {"Slide", "Delay", 45},
                          {"Slide", "Speed", 1},
                          {"Slide", "Orientation", 5},
                          {"Slide", "RandomEffect", 0},
                          {"Slide", "Effect", 12}});
    device.Run("cmd:40043 @a cmd:40001");
    const Json a = device.TakenState("a");
    EXPECT_EQ(Field(a, "text", {2024, 2026, 2020, 2028}), "Delay Time 1 Fast Portrait Mode");
    EXPECT_EQ(Field(a, "enabled", {2026}) + " " + Field(a, "checked", {2017}), "true false");
    EXPECT_EQ(Field(a, "text", {2018}), "Wipe (To Right)");
    // OK stores what was shown, so the dialog and the show agree from then on.
    const std::string slide = device.Section("Slide");
    for (const char* line : {"\"TransformKey\"=dword:00000000", "\"Delay\"=dword:00000001",
                             "\"Speed\"=dword:00000005", "\"Effect\"=dword:00000008"})
        EXPECT_NE(slide.find(line), std::string::npos) << line << "\n" << slide;

    // Random off and no effect stored: a show plays a random effect, so the box is ticked.
    device.WriteSettings({{"Slide", "RandomEffect", 0}});
    device.Run("cmd:40043 @b cmd:40002");
    const Json b = device.TakenState("b");
    EXPECT_EQ(Field(b, "checked", {2017}) + " " + Field(b, "text", {2018}), "true Door (Close)");
}
