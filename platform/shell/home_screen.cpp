#include "platform/shell/home_screen.h"

#include <ctime>

#include "platform/graphics/canvas.h"
#include "platform/graphics/theme.h"
#include "platform/os/registry.h"
#include "platform/shell/shell.h"
#include "platform/window/window_system.h"

namespace plat {
namespace {

constexpr int kReturnCommand = 1;

struct Desktop {
    HomeScreen::PictureLoader loader;
    std::string returnLabel = "Back";
    Window* window = nullptr;
    Window* previousFocus = nullptr;
    // The background as last read; reread after a settings change.
    bool stale = true;
    std::string backgroundPath;
    std::unique_ptr<Bitmap> picture;
    std::vector<SettingChange> changes;
};

Desktop& TheDesktop() {
    static Desktop desktop;
    return desktop;
}

void ReadBackground(Desktop& d, const Rect& area) {
    d.stale = false;
    d.picture.reset();
    d.backgroundPath.clear();
    Registry::Instance().GetString(kHomeKey, kHomeBackgroundValue, &d.backgroundPath);
    if (!d.backgroundPath.empty() && d.loader) {
        d.picture = d.loader(d.backgroundPath, area.Width(), area.Height());
    }
}

// The default background: a quiet vertical gradient.
void PaintDefault(Canvas& c, const Rect& client) {
    theme::FillGradient(c, client, Rgb(70, 110, 160), Rgb(20, 40, 70));
}

void PaintClock(Canvas& c, const Rect& client) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char time[16];
    char date[32];
    std::strftime(time, sizeof time, "%H:%M", &local);
    std::strftime(date, sizeof date, "%a %d %b %Y", &local);
    c.SetBackgroundMode(BackgroundMode::kTransparent);
    // A dark shadow under white text stays readable on any picture.
    const auto shadowed = [&c](const char* text, Rect r, unsigned flags) {
        c.SetTextColor(Rgb(0, 0, 0));
        Rect s{r.left + 1, r.top + 1, r.right + 1, r.bottom + 1};
        c.DrawText(text, &s, flags);
        c.SetTextColor(Rgb(255, 255, 255));
        c.DrawText(text, &r, flags);
    };
    const unsigned flags = kTextSingleLine | kTextRight | kTextVCenter | kTextNoPrefix;
    c.SetFont(Font::Create(FontSpec{-22, 700, false, "Nina"}));
    shadowed(time, Rect{4, 2, client.right - 6, 28}, flags);
    c.SetFont(theme::UiFont());
    shadowed(date, Rect{4, 28, client.right - 6, 44}, flags);
}

LRESULT DesktopProc(Window* window, unsigned message, WPARAM wParam, LPARAM lParam) {
    Desktop& d = TheDesktop();
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            Canvas c = window->BeginPaint();
            const Rect client = window->ClientRect();
            if (d.stale) {
                ReadBackground(d, client);
            }
            if (d.picture) {
                // Centred, cut where it is larger than the screen.
                const int w = d.picture->Width();
                const int h = d.picture->Height();
                if (w < client.Width() || h < client.Height()) {
                    PaintDefault(c, client);
                }
                const int x = (client.Width() - w) / 2;
                const int y = (client.Height() - h) / 2;
                c.DrawDib(std::max(0, x), std::max(0, y), std::min(w, client.Width()),
                          std::min(h, client.Height()), d.picture->View(), std::max(0, -x),
                          std::max(0, -y));
            } else {
                PaintDefault(c, client);
            }
            PaintClock(c, client);
            window->Validate();
            return 0;
        }
        case WM_SETTINGCHANGE:
            d.stale = true;
            window->Invalidate(nullptr, true);
            return 0;
        case WM_COMMAND:
            if (LowWord(wParam) == kReturnCommand) {
                HomeScreen::Leave();
            }
            return 0;
        case WM_DESTROY:
            if (d.window == window) {
                d.window = nullptr;
            }
            return 0;
        case WM_HOTKEY:
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_CLOSE:
            return 0;
        default:
            return DefWindowProc(window, message, wParam, lParam);
    }
}

}  // namespace

void SendSettingChangeToDesktop(WPARAM wParam, LPARAM lParam) {
    Desktop& d = TheDesktop();
    d.changes.push_back(SettingChange{WM_SETTINGCHANGE, wParam, lParam});
    if (d.window && WindowSystem::Get().IsWindow(d.window)) {
        d.window->Send(WM_SETTINGCHANGE, wParam, lParam);
    } else {
        d.stale = true;
    }
}

const std::vector<SettingChange>& SettingChanges() {
    return TheDesktop().changes;
}

void HomeScreen::SetPictureLoader(PictureLoader loader) {
    TheDesktop().loader = std::move(loader);
    TheDesktop().stale = true;
}

void HomeScreen::SetReturnLabel(const std::string& label) {
    TheDesktop().returnLabel = label;
}

bool HomeScreen::IsShown() {
    Desktop& d = TheDesktop();
    return d.window && WindowSystem::Get().IsWindow(d.window);
}

void HomeScreen::HomeKey() {
    if (IsShown()) {
        return;
    }
    if (Window* top = WindowSystem::Get().TopWindow()) {
        top->Send(WM_HOTKEY, 0, static_cast<LPARAM>(VK_THOME << 16));
    }
    Show();
}

void HomeScreen::Show() {
    Desktop& d = TheDesktop();
    WindowSystem& ws = WindowSystem::Get();
    if (IsShown()) {
        return;
    }
    d.previousFocus = ws.Focus();
    // Everything below the title strip: the picture area and the softkey bar.
    d.window =
        Window::Create("DesktopExplorerWindow", "Home", Shell::WorkArea(), nullptr, DesktopProc);
    if (!d.window) {
        return;
    }
    SoftkeyBarTemplate tmpl;
    tmpl.id = 0;
    tmpl.buttons = {{kReturnCommand, d.returnLabel, -1}};
    if (SoftkeyBar* bar = SoftkeyBar::Create(d.window, tmpl)) {
        bar->OverrideBack(true);
    }
    d.window->Invalidate(nullptr, true);
    ws.SetFocus(d.window);
    ws.InvalidateAll();
}

void HomeScreen::Leave() {
    Desktop& d = TheDesktop();
    WindowSystem& ws = WindowSystem::Get();
    if (!IsShown()) {
        return;
    }
    Window* window = d.window;
    d.window = nullptr;
    window->Destroy();
    if (d.previousFocus && ws.IsWindow(d.previousFocus)) {
        ws.SetFocus(d.previousFocus);
    } else if (Window* top = ws.TopWindow()) {
        ws.SetFocus(top);
    }
    d.previousFocus = nullptr;
    ws.InvalidateAll();
}

std::string HomeScreen::CurrentBackground() {
    Desktop& d = TheDesktop();
    if (d.stale) {
        std::string path;
        Registry::Instance().GetString(kHomeKey, kHomeBackgroundValue, &path);
        return path;
    }
    return d.backgroundPath;
}

}  // namespace plat
