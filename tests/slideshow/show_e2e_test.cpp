// Whole shows through the headless host: the virtual clock runs the 250 ms ticks, key scripts
// press keys while the show waits, and the state shows where the show is.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/window/wave_codec.h"
#include "tests/support/headless.h"

using testing_support::Json;
using testing_support::Png;
using testing_support::RunHeadless;
using testing_support::RunResult;
using testing_support::SolidBmp;
using testing_support::TempDevice;

namespace {

constexpr const char* kRegistry = "\\Windows\\registry.reg";
constexpr const char* kRoot = "[HKEY_CURRENT_USER\\Software\\Tarrowby Systems Inc.\\velloran\\";

std::string Dword(const std::string& name, int value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "\"%s\"=dword:%08x\n", name.c_str(), value);
    return buffer;
}

// A device whose current folder is \Pics holding the given files, with these "Slide"
// settings (RandomEffect 0 unless given) and extra "MainSection" values.
class ShowDevice {
  public:
    explicit ShowDevice(std::map<std::string, int> slide, const std::string& mainExtra = "") {
        device_.SkipSampleInstall();
        device_.MakeFolder("\\Pics");
        if (!slide.count("RandomEffect")) {
            slide["RandomEffect"] = 0;
        }
        std::string reg = "REGEDIT4\n\n";
        reg += std::string(kRoot) + "MainSection]\n\"WorkDirectory\"=\"\\\\Pics\"\n" + mainExtra +
               "\n";
        reg += std::string(kRoot) + "Slide]\n";
        for (const auto& [name, value] : slide) {
            reg += Dword(name, value);
        }
        device_.WriteFile(kRegistry, reg);
    }
    void Picture(const std::string& name, int r, int g, int b) {
        device_.WriteFile("\\Pics\\" + name,
                          SolidBmp(176, 220, static_cast<uint8_t>(r), static_cast<uint8_t>(g),
                                   static_cast<uint8_t>(b)));
    }
    const TempDevice& Device() const { return device_; }
    // A host path for a state written by a script token.
    std::string StatePath(const std::string& tag) const { return device_.Root() + "." + tag; }
    Json ReadState(const std::string& tag) const {
        std::ifstream in(StatePath(tag));
        std::stringstream text;
        text << in.rdbuf();
        Json json;
        EXPECT_TRUE(testing_support::ParseJson(text.str(), &json)) << tag;
        std::remove(StatePath(tag).c_str());
        return json;
    }
    std::string State(const std::string& tag) const { return "state:" + StatePath(tag); }
    std::string Shot(const std::string& tag) const { return "shot:" + StatePath(tag); }

  private:
    TempDevice device_;
};

// Three pictures a, b, c at Fast with Wipe (Downwards), one second per picture.
ShowDevice ThreePictures(std::map<std::string, int> slide) {
    slide.emplace("Effect", 6);
    slide.emplace("Speed", 5);
    slide.emplace("Delay", 1);
    ShowDevice d(slide);
    d.Picture("a.bmp", 200, 0, 0);
    d.Picture("b.bmp", 0, 200, 0);
    d.Picture("c.bmp", 0, 0, 200);
    return d;
}

// A mono 16-bit WAVE of `ms` milliseconds at 8 kHz.
std::string WaveBytes(int ms) {
    std::string bytes;
    EXPECT_TRUE(
        plat::EncodeWave(std::vector<int16_t>(static_cast<size_t>(8 * ms), 1000), 8000, &bytes));
    return bytes;
}

const Json& Show(const Json& state) {
    return state["slideShow"];
}

}  // namespace

