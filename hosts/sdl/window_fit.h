// The size of the SDL window: the phone's screen at the asked zoom, lowered until it fits the
// usable area of the display.
#pragma once

struct WindowFit {
    int width = 0;
    int height = 0;
    int scale = 1;         // the zoom used (1 when even 1 is too large)
    bool lowered = false;  // the asked zoom did not fit
};

// `usableWidth` and `usableHeight` of 0 or less mean the display is unknown: the asked zoom
// is kept. When even zoom 1 does not fit, the window is the largest of the screen's shape
// inside the usable area, and the screen is shown reduced.
WindowFit FitWindow(int screenWidth, int screenHeight, int scale, int usableWidth,
                    int usableHeight);
