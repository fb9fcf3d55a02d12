// The thumbnail grid through the headless host: scrolling, key moves, painting, delete, sort.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/headless.h"

using testing_support::Checkpoints;
using testing_support::Json;
using testing_support::MenuItem;
using testing_support::Pick;
using testing_support::Png;
using testing_support::ReadPng;
using testing_support::RunHeadless;
using testing_support::Setting;
using testing_support::SolidBmp;
using testing_support::TempDevice;

namespace {

// A device whose work folder \Pics holds `count` small pictures p00.bmp, p01.bmp, ...
void MakePictures(const TempDevice& device, int count, std::vector<Setting> settings = {}) {
    device.SkipSampleInstall();
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "\\Pics\\p%02d.bmp", i);
        device.WriteFile(name, SolidBmp(40, 30, static_cast<uint8_t>(20 * i), 120, 200));
    }
    device.MakeFolder("\\Pics");
    settings.push_back({"MainSection", "WorkDirectory", "\\Pics"});
    device.WriteSettings(settings);
}

std::string Repeat(const std::string& token, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += token + " ";
    return out;
}

// The names of the listed entries, in order, blank-separated.
std::string Names(const Json& state) {
    std::string out;
    for (const Json& e : state["fileList"]["entries"].items)
        out += (out.empty() ? "" : " ") + e["name"].text;
    return out;
}

// Pixels darker than the frame's grey pen in a rectangle: the ink of black text.
int DarkPixels(const Png& png, int left, int top, int right, int bottom) {
    int dark = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            const uint32_t p = png.At(x, y);
            dark += ((p >> 16) & 0xFF) < 0x50 && ((p >> 8) & 0xFF) < 0x50 && (p & 0xFF) < 0x50;
        }
    }
    return dark;
}

}  // namespace

TEST(ThumbnailGrid, ScrollRangeAndFirstVisibleIndexFollowTheSelection) {
    struct Case {
        int count;
        int afterThreeUps;
        int afterDown;
    };
    // 3 x 3 with the tenth entry selected: the page starts at entry 3, scroll position 1. With
    // twelve entries the last row is full and the range is still 0..1 (no page of empty cells).
    for (const Case& c : {Case{10, 0, 9}, Case{12, 2, 10}}) {
        SCOPED_TRACE(c.count);
        TempDevice device;
        MakePictures(device, c.count);
        // Right on the last entry changes nothing, without a beep; Up from the top row of the
        // scrolled page scrolls one row up. Down from a cell with no entry below it goes to
        // the last entry.
        const auto run = RunHeadless(
            device, Checkpoints(device, "cmd:40014 " + Repeat("Right", 9) + "@tenth " +
                                            Repeat("Right", 5) + "Up Up Up @ups " +
                                            Repeat("Left", 14) + Repeat("Right", 7) + "Down"));
        ASSERT_EQ(run.exitCode, 0) << run.stderrText;
        EXPECT_EQ(Pick(device.TakenState("tenth"),
                       "fileList.currentIndex firstVisibleIndex scroll.max scroll.pos cellWidth "
                       "cellHeight"),
                  "9 3 1 1 54 50");
        EXPECT_EQ(Pick(device.TakenState("ups"), "fileList.currentIndex firstVisibleIndex beeps"),
                  std::to_string(c.afterThreeUps) + " 0 0");
        EXPECT_EQ(run.state["fileList"]["currentIndex"].Int(), c.afterDown);
    }
}

