// Voice notes end to end: recording with the headless microphone, replacing, playing and
// deleting notes, and what the recorder does with broken or missing files.
#include "sharing/voice_notes.h"

#include <gtest/gtest.h>
#include <sys/xattr.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "core/app_state.h"
#include "core/file_list.h"
#include "platform/os/device_fs.h"
#include "platform/os/file_attributes.h"
#include "platform/window/window_system.h"
#include "tests/sharing/sharing_support.h"

using sharing_tests::MakeDevice;
using sharing_tests::MonoWave;
using sharing_tests::Saw;
using sharing_tests::WriteHostWave;
using testing_support::RunHeadless;
using testing_support::SolidBmp;
using testing_support::TempDevice;

namespace {

const std::string kPicture = "\\P\\a b.jpg";
const std::string kNote = "\\P\\a b.jpg.wav";

std::vector<std::string> Mic(const std::string& hostPath) {
    return {"--mic", hostPath};
}

plat::DecodedSound ReadNote(const TempDevice& device, const std::string& path) {
    plat::DecodedSound sound;
    EXPECT_TRUE(plat::DecodeWave(device.ReadFile(path), &sound)) << path;
    return sound;
}

uint32_t Le(const std::string& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = (v << 8) | static_cast<uint8_t>(b[at + i]);
    }
    return v;
}

// Whether the host file system of the test folder keeps user extended attributes.
bool HostHasUserAttributes(const TempDevice& device) {
    const std::string probe = device.Root() + "/.xattr-probe";
    device.WriteFile("\\.xattr-probe", "x");
    const bool ok = ::setxattr(probe.c_str(), "user.probe", "1", 1, 0) == 0;
    std::remove(probe.c_str());
    return ok;
}

bool HiddenOnHost(const TempDevice& device, const std::string& devicePath) {
    char value[4] = {};
    return ::getxattr(device.Host(devicePath).c_str(), plat::kHiddenAttributeName, value,
                      sizeof value) == 1 &&
           value[0] == '1';
}

}  // namespace

TEST(RecordVoiceNote, WithoutANoteRecordsOneSecondOfTheMicrophoneAsAHidden8kMonoNote) {
    TempDevice device;
    MakeDevice(device, "\\P", {{"a b.jpg", SolidBmp(20, 20, 200, 0, 0)}});
    const std::vector<int16_t> mic = Saw(16000);
    const std::string micPath = device.Root() + ".mic.wav";
    ASSERT_TRUE(WriteHostWave(micPath, mic, 8000, 1));

    const auto run =
        RunHeadless(device, "cmd:40047 SoftLeft wait:1000 SoftLeft SoftRight", false, Mic(micPath));
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    // No question was asked: the only box would have stayed in the way of the recorder.
    EXPECT_TRUE(run.state["messageBox"].IsNull());
    EXPECT_TRUE(run.state["recorder"].IsNull());
    EXPECT_TRUE(run.state["fileList"]["entries"][0]["hasVoiceNote"].boolean);
    EXPECT_FALSE(device.Exists(kNote + ".xxx"));

    const std::string bytes = device.ReadFile(kNote);
    ASSERT_GE(bytes.size(), 44u);
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(bytes.substr(8, 4), "WAVE");
    EXPECT_EQ(Le(bytes, 20, 2), 1u);     // PCM
    EXPECT_EQ(Le(bytes, 22, 2), 1u);     // mono
    EXPECT_EQ(Le(bytes, 24, 4), 8000u);  // 8,000 Hz
    EXPECT_EQ(Le(bytes, 34, 2), 16u);    // 16-bit
    const plat::DecodedSound note = ReadNote(device, kNote);
    ASSERT_EQ(note.samples.size(), 8000u);
    for (size_t i = 0; i < note.samples.size(); ++i) {
        ASSERT_NEAR(note.samples[i], mic[i], 1) << "sample " << i;
    }
    if (HostHasUserAttributes(device)) {
        EXPECT_TRUE(HiddenOnHost(device, kNote));
    }
}

