#include "platform/shell/message_box.h"

#include <vector>

#include "platform/graphics/canvas.h"
#include "platform/graphics/theme.h"
#include "platform/shell/shell.h"
#include "platform/window/window_system.h"

namespace plat {
namespace {

struct BoxState {
    MessageBoxInfo info;
    int result = 0;
    bool done = false;
};

std::vector<BoxState*>& OpenBoxes() {
    static std::vector<BoxState*> boxes;
    return boxes;
}

void DrawIconMark(Canvas& c, const std::string& icon, int cx, int cy) {
    if (icon.empty())
        return;
    Color fill = theme::kHighlight;
    const char* glyph = "i";
    if (icon == "question") {
        glyph = "?";
    } else if (icon == "exclamation") {
        fill = Rgb(230, 160, 0);
        glyph = "!";
    } else if (icon == "error") {
        fill = Rgb(200, 30, 30);
        glyph = "x";
    }
    constexpr int r = 11;
    for (int dy = -r; dy <= r; ++dy) {
        for (int dx = -r; dx <= r; ++dx) {
            const int d = dx * dx + dy * dy;
            if (d <= r * r)
                c.SetPixel(cx + dx, cy + dy, d >= (r - 1) * (r - 1) ? Rgb(40, 40, 40) : fill);
        }
    }
    c.SetFont(Font::Create(FontSpec{-16, 700, false, "Nina"}));
    c.SetTextColor(0xFFFFFF);
    c.SetBackgroundMode(BackgroundMode::kTransparent);
    Rect t{cx - r, cy - r, cx + r + 1, cy + r + 1};
    c.DrawText(glyph, &t, kTextSingleLine | kTextCenter | kTextVCenter | kTextNoPrefix);
}

LRESULT BoxProc(Window* window, unsigned message, WPARAM wParam, LPARAM lParam) {
    auto* box = static_cast<BoxState*>(window->userData);
    switch (message) {
        case WM_ERASEBKGND: {
            Canvas c = window->GetCanvas();
            c.FillRect(window->ClientRect(), theme::kWindow);
            return 1;
        }
        case WM_PAINT: {
            Canvas c = window->BeginPaint();
            const Rect client = window->ClientRect();
            DrawIconMark(c, box->info.icon, 20, 24);
            c.SetFont(theme::UiFont());
            c.SetTextColor(theme::kText);
            c.SetBackgroundMode(BackgroundMode::kTransparent);
            const int left = box->info.icon.empty() ? 8 : 38;
            Rect text{left, 12, client.right - 6, client.bottom - 4};
            c.DrawText(box->info.text, &text, kTextWordBreak | kTextNoPrefix);
            window->Validate();
            return 0;
        }
        case WM_COMMAND:
            box->result = static_cast<int>(LowWord(wParam));
            box->done = true;
            return 0;
        case WM_HOTKEY:
            if (HighWord(static_cast<uintptr_t>(lParam)) == VK_TBACK &&
                (lParam & kHotKeyReleased)) {
                box->result = box->info.buttons == "yesno" ? IDNO : IDOK;
                box->done = true;
            }
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_RETURN) {
                box->result = box->info.buttons == "yesno" ? IDYES : IDOK;
                box->done = true;
            }
            return 0;
        case WM_CLOSE:
            box->result = box->info.buttons == "yesno" ? IDNO : IDOK;
            box->done = true;
            return 0;
        default:
            return DefWindowProc(window, message, wParam, lParam);
    }
}

}  // namespace

int MessageBox(Window*, const std::string& text, const std::string& caption, unsigned flags) {
    BoxState box;
    box.info.text = text;
    box.info.caption = caption;
    switch (flags & 0xF0) {
        case MB_ICONQUESTION:
            box.info.icon = "question";
            break;
        case MB_ICONEXCLAMATION:
            box.info.icon = "exclamation";
            break;
        case MB_ICONASTERISK:
            box.info.icon = "information";
            break;
        case MB_ICONHAND:
            box.info.icon = "error";
            break;
        default:
            break;
    }
    const bool yesNo = (flags & 0xF) == MB_YESNO;
    box.info.buttons = yesNo ? "yesno" : "ok";

    WindowSystem& ws = WindowSystem::Get();
    Window* previousFocus = ws.Focus();
    Window* window = Window::Create("MessageBox", caption, Shell::WorkArea(), nullptr, BoxProc);
    if (!window) {
        return 0;
    }
    window->userData = &box;
    window->Invalidate(nullptr, true);
    SoftkeyBarTemplate tmpl;
    tmpl.id = 0;
    if (yesNo) {
        tmpl.buttons = {{IDYES, "Yes", -1}, {IDNO, "No", -1}};
    } else {
        tmpl.buttons = {{IDOK, "OK", -1}};
    }
    SoftkeyBar* bar = SoftkeyBar::Create(window, tmpl);
    if (bar)
        bar->OverrideBack(true);
    ws.SetFocus(window);
    OpenBoxes().push_back(&box);
    ws.PushModal(ModalLoop{"messageBox", [&box] {
                               box.result = box.info.buttons == "yesno" ? IDNO : IDOK;
                               box.done = true;
                           }});
    ws.RunModalLoop([&box] { return box.done; });
    ws.PopModal();
    OpenBoxes().pop_back();
    window->userData = nullptr;
    window->SetProc(nullptr);
    window->Destroy();
    if (previousFocus && ws.IsWindow(previousFocus)) {
        ws.SetFocus(previousFocus);
    }
    return box.result == 0 ? (yesNo ? IDNO : IDOK) : box.result;
}

const MessageBoxInfo* OpenMessageBox() {
    return OpenBoxes().empty() ? nullptr : &OpenBoxes().back()->info;
}

}  // namespace plat
