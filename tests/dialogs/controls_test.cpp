// The controls and the dialog driven from the keypad, with messages sent straight to them.
#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "platform/toolkit/dialog.h"
#include "platform/window/window_system.h"
#include "tests/support/script_host.h"

using namespace plat;

namespace {

struct Received {
    unsigned message;
    int id;
    unsigned code;
    int item;
    unsigned newState;
};

class ControlsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WindowSystem::Get().Init(&host_, 176, 220);
        parent_ = Window::Create(
            "Parent", "parent", Rect{0, 20, 176, 200}, nullptr,
            [this](Window* w, unsigned m, WPARAM wp, LPARAM lp) -> LRESULT {
                if (m == WM_COMMAND) {
                    got_.push_back({m, static_cast<int>(LowWord(wp)), HighWord(wp), -1, 0});
                    return 0;
                }
                if (m == WM_NOTIFY) {
                    const auto* h = reinterpret_cast<NotifyHeader*>(lp);
                    Received r{m, h->id, static_cast<unsigned>(h->code), -1, 0};
                    if (h->code == kListItemChanged) {
                        const auto* n = reinterpret_cast<ListNotify*>(lp);
                        r.item = n->item;
                        r.newState = n->newState;
                    } else {
                        r.item = reinterpret_cast<TreeNotify*>(lp)->item;
                    }
                    got_.push_back(r);
                    if (onNotify_)
                        onNotify_(r);
                    return 0;
                }
                if (m == WM_KEYDOWN) {
                    got_.push_back({m, 0, static_cast<unsigned>(wp), -1, 0});
                    return 1;
                }
                return DefWindowProc(w, m, wp, lp);
            });
    }
    void TearDown() override { WindowSystem::Get().Shutdown(); }

    static void Key(Control* c, unsigned vk, int repeat = 1) {
        c->GetWindow()->Send(WM_KEYDOWN, vk, repeat);
        c->GetWindow()->Send(WM_KEYUP, vk, 1);
    }
    // One press of each key, in order ('2', '3', VK_DOWN ...).
    static void Keys(Control* c, std::initializer_list<unsigned> keys) {
        for (unsigned vk : keys)
            Key(c, vk);
    }
    int CountOf(unsigned message) const {
        int n = 0;
        for (const auto& r : got_)
            n += r.message == message;
        return n;
    }

    testing_support::ScriptHost host_;
    Window* parent_ = nullptr;
    std::vector<Received> got_;
    std::function<void(const Received&)> onNotify_;
};

}  // namespace

TEST_F(ControlsTest, CheckBoxTogglesOnTheActionKeyAndTellsTheDialog) {
    auto* box = CreateControl(std::make_shared<CheckBox>(), parent_, 2033, "Show",
                              Rect{0, 0, 100, 14}, true);
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->IsChecked());
    Key(box, VK_RETURN);
    EXPECT_TRUE(box->IsChecked());
    ASSERT_EQ(CountOf(WM_COMMAND), 1);
    EXPECT_EQ(got_[0].id, 2033);
    EXPECT_EQ(got_[0].code, kNotifyClicked);
    Key(box, VK_RETURN);
    EXPECT_FALSE(box->IsChecked());
    // Up and Down are the dialog's.
    Key(box, VK_DOWN);
    EXPECT_EQ(CountOf(WM_KEYDOWN), 1);
}

TEST_F(ControlsTest, SpinnerStepsWithWrapAndDisabledSpinnerIgnoresKeys) {
    auto* list =
        CreateControl(std::make_shared<SpinnerList>(), parent_, 2020, "", Rect{0, 0, 80, 16}, true);
    auto* arrows =
        CreateControl(std::make_shared<UpDown>(), parent_, 2021, "", Rect{100, 0, 108, 8}, true);
    arrows->Attach(list);
    EXPECT_EQ(arrows->GetWindow()->Frame().right, 80);
    EXPECT_LT(list->GetWindow()->Frame().right, 80);
    for (const char* s : {"Slow", "Medium", "Fast"})
        list->AddString(s);
    ASSERT_TRUE(list->SetSelection(2));
    EXPECT_EQ(CountOf(WM_COMMAND), 0);  // setting by program says nothing
    Key(list, VK_RIGHT);
    EXPECT_EQ(list->Selection(), 0);
    Key(list, VK_LEFT);
    EXPECT_EQ(list->Selection(), 2);
    Key(list, VK_LEFT);
    EXPECT_EQ(list->Text(), "Medium");
    EXPECT_EQ(CountOf(WM_COMMAND), 3);
    EXPECT_EQ(got_.back().code, kNotifySelChange);
    EXPECT_FALSE(list->SetSelection(3));
    list->GetWindow()->Enable(false);
    Key(list, VK_RIGHT);
    EXPECT_EQ(list->Selection(), 1);
}

