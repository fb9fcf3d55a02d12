#include "platform/window/window.h"

#include <algorithm>

#include "platform/window/window_system.h"

namespace plat {

LRESULT DefWindowProc(Window* window, unsigned message, WPARAM, LPARAM) {
    switch (message) {
        case WM_PAINT:
            window->Validate();
            return 0;
        case WM_ERASEBKGND: {
            Canvas canvas = window->GetCanvas();
            canvas.FillRect(window->ClientRect(), 0xFFFFFF);
            return 1;
        }
        case WM_CLOSE:
            window->Destroy();
            return 0;
        default:
            return 0;
    }
}

Window* Window::Create(const std::string& className, const std::string& title, const Rect& frame,
                       Window* parent, WindowProc proc, int id, bool visible) {
    std::unique_ptr<Window> owned(new Window());
    Window* w = owned.get();
    w->className_ = className;
    w->title_ = title;
    w->frame_ = frame;
    w->parent_ = parent;
    w->proc_ = std::move(proc);
    w->id_ = id;
    w->visible_ = visible;
    WindowSystem& ws = WindowSystem::Get();
    if (parent) {
        parent->children_.push_back(owned.release());
    } else {
        ws.AddTopLevel(owned.release());
    }
    if (w->Send(WM_CREATE, 0, 0) == -1) {
        w->Destroy();
        return nullptr;
    }
    if (w->visible_) {
        w->Invalidate(nullptr, true);
    }
    return w;
}

Window::~Window() {
    for (Window* child : children_) {
        delete child;
    }
}

void Window::Destroy() {
    if (!alive_) {
        return;
    }
    DestroyTree();
    WindowSystem& ws = WindowSystem::Get();
    if (parent_) {
        auto& siblings = parent_->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
        parent_->Invalidate(&frame_, true);
        ws.ScheduleDelete(this);
    } else {
        ws.RemoveWindow(this);
    }
}

void Window::DestroyTree() {
    // Children first, as they are the last to know about their parent.
    for (Window* child : std::vector<Window*>(children_)) {
        child->DestroyTree();
    }
    Send(WM_DESTROY, 0, 0);
    alive_ = false;
    WindowSystem& ws = WindowSystem::Get();
    if (!parent_ && ws.GetShellHooks()) {
        ws.GetShellHooks()->TopLevelDestroyed(this);
    }
    ws.KillTimer(this, -1);
    if (ws.Focus() == this) {
        ws.SetFocus(nullptr);
    }
}

void Window::SetTitle(const std::string& title) {
    title_ = title;
    if (!parent_) {
        // The title strip shows the top window's title.
        if (Window* tray = WindowSystem::Get().FindWindow("Tray", "Tray")) {
            tray->Invalidate(nullptr, true);
        }
    } else {
        Invalidate(nullptr, true);
    }
}

Window* Window::Child(int id) const {
    for (Window* c : children_) {
        if (c->id_ == id)
            return c;
    }
    return nullptr;
}

void Window::Move(const Rect& frame) {
    if (frame == frame_) {
        return;
    }
    if (parent_) {
        parent_->Invalidate(&frame_, true);
    } else {
        WindowSystem::Get().InvalidateAll();
    }
    frame_ = frame;
    Send(WM_SIZE, 0, static_cast<LPARAM>(MakeWParam(ClientRect().Width(), ClientRect().Height())));
    Invalidate(nullptr, true);
}

Rect Window::ClientRect() const {
    int w = frame_.Width() - (HasScrollBar() ? kScrollBarWidth : 0);
    return Rect{0, 0, std::max(0, w), std::max(0, frame_.Height())};
}

Point Window::ScreenOrigin() const {
    Point p{frame_.left, frame_.top};
    for (const Window* w = parent_; w; w = w->parent_) {
        p.x += w->frame_.left;
        p.y += w->frame_.top;
    }
    return p;
}

void Window::Show(bool visible) {
    if (visible_ == visible) {
        return;
    }
    visible_ = visible;
    if (parent_) {
        parent_->Invalidate(&frame_, true);
    } else {
        WindowSystem::Get().InvalidateAll();
    }
    if (visible) {
        Invalidate(nullptr, true);
    }
}

void Window::Enable(bool enabled) {
    if (enabled_ != enabled) {
        enabled_ = enabled;
        Invalidate(nullptr, true);
    }
}

void Window::Invalidate(const Rect* rect, bool erase) {
    const Rect all{0, 0, frame_.Width(), frame_.Height()};
    const Rect r = rect ? rect->Intersect(all) : all;
    if (r.IsEmpty()) {
        return;
    }
    invalid_ = invalid_.Union(r);
    erase_ = erase_ || erase;
    // Children under the invalid area are painted again over the parent.
    for (Window* child : children_) {
        const Rect inChild =
            r.Intersect(child->frame_).Offset(-child->frame_.left, -child->frame_.top);
        if (!inChild.IsEmpty()) {
            child->Invalidate(&inChild, erase);
        }
    }
    WindowSystem::Get().MarkScreenDirty();
}

void Window::Update() {
    if (!alive_ || !visible_) {
        return;
    }
    if (!invalid_.IsEmpty()) {
        // Erasing and painting both see only the update rectangle.
        paintRect_ = invalid_;
        if (erase_) {
            erase_ = false;
            Send(WM_ERASEBKGND, 0, 0);
        }
        paintRect_ = invalid_;
        Send(WM_PAINT, 0, 0);
        // A window procedure that painted without validating is validated here, so that an
        // unhandled paint never spins.
        invalid_ = Rect{};
        paintRect_ = Rect{};
        if (HasScrollBar()) {
            DrawScrollBar(&WindowSystem::Get().Screen());
        }
    }
    for (Window* child : std::vector<Window*>(children_)) {
        if (child->alive_)
            child->Update();
    }
}

Canvas Window::BeginPaint() {
    Canvas canvas = GetCanvas();
    canvas.IntersectClip(paintRect_.IsEmpty() ? invalid_ : paintRect_);
    return canvas;
}

Canvas Window::GetCanvas() {
    Surface* screen = &WindowSystem::Get().Screen();
    const Point origin = ScreenOrigin();
    Rect clip = ClientRect().Offset(origin.x, origin.y);
    // Children are clipped by their parents.
    for (const Window* w = parent_; w; w = w->parent_) {
        const Point o = w->ScreenOrigin();
        clip = clip.Intersect(w->ClientRect().Offset(o.x, o.y));
    }
    clip = clip.Intersect(Rect{0, 0, screen->Width(), screen->Height()});
    Canvas canvas(screen, origin, clip);
    if (!paintRect_.IsEmpty()) {
        // Inside a paint cycle nothing outside the update rectangle is touched.
        canvas.IntersectClip(paintRect_);
    }
    return canvas;
}

void Window::SetScrollRange(int min, int max, bool redraw) {
    const bool had = HasScrollBar();
    scroll_.min = min;
    scroll_.max = max;
    scroll_.pos = std::clamp(scroll_.pos, min, std::max(min, max));
    if (had != HasScrollBar()) {
        // The client area changed width.
        Send(WM_SIZE, 0,
             static_cast<LPARAM>(MakeWParam(ClientRect().Width(), ClientRect().Height())));
        Invalidate(nullptr, true);
    } else if (redraw && HasScrollBar()) {
        WindowSystem::Get().MarkScreenDirty();
        DrawScrollBar(&WindowSystem::Get().Screen());
    }
}

void Window::SetScrollPos(int pos, bool redraw) {
    scroll_.pos = std::clamp(pos, scroll_.min, std::max(scroll_.min, scroll_.max));
    if (redraw && HasScrollBar()) {
        DrawScrollBar(&WindowSystem::Get().Screen());
        WindowSystem::Get().MarkScreenDirty();
    }
}

void Window::SetScrollPage(int page) {
    scroll_.page = page;
}

void Window::DrawScrollBar(Surface* surface) {
    if (!HasScrollBar() || !visible_) {
        return;
    }
    const Point o = ScreenOrigin();
    const Rect bar{o.x + frame_.Width() - kScrollBarWidth, o.y, o.x + frame_.Width(),
                   o.y + frame_.Height()};
    Canvas canvas(surface);
    canvas.FillRect(bar, 0xE8E8E8);
    canvas.Line(bar.left, bar.top, bar.left, bar.bottom, 0xA0A0A0);
    // The thumb: its length follows the page, at least 10 pixels.
    const int range = scroll_.max - scroll_.min + 1;
    const int page = std::max(1, scroll_.page);
    const int track = bar.Height() - 2;
    int thumb = std::max(10, track * page / (range + page - 1));
    thumb = std::min(thumb, track);
    const int travel = track - thumb;
    const int steps = std::max(1, scroll_.max - scroll_.min);
    const int top = bar.top + 1 + travel * (scroll_.pos - scroll_.min) / steps;
    const Rect t{bar.left + 2, top, bar.right - 1, top + thumb};
    canvas.FillRect(t, 0x8A6A4A);
    canvas.FrameRect(t, 0x5A3A1A);
}

LRESULT Window::Send(unsigned message, WPARAM wParam, LPARAM lParam) {
    if (!alive_ && message != WM_DESTROY) {
        return 0;
    }
    if (!proc_) {
        return DefWindowProc(this, message, wParam, lParam);
    }
    // Keep the procedure alive while it runs, even if it replaces itself.
    WindowProc proc = proc_;
    return proc(this, message, wParam, lParam);
}

void Window::Post(unsigned message, WPARAM wParam, LPARAM lParam) {
    WindowSystem::Get().Post(this, message, wParam, lParam);
}

}  // namespace plat
