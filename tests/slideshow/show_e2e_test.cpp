// Whole shows through the headless host: the virtual clock runs the 250 ms ticks, key scripts
// press keys while the show waits, and the state shows where the show is.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "platform/window/wave_codec.h"
#include "tests/support/headless.h"

using testing_support::Json;
using testing_support::Pick;
using testing_support::Png;
using testing_support::RunChecked;
using testing_support::RunResult;
using testing_support::Setting;
using testing_support::SolidBmp;
using testing_support::TakenShot;
using testing_support::TempDevice;

namespace {

// The current folder is \Pics; "Slide" values as given (RandomEffect 0 unless given) and
// `main` in "MainSection".
void ShowSettings(const TempDevice& d, std::map<std::string, int> slide,
                  std::vector<Setting> main = {}) {
    d.SkipSampleInstall();
    d.MakeFolder("\\Pics");
    slide.emplace("RandomEffect", 0);
    main.push_back({"MainSection", "WorkDirectory", "\\Pics"});
    for (const auto& [name, value] : slide)
        main.push_back({"Slide", name, value});
    d.WriteSettings(main);
}

void Picture(const TempDevice& d, const std::string& name, uint8_t r, uint8_t g, uint8_t b) {
    d.WriteFile("\\Pics\\" + name, SolidBmp(176, 220, r, g, b));
}

// Three pictures a, b, c (red, green, blue) at Fast with Wipe (Downwards), one second each.
void ThreePictures(const TempDevice& d, std::map<std::string, int> slide = {}) {
    slide.emplace("Effect", 6);
    slide.emplace("Speed", 5);
    slide.emplace("Delay", 1);
    ShowSettings(d, slide);
    Picture(d, "a.bmp", 200, 0, 0);
    Picture(d, "b.bmp", 0, 200, 0);
    Picture(d, "c.bmp", 0, 0, 200);
}

std::string Index(const TempDevice& d, const std::string& tag) {
    return Pick(d.TakenState(tag), "fileList.currentIndex");
}

// A mono 16-bit WAVE of `ms` milliseconds at 8 kHz.
std::string WaveBytes(int ms) {
    std::string bytes;
    EXPECT_TRUE(
        plat::EncodeWave(std::vector<int16_t>(static_cast<size_t>(8 * ms), 1000), 8000, &bytes));
    return bytes;
}

constexpr const char* kEnded = "viewMode slideShow fullScreen fileList.currentIndex";

}  // namespace

// In "Delay Time" at Fast with one second: a picture's transition takes 4 ticks and it holds
// 4 more, so picture k comes in at 2 s x k.
TEST(SlideDelayTime, WithoutRepeatTheShowEndsAfterTheLastPictureAndKeepsItSelected) {
    TempDevice d;
    ThreePictures(d, {{"Repeat", 0}});
    RunChecked(d, "cmd:40010 wait:100 @start wait:2000 @second wait:3800 @last wait:200 @after");
    EXPECT_EQ(Pick(d.TakenState("start"),
                   "viewMode fullScreen slideShow.running slideShow.effect slideShow.stepCount "
                   "slideShow.holdTicks slideShow.syncMode fileList.currentIndex"),
              "SlideShow true true 6 4 4 0 0");
    EXPECT_EQ(Index(d, "second"), "1");
    EXPECT_EQ(Pick(d.TakenState("last"), "viewMode fileList.currentIndex"), "SlideShow 2");
    EXPECT_EQ(Pick(d.TakenState("after"), kEnded), "Thumbnail null false 2");
}

