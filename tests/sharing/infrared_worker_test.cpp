// The infrared worker against scripted peers over the TCP stand-in, on a virtual clock driven
// by the test: the OBEX bytes on the wire, the status texts in their order, and the endings.
#include "sharing/infrared_worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

#include "platform/os/device_fs.h"
#include "platform/os/ir_link.h"
#include "platform/os/ir_peers.h"
#include "platform/os/wake_signal.h"
#include "platform/os/worker_clock.h"
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
        std::lock_guard<std::mutex> lock(mutex_);
        texts_.push_back(text);
    }
    void TransferComplete() override { complete_ = true; }
    std::vector<std::string> Texts() {
        std::lock_guard<std::mutex> lock(mutex_);
        return texts_;
    }
    bool Complete() const { return complete_; }

  private:
    std::mutex mutex_;
    std::vector<std::string> texts_;
    std::atomic<bool> complete_{false};
};

struct Outcome {
    std::vector<std::string> texts;
    bool complete = false;
    uint64_t endMs = 0;  // virtual time when the worker ended
};

Packet Bytes(std::initializer_list<int> values) {
    Packet p;
    for (int v : values) {
        p.push_back(static_cast<uint8_t>(v));
    }
    return p;
}

// A file's bytes that differ from packet to packet.
std::string Pattern(size_t size) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    }
    return s;
}

Packet Body(uint8_t opcode, uint8_t header, const std::string& data, size_t from, size_t count) {
    Packet p(6 + count);
    p[0] = opcode;
    p[1] = static_cast<uint8_t>((count + 6) >> 8);
    p[2] = static_cast<uint8_t>(count + 6);
    p[3] = header;
    p[4] = static_cast<uint8_t>((count + 3) >> 8);
    p[5] = static_cast<uint8_t>(count + 3);
    for (size_t i = 0; i < count; ++i) {
        p[6 + i] = static_cast<uint8_t>(data[from + i]);
    }
    return p;
}

const Packet kConnect = Bytes({0x80, 0x00, 0x07, 0x10, 0x00, 0x08, 0x00});
const Packet kNameAJpg = Bytes({0x02, 0x00, 0x12, 0x01, 0x00, 0x0F, 0x00, 0x61, 0x00, 0x2E, 0x00,
                                0x6A, 0x00, 0x70, 0x00, 0x67, 0x00, 0x00});
const Packet kEmptyLastBody = Bytes({0x82, 0x00, 0x06, 0x49, 0x00, 0x03});
const Packet kDisconnect = Bytes({0x81, 0x00, 0x03});

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

    // Runs the worker to its end, moving the virtual clock to each sleep's end.
    Outcome Send(const std::string& name, const std::string* contents) {
        const std::string path = "\\" + name;
        if (contents) {
            device_.WriteFile(path, *contents);
        }
        Recorder recorder;
        plat::WakeSignal wake;
        auto link = plat::OpenIrLink(wake);
        auto ticket = std::make_unique<plat::WorkerClock::Ticket>();
        std::atomic<bool> ended{false};
        const InfraredSendRequest request{path, name};
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
        return Outcome{recorder.Texts(), recorder.Complete(), now};
    }

    TempDevice device_;
};

const std::string kFound = "Device 'peer' is found !";

TEST_F(InfraredWorker, FifteenHundredBytesGoAsOneFullAndOneLastBodyWithProgress68Then100) {
    FakeObexPeer peer(FakeObexPeer::Mode::kAccept);
    Peers({peer.PeerArg("peer")});
    const std::string data = Pattern(1500);
    const Outcome out = Send("a.jpg", &data);
    EXPECT_EQ(out.texts, (std::vector<std::string>{
                             "Finding receiving device...", kFound, "Connecting to device...",
                             "File is about to send...", "68% completed...", "100% completed...",
                             "File is transmitted successfully !"}));
    EXPECT_TRUE(out.complete);
    const std::vector<Packet> got = peer.Requests();
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[0], kConnect);
    EXPECT_EQ(got[1], kNameAJpg);
    EXPECT_EQ(got[2], Body(0x02, 0x48, data, 0, 1024));
    EXPECT_EQ(Packet(got[3].begin(), got[3].begin() + 6),
              Bytes({0x82, 0x01, 0xE2, 0x49, 0x01, 0xDF}));
    EXPECT_EQ(got[3], Body(0x82, 0x49, data, 1024, 476));
    EXPECT_EQ(got[4], kDisconnect);
    // Found, then half a second before the directory query; no other sleep.
    EXPECT_EQ(out.endMs, 500u);
}

