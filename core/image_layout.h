// The zoom and pan state of the image view.
#pragma once

#include <cstdint>

// The zoom and pan model of the view, apart from drawing. Zoom n >= 1 magnifies n times,
// n <= -2 reduces to 1/|n|; the steps are -8 .. -2, 1 .. 8. panX is the zoomed-pixel column at
// the view's left edge, or -1 when the zoomed picture is narrower than the view (it is then
// centred at offsetX and cannot be panned); panY likewise.
struct ImageLayout {
    int32_t zoomFactor = 1;
    int32_t panX = 0;
    int32_t panY = 0;
    int32_t sourceX = 0;
    int32_t sourceY = 0;
    int32_t offsetX = 0;
    int32_t offsetY = 0;
    int32_t viewWidth = 0;
    int32_t viewHeight = 0;
    int32_t pictureWidth = 0;
    int32_t pictureHeight = 0;
    int32_t zoomedWidth = 0;
    int32_t zoomedHeight = 0;
    // The window's client area the picture is laid out in.
    int32_t clientWidth = 0;
    int32_t clientHeight = 0;
};
