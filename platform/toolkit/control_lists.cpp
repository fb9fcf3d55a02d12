// Report lists and tree views.
#include <algorithm>

#include "platform/graphics/theme.h"
#include "platform/os/text.h"
#include "platform/toolkit/controls.h"
#include "platform/window/window_system.h"

namespace plat {
namespace {

constexpr Color kHeaderFill = Rgb(226, 230, 236);
constexpr Color kUnfocusedSelection = Rgb(200, 208, 220);
constexpr Color kTreeLine = Rgb(150, 150, 150);

int LineHeightOf(const std::shared_ptr<Font>& font) {
    return (font ? font : theme::UiFont())->Metrics().height;
}

}  // namespace

// ---- ReportList ----

void ReportList::AddColumn(const std::string& title, int width) {
    columns_.push_back(Column{title, width});
    Repaint();
}

int ReportList::RowHeight() const {
    return LineHeightOf(font_) + 3;
}

int ReportList::HeaderHeight() const {
    return LineHeightOf(font_) + 4;
}

int ReportList::VisibleRows() const {
    if (!window_) {
        return 1;
    }
    return std::max(1, (window_->ClientRect().Height() - HeaderHeight() - 1) / RowHeight());
}

int ReportList::InsertRow(int index, const std::vector<std::string>& texts) {
    if (index < 0 || index > RowCount()) {
        index = RowCount();
    }
    rows_.insert(rows_.begin() + index, texts);
    if (selection_ >= index) {
        ++selection_;
    }
    UpdateScrollBar();
    Repaint();
    return index;
}

bool ReportList::DeleteRow(int index) {
    if (index < 0 || index >= RowCount()) {
        return false;
    }
    rows_.erase(rows_.begin() + index);
    if (selection_ == index) {
        selection_ = -1;
    } else if (selection_ > index) {
        --selection_;
    }
    top_ = std::clamp(top_, 0, std::max(0, RowCount() - VisibleRows()));
    UpdateScrollBar();
    Repaint();
    return true;
}

void ReportList::DeleteAll() {
    rows_.clear();
    selection_ = -1;
    top_ = 0;
    UpdateScrollBar();
    Repaint();
}

std::string ReportList::ItemText(int row, int column) const {
    if (row < 0 || row >= RowCount() || column < 0) {
        return std::string();
    }
    const auto& texts = rows_[static_cast<size_t>(row)];
    return column < static_cast<int>(texts.size()) ? texts[static_cast<size_t>(column)]
                                                   : std::string();
}

bool ReportList::SetItemText(int row, int column, const std::string& text) {
    if (row < 0 || row >= RowCount() || column < 0) {
        return false;
    }
    auto& texts = rows_[static_cast<size_t>(row)];
    if (column >= static_cast<int>(texts.size())) {
        texts.resize(static_cast<size_t>(column) + 1);
    }
    texts[static_cast<size_t>(column)] = text;
    Repaint();
    return true;
}

bool ReportList::MoveRow(int from, int to) {
    if (from == to || from < 0 || to < 0 || from >= RowCount() || to >= RowCount()) {
        return false;
    }
    std::vector<std::string> texts = rows_[static_cast<size_t>(from)];
    DeleteRow(from);
    InsertRow(to, texts);
    Select(to);
    return true;
}

void ReportList::Select(int row) {
    if (row >= RowCount()) {
        row = RowCount() - 1;
    }
    const int old = selection_;
    selection_ = row;
    if (old >= 0 && old != row) {
        ListNotify n;
        n.header.code = kListItemChanged;
        n.item = old;
        n.oldState = kItemSelected | kItemFocused;
        n.newState = 0;
        NotifyParent(&n.header);
    }
    if (row >= 0) {
        ListNotify n;
        n.header.code = kListItemChanged;
        n.item = row;
        n.oldState = old == row ? kItemSelected | kItemFocused : 0;
        n.newState = kItemSelected | kItemFocused;
        NotifyParent(&n.header);
    }
    KeepVisible();
    Repaint();
}

void ReportList::KeepVisible() {
    if (selection_ >= 0) {
        if (selection_ < top_) {
            top_ = selection_;
        } else if (selection_ >= top_ + VisibleRows()) {
            top_ = selection_ - VisibleRows() + 1;
        }
    }
    top_ = std::clamp(top_, 0, std::max(0, RowCount() - VisibleRows()));
    UpdateScrollBar();
}

void ReportList::UpdateScrollBar() {
    if (!window_) {
        return;
    }
    const int extra = RowCount() - VisibleRows();
    window_->SetScrollPage(VisibleRows());
    window_->SetScrollRange(0, std::max(0, extra), true);
    window_->SetScrollPos(top_, true);
}

std::vector<std::string> ReportList::ItemTexts() const {
    std::vector<std::string> out;
    for (int i = 0; i < RowCount(); ++i) {
        out.push_back(ItemText(i, 0));
    }
    return out;
}

bool ReportList::OnKeyDown(unsigned key, int) {
    if (key == VK_UP && selection_ > 0) {
        Select(selection_ - 1);
        return true;
    }
    if (key == VK_DOWN && selection_ >= 0 && selection_ + 1 < RowCount()) {
        Select(selection_ + 1);
        return true;
    }
    if ((key == VK_UP || key == VK_DOWN) && selection_ < 0 && RowCount() > 0) {
        Select(0);
        return true;
    }
    return false;
}

void ReportList::Paint(Canvas& c, const Rect& client) {
    const bool focus = HasFocus();
    const int hh = HeaderHeight();
    c.FillRect(Rect{client.left, client.top, client.right, client.top + hh}, kHeaderFill);
    c.Line(client.left, client.top + hh - 1, client.right, client.top + hh - 1, theme::kGreyText);
    int x = client.left;
    for (const Column& col : columns_) {
        Rect t{x + 3, client.top, x + col.width - 2, client.top + hh - 1};
        c.DrawText(col.title, &t,
                   kTextSingleLine | kTextVCenter | kTextEndEllipsis | kTextNoPrefix);
        x += col.width;
        c.Line(x - 1, client.top + 2, x - 1, client.top + hh - 3, theme::kGreyText);
    }
    const int rh = RowHeight();
    int y = client.top + hh;
    for (int row = top_; row < RowCount() && y < client.bottom; ++row) {
        const Rect r{client.left, y, client.right, y + rh};
        const bool selected = row == selection_;
        if (selected) {
            c.FillRect(r, focus ? theme::kHighlight : kUnfocusedSelection);
        }
        c.SetTextColor(selected && focus ? theme::kHighlightText : theme::kText);
        int cx = client.left;
        for (size_t col = 0; col < columns_.size(); ++col) {
            Rect t{cx + 3, y, cx + columns_[col].width - 2, y + rh};
            c.DrawText(ItemText(row, static_cast<int>(col)), &t,
                       kTextSingleLine | kTextVCenter | kTextEndEllipsis | kTextNoPrefix);
            cx += columns_[col].width;
        }
        y += rh;
    }
    if (RowCount() == 0) {
        c.SetTextColor(theme::kGreyText);
        Rect t{client.left, client.top + hh + 4, client.right, client.top + hh + 4 + rh};
        c.DrawText("(empty)", &t, kTextSingleLine | kTextCenter | kTextNoPrefix);
    }
}

// ---- TreeView ----

std::vector<Icon> ImageListFromStrip(const Bitmap& strip, int width, int height,
                                     Color transparent) {
    std::vector<Icon> images;
    if (width <= 0 || height <= 0) {
        return images;
    }
    const DibView view = strip.View();
    for (int left = 0; left + width <= strip.Width(); left += width) {
        Icon icon;
        icon.width = width;
        icon.height = std::min(height, strip.Height());
        icon.pixels.resize(static_cast<size_t>(icon.width) * icon.height);
        for (int y = 0; y < icon.height; ++y) {
            const uint8_t* row = view.Row(y);
            for (int x = 0; x < width; ++x) {
                const uint8_t* p = row + (left + x) * 3;
                const Color c = Rgb(p[2], p[1], p[0]);
                const uint32_t argb =
                    (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[0];
                icon.pixels[static_cast<size_t>(y) * width + x] =
                    c == transparent ? 0 : (0xFF000000u | argb);
            }
        }
        images.push_back(std::move(icon));
    }
    return images;
}

int TreeView::InsertItem(int parent, const std::string& text, int image, int selectedImage,
                         bool hasChildren) {
    if (parent != kRoot && !IsItem(parent)) {
        return -1;
    }
    Item item;
    item.text = text;
    item.image = image;
    item.selectedImage = selectedImage;
    item.hasChildren = hasChildren;
    item.parent = parent;
    items_.push_back(std::move(item));
    const int index = static_cast<int>(items_.size()) - 1;
    if (parent == kRoot) {
        roots_.push_back(index);
    } else {
        items_[static_cast<size_t>(parent)].children.push_back(index);
    }
    UpdateScrollBar();
    Repaint();
    return index;
}

int TreeView::FirstChild(int item) const {
    if (!IsItem(item) || items_[static_cast<size_t>(item)].children.empty()) {
        return -1;
    }
    return items_[static_cast<size_t>(item)].children.front();
}

int TreeView::NextSibling(int item) const {
    if (!IsItem(item)) {
        return -1;
    }
    const int parent = items_[static_cast<size_t>(item)].parent;
    const std::vector<int>& siblings =
        parent == kRoot ? roots_ : items_[static_cast<size_t>(parent)].children;
    const auto it = std::find(siblings.begin(), siblings.end(), item);
    if (it == siblings.end() || it + 1 == siblings.end()) {
        return -1;
    }
    return *(it + 1);
}

void TreeView::SetItemImage(int item, int image, int selectedImage) {
    if (IsItem(item)) {
        items_[static_cast<size_t>(item)].image = image;
        items_[static_cast<size_t>(item)].selectedImage = selectedImage;
        Repaint();
    }
}

void TreeView::SetHasChildren(int item, bool hasChildren) {
    if (IsItem(item)) {
        items_[static_cast<size_t>(item)].hasChildren = hasChildren;
        Repaint();
    }
}

bool TreeView::Expand(int item, bool expand) {
    if (!IsItem(item)) {
        return false;
    }
    Item& it = items_[static_cast<size_t>(item)];
    if (it.expanded == expand) {
        return true;
    }
    TreeNotify n;
    n.header.code = kTreeItemExpanding;
    n.item = item;
    n.action = expand ? kTreeExpand : kTreeCollapse;
    if (NotifyParent(&n.header) != 0) {
        return false;
    }
    Item& after = items_[static_cast<size_t>(item)];  // the parent may have added items
    if (expand && after.children.empty()) {
        // Nothing to show: the button goes.
        after.hasChildren = false;
        Repaint();
        return false;
    }
    after.expanded = expand;
    if (!expand && selection_ >= 0) {
        // A selection inside the collapsed branch moves up to the item.
        for (int p = Parent(selection_); p != kRoot; p = Parent(p)) {
            if (p == item) {
                Select(item);
                break;
            }
        }
    }
    KeepVisible();
    Repaint();
    return true;
}

void TreeView::Select(int item) {
    if (!IsItem(item)) {
        return;
    }
    // The item's ancestors open so that it can be seen.
    for (int p = Parent(item); p != kRoot; p = Parent(p)) {
        items_[static_cast<size_t>(p)].expanded = true;
    }
    selection_ = item;
    TreeNotify n;
    n.header.code = kTreeSelChanged;
    n.item = item;
    NotifyParent(&n.header);
    KeepVisible();
    Repaint();
}

void TreeView::VisibleFrom(int item, int depth, std::vector<std::pair<int, int>>* out) const {
    out->emplace_back(item, depth);
    const Item& it = items_[static_cast<size_t>(item)];
    if (it.expanded) {
        for (int child : it.children) {
            VisibleFrom(child, depth + 1, out);
        }
    }
}

std::vector<std::pair<int, int>> TreeView::VisibleItems() const {
    std::vector<std::pair<int, int>> out;
    for (int r : roots_) {
        VisibleFrom(r, 0, &out);
    }
    return out;
}

std::vector<std::string> TreeView::ItemTexts() const {
    std::vector<std::string> out;
    for (const auto& [item, depth] : VisibleItems()) {
        out.push_back(items_[static_cast<size_t>(item)].text);
    }
    return out;
}

std::vector<int> TreeView::ItemDepths() const {
    std::vector<int> out;
    for (const auto& entry : VisibleItems()) {
        out.push_back(entry.second);
    }
    return out;
}

int TreeView::SelectedRow() const {
    const auto visible = VisibleItems();
    for (size_t row = 0; row < visible.size(); ++row) {
        if (visible[row].first == selection_) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

int TreeView::RowHeight() const {
    return std::max(16, LineHeightOf(font_) + 2);
}

int TreeView::RowsShown() const {
    return window_ ? std::max(1, window_->ClientRect().Height() / RowHeight()) : 1;
}

void TreeView::KeepVisible() {
    const auto visible = VisibleItems();
    const int count = static_cast<int>(visible.size());
    int row = -1;
    for (int i = 0; i < count; ++i) {
        if (visible[static_cast<size_t>(i)].first == selection_) {
            row = i;
        }
    }
    if (row >= 0) {
        if (row < top_) {
            top_ = row;
        } else if (row >= top_ + RowsShown()) {
            top_ = row - RowsShown() + 1;
        }
    }
    top_ = std::clamp(top_, 0, std::max(0, count - RowsShown()));
    UpdateScrollBar();
}

void TreeView::UpdateScrollBar() {
    if (!window_) {
        return;
    }
    const int count = static_cast<int>(VisibleItems().size());
    window_->SetScrollPage(RowsShown());
    window_->SetScrollRange(0, std::max(0, count - RowsShown()), true);
    window_->SetScrollPos(top_, true);
}

bool TreeView::OnKeyDown(unsigned key, int repeat) {
    const auto visible = VisibleItems();
    const int count = static_cast<int>(visible.size());
    if (count == 0) {
        return false;
    }
    int row = 0;
    for (int i = 0; i < count; ++i) {
        if (visible[static_cast<size_t>(i)].first == selection_) {
            row = i;
        }
    }
    const Item* sel = GetItem(selection_);
    const int steps = std::max(1, repeat);
    switch (key) {
        case VK_UP:
            Select(visible[static_cast<size_t>(std::max(0, row - steps))].first);
            return true;
        case VK_DOWN:
            Select(visible[static_cast<size_t>(std::min(count - 1, row + steps))].first);
            return true;
        case VK_RIGHT:
            if (sel && !sel->expanded && (sel->hasChildren || !sel->children.empty())) {
                Expand(selection_, true);
            } else if (sel && sel->expanded && !sel->children.empty()) {
                Select(sel->children.front());
            }
            return true;
        case VK_LEFT:
            if (sel && sel->expanded) {
                Expand(selection_, false);
            } else if (sel && sel->parent != kRoot) {
                Select(sel->parent);
            }
            return true;
        case VK_RETURN:
            if (sel && (sel->hasChildren || !sel->children.empty())) {
                Expand(selection_, !sel->expanded);
            }
            return true;
        default:
            return false;
    }
}

void TreeView::Paint(Canvas& c, const Rect& client) {
    const bool focus = HasFocus();
    const auto visible = VisibleItems();
    const int rh = RowHeight();
    constexpr int kIndent = 16;
    for (int i = top_; i < static_cast<int>(visible.size()); ++i) {
        const int y = (i - top_) * rh;
        if (y >= client.bottom) {
            break;
        }
        const auto [index, depth] = visible[static_cast<size_t>(i)];
        const Item& it = items_[static_cast<size_t>(index)];
        const int x = 2 + depth * kIndent;
        const int cx = x + 6;  // the column of this item's button and lines
        const int cy = y + rh / 2;
        // Lines: up to the parent's column, along to the item, down to the next sibling.
        for (int k = cx + 1; k < x + kIndent; k += 2) {
            c.SetPixel(k, cy, kTreeLine);
        }
        const bool moreBelow = NextSibling(index) >= 0;
        const bool hasAbove = depth > 0 || i > 0;
        for (int k = hasAbove ? y : cy; k < (moreBelow ? y + rh : cy); k += 2) {
            c.SetPixel(cx, k, kTreeLine);
        }
        // The ancestors' lines that continue past this row.
        int p = it.parent;
        for (int d = depth - 1; d >= 0 && p != kRoot; --d, p = Parent(p)) {
            if (NextSibling(p) >= 0) {
                for (int k = y; k < y + rh; k += 2) {
                    c.SetPixel(2 + d * kIndent + 6, k, kTreeLine);
                }
            }
        }
        if (it.hasChildren || !it.children.empty()) {
            const Rect box{cx - 4, cy - 4, cx + 5, cy + 5};
            c.FillRect(box, theme::kWindow);
            c.FrameRect(box, Rgb(120, 120, 120));
            c.Line(cx - 2, cy, cx + 3, cy, theme::kText);
            if (!it.expanded) {
                c.Line(cx, cy - 2, cx, cy + 3, theme::kText);
            }
        }
        const int iconX = x + kIndent;
        const int image = index == selection_ ? it.selectedImage : it.image;
        if (image >= 0 && image < static_cast<int>(images_.size())) {
            c.DrawIcon(iconX, y + (rh - 15) / 2, images_[static_cast<size_t>(image)]);
        }
        const int textX = iconX + 18;
        const int w = c.TextWidth(it.text);
        if (index == selection_) {
            c.FillRect(Rect{textX - 1, y + 1, textX + w + 2, y + rh - 1},
                       focus ? theme::kHighlight : kUnfocusedSelection);
            c.SetTextColor(focus ? theme::kHighlightText : theme::kText);
        } else {
            c.SetTextColor(theme::kText);
        }
        c.TextOut(textX, y + (rh - c.LineHeight()) / 2, it.text);
    }
}

}  // namespace plat
