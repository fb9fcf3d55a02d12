#include "hosts/sdl/window_fit.h"

#include <algorithm>
#include <cstdint>

WindowFit FitWindow(int screenWidth, int screenHeight, int scale, int usableWidth,
                    int usableHeight) {
    WindowFit fit;
    scale = std::max(scale, 1);
    screenWidth = std::max(screenWidth, 1);
    screenHeight = std::max(screenHeight, 1);
    if (usableWidth <= 0 || usableHeight <= 0) {
        fit.scale = scale;
        fit.width = screenWidth * scale;
        fit.height = screenHeight * scale;
        return fit;
    }
    int s = scale;
    while (s > 1 && (static_cast<int64_t>(screenWidth) * s > usableWidth ||
                     static_cast<int64_t>(screenHeight) * s > usableHeight)) {
        --s;
    }
    fit.scale = s;
    fit.lowered = s < scale;
    fit.width = screenWidth * s;
    fit.height = screenHeight * s;
    if (fit.width > usableWidth || fit.height > usableHeight) {
        // Even zoom 1 is too large: the screen's shape, as large as the display allows.
        fit.lowered = true;
        const int64_t byWidth = static_cast<int64_t>(screenHeight) * usableWidth / screenWidth;
        if (byWidth <= usableHeight) {
            fit.width = usableWidth;
            fit.height = static_cast<int>(std::max<int64_t>(byWidth, 1));
        } else {
            fit.height = usableHeight;
            fit.width = static_cast<int>(std::max<int64_t>(
                static_cast<int64_t>(screenWidth) * usableHeight / screenHeight, 1));
        }
    }
    return fit;
}
