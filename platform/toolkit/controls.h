// The controls of keypad dialogs: static text, group boxes, check boxes, spinner lists with
// their arrows, edit boxes, report lists, tree views and hidden list boxes.
//
// Every control is a child window whose procedure owns the control object, so a control lives
// exactly as long as its window. Keys a control has no use for go on to its parent (the dialog
// moves the focus with Up and Down). Changes the user makes are reported to the parent: check
// boxes, spinner lists and edit boxes with WM_COMMAND (id in the low half of wParam, the
// notification code in the high half), report lists and tree views with WM_NOTIFY.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/icon.h"
#include "platform/window/window.h"

namespace plat {

// WM_COMMAND notification codes.
constexpr unsigned kNotifyClicked = 0;         // a check box was toggled
constexpr unsigned kNotifySelChange = 1;       // a spinner list's selection changed
constexpr unsigned kNotifyEditChange = 0x300;  // an edit box's text changed

// WM_NOTIFY codes and payloads (lParam points at the payload, which starts with the header).
constexpr int kListItemChanged = -101;
constexpr int kTreeItemExpanding = -405;
constexpr int kTreeSelChanged = -402;
struct NotifyHeader {
    Window* from = nullptr;
    int id = 0;
    int code = 0;
};
constexpr unsigned kItemFocused = 0x1;
constexpr unsigned kItemSelected = 0x2;
struct ListNotify {
    NotifyHeader header;
    int item = -1;
    unsigned newState = 0;
    unsigned oldState = 0;
};
constexpr int kTreeCollapse = 1;
constexpr int kTreeExpand = 2;
struct TreeNotify {
    NotifyHeader header;
    int item = -1;
    int action = 0;  // kTreeExpand or kTreeCollapse
};

class Control {
  public:
    virtual ~Control() = default;
    Window* GetWindow() const { return window_; }
    int Id() const { return window_ ? window_->Id() : 0; }
    // The kind as the automation interface names it ("static", "checkBox", ...).
    virtual const char* KindName() const = 0;
    virtual std::string Text() const { return window_ ? window_->Title() : std::string(); }
    virtual void SetText(const std::string& text);
    virtual bool IsChecked() const { return false; }
    // The selected row, or -1.
    virtual int Selection() const { return -1; }
    // The index into ItemTexts() of the highlighted row, or -1 (trees select items by id).
    virtual int SelectedRow() const { return Selection(); }
    // Rows of lists, spinner lists and report lists (first column); visible tree items.
    virtual std::vector<std::string> ItemTexts() const { return {}; }
    // Depth of each of ItemTexts() for trees; empty for other kinds.
    virtual std::vector<int> ItemDepths() const { return {}; }

    // Focus moves to controls with a tab stop that are visible and enabled.
    bool tabStop = false;
    void SetFont(std::shared_ptr<Font> font);
    const std::shared_ptr<Font>& GetFont() const { return font_; }

    // Called by the window procedure the control is created with.
    LRESULT Handle(Window* window, unsigned message, WPARAM wParam, LPARAM lParam);

  protected:
    virtual void Paint(Canvas& canvas, const Rect& client) = 0;
    // Returns true when the key was used.
    virtual bool OnKeyDown(unsigned /*key*/, int /*repeat*/) { return false; }
    virtual bool OnChar(char32_t /*ch*/) { return false; }
    // Back reached the control (the dialog passes it to the focused control); true when used.
    virtual bool OnBack(bool /*released*/) { return false; }
    virtual void OnTimer(int /*id*/) {}
    virtual void OnFocus(bool /*gained*/) {}
    // WM_COMMAND with `code` to the parent.
    void NotifyCommand(unsigned code);
    LRESULT NotifyParent(NotifyHeader* header);
    bool HasFocus() const;
    void Repaint();
    Canvas PreparedCanvas();

    Window* window_ = nullptr;
    std::shared_ptr<Font> font_;
};

// The control object behind a control window; null for other windows.
Control* ControlOf(Window* window);
// Creates the window of `control` as a child of `parent`; the window owns the object from
// then on. Returns the object, or null when the window cannot be made.
template <class T>
T* CreateControl(std::shared_ptr<T> control, Window* parent, int id, const std::string& text,
                 const Rect& frame, bool visible);
Window* CreateControlWindow(std::shared_ptr<Control> control, Window* parent, int id,
                            const std::string& text, const Rect& frame, bool visible);
template <class T>
T* CreateControl(std::shared_ptr<T> control, Window* parent, int id, const std::string& text,
                 const Rect& frame, bool visible) {
    T* raw = control.get();
    return CreateControlWindow(std::move(control), parent, id, text, frame, visible) ? raw
                                                                                     : nullptr;
}

// Text, an icon or a bitmap. Several lines when the text does not fit one.
class StaticText : public Control {
  public:
    enum class Align { kLeft, kCenter, kRight };
    explicit StaticText(Align align = Align::kLeft) : align_(align) {}
    const char* KindName() const override { return "static"; }
    void SetIcon(Icon icon);
    void SetBitmap(std::unique_ptr<Bitmap> bitmap);
    Align GetAlign() const { return align_; }

