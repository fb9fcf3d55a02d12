// Voice notes end to end: recording with the headless microphone, replacing, playing and
// deleting notes, and what the recorder does with broken or missing files.
#include "sharing/voice_notes.h"

#include <gtest/gtest.h>
#include <sys/xattr.h>

#include <cerrno>
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
using testing_support::Pick;
using testing_support::RunChecked;
using testing_support::RunHeadless;
using testing_support::SolidBmp;
using testing_support::TempDevice;

namespace {

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
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | static_cast<uint8_t>(b[at + i]);
    return v;
}

// Whether a file carries the hidden mark; true as well on a host file system without user
// extended attributes, where none can be kept.
bool HiddenOnHost(const TempDevice& device, const std::string& devicePath) {
    char value[4] = {};
    const ssize_t n = ::getxattr(device.Host(devicePath).c_str(), plat::kHiddenAttributeName, value,
                                 sizeof value);
    return n < 0 ? errno == ENOTSUP : std::string(value, static_cast<size_t>(n)) == "1";
}

}  // namespace

TEST(RecordVoiceNote, WithoutANoteRecordsOneSecondOfTheMicrophoneAsAHidden8kMonoNote) {
    TempDevice device;
    MakeDevice(device, "\\P", {{"a b.jpg", SolidBmp(20, 20, 200, 0, 0)}});
    const std::vector<int16_t> mic = Saw(16000);
    const std::string micPath = device.Root() + ".mic.wav";
    ASSERT_TRUE(WriteHostWave(micPath, mic, 8000, 1));
    const auto run =
        RunChecked(device, "cmd:40047 SoftLeft wait:1000 SoftLeft SoftRight", Mic(micPath));
    // No question was asked: the only box would have stayed in the way of the recorder.
    EXPECT_EQ(Pick(run.state, "messageBox recorder fileList.entries.0.hasVoiceNote"),
              "null null true");
    EXPECT_FALSE(device.Exists(kNote + ".xxx"));

    const std::string bytes = device.ReadFile(kNote);
    ASSERT_GE(bytes.size(), 44u);
    EXPECT_EQ(bytes.substr(0, 4) + bytes.substr(8, 4), "RIFFWAVE");
    // PCM, mono, 8,000 Hz, 16-bit.
    EXPECT_EQ((std::vector<uint32_t>{Le(bytes, 20, 2), Le(bytes, 22, 2), Le(bytes, 24, 4),
                                     Le(bytes, 34, 2)}),
              (std::vector<uint32_t>{1, 1, 8000, 16}));
    const plat::DecodedSound note = ReadNote(device, kNote);
    ASSERT_EQ(note.samples.size(), 8000u);
    for (size_t i = 0; i < note.samples.size(); ++i)
        ASSERT_NEAR(note.samples[i], mic[i], 1) << "sample " << i;
    EXPECT_TRUE(HiddenOnHost(device, kNote));
}

TEST(RecordVoiceNote, AStereo22kMicrophoneIsMixedAndResampledAndSilenceFollowsItsEnd) {
    TempDevice device;
    MakeDevice(device, "\\P", {{"a.jpeg", SolidBmp(20, 20, 0, 200, 0)}});
    // Half a second of a loud 500 Hz tone on both channels.
    std::vector<int16_t> stereo(11025 * 2);
    for (size_t i = 0; i < stereo.size() / 2; ++i) {
        const auto v = static_cast<int16_t>(20000 * std::sin(2 * M_PI * 500.0 * i / 22050.0));
        stereo[2 * i] = stereo[2 * i + 1] = v;
    }
    const std::string micPath = device.Root() + ".mic.wav";
    ASSERT_TRUE(WriteHostWave(micPath, stereo, 22050, 2));
    RunChecked(device, "cmd:40047 SoftLeft wait:400 wait:600 SoftLeft SoftRight", Mic(micPath));
    // The note of a.jpeg is a.jpeg.wav, never a.wav.
    EXPECT_FALSE(device.Exists("\\P\\a.wav"));
    const plat::DecodedSound note = ReadNote(device, "\\P\\a.jpeg.wav");
    EXPECT_EQ(note.rate, 8000);
    EXPECT_EQ(note.channels, 1);
    ASSERT_EQ(note.samples.size(), 8000u);
    int firstHalfPeak = 0;
    int lastQuarterPeak = 0;
    for (size_t i = 0; i < 8000; ++i) {
        int& peak = i < 3800 ? firstHalfPeak : lastQuarterPeak;
        if (i < 3800 || i >= 6000)
            peak = std::max(peak, std::abs(static_cast<int>(note.samples[i])));
    }
    EXPECT_GT(firstHalfPeak, 15000);
    EXPECT_EQ(lastQuarterPeak, 0);
}

