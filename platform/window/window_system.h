// The window system: the screen, the top-level windows and their order, keyboard focus,
// the message queue with timers, modal loops, and the link to the host (the real window or
// the headless script).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/graphics/surface.h"
#include "platform/window/messages.h"
#include "platform/window/shell_hooks.h"
#include "platform/window/window.h"

namespace plat {

// What a host provides: time, waiting for input, showing the screen.
class Host {
  public:
    virtual ~Host() = default;
    // Milliseconds on the host clock (real or virtual).
    virtual uint64_t NowMs() = 0;
    // The program is idle: deliver input (through WindowSystem::PostKey and friends), waiting
    // at most `timeoutMs` (negative: as long as it takes). May return without delivering.
    virtual void WaitForEvents(int64_t timeoutMs) = 0;
    // Delivers pending input without waiting.
    virtual void PollEvents() = 0;
    // Shows the screen; `waitCursor` asks for the hourglass on top.
    virtual void Present(const Surface& screen, bool waitCursor) = 0;
    // Something in the program asks for the window to come forward (a second start).
    virtual void BringToFront() {}
    // Wakes a WaitForEvents from another thread.
    virtual void Wake() {}
    // The simple beep.
    virtual void Beep() {}
    // Sound out: signed 16-bit samples, channels interleaved, at `rate`. A new sound replaces
    // one still playing; with `sync` the call returns when the sound has been played.
    virtual void PlaySamples(const std::vector<int16_t>& interleaved, int rate, int channels,
                             bool sync) {
        (void)interleaved;
        (void)rate;
        (void)channels;
        (void)sync;
    }
    // Silences the sound still playing.
    virtual void StopSamples() {}
    // The microphone: delivers mono signed 16-bit samples at `rate` from now on. False when
    // the host has no capture device.
    virtual bool OpenMicrophone(int rate) {
        (void)rate;
        return false;
    }
    // Appends the samples captured since the last call.
    virtual void ReadMicrophone(std::vector<int16_t>* samples) { (void)samples; }
    virtual void CloseMicrophone() {}
    // Whether the host's screen saver and display sleep may start (a slide show keeps them
    // off while it runs).
    virtual bool ScreenSaverAllowed() const { return screenSaverAllowed_; }
    virtual void SetScreenSaverAllowed(bool allowed) { screenSaverAllowed_ = allowed; }

  private:
    bool screenSaverAllowed_ = true;
};

struct Message {
    Window* window = nullptr;  // null: a key for the focused window, routed by the shell
    unsigned message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// One running modal loop, as the headless host sees it when it has to end the loop the way
// a user would.
struct ModalLoop {
    std::string kind;  // "menu", "dialog", "messageBox", "slideShow"
    std::function<void()> cancel;
};

class WindowSystem {
  public:
    static WindowSystem& Get();

    void Init(Host* host, int screenWidth, int screenHeight);
    void Shutdown();
    Host* GetHost() const { return host_; }
    Surface& Screen() { return screen_; }
    int ScreenWidth() const { return screen_.Width(); }
    int ScreenHeight() const { return screen_.Height(); }

    // Message queue. Post may be called from any thread.
    void Post(Window* window, unsigned message, WPARAM wParam, LPARAM lParam);
    void PostQuit(int exitCode);
    // Waits for the next message (painting, timers and host input as needed); false when it
    // is WM_QUIT (whose exit code is in wParam).
    bool GetMessage(Message* message);
    // Takes the next message without waiting; false when there is none.
    bool PeekMessage(Message* message);
    LRESULT Dispatch(const Message& message);
    // Runs messages until `done` answers true or WM_QUIT arrives (which is posted again so
    // the outer loop ends too).
    void RunModalLoop(const std::function<bool()>& done);
    bool QuitPosted() const { return quitPosted_; }
    int ExitCode() const { return exitCode_; }

    // What the Home key does; without an action it reaches the top window as a hot key.
    void SetHomeKeyAction(std::function<void()> action) { homeKeyAction_ = std::move(action); }

    // Keys from the host: down (with a repeat count) and up. Text typed into edit controls.
    void PostKey(unsigned vk, bool down, int repeat = 1);
    void PostText(const std::string& utf8);

    // Timers (WM_TIMER with wParam = id), on the host clock.
    void SetTimer(Window* window, int id, int intervalMs);
    void KillTimer(Window* window, int id);
    uint64_t Now() const;

    // Top-level windows, bottom to top. Shell windows (the title strip, softkey bars) are
    // kept apart from application windows.
    void AddTopLevel(Window* window);
    void RemoveWindow(Window* window);
    Window* FindWindow(const std::string& className, const std::string& title) const;
    // The topmost visible application window.
    Window* TopWindow() const;
    void BringToTop(Window* window);
    const std::vector<Window*>& TopLevelWindows() const { return topLevel_; }
    bool IsWindow(const Window* window) const;

    Window* Focus() const;
    void SetFocus(Window* window);

    // Modal loops, innermost last.
    void PushModal(ModalLoop loop) { modals_.push_back(std::move(loop)); }
    void PopModal() {
        if (!modals_.empty())
            modals_.pop_back();
    }
    const std::vector<ModalLoop>& Modals() const { return modals_; }
    // The program is closing: ends every modal loop the way the user would, innermost first,
    // and from now on ends each modal loop that still starts as soon as it runs.
    void EndModalsForClose();
    bool Closing() const { return closing_; }

    // Paints everything that is invalid and shows the screen when it changed.
    void PaintAndPresent();
    void MarkScreenDirty() { screenDirty_ = true; }
    // Marks the whole screen for repainting (after an overlay closed, say).
    void InvalidateAll();

    // Feedback.
    void Beep();
    int BeepCount() const { return beeps_; }
    void BeginWaitCursor();
    void EndWaitCursor();
    bool WaitCursorShown() const { return waitCursor_; }

    // The phone shell above the window system (menus and softkey bars); may be null.
    void SetShellHooks(ShellHooks* hooks) { shellHooks_ = hooks; }
    ShellHooks* GetShellHooks() const { return shellHooks_; }

    // Frees windows destroyed while their messages were being handled.
    void CollectGarbage();
    void ScheduleDelete(Window* window) { graveyard_.emplace_back(window); }

  private:
    struct Timer {
        Window* window;
        int id;
        int interval;
        uint64_t due;
    };
    bool TakeQueued(Message* message);
    bool FireDueTimer(Message* message);
    int64_t MillisToNextTimer() const;
    void RouteKey(const Message& message);
    bool IsCovered(const Window* window) const;
    // Paints the title strip and the active softkey bar when they need it.
    bool PaintStrips();

    Host* host_ = nullptr;
    Surface screen_;
    std::mutex queueMutex_;
    std::deque<Message> queue_;
    std::vector<Timer> timers_;
    std::vector<Window*> topLevel_;
    Window* focus_ = nullptr;
    std::vector<ModalLoop> modals_;
    std::set<unsigned> swallowRelease_;
    std::vector<std::unique_ptr<Window>> graveyard_;
    bool quitPosted_ = false;
    bool closing_ = false;
    int exitCode_ = 0;
    bool screenDirty_ = true;
    int beeps_ = 0;
    bool waitCursor_ = false;
    int waitDepth_ = 0;
    int dispatchDepth_ = 0;
    std::function<void()> homeKeyAction_;
    ShellHooks* shellHooks_ = nullptr;
};

}  // namespace plat
