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

// The modes that run nested loops of their own: the folder tree and the slide show.
struct TreeResult {
    bool confirmed = false;
    bool isFile = false;
    std::string path;
};
TreeResult RunFolderTreeForView(AppState* app);
void RunSlideShowForView(AppState* app);
void RequestStopSlideShow(AppState* app);
void PaintSlideShow(AppState* app, plat::Canvas& canvas, const plat::Rect& paintRect);
void SlideShowTimer(AppState* app, int timerId);
void SlideShowKey(AppState* app, unsigned key, int repeat);
void ResetPainterZoom(AppState* app);