TEST(RecordVoiceNote, AStereo22kMicrophoneIsMixedAndResampledAndSilenceFollowsItsEnd) {
    TempDevice device;
    MakeDevice(device, "\\P", {{"a.jpeg", SolidBmp(20, 20, 0, 200, 0)}});
    // Half a second of a loud 500 Hz tone on both channels.
    std::vector<int16_t> stereo(11025 * 2);
    for (size_t i = 0; i < stereo.size() / 2; ++i) {
        const auto v = static_cast<int16_t>(20000 * std::sin(2 * M_PI * 500.0 * i / 22050.0));
        stereo[2 * i] = v;
        stereo[2 * i + 1] = v;
    }
    const std::string micPath = device.Root() + ".mic.wav";
    ASSERT_TRUE(WriteHostWave(micPath, stereo, 22050, 2));

    // The note of a.jpeg is a.jpeg.wav, never a.wav.
    const auto run = RunHeadless(device, "cmd:40047 SoftLeft wait:400 wait:600 SoftLeft SoftRight",
                                 false, Mic(micPath));
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_FALSE(device.Exists("\\P\\a.wav"));
    const plat::DecodedSound note = ReadNote(device, "\\P\\a.jpeg.wav");
    EXPECT_EQ(note.rate, 8000);
    EXPECT_EQ(note.channels, 1);
    ASSERT_EQ(note.samples.size(), 8000u);
    int firstHalfPeak = 0;
    int lastQuarterPeak = 0;
    for (size_t i = 0; i < 3800; ++i) {
        firstHalfPeak = std::max(firstHalfPeak, std::abs(static_cast<int>(note.samples[i])));
    }
    for (size_t i = 6000; i < 8000; ++i) {
        lastQuarterPeak = std::max(lastQuarterPeak, std::abs(static_cast<int>(note.samples[i])));
    }
    EXPECT_GT(firstHalfPeak, 15000);
    EXPECT_EQ(lastQuarterPeak, 0);
}

// A temporary left over from an earlier recording is never taken for the new one.
TEST(RecordVoiceNote, OverAnOldNoteNoKeepsItAndYesThenDoneWithoutRecordingKeepsItToo) {
    TempDevice device;
    const std::string old = MonoWave(Saw(800));
    MakeDevice(device, "\\P", {{"a b.jpg", SolidBmp(20, 20, 200, 0, 0)}, {"a b.jpg.wav", old}});

    const auto asked = RunHeadless(device, "cmd:40047");
    ASSERT_EQ(asked.exitCode, 0) << asked.stderrText;
    EXPECT_EQ(asked.state["messageBox"]["text"].text,
              "The sound of 'a b.jpg' already exist ! \nDo you want to replace it ?");
    EXPECT_EQ(asked.state["messageBox"]["buttons"].text, "yesno");

    // No: the recorder never opens.
    const auto no = RunHeadless(device, "cmd:40047 SoftRight");
    EXPECT_TRUE(no.state["recorder"].IsNull());
    EXPECT_EQ(device.ReadFile(kNote), old);

    // Yes, then Done at once: the old note stays, the flag stays.
    const auto opened = RunHeadless(device, "cmd:40047 SoftLeft");
    EXPECT_EQ(opened.state["recorder"]["title"].text, "Record Sound");
    EXPECT_EQ(opened.state["recorder"]["fileName"].text, kNote + ".xxx");
    device.WriteFile(kNote + ".xxx", "half a recording");
    const auto done = RunHeadless(device, "cmd:40047 SoftLeft SoftRight");
    EXPECT_TRUE(done.state["recorder"].IsNull());
    EXPECT_EQ(device.ReadFile(kNote), old);
    EXPECT_TRUE(done.state["fileList"]["entries"][0]["hasVoiceNote"].boolean);
    EXPECT_FALSE(device.Exists(kNote + ".xxx"));

    // Back closes the recorder as Done does.
    const auto back = RunHeadless(device, "cmd:40047 SoftLeft Back");
    EXPECT_TRUE(back.state["recorder"].IsNull());
    EXPECT_EQ(device.ReadFile(kNote), old);
}

