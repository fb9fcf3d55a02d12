// Cancel (Back, the softkey, IDCANCEL) closes the "Send via Infrared" dialog and ends its
// worker whatever it waits for: a sleep between discovery tries, the answer to Connect, the
// answer to a body packet. The peers here never answer and
// the discovery sleep is on a virtual clock nobody moves, so the worker ends only when the
// dialog's Cancel reaches it where it waits.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>

#include "platform/os/device_fs.h"
#include "platform/os/ir_peers.h"
#include "platform/os/worker_clock.h"
#include "platform/shell/shell.h"
#include "platform/window/window_system.h"
#include "sharing/infrared_dialog.h"
#include "tests/sharing/fake_obex_peer.h"
#include "tests/support/headless.h"
#include "tests/support/script_host.h"

using testing_support::ClosedPort;
using testing_support::FakeObexPeer;
using testing_support::Packet;

namespace {

class InfraredCancel : public testing::Test {
  protected:
    void SetUp() override {
        plat::WorkerClock::UseVirtualTime(false, 0);
        plat::DeviceFs::SetRoot(device_.Root());
        device_.WriteFile("\\a.jpg", std::string(5000, 'x'));
        plat::WindowSystem::Get().Init(&host_, 176, 220);
        plat::Shell::Init();
    }
    void TearDown() override {
        plat::WindowSystem::Get().Shutdown();
        plat::SetIrPeers({});
        plat::WorkerClock::UseVirtualTime(false, 0);
    }

    // Opens the dialog with this peer; once `ready` answers, cancels with `command` (the
    // softkey's 40002 or IDCANCEL), or with the Back key when it is 0.
    void CancelWhen(const std::string& peerArg, unsigned command,
                    const std::function<bool()>& ready) {
        plat::IrPeer peer;
        ASSERT_TRUE(plat::ParseIrPeer(peerArg, &peer));
        plat::SetIrPeers({peer});
        host_.actions.push_back([&] {
            EXPECT_TRUE(ready());
            plat::WindowSystem& ws = plat::WindowSystem::Get();
            if (command == 0) {
                ws.PostKey(plat::VK_TBACK, true);
                ws.PostKey(plat::VK_TBACK, false);
            } else {
                ws.TopWindow()->Post(plat::WM_COMMAND, command, 0);
            }
        });
        // Reached only when the dialog is still open after the cancel.
        host_.actions.push_back([] { ADD_FAILURE() << "the cancel left the dialog open"; });
        RunInfraredSendDialog(nullptr, {"\\a.jpg", "a.jpg"});
        EXPECT_EQ(host_.actions.size(), 1u);
        host_.actions.clear();
    }

    testing_support::TempDevice device_;
    testing_support::ScriptHost host_;
};

TEST_F(InfraredCancel, DuringASleepBetweenDiscoveryTriesTheWorkerEnds) {
    plat::WorkerClock::UseVirtualTime(true, 0);
    ClosedPort nobody;
    // The first try finds nobody and the worker sleeps until 200 ms, which never comes.
    CancelWhen(nobody.PeerArg("Gone"), 0, [] { return plat::WorkerClock::Settle(10000) == 200; });
    EXPECT_EQ(plat::WorkerClock::Settle(10000), UINT64_MAX) << "the worker still sleeps";
    // A worker the cancel missed runs out its tries, so that it ends before the program does.
    for (uint64_t at; (at = plat::WorkerClock::Settle(10000)) != UINT64_MAX;)
        plat::WorkerClock::SetVirtualNow(at);
}

// Once the dialog has closed, the peer sees the connection end: the worker has let go of the
// link. A worker still blocked would hold it open until the hang guard gives up.
TEST_F(InfraredCancel, WaitingForAnAnswerTheWorkerEndsWithoutAGoodbye) {
    const struct {
        const char* what;
        FakeObexPeer::Mode mode;
        size_t requestsBeforeCancel;
        unsigned command;
    } cases[] = {{"connection", FakeObexPeer::Mode::kSilent, 1, 40002},
                 {"transfer", FakeObexPeer::Mode::kSilentAfterName, 3, plat::IDCANCEL}};
    for (const auto& c : cases) {
        FakeObexPeer peer(c.mode);
        CancelWhen(peer.PeerArg("Tablet"), c.command, [&] {
            return peer.WaitForRequests(c.requestsBeforeCancel, std::chrono::seconds(30));
        });
        EXPECT_TRUE(peer.WaitForHangUps(1, std::chrono::seconds(30))) << c.what;
        const std::vector<Packet> got = peer.Requests();
        EXPECT_EQ(got.size(), c.requestsBeforeCancel) << c.what;
        for (const Packet& p : got)
            EXPECT_NE(p[0], 0x81) << c.what << ": no goodbye";
    }
}

}  // namespace
