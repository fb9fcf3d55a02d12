#include "platform/shell/shell.h"

#include <algorithm>

#include "platform/graphics/canvas.h"
#include "platform/graphics/theme.h"
#include "platform/os/system_info.h"
#include "platform/window/window_system.h"

namespace plat {
namespace {

std::vector<std::unique_ptr<SoftkeyBar>>& Bars() {
    static std::vector<std::unique_ptr<SoftkeyBar>> bars;
    return bars;
}

LRESULT TrayProc(Window* window, unsigned message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        Shell::PaintTray(&WindowSystem::Get().Screen());
        window->Validate();
        return 0;
    }
    if (message == WM_ERASEBKGND) {
        return 1;
    }
    return DefWindowProc(window, message, wParam, lParam);
}

LRESULT BarProc(Window* window, unsigned message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT || message == WM_ERASEBKGND) {
        return 1;
    }
    if (message == WM_DESTROY) {
        return 0;
    }
    return DefWindowProc(window, message, wParam, lParam);
}

// The battery and signal marks of the title strip: drawn, not loaded.
void DrawStatusMarks(Canvas& c, int right, int top) {
    // Signal: four rising bars.
    for (int i = 0; i < 4; ++i) {
        const int h = 3 + i * 2;
        c.FillRect(Rect{right - 40 + i * 3, top + 15 - h, right - 38 + i * 3, top + 15},
                   theme::kStripText);
    }
    // Battery: an outline with a tip and three quarters filled.
    const Rect body{right - 22, top + 6, right - 6, top + 14};
    c.FrameRect(body, theme::kStripText);
    c.FillRect(Rect{body.right, body.top + 2, body.right + 2, body.bottom - 2}, theme::kStripText);
    c.FillRect(Rect{body.left + 2, body.top + 2, body.left + 11, body.bottom - 2},
               Rgb(120, 220, 120));
}

}  // namespace

// ---- SoftkeyBar ----

SoftkeyBar* SoftkeyBar::Create(Window* owner, const SoftkeyBarTemplate& tmpl) {
    if (!owner) {
        return nullptr;
    }
    RegisterShellHooks();
    auto bar = std::make_unique<SoftkeyBar>();
    WindowSystem& ws = WindowSystem::Get();
    const Rect frame{0, ws.ScreenHeight() - kSoftkeyBarHeight, ws.ScreenWidth(), ws.ScreenHeight()};
    bar->window_ = Window::Create("menu_worker", "", frame, nullptr, BarProc);
    if (!bar->window_) {
        return nullptr;
    }
    bar->owner_ = owner;
    bar->templateId_ = tmpl.id;
    bar->buttons_ = tmpl.buttons;
    bar->enabled_.assign(tmpl.buttons.size(), true);
    for (const auto& popup : tmpl.popups) {
        bar->popups_.push_back(Menu::FromTemplate(popup));
    }
    bar->window_->userData = bar.get();
    Bars().push_back(std::move(bar));
    return Bars().back().get();
}

SoftkeyBar::~SoftkeyBar() {
    if (window_ && window_->IsAlive()) {
        window_->Destroy();
    }
}

bool SoftkeyBar::IsVisible() const {
    return window_ && window_->IsVisible();
}

void SoftkeyBar::Show(bool visible) {
    if (window_)
        window_->Show(visible);
}

Menu* SoftkeyBar::Popup(int index) {
    if (index < 0 || index >= PopupCount())
        return nullptr;
    return popups_[static_cast<size_t>(index)].get();
}

void SoftkeyBar::SetButtonLabel(int command, const std::string& label) {
    for (auto& b : buttons_) {
        if (b.command == command)
            b.label = label;
    }
    if (window_)
        window_->Invalidate(nullptr, false);
}

void SoftkeyBar::EnableButton(int command, bool enabled) {
    for (size_t i = 0; i < buttons_.size(); ++i) {
        if (buttons_[i].command == command)
            enabled_[i] = enabled;
    }
    if (window_)
        window_->Invalidate(nullptr, false);
}

bool SoftkeyBar::ButtonEnabled(int index) const {
    return index >= 0 && index < static_cast<int>(enabled_.size()) &&
           enabled_[static_cast<size_t>(index)];
}

void SoftkeyBar::Press(int index) {
    if (index < 0 || index >= static_cast<int>(buttons_.size()) || !ButtonEnabled(index)) {
        return;
    }
    const SoftkeyButton button = buttons_[static_cast<size_t>(index)];
    Window* owner = owner_;
    if (button.popupIndex >= 0) {
        const int id = TrackPopupMenu(Popup(button.popupIndex), owner, index == 1);
        if (id != 0 && WindowSystem::Get().IsWindow(owner)) {
            owner->Post(WM_COMMAND, static_cast<WPARAM>(id), 0);
        }
    } else if (WindowSystem::Get().IsWindow(owner)) {
        owner->Post(WM_COMMAND, static_cast<WPARAM>(button.command), 0);
    }
}

