// Closing the window (as a window manager does, or by SIGTERM) in every state of the program
// ends it with exit code 0 and its settings written, and answers open questions with No.
#include <gtest/gtest.h>

#include <csignal>

#include "hosts/app_runner.h"
#include "hosts/close_signals.h"
#include "hosts/headless/headless_host.h"
#include "tests/support/headless.h"

using testing_support::RunHeadless;
using testing_support::TempDevice;

namespace {

const std::string kSamples = "\\Program Files\\Velloran\\Samples";
const std::string kFourByFour = "\"ThumbnailLayout\"=dword:00000002";

// A device with two pictures in the sample folder, so every view has content.
void MakePictures(const TempDevice& device) {
    device.SkipSampleInstall();
    device.WriteFile(kSamples + "\\a.bmp", testing_support::SolidBmp(40, 30, 200, 0, 0));
    device.WriteFile(kSamples + "\\b.bmp", testing_support::SolidBmp(30, 40, 0, 200, 0));
}

// The headless host, with SIGTERM arriving once the folder tree is open.
class SignalHost : public HeadlessHost {
  public:
    using HeadlessHost::HeadlessHost;
    void WaitForEvents(int64_t timeoutMs) override {
        const auto& modals = plat::WindowSystem::Get().Modals();
        if (!raised && !modals.empty() && modals.back().kind == "dialog") {
            raised = true;
            std::raise(SIGTERM);
        }
        HeadlessHost::WaitForEvents(timeoutMs);
    }
    bool raised = false;
};

}  // namespace

TEST(Close, EveryStateEndsWithExitZeroAndTheSettingsWritten) {
    // Each script starts with "cmd:40015" (4 x 4), so written settings can be recognised.
    const std::pair<const char*, const char*> cases[] = {
        {"grid", ""},
        {"image view", "Enter"},
        {"full screen", "Enter 5"},
        {"Menu popup", "SoftLeft"},
        {"Menu's Options submenu", "SoftLeft Up Up Up Up Up Up Up Up Right"},
        {"Action popup", "SoftRight"},
        {"image Action popup", "Enter SoftRight"},
        {"Icon Size submenu", "SoftRight Right"},
        {"folder tree", "cmd:40009"},
        {"folder tree from the image view", "Enter cmd:40009"},
        {"slide show", "cmd:40010 wait:300"},
        {"slide show from full screen", "Enter 5 cmd:40010 wait:1300"},
        {"system information", "cmd:40038"},
        {"general options", "cmd:40039"},
        {"slide-show options", "cmd:40043"},
        {"slide-show options' menu", "cmd:40043 SoftLeft"},
        {"add to favourites", "cmd:40044"},
        {"favourites editor", "cmd:40044 cmd:40001 cmd:40045"},
        {"favourites editor's menu", "cmd:40044 cmd:40001 cmd:40045 SoftRight"},
        {"favourite rename", "cmd:40044 cmd:40001 cmd:40045 cmd:40057"},
        {"properties", "Enter cmd:40021"},
        {"about box", "cmd:40060"},
        {"delete question", "Enter cmd:40022"},
        {"folder-missing message", "cmd:40059 cmd:40046"}};
    for (const auto& [state, keys] : cases) {
        SCOPED_TRACE(state);
        TempDevice device;
        MakePictures(device);
        const auto run = RunHeadless(device, std::string("cmd:40015 ") + keys + " close");
        EXPECT_EQ(run.exitCode, 0) << run.stderrText;
        EXPECT_EQ(run.stderrText.find("velloran:"), std::string::npos) << run.stderrText;
        EXPECT_NE(device.ReadSettings().find(kFourByFour), std::string::npos)
            << device.ReadSettings();
        // A question left open is answered No: nothing was deleted.
        EXPECT_TRUE(device.Exists(kSamples + "\\a.bmp"));
    }
}

TEST(Close, SigtermInTheFolderTreeEndsLikeAClose) {
    TempDevice device;
    MakePictures(device);
    HostOptions options;
    options.deviceRoot = device.Root();
    options.headless = true;
    // Without the signal the script would leave the tree open and go on to the image view.
    options.keys = "cmd:40015 cmd:40009 Down Down Enter Enter";
    InstallCloseSignals();
    AppRunner runner(options);
    ASSERT_EQ(runner.Prepare(3), -1);
    SignalHost host(options);
    EXPECT_EQ(runner.Run(&host), 0);
    EXPECT_TRUE(host.raised);
    const std::string reg = device.ReadSettings();
    EXPECT_NE(reg.find(kFourByFour), std::string::npos) << reg;
    EXPECT_NE(reg.find("\"WorkDirectory\"=\"\\\\Program Files\\\\Velloran\\\\Samples\""),
              std::string::npos)
        << reg;
}
