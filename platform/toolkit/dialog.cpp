#include "platform/toolkit/dialog.h"

#include <algorithm>

#include "platform/graphics/theme.h"
#include "platform/window/window_system.h"

namespace plat {
namespace {

std::vector<Dialog*>& OpenDialogs() {
    static std::vector<Dialog*> dialogs;
    return dialogs;
}

bool IsBackHotKey(LPARAM lParam) {
    return HighWord(static_cast<uintptr_t>(lParam)) == VK_TBACK;
}

// Space kept between a focused control and the window's edge when scrolling to it.
constexpr int kScrollMargin = 4;

std::shared_ptr<Control> MakeControl(const ControlTemplate& t) {
    switch (t.kind) {
        case ControlKind::kStatic:
        case ControlKind::kIcon: {
            auto align = (t.style & kStyleCenter)  ? StaticText::Align::kCenter
                         : (t.style & kStyleRight) ? StaticText::Align::kRight
                                                   : StaticText::Align::kLeft;
            return std::make_shared<StaticText>(align);
        }
        case ControlKind::kGroupBox:
            return std::make_shared<GroupBox>();
        case ControlKind::kCheckBox:
            return std::make_shared<CheckBox>();
        case ControlKind::kSpinner:
            return std::make_shared<SpinnerList>();
        case ControlKind::kUpDown:
            return std::make_shared<UpDown>();
        case ControlKind::kEdit:
            return std::make_shared<EditBox>((t.style & kStyleReadOnly) != 0);
        case ControlKind::kReportList:
            return std::make_shared<ReportList>();
        case ControlKind::kTreeView:
            return std::make_shared<TreeView>();
        case ControlKind::kListBox:
            return std::make_shared<ListBox>((t.style & kStyleSorted) != 0);
    }
    return nullptr;
}

}  // namespace

std::shared_ptr<Font> DialogFont(int points) {
    // The phone's 9-point face is about 10 pixels high on its screen.
    return Font::Create(FontSpec{-(std::max(6, points) + 1), 400, false, "Nina"});
}

std::shared_ptr<Font> DialogTitleFont() {
    return theme::UiBoldFont();
}

Rect DialogUnitsToPixels(const Font& font, int x, int y, int width, int height) {
    const int baseX = std::max(1, font.Metrics().averageCharWidth);
    const int baseY = std::max(1, font.Metrics().height);
    const auto px = [baseX](int v) { return (v * baseX + 2) / 4; };
    const auto py = [baseY](int v) { return (v * baseY + 4) / 8; };
    const int left = px(x);
    const int top = py(y);
    return Rect{left, top, left + std::max(0, px(width)), top + std::max(0, py(height))};
}

const std::vector<Dialog*>& Dialog::Open() {
    return OpenDialogs();
}

int Dialog::Run(const DialogTemplate& tmpl, Window* owner, DialogProc proc) {
    WindowSystem& ws = WindowSystem::Get();
    Window* previousFocus = ws.Focus();
    Dialog dialog;
    dialog.template_ = &tmpl;
    dialog.proc_ = std::move(proc);
    dialog.font_ = DialogFont(tmpl.fontPoints);
    // Until the shell makes it full screen the dialog has its template's size, centred in
    // the work area.
    const Rect area = Shell::WorkArea();
    const Rect size = DialogUnitsToPixels(*dialog.font_, 0, 0, tmpl.width, tmpl.height);
    const int w = std::min(area.Width(), size.Width());
    const int h = std::min(area.Height(), size.Height());
    const Rect frame{area.left + (area.Width() - w) / 2, area.top + (area.Height() - h) / 2,
                     area.left + (area.Width() - w) / 2 + w,
                     area.top + (area.Height() - h) / 2 + h};
    Dialog* self = &dialog;
    dialog.window_ = Window::Create("Dialog", tmpl.title, frame, nullptr,
                                    [self](Window*, unsigned m, WPARAM wp, LPARAM lp) {
                                        return self->WindowProcedure(m, wp, lp);
                                    });
    if (!dialog.window_) {
        return -1;
    }
    (void)owner;  // the dialog covers its owner; the window system keeps the order
    OpenDialogs().push_back(&dialog);
    dialog.CreateControls();
    LRESULT answer = 1;
    const bool handled = dialog.proc_ && dialog.proc_(dialog, WM_INITDIALOG, 0, 0, &answer);
    if (!dialog.ended_) {
        dialog.UpdateScrollRange();
        if ((!handled || answer != 0) && !dialog.FocusedControl()) {
            dialog.MoveFocus(1);
        }
        if (!dialog.FocusedControl()) {
            ws.SetFocus(dialog.window_);
        }
        dialog.window_->Invalidate(nullptr, true);
        ws.PushModal(ModalLoop{"dialog", [self] {
                                   if (WindowSystem::Get().IsWindow(self->window_)) {
                                       self->window_->Post(WM_COMMAND, IDCANCEL, 0);
                                   }
                               }});
        ws.RunModalLoop([self] { return self->ended_; });
        ws.PopModal();
    }
    OpenDialogs().erase(std::remove(OpenDialogs().begin(), OpenDialogs().end(), &dialog),
                        OpenDialogs().end());
    dialog.window_->SetProc(nullptr);
    dialog.window_->Destroy();
    if (previousFocus && ws.IsWindow(previousFocus)) {
        ws.SetFocus(previousFocus);
    }
    return dialog.result_;
}

bool Dialog::CreateControls() {
    Window* previous = nullptr;
    for (const ControlTemplate& t : template_->controls) {
        std::shared_ptr<Control> control = MakeControl(t);
        if (!control) {
            continue;
        }
        control->SetFont(font_);
        if (t.style & kStyleNoTabStop) {
            control->tabStop = false;
        }
        const Rect frame = DialogUnitsToPixels(*font_, t.x, t.y, t.width, t.height);
        Control* raw = control.get();
        Window* w = CreateControlWindow(std::move(control), window_, t.id, t.text ? t.text : "",
                                        frame, (t.style & kStyleHidden) == 0);
        if (!w) {
            return false;
        }
        if (t.style & kStyleDisabled) {
            w->Enable(false);
        }
        if (auto* arrows = dynamic_cast<UpDown*>(raw)) {
            if (auto* buddy = dynamic_cast<SpinnerList*>(ControlOf(previous))) {
                arrows->Attach(buddy);
            }
        }
        previous = w;
    }
    for (Window* c : window_->Children()) {
        layout_.emplace_back(c, c->Frame());
    }
    WidenLabels();
    return true;
}

void Dialog::WidenLabels() {
    // The phone's face is narrower than ours: a check box or one-line label whose text does
    // not fit may use the free space to its right, up to the next control or the edge.
    const int edge = WindowSystem::Get().ScreenWidth() - kScrollBarWidth - 2;
    for (auto& [w, r] : layout_) {
        Control* c = ControlOf(w);
        auto* label = dynamic_cast<StaticText*>(c);
        const bool oneLine = label && label->GetAlign() == StaticText::Align::kLeft &&
                             r.Height() < 2 * font_->Metrics().height;
        if (!dynamic_cast<CheckBox*>(c) && !oneLine) {
            continue;
        }
        const int need = font_->TextWidth(c->Text()) + (oneLine ? 2 : 20);
        if (need <= r.Width()) {
            continue;
        }
        int limit = edge;
        for (const auto& [other, o] : layout_) {
            if (other != w && other->IsVisible() && o.top < r.bottom && o.bottom > r.top &&
                o.left >= r.right - 1) {
                limit = std::min(limit, o.left - 1);
            }
        }
        r.right = std::max(r.right, std::min(r.left + need, limit));
        w->Move(r);
    }
}

bool Dialog::CreateSoftkeyBar(const SoftkeyBarTemplate& bar) {
    if (bar.buttons.empty()) {
        return false;
    }
    bar_ = SoftkeyBar::Create(window_, bar);
    if (!bar_) {
        return false;
    }
    bar_->OverrideBack(true);
    return true;
}

bool Dialog::MakeFullScreen() {
    Shell::MakeFullScreenDialog(window_);
    UpdateScrollRange();
    return true;
}

void Dialog::End(int result) {
    if (!ended_) {
        ended_ = true;
        result_ = result;
    }
}

Window* Dialog::Item(int id) const {
    return window_ ? window_->Child(id) : nullptr;
}

std::string Dialog::ItemText(int id) const {
    Control* c = ItemControl(id);
    if (c) {
        return c->Text();
    }
    Window* w = Item(id);
    return w ? w->Title() : std::string();
}

void Dialog::SetItemText(int id, const std::string& text) {
    if (Control* c = ItemControl(id)) {
        c->SetText(text);
    }
}

bool Dialog::IsTabStop(Window* control) const {
    Control* c = ControlOf(control);
    return c && c->tabStop && control->IsVisible() && control->IsEnabled() && control->IsAlive();
}

Window* Dialog::FocusedControl() const {
    Window* f = WindowSystem::Get().Focus();
    return f && f->Parent() == window_ ? f : nullptr;
}

void Dialog::FocusItem(int id) {
    FocusControl(Item(id));
}

void Dialog::FocusControl(Window* control) {
    if (!control || control->Parent() != window_) {
        return;
    }
    WindowSystem::Get().SetFocus(control);
    // Scroll so the control shows, or to an end when it is the first or last stop (so the
    // titles above the first and the text below the last come into view too).
    const Rect client = window_->ClientRect();
    if (contentHeight_ <= client.Height()) {
        return;
    }
    Rect base;
    bool first = true;
    bool last = true;
    bool seen = false;
    for (const auto& [w, r] : layout_) {
        if (w == control) {
            base = r;
            seen = true;
            continue;
        }
        if (IsTabStop(w)) {
            (seen ? last : first) = false;
        }
    }
    int offset = scroll_;
    if (first) {
        offset = 0;
    } else if (last) {
        offset = contentHeight_ - client.Height();
    } else if (base.top - kScrollMargin < offset) {
        offset = base.top - kScrollMargin;
    } else if (base.bottom + kScrollMargin > offset + client.Height()) {
        offset = base.bottom + kScrollMargin - client.Height();
    }
    ScrollTo(offset);
}

void Dialog::MoveFocus(int step) {
    std::vector<Window*> stops;
    for (const auto& entry : layout_) {
        if (IsTabStop(entry.first)) {
            stops.push_back(entry.first);
        }
    }
    if (stops.empty()) {
        return;
    }
    Window* current = FocusedControl();
    const auto it = std::find(stops.begin(), stops.end(), current);
    const int n = static_cast<int>(stops.size());
    int index = 0;
    if (it == stops.end()) {
        index = step >= 0 ? 0 : n - 1;
    } else {
        index = ((static_cast<int>(it - stops.begin()) + step) % n + n) % n;
    }
    FocusControl(stops[static_cast<size_t>(index)]);
}

void Dialog::EnableItem(int id, bool enabled) {
    Window* w = Item(id);
    if (!w) {
        return;
    }
    const bool hadFocus = FocusedControl() == w;
    w->Enable(enabled);
    if (hadFocus && !enabled) {
        MoveFocus(1);
        if (FocusedControl() == w) {
            WindowSystem::Get().SetFocus(window_);
        }
    }
}

void Dialog::ShowItem(int id, bool visible) {
    Window* w = Item(id);
    if (!w) {
        return;
    }
    const bool hadFocus = FocusedControl() == w;
    w->Show(visible);
    if (hadFocus && !visible) {
        MoveFocus(1);
        if (FocusedControl() == w) {
            WindowSystem::Get().SetFocus(window_);
        }
    }
}

void Dialog::SetItemFrame(int id, const Rect& frame) {
    for (auto& entry : layout_) {
        if (entry.first->Id() == id) {
            entry.second = frame;
        }
    }
    UpdateScrollRange();
    PlaceControls();
}

void Dialog::UpdateScrollRange() {
    int bottom = 0;
    for (const auto& entry : layout_) {
        bottom = std::max(bottom, entry.second.bottom);
    }
    const Rect size = DialogUnitsToPixels(*font_, 0, 0, template_->width, template_->height);
    contentHeight_ = std::max(bottom, size.Height());
    const int visible = window_->Frame().Height();
    if (contentHeight_ > visible) {
        window_->SetScrollPage(visible);
        window_->SetScrollRange(0, contentHeight_ - visible, true);
    } else {
        window_->SetScrollRange(0, 0, true);
    }
    ScrollTo(scroll_);
}

void Dialog::ScrollTo(int offset) {
    const int visible = window_->ClientRect().Height();
    offset = std::clamp(offset, 0, std::max(0, contentHeight_ - visible));
    const bool changed = offset != scroll_;
    scroll_ = offset;
    window_->SetScrollPos(scroll_, true);
    PlaceControls();
    if (changed) {
        window_->Invalidate(nullptr, true);
    }
}

void Dialog::PlaceControls() {
    for (const auto& [w, r] : layout_) {
        if (w->IsAlive()) {
            w->Move(r.Offset(0, -scroll_));
        }
    }
}

void Dialog::DefaultBack(LPARAM lParam) {
    const bool released = (lParam & kHotKeyReleased) != 0;
    // The shell's "send Back to the focus window": an edit box erases with it.
    Window* focus = FocusedControl();
    if (!released) {
        backPressUsed_ = focus && focus->Send(WM_HOTKEY, 0, lParam) != 0;
        return;
    }
    if (focus) {
        focus->Send(WM_HOTKEY, 0, lParam);
    }
    if (backPressUsed_) {
        backPressUsed_ = false;
        return;
    }
    window_->Send(WM_COMMAND, IDCANCEL, 0);
}

LRESULT Dialog::WindowProcedure(unsigned message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (message == WM_ERASEBKGND) {
        Canvas c = window_->GetCanvas();
        c.FillRect(window_->ClientRect(), theme::kWindow);
        return 1;
    }
    if (proc_ && message != WM_DESTROY && proc_(*this, message, wParam, lParam, &result)) {
        if (message == WM_PAINT) {
            window_->Validate();
        }
        return result;
    }
    switch (message) {
        case WM_PAINT:
            window_->Validate();
            return 0;
        case WM_COMMAND: {
            const unsigned id = LowWord(wParam);
            if (id == 1 || id == 40001) {
                End(1);
            } else if (id == 2 || id == 40002) {
                End(2);
            }
            return 0;
        }
        case WM_HOTKEY:
            if (IsBackHotKey(lParam)) {
                DefaultBack(lParam);
            }
            return 0;
        case WM_KEYDOWN:
            // Keys the focused control does not use come here.
            if (wParam == VK_UP) {
                MoveFocus(-1);
                return 1;
            }
            if (wParam == VK_DOWN) {
                MoveFocus(1);
                return 1;
            }
            return 0;
        case WM_CLOSE:
            window_->Send(WM_COMMAND, IDCANCEL, 0);
            return 0;
        default:
            return DefWindowProc(window_, message, wParam, lParam);
    }
}

bool ControlRectInDialog(Window* dialog, int id, Rect* rect) {
    Window* control = dialog ? dialog->Child(id) : nullptr;
    if (!control) {
        return false;
    }
    // The control's client origin less the dialog's, in screen coordinates.
    const Point c = control->ScreenOrigin();
    const Point d = dialog->ScreenOrigin();
    const Rect client = control->ClientRect();
    *rect = client.Offset(c.x - d.x, c.y - d.y);
    return true;
}

bool DescribeTopDialog(DialogState* state) {
    const auto& open = OpenDialogs();
    if (open.empty()) {
        return false;
    }
    const Dialog* d = open.back();
    Window* w = d->GetWindow();
    if (!w || !w->IsAlive()) {
        return false;
    }
    state->id = d->Template().id;
    state->title = w->Title();
    Window* focus = d->FocusedControl();
    state->focus = focus ? focus->Id() : 0;
    state->scroll = d->ScrollOffset();
    state->controls.clear();
    for (Window* c : w->Children()) {
        DialogControlState s;
        s.id = c->Id();
        s.visible = c->IsVisible();
        s.enabled = c->IsEnabled();
        if (Control* control = ControlOf(c)) {
            s.kind = control->KindName();
            s.text = control->Text();
            s.checked = control->IsChecked();
            s.selection = control->SelectedRow();
            s.items = control->ItemTexts();
            s.depths = control->ItemDepths();
        } else {
            s.kind = "window";
            s.text = c->Title();
        }
        state->controls.push_back(std::move(s));
    }
    return true;
}

}  // namespace plat