// In "Delay Time" at Fast with one second: a picture's transition takes 4 ticks and it holds
// 4 more, so picture k comes in at 2 s x k.
TEST(SlideDelayTime, WithoutRepeatTheShowEndsAfterTheLastPictureAndKeepsItSelected) {
    ShowDevice d = ThreePictures({{"Repeat", 0}});
    const RunResult run = RunHeadless(
        d.Device(), "cmd:40010 wait:100 " + d.State("start") + " wait:2000 " + d.State("second") +
                        " wait:3800 " + d.State("last") + " wait:200 " + d.State("after"));
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    const Json start = d.ReadState("start");
    EXPECT_EQ(start["viewMode"].text, "SlideShow");
    EXPECT_TRUE(start["fullScreen"].boolean);
    EXPECT_TRUE(Show(start)["running"].boolean);
    EXPECT_EQ(Show(start)["effect"].Int(), 6);
    EXPECT_EQ(Show(start)["stepCount"].Int(), 4);
    EXPECT_EQ(Show(start)["holdTicks"].Int(), 4);
    EXPECT_EQ(Show(start)["syncMode"].Int(), 0);
    EXPECT_EQ(start["fileList"]["currentIndex"].Int(), 0);
    EXPECT_EQ(d.ReadState("second")["fileList"]["currentIndex"].Int(), 1);
    const Json last = d.ReadState("last");
    EXPECT_EQ(last["viewMode"].text, "SlideShow");
    EXPECT_EQ(last["fileList"]["currentIndex"].Int(), 2);
    const Json after = d.ReadState("after");
    EXPECT_EQ(after["viewMode"].text, "Thumbnail");
    EXPECT_TRUE(Show(after).IsNull());
    EXPECT_FALSE(after["fullScreen"].boolean);
    EXPECT_EQ(after["fileList"]["currentIndex"].Int(), 2);
}

TEST(SlideDelayTime, WithRepeatTheFirstPictureFollowsTheLast) {
    ShowDevice d = ThreePictures({{"Repeat", 1}});
    const RunResult run = RunHeadless(d.Device(), "cmd:40010 wait:6100 " + d.State("again"));
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    const Json again = d.ReadState("again");
    EXPECT_EQ(again["viewMode"].text, "SlideShow");
    EXPECT_EQ(again["fileList"]["currentIndex"].Int(), 0);
    // The script's end finds the show running: the host ends it as Back would, and exits.
    EXPECT_EQ(run.state["viewMode"].text, "SlideShow");
}

// Right stops the show rather than skipping; Back and Home end it too.
TEST(SlideDelayTime, RightBackAndHomeEndTheShowLeavingTheSelectionOnThePictureShown) {
    for (const char* key : {"Right", "Back", "Home"}) {
        ShowDevice d = ThreePictures({});
        const RunResult run =
            RunHeadless(d.Device(), std::string("cmd:40010 wait:2500 ") + key + " wait:300");
        ASSERT_EQ(run.exitCode, 0) << run.stderrText;
        EXPECT_EQ(run.state["viewMode"].text, "Thumbnail") << key;
        EXPECT_TRUE(Show(run.state).IsNull()) << key;
        EXPECT_EQ(run.state["fileList"]["currentIndex"].Int(), 1) << key;
        EXPECT_EQ(run.state["title"].text, "Velloran") << key;
    }
}

TEST(SlideStart, BeginsWithTheFirstPictureAfterTheFoldersWhateverWasSelected) {
    ShowDevice d = ThreePictures({});
    d.Device().MakeFolder("\\Pics\\Sub");
    const RunResult run = RunHeadless(d.Device(), "Right Right Right " + d.State("before") +
                                                      " cmd:40010 wait:100 " + d.State("show"));
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(d.ReadState("before")["fileList"]["currentIndex"].Int(), 3);
    const Json show = d.ReadState("show");
    EXPECT_EQ(show["fileList"]["currentIndex"].Int(), 1);
    EXPECT_EQ(show["fileList"]["entries"][1]["name"].text, "a.bmp");
}

TEST(SlideStart, ExitDuringAShowEndsTheShowThenCloses) {
    ShowDevice d = ThreePictures({});
    const RunResult run = RunHeadless(d.Device(), "cmd:40010 wait:700 cmd:40011 wait:300");
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    // The program closed before the script ran out (so no final state), and it closed as
    // "Exit" does: the settings written at shut-down are there.
    EXPECT_TRUE(run.stateText.empty()) << run.stateText;
    const std::string reg = d.Device().ReadFile(kRegistry);
    EXPECT_NE(reg.find("\"OptimizedMemory\"=dword:"), std::string::npos) << reg;
}