TEST_F(InfraredWorker, ExactMultipleOf1024EndsWithTheEmptyLastBodyAndNoProgressAfterIt) {
    FakeObexPeer peer(FakeObexPeer::Mode::kAccept);
    Peers({peer.PeerArg("peer")});
    const std::string data = Pattern(2048);
    const Outcome out = Send("b.jpg", &data);
    ASSERT_GE(out.texts.size(), 7u);
    EXPECT_EQ(out.texts[4], "50% completed...");
    EXPECT_EQ(out.texts[5], "100% completed...");
    EXPECT_EQ(out.texts[6], "File is transmitted successfully !");
    EXPECT_TRUE(out.complete);
    const std::vector<Packet> got = peer.Requests();
    ASSERT_EQ(got.size(), 6u);
    EXPECT_EQ(got[2], Body(0x02, 0x48, data, 0, 1024));
    EXPECT_EQ(got[3], Body(0x02, 0x48, data, 1024, 1024));
    EXPECT_EQ(got[4], kEmptyLastBody);
    EXPECT_EQ(got[5], kDisconnect);
}

TEST_F(InfraredWorker, EmptyFileSendsOnlyTheEmptyLastBodyAndShowsNoPercentage) {
    FakeObexPeer peer(FakeObexPeer::Mode::kAccept);
    Peers({peer.PeerArg("peer")});
    const std::string empty;
    const Outcome out = Send("a.jpg", &empty);
    EXPECT_EQ(out.texts, (std::vector<std::string>{
                             "Finding receiving device...", kFound, "Connecting to device...",
                             "File is about to send...", "File is transmitted successfully !"}));
    const std::vector<Packet> got = peer.Requests();
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[1], kNameAJpg);
    EXPECT_EQ(got[2], kEmptyLastBody);
    EXPECT_EQ(got[3], kDisconnect);
}

// obex_tcp announces 1024 and refuses larger packets: bodies shrink to fit, nothing else
// changes.
TEST_F(InfraredWorker, BodiesFitThePeersMaximumPacketLength) {
    FakeObexPeer peer(FakeObexPeer::Mode::kAccept, 1024);
    Peers({peer.PeerArg("peer")});
    const std::string data = Pattern(2048);
    const Outcome out = Send("c.jpg", &data);
    EXPECT_TRUE(out.complete);
    const std::vector<Packet> got = peer.Requests();
    ASSERT_EQ(got.size(), 6u);
    EXPECT_EQ(got[0], kConnect);
    EXPECT_EQ(got[2], Body(0x02, 0x48, data, 0, 1018));
    EXPECT_EQ(got[3], Body(0x02, 0x48, data, 1018, 1018));
    EXPECT_EQ(got[4], Body(0x82, 0x49, data, 2036, 12));
    for (const Packet& p : got) {
        EXPECT_LE(p.size(), 1024u);
    }
    ASSERT_GE(out.texts.size(), 7u);
    EXPECT_EQ(out.texts[4], "49% completed...");
    EXPECT_EQ(out.texts[5], "99% completed...");
    EXPECT_EQ(out.texts[6], "100% completed...");
}

TEST_F(InfraredWorker, GarbageAnswersAreReceiveFailures) {
    {
        // An impossible length field.
        FakeObexPeer peer(FakeObexPeer::Mode::kGarbage);
        peer.SetGarbage(Bytes({0xA0, 0x00, 0x01, 0xFF}));
        Peers({peer.PeerArg("peer")});
        const std::string data = Pattern(10);
        const Outcome out = Send("a.jpg", &data);
        EXPECT_EQ(out.texts.back(), "Receive failed. Error code : 0");
        EXPECT_FALSE(out.complete);
        EXPECT_EQ(peer.Requests().size(), 1u);
    }
    {
        // Text that announces a long response, then the peer hangs up.
        FakeObexPeer peer(FakeObexPeer::Mode::kGarbage);
        peer.SetGarbage(Packet{'H', 'T', 'T', 'P', '/', '1', '.', '0', ' ', '4', '0', '0'});
        Peers({peer.PeerArg("peer")});
        const std::string data = Pattern(10);
        const Outcome out = Send("a.jpg", &data);
        EXPECT_EQ(out.texts.back(), "Receive failed. Error code : 104");
        EXPECT_FALSE(out.complete);
    }
}

TEST_F(InfraredWorker, PeerHangingUpMidFileIsAFailureNotASuccess) {
    FakeObexPeer peer(FakeObexPeer::Mode::kHangUpMidFile);
    Peers({peer.PeerArg("peer")});
    const std::string data = Pattern(5000);
    const Outcome out = Send("a.jpg", &data);
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
    const std::string data = Pattern(100);
    const Outcome out = Send("a.jpg", &data);
    EXPECT_TRUE(out.complete);
    ASSERT_GE(out.texts.size(), 2u);
    EXPECT_EQ(out.texts[1], "Device 'first' is found !");
    EXPECT_EQ(first.Requests().size(), 4u);
    EXPECT_TRUE(second.Requests().empty());
}

TEST_F(InfraredWorker, FileGoneBeforeItsBodyIsAFailureWithAGoodbye) {
    FakeObexPeer peer(FakeObexPeer::Mode::kAccept);
    Peers({peer.PeerArg("peer")});
    const Outcome out = Send("a.jpg", nullptr);
    EXPECT_EQ(out.texts.back(), "File cannot be opened. Error code : 2");
    EXPECT_FALSE(out.complete);
    const std::vector<Packet> got = peer.Requests();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[1], kNameAJpg);
    EXPECT_EQ(got[2], kDisconnect);
}

}  // namespace
