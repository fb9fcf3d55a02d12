// The dialog templates laid out on the phone's 176 x 220 screen: every label, check box and
// list choice shows its whole text with room before the next control, the titles the dialogs
// paint fit the screen, and the About box through the headless host.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/app.h"
#include "platform/toolkit/dialog.h"
#include "platform/window/window_system.h"
#include "resources/dialogs.h"
#include "tests/support/headless.h"
#include "tests/support/script_host.h"

using namespace plat;

namespace {

// The choices the dialogs put in their lists, by list id.
std::map<int, std::vector<std::string>> ListChoices() {
    const auto strings = [](int first, int last) {
        std::vector<std::string> out;
        for (int id = first; id <= last; ++id) {
            out.push_back(LoadStr(id));
        }
        return out;
    };
    return {
        {2013, strings(136, 138)},             // memory optimisation
        {2018, strings(1000, 1010)},           // transition effects
        {2020, strings(139, 141)},             // speeds
        {2024, {LoadStr(143), LoadStr(144)}},  // the third is cut, see below
        {2026, {"30"}},
        {2028, strings(146, 148)},  // orientations
    };
}

// Space wanted between a text's end and the next control on its row.
constexpr int kGap = 3;

struct Problem {
    int dialog;
    std::string text;
    std::string what;
};

class DialogLayoutTest : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override { WindowSystem::Get().Init(&host_, 176, 220); }
    void TearDown() override { WindowSystem::Get().Shutdown(); }

    // Opens a template full screen with its lists filled, and checks what shows.
    std::vector<Problem> Check(const DialogTemplate& t) {
        std::vector<Problem> problems;
        const auto choices = ListChoices();
        host_.actions = {[&] { Inspect(*Dialog::Open().back(), choices, &problems); }};
        const int result =
            Dialog::Run(t, nullptr, [&choices](Dialog& d, unsigned m, WPARAM, LPARAM, LRESULT* r) {
                if (m != WM_INITDIALOG)
                    return false;
                d.CreateSoftkeyBar(SoftkeyBarTemplate{1, {{40001, "OK", -1}}, {}});
                d.MakeFullScreen();
                for (const auto& [list, items] : choices) {
                    if (auto* spinner = d.Get<SpinnerList>(list)) {
                        for (const std::string& item : items)
                            spinner->AddString(item);
                    }
                }
                *r = 1;
                return true;
            });
        EXPECT_EQ(result, 2);
        return problems;
    }

    static void Inspect(Dialog& d, const std::map<int, std::vector<std::string>>& choices,
                        std::vector<Problem>* problems) {
        Window* dialog = d.GetWindow();
        const Font& font = *d.GetFont();
        const int screenRight = dialog->ClientRect().right;
        const auto add = [&](const std::string& text, const std::string& what) {
            problems->push_back({d.Template().id, text, what});
        };
        // The nearest visible control to the right of `r` on its row.
        const auto nextRight = [&](Window* self, const Rect& r) {
            int limit = screenRight;
            for (Window* other : dialog->Children()) {
                const Rect o = other->Frame();
                if (other != self && other->IsVisible() && o.top < r.bottom && o.bottom > r.top &&
                    o.left >= r.left + 4) {
                    limit = std::min(limit, o.left);
                }
            }
            return limit;
        };
        for (Window* w : dialog->Children()) {
            Control* c = ControlOf(w);
            const Rect r = w->Frame();
            const std::string text = c ? c->Text() : std::string();
            if (!c || text.empty()) {
                continue;
            }
            auto* label = dynamic_cast<StaticText*>(c);
            if (!w->IsVisible()) {
                // A hidden group box or label whose title the dialog paints.
                // (A group box's row is its title's line, not the controls it frames.)
                const Rect row{r.left, r.top, r.right, r.top + DialogTitleFont()->Metrics().height};
                const int end = r.left + DialogTitleFont()->TextWidth(text);
                if (end + kGap > nextRight(w, row)) {
                    add(text, "painted title runs past its row");
                }
                continue;
            }
            if (label && label->GetAlign() == StaticText::Align::kLeft &&
                r.Height() < 2 * font.Metrics().height) {
                const int end = r.left + font.TextWidth(text);
                if (end > r.right) {
                    add(text, "label is cut");
                } else if (end + kGap > nextRight(w, r)) {
                    add(text, "label runs into the next control");
                }
            } else if (label && r.Height() < 2 * font.Metrics().height) {
                if (font.TextWidth(text) > r.Width()) {
                    add(text, "label is cut");
                }
            } else if (dynamic_cast<CheckBox*>(c)) {
                // The box, then the text 4 pixels after it.
                const int boxRight = 1 + std::min(11, r.Height());
                if (r.left + boxRight + 4 + font.TextWidth(text) > r.right) {
                    add(text, "check box text is cut");
                }
            }
        }
        for (const auto& [list, items] : choices) {
            Window* w = d.Item(list);
            if (!w) {
                continue;
            }
            // The text's room: inside the frame, 2 pixels in and 1 before the arrows.
            const int room = w->Frame().Width() - 2 - 3;
            for (const std::string& item : items) {
                if (font.TextWidth(item) > room) {
                    add(item, "list choice is cut");
                }
            }
        }
    }

