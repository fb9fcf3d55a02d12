// Careless input: long random key scripts over every view, menu and dialog must never crash,
// hang or leave the program unable to exit.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/support/headless.h"

using testing_support::RunHeadless;
using testing_support::SolidBmp;
using testing_support::TempDevice;

namespace {

std::string RandomScript(uint32_t seed) {
    static const std::vector<std::string> keys = {
        "Left",     "Right",     "Up",   "Down",  "Enter", "Back",   "Home",
        "SoftLeft", "SoftRight", "Star", "Pound", "0",     "1",      "2",
        "3",        "4",         "5",    "6",     "8",     "Right*4"};
    static const std::vector<int> commands = {
        40007, 40008, 40009, 40010, 40013, 40015, 40017, 40018, 40020, 40021, 40022, 40028,
        40029, 40036, 40038, 40039, 40040, 40041, 40042, 40043, 40044, 40045, 40059, 40060};
    std::mt19937 rng(seed);
    std::string script;
    for (int i = 0; i < 80; ++i) {
        const int kind = static_cast<int>(rng() % 100);
        if (kind < 12) {
            script += "cmd:" + std::to_string(commands[rng() % commands.size()]);
        } else if (kind < 18) {
            script += "wait:" + std::to_string(250 * (1 + rng() % 8));
        } else if (kind < 20) {
            script += "type:Holiday_" + std::to_string(rng() % 100);
        } else {
            script += keys[rng() % keys.size()];
        }
        script += ' ';
    }
    return script;
}

}  // namespace

TEST(RandomKeys, NeverCrashHangOrBreakTheSettings) {
    TempDevice device;
    device.SkipSampleInstall();
    device.WriteFile("\\Program Files\\Velloran\\Samples\\a.bmp", SolidBmp(300, 200, 200, 40, 40));
    device.WriteFile("\\Program Files\\Velloran\\Samples\\b.bmp", SolidBmp(90, 160, 40, 200, 40));
    device.WriteFile("\\Program Files\\Velloran\\Samples\\c.jpg", "\xFF\xD8 broken");
    device.WriteFile("\\Program Files\\Velloran\\Samples\\Inner\\d.bmp", SolidBmp(20, 20, 1, 2, 3));
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        const std::string script = RandomScript(seed);
        // Infrared sends go to a closed port, never to the OBEX port another test may serve.
        const auto run = RunHeadless(device, script, false, {"--ir-peer", "nobody=127.0.0.1:9"});
        ASSERT_EQ(run.exitCode, 0) << "seed " << seed << ": " << script << "\n" << run.stderrText;
        EXPECT_EQ(run.stderrText.find("runtime error"), std::string::npos) << run.stderrText;
        EXPECT_EQ(run.stderrText.find("Sanitizer"), std::string::npos) << run.stderrText;
        // The program ended as "Exit" does: the settings file is whole and readable.
        const std::string reg = device.ReadFile("\\Windows\\registry.reg");
        EXPECT_EQ(reg.rfind("REGEDIT4", 0), 0u) << "seed " << seed;
        EXPECT_NE(reg.find("\"OptimizedMemory\""), std::string::npos) << "seed " << seed;
    }
}
