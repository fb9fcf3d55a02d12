// Windows: a rectangle of the screen with a window procedure, an update region, an optional
// vertical scroll bar and child windows (the controls of a dialog).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/canvas.h"
#include "platform/graphics/geometry.h"
#include "platform/window/messages.h"

namespace plat {

class Window;
using WindowProc = std::function<LRESULT(Window*, unsigned, WPARAM, LPARAM)>;

// What a window procedure that does not handle a message calls.
LRESULT DefWindowProc(Window* window, unsigned message, WPARAM wParam, LPARAM lParam);

struct ScrollInfo {
    int min = 0;
    int max = 0;
    int pos = 0;
    int page = 0;
};

class Window {
  public:
    // Creates a top-level window (parent null) or a child (frame relative to the parent's
    // client area). WM_CREATE is sent before this returns; when it answers -1 the window is
    // destroyed again and null is returned.
    static Window* Create(const std::string& className, const std::string& title, const Rect& frame,
                          Window* parent, WindowProc proc, int id = 0, bool visible = true);
    // Sends WM_DESTROY to the window and its children, then frees them (later, when no
    // message of theirs is being handled).
    void Destroy();
    bool IsAlive() const { return alive_; }

    const std::string& ClassName() const { return className_; }
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title);
    int Id() const { return id_; }
    Window* Parent() const { return parent_; }
    const std::vector<Window*>& Children() const { return children_; }
    Window* Child(int id) const;

    // Frame in the parent's client coordinates (screen coordinates for top-level windows).
    const Rect& Frame() const { return frame_; }
    void Move(const Rect& frame);
    // Client rectangle at (0, 0): the frame less the vertical scroll bar when it shows.
    Rect ClientRect() const;
    // Top-left of the client area in screen coordinates.
    Point ScreenOrigin() const;

    bool IsVisible() const { return visible_; }
    void Show(bool visible);
    bool IsEnabled() const { return enabled_; }
    void Enable(bool enabled);

    // Adds `rect` (client coordinates; null for everything) to the update region.
    void Invalidate(const Rect* rect, bool erase);
    void Validate() {
        invalid_ = Rect{};
        erase_ = false;
    }
    const Rect& UpdateRect() const { return invalid_; }
    bool NeedsPaint() const { return !invalid_.IsEmpty(); }
    // Paints now if anything is invalid (WM_ERASEBKGND, WM_PAINT), children included.
    void Update();

    // Inside WM_PAINT: a canvas clipped to the update rectangle, and that rectangle.
    Canvas BeginPaint();
    Rect PaintRect() const { return paintRect_; }
    // A canvas over the whole client area (for painting outside WM_PAINT).
    Canvas GetCanvas();

    // Vertical scroll bar: shown while max > min. Changing it narrows or widens the client
    // area and repaints the bar.
    void SetScrollRange(int min, int max, bool redraw);
    void SetScrollPos(int pos, bool redraw);
    void SetScrollPage(int page);
    const ScrollInfo& Scroll() const { return scroll_; }
    bool HasScrollBar() const { return scroll_.max > scroll_.min; }

    LRESULT Send(unsigned message, WPARAM wParam = 0, LPARAM lParam = 0);
    void Post(unsigned message, WPARAM wParam = 0, LPARAM lParam = 0);
    void SetProc(WindowProc proc) { proc_ = std::move(proc); }

    // Free slot for the code that owns the window (a dialog object, a control object).
    void* userData = nullptr;

    // Internal: used by the window system.
    void DrawScrollBar(Surface* surface);
    ~Window();

  private:
    Window() = default;
    void DestroyTree();

    std::string className_;
    std::string title_;
    Rect frame_;
    Window* parent_ = nullptr;
    std::vector<Window*> children_;
    WindowProc proc_;
    int id_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    bool alive_ = true;
    Rect invalid_;
    bool erase_ = false;
    Rect paintRect_;
    ScrollInfo scroll_;
    friend class WindowSystem;
};

// Width of the vertical scroll bar (system metric).
constexpr int kScrollBarWidth = 8;

}  // namespace plat
