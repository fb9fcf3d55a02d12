#include "platform/os/process.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <sstream>
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
    const std::pair<const char*, Strings> cases[] = {
        {"", {}},
        {"  a\t b  ", {"a", "b"}},
        {"-attach \"\\My Documents\\a b.jpg\" x", {"-attach", "\\My Documents\\a b.jpg", "x"}},
        {"\\Windows\\x", {"\\Windows\\x"}},
        {"a\\\"b", {"a\"b"}},
        {"\"a\\\\\" b", {"a\\", "b"}},
        {"\"\"", {""}},
        {"\"open", {"open"}},
    };
    for (const auto& [line, words] : cases) {
        EXPECT_EQ(plat::SplitCommandLine(line), words) << line;
    }
}

// What a Processes recorded, one "program|command line" each.
Strings Recorded(const Processes& processes) {
    Strings out;
    for (const plat::StartedProcess& p : processes.Started()) {
        out.push_back(p.program + "|" + p.commandLine);
    }
    return out;
}

class ProcessesTest : public ::testing::Test {
  protected:
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
    EXPECT_EQ(Recorded(processes_),
              (Strings{"\\Windows\\tmail.exe|-service \"MMS\"", "\\Help\\index.htm|"}));
    processes_.ClearStarted();
    EXPECT_TRUE(processes_.Started().empty());
}

TEST_F(ProcessesTest, UnmappedOrMissingProgramsFailWhenLaunching) {
    EXPECT_FALSE(processes_.Start("\\Windows\\tmail.exe", ""));
    // A program that is not there, and a file that is no program.
    for (const char* command : {"velloran-no-such-program --x", "/etc/passwd"}) {
        processes_.MapProgram("\\Windows\\tmail.exe", command);
        EXPECT_FALSE(processes_.Start("\\Windows\\tmail.exe", "")) << command;
    }
    EXPECT_TRUE(processes_.Started().empty());
}

TEST_F(ProcessesTest, MappedProgramRunsDetachedWithItsArgumentsUntouched) {
    const std::string out = device_.Root() + "/args.txt";
    const std::string script = device_.Root() + "/fake-mail";
    std::ofstream(script) << "#!/bin/sh\nprintf '[%s]\\n' \"$@\" > '" << out << ".tmp'\nmv '" << out
                          << ".tmp' '" << out << "'\n";
    ASSERT_EQ(::chmod(script.c_str(), 0755), 0);
    ASSERT_TRUE(DeviceFs::CreateFolders("\\My Documents"));
    ASSERT_TRUE(DeviceFs::WriteAtomic("\\My Documents\\a b.jpg", "x"));
    processes_.MapProgram("\\Windows\\TMAIL.EXE", script + " -compose");
    const std::string injection = "$(touch " + device_.Root() + "/pwned); `id`";
    const std::string commandLine =
        "-attach \"\\My Documents\\a b.jpg\" \"" + injection + "\" \\Nowhere\\x.jpg";
    ASSERT_TRUE(processes_.Start("\\windows\\tmail.exe", commandLine));

    // The program runs on its own: wait (a generous minute at most) for the file it writes.
    struct stat st {};
    for (int i = 0; i < 6000 && ::stat(out.c_str(), &st) != 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::stringstream args;
    args << std::ifstream(out).rdbuf();
    EXPECT_EQ(args.str(), "[-compose]\n[-attach]\n[" + device_.Root() +
                              "/My Documents/a b.jpg]\n[" + injection + "]\n[\\Nowhere\\x.jpg]\n");
    EXPECT_FALSE(DeviceFs::Exists("\\pwned"));
    EXPECT_EQ(Recorded(processes_), Strings{"\\windows\\tmail.exe|" + commandLine});

    // Nothing is left for us to reap.
    int status = 0;
    errno = 0;
    EXPECT_EQ(::waitpid(-1, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

}  // namespace