TEST_F(ControlsTest, EditMultiTapStepsThroughLettersAndThePauseKeepsThem) {
    auto* edit =
        CreateControl(std::make_shared<EditBox>(), parent_, 2030, "", Rect{0, 0, 150, 16}, true);
    Keys(edit, {'2', '2', '2'});
    EXPECT_EQ(edit->Text(), "c");
    Key(edit, '2');
    EXPECT_EQ(edit->Text(), "2");
    Key(edit, '2');  // round again
    EXPECT_EQ(edit->Text(), "a");
    // Another key keeps the letter at once.
    Key(edit, '3');
    EXPECT_EQ(edit->Text(), "ad");
    // The pause keeps it too: the same key then starts a new letter.
    edit->GetWindow()->Send(WM_TIMER, EditBox::kMultiTapTimer, 0);
    Key(edit, '3');
    EXPECT_EQ(edit->Text(), "add");
    Keys(edit, {'0', '7', '7', '7', '7'});
    EXPECT_EQ(edit->Text(), "add s");
    // Back erases on the press.
    edit->GetWindow()->Send(WM_HOTKEY, 0, static_cast<LPARAM>(VK_TBACK << 16));
    EXPECT_EQ(edit->Text(), "add ");
    EXPECT_EQ(edit->GetWindow()->Send(WM_HOTKEY, 0,
                                      static_cast<LPARAM>(VK_TBACK << 16) | kHotKeyReleased),
              1);
    edit->GetWindow()->Send(WM_CHAR, U'é', 1);
    EXPECT_EQ(edit->Text(), "add é");
}

TEST_F(ControlsTest, EditHoldsAtMost259UnitsAndReadOnlyIgnoresTyping) {
    auto* edit =
        CreateControl(std::make_shared<EditBox>(), parent_, 2030, "", Rect{0, 0, 150, 16}, true);
    edit->SetText(std::string(300, 'x'));
    EXPECT_EQ(edit->Text().size(), 259u);
    edit->GetWindow()->Send(WM_CHAR, 'y', 1);
    EXPECT_EQ(edit->Text(), std::string(259, 'x'));
    EXPECT_TRUE(edit->EraseLast());
    edit->GetWindow()->Send(WM_CHAR, 'y', 1);
    EXPECT_EQ(edit->Text().back(), 'y');

    auto* ro = CreateControl(std::make_shared<EditBox>(true), parent_, 2031, "",
                             Rect{0, 20, 150, 36}, true);
    ro->SetText("\\Pics");
    ro->GetWindow()->Send(WM_CHAR, 'z', 1);
    Key(ro, '2');
    EXPECT_EQ(ro->GetWindow()->Send(WM_HOTKEY, 0, static_cast<LPARAM>(VK_TBACK << 16)), 0);
    EXPECT_EQ(ro->Text(), "\\Pics");
}

TEST_F(ControlsTest, ReportListMovesDeletesAndKeepsTheSelectionInView) {
    auto* list =
        CreateControl(std::make_shared<ReportList>(), parent_, 2032, "", Rect{0, 0, 170, 80}, true);
    list->AddColumn("Name", 80);
    list->AddColumn("Folder", 86);
    for (int i = 0; i < 12; ++i)
        list->InsertRow(-1, {"n" + std::to_string(i), "\\f" + std::to_string(i)});
    list->Select(0);
    ASSERT_GE(CountOf(WM_NOTIFY), 1);
    EXPECT_EQ(got_.back().item, 0);
    EXPECT_NE(got_.back().newState, 0u);
    const int shown = list->VisibleRows();
    ASSERT_LT(shown, 12);
    for (int i = 0; i < shown; ++i)
        Key(list, VK_DOWN);
    EXPECT_EQ(list->Selection(), shown);
    EXPECT_EQ(list->TopRow(), 1);
    EXPECT_TRUE(list->GetWindow()->HasScrollBar());

    EXPECT_TRUE(list->MoveRow(shown, shown - 1));
    EXPECT_EQ(list->ItemText(shown - 1, 0), "n" + std::to_string(shown));
    EXPECT_EQ(list->ItemText(shown - 1, 1), "\\f" + std::to_string(shown));
    EXPECT_EQ(list->Selection(), shown - 1);
    EXPECT_FALSE(list->MoveRow(0, -1));
    EXPECT_FALSE(list->MoveRow(11, 12));

    EXPECT_TRUE(list->DeleteRow(0));
    EXPECT_EQ(list->RowCount(), 11);
    EXPECT_EQ(list->ItemText(0, 0), "n1");
    EXPECT_EQ(list->Selection(), shown - 2);  // the selected row moved up with the rest

    list->Select(0);
    got_.clear();
    Key(list, VK_UP);  // at the top: the dialog's
    EXPECT_EQ(CountOf(WM_KEYDOWN), 1);
}

