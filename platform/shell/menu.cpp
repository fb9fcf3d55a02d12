#include "platform/shell/menu.h"

#include <algorithm>

#include "platform/graphics/canvas.h"
#include "platform/graphics/theme.h"
#include "platform/os/text.h"
#include "platform/shell/shell.h"
#include "platform/window/window_system.h"

namespace plat {

// ---- the menu model ----

std::unique_ptr<Menu> Menu::FromTemplate(const std::vector<MenuTemplateItem>& lines) {
    auto root = std::make_unique<Menu>();
    // Stack of menus by depth; a submenu header opens the next depth.
    std::vector<Menu*> stack{root.get()};
    for (const MenuTemplateItem& line : lines) {
        const int depth = std::clamp(line.depth, 0, static_cast<int>(stack.size()) - 1);
        stack.resize(static_cast<size_t>(depth) + 1);
        Menu* menu = stack.back();
        MenuItem item;
        if (line.id < 0) {
            item.separator = true;
        } else {
            item.id = line.id;
            item.text = line.text ? line.text : "";
        }
        if (line.id == 0) {
            item.submenu = std::make_unique<Menu>();
        }
        Menu* sub = item.submenu.get();
        menu->items_.push_back(std::move(item));
        if (sub) {
            stack.push_back(sub);
        }
    }
    return root;
}

MenuItem* Menu::FindItem(int id) {
    for (MenuItem& item : items_) {
        if (!item.separator && item.id == id && id != 0) {
            return &item;
        }
        if (item.submenu) {
            if (MenuItem* found = item.submenu->FindItem(id))
                return found;
        }
    }
    return nullptr;
}

Menu* Menu::FindOwner(int id) {
    for (MenuItem& item : items_) {
        if (!item.separator && item.id == id && id != 0) {
            return this;
        }
        if (item.submenu) {
            if (Menu* found = item.submenu->FindOwner(id))
                return found;
        }
    }
    return nullptr;
}

bool Menu::Check(int id, bool checked) {
    MenuItem* item = FindItem(id);
    if (!item)
        return false;
    item->checked = checked;
    item->radio = false;
    return true;
}

bool Menu::CheckRadio(int first, int last, int id) {
    bool any = false;
    for (int i = first; i <= last; ++i) {
        if (MenuItem* item = FindItem(i)) {
            item->checked = (i == id);
            item->radio = (i == id);
            any = true;
        }
    }
    return any;
}

bool Menu::Enable(int id, bool enabled) {
    MenuItem* item = FindItem(id);
    if (!item)
        return false;
    item->grayed = !enabled;
    return true;
}

bool Menu::SetText(int id, const std::string& text) {
    MenuItem* item = FindItem(id);
    if (!item)
        return false;
    item->text = text;
    return true;
}

bool Menu::Remove(int id) {
    Menu* owner = FindOwner(id);
    if (!owner)
        return false;
    auto& v = owner->items_;
    v.erase(std::find_if(v.begin(), v.end(), [id](const MenuItem& i) { return i.id == id; }));
    return true;
}

void Menu::Insert(int pos, MenuItem item) {
    pos = std::clamp(pos, 0, Count());
    items_.insert(items_.begin() + pos, std::move(item));
}

void Menu::RemoveAt(int pos) {
    if (pos >= 0 && pos < Count()) {
        items_.erase(items_.begin() + pos);
    }
}

char32_t AccessKeyOf(const std::string& text) {
    const std::vector<char32_t> cps = DecodeUtf8(text);
    for (size_t i = 0; i + 1 < cps.size(); ++i) {
        if (cps[i] == '&') {
            if (cps[i + 1] == '&') {
                ++i;
                continue;
            }
            return FoldCase(cps[i + 1]);
        }
    }
    return 0;
}

std::string PlainLabel(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\t')
            break;
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') {
                out += '&';
                ++i;
            }
            continue;
        }
        out += text[i];
    }
    return out;
}

// ---- tracking an open popup ----

