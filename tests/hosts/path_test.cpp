// PATH on the command line: a folder or a picture's folder is the phone's storage card, the
// program starts there, and nothing of the program's own is ever written into it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "tests/support/headless.h"

using testing_support::Json;
using testing_support::RunHeadless;
using testing_support::RunProgram;
using testing_support::SolidBmp;
using testing_support::TempDevice;

namespace {

namespace fs = std::filesystem;

// A host folder of the user's: two pictures, a sub-folder and a text file.
class PhotoFolder {
  public:
    PhotoFolder() {
        std::string pattern = (fs::temp_directory_path() / "velloran-photos-XXXXXX").string();
        EXPECT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        Write("beach.bmp", SolidBmp(60, 40, 0, 0, 200));
        Write("dog.bmp", SolidBmp(40, 60, 200, 0, 0));
        fs::create_directory(root_ + "/2024");
        Write("2024/cat.bmp", SolidBmp(30, 30, 0, 200, 0));
        Write("notes.txt", "not a picture");
    }
    ~PhotoFolder() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(root_ + "/" + name, std::ios::binary) << bytes;
    }
    const std::string& Root() const { return root_; }
    // Every entry below the folder with its size and modification time.
    std::map<std::string, std::string> Snapshot() const {
        std::map<std::string, std::string> out;
        for (const auto& e : fs::recursive_directory_iterator(root_)) {
            struct stat st {};
            ::lstat(e.path().c_str(), &st);
            out[e.path().string()] = std::to_string(st.st_size) + "@" +
                                     std::to_string(st.st_mtim.tv_sec) + "." +
                                     std::to_string(st.st_mtim.tv_nsec);
        }
        struct stat top {};
        ::stat(root_.c_str(), &top);
        out["."] = std::to_string(top.st_mtim.tv_sec) + "." + std::to_string(top.st_mtim.tv_nsec);
        return out;
    }

  private:
    std::string root_;
};

std::vector<std::string> Names(const Json& state) {
    std::vector<std::string> names;
    for (const Json& e : state["fileList"]["entries"].items) {
        names.push_back(e["name"].text);
    }
    return names;
}

std::string ControlText(const Json& state, int id) {
    for (const Json& c : state["dialog"]["controls"].items) {
        if (c["id"].Int() == id) {
            return c["text"].text;
        }
    }
    return "";
}

}  // namespace

TEST(PathArgument, AFolderIsTheStorageCardAndTheProgramStartsThere) {
    TempDevice device;
    PhotoFolder photos;
    const auto before = photos.Snapshot();
    const auto run = RunHeadless(device, "", false, {photos.Root()});
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(run.state["viewMode"].text, "Thumbnail");
    EXPECT_EQ(run.state["workDirectory"].text, "\\Storage Card");
    EXPECT_EQ(Names(run.state), (std::vector<std::string>{"2024", "beach.bmp", "dog.bmp"}));
    // The stored work folder is kept for a start without PATH, which finds the samples.
    const auto plain = RunHeadless(device, "");
    EXPECT_EQ(plain.state["workDirectory"].text, "\\Program Files\\Velloran\\Samples");
    EXPECT_EQ(photos.Snapshot(), before);
}

TEST(PathArgument, APictureOpensInTheImageViewInItsFolder) {
    TempDevice device;
    PhotoFolder photos;
    const auto run = RunHeadless(device, "", false, {photos.Root() + "/dog.bmp"});
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(run.state["viewMode"].text, "Image");
    EXPECT_EQ(run.state["title"].text, "(2)dog");
    EXPECT_EQ(run.state["workDirectory"].text, "\\Storage Card");
    EXPECT_EQ(run.state["image"]["width"].Int(), 40);
    // Back goes to the grid of the card.
    const auto back = RunHeadless(device, "Back", false, {photos.Root() + "/dog.bmp"});
    EXPECT_EQ(back.state["viewMode"].text, "Thumbnail");
    EXPECT_EQ(back.state["fileList"]["currentIndex"].Int(), 2);
}

