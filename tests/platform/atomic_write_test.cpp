// Writing users' files: a replaced file is the old one or the new one, whole; files and folders
// are made, renamed and removed only as asked.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/os/device_fs.h"
#include "tests/platform/temp_device.h"

namespace {

using plat::DeviceFs;

std::string Read(const std::string& devicePath) {
    std::string bytes;
    EXPECT_TRUE(DeviceFs::ReadAll(devicePath, &bytes)) << devicePath;
    return bytes;
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<plat::FileInfo> entries;
    EXPECT_TRUE(DeviceFs::List(folder, &entries));
    std::vector<std::string> names;
    for (const auto& e : entries) {
        names.push_back(e.name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// WriteAtomic in a child process that may write at most `limit` bytes to any file, as on a
// full disk; the child's exit status is the call's result.
bool WriteWithFileSizeLimit(const std::string& devicePath, const std::string& bytes, rlim_t limit) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of killing
        const rlimit r{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &r);
        ::_exit(DeviceFs::WriteAtomic(devicePath, bytes) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(AtomicWrite, ReplacesTheWholeFileAndLeavesNoTemporary) {
    plat_test::TempDevice device;
    ASSERT_TRUE(DeviceFs::CreateFolders("\\My Documents\\Notes"));
    const std::string path = "\\My Documents\\Notes\\a.txt";
    ASSERT_TRUE(DeviceFs::WriteAtomic(path, std::string(70000, 'o')));
    ASSERT_TRUE(DeviceFs::WriteAtomic(path, "short"));
    EXPECT_EQ(Read(path), "short");
    ASSERT_TRUE(DeviceFs::WriteAtomic(path, ""));
    EXPECT_EQ(Read(path), "");
    EXPECT_EQ(Names("\\My Documents\\Notes"), std::vector<std::string>{"a.txt"});
}

TEST(AtomicWrite, AWriteThatFailsHalfwayKeepsTheOldFile) {
    plat_test::TempDevice device;
    const std::string path = "\\settings.dat";
    const std::string old(1000, 'a');
    ASSERT_TRUE(DeviceFs::WriteAtomic(path, old));
    // The disk fills after 4096 bytes of the 100000 to be written.
    EXPECT_FALSE(WriteWithFileSizeLimit(path, std::string(100000, 'b'), 4096));
    const std::string after = Read(path);
    EXPECT_TRUE(after == old) << after.size() << " bytes, starting " << after.substr(0, 8);
    EXPECT_EQ(Names("\\"), std::vector<std::string>{"settings.dat"});
    // Within the limit the same write goes through.
    EXPECT_TRUE(WriteWithFileSizeLimit(path, std::string(3000, 'c'), 4096));
    EXPECT_EQ(Read(path), std::string(3000, 'c'));
}

TEST(AtomicWrite, FoldersAndMissingFoldersAreNeverReplaced) {
    plat_test::TempDevice device;
    ASSERT_TRUE(DeviceFs::CreateFolders("\\Pics\\Inner"));
    EXPECT_FALSE(DeviceFs::WriteAtomic("\\Pics\\Inner", "x"));
    EXPECT_TRUE(DeviceFs::IsFolder("\\Pics\\Inner"));
    EXPECT_FALSE(DeviceFs::WriteAtomic("\\Nowhere\\a.txt", "x"));
    EXPECT_FALSE(DeviceFs::Exists("\\Nowhere"));
    EXPECT_EQ(Names("\\Pics"), std::vector<std::string>{"Inner"});
}

TEST(DeviceFsFiles, CreateRenameAndRemoveFilesAndFolders) {
    plat_test::TempDevice device;
    ASSERT_TRUE(DeviceFs::CreateFolders("\\a\\b\\c"));
    EXPECT_TRUE(DeviceFs::CreateFolders("\\a\\b"));  // already there
    ASSERT_TRUE(DeviceFs::WriteAtomic("\\a\\b\\f.jpg", "1"));
    EXPECT_FALSE(DeviceFs::CreateFolders("\\a\\b\\f.jpg\\d"));

    ASSERT_TRUE(DeviceFs::WriteAtomic("\\a\\g.jpg", "2"));
    EXPECT_TRUE(DeviceFs::Rename("\\a\\g.jpg", "\\a\\b\\f.jpg"));  // replaces f.jpg
    EXPECT_EQ(Read("\\a\\b\\f.jpg"), "2");
    EXPECT_FALSE(DeviceFs::Exists("\\a\\g.jpg"));
    EXPECT_FALSE(DeviceFs::Rename("\\a\\missing", "\\a\\other"));

    EXPECT_FALSE(DeviceFs::Remove("\\a\\b"));  // not empty
    EXPECT_TRUE(DeviceFs::Remove("\\a\\b\\f.jpg"));
    EXPECT_TRUE(DeviceFs::Remove("\\a\\b\\c"));
    EXPECT_TRUE(DeviceFs::Remove("\\a\\b"));
    EXPECT_FALSE(DeviceFs::Exists("\\a\\b"));
    EXPECT_FALSE(DeviceFs::Remove("\\a\\b"));
    EXPECT_FALSE(DeviceFs::Remove("\\"));
    EXPECT_TRUE(DeviceFs::IsFolder("\\"));

    // Host names with a control character (the last ones below and above the blank too) have
    // no device path, so they are not listed.
    for (const char* name : {"x\x1F.jpg", "x\x7F.jpg", "plain.jpg"}) {
        std::fclose(std::fopen((device.Root() + "/a/" + name).c_str(), "wb"));
    }
    EXPECT_EQ(Names("\\a"), std::vector<std::string>{"plain.jpg"});
}

}  // namespace
