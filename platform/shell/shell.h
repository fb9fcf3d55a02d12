// The phone shell: the title strip ("Tray") on top, the softkey bar at the bottom, full-screen
// dialogs, Back and Home keys, and the storage-card query.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/shell/menu.h"
#include "platform/window/window.h"

namespace plat {

constexpr int kTrayHeight = 20;
constexpr int kSoftkeyBarHeight = 20;

// A softkey bar resource: the menu whose popups the softkeys open, and the two buttons.
struct SoftkeyButton {
    int command;  // WM_COMMAND id when the button has no popup
    std::string label;
    int popupIndex;  // index of the popup in the bar's menu, or -1
};
struct SoftkeyBarTemplate {
    int id;
    std::vector<SoftkeyButton> buttons;
    // One popup per index (may be empty when no button opens a popup).
    std::vector<std::vector<MenuTemplateItem>> popups;
};

class SoftkeyBar {
  public:
    // Creates a bar for `owner` (a top-level window); WM_COMMAND goes to the owner.
    static SoftkeyBar* Create(Window* owner, const SoftkeyBarTemplate& tmpl);
    ~SoftkeyBar();

    Window* Owner() const { return owner_; }
    Window* BarWindow() const { return window_; }
    int TemplateId() const { return templateId_; }
    bool IsVisible() const;
    void Show(bool visible);
    // The popups of the bar's menu, in softkey order.
    Menu* Popup(int index);
    int PopupCount() const { return static_cast<int>(popups_.size()); }
    // The Back key override: when set, Back reaches the owner as WM_HOTKEY.
    void OverrideBack(bool on) { overrideBack_ = on; }
    bool OverridesBack() const { return overrideBack_; }
    const std::vector<SoftkeyButton>& Buttons() const { return buttons_; }
    void SetButtonLabel(int command, const std::string& label);
    void EnableButton(int command, bool enabled);
    bool ButtonEnabled(int index) const;
    // The user pressed softkey `index` (0 left, 1 right).
    void Press(int index);
    void Paint(Surface* screen);

    static SoftkeyBar* FromWindow(Window* window);
    // The bar shown at the bottom of the screen now (visible and owned by the top window).
    static SoftkeyBar* Active();
    // The visible bar of a top-level window, if any.
    static SoftkeyBar* Find(Window* owner);

  private:
    Window* owner_ = nullptr;
    Window* window_ = nullptr;
    int templateId_ = 0;
    std::vector<SoftkeyButton> buttons_;
    std::vector<bool> enabled_;
    std::vector<std::unique_ptr<Menu>> popups_;
    bool overrideBack_ = false;
};

// Frees the softkey bars of a top-level window that is being destroyed.
void DestroyBarsOf(Window* owner);

// Hands the window system the shell's part in key routing and painting (menus, softkeys).
// Called by everything that makes a bar or opens a popup; calling it again does nothing new.
void RegisterShellHooks();

class Shell {
  public:
    // Creates the title strip; call once after the window system is set up.
    static void Init();
    static Window* Tray();
    // The area the application windows get with the strips shown.
    static Rect WorkArea();
    // Makes a top-level window fill the work area (full-screen dialogs).
    static void MakeFullScreenDialog(Window* window);
    static bool StorageCardFolder(std::string* devicePath);
    static void PaintTray(Surface* screen);
};

}  // namespace plat