namespace {

constexpr int kItemHeight = 17;
constexpr int kSeparatorHeight = 5;
constexpr int kMarkColumn = 14;
constexpr int kArrowColumn = 12;

struct Level {
    Menu* menu = nullptr;
    int selected = -1;
    int scrollTop = 0;  // first item shown
    Rect rect;          // screen rectangle
};

struct Tracker {
    bool active = false;
    Menu* root = nullptr;
    Window* owner = nullptr;
    bool rightSide = false;
    std::vector<Level> levels;
    int result = 0;
    bool done = false;
};

Tracker& Track() {
    static Tracker tracker;
    return tracker;
}

bool Selectable(const MenuItem& item) {
    return !item.separator;
}

int ItemHeight(const MenuItem& item) {
    return item.separator ? kSeparatorHeight : kItemHeight;
}

int FirstSelectable(const Menu& menu) {
    for (int i = 0; i < menu.Count(); ++i) {
        if (Selectable(menu.Items()[static_cast<size_t>(i)]))
            return i;
    }
    return -1;
}

// Lays out a level: width from its labels, height from its items, kept on the screen between
// the strips and scrolled when it holds more than fits.
void Layout(Level* level, int depth, bool rightSide) {
    const auto& ws = WindowSystem::Get();
    const int screenW = ws.ScreenWidth();
    const Rect area = Shell::WorkArea();
    const auto font = theme::UiFont();
    int width = 60;
    int height = 2;
    for (const MenuItem& item : level->menu->Items()) {
        height += ItemHeight(item);
        if (item.separator)
            continue;
        std::string label = PlainLabel(item.text);
        int w = font->TextWidth(label);
        const size_t tab = item.text.find('\t');
        if (tab != std::string::npos) {
            w += 8 + font->TextWidth(item.text.substr(tab + 1));
        }
        width = std::max(width, w + kMarkColumn + kArrowColumn + 4);
    }
    width = std::min(width, screenW - 4);
    height = std::min(height, area.Height() - 2);
    Rect r;
    if (depth == 0) {
        r.left = rightSide ? screenW - width - 1 : 1;
        r.bottom = area.bottom;
    } else {
        const Level& parent = Track().levels[static_cast<size_t>(depth - 1)];
        // Cascade: start a little inside the parent, towards the middle of the screen.
        r.left = rightSide ? parent.rect.left - width + 16 : parent.rect.right - 16;
        r.left = std::clamp(r.left, 1, std::max(1, screenW - width - 1));
        r.bottom = area.bottom - 6 * depth;
    }
    r.right = r.left + width;
    r.top = std::max(area.top + 1, r.bottom - height);
    r.bottom = r.top + height;
    level->rect = r;
}

int VisibleBottomIndex(const Level& level) {
    int y = level.rect.top + 1;
    int last = level.scrollTop;
    const auto& items = level.menu->Items();
    for (int i = level.scrollTop; i < level.menu->Count(); ++i) {
        y += ItemHeight(items[static_cast<size_t>(i)]);
        if (y > level.rect.bottom - 1)
            break;
        last = i;
    }
    return last;
}

void KeepSelectionVisible(Level* level) {
    if (level->selected < level->scrollTop) {
        level->scrollTop = level->selected;
    }
    while (level->selected > VisibleBottomIndex(*level) && level->scrollTop < level->selected) {
        ++level->scrollTop;
    }
}

void Redraw() {
    WindowSystem& ws = WindowSystem::Get();
    ws.MarkScreenDirty();
    // Everything under the popups is painted again, the popups on top.
    ws.InvalidateAll();
}

void OpenLevel(Menu* menu) {
    Tracker& t = Track();
    if (t.owner && WindowSystem::Get().IsWindow(t.owner)) {
        t.owner->Send(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    }
    Level level;
    level.menu = menu;
    level.selected = FirstSelectable(*menu);
    t.levels.push_back(level);
    Layout(&t.levels.back(), static_cast<int>(t.levels.size()) - 1, t.rightSide);
    Redraw();
}

void CloseLevel() {
    Tracker& t = Track();
    if (!t.levels.empty()) {
        t.levels.pop_back();
    }
    if (t.levels.empty()) {
        t.done = true;
    }
    Redraw();
}

void Activate(Level* level) {
    if (level->selected < 0)
        return;
    MenuItem& item = level->menu->Items()[static_cast<size_t>(level->selected)];
    if (item.separator)
        return;
    if (item.grayed) {
        return;
    }
    if (item.submenu) {
        OpenLevel(item.submenu.get());
        return;
    }
    Tracker& t = Track();
    t.result = item.id;
    t.levels.clear();
    t.done = true;
    Redraw();
}

void Move(Level* level, int step) {
    const int n = level->menu->Count();
    if (n == 0 || FirstSelectable(*level->menu) < 0)
        return;
    int i = level->selected;
    for (int k = 0; k < n; ++k) {
        i = (i + step + n) % n;
        if (Selectable(level->menu->Items()[static_cast<size_t>(i)]))
            break;
    }
    level->selected = i;
    KeepSelectionVisible(level);
    Redraw();
}

void DrawMark(Canvas& c, const MenuItem& item, int x, int cy, Color color) {
    if (!item.checked)
        return;
    if (item.radio) {
        // A round dot.
        for (int dy = -3; dy <= 3; ++dy) {
            for (int dx = -3; dx <= 3; ++dx) {
                if (dx * dx + dy * dy <= 9)
                    c.SetPixel(x + 5 + dx, cy + dy, color);
            }
        }
    } else {
        // A tick, two pixels thick.
        const int pts[][2] = {{1, 0}, {2, 1}, {3, 2}, {4, 1}, {5, 0}, {6, -1}, {7, -2}, {8, -3}};
        for (const auto& p : pts) {
            c.SetPixel(x + p[0], cy + p[1], color);
            c.SetPixel(x + p[0], cy + p[1] + 1, color);
        }
    }
}

void DrawLevel(Canvas& c, const Level& level) {
    const Rect r = level.rect;
    // A soft shadow, the frame and the background.
    c.FillRect(Rect{r.left + 2, r.bottom, r.right + 2, r.bottom + 2}, Rgb(90, 90, 90));
    c.FillRect(Rect{r.right, r.top + 2, r.right + 2, r.bottom}, Rgb(90, 90, 90));
    c.FillRect(r, theme::kWindow);
    c.FrameRect(r, theme::kBorder);
    c.SetFont(theme::UiFont());
    c.SetBackgroundMode(BackgroundMode::kTransparent);
    int y = r.top + 1;
    const auto& items = level.menu->Items();
    const int last = VisibleBottomIndex(level);
    for (int i = level.scrollTop; i <= last && i < level.menu->Count(); ++i) {
        const MenuItem& item = items[static_cast<size_t>(i)];
        const int h = ItemHeight(item);
        if (item.separator) {
            c.Line(r.left + 4, y + h / 2, r.right - 4, y + h / 2, theme::kSeparator);
            y += h;
            continue;
        }
        const bool sel = i == level.selected;
        const Rect row{r.left + 1, y, r.right - 1, y + h};
        if (sel)
            c.FillRect(row, theme::kHighlight);
        const Color fg = item.grayed ? theme::kGreyText
                         : sel       ? theme::kHighlightText
                                     : theme::kText;
        c.SetTextColor(fg);
        DrawMark(c, item, row.left + 2, y + h / 2, fg);
        const size_t tab = item.text.find('\t');
        Rect text{row.left + kMarkColumn, y, row.right - kArrowColumn, y + h};
        c.DrawText(tab == std::string::npos ? item.text : item.text.substr(0, tab), &text,
                   kTextSingleLine | kTextVCenter | kTextLeft | kTextEndEllipsis);
        if (tab != std::string::npos) {
            Rect hint{row.left + kMarkColumn, y, row.right - 3, y + h};
            c.DrawText(item.text.substr(tab + 1), &hint,
                       kTextSingleLine | kTextVCenter | kTextRight | kTextNoPrefix);
        }
        if (item.submenu) {
            const int ax = row.right - 8;
            const int ay = y + h / 2;
            for (int k = 0; k < 4; ++k) {
                c.Line(ax + k, ay - 3 + k, ax + k, ay + 4 - k, fg);
            }
        }
        y += h;
    }
    // Scroll hints when items are hidden above or below.
    if (level.scrollTop > 0) {
        const int cx = (r.left + r.right) / 2;
        for (int k = 0; k < 3; ++k)
            c.Line(cx - k, r.top + 2 + k, cx + k + 1, r.top + 2 + k, theme::kBorder);
    }
    if (last < level.menu->Count() - 1) {
        const int cx = (r.left + r.right) / 2;
        for (int k = 0; k < 3; ++k) {
            c.Line(cx - k, r.bottom - 3 - k, cx + k + 1, r.bottom - 3 - k, theme::kBorder);
        }
    }
}

}  // namespace

bool MenuTrackerActive() {
    return Track().active;
}

Menu* OpenPopupMenu() {
    const Tracker& t = Track();
    return t.active && !t.levels.empty() ? t.root : nullptr;
}

void PaintOpenMenus(Surface* screen) {
    Canvas canvas(screen);
    for (const Level& level : Track().levels) {
        DrawLevel(canvas, level);
    }
}

void DismissMenus() {
    Tracker& t = Track();
    if (!t.active)
        return;
    t.levels.clear();
    t.result = 0;
    t.done = true;
    Redraw();
}

void MenuTrackerKey(unsigned message, unsigned key) {
    Tracker& t = Track();
    if (t.levels.empty())
        return;
    Level* level = &t.levels.back();
    if (message == WM_CHAR) {
        return;
    }
    if (message == WM_KEYUP) {
        return;
    }
    switch (key) {
        case VK_UP:
            Move(level, -1);
            return;
        case VK_DOWN:
            Move(level, 1);
            return;
        case VK_RIGHT: {
            if (level->selected >= 0 &&
                level->menu->Items()[static_cast<size_t>(level->selected)].submenu) {
                Activate(level);
            }
            return;
        }
        case VK_RETURN:
            Activate(level);
            return;
        case VK_LEFT:
            if (t.levels.size() > 1)
                CloseLevel();
            return;
        case VK_TBACK:
            CloseLevel();
            return;
        case VK_THOME:
            DismissMenus();
            return;
        case VK_TSOFT1:
        case VK_TSOFT2:
            DismissMenus();
            return;
        default:
            break;
    }
    // Number keys, '*' and '#' choose the item with that access key.
    char32_t ch = 0;
    if (key >= '0' && key <= '9')
        ch = key;
    if (key == VK_TSTAR)
        ch = '*';
    if (key == VK_TPOUND)
        ch = '#';
    if (ch == 0)
        return;
    for (int i = 0; i < level->menu->Count(); ++i) {
        const MenuItem& item = level->menu->Items()[static_cast<size_t>(i)];
        if (!item.separator && AccessKeyOf(item.text) == ch) {
            level->selected = i;
            KeepSelectionVisible(level);
            Activate(level);
            return;
        }
    }
}

int TrackPopupMenu(Menu* menu, Window* owner, bool rightSide) {
    Tracker& t = Track();
    if (t.active || !menu) {
        return 0;
    }
    RegisterShellHooks();
    t = Tracker{};
    t.active = true;
    t.root = menu;
    t.owner = owner;
    t.rightSide = rightSide;
    OpenLevel(menu);
    WindowSystem& ws = WindowSystem::Get();
    ws.PushModal(ModalLoop{"menu", [] { DismissMenus(); }});
    ws.RunModalLoop([] { return Track().done; });
    ws.PopModal();
    const int result = t.result;
    t = Tracker{};
    ws.InvalidateAll();
    return result;
}

}  // namespace plat