// Four pictures fill one 2 x 2 page: no scroll bar. The folder bar is painted, and the
// selection has a blue outline.
TEST(ThumbnailGrid, TwoByTwoPaintsTheOutlineAndShowsAScrollBarOnlyWhenEntriesOverflow) {
    TempDevice four;
    MakePictures(four, 4);
    const auto run = RunHeadless(four, "Right", true);
    EXPECT_EQ(Pick(run.state, "scroll.max clientWidth"), "0 176");
    EXPECT_EQ(Pick(run.state, "fileList.entries.1.imageWidth fileList.entries.1.imageHeight"),
              "40 30");
    Png png;
    ASSERT_TRUE(ReadPng(run.screenshot, &png));
    // The folder bar: the 12 pixels above the softkey bar, 0x75FFC6 as BGR.
    EXPECT_EQ(png.At(170, 220 - 20 - 3), 0xC6FF75u);
    // Two rings of blue just outside the 40 x 30 picture in the second cell: 2 * (42 + 32) * 2
    // - 8 pixels, give or take corners; none in the first cell, which is not selected.
    int blue = 0;
    for (int x = 0; x < 176; ++x) {
        for (int y = 20; y < 120; ++y) {
            if (png.At(x, y) == 0x0000FFu) {
                ASSERT_GE(x, 88) << x << "," << y;
                ++blue;
            }
        }
    }
    EXPECT_GT(blue, 250);
    EXPECT_LT(blue, 300);
    // 2 x 2 cells of 82 x 77 four pixels apart: the second cell's image box starts at (92, 26)
    // and is 77 x 72, so the 40 x 30 picture lies at (110, 47) .. (149, 76), its outline one
    // pixel outside it at the top left.
    EXPECT_EQ(png.At(109, 46), 0x0000FFu);
    EXPECT_EQ(png.At(110, 47), 0x0000FFu);
    EXPECT_NE(png.At(108, 45), 0x0000FFu);
    EXPECT_EQ(png.At(111, 48), 0x1478C8u);  // the picture's own colour, inside both rings
    EXPECT_EQ(png.At(129, 61), 0x1478C8u);
    EXPECT_NE(png.At(129, 78), 0x1478C8u);

    // The scroll bar narrows the client area; the cells keep the sizes made for it.
    TempDevice five;
    MakePictures(five, 5);
    EXPECT_EQ(Pick(RunHeadless(five, "Down Down").state,
                   "scroll.max firstVisibleIndex clientWidth cellWidth cellHeight"),
              "1 2 168 82 77");
}

TEST(ThumbnailGrid, DeleteAsksNamingThePictureThenRemovesItWithItsNoteAndKeepsTheIndex) {
    TempDevice device;
    MakePictures(device, 3);
    device.WriteFile("\\Pics\\p01.bmp.wav", "RIFF");
    // The state is written at the end of the script, with the question still open; the host
    // then answers No, which keeps everything.
    const auto asked = RunHeadless(device, "Right cmd:40022 state:/dev/null");
    EXPECT_EQ(Pick(asked.state, "messageBox.caption messageBox.buttons"), "Velloran yesno");
    EXPECT_EQ(asked.state["messageBox"]["text"].text, "Do you want to delete 'p01.bmp' ?");
    EXPECT_TRUE(device.Exists("\\Pics\\p01.bmp"));

    // Deleting the last entry selects the new last one.
    const auto run = RunHeadless(device, Checkpoints(device,
                                                     "Right cmd:40022 SoftLeft @yes cmd:40022 "
                                                     "SoftLeft"));
    EXPECT_FALSE(device.Exists("\\Pics\\p01.bmp"));
    EXPECT_FALSE(device.Exists("\\Pics\\p01.bmp.wav"));
    EXPECT_EQ(Pick(device.TakenState("yes"),
                   "fileList.count fileList.currentIndex fileList.entries.1.name"),
              "2 1 p02.bmp");
    EXPECT_EQ(Pick(run.state, "fileList.count fileList.currentIndex"), "1 0");
}

TEST(ThumbnailGrid, SortBySizeKeepsFoldersFirstAndMarksTheMenu) {
    TempDevice device;
    MakePictures(device, 0);
    device.WriteFile("\\Pics\\big.bmp", SolidBmp(60, 60, 1, 2, 3));
    device.WriteFile("\\Pics\\small.bmp", SolidBmp(4, 4, 1, 2, 3));
    device.WriteFile("\\Pics\\A.JPG", std::string("\xFF\xD8not really", 12));
    device.WriteFile("\\Pics\\notes.txt", "x");
    device.WriteFile("\\Pics\\e.png", "x");
    device.MakeFolder("\\Pics\\zfolder");
    const auto run = RunHeadless(device, "cmd:40018 SoftRight");
    EXPECT_EQ(Names(run.state), "zfolder A.JPG small.bmp big.bmp");
    EXPECT_EQ(run.state["fileList"]["pictureCount"].Int(), 3);
    // "Sort by" shows its radio mark on "File Size".
    EXPECT_EQ(Pick(MenuItem(run.state["menu"]["items"], 40018), "checked"), "true");
}

