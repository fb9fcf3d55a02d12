#include "platform/window/window_system.h"

#include <algorithm>

#include "platform/os/text.h"

namespace plat {

WindowSystem& WindowSystem::Get() {
    static WindowSystem system;
    return system;
}

void WindowSystem::Init(Host* host, int screenWidth, int screenHeight) {
    host_ = host;
    screen_.Resize(screenWidth, screenHeight);
    quitPosted_ = false;
    closing_ = false;
    exitCode_ = 0;
    beeps_ = 0;
    waitCursor_ = false;
    waitDepth_ = 0;
    screenDirty_ = true;
}

void WindowSystem::Shutdown() {
    for (Window* w : std::vector<Window*>(topLevel_)) {
        w->Destroy();
    }
    CollectGarbage();
    timers_.clear();
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        queue_.clear();
    }
    modals_.clear();
    focus_ = nullptr;
    host_ = nullptr;
    homeKeyAction_ = nullptr;
}

uint64_t WindowSystem::Now() const {
    return host_ ? host_->NowMs() : 0;
}

void WindowSystem::Post(Window* window, unsigned message, WPARAM wParam, LPARAM lParam) {
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        queue_.push_back(Message{window, message, wParam, lParam});
    }
    if (host_) {
        host_->Wake();
    }
}

