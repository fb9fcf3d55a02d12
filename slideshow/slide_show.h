// The slide show controller: runs a show from its start to its end inside the switch to the
// slide-show view mode, as a nested message loop on the main window's thread.
//
// The main window hands its key presses, timer ticks and paints to the running show; they
// talk to the show loop only through the player's stopRequested, advanceKey and queuedKey.
#pragma once

#include <cstdint>

#include "platform/graphics/canvas.h"
#include "platform/graphics/geometry.h"

struct AppState;
class SlideShowPlayer;

// The "Slide" settings as a show starts (missing values take the show-start defaults, values
// out of range the same). The options dialog opens on these, so it shows what a show does.
struct SlideShowSettings {
    int effect = 11;  // 11: a random effect for every picture
    // The effect the options list shows (0-10), also while a random effect is played.
    int listedEffect = 0;
    int speed = 5;
    int delaySeconds = 1;
    bool repeat = true;
    int syncMode = 0;
    int orientation = 0;
    bool showText = false;
};
SlideShowSettings ReadSlideShowSettings();

// Plays the current folder; returns when the show is over, with everything it changed put
// back (orientation, load level, full screen, the screen saver).
void RunSlideShow(AppState* app);

// The main window's messages while the show runs.
void OnSlideShowTimer(AppState* app, SlideShowPlayer& player);
void OnSlideShowPaint(AppState* app, SlideShowPlayer& player, plat::Canvas& dc);

// The slide-show view mode as the main window runs it.
void RunSlideShowForView(AppState* app);
void RequestStopSlideShow(AppState* app);
void PaintSlideShow(AppState* app, plat::Canvas& canvas, const plat::Rect& paintRect);
void SlideShowTimer(AppState* app, int timerId);
void SlideShowKey(AppState* app, unsigned key, int repeat);
void ResetPainterZoom(AppState* app);