TEST_F(ControlsTest, TreeFillsLazilyAndExpandsWithRightLeftAndAction) {
    auto* tree =
        CreateControl(std::make_shared<TreeView>(), parent_, 2004, "", Rect{0, 0, 176, 60}, true);
    const int root = tree->InsertItem(TreeView::kRoot, "Root", 2, 2, true);
    int fills = 0;
    onNotify_ = [&](const Received& r) {
        if (r.code == static_cast<unsigned>(kTreeItemExpanding) && tree->FirstChild(r.item) < 0 &&
            r.item == root) {
            ++fills;
            tree->InsertItem(root, "A", 1, 0, true);
            tree->InsertItem(root, "b.jpg", 7, 7, false);
        }
    };
    tree->Select(root);
    Key(tree, VK_RIGHT);
    EXPECT_EQ(fills, 1);
    EXPECT_EQ(tree->ItemTexts(), (std::vector<std::string>{"Root", "A", "b.jpg"}));
    EXPECT_EQ(tree->ItemDepths(), (std::vector<int>{0, 1, 1}));
    Key(tree, VK_RIGHT);  // expanded: to the first child
    EXPECT_EQ(tree->GetItem(tree->Selection())->text, "A");
    // "A" claims children but the fill finds none: the button goes, nothing opens.
    Key(tree, VK_RETURN);
    EXPECT_FALSE(tree->GetItem(tree->Selection())->hasChildren);
    EXPECT_EQ(tree->ItemTexts().size(), 3u);
    Key(tree, VK_LEFT);  // to the parent
    EXPECT_EQ(tree->Selection(), root);
    Key(tree, VK_LEFT);  // collapse
    EXPECT_EQ(tree->ItemTexts(), (std::vector<std::string>{"Root"}));
    Key(tree, VK_RETURN);  // open again, without a second fill
    EXPECT_EQ(fills, 1);
    EXPECT_EQ(tree->ItemTexts().size(), 3u);
    Keys(tree, {VK_DOWN, VK_DOWN, VK_DOWN});  // stays on the last
    EXPECT_EQ(tree->GetItem(tree->Selection())->text, "b.jpg");
}

TEST_F(ControlsTest, TreeScrollsToKeepTheSelectionShown) {
    auto* tree =
        CreateControl(std::make_shared<TreeView>(), parent_, 2004, "", Rect{0, 0, 176, 64}, true);
    const int root = tree->InsertItem(TreeView::kRoot, "Root", 2, 2, false);
    for (int i = 0; i < 20; ++i) {
        std::string name = "f";  // (not "f" + ...: GCC 12 warns falsely with -Wrestrict)
        tree->InsertItem(root, name += std::to_string(i), 1, 0, false);
    }
    tree->Expand(root, true);
    tree->Select(root);
    EXPECT_EQ(tree->TopIndex(), 0);
    Key(tree, VK_DOWN, 10);
    EXPECT_GT(tree->TopIndex(), 0);
    EXPECT_TRUE(tree->GetWindow()->HasScrollBar());
    Key(tree, VK_UP, 10);
    EXPECT_EQ(tree->TopIndex(), 0);
}

TEST_F(ControlsTest, ImageStripBecomesIconsWithWhiteTransparent) {
    auto strip = Bitmap::Create(32, 15);
    for (int y = 0; y < 15; ++y) {
        uint8_t* row = strip->Row(y);
        for (int x = 0; x < 32; ++x) {
            const bool white = x < 16 ? (x == 0) : (y == 3);
            row[x * 3] = white ? 255 : 10;
            row[x * 3 + 1] = white ? 255 : 20;
            row[x * 3 + 2] = white ? 255 : 30;
        }
    }
    const auto icons = ImageListFromStrip(*strip, 16, 15, Rgb(255, 255, 255));
    ASSERT_EQ(icons.size(), 2u);
    EXPECT_EQ(icons[0].pixels[0], 0u);
    EXPECT_EQ(icons[0].pixels[1], 0xFF1E140Au);
    EXPECT_EQ(icons[1].pixels[3 * 16 + 5], 0u);
    EXPECT_EQ(icons[1].pixels[4 * 16 + 5], 0xFF1E140Au);
}

namespace {

DialogTemplate SmallDialog() {
    DialogTemplate t;
    t.id = 9001;
    t.title = "Test";
    t.width = 120;
    t.height = 300;  // taller than the screen
    t.controls = {
        {2022, ControlKind::kCheckBox, "First", 2, 6, 74, 10, 0},
        {2030, ControlKind::kEdit, "", 2, 20, 100, 12, 0},
        {-1, ControlKind::kStatic, "label", 2, 40, 60, 8, 0},
        {2023, ControlKind::kCheckBox, "Disabled", 2, 60, 74, 10, kStyleDisabled},
        {2024, ControlKind::kCheckBox, "Far down", 2, 280, 74, 10, 0},
        {2045, ControlKind::kGroupBox, "Title", 4, 100, 110, 30, kStyleHidden},
    };
    return t;
}

// A host action pressing and releasing a key.
std::function<void()> Press(unsigned vk) {
    return [vk] {
        WindowSystem::Get().PostKey(vk, true);
        WindowSystem::Get().PostKey(vk, false);
    };
}

}  // namespace