TEST(ThumbnailGrid, EnterOpensFoldersBackClimbsAndZeroGoesHome) {
    TempDevice device;
    MakePictures(device, 1);
    device.MakeFolder("\\Pics\\Inner");
    device.WriteFile("\\Pics\\Inner\\x.bmp", SolidBmp(8, 8, 9, 9, 9));
    const auto run = RunHeadless(device, Checkpoints(device, "Enter @in Back @back 0"));
    EXPECT_EQ(Pick(device.TakenState("in"), "workDirectory fileList.currentIndex"),
              "\\Pics\\Inner 0");
    EXPECT_EQ(device.TakenState("back")["workDirectory"].text, "\\Pics");
    // The home folder is the samples folder.
    EXPECT_EQ(run.state["workDirectory"].text, "\\Program Files\\Velloran\\Samples");
}

TEST(ThumbnailGrid, CommandsThatChangeTheListWaitUntilAShowIsOver) {
    TempDevice device;
    MakePictures(device, 3);
    // Delete and sort during a running show do nothing; the show ends on Back as usual.
    const auto run = RunHeadless(device, "cmd:40010 wait:300 cmd:40022 cmd:40018 cmd:40020 Back");
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(Pick(run.state, "viewMode fileList.count fileList.sortKey messageBox"),
              "Thumbnail 3 0 null");
    EXPECT_TRUE(device.Exists("\\Pics\\p00.bmp"));
}

TEST(ThumbnailGrid, NamesSortAsThePhoneComparesThem) {
    TempDevice device;
    MakePictures(device, 0);
    for (const char* name : {"zebra", "Banana",
                             "\xC3\xA9"
                             "cole",
                             "fig", "~tilde", "apple", "0zero", "eagle", "_under", "Apple2"}) {
        device.WriteFile(std::string("\\Pics\\") + name + ".bmp", SolidBmp(4, 4, 1, 2, 3));
    }
    EXPECT_EQ(Names(RunHeadless(device, "").state),
              "_under.bmp ~tilde.bmp 0zero.bmp apple.bmp Apple2.bmp Banana.bmp eagle.bmp "
              "\xC3\xA9"
              "cole.bmp fig.bmp zebra.bmp");
}

TEST(ThumbnailGrid, AnOutOfRangeLayoutIsTheFourByFourGridWithItsRadioMark) {
    TempDevice device;
    MakePictures(device, 3, {{"MainSection", "ThumbnailLayout", 7}});
    const auto run = RunHeadless(device, "SoftRight");
    // 4 x 4 cells: 168 rows less two 5-pixel margins and the 8-pixel scroll bar, by four.
    EXPECT_EQ(Pick(run.state, "thumbnailLayout cellHeight"), "2 37");
    const Json& items = run.state["menu"]["items"];
    EXPECT_EQ(Pick(MenuItem(items, 40015), "checked") + Pick(MenuItem(items, 40013), "checked"),
              "truefalse");
    EXPECT_NE(device.ReadSettings().find("\"ThumbnailLayout\"=dword:00000002"), std::string::npos);
}

TEST(ThumbnailGrid, UnderscoresAndDescendersShowInCaptionsAndTheFolderBar) {
    TempDevice device;
    device.SkipSampleInstall();
    // White pictures, so the only dark pixels of a cell are its caption's letters.
    device.WriteFile("\\P_g\\a.bmp", SolidBmp(40, 30, 255, 255, 255));
    device.WriteFile("\\P_g\\___.bmp", SolidBmp(40, 30, 255, 255, 255));
    device.WriteSettings(
        {{"MainSection", "WorkDirectory", "\\P_g"}, {"MainSection", "ShowFileName", 1}});
    const auto run = RunHeadless(device, "Right", true);
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    ASSERT_EQ(run.state["fileList"]["entries"][0]["name"].text, "___.bmp");
    Png png;
    ASSERT_TRUE(ReadPng(run.screenshot, &png));
    // The caption "___" of the first cell (not selected: black on the grey background) is
    // nothing but underscores, in the last rows above the cell's frame.
    EXPECT_GT(DarkPixels(png, 0, 20, 88, 110), 8);
    // The folder bar (rows 188-199 of the screen) shows "\P_g": the underscore lies on its
    // last row, with the foot of the g above it.
    EXPECT_GT(DarkPixels(png, 2, 199, 60, 200), 3);
    EXPECT_GT(DarkPixels(png, 2, 197, 60, 199), 0);
}