  protected:
    void Paint(Canvas& canvas, const Rect& client) override;

  private:
    Align align_;
    Icon icon_;
    std::unique_ptr<Bitmap> bitmap_;
};

// A frame with a title; dialogs keep most of them hidden and paint their titles themselves.
class GroupBox : public Control {
  public:
    const char* KindName() const override { return "groupBox"; }

  protected:
    void Paint(Canvas& canvas, const Rect& client) override;
};

class CheckBox : public Control {
  public:
    CheckBox() { tabStop = true; }
    const char* KindName() const override { return "checkBox"; }
    bool IsChecked() const override { return checked_; }
    void SetChecked(bool checked);

  protected:
    void Paint(Canvas& canvas, const Rect& client) override;
    bool OnKeyDown(unsigned key, int repeat) override;
    void OnFocus(bool) override { Repaint(); }

  private:
    bool checked_ = false;
};

class UpDown;

// A one-line list stepped with Left and Right (wrapping at both ends); its arrows are drawn
// by the up-down control that names it as its buddy.
class SpinnerList : public Control {
  public:
    SpinnerList() { tabStop = true; }
    const char* KindName() const override { return "spinner"; }
    int AddString(const std::string& text);
    void Clear();
    int Count() const { return static_cast<int>(items_.size()); }
    std::string Item(int index) const;
    int Selection() const override { return selection_; }
    // Selects without notifying; false when out of range.
    bool SetSelection(int index);
    std::vector<std::string> ItemTexts() const override { return items_; }
    std::string Text() const override { return Item(selection_); }
    // One step as Left (-1) or Right (+1) gives it, with wrap and notification.
    void Step(int direction);
    void SetArrows(UpDown* arrows) { arrows_ = arrows; }

  protected:
    void Paint(Canvas& canvas, const Rect& client) override;
    bool OnKeyDown(unsigned key, int repeat) override;
    void OnFocus(bool gained) override;

  private:
    std::vector<std::string> items_;
    int selection_ = -1;
    UpDown* arrows_ = nullptr;
};

// The left and right arrows of a spinner list, placed at the right edge of its buddy.
class UpDown : public Control {
  public:
    static constexpr int kWidth = 15;
    const char* KindName() const override { return "upDown"; }
    // Attaches to `buddy`: takes kWidth pixels off its right edge.
    void Attach(SpinnerList* buddy);
    SpinnerList* Buddy() const { return buddy_; }
    int Selection() const override { return buddy_ ? buddy_->Selection() : -1; }
    // Whether the buddy has the focus (the arrows light up with it).
    void Highlight(bool on);

  protected:
    void Paint(Canvas& canvas, const Rect& client) override;

  private:
    SpinnerList* buddy_ = nullptr;
    bool lit_ = false;
};

// An edit box. Letters come as WM_CHAR from a keyboard, or from the number keys by multi-tap
// (2 = a b c 2, ..., 9 = w x y z 9, 0 = blank 0, 1 = punctuation): pressing the same key again
// within kMultiTapMs steps through its letters, another key or the pause keeps the letter.
// Back erases the last character.
class EditBox : public Control {
  public:
    static constexpr int kMaxLength = 259;  // UTF-16 units
    static constexpr int kMultiTapMs = 1000;
    static constexpr int kMultiTapTimer = 1;
    explicit EditBox(bool readOnly = false) : readOnly_(readOnly) { tabStop = true; }
    const char* KindName() const override { return "edit"; }
    std::string Text() const override { return text_; }
    // Cut to kMaxLength units.
    void SetText(const std::string& text) override;
    bool IsReadOnly() const { return readOnly_; }
    // The letters of a number key in multi-tap order; empty for other keys.
    static std::u32string MultiTapLetters(unsigned key);
    // Erases the last character; false when there is none (or the box is read-only).
    bool EraseLast();

  protected:
    void Paint(Canvas& canvas, const Rect& client) override;
    bool OnKeyDown(unsigned key, int repeat) override;
    bool OnChar(char32_t ch) override;
    bool OnBack(bool released) override;
    void OnTimer(int id) override;
    void OnFocus(bool gained) override;

