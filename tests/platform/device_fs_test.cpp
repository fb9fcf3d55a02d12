// The device file system: a replaced file is the old one or the new one, whole; files and
// folders are made, renamed and removed only as asked; and the device root is a sandbox
// (links, special files, names no device path can hold, the mounted card, writes that never
// go through an existing name).
#include "platform/os/device_fs.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/platform/temp_device.h"

namespace {

namespace fs = std::filesystem;
using plat::DeviceFs;
using Strings = std::vector<std::string>;

// Results of several calls as "1"s and "0"s, so one expectation covers a run of them.
std::string Bits(std::initializer_list<bool> results) {
    std::string out;
    for (const bool r : results) {
        out += r ? '1' : '0';
    }
    return out;
}

// The names a device folder lists, sorted.
Strings Names(const std::string& folder) {
    std::vector<plat::FileInfo> entries;
    EXPECT_TRUE(DeviceFs::List(folder, &entries)) << folder;
    Strings names;
    for (const plat::FileInfo& e : entries) {
        names.push_back(e.name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A device file's bytes; "(unreadable)" when it cannot be read.
std::string Read(const std::string& devicePath) {
    std::string bytes;
    return DeviceFs::ReadAll(devicePath, &bytes) ? bytes : "(unreadable)";
}

// The bytes of host files, "-" for one that is missing, joined by " | ".
std::string Contents(std::initializer_list<std::string> hostPaths) {
    std::string out;
    for (const std::string& path : hostPaths) {
        std::ifstream in(path, std::ios::binary);
        out += (out.empty() ? "" : " | ") +
               (in ? std::string(std::istreambuf_iterator<char>(in), {}) : "-");
    }
    return out;
}

void Put(const std::string& hostPath, const std::string& bytes) {
    fs::create_directories(fs::path(hostPath).parent_path());
    std::ofstream(hostPath, std::ios::binary) << bytes;
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

// A device root and, beside it, a folder outside it that nothing may touch.
class DeviceFsSandbox : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(outside_);
        Put(outside_ + "/secret.jpg", "outside");
    }
    void TearDown() override {
        DeviceFs::MountCard("");
        fs::remove_all(outside_);
        fs::remove_all(root_ + ".card");
    }
    void Link(const std::string& target, const std::string& devicePath) {
        device_.MakeFolder(devicePath.substr(0, devicePath.rfind('\\')));
        ASSERT_EQ(::symlink(target.c_str(), device_.Host(devicePath).c_str()), 0) << devicePath;
    }

    plat_test::TempDevice device_;
    const std::string root_ = device_.Root();
    const std::string outside_ = root_ + ".outside";
};

using AtomicWrite = DeviceFsSandbox;
using DeviceFsFiles = DeviceFsSandbox;

TEST_F(AtomicWrite, ReplacesTheWholeFileButNeverAFolderAndLeavesNoTemporary) {
    ASSERT_TRUE(DeviceFs::CreateFolders("\\Notes\\Inner"));
    const std::string path = "\\Notes\\a.txt";
    ASSERT_TRUE(DeviceFs::WriteAtomic(path, std::string(70000, 'o')));
    ASSERT_TRUE(DeviceFs::WriteAtomic(path, "short"));
    EXPECT_EQ(Read(path), "short");
    ASSERT_TRUE(DeviceFs::WriteAtomic(path, ""));
    EXPECT_EQ(Read(path), "");
    // A folder, and a file in a missing folder.
    EXPECT_EQ(
        Bits({DeviceFs::WriteAtomic("\\Notes\\Inner", "x"), DeviceFs::IsFolder("\\Notes\\Inner"),
              DeviceFs::WriteAtomic("\\Nowhere\\a.txt", "x"), DeviceFs::Exists("\\Nowhere")}),
        "0100");
    EXPECT_EQ(Names("\\Notes"), (Strings{"Inner", "a.txt"}));
}

TEST_F(AtomicWrite, AWriteThatFailsHalfwayKeepsTheOldFile) {
    const std::string path = "\\settings.dat";
    const std::string old(1000, 'a');
    ASSERT_TRUE(DeviceFs::WriteAtomic(path, old));
    // The disk fills after 4096 bytes of the 100000 to be written.
    EXPECT_FALSE(WriteWithFileSizeLimit(path, std::string(100000, 'b'), 4096));
    const std::string after = Read(path);
    EXPECT_TRUE(after == old) << after.size() << " bytes, starting " << after.substr(0, 8);
    EXPECT_EQ(Names("\\"), Strings{"settings.dat"});
    // Within the limit the same write goes through.
    EXPECT_TRUE(WriteWithFileSizeLimit(path, std::string(3000, 'c'), 4096));
    EXPECT_EQ(Read(path), std::string(3000, 'c'));
}

TEST_F(DeviceFsFiles, CreateRenameAndRemoveFilesAndFolders) {
    ASSERT_TRUE(DeviceFs::CreateFolders("\\a\\b\\c"));
    ASSERT_TRUE(DeviceFs::WriteAtomic("\\a\\b\\f.jpg", "1"));
    ASSERT_TRUE(DeviceFs::WriteAtomic("\\a\\g.jpg", "2"));
    // A folder already there, one beneath a file; a rename replacing f.jpg, one of nothing.
    EXPECT_EQ(Bits({DeviceFs::CreateFolders("\\a\\b"), DeviceFs::CreateFolders("\\a\\b\\f.jpg\\d"),
                    DeviceFs::Rename("\\a\\g.jpg", "\\a\\b\\f.jpg"), DeviceFs::Exists("\\a\\g.jpg"),
                    DeviceFs::Rename("\\a\\missing", "\\a\\other")}),
              "10100");
    EXPECT_EQ(Read("\\a\\b\\f.jpg"), "2");

    // A folder goes once it is empty, and only once; the root never goes.
    EXPECT_EQ(
        Bits({DeviceFs::Remove("\\a\\b"), DeviceFs::Remove("\\a\\b\\f.jpg"),
              DeviceFs::Remove("\\a\\b\\c"), DeviceFs::Remove("\\a\\b"), DeviceFs::Remove("\\a\\b"),
              DeviceFs::Exists("\\a\\b"), DeviceFs::Remove("\\"), DeviceFs::IsFolder("\\")}),
        "01110001");

    // Host names with a control character (the last ones below and above the blank too) have
    // no device path, so they are not listed.
    for (const char* name : {"x\x1F.jpg", "x\x7F.jpg", "plain.jpg"}) {
        std::fclose(std::fopen((root_ + "/a/" + name).c_str(), "wb"));
    }
    EXPECT_EQ(Names("\\a"), Strings{"plain.jpg"});
}

TEST_F(DeviceFsSandbox, TemporaryNamesAreNeverFollowed) {
    // A link and a hard link planted at the temporary names of the next writes.
    ASSERT_TRUE(DeviceFs::CreateFolders("\\Windows"));
    Link(outside_ + "/secret.jpg", "\\Windows\\registry.reg.xxx");
    ASSERT_EQ(::link((outside_ + "/secret.jpg").c_str(), (root_ + "/agoto.got.xxx").c_str()), 0);
    Link(outside_ + "/made.jpg", "\\MyScreen.jpg.xxx");

    EXPECT_EQ(Bits({DeviceFs::WriteAtomic("\\Windows\\registry.reg", "settings"),
                    DeviceFs::WriteAtomic("\\agoto.got", "favourites")}),
              "11");
    plat::FilePtr f = DeviceFs::Open("\\MyScreen.jpg.xxx", "wb");
    ASSERT_TRUE(f);
    std::fputs("jpeg", f.get());
    f.reset();
    EXPECT_EQ(Contents({outside_ + "/secret.jpg", outside_ + "/made.jpg",
                        root_ + "/Windows/registry.reg", root_ + "/agoto.got",
                        root_ + "/MyScreen.jpg.xxx", root_ + "/Windows/registry.reg.xxx"}),
              "outside | - | settings | favourites | jpeg | -");
}

TEST_F(DeviceFsSandbox, LinksLeavingTheRootAreAbsent) {
    Link(outside_, "\\Out");                    // a folder outside
    Link(outside_ + "/secret.jpg", "\\a.jpg");  // a file outside, absolute
    Link("../" + fs::path(outside_).filename().string() + "/secret.jpg", "\\b.jpg");
    Link("Sub/../../x", "\\c.jpg");  // climbs out through a folder
    Link("loop.jpg", "\\loop.jpg");  // a loop
    std::vector<plat::FileInfo> entries;
    for (const char* path :
         {"\\Out", "\\Out\\secret.jpg", "\\a.jpg", "\\b.jpg", "\\c.jpg", "\\loop.jpg"}) {
        EXPECT_EQ(Bits({DeviceFs::Exists(path), DeviceFs::Open(path, "rb") != nullptr,
                        DeviceFs::Remove(path), DeviceFs::List(path, &entries)}) +
                      DeviceFs::ToHost(path),
                  "0000")
            << path;
    }
    EXPECT_EQ(
        Bits({DeviceFs::WriteAtomic("\\Out\\new.jpg", "x"), DeviceFs::CreateFolders("\\Out\\Made"),
              DeviceFs::Rename("\\a.jpg", "\\moved.jpg"), DeviceFs::RemoveTree("\\Out")}),
        "0000");
    EXPECT_TRUE(Names("\\").empty());
    EXPECT_EQ(Contents({outside_ + "/secret.jpg", outside_ + "/new.jpg", outside_ + "/Made"}),
              "outside | - | -");
}

TEST_F(DeviceFsSandbox, LinksStayingInsideWorkAndDeleteRemovesTheLinkOnly) {
    Put(root_ + "/Pics/real.jpg", "picture");
    Link("Pics", "\\Alias");                      // relative folder link
    Link(root_ + "/Pics/real.jpg", "\\abs.jpg");  // absolute, but inside the root
    Link("../Pics/./real.jpg", "\\Alias2\\up.jpg");
    EXPECT_EQ(Names("\\"), (Strings{"Alias", "Alias2", "Pics", "abs.jpg"}));
    EXPECT_EQ(Names("\\Alias"), Strings{"real.jpg"});
    EXPECT_EQ(Read("\\abs.jpg") + " " + Read("\\Alias2\\up.jpg"), "picture picture");
    EXPECT_EQ(Bits({DeviceFs::IsFolder("\\Alias"), DeviceFs::Remove("\\abs.jpg"),
                    DeviceFs::Remove("\\Alias"), DeviceFs::RemoveTree("\\Alias2")}),
              "1111");
    EXPECT_EQ(Names("\\"), Strings{"Pics"});
    EXPECT_EQ(Contents({root_ + "/Pics/real.jpg"}), "picture");
}

TEST_F(DeviceFsSandbox, OnlyRegularFilesAndFoldersWithExpressibleNamesAreListed) {
    const std::string host = root_ + "/Folder with a long name/";
    const std::string dev = "\\Folder with a long name\\";
    const std::string nonUtf8 = "caf\xe9.jpg";
    Put(host + "ok.jpg", "x");
    Put(host + "x\\y.jpg", "backslash");
    Put(host + "tab\t.jpg", "control");
    Put(host + std::string(250, 'n') + ".jpg", "too long for a device path");
    Put(host + nonUtf8, "latin-1 name");
    ASSERT_EQ(::mkfifo((host + "pipe.jpg").c_str(), 0644), 0);
    EXPECT_EQ(Names(dev), (Strings{nonUtf8, "ok.jpg"}));
    // Never opened, so it cannot block; not deletable through the device either.
    EXPECT_EQ(Bits({DeviceFs::Open(dev + "pipe.jpg", "rb") != nullptr,
                    DeviceFs::Exists(dev + "pipe.jpg"), DeviceFs::Remove(dev + "pipe.jpg"),
                    DeviceFs::Present(dev + "pipe.jpg"), DeviceFs::IsValidPath(dev + "tab\t.jpg")}),
              "00010");
    // The name that is not UTF-8 is reached through its real bytes.
    EXPECT_EQ(Read(dev + nonUtf8), "latin-1 name");
    EXPECT_TRUE(DeviceFs::Remove(dev + nonUtf8));
    EXPECT_EQ(Contents({host + nonUtf8, host + "x\\y.jpg"}), "- | backslash");
}

TEST_F(DeviceFsSandbox, ExactNamesFirstThenCaseInsensitively) {
    Put(root_ + "/Pics/AB.jpg", "upper");
    Put(root_ + "/Pics/ab.jpg", "lower");
    Put(root_ + "/Pics/Only.jpg", "only");
    EXPECT_EQ(
        Read("\\Pics\\AB.jpg") + " " + Read("\\Pics\\ab.jpg") + " " + Read("\\PICS\\oNLY.JPG"),
        "upper lower only");
    ASSERT_TRUE(DeviceFs::WriteAtomic("\\pics\\ONLY.jpg", "replaced"));
    EXPECT_EQ(Contents({root_ + "/Pics/Only.jpg", root_ + "/pics"}), "replaced | -");
}

TEST_F(DeviceFsSandbox, MountedCardResolvesBeneathItsOwnFolder) {
    const std::string card = root_ + ".card";
    Put(card + "/DCIM/p.jpg", "photo");
    Put(root_ + "/Storage Card/hidden.jpg", "hidden by the mount");
    EXPECT_FALSE(DeviceFs::MountCard(card + "/DCIM/p.jpg"));
    ASSERT_TRUE(DeviceFs::MountCard(card));
    EXPECT_EQ(Bits({DeviceFs::IsOnCard("\\Storage Card\\DCIM"),
                    DeviceFs::IsOnCard("\\storage card"), DeviceFs::IsOnCard("\\Windows")}),
              "110");
    std::vector<plat::FileInfo> top;
    ASSERT_TRUE(DeviceFs::List("\\", &top));
    ASSERT_EQ(top.size(), 1u);
    EXPECT_EQ(top[0].name + (top[0].isFolder ? " (folder)" : ""), "Storage Card (folder)");
    EXPECT_EQ(Read("\\Storage Card\\DCIM\\p.jpg"), "photo");
    // Links out of the card are absent, also those into the device root.
    ::symlink(root_.c_str(), (card + "/root").c_str());
    ::symlink("../..", (card + "/DCIM/up").c_str());
    EXPECT_EQ(Names("\\Storage Card"), Strings{"DCIM"});
    EXPECT_EQ(
        Bits({DeviceFs::Exists("\\Storage Card\\root"),
              DeviceFs::Exists("\\Storage Card\\DCIM\\up"), DeviceFs::Remove("\\Storage Card"),
              DeviceFs::Remove("\\Storage Card\\DCIM\\p.jpg")}),
        "0001");
    EXPECT_EQ(Contents({card + "/DCIM/p.jpg", root_ + "/Storage Card/hidden.jpg"}),
              "- | hidden by the mount");
    ASSERT_TRUE(DeviceFs::MountCard(""));
    EXPECT_EQ(Names("\\Storage Card"), Strings{"hidden.jpg"});
}

TEST_F(DeviceFsSandbox, RemoveTreeNeverFollowsLinks) {
    Put(root_ + "/Keep/k.jpg", "keep");
    Put(root_ + "/Gone/a/b.jpg", "b");
    Link(root_ + "/Keep", "\\Gone\\a\\toKeep");
    ASSERT_EQ(::mkfifo((root_ + "/Gone/fifo").c_str(), 0644), 0);
    EXPECT_TRUE(DeviceFs::RemoveTree("\\Gone"));
    EXPECT_EQ(Contents({root_ + "/Gone", root_ + "/Keep/k.jpg"}), "- | keep");
}

}  // namespace
