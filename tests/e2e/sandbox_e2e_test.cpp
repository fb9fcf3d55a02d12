// Hostile and unusual host folders through the headless host: links, special files, names
// no device path can hold, huge folders, foreign and unreadable settings, read-only roots.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/favorites_store.h"
#include "dialogs/favorites.h"
#include "platform/os/text.h"
#include "tests/support/headless.h"

using testing_support::Checkpoints;
using testing_support::DialogControl;
using testing_support::Json;
using testing_support::Pick;
using testing_support::RunHeadless;
using testing_support::RunHeadlessAs;
using testing_support::SolidBmp;
using testing_support::TempDevice;

namespace {

namespace fs = std::filesystem;

constexpr const char* kRegistry = "\\Windows\\registry.reg";
constexpr int kNobody = 65534;

// A device root whose first start installs no samples.
struct Device : TempDevice {
    Device() { SkipSampleInstall(); }
};

void StartIn(const TempDevice& device, const std::string& folder) {
    device.WriteSettings({{"MainSection", "WorkDirectory", folder}});
}

// The names of the listed entries, in order, blank-separated.
std::string Names(const Json& state) {
    std::string out;
    for (const Json& e : state["fileList"]["entries"].items)
        out += (out.empty() ? "" : " ") + e["name"].text;
    return out;
}

std::string Slurp(const std::string& hostPath) {
    std::ifstream in(hostPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A folder outside the device root that nothing may touch.
struct Outside {
    Outside()
        : path(fs::temp_directory_path() / ("velloran-outside-" + std::to_string(::getpid()))) {
        fs::create_directories(path);
        std::ofstream(path / "secret.bmp", std::ios::binary) << SolidBmp(4, 4, 9, 9, 9);
    }
    ~Outside() { fs::remove_all(path); }
    fs::path path;
};

void Chown(const std::string& hostPath, int uid) {
    for (const auto& e : fs::recursive_directory_iterator(hostPath))
        ASSERT_EQ(::lchown(e.path().c_str(), uid, uid), 0);
    ASSERT_EQ(::chown(hostPath.c_str(), uid, uid), 0);
}

}  // namespace

TEST(SandboxE2E, PlantedLinksAtTemporaryNamesAreReplacedNotFollowed) {
    Device device;
    Outside outside;
    device.MakeFolder("\\Windows");
    device.MakeFolder("\\IPSM\\My Documents");  // the first start then saves a favourite
    for (const char* planted :
         {"\\Windows\\registry.reg.xxx", "\\Program Files\\Velloran\\agoto.got.xxx"})
        ASSERT_EQ(::symlink((outside.path / "secret.bmp").c_str(), device.Host(planted).c_str()),
                  0);
    const auto run = RunHeadless(device, "cmd:40015");
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(Slurp((outside.path / "secret.bmp").string()), SolidBmp(4, 4, 9, 9, 9));
    EXPECT_NE(device.ReadFile(kRegistry).find("\"ThumbnailLayout\"=dword:00000002"),
              std::string::npos);
    EXPECT_EQ(FavoritesStore::Parse(device.ReadFile("\\Program Files\\Velloran\\agoto.got")).size(),
              1u);
}

TEST(SandboxE2E, LinksOutOfTheRootAreNotListedOpenedOrDeleted) {
    Device device;
    Outside outside;
    device.WriteFile("\\Pics\\a.bmp", SolidBmp(4, 4, 1, 2, 3));
    device.WriteFile("\\Pics\\Real\\r.bmp", SolidBmp(4, 4, 1, 2, 3));
    ASSERT_EQ(::symlink(outside.path.c_str(), device.Host("\\Pics\\Out").c_str()), 0);
    ASSERT_EQ(
        ::symlink((outside.path / "secret.bmp").c_str(), device.Host("\\Pics\\b.bmp").c_str()), 0);
    ASSERT_EQ(::symlink("Real", device.Host("\\Pics\\Inside").c_str()), 0);  // stays inside
    StartIn(device, "\\Pics");
    // Deleting the last entry, and the tree's view of the same folder.
    const auto run = RunHeadless(
        device, Checkpoints(device, "Right Right cmd:40022 SoftLeft cmd:40009 @tree Back"));
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(Names(run.state), "Inside Real");
    EXPECT_TRUE(fs::exists(outside.path / "secret.bmp"));
    EXPECT_TRUE(device.Exists("\\Pics\\Real\\r.bmp"));
    std::string rows;
    const Json tree = device.TakenState("tree");
    for (const Json& item : DialogControl(tree, 2004)["items"].items)
        rows += " " + item["text"].text + " ";
    EXPECT_NE(rows.find(" Real "), std::string::npos) << rows;
    EXPECT_EQ(rows.find(" Out "), std::string::npos) << rows;
    EXPECT_EQ(rows.find(" b.bmp "), std::string::npos) << rows;
}

TEST(SandboxE2E, NamesNoDevicePathCanHoldAreNotListed) {
    Device device;
    device.WriteFile("\\Pics\\x\\y.bmp", SolidBmp(4, 4, 1, 2, 3));
    std::ofstream(device.Host("\\Pics") + "/x\\y.bmp", std::ios::binary) << SolidBmp(4, 4, 3, 2, 1);
    std::ofstream(device.Host("\\Pics") + "/ctl\x01.bmp", std::ios::binary) << "x";
    // Longer than a device path can be: neither listed nor "deleted" without being deleted.
    const std::string deep = "\\Pics\\" + std::string(100, 'd');
    device.WriteFile(deep + "\\" + std::string(200, 'n') + ".bmp", SolidBmp(4, 4, 1, 1, 1));
    device.WriteFile(deep + "\\ok.bmp", SolidBmp(4, 4, 1, 1, 1));
    StartIn(device, "\\Pics");
    auto run = RunHeadless(device, "Right cmd:40022 SoftLeft");
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(Names(run.state), std::string(100, 'd') + " x");
    EXPECT_TRUE(device.Exists("\\Pics\\x\\y.bmp"));
    EXPECT_TRUE(fs::exists(device.Host("\\Pics") + "/x\\y.bmp"));

    StartIn(device, "\\Pics\\" + std::string(100, 'd'));
    run = RunHeadless(device, "");
    EXPECT_EQ(Names(run.state), "ok.bmp");
}

TEST(SandboxE2E, AFifoAmongThePicturesIsNeitherListedNorOpened) {
    Device device;
    device.WriteFile("\\Pics\\a.bmp", SolidBmp(4, 4, 1, 2, 3));
    ASSERT_EQ(::mkfifo(device.Host("\\Pics\\pipe.jpg").c_str(), 0644), 0);
    StartIn(device, "\\Pics");
    const auto run = RunHeadlessAs(device, "Right cmd:40009 cmd:40001", -1, true, {}, 60);
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(Names(run.state), "a.bmp");
}

TEST(SandboxE2E, FortyThousandEntriesScrollStepAndPaint) {
    Device device;
    device.WriteFile("\\Big\\p00000.bmp", SolidBmp(8, 8, 0, 0, 255));
    const std::string first = device.Host("\\Big\\p00000.bmp");
    constexpr int kCount = 40000;
    for (int i = 1; i < kCount; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/p%05d.bmp", i);
        ASSERT_EQ(::link(first.c_str(), (device.Host("\\Big") + name).c_str()), 0);
    }
    StartIn(device, "\\Big");
    // The image view wraps from the first picture to the last; back in the 4 x 4 grid the last
    // rows show; Down steps within it, Up scrolls.
    const auto run = RunHeadless(device, "cmd:40015 Enter Left Back Up Up Up Up Up Left", true);
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    // The last entry (39999), five rows of four up, one to the left.
    EXPECT_EQ(Pick(run.state, "fileList.count fileList.currentIndex"), "40000 39978");
    EXPECT_GT(run.state["firstVisibleIndex"].Int(), 32767);
    EXPECT_LE(run.state["firstVisibleIndex"].Int(), 39978);
    EXPECT_GT(run.state["scroll"]["max"].Int(), 9000);
    testing_support::Png png;
    ASSERT_TRUE(testing_support::ReadPng(run.screenshot, &png));
    int blue = 0;
    for (int y = 20; y < 200; ++y)
        for (int x = 0; x < 176; ++x)
            blue += png.At(x, y) == 0x0000FFu;
    EXPECT_GT(blue, 100) << "the thumbnails of the last rows are painted";
}

TEST(SandboxE2E, NamesThatDifferOnlyInCaseAreToldApart) {
    Device device;
    device.WriteFile("\\P\\AB.bmp", SolidBmp(4, 4, 255, 0, 0));
    device.WriteFile("\\P\\ab.bmp", SolidBmp(4, 4, 0, 255, 0));
    StartIn(device, "\\P");
    // Where each name sits in the tree below the start folder; Down from the start folder,
    // once and twice, opens each.
    auto run = RunHeadless(device, Checkpoints(device,
                                               "cmd:40009 @tree Down cmd:40001 @first "
                                               "cmd:40009 Down Down cmd:40001"));
    std::vector<std::string> below;
    bool inP = false;
    const Json tree = device.TakenState("tree");
    for (const Json& item : DialogControl(tree, 2004)["items"].items) {
        if (inP && item["depth"].Int() == 2)
            below.push_back(item["text"].text);
        inP = inP || item["text"].text == "P";
    }
    ASSERT_EQ(below.size(), 2u);
    EXPECT_EQ(device.TakenState("first")["image"]["path"].text, "\\P\\" + below[0]);
    EXPECT_EQ(run.state["image"]["path"].text, "\\P\\" + below[1]);

    // The favourite \PICS while in \Pics goes there.
    device.WriteFile("\\Pics\\lower.bmp", SolidBmp(4, 4, 1, 1, 1));
    device.WriteFile("\\PICS\\upper.bmp", SolidBmp(4, 4, 1, 1, 1));
    device.WriteFile("\\Program Files\\Velloran\\agoto.got",
                     FavoritesStore::Serialize({{"Upper", "\\PICS"}}));
    StartIn(device, "\\Pics");
    run = RunHeadless(device, "cmd:" + std::to_string(kFirstFavoriteCommand));
    EXPECT_EQ(run.state["workDirectory"].text, "\\PICS");
    EXPECT_EQ(Names(run.state), "upper.bmp");
}

TEST(SandboxE2E, NamesThatAreNotUtf8GiveValidJsonAndStayDeletable) {
    Device device;
    device.WriteFile("\\Pics\\caf\xe9.bmp", SolidBmp(4, 4, 1, 2, 3));
    device.WriteFile("\\Pics\\\xc0\xaf.bmp", SolidBmp(4, 4, 1, 2, 3));
    StartIn(device, "\\Pics");
    auto run = RunHeadless(device, "Enter Back");
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(plat::ValidUtf8(run.stateText), run.stateText) << "the state is valid UTF-8";
    // The overlong "/" shows as two replacement characters, never as "/".
    EXPECT_EQ(Names(run.state), "\xEF\xBF\xBD\xEF\xBF\xBD.bmp caf\xEF\xBF\xBD.bmp");
    run = RunHeadless(device, "cmd:40022 SoftLeft Right cmd:40022 SoftLeft");
    EXPECT_EQ(run.state["fileList"]["count"].Int(), 0);
    EXPECT_TRUE(fs::is_empty(device.Host("\\Pics")));
}

TEST(SandboxE2E, OtherProgramsSettingsSurviveAndAnUnreadableFileIsNotReplaced) {
    Device device;
    const std::string foreign = std::string("[HKEY_CURRENT_USER\\Software\\Other]\n") +
                                "\"Bin\"=hex:01,02,\\\n  03\n\"Exp\"=hex(2):25,00\n";
    device.WriteFile(kRegistry, "REGEDIT4\n\n" + foreign);
    auto run = RunHeadless(device, "cmd:40015");
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    const std::string written = device.ReadFile(kRegistry);
    EXPECT_NE(written.find(foreign), std::string::npos) << written;
    EXPECT_NE(written.find("\"ThumbnailLayout\"=dword:00000002"), std::string::npos);

    // Unreadable for the user running the program: defaults, and the file is left alone.
    Chown(device.Root(), kNobody);
    ASSERT_EQ(::chown(device.Host(kRegistry).c_str(), 0, 0), 0);
    ASSERT_EQ(::chmod(device.Host(kRegistry).c_str(), 0600), 0);
    run = RunHeadlessAs(device, "cmd:40014", kNobody);
    if (run.exitCode == testing_support::kCannotSwitchUser)
        GTEST_SKIP() << "cannot run as another user here";
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(run.state["thumbnailLayout"].Int(), 1);
    EXPECT_EQ(device.ReadFile(kRegistry), written);
    EXPECT_NE(run.stderrText.find("cannot read the settings file"), std::string::npos)
        << run.stderrText;
}

TEST(SandboxE2E, AReadOnlyDeviceRootCanBeBrowsed) {
    Device device;
    device.WriteFile("\\Pics\\a.bmp", SolidBmp(4, 4, 1, 2, 3));
    device.WriteFile("\\Pics\\b.bmp", SolidBmp(4, 4, 1, 2, 3));
    StartIn(device, "\\Pics");
    for (const auto& e : fs::recursive_directory_iterator(device.Root()))
        fs::permissions(e.path(),
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    fs::permissions(device.Root(), fs::perms::owner_all | fs::perms::group_read |
                                       fs::perms::group_exec | fs::perms::others_read |
                                       fs::perms::others_exec);
    const std::string before = device.ReadFile(kRegistry);
    // Not the owner and not root: nothing in the root can be written.
    const auto run = RunHeadlessAs(device, "cmd:40015 Right cmd:40022 SoftLeft", kNobody, true);
    if (run.exitCode == testing_support::kCannotSwitchUser)
        GTEST_SKIP() << "cannot run as another user here";
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(Names(run.state), "a.bmp b.bmp");
    EXPECT_EQ(run.state["thumbnailLayout"].Int(), 2);
    EXPECT_TRUE(device.Exists("\\Pics\\b.bmp"));
    EXPECT_EQ(device.ReadFile(kRegistry), before);
    EXPECT_NE(run.stderrText.find("cannot write the settings file"), std::string::npos)
        << run.stderrText;
    fs::permissions(device.Root(), fs::perms::owner_all, fs::perm_options::add);
}

TEST(SandboxE2E, AFirstStartKilledDuringTheSampleInstallEndsWithWholeSamples) {
    // What a complete install leaves.
    auto listing = [](const TempDevice& device) {
        std::map<std::string, uintmax_t> files;
        const fs::path samples = device.Host("\\Program Files\\Velloran\\Samples");
        if (!fs::exists(samples))
            return files;
        for (const auto& e : fs::recursive_directory_iterator(samples))
            files[fs::relative(e.path(), samples).string()] =
                e.is_regular_file() ? e.file_size() : 0;
        return files;
    };
    TempDevice clean;
    const auto t0 = std::chrono::steady_clock::now();
    ASSERT_EQ(RunHeadless(clean, "").exitCode, 0);
    const auto installMicros =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0)
            .count();
    const auto whole = listing(clean);
    ASSERT_GT(whole.size(), 5u);

    std::mt19937 rng(3);
    for (int round = 0; round < 3; ++round) {
        TempDevice device;
        // Kill it somewhere during its first start, spread over the time an install takes.
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            const std::string root = device.Root();
            std::freopen("/dev/null", "w", stderr);
            ::execl(VELLORAN_BINARY, VELLORAN_BINARY, "--headless", "--device-root", root.c_str(),
                    "--keys", "", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(installMicros * (round + 1) / 4 +
                                                              static_cast<long>(rng() % 1000)));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        const auto partial = listing(device);
        EXPECT_TRUE(partial.empty() || partial == whole) << "round " << round;
        ASSERT_EQ(RunHeadless(device, "").exitCode, 0);
        EXPECT_EQ(listing(device), whole) << "round " << round;
    }
}