void WindowSystem::PostQuit(int exitCode) {
    exitCode_ = exitCode;
    quitPosted_ = true;
    Post(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}

void WindowSystem::PostKey(unsigned vk, bool down, int repeat) {
    Post(nullptr, down ? WM_KEYDOWN : WM_KEYUP, vk,
         static_cast<LPARAM>(std::clamp(repeat, 1, 0xFFFF)) |
             (down ? 0 : static_cast<LPARAM>(0xC0000000u)));
}

void WindowSystem::PostText(const std::string& utf8) {
    for (char32_t cp : DecodeUtf8(utf8)) {
        Post(nullptr, WM_CHAR, cp, 1);
    }
}

bool WindowSystem::TakeQueued(Message* message) {
    std::lock_guard<std::mutex> lock(queueMutex_);
    if (queue_.empty()) {
        return false;
    }
    *message = queue_.front();
    queue_.pop_front();
    return true;
}

bool WindowSystem::FireDueTimer(Message* message) {
    const uint64_t now = Now();
    Timer* next = nullptr;
    for (Timer& t : timers_) {
        if (t.due <= now && (!next || t.due < next->due)) {
            next = &t;
        }
    }
    if (!next) {
        return false;
    }
    // A late timer fires once, not once per missed interval.
    next->due = std::max(next->due + static_cast<uint64_t>(next->interval), now + 1);
    *message = Message{next->window, WM_TIMER, static_cast<WPARAM>(next->id), 0};
    return true;
}

int64_t WindowSystem::MillisToNextTimer() const {
    if (timers_.empty()) {
        return -1;
    }
    uint64_t due = UINT64_MAX;
    for (const Timer& t : timers_) {
        due = std::min(due, t.due);
    }
    const uint64_t now = Now();
    return due <= now ? 0 : static_cast<int64_t>(due - now);
}

bool WindowSystem::PeekMessage(Message* message) {
    if (TakeQueued(message)) {
        return true;
    }
    if (host_) {
        host_->PollEvents();
        if (TakeQueued(message)) {
            return true;
        }
    }
    PaintAndPresent();
    return FireDueTimer(message);
}

bool WindowSystem::GetMessage(Message* message) {
    for (;;) {
        if (TakeQueued(message)) {
            break;
        }
        PaintAndPresent();
        if (FireDueTimer(message)) {
            break;
        }
        if (!host_) {
            message->message = WM_QUIT;
            break;
        }
        host_->WaitForEvents(MillisToNextTimer());
    }
    return message->message != WM_QUIT;
}

LRESULT WindowSystem::Dispatch(const Message& m) {
    if (m.message == WM_QUIT) {
        return 0;
    }
    ++dispatchDepth_;
    LRESULT result = 0;
    if (!m.window) {
        if (m.message == WM_KEYDOWN || m.message == WM_KEYUP || m.message == WM_CHAR) {
            RouteKey(m);
        }
    } else if (IsWindow(m.window)) {
        result = m.window->Send(m.message, m.wParam, m.lParam);
    }
    --dispatchDepth_;
    if (dispatchDepth_ == 0) {
        CollectGarbage();
    }
    return result;
}

void WindowSystem::RunModalLoop(const std::function<bool()>& done) {
    Message m;
    bool cancelled = false;
    while (!done()) {
        if (closing_ && !cancelled && !modals_.empty()) {
            // Started while the program closes: this loop (the innermost) ends at once.
            cancelled = true;
            modals_.back().cancel();
            continue;
        }
        if (!GetMessage(&m)) {
            // Leave WM_QUIT for the outer loop.
            PostQuit(static_cast<int>(m.wParam));
            return;
        }
        Dispatch(m);
    }
}

void WindowSystem::EndModalsForClose() {
    closing_ = true;
    // A cancel may end loops or post to them; the copy keeps the walk valid either way.
    const std::vector<ModalLoop> loops = modals_;
    for (auto it = loops.rbegin(); it != loops.rend(); ++it) {
        it->cancel();
    }
}

void WindowSystem::RouteKey(const Message& m) {
    const unsigned vk = static_cast<unsigned>(m.wParam);
    const bool down = m.message == WM_KEYDOWN;
    Window* top = TopWindow();
    ShellHooks* shell = shellHooks_;
    if (shell && shell->MenuTrackerActive()) {
        // The release of a key the popup took belongs to the popup too, even when the popup
        // closed on the press (Back must not also act on the window under it).
        if (m.message == WM_KEYDOWN) {
            swallowRelease_.insert(vk);
        }
        shell->MenuTrackerKey(m.message, vk);
        return;
    }
    if (m.message == WM_KEYUP && swallowRelease_.erase(vk) > 0) {
        return;
    }
    if (m.message != WM_CHAR) {
        if (vk == VK_TSOFT1 || vk == VK_TSOFT2) {
            if (down) {
                if (shell) {
                    shell->PressSoftkey(vk == VK_TSOFT1 ? 0 : 1);
                }
            }
            return;
        }
        if (vk == VK_TBACK) {
            // Back always reaches the top window (the owner of the bar shown) as a hot key.
            if (Window* target = top) {
                const LPARAM lp =
                    static_cast<LPARAM>(VK_TBACK << 16) | (down ? 0 : kHotKeyReleased);
                target->Send(WM_HOTKEY, 0, lp);
            }
            return;
        }
        if (vk == VK_THOME) {
            if (down) {
                if (homeKeyAction_) {
                    homeKeyAction_();
                } else if (top) {
                    top->Send(WM_HOTKEY, 0, static_cast<LPARAM>(VK_THOME << 16));
                }
            }
            return;
        }
    }
    Window* target = Focus();
    if (target) {
        target->Send(m.message, m.wParam, m.lParam);
    }
}

void WindowSystem::SetTimer(Window* window, int id, int intervalMs) {
    const uint64_t due = Now() + static_cast<uint64_t>(std::max(1, intervalMs));
    for (Timer& t : timers_) {
        if (t.window == window && t.id == id) {
            t.interval = std::max(1, intervalMs);
            t.due = due;
            return;
        }
    }
    timers_.push_back(Timer{window, id, std::max(1, intervalMs), due});
}

void WindowSystem::KillTimer(Window* window, int id) {
    timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                                 [&](const Timer& t) {
                                     return t.window == window && (id == -1 || t.id == id);
                                 }),
                  timers_.end());
}

void WindowSystem::AddTopLevel(Window* window) {
    topLevel_.push_back(window);
    InvalidateAll();
}

void WindowSystem::RemoveWindow(Window* window) {
    auto it = std::find(topLevel_.begin(), topLevel_.end(), window);
    if (it != topLevel_.end()) {
        topLevel_.erase(it);
        graveyard_.emplace_back(window);
    }
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        queue_.erase(std::remove_if(queue_.begin(), queue_.end(),
                                    [&](const Message& m) { return m.window == window; }),
                     queue_.end());
    }
    KillTimer(window, -1);
    if (focus_ == window) {
        focus_ = nullptr;
    }
    InvalidateAll();
}

bool WindowSystem::IsWindow(const Window* window) const {
    if (!window || !window->IsAlive()) {
        return false;
    }
    const Window* root = window;
    while (root->Parent()) {
        root = root->Parent();
    }
    return std::find(topLevel_.begin(), topLevel_.end(), root) != topLevel_.end();
}

Window* WindowSystem::FindWindow(const std::string& className, const std::string& title) const {
    for (Window* w : topLevel_) {
        if (w->IsAlive() && w->ClassName() == className && (title.empty() || w->Title() == title)) {
            return w;
        }
    }
    return nullptr;
}

