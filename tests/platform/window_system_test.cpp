// The message queue, timers on a virtual clock, key routing and the menu model.
#include "platform/window/window_system.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/shell/menu.h"
#include "platform/shell/shell.h"

namespace {

using Strings = std::vector<std::string>;

// A host whose clock only moves when the program waits.
class ClockHost : public plat::Host {
  public:
    uint64_t NowMs() override { return now; }
    void WaitForEvents(int64_t timeoutMs) override {
        if (timeoutMs < 0) {
            plat::WindowSystem::Get().PostQuit(0);  // nothing more will ever happen
        } else {
            now += static_cast<uint64_t>(timeoutMs);
        }
    }
    void PollEvents() override {}
    void Present(const plat::Surface&, bool) override {}
    uint64_t now = 1000;
};

class WindowSystemTest : public ::testing::Test {
  protected:
    void SetUp() override { ws.Init(&host, 176, 220); }
    void TearDown() override { ws.Shutdown(); }

    // A window that logs the timers (with the time they fire), keys and user messages it gets.
    plat::Window* MakeWindow() {
        auto proc = [this](plat::Window* w, unsigned m, plat::WPARAM wp, plat::LPARAM lp) {
            if (m == plat::WM_TIMER)
                log.push_back("timer " + std::to_string(wp) + " at " + std::to_string(host.now));
            if (m == plat::WM_KEYDOWN || m == plat::WM_KEYUP || m == plat::WM_HOTKEY ||
                m == plat::WM_USER + 1)
                log.push_back(m == plat::WM_KEYDOWN  ? "down"
                              : m == plat::WM_KEYUP  ? "up"
                              : m == plat::WM_HOTKEY ? "hotkey"
                                                     : "user");
            return plat::DefWindowProc(w, m, wp, lp);
        };
        return plat::Window::Create("Test", "Test", plat::Rect{0, 20, 176, 200}, nullptr, proc);
    }
    ClockHost host;
    plat::WindowSystem& ws = plat::WindowSystem::Get();
    Strings log;  // outlives the windows, which TearDown destroys
};

}  // namespace

TEST_F(WindowSystemTest, TimersFireInOrderOnTheVirtualClock) {
    plat::Window* w = MakeWindow();
    ws.SetTimer(w, 1, 250);
    ws.SetTimer(w, 2, 100);
    plat::Message m;
    while (log.size() < 5 && ws.GetMessage(&m)) {
        ws.Dispatch(m);
    }
    EXPECT_EQ(log, (Strings{"timer 2 at 1100", "timer 2 at 1200", "timer 1 at 1250",
                            "timer 2 at 1300", "timer 2 at 1400"}));
    ws.KillTimer(w, 2);
    ws.KillTimer(w, 1);
    // Without timers the queue waits for input for ever: here that ends the loop.
    EXPECT_FALSE(ws.GetMessage(&m));
}

TEST_F(WindowSystemTest, KeysGoToTheFocusAndBackArrivesAsAHotKeyOnRelease) {
    ws.SetFocus(MakeWindow());
    ws.PostKey(plat::VK_RIGHT, true, 3);
    ws.PostKey(plat::VK_RIGHT, false);
    ws.PostKey(plat::VK_TBACK, true);
    ws.PostKey(plat::VK_TBACK, false);
    plat::Message m;
    for (int i = 0; i < 4 && ws.GetMessage(&m); ++i)
        ws.Dispatch(m);
    EXPECT_EQ(log, (Strings{"down", "up", "hotkey", "hotkey"}));
}

TEST_F(WindowSystemTest, DestroyedWindowsLoseTheirQueuedMessagesAndTimers) {
    plat::Window* w = MakeWindow();
    ws.SetTimer(w, 7, 10);
    w->Post(plat::WM_USER + 1);
    w->Destroy();
    EXPECT_FALSE(ws.IsWindow(w));
    plat::Message m;
    EXPECT_FALSE(ws.GetMessage(&m));  // nothing is left: the host ends the wait
    EXPECT_EQ(log, Strings{});
}

