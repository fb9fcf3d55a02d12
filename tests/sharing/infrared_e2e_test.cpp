// "Send via Infrared" through the headless host against scripted peers: what the user sees
// (status line, softkey, sound), the virtual timing of the retries, and Cancel at any step.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/sharing/fake_obex_peer.h"
#include "tests/support/headless.h"

using testing_support::Checkpoints;
using testing_support::ClosedPort;
using testing_support::DialogControl;
using testing_support::FakeObexPeer;
using testing_support::Json;
using testing_support::Packet;
using testing_support::Pick;
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
    for (const auto& [name, bytes] : files)
        device.WriteFile("\\Program Files\\Velloran\\Samples\\" + name, bytes);
}

std::string StatusOf(const Json& state) {
    return Pick(DialogControl(state, kStatusLine), "text");
}

std::vector<std::string> SoftkeyLabels(const Json& state) {
    std::vector<std::string> labels;
    for (const Json& k : state["softkeys"].items)
        labels.push_back(k["label"].text + "/" + std::to_string(k["command"].Int()));
    return labels;
}

bool SaidGoodbye(const std::vector<Packet>& requests) {
    return std::any_of(requests.begin(), requests.end(),
                       [](const Packet& p) { return !p.empty() && p[0] == 0x81; });
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
    const auto run = RunHeadless(device, Checkpoints(device, "cmd:40051 @early wait:10000"), true,
                                 {"--ir-peer", peer.PeerArg("Tablet")});
    ExpectCleanRun(run);
    // The worker runs up to its first sleep before the next token.
    const Json first = device.TakenState("early");
    EXPECT_EQ(Pick(first, "dialog.id sounds"), "4014 [0]");
    EXPECT_EQ(StatusOf(first), "Device 'Tablet' is found !");
    EXPECT_EQ(SoftkeyLabels(first), std::vector<std::string>{"Cancel/40002"});

    EXPECT_EQ(StatusOf(run.state), "File is transmitted successfully !");
    EXPECT_EQ(SoftkeyLabels(run.state), std::vector<std::string>{"OK/40002"});
    EXPECT_EQ(Pick(run.state, "sounds sounds.0.file sounds.0.sync"), "[1] 4016 true");
    // Connect, name, the bodies, goodbye.
    const size_t size = device.ReadFile("\\Program Files\\Velloran\\Samples\\a.bmp").size();
    const std::vector<Packet> got = peer.Requests();
    ASSERT_EQ(got.size(), 3 + size / 1024 + 1);
    EXPECT_EQ(got.back(), (Packet{0x81, 0x00, 0x03}));

    // The alignment hint is painted in red beside the icon, on one line; the tails of "g" and
    // "p" show: the ink goes on below the foot of the leading "P".
    testing_support::Png png;
    ASSERT_TRUE(ReadPng(run.screenshot, &png));
    std::vector<std::pair<int, int>> red;
    for (int y = 20; y < 60; ++y) {
        for (int x = 0; x < png.width; ++x) {
            const uint32_t p = png.At(x, y);
            if ((p >> 16) > 200 && ((p >> 8) & 0xFF) < 80 && (p & 0xFF) < 80)
                red.emplace_back(x, y);
        }
    }
    EXPECT_GT(red.size(), 100u);
    int firstColumn = png.width, footOfP = -1, lowest = -1;
    for (auto [x, y] : red)
        firstColumn = x >= 30 ? std::min(firstColumn, x) : firstColumn;  // right of the icon
    for (auto [x, y] : red) {
        lowest = x >= firstColumn ? std::max(lowest, y) : lowest;
        footOfP = x >= firstColumn && x < firstColumn + 2 ? std::max(footOfP, y) : footOfP;
    }
    EXPECT_GE(lowest - footOfP, 2) << "foot of P at " << footOfP << ", lowest ink at " << lowest;
    std::remove(run.screenshot.c_str());
}

TEST(InfraredSendE2E, AnEmptyListDoesNothing) {
    FakeObexPeer peer(FakeObexPeer::Mode::kAccept);
    TempDevice device;
    Prepare(device, {});
    const auto run =
        RunHeadless(device, "cmd:40051 wait:3000", false, {"--ir-peer", peer.PeerArg("Tablet")});
    ExpectCleanRun(run);
    EXPECT_EQ(Pick(run.state, "fileList.entries dialog"), "[0] null");
    EXPECT_EQ(peer.Connections(), 0);
}

TEST(InfraredSendE2E, NoDeviceInRangeFailsAfterTenTriesOnTheVirtualClock) {
    TempDevice device;
    Prepare(device, {{"a.bmp", SolidBmp(8, 8, 1, 2, 3)}});
    ClosedPort nobody;
    const auto run =
        RunHeadless(device, Checkpoints(device, "cmd:40051 wait:1900 @during wait:200"), false,
                    {"--ir-peer", nobody.PeerArg("Gone")});
    ExpectCleanRun(run);
    EXPECT_EQ(StatusOf(device.TakenState("during")), "Finding receiving device...");
    EXPECT_EQ(StatusOf(run.state), "Device discovery failed. Error code : 111");
    EXPECT_EQ(SoftkeyLabels(run.state), std::vector<std::string>{"Cancel/40002"});
    EXPECT_EQ(Pick(run.state, "sounds"), "[0]");
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
    EXPECT_EQ(Pick(run.state, "sounds"), "[0]");
    EXPECT_TRUE(SaidGoodbye(peer.Requests()));
}

}  // namespace