TEST(SlideStart, AViewCommandDuringAShowEndsItCleanly) {
    for (const char* command : {"cmd:40010", "cmd:40008", "cmd:40007"}) {
        ShowDevice d = ThreePictures({});
        const RunResult run =
            RunHeadless(d.Device(), std::string("cmd:40010 wait:500 ") + command + " wait:2500");
        ASSERT_EQ(run.exitCode, 0) << run.stderrText;
        EXPECT_EQ(run.state["viewMode"].text, "Thumbnail") << command;
        EXPECT_TRUE(Show(run.state).IsNull()) << command;
        EXPECT_FALSE(run.state["fullScreen"].boolean) << command;
        EXPECT_EQ(run.state["fileList"]["currentIndex"].Int(), 0) << command;
    }
}

TEST(SlideRestore, OrientationLoadLevelAndFullScreenComeBack) {
    ShowDevice d({{"Effect", 6}, {"Speed", 5}, {"Orientation", 0}},
                 "\"Orientation\"=dword:00000001\n\"OptimizedMemory\"=dword:00000002\n");
    d.Picture("a.bmp", 200, 0, 0);
    d.Picture("b.bmp", 0, 200, 0);
    const RunResult run = RunHeadless(
        d.Device(), d.State("before") + " cmd:40010 wait:300 " + d.State("during") + " Back");
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    const Json before = d.ReadState("before");
    const Json during = d.ReadState("during");
    EXPECT_EQ(before["orientation"].Int(), 1);
    EXPECT_EQ(before["loadSizeLevel"].Int(), 2);
    EXPECT_FALSE(before["fullScreen"].boolean);
    EXPECT_EQ(during["orientation"].Int(), 0);
    EXPECT_EQ(during["loadSizeLevel"].Int(), 0);
    EXPECT_TRUE(during["fullScreen"].boolean);
    EXPECT_EQ(run.state["orientation"].Int(), 1);
    EXPECT_EQ(run.state["loadSizeLevel"].Int(), 2);
    EXPECT_FALSE(run.state["fullScreen"].boolean);
    EXPECT_EQ(run.state["clientHeight"].Int(), before["clientHeight"].Int());
    EXPECT_EQ(run.state["viewMode"].text, "Thumbnail");
}

TEST(SlideRestore, AShowStartedFullScreenFromTheImageViewEndsInTheThumbnails) {
    ShowDevice d = ThreePictures({});
    // Enter opens the image view and 40040 makes it full screen.
    const RunResult run =
        RunHeadless(d.Device(), "Enter cmd:40040 " + d.State("image") + " cmd:40010 wait:300 Back");
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    const Json image = d.ReadState("image");
    EXPECT_EQ(image["viewMode"].text, "Image");
    EXPECT_TRUE(image["fullScreen"].boolean);
    EXPECT_EQ(run.state["viewMode"].text, "Thumbnail");
    EXPECT_FALSE(run.state["fullScreen"].boolean);
}

TEST(SlideDirectionKey, DownOnTheLastPictureWrapsEvenWithoutRepeatAndUpOnTheFirstGoesToTheLast) {
    ShowDevice d = ThreePictures({{"TransformKey", 1}, {"Repeat", 0}});
    const RunResult run = RunHeadless(
        d.Device(), "cmd:40010 wait:1500 " + d.State("wait") + " Down wait:1500 Down wait:1500 " +
                        d.State("last") + " Down wait:1500 " + d.State("wrapped") +
                        " Up wait:1500 " + d.State("up"));
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    const Json waiting = d.ReadState("wait");
    EXPECT_EQ(waiting["fileList"]["currentIndex"].Int(), 0) << "the show waits for a key";
    EXPECT_EQ(Show(waiting)["holdTicks"].Int(), 0);
    EXPECT_EQ(Show(waiting)["syncMode"].Int(), 1);
    EXPECT_EQ(d.ReadState("last")["fileList"]["currentIndex"].Int(), 2);
    EXPECT_EQ(d.ReadState("wrapped")["fileList"]["currentIndex"].Int(), 0);
    const Json up = d.ReadState("up");
    EXPECT_EQ(up["viewMode"].text, "SlideShow");
    EXPECT_EQ(up["fileList"]["currentIndex"].Int(), 2);
}

