// What the window system needs of the phone shell that sits above it: an open popup menu
// takes the keys, the softkeys press the active bar's buttons, the bar and the popups are
// drawn over the windows, and a top-level window's bars go with it. The shell registers
// itself before it makes a bar or opens a popup; until then there is nothing to route.
#pragma once

#include "platform/graphics/surface.h"

namespace plat {

class Window;

class ShellHooks {
  public:
    virtual ~ShellHooks() = default;
    // Whether a popup menu is open (it takes every key), and a key for it.
    virtual bool MenuTrackerActive() = 0;
    virtual void MenuTrackerKey(unsigned message, unsigned key) = 0;
    // Softkey `index` (0 left, 1 right) of the bar shown now.
    virtual void PressSoftkey(int index) = 0;
    // Paints the bar shown now when it needs it; true when it painted.
    virtual bool PaintSoftkeyBar(Surface* screen) = 0;
    // Paints the open popups, if any.
    virtual void PaintOpenMenus(Surface* screen) = 0;
    // A top-level window is being destroyed.
    virtual void TopLevelDestroyed(Window* window) = 0;
};

}  // namespace plat