TEST(RecordVoiceNote, YesAndARecordingReplacesTheOldNote) {
    TempDevice device;
    MakeDevice(device, "\\P",
               {{"a b.jpg", SolidBmp(20, 20, 200, 0, 0)}, {"a b.jpg.wav", MonoWave(Saw(800))}});
    const std::string micPath = device.Root() + ".mic.wav";
    ASSERT_TRUE(WriteHostWave(micPath, Saw(8000, 91), 8000, 1));
    // Enter acts as the left softkey; Done while recording stops and keeps the take.
    const auto run =
        RunHeadless(device, "cmd:40047 SoftLeft Enter wait:500 SoftRight", false, Mic(micPath));
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    const plat::DecodedSound note = ReadNote(device, kNote);
    ASSERT_EQ(note.samples.size(), 4000u);
    EXPECT_NEAR(note.samples[100], Saw(8000, 91)[100], 1);
    EXPECT_FALSE(device.Exists(kNote + ".xxx"));
}

TEST(RecordVoiceNote, AFolderUnderTheCursorOpensNothing) {
    TempDevice device;
    MakeDevice(device, "\\P", {{"a b.jpg", SolidBmp(20, 20, 200, 0, 0)}});
    device.MakeFolder("\\P\\Sub");
    const auto run = RunHeadless(device, "cmd:40047 cmd:40048 cmd:40049");
    EXPECT_TRUE(run.state["recorder"].IsNull());
    EXPECT_TRUE(run.state["messageBox"].IsNull());
    EXPECT_EQ(run.state["beeps"].Int(), 0);
}

TEST(PlayVoiceNote, PlaysAtOnceIsRecordedAndClosesWhenTheSoundEnds) {
    TempDevice device;
    MakeDevice(device, "\\P",
               {{"a b.jpg", SolidBmp(20, 20, 200, 0, 0)}, {"a b.jpg.wav", MonoWave(Saw(8000))}});
    const auto playing = RunHeadless(device, "cmd:40048 wait:300");
    ASSERT_EQ(playing.exitCode, 0) << playing.stderrText;
    EXPECT_EQ(playing.state["recorder"]["title"].text, "Play Sound");
    EXPECT_EQ(playing.state["recorder"]["style"].Int(), 0x134);
    EXPECT_TRUE(playing.state["recorder"]["playing"].boolean);
    EXPECT_GE(playing.state["recorder"]["elapsedMs"].Int(), 200);
    ASSERT_EQ(playing.state["sounds"].Size(), 1u);
    EXPECT_EQ(playing.state["sounds"][0]["file"].text, kNote);

    const auto ended = RunHeadless(device, "cmd:40048 wait:1200");
    EXPECT_TRUE(ended.state["recorder"].IsNull());
    EXPECT_TRUE(ended.state["fileList"]["entries"][0]["hasVoiceNote"].boolean);
    EXPECT_EQ(ended.state["sounds"].Size(), 1u);

    // "Stop" ends it early and closes it.
    const auto stopped = RunHeadless(device, "cmd:40048 wait:100 SoftLeft");
    EXPECT_TRUE(stopped.state["recorder"].IsNull());
}

