// The device root as a sandbox: links, special files, names no device path can hold, the
// mounted card, and writes that never go through an existing name.
#include "platform/os/device_fs.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/platform/temp_device.h"

namespace {

namespace fs = std::filesystem;
using plat::DeviceFs;

std::string Slurp(const std::string& hostPath) {
    std::ifstream in(hostPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Put(const std::string& hostPath, const std::string& bytes) {
    fs::create_directories(fs::path(hostPath).parent_path());
    std::ofstream(hostPath, std::ios::binary) << bytes;
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<plat::FileInfo> entries;
    EXPECT_TRUE(DeviceFs::List(folder, &entries)) << folder;
    std::vector<std::string> names;
    for (const plat::FileInfo& e : entries) {
        names.push_back(e.name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A device root and, beside it, a folder outside it that nothing may touch.
class DeviceFsSandbox : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = device_.Root();
        outside_ = root_ + ".outside";
        fs::create_directories(outside_);
        Put(outside_ + "/secret.jpg", "outside");
    }
    void TearDown() override {
        DeviceFs::MountCard("");
        fs::remove_all(outside_);
    }
    void Link(const std::string& target, const std::string& devicePath) {
        std::string host = root_;
        for (const char c : devicePath) {
            host += c == '\\' ? '/' : c;
        }
        fs::create_directories(fs::path(host).parent_path());
        ASSERT_EQ(::symlink(target.c_str(), host.c_str()), 0) << host;
    }

    plat_test::TempDevice device_;
    std::string root_;
    std::string outside_;
};

TEST_F(DeviceFsSandbox, TemporaryNamesAreNeverFollowed) {
    // A link and a hard link planted at the temporary names of the next writes.
    ASSERT_TRUE(DeviceFs::CreateFolders("\\Windows"));
    Link(outside_ + "/secret.jpg", "\\Windows\\registry.reg.xxx");
    ASSERT_EQ(::link((outside_ + "/secret.jpg").c_str(), (root_ + "/agoto.got.xxx").c_str()), 0);
    Link(outside_ + "/made.jpg", "\\MyScreen.jpg.xxx");

    EXPECT_TRUE(DeviceFs::WriteAtomic("\\Windows\\registry.reg", "settings"));
    EXPECT_TRUE(DeviceFs::WriteAtomic("\\agoto.got", "favourites"));
    plat::FilePtr f = DeviceFs::Open("\\MyScreen.jpg.xxx", "wb");
    ASSERT_TRUE(f);
    std::fputs("jpeg", f.get());
    f.reset();

    EXPECT_EQ(Slurp(outside_ + "/secret.jpg"), "outside");
    EXPECT_FALSE(fs::exists(outside_ + "/made.jpg"));
    EXPECT_EQ(Slurp(root_ + "/Windows/registry.reg"), "settings");
    EXPECT_EQ(Slurp(root_ + "/agoto.got"), "favourites");
    EXPECT_EQ(Slurp(root_ + "/MyScreen.jpg.xxx"), "jpeg");
    EXPECT_FALSE(fs::exists(root_ + "/Windows/registry.reg.xxx"));
}

TEST_F(DeviceFsSandbox, LinksLeavingTheRootAreAbsent) {
    Link(outside_, "\\Out");                    // a folder outside
    Link(outside_ + "/secret.jpg", "\\a.jpg");  // a file outside, absolute
    Link("../" + fs::path(outside_).filename().string() + "/secret.jpg", "\\b.jpg");
    Link("Sub/../../x", "\\c.jpg");  // climbs out through a folder
    Link("loop.jpg", "\\loop.jpg");  // a loop
    for (const char* path :
         {"\\Out", "\\Out\\secret.jpg", "\\a.jpg", "\\b.jpg", "\\c.jpg", "\\loop.jpg"}) {
        EXPECT_FALSE(DeviceFs::Exists(path)) << path;
        EXPECT_FALSE(DeviceFs::Open(path, "rb")) << path;
        EXPECT_FALSE(DeviceFs::Remove(path)) << path;
        EXPECT_EQ(DeviceFs::ToHost(path), "") << path;
    }
    EXPECT_FALSE(DeviceFs::WriteAtomic("\\Out\\new.jpg", "x"));
    EXPECT_FALSE(DeviceFs::CreateFolders("\\Out\\Made"));
    EXPECT_FALSE(DeviceFs::Rename("\\a.jpg", "\\moved.jpg"));
    EXPECT_FALSE(DeviceFs::RemoveTree("\\Out"));
    std::vector<plat::FileInfo> entries;
    EXPECT_FALSE(DeviceFs::List("\\Out", &entries));
    EXPECT_TRUE(Names("\\").empty());
    EXPECT_EQ(Slurp(outside_ + "/secret.jpg"), "outside");
    EXPECT_FALSE(fs::exists(outside_ + "/new.jpg"));
    EXPECT_FALSE(fs::exists(outside_ + "/Made"));
}

TEST_F(DeviceFsSandbox, LinksStayingInsideWorkAndDeleteRemovesTheLinkOnly) {
    Put(root_ + "/Pics/real.jpg", "picture");
    Link("Pics", "\\Alias");                      // relative folder link
    Link(root_ + "/Pics/real.jpg", "\\abs.jpg");  // absolute, but inside the root
    Link("../Pics/./real.jpg", "\\Alias2\\up.jpg");
    EXPECT_EQ(Names("\\"), (std::vector<std::string>{"Alias", "Alias2", "Pics", "abs.jpg"}));
    EXPECT_EQ(Names("\\Alias"), std::vector<std::string>{"real.jpg"});
    EXPECT_TRUE(DeviceFs::IsFolder("\\Alias"));
    std::string bytes;
    ASSERT_TRUE(DeviceFs::ReadAll("\\abs.jpg", &bytes));
    EXPECT_EQ(bytes, "picture");
    ASSERT_TRUE(DeviceFs::ReadAll("\\Alias2\\up.jpg", &bytes));
    EXPECT_EQ(bytes, "picture");

    EXPECT_TRUE(DeviceFs::Remove("\\abs.jpg"));
    EXPECT_TRUE(DeviceFs::Remove("\\Alias"));
    EXPECT_EQ(Slurp(root_ + "/Pics/real.jpg"), "picture");
    EXPECT_TRUE(DeviceFs::RemoveTree("\\Alias2"));
    EXPECT_EQ(Slurp(root_ + "/Pics/real.jpg"), "picture");
}

TEST_F(DeviceFsSandbox, OnlyRegularFilesAndFoldersWithExpressibleNamesAreListed) {
    Put(root_ + "/Folder with a long name/ok.jpg", "x");
    Put(root_ + "/Folder with a long name/x\\y.jpg", "backslash");
    Put(root_ + "/Folder with a long name/tab\t.jpg", "control");
    Put(root_ + "/Folder with a long name/" + std::string(250, 'n') + ".jpg",
        "too long for a device path");
    ASSERT_EQ(::mkfifo((root_ + "/Folder with a long name/pipe.jpg").c_str(), 0644), 0);
    const std::string nonUtf8 = "caf\xe9.jpg";
    Put(root_ + "/Folder with a long name/" + nonUtf8, "latin-1 name");
    EXPECT_EQ(Names("\\Folder with a long name"), (std::vector<std::string>{nonUtf8, "ok.jpg"}));
    // Never opened, so it cannot block; not deletable through the device either.
    EXPECT_FALSE(DeviceFs::Open("\\Folder with a long name\\pipe.jpg", "rb"));
    EXPECT_FALSE(DeviceFs::Exists("\\Folder with a long name\\pipe.jpg"));
    EXPECT_FALSE(DeviceFs::Remove("\\Folder with a long name\\pipe.jpg"));
    EXPECT_TRUE(DeviceFs::Present("\\Folder with a long name\\pipe.jpg"));
    EXPECT_FALSE(DeviceFs::IsValidPath("\\Folder with a long name\\tab\t.jpg"));
    // The name that is not UTF-8 is reached through its real bytes.
    std::string bytes;
    ASSERT_TRUE(DeviceFs::ReadAll("\\Folder with a long name\\" + nonUtf8, &bytes));
    EXPECT_EQ(bytes, "latin-1 name");
    EXPECT_TRUE(DeviceFs::Remove("\\Folder with a long name\\" + nonUtf8));
    EXPECT_FALSE(fs::exists(root_ + "/Folder with a long name/" + nonUtf8));
    EXPECT_TRUE(fs::exists(root_ + "/Folder with a long name/x\\y.jpg"));
}

TEST_F(DeviceFsSandbox, ExactNamesFirstThenCaseInsensitively) {
    Put(root_ + "/Pics/AB.jpg", "upper");
    Put(root_ + "/Pics/ab.jpg", "lower");
    Put(root_ + "/Pics/Only.jpg", "only");
    std::string bytes;
    ASSERT_TRUE(DeviceFs::ReadAll("\\Pics\\AB.jpg", &bytes));
    EXPECT_EQ(bytes, "upper");
    ASSERT_TRUE(DeviceFs::ReadAll("\\Pics\\ab.jpg", &bytes));
    EXPECT_EQ(bytes, "lower");
    ASSERT_TRUE(DeviceFs::ReadAll("\\PICS\\oNLY.JPG", &bytes));
    EXPECT_EQ(bytes, "only");
    EXPECT_TRUE(DeviceFs::WriteAtomic("\\pics\\ONLY.jpg", "replaced"));
    EXPECT_EQ(Slurp(root_ + "/Pics/Only.jpg"), "replaced");
    EXPECT_FALSE(fs::exists(root_ + "/pics"));
}

TEST_F(DeviceFsSandbox, MountedCardResolvesBeneathItsOwnFolder) {
    const std::string card = root_ + ".card";
    Put(card + "/DCIM/p.jpg", "photo");
    Put(root_ + "/Storage Card/hidden.jpg", "hidden by the mount");
    EXPECT_FALSE(DeviceFs::MountCard(card + "/DCIM/p.jpg"));
    ASSERT_TRUE(DeviceFs::MountCard(card));
    EXPECT_TRUE(DeviceFs::IsOnCard("\\Storage Card\\DCIM"));
    EXPECT_TRUE(DeviceFs::IsOnCard("\\storage card"));
    EXPECT_FALSE(DeviceFs::IsOnCard("\\Windows"));
    EXPECT_EQ(Names("\\Storage Card"), std::vector<std::string>{"DCIM"});
    std::vector<plat::FileInfo> root;
    ASSERT_TRUE(DeviceFs::List("\\", &root));
    ASSERT_EQ(root.size(), 1u);
    EXPECT_EQ(root[0].name, "Storage Card");
    EXPECT_TRUE(root[0].isFolder);
    std::string bytes;
    ASSERT_TRUE(DeviceFs::ReadAll("\\Storage Card\\DCIM\\p.jpg", &bytes));
    EXPECT_EQ(bytes, "photo");
    // Links out of the card are absent, also those into the device root.
    ::symlink(root_.c_str(), (card + "/root").c_str());
    ::symlink("../..", (card + "/DCIM/up").c_str());
    EXPECT_FALSE(DeviceFs::Exists("\\Storage Card\\root"));
    EXPECT_FALSE(DeviceFs::Exists("\\Storage Card\\DCIM\\up"));
    EXPECT_EQ(Names("\\Storage Card"), std::vector<std::string>{"DCIM"});
    EXPECT_FALSE(DeviceFs::Remove("\\Storage Card"));
    EXPECT_TRUE(DeviceFs::Remove("\\Storage Card\\DCIM\\p.jpg"));
    EXPECT_FALSE(fs::exists(card + "/DCIM/p.jpg"));
    EXPECT_EQ(Slurp(root_ + "/Storage Card/hidden.jpg"), "hidden by the mount");
    ASSERT_TRUE(DeviceFs::MountCard(""));
    EXPECT_EQ(Names("\\Storage Card"), std::vector<std::string>{"hidden.jpg"});
    fs::remove_all(card);
}

TEST_F(DeviceFsSandbox, RemoveTreeNeverFollowsLinks) {
    Put(root_ + "/Keep/k.jpg", "keep");
    Put(root_ + "/Gone/a/b.jpg", "b");
    Link(root_ + "/Keep", "\\Gone\\a\\toKeep");
    ASSERT_EQ(::mkfifo((root_ + "/Gone/fifo").c_str(), 0644), 0);
    EXPECT_TRUE(DeviceFs::RemoveTree("\\Gone"));
    EXPECT_FALSE(fs::exists(root_ + "/Gone"));
    EXPECT_EQ(Slurp(root_ + "/Keep/k.jpg"), "keep");
}

}  // namespace