TEST_F(ControlsTest, DialogMovesFocusOverTabStopsWithWrapAndScrollsToIt) {
    const DialogTemplate t = SmallDialog();
    std::vector<int> focus;
    std::vector<int> scroll;
    Dialog* open = nullptr;
    auto record = [&] {
        focus.push_back(open->FocusedControl() ? open->FocusedControl()->Id() : 0);
        scroll.push_back(open->ScrollOffset());
    };
    host_.actions = {record,         Press(VK_DOWN), record,       Press(VK_DOWN), record,
                     Press(VK_DOWN), record,         Press(VK_UP), record};
    const int result =
        Dialog::Run(t, parent_, [&](Dialog& d, unsigned m, WPARAM, LPARAM, LRESULT* r) {
            if (m == WM_INITDIALOG) {
                open = &d;
                d.CreateSoftkeyBar(
                    SoftkeyBarTemplate{1, {{40001, "OK", -1}, {40002, "Cancel", -1}}, {}});
                d.MakeFullScreen();
                *r = 1;
                return true;
            }
            return false;
        });
    EXPECT_EQ(result, 2);  // ended by the host as a user would: Cancel
    // The disabled box is passed over; the last stop wraps to the first.
    EXPECT_EQ(focus, (std::vector<int>{2022, 2030, 2024, 2022, 2024}));
    EXPECT_EQ(scroll[0], 0);
    EXPECT_GT(scroll[2], 0);
    EXPECT_EQ(scroll[3], 0);
}

TEST_F(ControlsTest, BackErasesInTheEditThenCancelsAndOkConfirms) {
    const DialogTemplate t = SmallDialog();
    std::string seen;
    host_.actions = {[] { WindowSystem::Get().PostText("ab"); }, Press(VK_TBACK), Press(VK_TBACK),
                     Press(VK_TBACK)};
    int commands = 0;
    const int result =
        Dialog::Run(t, parent_, [&](Dialog& d, unsigned m, WPARAM wp, LPARAM, LRESULT* r) {
            if (m == WM_INITDIALOG) {
                d.CreateSoftkeyBar(SoftkeyBarTemplate{1, {{40001, "OK", -1}}, {}});
                d.MakeFullScreen();
                d.FocusItem(2030);
                *r = 0;
                return true;
            }
            if (m == WM_COMMAND && LowWord(wp) == IDCANCEL) {
                ++commands;
                seen = d.ItemText(2030);
            }
            return false;
        });
    EXPECT_EQ(result, 2);
    EXPECT_EQ(commands, 1);
    EXPECT_EQ(seen, "");  // two Backs erased "ab", the third cancelled

    host_.actions = {
        [&] { WindowSystem::Get().Post(WindowSystem::Get().TopWindow(), WM_COMMAND, 40001, 0); }};
    EXPECT_EQ(Dialog::Run(t, parent_, nullptr), 1);
}

TEST_F(ControlsTest, ControlRectInDialogFollowsScrollingAndUnitsFollowTheFont) {
    const DialogTemplate t = SmallDialog();
    Rect before;
    Rect after;
    int reported = 0;
    host_.actions = {[&] {
        Dialog* d = Dialog::Open().back();
        ControlRectInDialog(d->GetWindow(), 2045, &before);
        d->ScrollTo(30);
        ControlRectInDialog(d->GetWindow(), 2045, &after);
        DialogState state;
        ASSERT_TRUE(DescribeTopDialog(&state));
        reported = state.id;
    }};
    Dialog::Run(t, parent_, [](Dialog& d, unsigned m, WPARAM, LPARAM, LRESULT*) {
        if (m == WM_INITDIALOG)
            d.MakeFullScreen();
        return false;
    });
    auto font = DialogFont(9);
    const Rect expected = DialogUnitsToPixels(*font, 4, 100, 110, 30);
    EXPECT_EQ(before, expected);
    EXPECT_EQ(after, expected.Offset(0, -30));
    EXPECT_EQ(reported, 9001);
    // A quarter of the average width across, an eighth of the cell height down.
    const Rect r = DialogUnitsToPixels(*font, 8, 16, 4, 8);
    EXPECT_EQ(r.left, 2 * font->Metrics().averageCharWidth);
    EXPECT_EQ(r.top, 2 * font->Metrics().height);
    EXPECT_EQ(r.Height(), font->Metrics().height);
}
