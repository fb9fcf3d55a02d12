// The thumbnail grid through the headless host: scrolling, key moves, painting, delete, sort.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/headless.h"

using testing_support::Json;
using testing_support::Png;
using testing_support::ReadPng;
using testing_support::RunHeadless;
using testing_support::SolidBmp;
using testing_support::TempDevice;

namespace {

// A device whose work folder \Pics holds `count` small pictures p00.bmp, p01.bmp, ...
void MakePictures(const TempDevice& device, int count, const std::string& extraRegistry = "") {
    device.SkipSampleInstall();
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "\\Pics\\p%02d.bmp", i);
        device.WriteFile(name, SolidBmp(40, 30, static_cast<uint8_t>(20 * i), 120, 200));
    }
    device.WriteFile("\\Windows\\registry.reg",
                     "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Tarrowby Systems "
                     "Inc.\\velloran\\MainSection]\n\"WorkDirectory\"=\"\\\\Pics\"\n" +
                         extraRegistry);
}

std::string Repeat(const std::string& token, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += token + " ";
    return out;
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
        const auto run = RunHeadless(device, "cmd:40014 " + Repeat("Right", 9));
        ASSERT_EQ(run.exitCode, 0) << run.stderrText;
        EXPECT_EQ(run.state["fileList"]["currentIndex"].Int(), 9);
        EXPECT_EQ(run.state["firstVisibleIndex"].Int(), 3);
        EXPECT_EQ(run.state["scroll"]["max"].Int(), 1);
        EXPECT_EQ(run.state["scroll"]["pos"].Int(), 1);
        EXPECT_EQ(run.state["cellWidth"].Int(), 54);
        EXPECT_EQ(run.state["cellHeight"].Int(), 50);

        // Right on the last entry changes nothing, without a beep; Up from the top row of the
        // scrolled page scrolls one row up.
        const auto atEnd = RunHeadless(device, "cmd:40014 " + Repeat("Right", 14) + "Up Up Up");
        EXPECT_EQ(atEnd.state["fileList"]["currentIndex"].Int(), c.afterThreeUps);
        EXPECT_EQ(atEnd.state["firstVisibleIndex"].Int(), 0);
        EXPECT_EQ(atEnd.state["beeps"].Int(), 0);
        // Down from a cell with no entry below it goes to the last entry.
        const auto down = RunHeadless(device, "cmd:40014 " + Repeat("Right", 7) + "Down");
        EXPECT_EQ(down.state["fileList"]["currentIndex"].Int(), c.afterDown);
    }
}

TEST(ThumbnailGrid, TwoByTwoShowsAScrollBarOnlyWhenEntriesOverflowThePage) {
    TempDevice four;
    MakePictures(four, 4);
    const auto fits = RunHeadless(four, "Right");
    EXPECT_EQ(fits.state["scroll"]["max"].Int(), 0);
    EXPECT_EQ(fits.state["clientWidth"].Int(), 176);

    TempDevice five;
    MakePictures(five, 5);
    const auto overflows = RunHeadless(five, "Down Down");
    EXPECT_EQ(overflows.state["scroll"]["max"].Int(), 1);
    EXPECT_EQ(overflows.state["firstVisibleIndex"].Int(), 2);
    // The scroll bar narrows the client area; the cells keep the sizes made for it.
    EXPECT_EQ(overflows.state["clientWidth"].Int(), 168);
    EXPECT_EQ(overflows.state["cellWidth"].Int(), 82);
    EXPECT_EQ(overflows.state["cellHeight"].Int(), 77);
}

TEST(ThumbnailGrid, PaintsTheFolderBarAndTheBlueOutlineOfTheSelection) {
    TempDevice device;
    MakePictures(device, 3);
    const auto run = RunHeadless(device, "Right", true);
    Png png;
    ASSERT_TRUE(ReadPng(run.screenshot, &png));
    // The folder bar: the 12 pixels above the softkey bar, 0x75FFC6 as BGR.
    EXPECT_EQ(png.At(170, 220 - 20 - 3), 0xC6FF75u);
    // The picture is 40 x 30 and sits centred in the second cell; its blue outline is two
    // pixels wide just outside the picture.
    int blue = 0;
    for (int x = 88; x < 176; ++x) {
        for (int y = 20; y < 120; ++y) {
            if (png.At(x, y) == 0x0000FFu)
                ++blue;
        }
    }
    // Two rings around a 40 x 30 picture: 2 * (42 + 32) * 2 - 8 pixels, give or take corners.
    EXPECT_GT(blue, 250);
    EXPECT_LT(blue, 300);
    // The first cell is not selected: no blue there.
    for (int x = 0; x < 88; ++x) {
        for (int y = 20; y < 120; ++y)
            ASSERT_NE(png.At(x, y), 0x0000FFu) << x << "," << y;
    }
    // 2 x 2 cells of 82 x 77 four pixels apart: the second cell's image box starts at (92, 26)
    // and is 77 x 72, so the 40 x 30 picture lies at (110, 47) .. (149, 76), its outline one
    // pixel outside it at the top left.
    EXPECT_EQ(png.At(109, 46), 0x0000FFu);
    EXPECT_EQ(png.At(110, 47), 0x0000FFu);
    EXPECT_NE(png.At(108, 45), 0x0000FFu);
    EXPECT_EQ(png.At(111, 48), 0x1478C8u);  // the picture's own colour, inside both rings
    EXPECT_EQ(png.At(129, 61), 0x1478C8u);
    EXPECT_NE(png.At(129, 78), 0x1478C8u);
    const auto& entries = run.state["fileList"]["entries"];
    EXPECT_EQ(entries[1]["imageWidth"].Int(), 40);
    EXPECT_EQ(entries[1]["imageHeight"].Int(), 30);
}

