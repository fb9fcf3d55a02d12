// Modal keypad dialogs built from templates: the controls laid out in dialog units of the
// dialog's font, the dialog's own softkey bar, the title in the title strip, focus moved
// between tab stops with Up and Down, and scrolling when the dialog is taller than the screen.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/shell/shell.h"
#include "platform/toolkit/controls.h"
#include "platform/window/window.h"

namespace plat {

enum class ControlKind {
    kStatic,
    kIcon,  // a static that shows an icon or a bitmap set by the dialog
    kGroupBox,
    kCheckBox,
    kSpinner,
    kUpDown,  // the arrows of the spinner list just before it in the template
    kEdit,
    kReportList,
    kTreeView,
    kListBox,
};

enum ControlStyle : unsigned {
    kStyleHidden = 0x1,
    kStyleNoTabStop = 0x2,  // check boxes, edits and lists are tab stops unless this is set
    kStyleDisabled = 0x4,
    kStyleReadOnly = 0x8,
    kStyleCenter = 0x10,
    kStyleRight = 0x20,
    kStyleSorted = 0x40,
};

struct ControlTemplate {
    int id;  // -1 for labels nobody asks for
    ControlKind kind;
    const char* text;
    int x, y, width, height;  // dialog units
    unsigned style;
};

struct DialogTemplate {
    int id = 0;
    std::string title;
    int width = 0;  // dialog units
    int height = 0;
    int fontPoints = 9;
    std::vector<ControlTemplate> controls;
};

// The dialog font for a template's point size.
std::shared_ptr<Font> DialogFont(int points);
// Dialog units to pixels with the base units of `font`: x by a quarter of the average
// character width, y by an eighth of the character cell height.
Rect DialogUnitsToPixels(const Font& font, int x, int y, int width, int height);

class Dialog;
// The dialog's procedure: true when it handled the message (with its answer in *result).
// Unhandled messages get the dialog's default handling.
using DialogProc = std::function<bool(Dialog& dialog, unsigned message, WPARAM wParam,
                                      LPARAM lParam, LRESULT* result)>;

class Dialog {
  public:
    // Shows the dialog over `owner` and runs it modally. WM_INITDIALOG reaches the procedure
    // once the controls exist: it answers true to have the focus put on the first tab stop,
    // false when it placed the focus itself. Returns the value given to End, or -1 when the
    // dialog window cannot be made.
    static int Run(const DialogTemplate& tmpl, Window* owner, DialogProc proc);

    Window* GetWindow() const { return window_; }
    const DialogTemplate& Template() const { return *template_; }
    Window* Item(int id) const;
    Control* ItemControl(int id) const { return ControlOf(Item(id)); }
    template <class T>
    T* Get(int id) const {
        return dynamic_cast<T*>(ItemControl(id));
    }
    const std::shared_ptr<Font>& GetFont() const { return font_; }

    // The shell services a dialog asks for while it initialises: its softkey bar (which
    // leaves Back to the dialog) and full-screen size. False on failure.
    bool CreateSoftkeyBar(const SoftkeyBarTemplate& bar);
    SoftkeyBar* Bar() const { return bar_; }
    bool MakeFullScreen();

    void End(int result);
    bool Ended() const { return ended_; }
    int Result() const { return result_; }

    // Focus: on a control (scrolled into view), to the next or previous tab stop with wrap.
    void FocusItem(int id);
    void FocusControl(Window* control);
    void MoveFocus(int step);
    Window* FocusedControl() const;
    // Enables or disables a control; a control that loses its focus this way passes it on.
    void EnableItem(int id, bool enabled);
    void ShowItem(int id, bool visible);
    // Moves a control (the frame it has with the dialog scrolled to the top).
    void SetItemFrame(int id, const Rect& frame);
    std::string ItemText(int id) const;
    void SetItemText(int id, const std::string& text);

    // Scrolling of dialogs taller than their window.
    int ScrollOffset() const { return scroll_; }
    void ScrollTo(int offset);
    int ContentHeight() const { return contentHeight_; }

    // The open dialogs, innermost last.
    static const std::vector<Dialog*>& Open();

  private:
    Dialog() = default;
    LRESULT WindowProcedure(unsigned message, WPARAM wParam, LPARAM lParam);
    bool CreateControls();
    void WidenLabels();
    void UpdateScrollRange();
    void PlaceControls();
    bool IsTabStop(Window* control) const;
    void DefaultBack(LPARAM lParam);

    const DialogTemplate* template_ = nullptr;
    DialogProc proc_;
    Window* window_ = nullptr;
    SoftkeyBar* bar_ = nullptr;
    std::shared_ptr<Font> font_;
    std::vector<std::pair<Window*, Rect>> layout_;  // each control and its unscrolled frame
    int scroll_ = 0;
    int contentHeight_ = 0;
    int result_ = 0;
    bool ended_ = false;
    bool backPressUsed_ = false;
};

// The titles a dialog paints over its hidden group boxes and section labels: one bold face
// and colour for all dialogs, the bold face of the menus and message boxes.
std::shared_ptr<Font> DialogTitleFont();
constexpr Color kDialogTitleColor = Rgb(0, 0, 128);

// The rectangle of control `id` in the dialog window's client coordinates (where the dialog
// paints titles over hidden controls); false when there is no such control.
bool ControlRectInDialog(Window* dialog, int id, Rect* rect);

// The top dialog as the automation interface reports it.
struct DialogControlState {
    int id = 0;
    std::string kind;
    std::string text;
    bool visible = false;
    bool enabled = false;
    bool checked = false;
    int selection = -1;
    std::vector<std::string> items;
    std::vector<int> depths;  // tree views only
};
struct DialogState {
    int id = 0;
    std::string title;
    int focus = 0;  // id of the focused control, 0 when none
    int scroll = 0;
    std::vector<DialogControlState> controls;
};
bool DescribeTopDialog(DialogState* state);

}  // namespace plat
