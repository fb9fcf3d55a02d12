// Popup menus: items with checks, radio marks, grey state, separators and submenus, and the
// keypad-driven tracking of an open popup.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/geometry.h"
#include "platform/graphics/surface.h"

namespace plat {

class Menu;
class Window;

struct MenuItem {
    int id = 0;        // command id (0 for separators and submenus)
    std::string text;  // with "&" before the access key, "\t" before a hint
    bool separator = false;
    bool checked = false;
    bool radio = false;  // the check shows as a dot
    bool grayed = false;
    std::unique_ptr<Menu> submenu;  // null unless the item opens a submenu
};

// A template line: depth 0 items of a popup, depth+1 for the items of a submenu that follows.
struct MenuTemplateItem {
    int depth;
    int id;  // -1 for a separator, 0 for a submenu header
    const char* text;
};

class Menu {
  public:
    // Builds a popup from template lines, where each submenu header (id 0) is followed by its
    // own lines at depth + 1.
    static std::unique_ptr<Menu> FromTemplate(const std::vector<MenuTemplateItem>& lines);

    std::vector<MenuItem>& Items() { return items_; }
    const std::vector<MenuItem>& Items() const { return items_; }
    int Count() const { return static_cast<int>(items_.size()); }

    // Finds the item with `id` in this menu or any submenu; null when there is none.
    MenuItem* FindItem(int id);
    // The menu that directly holds the item with `id`.
    Menu* FindOwner(int id);
    bool Contains(int id) { return FindItem(id) != nullptr; }

    // Each returns false when no item has that id (nothing changes then).
    bool Check(int id, bool checked);
    // Radio-checks `id` and clears the other items first..last of this menu tree.
    bool CheckRadio(int first, int last, int id);
    bool Enable(int id, bool enabled);
    bool SetText(int id, const std::string& text);
    bool Remove(int id);
    // Inserts before position `pos` (appends when out of range).
    void Insert(int pos, MenuItem item);
    void Append(MenuItem item) { Insert(Count(), std::move(item)); }
    void RemoveAt(int pos);

  private:
    std::vector<MenuItem> items_;
};

// The access key of a label: the character after a single "&" (lower-cased), or 0.
char32_t AccessKeyOf(const std::string& text);
// The label without "&" marks ("&&" becomes "&") and without the "\t" hint.
std::string PlainLabel(const std::string& text);

// Shows a popup anchored at the bottom of the screen above the softkey bar (left or right
// side), lets the user choose from the keypad, and returns the chosen command id, or 0 when
// it was dismissed. WM_INITMENUPOPUP is sent to `owner` before the popup and before each
// submenu opens. Runs a modal loop.
int TrackPopupMenu(Menu* menu, Window* owner, bool rightSide);

// The menu being tracked (the whole popup tree) and the chain of open levels, for the
// automation interface; null when no popup is open.
Menu* OpenPopupMenu();

// Used by the window system: keys go to the open popup; the popups are drawn over the screen.
bool MenuTrackerActive();
void MenuTrackerKey(unsigned message, unsigned key);
void PaintOpenMenus(Surface* screen);
// Closes every open popup without a choice (the Home key, or ending a script).
void DismissMenus();

}  // namespace plat