void SoftkeyBar::Paint(Surface* screen) {
    Canvas c(screen);
    const Rect r = window_->Frame();
    theme::FillGradient(c, r, theme::kStripTop, theme::kStripBottom);
    c.Line(r.left, r.top, r.right, r.top, Rgb(90, 104, 130));
    c.SetFont(theme::UiBoldFont());
    c.SetBackgroundMode(BackgroundMode::kTransparent);
    const int half = r.Width() / 2;
    for (size_t i = 0; i < buttons_.size() && i < 2; ++i) {
        c.SetTextColor(enabled_[i] ? theme::kStripText : theme::kStripGreyText);
        Rect t = i == 0 ? Rect{r.left + 5, r.top + 1, r.left + half - 2, r.bottom}
                        : Rect{r.left + half + 2, r.top + 1, r.right - 5, r.bottom};
        c.DrawText(
            buttons_[i].label, &t,
            kTextSingleLine | kTextVCenter | (i == 0 ? kTextLeft : kTextRight) | kTextEndEllipsis);
    }
    if (buttons_.size() == 2) {
        c.Line(r.left + half, r.top + 5, r.left + half, r.bottom - 4, Rgb(90, 104, 130));
    }
}

SoftkeyBar* SoftkeyBar::FromWindow(Window* window) {
    for (auto& b : Bars()) {
        if (b->window_ == window)
            return b.get();
    }
    return nullptr;
}

SoftkeyBar* SoftkeyBar::Find(Window* owner) {
    SoftkeyBar* found = nullptr;
    for (auto& b : Bars()) {
        if (b->owner_ == owner && b->IsVisible())
            found = b.get();
    }
    return found;
}

SoftkeyBar* SoftkeyBar::Active() {
    Window* top = WindowSystem::Get().TopWindow();
    if (!top)
        return nullptr;
    return Find(top);
}

void DestroyBarsOf(Window* owner) {
    // The bars leave the list before they are freed: freeing one destroys its window, which
    // comes back here while the list would otherwise be half rearranged.
    auto& bars = Bars();
    std::vector<std::unique_ptr<SoftkeyBar>> doomed;
    for (auto it = bars.begin(); it != bars.end();) {
        if ((*it)->Owner() == owner) {
            doomed.push_back(std::move(*it));
            it = bars.erase(it);
        } else {
            ++it;
        }
    }
}

// ---- the window system's link to the shell ----

namespace {

class PhoneShellHooks : public ShellHooks {
  public:
    bool MenuTrackerActive() override { return plat::MenuTrackerActive(); }
    void MenuTrackerKey(unsigned message, unsigned key) override {
        plat::MenuTrackerKey(message, key);
    }
    void PressSoftkey(int index) override {
        if (SoftkeyBar* bar = SoftkeyBar::Active()) {
            bar->Press(index);
        }
    }
    bool PaintSoftkeyBar(Surface* screen) override {
        SoftkeyBar* bar = SoftkeyBar::Active();
        if (!bar || !bar->BarWindow()->NeedsPaint()) {
            return false;
        }
        bar->Paint(screen);
        bar->BarWindow()->Validate();
        return true;
    }
    void PaintOpenMenus(Surface* screen) override {
        if (OpenPopupMenu()) {
            plat::PaintOpenMenus(screen);
        }
    }
    void TopLevelDestroyed(Window* window) override { DestroyBarsOf(window); }
};

}  // namespace

void RegisterShellHooks() {
    static PhoneShellHooks hooks;
    WindowSystem::Get().SetShellHooks(&hooks);
}

// ---- Shell ----

void Shell::Init() {
    RegisterShellHooks();
    WindowSystem& ws = WindowSystem::Get();
    if (!ws.FindWindow("Tray", "Tray")) {
        Window::Create("Tray", "Tray", Rect{0, 0, ws.ScreenWidth(), kTrayHeight}, nullptr,
                       TrayProc);
    }
}

Window* Shell::Tray() {
    return WindowSystem::Get().FindWindow("Tray", "Tray");
}

Rect Shell::WorkArea() {
    const WindowSystem& ws = WindowSystem::Get();
    return Rect{0, kTrayHeight, ws.ScreenWidth(), ws.ScreenHeight() - kSoftkeyBarHeight};
}

void Shell::MakeFullScreenDialog(Window* window) {
    if (window)
        window->Move(WorkArea());
}

bool Shell::StorageCardFolder(std::string* devicePath) {
    return plat::StorageCardFolder(devicePath);
}

void Shell::PaintTray(Surface* screen) {
    Window* tray = Tray();
    if (!tray || !tray->IsVisible())
        return;
    Canvas c(screen);
    const Rect r = tray->Frame();
    theme::FillGradient(c, r, theme::kStripTop, theme::kStripBottom);
    c.Line(r.left, r.bottom - 1, r.right, r.bottom - 1, Rgb(8, 10, 16));
    Window* top = WindowSystem::Get().TopWindow();
    c.SetFont(theme::UiBoldFont());
    c.SetTextColor(theme::kStripText);
    c.SetBackgroundMode(BackgroundMode::kTransparent);
    Rect t{r.left + 4, r.top, r.right - 46, r.bottom - 1};
    c.DrawText(top ? top->Title() : std::string(), &t,
               kTextSingleLine | kTextVCenter | kTextLeft | kTextEndEllipsis | kTextNoPrefix);
    DrawStatusMarks(c, r.right, r.top);
}

}  // namespace plat