TEST(PathArgument, TheTreeAndSystemInformationShowTheCardAndNothingIsWrittenThere) {
    TempDevice device;
    PhotoFolder photos;
    const auto before = photos.Snapshot();
    // Everything a visit does, short of the user's own Delete and rename.
    for (const char* keys :
         {"cmd:40009", "cmd:40038", "Right Right Enter 3 5 cmd:40021", "cmd:40010 wait:2500",
          "Enter Back Back Back", "cmd:40044 cmd:40001 cmd:40059 Enter", "cmd:40039 cmd:40001",
          "Down Enter Right"}) {
        const auto run = RunHeadless(device, keys, true, {photos.Root()});
        ASSERT_EQ(run.exitCode, 0) << keys << run.stderrText;
        std::remove(run.screenshot.c_str());
        if (std::string(keys) == "cmd:40009") {
            bool card = false;
            for (const Json& c : run.state["dialog"]["controls"].items) {
                for (const Json& item : c["items"].items) {
                    card = card || item.text.find("Storage Card") != std::string::npos ||
                           item["text"].text.find("Storage Card") != std::string::npos;
                }
            }
            EXPECT_TRUE(card) << run.stateText;
        }
        if (std::string(keys) == "cmd:40038") {
            // The card's figures come from the file system holding PATH: not "0.0MB".
            EXPECT_NE(ControlText(run.state, 2011), "0.0MB");
            EXPECT_NE(ControlText(run.state, 2011), "");
        }
    }
    EXPECT_EQ(photos.Snapshot(), before);
}

TEST(PathArgument, UnusablePathsAreRefusedBeforeAnythingIsWritten) {
    TempDevice device;
    PhotoFolder photos;
    device.MakeFolder("\\Mine");
    for (const std::string& path :
         {photos.Root() + "/notes.txt", photos.Root() + "/missing.jpg", device.Host("\\Mine"),
          device.Root(), fs::path(device.Root()).parent_path().string()}) {
        const auto run = RunHeadless(device, "Right", false, {path});
        EXPECT_EQ(run.exitCode, 2) << path;
        EXPECT_NE(run.stderrText.find("velloran: "), std::string::npos) << path;
    }
    EXPECT_FALSE(device.Exists("\\Windows\\registry.reg"));
    // Two PATHs, and a picture whose name the phone cannot hold.
    EXPECT_EQ(RunHeadless(device, "Right", false, {photos.Root(), photos.Root()}).exitCode, 2);
    photos.Write("a\\b.bmp", SolidBmp(4, 4, 0, 0, 0));
    EXPECT_EQ(RunHeadless(device, "Right", false, {photos.Root() + "/a\\b.bmp"}).exitCode, 2);
}

TEST(PathArgument, LinksLeavingTheCardAndFifosAreNeitherListedNorOpened) {
    TempDevice device;
    PhotoFolder photos;
    PhotoFolder outside;
    // Links to a folder and to a picture outside the card, a dangling link whose target a
    // write would create outside, a link that stays inside, and a FIFO under a picture name.
    fs::create_directory_symlink(outside.Root() + "/2024", photos.Root() + "/away");
    fs::create_symlink(outside.Root() + "/dog.bmp", photos.Root() + "/away.bmp");
    fs::create_symlink(outside.Root() + "/new.bmp", photos.Root() + "/dangling.bmp");
    fs::create_symlink(photos.Root() + "/dog.bmp", photos.Root() + "/inside.bmp");
    ASSERT_EQ(::mkfifo((photos.Root() + "/pipe.jpg").c_str(), 0644), 0);
    const auto before = outside.Snapshot();
    const auto run = RunHeadless(device, "cmd:40015 Right*9 Enter", false, {photos.Root()});
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    const auto names = Names(run.state);
    for (const char* hidden : {"away", "away.bmp", "dangling.bmp"}) {
        EXPECT_EQ(std::count(names.begin(), names.end(), hidden), 0) << hidden;
    }
    EXPECT_EQ(std::count(names.begin(), names.end(), "inside.bmp"), 1);
    EXPECT_EQ(outside.Snapshot(), before);
}