// One run, one show after another in a folder with a subfolder first; each show begins with
// the first picture after the folders, whatever was selected. a's voice note plays
// asynchronously at the end of its transition; with Repeat (the default) the first picture
// follows the last. A view command ends the show cleanly; Right stops the show rather than
// skipping, and Back and Home end it too, leaving the picture shown selected. A show started
// full screen from the image view ends in the thumbnails.
TEST(SlideDelayTime, BeginsAfterTheFoldersRepeatsAndEndsOnKeysOrViewCommandsOnThePictureShown) {
    TempDevice d;
    ThreePictures(d);
    d.MakeFolder("\\Pics\\Sub");
    d.WriteFile("\\Pics\\a.bmp.wav", WaveBytes(3000));
    const char* commands[] = {"cmd:40010", "cmd:40008", "cmd:40007"};
    const char* keys[] = {"Right", "Back", "Home"};
    std::string script =
        "Right Right Right @selected cmd:40010 wait:100 @first wait:800 @before "
        "wait:200 @played wait:5000 @again Back";
    for (const char* command : commands)
        script += std::string(" cmd:40010 wait:500 ") + command + " wait:2500 @" + command;
    for (const char* key : keys) {
        if (std::string(key) == "Home")
            script += " Enter cmd:40040 @image cmd:40010 wait:300 Back @fromImage";
        script += std::string(" cmd:40010 wait:2500 ") + key + " wait:300 @" + key;
    }
    RunChecked(d, script);
    EXPECT_EQ(Index(d, "selected"), "3");
    EXPECT_EQ(Pick(d.TakenState("first"), "fileList.currentIndex fileList.entries.1.name"),
              "1 a.bmp");
    EXPECT_EQ(Pick(d.TakenState("before"), "sounds"), "[0]");
    EXPECT_EQ(Pick(d.TakenState("played"), "sounds sounds.0.file sounds.0.sync"),
              "[1] \\Pics\\a.bmp.wav false");
    EXPECT_EQ(Pick(d.TakenState("again"), "viewMode fileList.currentIndex"), "SlideShow 1");
    for (const char* command : commands)
        EXPECT_EQ(Pick(d.TakenState(command), kEnded), "Thumbnail null false 1") << command;
    for (const char* key : keys)
        EXPECT_EQ(Pick(d.TakenState(key), kEnded + std::string(" title")),
                  "Thumbnail null false 2 Velloran")
            << key;
    EXPECT_EQ(Pick(d.TakenState("image"), "viewMode fullScreen"), "Image true");
    EXPECT_EQ(Pick(d.TakenState("fromImage"), "viewMode fullScreen"), "Thumbnail false");
}

TEST(SlideStart, ExitDuringAShowEndsTheShowThenCloses) {
    TempDevice d;
    ThreePictures(d);
    const RunResult run = RunChecked(d, "cmd:40010 wait:700 cmd:40011 wait:300");
    // The program closed before the script ran out (so no final state), and it closed as
    // "Exit" does: the settings written at shut-down are there.
    EXPECT_TRUE(run.stateText.empty()) << run.stateText;
    EXPECT_NE(d.ReadSettings().find("\"OptimizedMemory\"=dword:"), std::string::npos);
}

TEST(SlideRestore, OrientationLoadLevelAndFullScreenComeBack) {
    TempDevice d;
    ShowSettings(d, {{"Effect", 6}, {"Speed", 5}, {"Orientation", 0}},
                 {{"MainSection", "Orientation", 1}, {"MainSection", "OptimizedMemory", 2}});
    Picture(d, "a.bmp", 200, 0, 0);
    Picture(d, "b.bmp", 0, 200, 0);
    const RunResult run = RunChecked(d, "@before cmd:40010 wait:300 @during Back");
    const char* fields = "viewMode orientation loadSizeLevel fullScreen";
    const Json before = d.TakenState("before");
    EXPECT_EQ(Pick(before, fields), "Thumbnail 1 2 false");
    EXPECT_EQ(Pick(d.TakenState("during"), fields), "SlideShow 0 0 true");
    EXPECT_EQ(Pick(run.state, fields), "Thumbnail 1 2 false");
    EXPECT_EQ(run.state["clientHeight"].Int(), before["clientHeight"].Int());
}

