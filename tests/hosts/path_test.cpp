// PATH on the command line: a folder or a picture's folder is the phone's storage card, the
// program starts there, and nothing of the program's own is ever written into it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "tests/support/headless.h"

using testing_support::DialogControl;
using testing_support::Json;
using testing_support::Pick;
using testing_support::RunHeadless;
using testing_support::SolidBmp;
using testing_support::TempDevice;
using Strings = std::vector<std::string>;

namespace {

namespace fs = std::filesystem;

// A host folder of the user's: two pictures, a sub-folder and a text file.
void FillPhotos(const TempDevice& photos) {
    photos.WriteFile("\\beach.bmp", SolidBmp(60, 40, 0, 0, 200));
    photos.WriteFile("\\dog.bmp", SolidBmp(40, 60, 200, 0, 0));
    photos.WriteFile("\\2024\\cat.bmp", SolidBmp(30, 30, 0, 200, 0));
    photos.WriteFile("\\notes.txt", "not a picture");
}

// Every entry below a host folder, and the folder itself, with size and modification time.
std::map<std::string, std::string> Snapshot(const TempDevice& photos) {
    std::map<std::string, std::string> out;
    const auto stamp = [&out](const std::string& path) {
        struct stat st {};
        ::lstat(path.c_str(), &st);
        out[path] = std::to_string(st.st_size) + "@" + std::to_string(st.st_mtim.tv_sec) + "." +
                    std::to_string(st.st_mtim.tv_nsec);
    };
    stamp(photos.Root());
    for (const auto& e : fs::recursive_directory_iterator(photos.Root())) {
        stamp(e.path().string());
    }
    return out;
}

Strings Names(const Json& state) {
    Strings names;
    for (const Json& e : state.At("fileList.entries").items) {
        names.push_back(e["name"].text);
    }
    return names;
}

// Whether a control of the open dialog lists an item mentioning `text`.
bool ListsItem(const Json& state, const std::string& text) {
    for (const Json& control : state.At("dialog.controls").items) {
        for (const Json& item : control["items"].items) {
            if ((item.text + item["text"].text).find(text) != std::string::npos)
                return true;
        }
    }
    return false;
}

}  // namespace

TEST(PathArgument, APictureOpensInTheImageViewAndBackShowsItsFolder) {
    TempDevice device;
    TempDevice photos;
    FillPhotos(photos);
    const auto run =
        RunHeadless(device, device.StateToken("open") + " Back", false, {photos.Host("\\dog.bmp")});
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(Pick(device.TakenState("open"), "viewMode title workDirectory image.width"),
              "Image (2)dog \\Storage Card 40");
    EXPECT_EQ(Pick(run.state, "viewMode fileList.currentIndex"), "Thumbnail 2");
}

TEST(PathArgument, AFolderIsTheStorageCardWhereTheProgramStartsAndNothingIsWrittenThere) {
    TempDevice device;
    TempDevice photos;
    FillPhotos(photos);
    const auto before = Snapshot(photos);
    // Everything a visit does, short of the user's own Delete and rename: the tree, System
    // Information, a turned picture in full screen with its properties, a slide show; a
    // favourite, the home folder, the options; into 2024 and back out of the card.
    const auto visit = [&](const std::string& keys) {
        const auto run = RunHeadless(device, keys, true, {photos.Root()});
        EXPECT_EQ(run.exitCode, 0) << keys << run.stderrText;
        std::remove(run.screenshot.c_str());
    };
    visit(device.StateToken("start") + " cmd:40009 " + device.StateToken("tree") +
          " Back cmd:40038 " + device.StateToken("info") +
          " Back Right Right Enter 3 5 cmd:40021 Back Back Back cmd:40010 wait:2500 Back");
    // The stored work folder is kept for a start without PATH, which finds the samples.
    EXPECT_EQ(RunHeadless(device, "").state["workDirectory"].text,
              "\\Program Files\\Velloran\\Samples");
    visit("cmd:40044 cmd:40001 cmd:40059 Enter cmd:40039 cmd:40001 Down Enter Right");
    visit("Enter Back Back Back");

    const Json start = device.TakenState("start");
    EXPECT_EQ(Pick(start, "viewMode workDirectory"), "Thumbnail \\Storage Card");
    EXPECT_EQ(Names(start), (Strings{"2024", "beach.bmp", "dog.bmp"}));
    EXPECT_TRUE(ListsItem(device.TakenState("tree"), "Storage Card"));
    // The card's figures come from the file system holding PATH: not "0.0MB".
    const std::string cardSize = DialogControl(device.TakenState("info"), 2011)["text"].text;
    EXPECT_TRUE(cardSize != "0.0MB" && !cardSize.empty()) << cardSize;
    EXPECT_EQ(Snapshot(photos), before);
}

TEST(PathArgument, UnusablePathsAreRefusedBeforeAnythingIsWritten) {
    TempDevice device;
    TempDevice photos;
    FillPhotos(photos);
    std::ofstream(photos.Root() + "/a\\b.bmp") << SolidBmp(4, 4, 0, 0, 0);  // no device name
    device.MakeFolder("\\Mine");
    for (const std::vector<std::string>& paths :
         std::vector<std::vector<std::string>>{{photos.Host("\\notes.txt")},
                                               {photos.Host("\\missing.jpg")},
                                               {device.Host("\\Mine")},
                                               {device.Root()},
                                               {fs::path(device.Root()).parent_path().string()},
                                               {photos.Root(), photos.Root()},
                                               {photos.Root() + "/a\\b.bmp"}}) {
        const auto run = RunHeadless(device, "Right", false, paths);
        EXPECT_EQ(run.exitCode, 2) << paths[0];
        EXPECT_NE(run.stderrText.find("velloran: "), std::string::npos) << paths[0];
    }
    EXPECT_FALSE(device.Exists("\\Windows\\registry.reg"));
}

TEST(PathArgument, LinksLeavingTheCardAndFifosAreNeitherListedNorOpened) {
    TempDevice device;
    TempDevice photos;
    TempDevice outside;
    FillPhotos(photos);
    FillPhotos(outside);
    // Links to a folder and to a picture outside the card, a dangling link whose target a
    // write would create outside, a link that stays inside, and a FIFO under a picture name.
    fs::create_directory_symlink(outside.Host("\\2024"), photos.Host("\\away"));
    fs::create_symlink(outside.Host("\\dog.bmp"), photos.Host("\\away.bmp"));
    fs::create_symlink(outside.Host("\\new.bmp"), photos.Host("\\dangling.bmp"));
    fs::create_symlink(photos.Host("\\dog.bmp"), photos.Host("\\inside.bmp"));
    ASSERT_EQ(::mkfifo(photos.Host("\\pipe.jpg").c_str(), 0644), 0);
    const auto before = Snapshot(outside);
    const auto run = RunHeadless(device, "cmd:40015 Right*9 Enter", false, {photos.Root()});
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(Names(run.state), (Strings{"2024", "beach.bmp", "dog.bmp", "inside.bmp"}));
    EXPECT_EQ(Snapshot(outside), before);
}