TEST(SlideDirectionKey, AnotherKeyDuringATransitionIsIgnoredAfterwardsItEndsTheShow) {
    ShowDevice d = ThreePictures({{"TransformKey", 1}});
    const RunResult run =
        RunHeadless(d.Device(), "cmd:40010 wait:300 Enter wait:1500 " + d.State("ignored") +
                                    " Enter wait:100 " + d.State("ended"));
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    const Json ignored = d.ReadState("ignored");
    EXPECT_EQ(ignored["viewMode"].text, "SlideShow");
    EXPECT_EQ(ignored["fileList"]["currentIndex"].Int(), 0);
    EXPECT_EQ(d.ReadState("ended")["viewMode"].text, "Thumbnail");
}

TEST(SlideDirectionKey, ADirectionKeyPressedDuringATransitionMovesWhenItEnds) {
    ShowDevice d = ThreePictures({{"TransformKey", 1}});
    const RunResult run =
        RunHeadless(d.Device(), "cmd:40010 wait:300 Down wait:200 " + d.State("during") +
                                    " wait:1000 " + d.State("moved"));
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(d.ReadState("during")["fileList"]["currentIndex"].Int(), 0);
    EXPECT_EQ(d.ReadState("moved")["fileList"]["currentIndex"].Int(), 1);
}

// A broken first picture and a broken one later: the show goes on with the next each time.
TEST(SlideSkipping, PicturesThatCannotBeLoadedAreSkipped) {
    ShowDevice d({{"Effect", 6}, {"Speed", 5}, {"Delay", 1}});
    d.Device().WriteFile("\\Pics\\a.bmp", "BM broken");
    d.Picture("b.bmp", 0, 200, 0);
    d.Device().WriteFile("\\Pics\\c.bmp", "BM this is not a picture at all");
    d.Picture("d.bmp", 0, 0, 200);
    const RunResult run =
        RunHeadless(d.Device(), "cmd:40010 wait:1100 " + d.Shot("shot") + " " + d.State("first") +
                                    " wait:2000 " + d.State("skipped"));
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(d.ReadState("first")["fileList"]["currentIndex"].Int(), 1);
    Png png;
    ASSERT_TRUE(testing_support::ReadPng(d.StatePath("shot"), &png));
    std::remove(d.StatePath("shot").c_str());
    EXPECT_EQ(png.At(88, 110), 0x00C800u) << "the second picture is on the screen";
    const Json skipped = d.ReadState("skipped");
    EXPECT_EQ(skipped["viewMode"].text, "SlideShow");
    EXPECT_EQ(skipped["fileList"]["currentIndex"].Int(), 3);
    EXPECT_TRUE(Show(skipped)["running"].boolean);
}

TEST(SlideSkipping, AFolderWithoutPicturesStaysBlackUntilBack) {
    ShowDevice d({{"Effect", 6}});
    d.Device().MakeFolder("\\Pics\\Sub");
    const RunResult run =
        RunHeadless(d.Device(), "cmd:40010 wait:3000 " + d.Shot("black") + " Back", false);
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    Png png;
    ASSERT_TRUE(testing_support::ReadPng(d.StatePath("black"), &png));
    std::remove(d.StatePath("black").c_str());
    EXPECT_EQ(png.At(0, 0), 0u);
    EXPECT_EQ(png.At(175, 219), 0u);
    EXPECT_EQ(run.state["viewMode"].text, "Thumbnail");
}