// Direction keys step the show and wrap both ways even without Repeat; during a transition a
// direction key waits for its end and another key is ignored; afterwards another key ends it.
TEST(SlideDirectionKey, KeysStepWrapOrWaitForTheTransitionAndOtherKeysEndTheShow) {
    TempDevice d;
    ThreePictures(d, {{"TransformKey", 1}, {"Repeat", 0}});
    const RunResult run =
        RunChecked(d,
                   "cmd:40010 wait:300 Enter wait:1500 @ignored Enter wait:100 @ended "
                   "cmd:40010 wait:300 Down wait:200 @during wait:1000 @moved Down wait:1500 @last "
                   "Down wait:1500 @wrapped Up wait:1500 @up");
    EXPECT_EQ(Pick(d.TakenState("ignored"),
                   "viewMode fileList.currentIndex slideShow.holdTicks slideShow.syncMode"),
              "SlideShow 0 0 1");
    EXPECT_EQ(Pick(d.TakenState("ended"), "viewMode"), "Thumbnail");
    EXPECT_EQ(Index(d, "during"), "0");
    EXPECT_EQ(Index(d, "moved"), "1");
    EXPECT_EQ(Index(d, "last"), "2");
    EXPECT_EQ(Index(d, "wrapped"), "0");
    EXPECT_EQ(Pick(d.TakenState("up"), "viewMode fileList.currentIndex"), "SlideShow 2");
    // The script's end finds the show running: the host ends it as Back would, and exits.
    EXPECT_EQ(run.state["viewMode"].text, "SlideShow");
}

// A broken first picture and a broken one later: the show goes on with the next each time.
TEST(SlideSkipping, PicturesThatCannotBeLoadedAreSkipped) {
    TempDevice d;
    ShowSettings(d, {{"Effect", 6}, {"Speed", 5}, {"Delay", 1}});
    d.WriteFile("\\Pics\\a.bmp", "BM broken");
    Picture(d, "b.bmp", 0, 200, 0);
    d.WriteFile("\\Pics\\c.bmp", "BM this is not a picture at all");
    Picture(d, "d.bmp", 0, 0, 200);
    RunChecked(d, "cmd:40010 wait:1100 !shot @first wait:2000 @skipped");
    EXPECT_EQ(Index(d, "first"), "1");
    EXPECT_EQ(TakenShot(d, "shot").At(88, 110), 0x00C800u) << "the second picture is on the screen";
    EXPECT_EQ(Pick(d.TakenState("skipped"), "viewMode fileList.currentIndex slideShow.running"),
              "SlideShow 3 true");
}

TEST(SlideSkipping, AFolderWithoutPicturesStaysBlackUntilBack) {
    TempDevice d;
    ShowSettings(d, {{"Effect", 6}});
    d.MakeFolder("\\Pics\\Sub");
    const RunResult run = RunChecked(d, "cmd:40010 wait:3000 !black Back");
    const Png black = TakenShot(d, "black");
    EXPECT_EQ(black.At(0, 0), 0u);
    EXPECT_EQ(black.At(175, 219), 0u);
    EXPECT_EQ(run.state["viewMode"].text, "Thumbnail");
}

// Wipe (Downwards) opens on black, its first frame brings 55 rows; the caption runs along the
// bottom and keeps every stroke: the stems of "d" and "f" in "d.gif" rise a full 8 pixels
// (with smoothed glyphs cut at half coverage they vanished: "d" read "o").
TEST(SlideScreen, WipeDownwardsFirstFrameAndTheCaptionWithWholeStems) {
    TempDevice d;
    ShowSettings(d, {{"Effect", 6}, {"Speed", 5}, {"ShowText", 1}, {"Delay", 5}});
    Picture(d, "d.gif", 200, 0, 0);  // BMP content: listed by its name, read by its content
    RunChecked(d, "cmd:40010 wait:100 !black wait:200 !one wait:750 !all");
    EXPECT_EQ(TakenShot(d, "black").At(88, 10), 0u) << "the show opens on black";
    const Png one = TakenShot(d, "one");
    EXPECT_EQ(one.At(88, 54), 0xC80000u);
    EXPECT_EQ(one.At(88, 55), 0u);
    const Png all = TakenShot(d, "all");
    EXPECT_EQ(all.At(88, 150), 0xC80000u);
    int yellowBottom = 0, yellowElsewhere = 0, stems = 0;
    for (int x = 0; x < 176; ++x) {
        int run = 0, longest = 0;
        for (int y = 0; y < 220; ++y) {
            const bool yellow = all.At(x, y) == 0xFFFF00u;
            if (yellow)
                ++(y >= 190 ? yellowBottom : yellowElsewhere);
            run = yellow ? run + 1 : 0;
            longest = std::max(longest, run);
        }
        stems += longest >= 8 ? 1 : 0;
    }
    EXPECT_GT(yellowBottom, 20) << "the file name along the bottom";
    EXPECT_EQ(yellowElsewhere, 0);
    EXPECT_EQ(stems, 2);
}