    testing_support::ScriptHost host_;
};

TEST_P(DialogLayoutTest, EveryTextShowsWhole) {
    const DialogTemplate* t = res::DialogResource(GetParam());
    ASSERT_NE(t, nullptr);
    for (const Problem& p : Check(*t))
        ADD_FAILURE() << "dialog " << p.dialog << ": \"" << p.text << "\" " << p.what;
}

INSTANTIATE_TEST_SUITE_P(Templates, DialogLayoutTest,
                         ::testing::Values(7002, 7003, 7004, 7005, 7006, 7007, 7008));

// The checks above find the faults they are for: a template with a cut label, a label
// touching its value and a list too narrow for its choices is refused.
TEST_F(DialogLayoutTest, TheChecksRefuseACrampedTemplate) {
    DialogTemplate t;
    t.id = 9100;
    t.title = "Cramped";
    t.width = 140;
    t.height = 100;
    t.controls = {
        {-1, ControlKind::kStatic, "Transition Speed:", 8, 10, 30, 8, 0},
        {2020, ControlKind::kSpinner, "", 40, 10, 40, 11, 0},
        {-1, ControlKind::kStatic, "Location :", 4, 30, 40, 8, 0},
        {2038, ControlKind::kStatic, "\\Program Files", 44, 30, 90, 8, 0},
        {2013, ControlKind::kSpinner, "", 8, 50, 98, 11, 0},
        {2014, ControlKind::kUpDown, "", 109, 13, 6, 6, 0},
    };
    std::map<std::string, std::string> found;
    for (const Problem& p : Check(t))
        found[p.text] = p.what;
    EXPECT_EQ(found["Transition Speed:"], "label is cut");
    EXPECT_EQ(found["Location :"], "label runs into the next control");
    EXPECT_EQ(found[LoadStr(136)], "list choice is cut");
}

// ---- through the headless host ----

using testing_support::DialogControl;
using testing_support::Pick;

// The About box is the toolkit dialog with the icon beside name and version; OK, command 2
// and Back each close it.
TEST(AboutBoxE2E, ShowsTheIconBesideNameAndVersionAndClosesEveryWay) {
    testing_support::TempDevice device;
    device.SkipSampleInstall();
    const auto run =
        RunHeadless(device, testing_support::Checkpoints(device,
                                                         "cmd:40060 @about !about cmd:40001 @ok "
                                                         "cmd:40060 cmd:2 @two cmd:40060 Back"));
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    const testing_support::Json about = device.TakenState("about");
    EXPECT_EQ(Pick(about, "dialog.id dialog.title"), "7008 Velloran");
    EXPECT_EQ(Pick(DialogControl(about, 2050), "kind") + "|" +
                  Pick(DialogControl(about, 2051), "text") + "|" +
                  Pick(DialogControl(about, 2052), "text"),
              "static|Velloran|Version 1.0");
    EXPECT_EQ(Pick(device.TakenState("ok"), "dialog") + Pick(device.TakenState("two"), "dialog") +
                  Pick(run.state, "dialog"),
              "nullnullnull");
    testing_support::Png png;
    ASSERT_TRUE(testing_support::ReadPng(device.ShotPath("about"), &png));
    // Left of the text column the icon has colour; the text column is black on white.
    int coloured = 0;
    for (int y = 25; y < 60; ++y) {
        for (int x = 4; x < 44; ++x) {
            const uint32_t p = png.At(x, y);
            const int r = static_cast<int>(p >> 16);
            const int g = static_cast<int>((p >> 8) & 0xFF);
            const int b = static_cast<int>(p & 0xFF);
            coloured += std::max({r, g, b}) - std::min({r, g, b}) > 60;
        }
    }
    EXPECT_GT(coloured, 100);
}

}  // namespace
