// "Send via Infrared" through the headless host against scripted peers: what the user sees
// (status line, softkey, sound), the virtual timing of the retries, and Cancel at any step.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/sharing/fake_obex_peer.h"
#include "tests/support/headless.h"

using testing_support::ClosedPort;
using testing_support::FakeObexPeer;
using testing_support::Json;
using testing_support::Packet;
using testing_support::ReadPng;
using testing_support::RunHeadless;
using testing_support::SolidBmp;
using testing_support::TempDevice;

namespace {

constexpr int kStatusLine = 2046;

// A device whose picture folder holds `files` (name, bytes); the first is selected.
void Prepare(const TempDevice& device,
             const std::vector<std::pair<std::string, std::string>>& files) {
    device.SkipSampleInstall();
    for (const auto& [name, bytes] : files) {
        device.WriteFile("\\Program Files\\Velloran\\Samples\\" + name, bytes);
    }
}

std::string StatusOf(const Json& state) {
    for (const Json& c : state["dialog"]["controls"].items) {
        if (c["id"].Int() == kStatusLine) {
            return c["text"].text;
        }
    }
    return "(no status line)";
}

std::vector<std::string> SoftkeyLabels(const Json& state) {
    std::vector<std::string> labels;
    for (const Json& k : state["softkeys"].items) {
        labels.push_back(k["label"].text + "/" + std::to_string(k["command"].Int()));
    }
    return labels;
}

bool SaidGoodbye(const std::vector<Packet>& requests) {
    for (const Packet& p : requests) {
        if (!p.empty() && p[0] == 0x81) {
            return true;
        }
    }
    return false;
}

Json ReadState(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    Json json;
    testing_support::ParseJson(text.str(), &json);
    return json;
}

void ExpectCleanRun(const testing_support::RunResult& run) {
    EXPECT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(run.stderrText.find("Sanitizer"), std::string::npos) << run.stderrText;
    EXPECT_EQ(run.stderrText.find("runtime error"), std::string::npos) << run.stderrText;
}

TEST(InfraredSendE2E, SuccessShowsTheTextRelabelsTheSoftkeyToOkAndPlaysTheSound) {
    TempDevice device;
    Prepare(device, {{"a.bmp", SolidBmp(40, 40, 10, 20, 30)}});
    FakeObexPeer peer(FakeObexPeer::Mode::kAccept);
    const std::string early = device.Root() + ".early.json";
    const auto run = RunHeadless(device, "cmd:40051 state:" + early + " wait:10000", true,
                                 {"--ir-peer", peer.PeerArg("Tablet")});
    ExpectCleanRun(run);
    // The worker runs up to its first sleep before the next token.
    const Json first = ReadState(early);
    EXPECT_EQ(first["dialog"]["id"].Int(), 4014);
    EXPECT_EQ(StatusOf(first), "Device 'Tablet' is found !");
    EXPECT_EQ(SoftkeyLabels(first), std::vector<std::string>{"Cancel/40002"});
    EXPECT_EQ(first["sounds"].Size(), 0u);

    EXPECT_EQ(StatusOf(run.state), "File is transmitted successfully !");
    EXPECT_EQ(SoftkeyLabels(run.state), std::vector<std::string>{"OK/40002"});
    ASSERT_EQ(run.state["sounds"].Size(), 1u);
    EXPECT_EQ(run.state["sounds"][0]["file"].text, "4016");
    EXPECT_TRUE(run.state["sounds"][0]["sync"].boolean);
    // Connect, name, the bodies, goodbye.
    const size_t size = device.ReadFile("\\Program Files\\Velloran\\Samples\\a.bmp").size();
    const std::vector<Packet> got = peer.Requests();
    ASSERT_EQ(got.size(), 3 + size / 1024 + 1);
    EXPECT_EQ(got.back(), (Packet{0x81, 0x00, 0x03}));

    // The alignment hint is painted in red beside the icon, on one line.
    testing_support::Png png;
    ASSERT_TRUE(ReadPng(run.screenshot, &png));
    const auto isRed = [&](int x, int y) {
        const uint32_t p = png.At(x, y);
        return (p >> 16) > 200 && ((p >> 8) & 0xFF) < 80 && (p & 0xFF) < 80;
    };
    int red = 0;
    for (int y = 20; y < 60; ++y) {
        for (int x = 0; x < png.width; ++x) {
            red += isRed(x, y);
        }
    }
    EXPECT_GT(red, 100);
    // The tails of "g" and "p" show: the ink goes on below the foot of the leading "P".
    int firstColumn = -1, footOfP = -1, lowest = -1;
    for (int x = 30; x < png.width && firstColumn < 0; ++x) {  // right of the icon
        for (int y = 20; y < 60; ++y) {
            firstColumn = isRed(x, y) ? x : firstColumn;
        }
    }
    ASSERT_GE(firstColumn, 0);
    for (int y = 20; y < 60; ++y) {
        for (int x = firstColumn; x < png.width; ++x) {
            if (isRed(x, y)) {
                lowest = y;
                footOfP = x < firstColumn + 2 ? y : footOfP;
            }
        }
    }
    EXPECT_GE(lowest - footOfP, 2) << "foot of P at " << footOfP << ", lowest ink at " << lowest;
    std::remove(run.screenshot.c_str());
    std::remove(early.c_str());
}

TEST(InfraredSendE2E, FolderUnderTheCursorOrEmptyListDoesNothing) {
    FakeObexPeer peer(FakeObexPeer::Mode::kAccept);
    for (bool folder : {true, false}) {
        TempDevice device;
        Prepare(device, {});
        if (folder) {
            device.WriteFile("\\Program Files\\Velloran\\Samples\\b.bmp", SolidBmp(8, 8, 1, 2, 3));
            device.MakeFolder("\\Program Files\\Velloran\\Samples\\Inner");
        }
        const auto run = RunHeadless(device, "cmd:40051 wait:3000", false,
                                     {"--ir-peer", peer.PeerArg("Tablet")});
        ExpectCleanRun(run);
        EXPECT_EQ(run.state["fileList"]["entries"][0]["isFolder"].boolean, folder);
        EXPECT_TRUE(run.state["dialog"].IsNull()) << folder;
    }
    EXPECT_EQ(peer.Connections(), 0);
}

TEST(InfraredSendE2E, NoDeviceInRangeFailsAfterTenTriesOnTheVirtualClock) {
    TempDevice device;
    Prepare(device, {{"a.bmp", SolidBmp(8, 8, 1, 2, 3)}});
    ClosedPort nobody;
    const std::string during = device.Root() + ".during.json";
    const auto run = RunHeadless(device, "cmd:40051 wait:1900 state:" + during + " wait:200", false,
                                 {"--ir-peer", nobody.PeerArg("Gone")});
    ExpectCleanRun(run);
    EXPECT_EQ(StatusOf(ReadState(during)), "Finding receiving device...");
    EXPECT_EQ(StatusOf(run.state), "Device discovery failed. Error code : 111");
    EXPECT_EQ(SoftkeyLabels(run.state), std::vector<std::string>{"Cancel/40002"});
    EXPECT_EQ(run.state["sounds"].Size(), 0u);
    std::remove(during.c_str());
}

TEST(InfraredSendE2E, RefusedBodyLeavesTheReceiveFailureAndCancel) {
    TempDevice device;
    Prepare(device, {{"a.bmp", SolidBmp(40, 40, 10, 20, 30)}});
    FakeObexPeer peer(FakeObexPeer::Mode::kRefuseFirstBody);
    const auto run =
        RunHeadless(device, "cmd:40051 wait:10000", false, {"--ir-peer", peer.PeerArg("Tablet")});
    ExpectCleanRun(run);
    EXPECT_EQ(StatusOf(run.state), "Receive failed. Error code : 0");
    EXPECT_EQ(SoftkeyLabels(run.state), std::vector<std::string>{"Cancel/40002"});
    EXPECT_EQ(run.state["sounds"].Size(), 0u);
    EXPECT_TRUE(SaidGoodbye(peer.Requests()));
}

// Back, the softkey's command and command 2 each close the dialog at once, whatever the
// worker waits for, and no Disconnect reaches the peer.
TEST(InfraredSendE2E, CancelDuringDiscoveryConnectionAndTransferClosesWithoutGoodbye) {
    struct Case {
        const char* what;
        FakeObexPeer::Mode mode;
        bool peerInRange;
        const char* keys;
        size_t requestsBeforeCancel;
    };
    const Case cases[] = {
        {"discovery", FakeObexPeer::Mode::kAccept, false, "cmd:40051 wait:300 Back", 0},
        {"connection", FakeObexPeer::Mode::kSilent, true, "cmd:40051 wait:1000 cmd:40002", 1},
        {"transfer", FakeObexPeer::Mode::kSilentAfterName, true, "cmd:40051 wait:1000 cmd:2", 3},
    };
    for (const Case& c : cases) {
        TempDevice device;
        Prepare(device, {{"a.bmp", SolidBmp(40, 40, 10, 20, 30)}});
        FakeObexPeer peer(c.mode);
        ClosedPort nobody;
        const std::string arg = c.peerInRange ? peer.PeerArg("Tablet") : nobody.PeerArg("Gone");
        const auto run =
            RunHeadless(device, std::string(c.keys) + " wait:5000", false, {"--ir-peer", arg});
        ExpectCleanRun(run);
        EXPECT_TRUE(run.state["dialog"].IsNull()) << c.what;
        EXPECT_EQ(run.state["viewMode"].text, "Thumbnail") << c.what;
        const std::vector<Packet> got = peer.Requests();
        EXPECT_EQ(got.size(), c.requestsBeforeCancel) << c.what;
        EXPECT_FALSE(SaidGoodbye(got)) << c.what;
    }
}

TEST(InfraredSendE2E, MalformedPeersOnTheCommandLineAreUsageErrors) {
    TempDevice device;
    Prepare(device, {});
    for (const char* bad : {"foo", "A=host:99999", "A=host:0", "=host:650", "A=:650",
                            "A=host:", "A=host:65x", "A=::1:650", "NameLongerThanTwentyTwoB=h:1"}) {
        const auto run = RunHeadless(device, "", false, {"--ir-peer", bad});
        EXPECT_EQ(run.exitCode, 2) << bad;
    }
    for (const char* good : {"A=host:1", "Phone 2=localhost:65535", "v6=[::1]:650"}) {
        const auto run = RunHeadless(device, "", false, {"--ir-peer", good});
        EXPECT_EQ(run.exitCode, 0) << good << run.stderrText;
    }
}

}  // namespace
