// Spinner lists with their arrows, and edit boxes with multi-tap letters.
#include <algorithm>

#include "platform/graphics/theme.h"
#include "platform/os/text.h"
#include "platform/toolkit/controls.h"
#include "platform/window/window_system.h"

namespace plat {

// ---- SpinnerList ----

int SpinnerList::AddString(const std::string& text) {
    items_.push_back(text);
    Repaint();
    return Count() - 1;
}

void SpinnerList::Clear() {
    items_.clear();
    selection_ = -1;
    Repaint();
}

std::string SpinnerList::Item(int index) const {
    if (index < 0 || index >= Count()) {
        return std::string();
    }
    return items_[static_cast<size_t>(index)];
}

bool SpinnerList::SetSelection(int index) {
    if (index < 0 || index >= Count()) {
        return false;
    }
    selection_ = index;
    Repaint();
    return true;
}

void SpinnerList::Step(int direction) {
    const int n = Count();
    if (n == 0) {
        return;
    }
    const int from = selection_ < 0 ? 0 : selection_;
    selection_ = ((from + direction) % n + n) % n;
    Repaint();
    NotifyCommand(kNotifySelChange);
}

bool SpinnerList::OnKeyDown(unsigned key, int repeat) {
    if (key != VK_LEFT && key != VK_RIGHT) {
        return false;
    }
    for (int i = 0; i < std::max(1, repeat); ++i) {
        Step(key == VK_LEFT ? -1 : 1);
    }
    return true;
}

void SpinnerList::OnFocus(bool gained) {
    if (arrows_) {
        arrows_->Highlight(gained);
    }
    Repaint();
}

void SpinnerList::Paint(Canvas& c, const Rect& client) {
    const bool enabled = window_->IsEnabled();
    const bool focus = HasFocus();
    c.FillRect(client, enabled ? theme::kWindow : Rgb(236, 236, 236));
    c.FrameRect(client, focus ? theme::kHighlight : enabled ? theme::kBorder : theme::kGreyText);
    Rect inner = client.Inflate(-1, -1);
    if (focus) {
        c.FillRect(inner, theme::kHighlight);
        c.SetTextColor(theme::kHighlightText);
    }
    Rect t{inner.left + 2, inner.top, inner.right - 1, inner.bottom};
    c.DrawText(Item(selection_), &t,
               kTextSingleLine | kTextVCenter | kTextEndEllipsis | kTextNoPrefix);
}

// ---- UpDown ----

void UpDown::Attach(SpinnerList* buddy) {
    buddy_ = buddy;
    if (!buddy || !buddy->GetWindow() || !window_) {
        return;
    }
    buddy->SetArrows(this);
    // Aligned to the right of the buddy, inside its old width.
    const Rect b = buddy->GetWindow()->Frame();
    const int width = std::min(kWidth, b.Width() / 2);
    buddy->GetWindow()->Move(Rect{b.left, b.top, b.right - width + 1, b.bottom});
    window_->Move(Rect{b.right - width, b.top, b.right, b.bottom});
}

void UpDown::Highlight(bool on) {
    lit_ = on;
    Repaint();
}

void UpDown::Paint(Canvas& c, const Rect& client) {
    const bool enabled = window_->IsEnabled() && (!buddy_ || buddy_->GetWindow()->IsEnabled());
    c.FillRect(client, enabled ? Rgb(232, 236, 242) : Rgb(236, 236, 236));
    c.FrameRect(client, lit_ ? theme::kHighlight : enabled ? theme::kBorder : theme::kGreyText);
    const Color arrow = !enabled ? theme::kGreyText : lit_ ? theme::kHighlight : theme::kText;
    const int cy = client.Height() / 2;
    const int half = client.Width() / 2;
    // A left arrow in the left half and a right arrow in the right half.
    for (int k = 0; k < 4; ++k) {
        const int lx = half - 5 + k;
        c.Line(lx, cy - k, lx, cy + k + 1, arrow);
        const int rx = half + 4 - k;
        c.Line(rx, cy - k, rx, cy + k + 1, arrow);
    }
}

// ---- EditBox ----

std::u32string EditBox::MultiTapLetters(unsigned key) {
    switch (key) {
        case '1':
            return U".,-?!'@:/1";
        case '2':
            return U"abc2";
        case '3':
            return U"def3";
        case '4':
            return U"ghi4";
        case '5':
            return U"jkl5";
        case '6':
            return U"mno6";
        case '7':
            return U"pqrs7";
        case '8':
            return U"tuv8";
        case '9':
            return U"wxyz9";
        case '0':
            return U" 0";
        default:
            return std::u32string();
    }
}

void EditBox::SetText(const std::string& text) {
    CommitTap();
    // Whole code points only, up to the limit in UTF-16 units.
    std::string cut;
    int units = 0;
    for (char32_t cp : DecodeUtf8(text)) {
        const int n = cp > 0xFFFF ? 2 : 1;
        if (units + n > kMaxLength) {
            break;
        }
        units += n;
        AppendUtf8(&cut, cp);
    }
    text_ = cut;
    Repaint();
}

bool EditBox::Append(char32_t ch) {
    const int n = ch > 0xFFFF ? 2 : 1;
    if (Utf16Length(text_) + n > kMaxLength) {
        WindowSystem::Get().Beep();
        return false;
    }
    AppendUtf8(&text_, ch);
    return true;
}

bool EditBox::EraseLast() {
    if (readOnly_ || text_.empty()) {
        return false;
    }
    const std::vector<size_t> offsets = CodePointOffsets(text_);
    // offsets ends with the size: the last code point starts at the one before.
    text_.erase(offsets[offsets.size() - 2]);
    return true;
}

void EditBox::CommitTap() {
    if (tapKey_ != 0 && window_) {
        WindowSystem::Get().KillTimer(window_, kMultiTapTimer);
    }
    tapKey_ = 0;
    tapIndex_ = 0;
}

bool EditBox::OnKeyDown(unsigned key, int) {
    const std::u32string letters = MultiTapLetters(key);
    if (letters.empty() || readOnly_) {
        if (key == VK_BACK && !readOnly_) {
            CommitTap();
            if (EraseLast()) {
                Repaint();
                NotifyCommand(kNotifyEditChange);
            }
            return true;
        }
        // Any other key ends the letter being tapped.
        if (!readOnly_) {
            CommitTap();
        }
        return false;
    }
    if (key == tapKey_) {
        // The same key again: the next letter replaces the one being tapped.
        tapIndex_ = (tapIndex_ + 1) % letters.size();
        EraseLast();
        AppendUtf8(&text_, letters[tapIndex_]);
    } else {
        CommitTap();
        if (!Append(letters[0])) {
            return true;
        }
        tapKey_ = key;
        tapIndex_ = 0;
    }
    WindowSystem::Get().SetTimer(window_, kMultiTapTimer, kMultiTapMs);
    Repaint();
    NotifyCommand(kNotifyEditChange);
    return true;
}

bool EditBox::OnChar(char32_t ch) {
    if (readOnly_) {
        return false;
    }
    CommitTap();
    if (ch == 8) {
        if (EraseLast()) {
            Repaint();
            NotifyCommand(kNotifyEditChange);
        }
        return true;
    }
    if (ch < 0x20 || ch == 0x7F) {
        return false;
    }
    if (Append(ch)) {
        Repaint();
        NotifyCommand(kNotifyEditChange);
    }
    return true;
}

bool EditBox::OnBack(bool released) {
    if (readOnly_) {
        return false;
    }
    if (released) {
        // The press did the work; the release only says whether it did any.
        const bool used = backErased_;
        backErased_ = false;
        return used;
    }
    CommitTap();
    backErased_ = EraseLast();
    if (backErased_) {
        Repaint();
        NotifyCommand(kNotifyEditChange);
    }
    return backErased_;
}

void EditBox::OnTimer(int id) {
    if (id == kMultiTapTimer) {
        CommitTap();
        Repaint();
    }
}

void EditBox::OnFocus(bool gained) {
    if (!gained) {
        CommitTap();
    }
    Repaint();
}

void EditBox::Paint(Canvas& c, const Rect& client) {
    const bool focus = HasFocus();
    const bool enabled = window_->IsEnabled();
    c.FillRect(client, readOnly_ || !enabled ? Rgb(240, 240, 240) : theme::kWindow);
    c.FrameRect(client, focus ? theme::kHighlight : theme::kBorder);
    if (focus) {
        c.FrameRect(client.Inflate(-1, -1), theme::kHighlight);
    }
    const Rect inner{client.left + 3, client.top + 1, client.right - 3, client.bottom - 1};
    c.IntersectClip(inner);
    const int width = c.TextWidth(text_);
    // The end of the text stays in view while it is being typed.
    const int x = (focus && width > inner.Width()) ? inner.right - 2 - width : inner.left;
    const int y = inner.top + (inner.Height() - c.LineHeight()) / 2;
    if (focus || width <= inner.Width()) {
        c.TextOut(x, y, text_);
    } else {
        Rect r = inner;
        c.DrawText(text_, &r, kTextSingleLine | kTextVCenter | kTextEndEllipsis | kTextNoPrefix);
    }
    if (focus && !readOnly_) {
        const int cx = x + width;
        if (tapKey_ != 0 && !text_.empty()) {
            // The letter being tapped is underlined.
            const std::vector<size_t> offsets = CodePointOffsets(text_);
            const int start =
                x + c.TextWidth(std::string_view(text_).substr(0, offsets[offsets.size() - 2]));
            c.Line(start, y + c.LineHeight() - 1, cx, y + c.LineHeight() - 1, theme::kHighlight);
        }
        c.Line(cx, y, cx, y + c.LineHeight(), theme::kText);
    }
}

}  // namespace plat