TEST(SlideScreen, WipeDownwardsFirstFrameAndTheCaption) {
    ShowDevice d({{"Effect", 6}, {"Speed", 5}, {"ShowText", 1}});
    d.Picture("Harbour.bmp", 200, 0, 0);
    const RunResult run =
        RunHeadless(d.Device(), "cmd:40010 wait:100 " + d.Shot("black") + " wait:200 " +
                                    d.Shot("one") + " wait:750 " + d.Shot("all"));
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    Png black, one, all;
    ASSERT_TRUE(testing_support::ReadPng(d.StatePath("black"), &black));
    ASSERT_TRUE(testing_support::ReadPng(d.StatePath("one"), &one));
    ASSERT_TRUE(testing_support::ReadPng(d.StatePath("all"), &all));
    for (const char* tag : {"black", "one", "all"})
        std::remove(d.StatePath(tag).c_str());
    EXPECT_EQ(black.At(88, 10), 0u) << "the show opens on black";
    EXPECT_EQ(one.At(88, 54), 0xC80000u);
    EXPECT_EQ(one.At(88, 55), 0u);
    EXPECT_EQ(all.At(88, 150), 0xC80000u);
    int yellowBottom = 0, yellowElsewhere = 0;
    for (int y = 0; y < 220; ++y) {
        for (int x = 0; x < 176; ++x) {
            if (all.At(x, y) == 0xFFFF00u)
                ++(y >= 190 ? yellowBottom : yellowElsewhere);
        }
    }
    EXPECT_GT(yellowBottom, 20) << "the file name along the bottom";
    EXPECT_EQ(yellowElsewhere, 0);
}

TEST(SlideRandomEffect, TheShowDrawsEffectsFromTheUnseededGenerator) {
    ShowDevice d({{"RandomEffect", 1}, {"Speed", 5}, {"Delay", 1}});
    d.Picture("a.bmp", 200, 0, 0);
    d.Picture("b.bmp", 0, 200, 0);
    std::string keys = "cmd:40010 wait:100 " + d.State("0");
    for (int k = 1; k < 6; ++k) {
        keys += " wait:2000 " + d.State(std::to_string(k));
    }
    const RunResult run = RunHeadless(d.Device(), keys);
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    // A program that never seeds draws what srand(1) gives.
    std::srand(1);
    int effect = std::rand() % 11;
    for (int k = 0; k < 6; ++k) {
        int next = std::rand() % 11;
        if (next == effect)
            next = std::rand() % 11;
        effect = next;
        const Json state = d.ReadState(std::to_string(k));
        EXPECT_EQ(Show(state)["effect"].Int(), effect) << "picture " << k;
        EXPECT_EQ(state["fileList"]["currentIndex"].Int(), k % 2);
    }
}

TEST(SlideVoiceNote, PlaysAsynchronouslyAtTheEndOfTheTransitionInDelayTime) {
    ShowDevice d = ThreePictures({});
    d.Device().WriteFile("\\Pics\\a.bmp.wav", WaveBytes(3000));
    const RunResult run = RunHeadless(
        d.Device(), "cmd:40010 wait:900 " + d.State("before") + " wait:200 " + d.State("played"));
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(d.ReadState("before")["sounds"].Size(), 0u);
    const Json played = d.ReadState("played");
    ASSERT_EQ(played["sounds"].Size(), 1u);
    EXPECT_EQ(played["sounds"][0]["file"].text, "\\Pics\\a.bmp.wav");
    EXPECT_FALSE(played["sounds"][0]["sync"].boolean);
}

TEST(SlideVoiceNote, InStepWithTheWaveFileThePictureStaysUntilItsNoteHasPlayed) {
    ShowDevice d = ThreePictures({{"TransformKey", 2}});
    d.Device().WriteFile("\\Pics\\a.bmp.wav", WaveBytes(3000));
    // The note plays from 1 s to 4 s; b comes in then, its frames at 4.25 .. 5 s. A show that
    // did not wait would have gone round to a again by 4.9 s.
    const RunResult run = RunHeadless(d.Device(), "cmd:40010 wait:4900 " + d.State("held"));
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    const Json held = d.ReadState("held");
    EXPECT_EQ(held["fileList"]["currentIndex"].Int(), 1);
    EXPECT_EQ(Show(held)["step"].Int(), 3);
    EXPECT_EQ(Show(held)["syncMode"].Int(), 2);
    ASSERT_EQ(held["sounds"].Size(), 1u);
    EXPECT_TRUE(held["sounds"][0]["sync"].boolean);
}