TEST_F(WindowSystemTest, TheWaitCursorShowsUntilTheLastOverlappingWaitEnds) {
    ws.BeginWaitCursor();  // thumbnails decoding
    ws.BeginWaitCursor();  // a picture loading
    ws.EndWaitCursor();    // the picture arrived first
    EXPECT_TRUE(ws.WaitCursorShown());
    ws.EndWaitCursor();
    EXPECT_FALSE(ws.WaitCursorShown());
    ws.EndWaitCursor();  // one end too many is harmless
    ws.BeginWaitCursor();
    EXPECT_TRUE(ws.WaitCursorShown());
    ws.EndWaitCursor();
}

TEST_F(WindowSystemTest, TheScrollBarKeepsItsPositionInRangeAndNarrowsTheClientArea) {
    plat::Window* w = MakeWindow();
    EXPECT_EQ(w->ClientRect().Width(), 176);
    w->SetScrollRange(0, 3, true);
    EXPECT_EQ(w->ClientRect().Width(), 168);
    w->SetScrollPos(7, true);
    EXPECT_EQ(w->Scroll().pos, 3);
    w->SetScrollPos(-2, true);
    EXPECT_EQ(w->Scroll().pos, 0);
    w->SetScrollPos(3, true);
    w->SetScrollRange(0, 1, true);  // a shorter list: the position follows the new end
    EXPECT_EQ(w->Scroll().pos, 1);
    w->SetScrollRange(0, 0, true);
    EXPECT_EQ(w->Scroll().pos, 0);
    EXPECT_EQ(w->ClientRect().Width(), 176);
}

TEST(MenuModel, TemplatesChecksAndAccessKeys) {
    auto menu = plat::Menu::FromTemplate({{0, 0, "Icon Size"},
                                          {1, 40013, "2 x 2"},
                                          {1, 40014, "3 x 3"},
                                          {1, 40015, "4 x 4"},
                                          {0, -1, nullptr},
                                          {0, 40020, "&Refresh"},
                                          {0, 40040, "Full Screen\t[5]"}});
    ASSERT_EQ(menu->Count(), 4);
    ASSERT_NE(menu->Items()[0].submenu, nullptr);
    EXPECT_EQ(menu->Items()[0].submenu->Count(), 3);
    EXPECT_TRUE(menu->Items()[1].separator);

    EXPECT_TRUE(menu->CheckRadio(40013, 40015, 40014));
    EXPECT_FALSE(menu->FindItem(40013)->checked);
    EXPECT_TRUE(menu->FindItem(40014)->checked);
    EXPECT_TRUE(menu->FindItem(40014)->radio);
    EXPECT_TRUE(menu->Enable(40020, false));
    EXPECT_TRUE(menu->FindItem(40020)->grayed);
    EXPECT_FALSE(menu->Enable(99999, false));  // absent items are left alone
    EXPECT_EQ(menu->FindOwner(40015), menu->Items()[0].submenu.get());

    EXPECT_EQ(plat::AccessKeyOf("&Refresh"), U'r');
    EXPECT_EQ(plat::AccessKeyOf("&5 Home (Samples)"), U'5');
    EXPECT_EQ(plat::AccessKeyOf("Fish && Chips"), 0u);
    EXPECT_EQ(plat::PlainLabel("Fish && &Chips"), "Fish & Chips");
    EXPECT_EQ(plat::PlainLabel("Full Screen\t[5]"), "Full Screen");

    EXPECT_TRUE(menu->Remove(40014));
    EXPECT_EQ(menu->Items()[0].submenu->Count(), 2);
    plat::MenuItem favourite;
    favourite.id = 10001;
    favourite.text = "&5 Travel";
    menu->Insert(100, std::move(favourite));
    EXPECT_EQ(menu->Items().back().id, 10001);
}
