// The infrared worker against scripted peers over the TCP stand-in, on a virtual clock driven
// by the test: the OBEX bytes on the wire, the status texts in their order, and the endings.
#include "sharing/infrared_worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <optional>

#include "platform/os/device_fs.h"
#include "platform/os/ir_link.h"
#include "platform/os/ir_peers.h"
#include "platform/os/wake_signal.h"
#include "platform/os/worker_clock.h"
#include "sharing/infrared_obex.h"
#include "tests/sharing/fake_obex_peer.h"
#include "tests/support/headless.h"

using testing_support::ClosedPort;
using testing_support::FakeObexPeer;
using testing_support::Packet;
using testing_support::TempDevice;

namespace {

class Recorder : public InfraredStatusSink {
  public:
    void Status(const std::string& text) override {
        std::lock_guard<std::mutex> lock(mutex);
        texts.push_back(text);
    }
    void TransferComplete() override { complete = true; }

    std::mutex mutex;
    std::vector<std::string> texts;
    std::atomic<bool> complete{false};
};

struct Outcome {
    std::vector<std::string> texts;
    bool complete = false;
    uint64_t endMs = 0;  // virtual time when the worker ended
};

// A file's bytes that differ from packet to packet.
std::string Pattern(size_t size) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return s;
}

// The packets the worker must send, from the encoders whose bytes the packet tests pin down.
Packet Body(const std::string& data, size_t from, size_t count, bool last) {
    return obex::BodyPutPacket(reinterpret_cast<const uint8_t*>(data.data()) + from, count, last);
}
const Packet kConnect = obex::ConnectPacket();
const Packet kNameAJpg = obex::NamePutPacket("a.jpg");
const Packet kDisconnect = obex::DisconnectPacket();

class InfraredWorker : public testing::Test {
  protected:
    void SetUp() override {
        plat::DeviceFs::SetRoot(device_.Root());
        plat::WorkerClock::UseVirtualTime(true, 0);
    }
    void TearDown() override {
        plat::WorkerClock::UseVirtualTime(false, 0);
        plat::SetIrPeers({});
    }

    void Peers(const std::vector<std::string>& args) {
        std::vector<plat::IrPeer> peers;
        for (const std::string& a : args) {
            plat::IrPeer p;
            ASSERT_TRUE(plat::ParseIrPeer(a, &p)) << a;
            peers.push_back(p);
        }
        plat::SetIrPeers(peers);
    }

    // Sends \a.jpg (with these contents, or missing) and runs the worker to its end, moving
    // the virtual clock (from 0) to each sleep's end.
    Outcome Send(const std::optional<std::string>& contents) {
        plat::WorkerClock::UseVirtualTime(true, 0);
        if (contents)
            device_.WriteFile("\\a.jpg", *contents);
        Recorder recorder;
        plat::WakeSignal wake;
        auto link = plat::OpenIrLink(wake);
        auto ticket = std::make_unique<plat::WorkerClock::Ticket>();
        std::atomic<bool> ended{false};
        const InfraredSendRequest request{"\\a.jpg", "a.jpg"};
        std::thread worker([&] {
            InfraredSendWorker(request, link.get(), wake, ticket.get(), &recorder);
            ended = true;
            ticket.reset();
        });
        uint64_t now = 0;
        for (;;) {
            const uint64_t wakeAt = plat::WorkerClock::Settle(10000);
            if (wakeAt == UINT64_MAX) {
                break;  // ended (or stuck, which the join below would show as a hang)
            }
            now = wakeAt;
            plat::WorkerClock::SetVirtualNow(now);
        }
        worker.join();
        EXPECT_TRUE(ended);
        return Outcome{recorder.texts, recorder.complete, now};
    }

    TempDevice device_;
};

const std::string kFound = "Device 'peer' is found !";

// Whole transfers: the packets on the wire, in their order, and the status texts. A body
// carries 1024 bytes at most and shrinks to fit the peer's maximum packet (obex_tcp announces
// 1024 and refuses larger packets); the last is marked, empty when the file ends on a full one.
TEST_F(InfraredWorker, TransfersSendEveryBodyWithProgressUpTo100) {
    const struct {
        uint16_t maxPacket;
        size_t size;
        std::vector<size_t> bodies;
        std::vector<int> progress;
    } cases[] = {
        {2048, 1500, {1024, 476}, {68, 100}},
        {2048, 2048, {1024, 1024, 0}, {50, 100}},
        {2048, 0, {0}, {}},
        {1024, 2048, {1018, 1018, 12}, {49, 99, 100}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.size) + " bytes, packets of " + std::to_string(c.maxPacket));
        FakeObexPeer peer(FakeObexPeer::Mode::kAccept, c.maxPacket);
        Peers({peer.PeerArg("peer")});
        const std::string data = Pattern(c.size);
        const Outcome out = Send(data);
        std::vector<std::string> texts = {"Finding receiving device...", kFound,
                                          "Connecting to device...", "File is about to send..."};
        for (int percent : c.progress)
            texts.push_back(std::to_string(percent) + "% completed...");
        texts.push_back("File is transmitted successfully !");
        EXPECT_EQ(out.texts, texts);
        EXPECT_TRUE(out.complete);
        std::vector<Packet> expected = {kConnect, kNameAJpg};
        size_t from = 0;
        for (size_t i = 0; i < c.bodies.size(); from += c.bodies[i++])
            expected.push_back(Body(data, from, c.bodies[i], i + 1 == c.bodies.size()));
        expected.push_back(kDisconnect);
        const std::vector<Packet> got = peer.Requests();
        EXPECT_EQ(got, expected);
        for (const Packet& p : got)
            EXPECT_LE(p.size(), c.maxPacket);
        // Found, then half a second before the directory query; no other sleep.
        EXPECT_EQ(out.endMs, 500u);
    }
}