TEST(PlayVoiceNote, AMissingNoteBeepsAndClearsTheFlagABrokenOneSaysSo) {
    TempDevice device;
    MakeDevice(device, "\\P",
               {{"a b.jpg", SolidBmp(20, 20, 200, 0, 0)}, {"a b.jpg.wav", MonoWave(Saw(800))}});
    // The note goes (Delete Sound, Yes); playing then finds none.
    const auto missing = RunHeadless(device, "cmd:40049 SoftLeft cmd:40048");
    ASSERT_EQ(missing.exitCode, 0) << missing.stderrText;
    EXPECT_EQ(missing.state["beeps"].Int(), 1);
    EXPECT_TRUE(missing.state["recorder"].IsNull());
    EXPECT_FALSE(missing.state["fileList"]["entries"][0]["hasVoiceNote"].boolean);

    device.WriteFile(kNote, "RIFF\x10\0\0\0WAVEjunk junk junk");
    const auto broken = RunHeadless(device, "cmd:40048");
    ASSERT_EQ(broken.exitCode, 0) << broken.stderrText;
    EXPECT_EQ(broken.state["messageBox"]["text"].text, "This sound cannot be played.");
    EXPECT_EQ(broken.state["sounds"].Size(), 0u);
    EXPECT_TRUE(device.Exists(kNote));
}

// The note goes on the host while the program runs, so the listing still marks its picture:
// playing finds nothing, beeps and takes the mark off.
TEST(PlayVoiceNote, ANoteDeletedOnTheHostSinceTheListingLosesItsMark) {
    TempDevice device;
    MakeDevice(device, "\\P",
               {{"a b.jpg", SolidBmp(20, 20, 200, 0, 0)}, {"a b.jpg.wav", MonoWave(Saw(800))}});
    plat::DeviceFs::SetRoot(device.Root());
    AppState app;
    app.fileList = std::make_unique<FileList>();
    app.fileList->Scan("\\P");
    ASSERT_EQ(app.fileList->Count(), 1);
    ASSERT_TRUE(app.fileList->GetEntry(0)->hasVoiceNote);

    ASSERT_EQ(std::remove(device.Host(kNote).c_str()), 0);
    const int beeps = plat::WindowSystem::Get().BeepCount();
    PlayVoiceNote(&app);
    EXPECT_FALSE(app.fileList->GetEntry(0)->hasVoiceNote);
    EXPECT_EQ(plat::WindowSystem::Get().BeepCount(), beeps + 1);
}

TEST(DeleteVoiceNote, AsksWithTheFileNameAndClearsTheFlagEvenWhenTheNoteIsAlreadyGone) {
    TempDevice device;
    MakeDevice(device, "\\P",
               {{"a b.jpg", SolidBmp(20, 20, 200, 0, 0)}, {"a b.jpg.wav", MonoWave(Saw(800))}});
    const auto asked = RunHeadless(device, "cmd:40049");
    EXPECT_EQ(asked.state["messageBox"]["text"].text,
              "Do you want to delete the sound of 'a b.jpg' ?");
    EXPECT_TRUE(device.Exists(kNote));  // the host answered No

    // Yes deletes; asking again with the note gone still asks, and Yes neither beeps nor fails.
    const auto again = RunHeadless(device, "cmd:40049 SoftLeft cmd:40049");
    EXPECT_FALSE(device.Exists(kNote));
    EXPECT_EQ(again.state["messageBox"]["text"].text,
              "Do you want to delete the sound of 'a b.jpg' ?");
    const auto gone = RunHeadless(device, "cmd:40049 SoftLeft");
    EXPECT_EQ(gone.state["beeps"].Int(), 0);
    EXPECT_FALSE(gone.state["fileList"]["entries"][0]["hasVoiceNote"].boolean);
}

TEST(HeadlessMicrophone, AFileThatIsNoSoundIsAUsageError) {
    TempDevice device;
    MakeDevice(device, "\\P", {{"a b.jpg", SolidBmp(20, 20, 200, 0, 0)}});
    const std::string micPath = device.Root() + ".mic.txt";
    ASSERT_TRUE(std::ofstream(micPath) << "not a sound at all");
    const auto run = RunHeadless(device, "cmd:40047", false, Mic(micPath));
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.stderrText.find("--mic"), std::string::npos) << run.stderrText;
    EXPECT_FALSE(device.Exists(kNote));
}
