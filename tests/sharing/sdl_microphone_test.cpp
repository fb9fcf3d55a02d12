// Recording through the SDL host's microphone with SDL's disk audio driver standing in for a
// capture device: the recorder control writes what the device delivered.
#include "hosts/sdl/sdl_microphone.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/os/device_fs.h"
#include "platform/shell/message_box.h"
#include "platform/shell/shell.h"
#include "platform/toolkit/voice_recorder.h"
#include "tests/sharing/sharing_support.h"
#include "tests/support/script_host.h"

namespace {

// An in-process host whose microphone is the SDL one. Reading waits (in bounded steps) until
// the capture device has delivered at least `expected` samples, so the outcome never depends
// on how fast the capture thread runs.
class SdlMicHost : public testing_support::ScriptHost {
  public:
    bool OpenMicrophone(int rate) override { return microphone.Open(rate); }
    void ReadMicrophone(std::vector<int16_t>* samples) override {
        for (int i = 0; i < 5000 && delivered < expected; ++i) {
            const size_t before = samples->size();
            microphone.Read(samples);
            delivered += samples->size() - before;
            if (delivered < expected)
                SDL_Delay(1);
        }
    }
    void CloseMicrophone() override { microphone.Close(); }

    SdlMicrophone microphone;
    size_t expected = 0;
    size_t delivered = 0;
};

// Runs the recorder on \note.wav of `device` with `host`, whose queued actions press the keys.
void RunRecorder(const testing_support::TempDevice& device, testing_support::ScriptHost* host) {
    plat::DeviceFs::SetRoot(device.Root());
    plat::WindowSystem& ws = plat::WindowSystem::Get();
    ws.Init(host, 176, 220);
    plat::Shell::Init();
    plat::VoiceRecorderRequest request;
    request.fileName = "\\note.wav";
    EXPECT_EQ(plat::RunVoiceRecorder(request), 1);
    EXPECT_TRUE(host->actions.empty());
    ws.Shutdown();
}

void Press(unsigned key) {
    plat::WindowSystem::Get().PostKey(key, true);
}

class SdlDiskMicrophone : public ::testing::Test {
  protected:
    void SetUp() override {
        input_ = sharing_tests::Saw(6000, 53);
        inPath_ = device_.Root() + ".in.raw";
        outPath_ = device_.Root() + ".out.raw";
        std::FILE* f = std::fopen(inPath_.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(input_.data(), sizeof(int16_t), input_.size(), f);
        std::fclose(f);
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILEIN", inPath_.c_str(), 1);
        setenv("SDL_DISKAUDIOFILE", outPath_.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "1", 1);
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
    }
    void TearDown() override {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        unsetenv("SDL_AUDIODRIVER");
        std::remove(inPath_.c_str());
        std::remove(outPath_.c_str());
    }

    testing_support::TempDevice device_;
    std::vector<int16_t> input_;
    std::string inPath_;
    std::string outPath_;
};

}  // namespace

TEST_F(SdlDiskMicrophone, TheRecorderWritesTheCapturedSamplesAs8kMonoPcm) {
    SdlMicHost host;
    host.expected = input_.size();
    // Record, let a tick pass, stop, done.
    host.actions = {[] { Press(plat::VK_TSOFT1); }, [&host] { host.now += 150; },
                    [] { Press(plat::VK_TSOFT1); }, [] { Press(plat::VK_TSOFT2); }};
    RunRecorder(device_, &host);
    plat::DecodedSound note;
    ASSERT_TRUE(plat::DecodeWave(device_.ReadFile("\\note.wav"), &note));
    EXPECT_EQ(note.rate, 8000);
    EXPECT_EQ(note.channels, 1);
    ASSERT_GE(note.samples.size(), input_.size());
    for (size_t i = 0; i < input_.size(); ++i)
        ASSERT_EQ(note.samples[i], input_[i]) << "sample " << i;
}

TEST_F(SdlDiskMicrophone, OpensAtTheAskedRateAndClosesCleanly) {
    SdlMicrophone microphone;
    ASSERT_TRUE(microphone.Open(8000));
    EXPECT_TRUE(microphone.IsOpen());
    microphone.Close();
    EXPECT_FALSE(microphone.IsOpen());
    std::vector<int16_t> none;
    microphone.Read(&none);
    EXPECT_TRUE(none.empty());
    EXPECT_FALSE(microphone.Open(0));
}

TEST(VoiceRecorderWithoutMicrophone, SaysSoAndWritesNothing) {
    testing_support::TempDevice device;
    testing_support::ScriptHost host;  // a host without a capture device
    std::string said;
    host.actions = {[] { Press(plat::VK_TSOFT1); },
                    [&said] {
                        if (const plat::MessageBoxInfo* box = plat::OpenMessageBox())
                            said = box->text;
                        Press(plat::VK_RETURN);
                    },
                    [] { Press(plat::VK_TSOFT2); }};
    RunRecorder(device, &host);
    EXPECT_EQ(said, "No microphone is available, so nothing can be recorded.");
    EXPECT_FALSE(device.Exists("\\note.wav"));
    EXPECT_FALSE(device.Exists("\\note.wav.xxx"));
}