static bool IsShellWindow(const Window* w) {
    return w->ClassName() == "Tray" || w->ClassName() == "menu_worker";
}

Window* WindowSystem::TopWindow() const {
    for (auto it = topLevel_.rbegin(); it != topLevel_.rend(); ++it) {
        if ((*it)->IsAlive() && (*it)->IsVisible() && !IsShellWindow(*it)) {
            return *it;
        }
    }
    return nullptr;
}

void WindowSystem::BringToTop(Window* window) {
    auto it = std::find(topLevel_.begin(), topLevel_.end(), window);
    if (it != topLevel_.end()) {
        topLevel_.erase(it);
        topLevel_.push_back(window);
        InvalidateAll();
    }
}

Window* WindowSystem::Focus() const {
    Window* top = TopWindow();
    if (focus_ && IsWindow(focus_) && top) {
        const Window* root = focus_;
        while (root->Parent())
            root = root->Parent();
        if (root == top) {
            return focus_;
        }
    }
    return top;
}

void WindowSystem::SetFocus(Window* window) {
    Window* old = focus_;
    if (old == window) {
        return;
    }
    focus_ = window;
    if (old && IsWindow(old)) {
        old->Send(WM_KILLFOCUS, 0, 0);
    }
    if (window && IsWindow(window)) {
        window->Send(WM_SETFOCUS, 0, 0);
    }
}

bool WindowSystem::IsCovered(const Window* window) const {
    bool above = false;
    for (const Window* w : topLevel_) {
        if (w == window) {
            above = true;
            continue;
        }
        if (above && w->IsAlive() && w->IsVisible() && !IsShellWindow(w) &&
            w->Frame().Intersect(window->Frame()) == window->Frame()) {
            return true;
        }
    }
    return false;
}

void WindowSystem::InvalidateAll() {
    for (Window* w : topLevel_) {
        if (w->IsAlive()) {
            w->Invalidate(nullptr, true);
        }
    }
    screenDirty_ = true;
}

static bool TreeNeedsPaint(const Window* w) {
    if (w->NeedsPaint()) {
        return true;
    }
    for (const Window* c : w->Children()) {
        if (c->IsVisible() && TreeNeedsPaint(c)) {
            return true;
        }
    }
    return false;
}

bool WindowSystem::PaintStrips() {
    bool painted = false;
    if (Window* tray = FindWindow("Tray", "Tray")) {
        if (tray->IsVisible() && tray->NeedsPaint()) {
            tray->Update();
            painted = true;
        }
    }
    if (shellHooks_ && shellHooks_->PaintSoftkeyBar(&screen_)) {
        painted = true;
    }
    return painted;
}

void WindowSystem::PaintAndPresent() {
    // The strips first: painting a window may decode pictures for a while (thumbnails) and
    // the screen shown meanwhile has the title and the softkeys on it.
    bool painted = PaintStrips();
    for (Window* w : std::vector<Window*>(topLevel_)) {
        if (!w->IsAlive() || !w->IsVisible() || IsShellWindow(w) || IsCovered(w)) {
            continue;
        }
        if (!TreeNeedsPaint(w)) {
            continue;
        }
        w->Update();
        painted = true;
    }
    // Painting may have changed them (a title): they are drawn over the application windows.
    painted = PaintStrips() || painted;
    if (painted || screenDirty_) {
        if (shellHooks_) {
            shellHooks_->PaintOpenMenus(&screen_);
        }
        screenDirty_ = false;
        if (host_) {
            host_->Present(screen_, waitCursor_);
        }
    }
}

void WindowSystem::Beep() {
    ++beeps_;
    if (host_) {
        host_->Beep();
    }
}

// Several waits may overlap (thumbnails decoding while a picture loads): the cursor shows
// until the last of them ends.
void WindowSystem::BeginWaitCursor() {
    if (waitDepth_++ > 0) {
        return;
    }
    waitCursor_ = true;
    if (host_) {
        PaintStrips();
        host_->Present(screen_, true);
    }
}

void WindowSystem::EndWaitCursor() {
    if (waitDepth_ == 0 || --waitDepth_ > 0) {
        return;
    }
    waitCursor_ = false;
    screenDirty_ = true;
}

void WindowSystem::CollectGarbage() {
    if (dispatchDepth_ > 0) {
        return;
    }
    graveyard_.clear();
}

}  // namespace plat