  private:
    bool Append(char32_t ch);
    void CommitTap();
    std::string text_;
    bool readOnly_;
    unsigned tapKey_ = 0;  // the number key being tapped, 0 when none
    size_t tapIndex_ = 0;
    bool backErased_ = false;  // the Back press in progress erased something
};

// A list of rows with columns and a header; the whole row is selected.
class ReportList : public Control {
  public:
    struct Column {
        std::string title;
        int width;
    };
    ReportList() { tabStop = true; }
    const char* KindName() const override { return "reportList"; }
    void AddColumn(const std::string& title, int width);
    const std::vector<Column>& Columns() const { return columns_; }
    // Inserts a row before `index` (appends when out of range); returns its index.
    int InsertRow(int index, const std::vector<std::string>& texts);
    bool DeleteRow(int index);
    void DeleteAll();
    int RowCount() const { return static_cast<int>(rows_.size()); }
    std::string ItemText(int row, int column) const;
    bool SetItemText(int row, int column, const std::string& text);
    // Moves a row; false when either index is outside the list or they are equal.
    bool MoveRow(int from, int to);
    int Selection() const override { return selection_; }
    // Selects and focuses `row` (-1 for none), notifying the parent, and scrolls it into view.
    void Select(int row);
    int TopRow() const { return top_; }
    int VisibleRows() const;
    std::vector<std::string> ItemTexts() const override;

  protected:
    void Paint(Canvas& canvas, const Rect& client) override;
    bool OnKeyDown(unsigned key, int repeat) override;
    void OnFocus(bool) override { Repaint(); }

  private:
    void KeepVisible();
    void UpdateScrollBar();
    int RowHeight() const;
    int HeaderHeight() const;
    std::vector<Column> columns_;
    std::vector<std::vector<std::string>> rows_;
    int selection_ = -1;
    int top_ = 0;
};

// Images of a tree: equal-sized pictures cut from a strip, one colour transparent.
std::vector<Icon> ImageListFromStrip(const Bitmap& strip, int width, int height, Color transparent);

// A tree of items with icons, expand buttons and lines. Items are numbered from 0 in the order
// they are inserted; kTreeRoot stands for "no parent".
class TreeView : public Control {
  public:
    static constexpr int kRoot = -1;
    struct Item {
        std::string text;
        int image = 0;
        int selectedImage = 0;
        bool hasChildren = false;  // shows an expand button before the first fill
        bool expanded = false;
        int parent = kRoot;
        std::vector<int> children;
    };
    TreeView() { tabStop = true; }
    const char* KindName() const override { return "treeView"; }
    void SetImageList(std::vector<Icon> images) { images_ = std::move(images); }
    // Appends a child of `parent`; returns the new item, or -1 when `parent` does not exist.
    int InsertItem(int parent, const std::string& text, int image, int selectedImage,
                   bool hasChildren);
    bool IsItem(int item) const { return item >= 0 && item < static_cast<int>(items_.size()); }
    const Item* GetItem(int item) const { return IsItem(item) ? &items_[item] : nullptr; }
    int Parent(int item) const { return IsItem(item) ? items_[item].parent : kRoot; }
    int FirstChild(int item) const;
    int NextSibling(int item) const;
    const std::vector<int>& Roots() const { return roots_; }
    void SetItemImage(int item, int image, int selectedImage);
    void SetHasChildren(int item, bool hasChildren);
    // Asks the parent first (kTreeItemExpanding; a nonzero answer refuses). True when the
    // item ends in the requested state.
    bool Expand(int item, bool expand);
    int Selection() const override { return selection_; }
    void Select(int item);
    // The items shown, top to bottom, with their depth.
    std::vector<std::pair<int, int>> VisibleItems() const;
    std::vector<std::string> ItemTexts() const override;
    std::vector<int> ItemDepths() const override;
    int SelectedRow() const override;
    int TopIndex() const { return top_; }

  protected:
    void Paint(Canvas& canvas, const Rect& client) override;
    bool OnKeyDown(unsigned key, int repeat) override;
    void OnFocus(bool) override { Repaint(); }

  private:
    void VisibleFrom(int item, int depth, std::vector<std::pair<int, int>>* out) const;
    void KeepVisible();
    void UpdateScrollBar();
    int RowHeight() const;
    int RowsShown() const;
    std::vector<Item> items_;
    std::vector<int> roots_;
    std::vector<Icon> images_;
    int selection_ = -1;
    int top_ = 0;
};

// A list box; dialogs keep theirs hidden and use them to sort names.
class ListBox : public Control {
  public:
    explicit ListBox(bool sorted) : sorted_(sorted) {}
    const char* KindName() const override { return "listBox"; }
    // Sorted lists insert in the order of names (CollateNoCase; equal names keep their arrival
    // order).
    int AddString(const std::string& text);
    void Clear() { items_.clear(); }
    int Count() const { return static_cast<int>(items_.size()); }
    const std::string& Item(int index) const { return items_[static_cast<size_t>(index)]; }
    std::vector<std::string> ItemTexts() const override { return items_; }

  protected:
    void Paint(Canvas& canvas, const Rect& client) override;

  private:
    bool sorted_;
    std::vector<std::string> items_;
};

}  // namespace plat