TEST(SlideVoiceNote, WithoutANoteThePictureMovesOnOneTickAfterItsTransition) {
    ShowDevice d = ThreePictures({{"TransformKey", 2}});
    const RunResult run = RunHeadless(
        d.Device(), "cmd:40010 wait:1200 " + d.State("still") + " wait:100 " + d.State("next"));
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(d.ReadState("still")["fileList"]["currentIndex"].Int(), 0);
    EXPECT_EQ(d.ReadState("next")["fileList"]["currentIndex"].Int(), 1);
}

namespace {

// A 24-bit BMP whose column x is red x, green 100, blue 50.
std::string ColumnBmp(int width, int height) {
    const int stride = (width * 3 + 3) & ~3;
    std::string pixels;
    for (int y = 0; y < height; ++y) {
        std::string row(static_cast<size_t>(stride), '\0');
        for (int x = 0; x < width; ++x) {
            row[3 * x] = 50;
            row[3 * x + 1] = 100;
            row[3 * x + 2] = static_cast<char>(x);
        }
        pixels += row;
    }
    const auto le = [](uint32_t v, int bytes) {
        std::string s;
        for (int i = 0; i < bytes; ++i)
            s += static_cast<char>((v >> (8 * i)) & 0xFF);
        return s;
    };
    return "BM" + le(54 + static_cast<uint32_t>(pixels.size()), 4) + le(0, 4) + le(54, 4) +
           le(40, 4) + le(static_cast<uint32_t>(width), 4) + le(static_cast<uint32_t>(height), 4) +
           le(1, 2) + le(24, 2) + le(0, 4) + le(static_cast<uint32_t>(pixels.size()), 4) +
           le(2835, 4) + le(2835, 4) + le(0, 4) + le(0, 4) + pixels;
}

}  // namespace

// Door (Close) on a screen of odd width: the halves meet without a gap or a shifted column,
// so the last frame is the picture.
TEST(SlideScreen, DoorCloseEndsOnThePictureAtAnOddWidth) {
    ShowDevice d({{"Effect", 0}, {"Speed", 5}, {"Delay", 5}});
    d.Device().WriteFile("\\Pics\\a.bmp", ColumnBmp(175, 220));
    const RunResult run = RunHeadless(d.Device(), "cmd:40010 wait:1100 " + d.Shot("door"), false,
                                      {"--screen", "175x220"});
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    Png png;
    ASSERT_TRUE(testing_support::ReadPng(d.StatePath("door"), &png));
    std::remove(d.StatePath("door").c_str());
    ASSERT_EQ(png.width, 175);
    for (int x = 0; x < 175; ++x) {
        ASSERT_EQ(png.At(x, 110), (static_cast<uint32_t>(x) << 16) | 0x006432u) << "column " << x;
    }
}

// The caption on the screen keeps every stroke: the stems of "d" and "f" in "d.gif" rise a
// full 8 pixels (with smoothed glyphs cut at half coverage they vanished: "d" read "o").
TEST(SlideScreen, CaptionStemsStayWhole) {
    ShowDevice d({{"Effect", 6}, {"Speed", 5}, {"ShowText", 1}, {"Delay", 5}});
    d.Picture("d.gif", 0, 0, 120);  // BMP content: listed by its name, read by its content
    const RunResult run = RunHeadless(d.Device(), "cmd:40010 wait:1100 " + d.Shot("caption"));
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    Png png;
    ASSERT_TRUE(testing_support::ReadPng(d.StatePath("caption"), &png));
    std::remove(d.StatePath("caption").c_str());
    int stems = 0;
    for (int x = 0; x < 176; ++x) {
        int yellow = 0, longest = 0;
        for (int y = 190; y < 220; ++y) {
            yellow = png.At(x, y) == 0xFFFF00u ? yellow + 1 : 0;
            longest = std::max(longest, yellow);
        }
        stems += longest >= 8 ? 1 : 0;
    }
    EXPECT_EQ(stems, 2);
}