TEST(ThumbnailGrid, DeleteAsksThenRemovesTheFileAndKeepsTheIndex) {
    TempDevice device;
    MakePictures(device, 3);
    device.WriteFile("\\Pics\\p01.bmp.wav", "RIFF");
    const auto asked = RunHeadless(device, "Right cmd:40022 state:/dev/null");
    // Answering No at the end of the script keeps everything.
    EXPECT_TRUE(device.Exists("\\Pics\\p01.bmp"));

    const auto yes = RunHeadless(device, "Right cmd:40022 SoftLeft");
    EXPECT_FALSE(device.Exists("\\Pics\\p01.bmp"));
    EXPECT_FALSE(device.Exists("\\Pics\\p01.bmp.wav"));
    EXPECT_EQ(yes.state["fileList"]["count"].Int(), 2);
    EXPECT_EQ(yes.state["fileList"]["currentIndex"].Int(), 1);
    EXPECT_EQ(yes.state["fileList"]["entries"][1]["name"].text, "p02.bmp");

    // Deleting the last entry selects the new last one.
    const auto last = RunHeadless(device, "Right cmd:40022 SoftLeft");
    EXPECT_EQ(last.state["fileList"]["count"].Int(), 1);
    EXPECT_EQ(last.state["fileList"]["currentIndex"].Int(), 0);
}

TEST(ThumbnailGrid, TheQuestionNamesThePictureAndNoLeavesItAlone) {
    TempDevice device;
    MakePictures(device, 2);
    const auto run = RunHeadless(device, "cmd:40022 state:/dev/null");
    // The state is written at the end of the script, with the question still open.
    EXPECT_EQ(run.state["messageBox"]["text"].text, "Do you want to delete 'p00.bmp' ?");
    EXPECT_EQ(run.state["messageBox"]["caption"].text, "Velloran");
    EXPECT_EQ(run.state["messageBox"]["buttons"].text, "yesno");
    EXPECT_TRUE(device.Exists("\\Pics\\p00.bmp"));
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
    const Json& entries = run.state["fileList"]["entries"];
    ASSERT_EQ(entries.Size(), 4u) << run.stateText;
    EXPECT_EQ(entries[0]["name"].text, "zfolder");
    EXPECT_EQ(entries[1]["name"].text, "A.JPG");
    EXPECT_EQ(entries[2]["name"].text, "small.bmp");
    EXPECT_EQ(entries[3]["name"].text, "big.bmp");
    EXPECT_EQ(run.state["fileList"]["pictureCount"].Int(), 3);
    // "Sort by" shows its radio mark on "File Size".
    bool marked = false;
    for (const Json& item : run.state["menu"]["items"].items) {
        for (const Json& sub : item["submenu"].items) {
            if (sub["id"].Int() == 40018)
                marked = sub["checked"].boolean;
        }
    }
    EXPECT_TRUE(marked);
}

TEST(ThumbnailGrid, EnterOpensFoldersAndBackClimbs) {
    TempDevice device;
    MakePictures(device, 1);
    device.MakeFolder("\\Pics\\Inner");
    device.WriteFile("\\Pics\\Inner\\x.bmp", SolidBmp(8, 8, 9, 9, 9));
    const auto in = RunHeadless(device, "Enter");
    EXPECT_EQ(in.state["workDirectory"].text, "\\Pics\\Inner");
    EXPECT_EQ(in.state["fileList"]["currentIndex"].Int(), 0);
    // Each run starts where the last one ended: begin again in \Pics.
    MakePictures(device, 1);
    const auto back = RunHeadless(device, "Enter Back");
    EXPECT_EQ(back.state["workDirectory"].text, "\\Pics");
    // The home folder is the samples folder; 0 goes there.
    MakePictures(device, 1);
    const auto home = RunHeadless(device, "0");
    EXPECT_EQ(home.state["workDirectory"].text, "\\Program Files\\Velloran\\Samples");
}

