// The control base, static text, group boxes, check boxes and list boxes.
#include "platform/toolkit/controls.h"

#include <algorithm>

#include "platform/graphics/theme.h"
#include "platform/os/collation.h"
#include "platform/os/text.h"
#include "platform/window/window_system.h"

namespace plat {

// ---- Control ----

void Control::SetText(const std::string& text) {
    if (window_) {
        window_->SetTitle(text);
    }
}

void Control::SetFont(std::shared_ptr<Font> font) {
    font_ = std::move(font);
    Repaint();
}

bool Control::HasFocus() const {
    return window_ && WindowSystem::Get().Focus() == window_;
}

void Control::Repaint() {
    if (window_ && window_->IsAlive()) {
        window_->Invalidate(nullptr, true);
    }
}

Canvas Control::PreparedCanvas() {
    Canvas c = window_->BeginPaint();
    c.SetFont(font_ ? font_ : theme::UiFont());
    c.SetBackgroundMode(BackgroundMode::kTransparent);
    c.SetTextColor(window_->IsEnabled() ? theme::kText : theme::kGreyText);
    return c;
}

void Control::NotifyCommand(unsigned code) {
    if (window_ && window_->Parent()) {
        window_->Parent()->Send(WM_COMMAND, MakeWParam(static_cast<unsigned>(window_->Id()), code),
                                reinterpret_cast<LPARAM>(window_));
    }
}

LRESULT Control::NotifyParent(NotifyHeader* header) {
    if (!window_ || !window_->Parent()) {
        return 0;
    }
    header->from = window_;
    header->id = window_->Id();
    return window_->Parent()->Send(WM_NOTIFY, static_cast<WPARAM>(window_->Id()),
                                   reinterpret_cast<LPARAM>(header));
}

LRESULT Control::Handle(Window* window, unsigned message, WPARAM wParam, LPARAM lParam) {
    if (!window_) {
        window_ = window;
        window->userData = this;
    }
    switch (message) {
        case WM_ERASEBKGND: {
            Canvas c = window->GetCanvas();
            c.FillRect(window->ClientRect(), theme::kWindow);
            return 1;
        }
        case WM_PAINT: {
            Canvas c = PreparedCanvas();
            Paint(c, window->ClientRect());
            window->Validate();
            return 0;
        }
        case WM_KEYDOWN:
            if (window->IsEnabled() &&
                OnKeyDown(static_cast<unsigned>(wParam), static_cast<int>(lParam & 0xFFFF))) {
                return 1;
            }
            // Keys the control has no use for go to the dialog.
            return window->Parent() ? window->Parent()->Send(message, wParam, lParam) : 0;
        case WM_CHAR:
            return window->IsEnabled() && OnChar(static_cast<char32_t>(wParam)) ? 1 : 0;
        case WM_HOTKEY:
            return OnBack((lParam & kHotKeyReleased) != 0) ? 1 : 0;
        case WM_TIMER:
            OnTimer(static_cast<int>(wParam));
            return 0;
        case WM_SETFOCUS:
            OnFocus(true);
            return 0;
        case WM_KILLFOCUS:
            OnFocus(false);
            return 0;
        default:
            return DefWindowProc(window, message, wParam, lParam);
    }
}

Control* ControlOf(Window* window) {
    if (!window || !window->IsAlive()) {
        return nullptr;
    }
    return static_cast<Control*>(window->userData);
}

Window* CreateControlWindow(std::shared_ptr<Control> control, Window* parent, int id,
                            const std::string& text, const Rect& frame, bool visible) {
    if (!control || !parent) {
        return nullptr;
    }
    const std::string kind = control->KindName();
    // The window's procedure holds the object: it goes when the window is freed.
    return Window::Create(
        kind, text, frame, parent,
        [control](Window* w, unsigned m, WPARAM wp, LPARAM lp) {
            return control->Handle(w, m, wp, lp);
        },
        id, visible);
}

// ---- StaticText ----

void StaticText::SetIcon(Icon icon) {
    icon_ = std::move(icon);
    Repaint();
}

void StaticText::SetBitmap(std::unique_ptr<Bitmap> bitmap) {
    bitmap_ = std::move(bitmap);
    Repaint();
}

void StaticText::Paint(Canvas& c, const Rect& client) {
    if (bitmap_) {
        c.DrawDib((client.Width() - bitmap_->Width()) / 2,
                  (client.Height() - bitmap_->Height()) / 2, bitmap_->Width(), bitmap_->Height(),
                  bitmap_->View(), 0, 0);
    }
    if (icon_.width > 0) {
        c.DrawIcon(0, 0, icon_);
    }
    const std::string text = Text();
    if (text.empty()) {
        return;
    }
    unsigned flags = kTextNoPrefix;
    if (align_ == Align::kCenter) {
        flags |= kTextCenter;
    } else if (align_ == Align::kRight) {
        flags |= kTextRight;
    }
    Rect r = client;
    if (client.Height() >= 2 * c.LineHeight()) {
        flags |= kTextWordBreak;
    } else {
        flags |= kTextSingleLine | kTextEndEllipsis;
    }
    c.DrawText(text, &r, flags);
}

// ---- GroupBox ----

void GroupBox::Paint(Canvas& c, const Rect& client) {
    const int mid = c.LineHeight() / 2;
    c.FrameRect(Rect{client.left, client.top + mid, client.right, client.bottom},
                theme::kSeparator);
    const std::string text = Text();
    if (!text.empty()) {
        const int w = c.TextWidth(text);
        c.FillRect(Rect{6, 0, 10 + w, c.LineHeight()}, theme::kWindow);
        c.TextOut(8, 0, text);
    }
}

// ---- CheckBox ----

void CheckBox::SetChecked(bool checked) {
    if (checked_ != checked) {
        checked_ = checked;
        Repaint();
    }
}

void CheckBox::Paint(Canvas& c, const Rect& client) {
    const bool enabled = window_->IsEnabled();
    const int size = std::min(11, client.Height());
    const int top = (client.Height() - size) / 2;
    const Rect box{1, top, 1 + size, top + size};
    c.FillRect(box, enabled ? theme::kWindow : Rgb(236, 236, 236));
    c.FrameRect(box, enabled ? theme::kBorder : theme::kGreyText);
    if (checked_) {
        const Color mark = enabled ? theme::kText : theme::kGreyText;
        // A tick, two pixels thick.
        const int x = box.left + 2;
        const int y = box.top + size / 2;
        const int pts[][2] = {{0, 0}, {1, 1}, {2, 2}, {3, 1}, {4, 0}, {5, -1}, {6, -2}};
        for (const auto& p : pts) {
            c.SetPixel(x + p[0], y + p[1], mark);
            c.SetPixel(x + p[0], y + p[1] - 1, mark);
        }
    }
    const std::string text = Text();
    const int textLeft = box.right + 4;
    Rect t{textLeft, 0, client.right, client.bottom};
    if (HasFocus()) {
        const int w = std::min(client.right - textLeft + 2, c.TextWidth(text) + 4);
        c.FillRect(Rect{textLeft - 2, 0, textLeft - 2 + w, client.bottom}, theme::kHighlight);
        c.SetTextColor(theme::kHighlightText);
    }
    c.DrawText(text, &t, kTextSingleLine | kTextVCenter | kTextEndEllipsis | kTextNoPrefix);
}

bool CheckBox::OnKeyDown(unsigned key, int) {
    if (key != VK_RETURN) {
        return false;
    }
    SetChecked(!checked_);
    NotifyCommand(kNotifyClicked);
    return true;
}

// ---- ListBox ----

int ListBox::AddString(const std::string& text) {
    if (!sorted_) {
        items_.push_back(text);
        return Count() - 1;
    }
    const auto at = std::upper_bound(
        items_.begin(), items_.end(), text,
        [](const std::string& a, const std::string& b) { return CollateNoCase(a, b) < 0; });
    const int index = static_cast<int>(at - items_.begin());
    items_.insert(at, text);
    return index;
}

void ListBox::Paint(Canvas& c, const Rect& client) {
    c.FrameRect(client, theme::kBorder);
    int y = 1;
    for (const std::string& item : items_) {
        if (y >= client.bottom) {
            break;
        }
        c.TextOut(3, y, item);
        y += c.LineHeight();
    }
}

}  // namespace plat
