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

constexpr const char* kRegistry = "\\Windows\\registry.reg";
constexpr const char* kSamples = "\\Program Files\\Velloran\\Samples";

// A device with two pictures and a folder in the sample folder, so every view has content.
void MakePictures(const TempDevice& device) {
    device.SkipSampleInstall();
    device.WriteFile(std::string(kSamples) + "\\a.bmp",
                     testing_support::SolidBmp(40, 30, 200, 0, 0));
    device.WriteFile(std::string(kSamples) + "\\b.bmp",
                     testing_support::SolidBmp(30, 40, 0, 200, 0));
}

struct CloseCase {
    const char* state;
    const char* keys;  // "cmd:40015" (4 x 4) first, so written settings can be recognised
};

}  // namespace

TEST(Close, EveryStateEndsWithExitZeroAndTheSettingsWritten) {
    const CloseCase cases[] = {
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
        {"folder-missing message", "cmd:40059 cmd:40046"},
    };
    for (const CloseCase& c : cases) {
        TempDevice device;
        MakePictures(device);
        const auto run = RunHeadless(device, std::string("cmd:40015 ") + c.keys + " close");
        EXPECT_EQ(run.exitCode, 0) << c.state << ": " << run.stderrText;
        EXPECT_EQ(run.stderrText.find("velloran:"), std::string::npos) << c.state << run.stderrText;
        const std::string reg = device.ReadFile(kRegistry);
        EXPECT_NE(reg.find("\"ThumbnailLayout\"=dword:00000002"), std::string::npos)
            << c.state << ":\n"
            << reg;
        // A question left open is answered No: nothing was deleted.
        EXPECT_TRUE(device.Exists(std::string(kSamples) + "\\a.bmp")) << c.state;
    }
}

namespace {

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
    const std::string reg = device.ReadFile(kRegistry);
    EXPECT_NE(reg.find("\"ThumbnailLayout\"=dword:00000002"), std::string::npos) << reg;
    EXPECT_NE(reg.find("\"WorkDirectory\"=\"\\\\Program Files\\\\Velloran\\\\Samples\""),
              std::string::npos)
        << reg;
}