TEST(ThumbnailGrid, CommandsThatChangeTheListWaitUntilAShowIsOver) {
    TempDevice device;
    MakePictures(device, 3);
    // Delete and sort during a running show do nothing; the show ends on Back as usual.
    const auto run = RunHeadless(device, "cmd:40010 wait:300 cmd:40022 cmd:40018 cmd:40020 Back");
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(run.state["viewMode"].text, "Thumbnail");
    EXPECT_EQ(run.state["fileList"]["count"].Int(), 3);
    EXPECT_EQ(run.state["fileList"]["sortKey"].Int(), 0);
    EXPECT_EQ(run.state["messageBox"].IsNull(), true);
    EXPECT_TRUE(device.Exists("\\Pics\\p00.bmp"));
}

namespace {

const Json* FindMenuItem(const Json& items, int id) {
    for (const Json& item : items.items) {
        if (item["id"].Int() == id)
            return &item;
        if (const Json* inner = FindMenuItem(item["submenu"], id))
            return inner;
    }
    return nullptr;
}

// Pixels darker than the frame's grey pen in a rectangle: the ink of black text.
int DarkPixels(const Png& png, int left, int top, int right, int bottom) {
    int dark = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            const uint32_t p = png.At(x, y);
            if (((p >> 16) & 0xFF) < 0x50 && ((p >> 8) & 0xFF) < 0x50 && (p & 0xFF) < 0x50)
                ++dark;
        }
    }
    return dark;
}

}  // namespace

TEST(ThumbnailGrid, NamesSortAsThePhoneComparesThem) {
    TempDevice device;
    MakePictures(device, 0);
    for (const char* name : {"zebra", "Banana",
                             "\xC3\xA9"
                             "cole",
                             "fig", "~tilde", "apple", "0zero", "eagle", "_under", "Apple2"}) {
        device.WriteFile(std::string("\\Pics\\") + name + ".bmp", SolidBmp(4, 4, 1, 2, 3));
    }
    const auto run = RunHeadless(device, "");
    const Json& entries = run.state["fileList"]["entries"];
    std::vector<std::string> names;
    for (const Json& e : entries.items)
        names.push_back(e["name"].text);
    const std::vector<std::string> expected = {"_under.bmp",
                                               "~tilde.bmp",
                                               "0zero.bmp",
                                               "apple.bmp",
                                               "Apple2.bmp",
                                               "Banana.bmp",
                                               "eagle.bmp",
                                               "\xC3\xA9"
                                               "cole.bmp",
                                               "fig.bmp",
                                               "zebra.bmp"};
    EXPECT_EQ(names, expected);
}

TEST(ThumbnailGrid, AnOutOfRangeLayoutIsTheFourByFourGridWithItsRadioMark) {
    TempDevice device;
    MakePictures(device, 3, "\"ThumbnailLayout\"=dword:00000007\n");
    const auto run = RunHeadless(device, "SoftRight");
    EXPECT_EQ(run.state["thumbnailLayout"].Int(), 2);
    // 4 x 4 cells: (grid height - 2 x 5 - scroll bar width) / 4 rows high.
    EXPECT_EQ(run.state["cellHeight"].Int(), (168 - 10 - 8) / 4);
    const Json* item = FindMenuItem(run.state["menu"]["items"], 40015);
    ASSERT_NE(item, nullptr) << run.stateText;
    EXPECT_TRUE((*item)["checked"].boolean);
    EXPECT_FALSE((*FindMenuItem(run.state["menu"]["items"], 40013))["checked"].boolean);
    EXPECT_NE(device.ReadFile("\\Windows\\registry.reg").find("\"ThumbnailLayout\"=dword:00000002"),
              std::string::npos);
}

TEST(ThumbnailGrid, UnderscoresAndDescendersShowInCaptionsAndTheFolderBar) {
    TempDevice device;
    device.SkipSampleInstall();
    // White pictures, so the only dark pixels of a cell are its caption's letters.
    device.WriteFile("\\P_g\\a.bmp", SolidBmp(40, 30, 255, 255, 255));
    device.WriteFile("\\P_g\\___.bmp", SolidBmp(40, 30, 255, 255, 255));
    device.WriteFile("\\Windows\\registry.reg",
                     "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Tarrowby Systems "
                     "Inc.\\velloran\\MainSection]\n\"WorkDirectory\"=\"\\\\P_g\"\n"
                     "\"ShowFileName\"=dword:00000001\n");
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
