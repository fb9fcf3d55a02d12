#include "platform/os/process.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/os/device_fs.h"
#include "tests/platform/temp_device.h"

namespace {

using plat::DeviceFs;
using plat::Processes;
using Strings = std::vector<std::string>;

TEST(SplitCommandLine, FollowsThePhoneRuntimeRules) {
    EXPECT_EQ(plat::SplitCommandLine(""), Strings{});
    EXPECT_EQ(plat::SplitCommandLine("  a\t b  "), (Strings{"a", "b"}));
    EXPECT_EQ(plat::SplitCommandLine("-attach \"\\My Documents\\a b.jpg\" x"),
              (Strings{"-attach", "\\My Documents\\a b.jpg", "x"}));
    EXPECT_EQ(plat::SplitCommandLine("\\Windows\\x"), Strings{"\\Windows\\x"});
    EXPECT_EQ(plat::SplitCommandLine("a\\\"b"), Strings{"a\"b"});
    EXPECT_EQ(plat::SplitCommandLine("\"a\\\\\" b"), (Strings{"a\\", "b"}));
    EXPECT_EQ(plat::SplitCommandLine("\"\""), Strings{""});
    EXPECT_EQ(plat::SplitCommandLine("\"open"), Strings{"open"});
}

class ProcessesTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_FALSE(device_.Root().empty()); }

    plat_test::TempDevice device_;
    Processes processes_;
};

TEST_F(ProcessesTest, WithLaunchingOffEverythingIsRecordedOnly) {
    processes_.SetLaunchEnabled(false);
    ASSERT_TRUE(DeviceFs::CreateFolders("\\Help"));
    ASSERT_TRUE(DeviceFs::WriteAtomic("\\Help\\index.htm", "<html></html>"));
    EXPECT_TRUE(processes_.Start("\\Windows\\tmail.exe", "-service \"MMS\""));
    EXPECT_TRUE(processes_.ShellOpen("\\Help\\index.htm"));
    EXPECT_FALSE(processes_.ShellOpen("\\Help\\missing.htm"));
    ASSERT_EQ(processes_.Started().size(), 2u);
    EXPECT_EQ(processes_.Started()[0].program, "\\Windows\\tmail.exe");
    EXPECT_EQ(processes_.Started()[0].commandLine, "-service \"MMS\"");
    EXPECT_EQ(processes_.Started()[1].program, "\\Help\\index.htm");
    processes_.ClearStarted();
    EXPECT_TRUE(processes_.Started().empty());
}

TEST_F(ProcessesTest, UnmappedOrMissingProgramsFailWhenLaunching) {
    EXPECT_FALSE(processes_.Start("\\Windows\\tmail.exe", ""));
    processes_.MapProgram("\\Windows\\tmail.exe", "velloran-no-such-program --x");
    EXPECT_FALSE(processes_.Start("\\Windows\\tmail.exe", ""));
    processes_.MapProgram("\\Windows\\tmail.exe", "/etc/passwd");  // not executable
    EXPECT_FALSE(processes_.Start("\\Windows\\tmail.exe", ""));
    EXPECT_TRUE(processes_.Started().empty());
}

// Waits for the file a started program writes, for at most 5 seconds.
bool WaitForFile(const std::string& path, std::string* text) {
    for (int i = 0; i < 500; ++i) {
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0) {
            FILE* f = std::fopen(path.c_str(), "rb");
            if (!f) {
                return false;
            }
            char buffer[4096];
            const size_t n = std::fread(buffer, 1, sizeof buffer, f);
            std::fclose(f);
            text->assign(buffer, n);
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST_F(ProcessesTest, MappedProgramRunsDetachedWithItsArgumentsUntouched) {
    const std::string out = device_.Root() + "/args.txt";
    const std::string script = device_.Root() + "/fake-mail";
    {
        FILE* f = std::fopen(script.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fprintf(f, "#!/bin/sh\nprintf '[%%s]\\n' \"$@\" > '%s.tmp'\nmv '%s.tmp' '%s'\n",
                     out.c_str(), out.c_str(), out.c_str());
        std::fclose(f);
        ASSERT_EQ(::chmod(script.c_str(), 0755), 0);
    }
    ASSERT_TRUE(DeviceFs::CreateFolders("\\My Documents"));
    ASSERT_TRUE(DeviceFs::WriteAtomic("\\My Documents\\a b.jpg", "x"));
    processes_.MapProgram("\\Windows\\TMAIL.EXE", script + " -compose");
    const std::string injection = "$(touch " + device_.Root() + "/pwned); `id`";
    const std::string commandLine =
        "-attach \"\\My Documents\\a b.jpg\" \"" + injection + "\" \\Nowhere\\x.jpg";
    ASSERT_TRUE(processes_.Start("\\windows\\tmail.exe", commandLine));

    std::string args;
    ASSERT_TRUE(WaitForFile(out, &args));
    EXPECT_EQ(args, "[-compose]\n[-attach]\n[" + device_.Root() + "/My Documents/a b.jpg]\n[" +
                        injection + "]\n[\\Nowhere\\x.jpg]\n");
    EXPECT_FALSE(DeviceFs::Exists("\\pwned"));
    ASSERT_EQ(processes_.Started().size(), 1u);
    EXPECT_EQ(processes_.Started()[0].commandLine, commandLine);

    // Nothing is left for us to reap.
    int status = 0;
    errno = 0;
    EXPECT_EQ(::waitpid(-1, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

}  // namespace
