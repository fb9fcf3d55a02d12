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

    // Runs the worker to its end, moving the virtual clock (from 0) to each sleep's end.
    Outcome Send(const std::string& name, const std::string* contents) {
        plat::WorkerClock::UseVirtualTime(true, 0);
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

// Whole transfers: the packets on the wire, in their order, and the status texts. A body
// carries 1024 bytes at most and shrinks to fit the peer's maximum packet (obex_tcp announces
// 1024 and refuses larger packets); the last is marked, empty when the file ends on a full one.
TEST_F(InfraredWorker, TransfersSendEveryBodyWithProgressUpTo100) {
    struct Case {
        const char* name;
        uint16_t maxPacket;
        size_t size;
        std::vector<std::pair<size_t, size_t>> bodies;  // (from, count); the last is the end
        std::vector<std::string> progress;
    } cases[] = {
        {"1500 bytes",
         2048,
         1500,
         {{0, 1024}, {1024, 476}},
         {"68% completed...", "100% completed..."}},
        {"2048 bytes",
         2048,
         2048,
         {{0, 1024}, {1024, 1024}, {2048, 0}},
         {"50% completed...", "100% completed..."}},
        {"empty", 2048, 0, {{0, 0}}, {}},
        {"2048 bytes, 1024-byte packets",
         1024,
         2048,
         {{0, 1018}, {1018, 1018}, {2036, 12}},
         {"49% completed...", "99% completed...", "100% completed..."}},
    };
    for (const Case& c : cases) {
        FakeObexPeer peer(FakeObexPeer::Mode::kAccept, c.maxPacket);
        Peers({peer.PeerArg("peer")});
        const std::string data = Pattern(c.size);
        const Outcome out = Send("a.jpg", &data);
        std::vector<std::string> texts = {"Finding receiving device...", kFound,
                                          "Connecting to device...", "File is about to send..."};
        texts.insert(texts.end(), c.progress.begin(), c.progress.end());
        texts.push_back("File is transmitted successfully !");
        EXPECT_EQ(out.texts, texts) << c.name;
        EXPECT_TRUE(out.complete) << c.name;
        std::vector<Packet> expected = {kConnect, kNameAJpg};
        for (size_t i = 0; i < c.bodies.size(); ++i) {
            expected.push_back(
                Body(data, c.bodies[i].first, c.bodies[i].second, i + 1 == c.bodies.size()));
        }
        expected.push_back(kDisconnect);
        const std::vector<Packet> got = peer.Requests();
        EXPECT_EQ(got, expected) << c.name;
        for (const Packet& p : got) {
            EXPECT_LE(p.size(), c.maxPacket) << c.name;
        }
        // Found, then half a second before the directory query; no other sleep.
        EXPECT_EQ(out.endMs, 500u) << c.name;
    }
}

TEST_F(InfraredWorker, GarbageAnswersAreReceiveFailures) {
    struct Case {
        const char* name;
        Packet answer;
        const char* text;
    } cases[] = {
        {"an impossible length field", Bytes({0xA0, 0x00, 0x01, 0xFF}),
         "Receive failed. Error code : 0"},
        // Text that announces a long response, then the peer hangs up.
        {"text", Packet{'H', 'T', 'T', 'P', '/', '1', '.', '0', ' ', '4', '0', '0'},
         "Receive failed. Error code : 104"},
    };
    for (const Case& c : cases) {
        FakeObexPeer peer(FakeObexPeer::Mode::kGarbage);
        peer.SetGarbage(c.answer);
        Peers({peer.PeerArg("peer")});
        const std::string data = Pattern(10);
        const Outcome out = Send("a.jpg", &data);
        EXPECT_EQ(out.texts.back(), c.text) << c.name;
        EXPECT_FALSE(out.complete) << c.name;
        EXPECT_EQ(peer.Requests().size(), 1u) << c.name;
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
