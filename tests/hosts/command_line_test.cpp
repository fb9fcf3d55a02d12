// The emulated phone's command line: strict options in both spellings, help and version,
// key-script values, output files that cannot be written, and the second start.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "browser/browser_commands.h"
#include "hosts/host_options.h"
#include "platform/os/single_instance.h"
#include "tests/support/headless.h"

using testing_support::RunHeadless;
using testing_support::RunProgram;
using testing_support::TempDevice;

namespace {

std::vector<std::string> Headless(const TempDevice& device, std::vector<std::string> more) {
    std::vector<std::string> args = {"--headless", "--device-root", device.Root(), "--keys",
                                     "Right"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

}  // namespace

TEST(CommandLine, BadOptionValuesAreUsageErrorsThatNameTheOption) {
    TempDevice device;
    device.SkipSampleInstall();
    // Options with values they refuse, and single words that are wrong as they stand.
    const std::pair<std::string, std::vector<std::string>> refused[] = {
        {"--scale", {"2abc", "2.5", "9", "-1"}},
        {"--screen", {"176x220x", "176x2001", " 176x220"}},
        {"--ir-peer", {"foo", "A=host:99999", "A=host:0", "=host:650"}},
        {"--mic", {"/missing.wav", "/"}}};
    std::vector<std::vector<std::string>> bad;
    for (const auto& [option, values] : refused) {
        for (const std::string& value : values) {
            bad.push_back({option, value});
        }
    }
    for (const char* word : {"--scale=0", "--screen=119x220", "--ir-peer=A=:650", "--keys",
                             "--state=", "--headless=1", "--bogus", "/no/such/folder"}) {
        bad.push_back({word});
    }
    for (const auto& extra : bad) {
        const auto run = RunProgram(Headless(device, extra));
        EXPECT_EQ(run.exitCode, 2) << extra.back();
        EXPECT_NE(run.stderrText.find("velloran: "), std::string::npos) << extra.back();
        EXPECT_NE(run.stderrText.find("usage:"), std::string::npos) << extra.back();
    }
    // An empty device root is refused before anything is made.
    const auto empty = RunProgram({"--headless", "--device-root", "", "--keys", "Right"});
    EXPECT_EQ(empty.exitCode, 2);
    EXPECT_NE(empty.stderrText.find("--device-root"), std::string::npos);
    // A device root that cannot be made is no usage error but cannot run.
    const auto unusable =
        RunProgram({"--headless", "--device-root", "/proc/1/nope/device", "--keys", "Right"});
    EXPECT_EQ(unusable.exitCode, 1);
    EXPECT_NE(unusable.stderrText.find("device root"), std::string::npos);
}

TEST(CommandLine, BothSpellingsOfAValueWork) {
    TempDevice device;
    device.SkipSampleInstall();
    const auto spaced = RunHeadless(device, "Right", false, {"--screen", "200x240"});
    ASSERT_EQ(spaced.exitCode, 0) << spaced.stderrText;
    EXPECT_EQ(spaced.state["clientWidth"].Int(), 200);

    const auto joined =
        RunProgram({"--headless", "--device-root=" + device.Root(), "--screen=240x300", "--scale=3",
                    "--keys=Right Right", "--state=" + device.Host("\\eq.json"),
                    "--ir-peer=Desk=127.0.0.1:650"});
    ASSERT_EQ(joined.exitCode, 0) << joined.stderrText;
    testing_support::Json json;
    ASSERT_TRUE(testing_support::ParseJson(device.ReadFile("\\eq.json"), &json));
    EXPECT_EQ(testing_support::Pick(json, "clientWidth clientHeight"), "240 260");
}

TEST(CommandLine, VersionMatchesTheAboutBoxAndHelpCoversEverything) {
    const auto version = RunProgram({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.stdoutText, "velloran 1.0\n");
    // The About box says "Version 1.0": the two must not drift apart.
    EXPECT_EQ("Version " + version.stdoutText.substr(9, 3), std::string(kAboutLines[1]));

    const auto help = RunProgram({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.stderrText.empty());
    for (const char* needle :
         {"--device-root",  "--screen",       "120 to 2000", "--scale",      "1 to 8",
          "--ir-peer",      "1 to 65535",     "--headless",  "--keys",       "--screenshot",
          "--state",        "--mic",          "--help",      "--version",    "PATH",
          "Storage Card",   "Exit codes",     "0 done",      "1 cannot run", "2 usage",
          "3 another copy", "4 a screenshot", "F1",          "F2",           "Esc",
          "wait:MS",        "close"}) {
        EXPECT_NE(help.stdoutText.find(needle), std::string::npos) << needle;
    }
}

TEST(CommandLine, KeyScriptValuesAreCheckedBeforeAnythingRuns) {
    TempDevice device;
    device.SkipSampleInstall();
    for (const char* token : {"Sideways", "wait:abc", "wait:-5", "wait:", "wait:5x", "cmd:xyz",
                              "cmd:", "cmd:40015abc", "cmd:0", "cmd:70000", "Right*0", "Right*x",
                              "Right*5x", "type:", "shot:", "state:", "close Right"}) {
        const auto run = RunProgram({"--headless", "--device-root", device.Root(), "--keys",
                                     std::string("Right ") + token});
        EXPECT_EQ(run.exitCode, 2) << token;
        const std::string named = std::string(token).substr(0, std::string(token).find(' '));
        EXPECT_NE(run.stderrText.find(named), std::string::npos) << token << run.stderrText;
        // Nothing ran: the device root holds no settings.
        EXPECT_FALSE(device.Exists("\\Windows\\registry.reg")) << token;
    }
    const auto good = RunHeadless(device, "wait:0 cmd:40015 Right*3 wait:250");
    EXPECT_EQ(good.exitCode, 0) << good.stderrText;
    EXPECT_EQ(good.state["thumbnailLayout"].Int(), 2);
}

TEST(CommandLine, OutputsThatCannotBeWrittenExitFourAndSayWhy) {
    TempDevice device;
    device.SkipSampleInstall();
    const std::string missing = device.Root() + "/no/such/folder/out";
    for (const auto& extra : std::vector<std::vector<std::string>>{
             {"--screenshot", missing + ".png"},
             {"--state", missing + ".json"},
         }) {
        const auto run = RunProgram(Headless(device, extra));
        EXPECT_EQ(run.exitCode, 4) << extra[0];
        EXPECT_NE(run.stderrText.find("cannot write " + extra[1]), std::string::npos);
        EXPECT_NE(run.stderrText.find("No such file or directory"), std::string::npos);
    }
    // A shot in the middle of the script: the rest is not played, the settings are kept.
    const auto mid = RunProgram({"--headless", "--device-root", device.Root(), "--keys",
                                 "cmd:40014 shot:" + missing + ".png cmd:40015"});
    EXPECT_EQ(mid.exitCode, 4);
    EXPECT_NE(device.ReadSettings().find("\"ThumbnailLayout\"=dword:00000001"), std::string::npos);
    // A folder where the file should go.
    const auto folder = RunProgram(Headless(device, {"--state", device.Root()}));
    EXPECT_EQ(folder.exitCode, 4);
    EXPECT_NE(folder.stderrText.find("Is a directory"), std::string::npos) << folder.stderrText;
}

TEST(CommandLine, ASecondStartSaysItBroughtTheRunningCopyForward) {
    TempDevice device;
    device.SkipSampleInstall();
    plat::SingleInstance first;
    ASSERT_EQ(first.Acquire(device.Root()), plat::SingleInstance::Result::kFirst);
    const auto run = RunHeadless(device, "Right");
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(first.PollRaise());
    EXPECT_NE(run.stderrText.find("already running"), std::string::npos) << run.stderrText;
    EXPECT_NE(run.stderrText.find("brought that copy forward"), std::string::npos);
    EXPECT_NE(run.stderrText.find("not played"), std::string::npos);
}