// Door (Close) on a screen of odd width: the halves meet without a gap or a shifted column,
// so the last frame is the picture. Column x of the picture is red x, green 100, blue 50.
TEST(SlideScreen, DoorCloseEndsOnThePictureAtAnOddWidth) {
    TempDevice d;
    ShowSettings(d, {{"Effect", 0}, {"Speed", 5}, {"Delay", 5}});
    std::string bmp = SolidBmp(175, 220, 0, 100, 50);
    const size_t stride = (175 * 3 + 3) & ~3;
    for (size_t y = 0; y < 220; ++y) {
        for (size_t x = 0; x < 175; ++x)
            bmp[54 + y * stride + 3 * x + 2] = static_cast<char>(x);
    }
    d.WriteFile("\\Pics\\a.bmp", bmp);
    RunChecked(d, "cmd:40010 wait:1100 !door", {"--screen", "175x220"});
    const Png door = TakenShot(d, "door");
    ASSERT_EQ(door.width, 175);
    for (int x = 0; x < 175; ++x)
        ASSERT_EQ(door.At(x, 110), (static_cast<uint32_t>(x) << 16) | 0x006432u) << "column " << x;
}

TEST(SlideRandomEffect, TheShowDrawsEffectsFromTheUnseededGenerator) {
    TempDevice d;
    ShowSettings(d, {{"RandomEffect", 1}, {"Speed", 5}, {"Delay", 1}});
    Picture(d, "a.bmp", 200, 0, 0);
    Picture(d, "b.bmp", 0, 200, 0);
    std::string keys = "cmd:40010 wait:100 @0";
    for (int k = 1; k < 6; ++k)
        keys += " wait:2000 @" + std::to_string(k);
    RunChecked(d, keys);
    // A program that never seeds draws what srand(1) gives.
    std::srand(1);
    int effect = std::rand() % 11;
    for (int k = 0; k < 6; ++k) {
        int next = std::rand() % 11;
        if (next == effect)
            next = std::rand() % 11;
        effect = next;
        EXPECT_EQ(Pick(d.TakenState(std::to_string(k)), "slideShow.effect fileList.currentIndex"),
                  std::to_string(effect) + " " + std::to_string(k % 2))
            << "picture " << k;
    }
}

// In step with the wave file: a's note plays from 1 s to 4 s; b comes in then, its frames at
// 4.25 .. 5 s (a show that did not wait would have gone round to a again by 4.9 s). b has no
// note, so it moves on one tick after its transition.
TEST(SlideVoiceNote, InStepWithTheWaveFileThePictureStaysUntilItsNoteHasPlayed) {
    TempDevice d;
    ThreePictures(d, {{"TransformKey", 2}});
    d.WriteFile("\\Pics\\a.bmp.wav", WaveBytes(3000));
    RunChecked(d, "cmd:40010 wait:4900 @held wait:300 @still wait:100 @next");
    EXPECT_EQ(Pick(d.TakenState("held"),
                   "fileList.currentIndex slideShow.step slideShow.syncMode "
                   "sounds sounds.0.sync"),
              "1 3 2 [1] true");
    EXPECT_EQ(Index(d, "still"), "1");
    EXPECT_EQ(Index(d, "next"), "2");
}