TEST_F(InfraredWorker, GarbageAnswersAreReceiveFailures) {
    struct Case {
        const char* name;
        Packet answer;
        const char* text;
    } cases[] = {
        {"an impossible length field", {0xA0, 0x00, 0x01, 0xFF}, "Receive failed. Error code : 0"},
        // Text that announces a long response, then the peer hangs up.
        {"text", Packet{'H', 'T', 'T', 'P', '/', '1', '.', '0', ' ', '4', '0', '0'},
         "Receive failed. Error code : 104"},
    };
    for (const Case& c : cases) {
        FakeObexPeer peer(FakeObexPeer::Mode::kGarbage);
        peer.SetGarbage(c.answer);
        Peers({peer.PeerArg("peer")});
        const Outcome out = Send(Pattern(10));
        EXPECT_EQ(out.texts.back(), c.text) << c.name;
        EXPECT_FALSE(out.complete) << c.name;
        EXPECT_EQ(peer.Requests().size(), 1u) << c.name;
    }
}

TEST_F(InfraredWorker, PeerHangingUpMidFileIsAFailureNotASuccess) {
    FakeObexPeer peer(FakeObexPeer::Mode::kHangUpMidFile);
    Peers({peer.PeerArg("peer")});
    const Outcome out = Send(Pattern(5000));
    EXPECT_FALSE(out.complete);
    ASSERT_FALSE(out.texts.empty());
    const std::string& last = out.texts.back();
    EXPECT_TRUE(last.rfind("Send failed. Error code : ", 0) == 0 ||
                last.rfind("Receive failed. Error code : ", 0) == 0)
        << last;
    EXPECT_EQ(std::find(out.texts.begin(), out.texts.end(), "File is transmitted successfully !"),
              out.texts.end());
}

TEST_F(InfraredWorker, FirstDeviceInRangeIsUsedAndTheOthersGetNothing) {
    ClosedPort nobody;
    FakeObexPeer first(FakeObexPeer::Mode::kAccept);
    FakeObexPeer second(FakeObexPeer::Mode::kAccept);
    Peers({nobody.PeerArg("gone"), first.PeerArg("first"), second.PeerArg("second")});
    const Outcome out = Send(Pattern(100));
    EXPECT_TRUE(out.complete);
    ASSERT_GE(out.texts.size(), 2u);
    EXPECT_EQ(out.texts[1], "Device 'first' is found !");
    EXPECT_EQ(first.Requests().size(), 4u);
    EXPECT_TRUE(second.Requests().empty());
}

TEST_F(InfraredWorker, FileGoneBeforeItsBodyIsAFailureWithAGoodbye) {
    FakeObexPeer peer(FakeObexPeer::Mode::kAccept);
    Peers({peer.PeerArg("peer")});
    const Outcome out = Send(std::nullopt);
    EXPECT_EQ(out.texts.back(), "File cannot be opened. Error code : 2");
    EXPECT_FALSE(out.complete);
    const std::vector<Packet> got = peer.Requests();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[1], kNameAJpg);
    EXPECT_EQ(got[2], kDisconnect);
}

// What --ir-peer takes: NAME=HOST:PORT, a name of at most 22 bytes, a port from 1 to 65535,
// an IPv6 address in brackets.
TEST(InfraredPeers, OnlyWellFormedPeersAreTaken) {
    plat::IrPeer peer;
    for (const char* bad : {"foo", "A=host:99999", "A=host:0", "=host:650", "A=:650",
                            "A=host:", "A=host:65x", "A=::1:650", "NameLongerThanTwentyTwoB=h:1"}) {
        EXPECT_FALSE(plat::ParseIrPeer(bad, &peer)) << bad;
    }
    for (const char* good : {"A=host:1", "Phone 2=localhost:65535", "v6=[::1]:650"})
        EXPECT_TRUE(plat::ParseIrPeer(good, &peer)) << good;
}

}  // namespace
