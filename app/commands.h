// Commands from the softkey menus, the menu check and grey rules, and the key router.
#pragma once

#include <string>

#include "platform/graphics/canvas.h"
#include "platform/shell/menu.h"

struct AppState;

// 1 when `id` was handled.
int DispatchCommand(AppState* app, int id);
void UpdateMenuPopup(AppState* app, plat::Menu* menu);
void OnKeyDown(AppState* app, unsigned key, int repeat);