// Over an old note: No keeps it; Yes then Done (or Back) without recording keeps it too, and
// a temporary left over from an earlier recording is never taken for the new one.
TEST(RecordVoiceNote, OverAnOldNoteNoKeepsItAndYesThenDoneWithoutRecordingKeepsItToo) {
    TempDevice device;
    const std::string old = MonoWave(Saw(800));
    MakeDevice(device, "\\P", {{"a b.jpg", SolidBmp(20, 20, 200, 0, 0)}, {"a b.jpg.wav", old}});
    device.WriteFile(kNote + ".xxx", "half a recording");
    RunChecked(device,
               "cmd:40047 @asked SoftRight @no cmd:40047 SoftLeft @opened SoftRight @done "
               "cmd:40047 SoftLeft Back @back");
    EXPECT_EQ(Pick(device.TakenState("asked"), "messageBox.text messageBox.buttons"),
              "The sound of 'a b.jpg' already exist ! \nDo you want to replace it ? yesno");
    EXPECT_EQ(Pick(device.TakenState("no"), "recorder"), "null");
    EXPECT_EQ(Pick(device.TakenState("opened"), "recorder.title recorder.fileName"),
              "Record Sound " + kNote + ".xxx");
    EXPECT_EQ(Pick(device.TakenState("done"), "recorder fileList.entries.0.hasVoiceNote"),
              "null true");
    EXPECT_EQ(Pick(device.TakenState("back"), "recorder"), "null");
    EXPECT_EQ(device.ReadFile(kNote), old);
    EXPECT_FALSE(device.Exists(kNote + ".xxx"));
}

TEST(RecordVoiceNote, YesAndARecordingReplacesTheOldNote) {
    TempDevice device;
    MakeDevice(device, "\\P",
               {{"a b.jpg", SolidBmp(20, 20, 200, 0, 0)}, {"a b.jpg.wav", MonoWave(Saw(800))}});
    const std::string micPath = device.Root() + ".mic.wav";
    ASSERT_TRUE(WriteHostWave(micPath, Saw(8000, 91), 8000, 1));
    // Enter acts as the left softkey; Done while recording stops and keeps the take.
    RunChecked(device, "cmd:40047 SoftLeft Enter wait:500 SoftRight", Mic(micPath));
    const plat::DecodedSound note = ReadNote(device, kNote);
    ASSERT_EQ(note.samples.size(), 4000u);
    EXPECT_NEAR(note.samples[100], Saw(8000, 91)[100], 1);
    EXPECT_FALSE(device.Exists(kNote + ".xxx"));
}

// Play plays at once and closes when the sound ends or on Stop. Delete asks with the file name
// (No keeps the note: it still plays), and Yes clears the flag even when the note is already
// gone. Playing a missing note beeps and clears the flag; a broken one says so.
TEST(PlayAndDeleteVoiceNote, PlayStopDeleteMissingAndBrokenNotes) {
    TempDevice device;
    MakeDevice(device, "\\P",
               {{"a b.jpg", SolidBmp(20, 20, 200, 0, 0)},
                {"a b.jpg.wav", MonoWave(Saw(8000))},
                {"c.jpg", SolidBmp(20, 20, 0, 0, 200)},
                {"c.jpg.wav", std::string("RIFF\x10\0\0\0WAVEjunk junk junk", 26)}});
    RunChecked(
        device,
        "cmd:40048 wait:300 @playing wait:900 @ended cmd:40048 wait:100 SoftLeft "
        "@stopped cmd:40049 @asked SoftRight @kept cmd:40048 wait:100 SoftLeft cmd:40049 SoftLeft "
        "@deleted "
        "cmd:40049 @again SoftLeft @gone cmd:40048 @missing Right cmd:40048 @broken");
    const testing_support::Json playing = device.TakenState("playing");
    EXPECT_EQ(Pick(playing, "recorder.title recorder.style recorder.playing sounds sounds.0.file"),
              "Play Sound 308 true [1] " + kNote);
    EXPECT_GE(playing["recorder"]["elapsedMs"].Int(), 200);
    EXPECT_EQ(Pick(device.TakenState("ended"), "recorder fileList.entries.0.hasVoiceNote sounds"),
              "null true [1]");
    EXPECT_EQ(Pick(device.TakenState("stopped"), "recorder sounds"), "null [2]");
    const std::string question = "Do you want to delete the sound of 'a b.jpg' ?";
    EXPECT_EQ(Pick(device.TakenState("asked"), "messageBox.text"), question);
    EXPECT_EQ(Pick(device.TakenState("kept"), "messageBox fileList.entries.0.hasVoiceNote"),
              "null true");
    EXPECT_EQ(Pick(device.TakenState("deleted"), "fileList.entries.0.hasVoiceNote"), "false");
    EXPECT_EQ(Pick(device.TakenState("again"), "messageBox.text"), question);
    EXPECT_EQ(Pick(device.TakenState("gone"), "beeps fileList.entries.0.hasVoiceNote"), "0 false");
    EXPECT_EQ(Pick(device.TakenState("missing"), "beeps recorder fileList.entries.0.hasVoiceNote"),
              "1 null false");
    EXPECT_EQ(Pick(device.TakenState("broken"), "messageBox.text sounds"),
              "This sound cannot be played. [3]");
    EXPECT_FALSE(device.Exists(kNote));
    EXPECT_TRUE(device.Exists("\\P\\c.jpg.wav"));
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
