// The eleven transition effects: what each of the frames of a transition puts on the screen.
//
// Effects come in families (door, wipe, rectangle, interlace, blend). A family's step routine
// keeps the family's position from frame to frame and hands the geometry of the frame to the
// variant of the effect, which copies rectangles of the incoming frame (and for some effects
// of the outgoing one) to the screen. Rectangles here have inclusive corners.
#pragma once

#include <cstdint>

#include "platform/graphics/canvas.h"
#include "resources/resource_ids.h"

class SlideShowPlayer;

enum EffectCode : int16_t {
    kDoorClose = 0,
    kDoorOpen = 1,
    kInterlace = 2,
    kRectangleIn = 3,
    kRectangleOut = 4,
    kTransparent = 5,
    kWipeDown = 6,
    kWipeLeft = 7,
    kWipeRight = 8,
    kWipeUp = 9,
    kZoomIn = 10,
    kRandomEffect = 11,
};
constexpr int kEffectCount = 11;
// String-table id of the name of effect 0; the others follow in order.
constexpr int kFirstEffectNameId = kStrEffectDoorClose;

// A rectangle with inclusive corners, as the effects' geometry is written.
struct FrameRect {
    int left = 0;
    int top = 0;
    int right = -1;
    int bottom = -1;

    bool IsEmpty() const { return right < left || bottom < top; }
    bool operator==(const FrameRect&) const = default;
};

// The parameters and running position of the current effect.
struct EffectState {
    int16_t code = kDoorClose;
    int16_t width = 0;      // W, the screen width
    int16_t height = 0;     // H
    int16_t stepCount = 0;  // N
    int16_t speed = 5;
    // Door and wipe: pixels per frame and the position, stepped as 32-bit floats.
    float stride = 0.0f;
    float position = 0.0f;
    // Rectangle.
    int16_t ringWidth = 0;
    int16_t inset = 0;
    // Interlace.
    int16_t bandHeight = 0;
    // Transparent.
    int16_t shift = 0;
    int16_t initialShift = 0;
};

// Sets the parameters of effect `code` (0-10) for a W x H screen and N frames.
void SetUpEffectState(EffectState* state, int code, int width, int height, int stepCount,
                      int speed);
// Draws frame n (1 .. N) with the effect's step routine and advances its position.
void DrawEffectStep(EffectState* state, SlideShowPlayer& player, plat::Canvas& dc, int n);
// Puts the effect back on its first frame (after a transition ends).
void ResetEffectState(EffectState* state);
// True for the effects that draw from the outgoing frame.
bool EffectUsesOldFrame(int code);
// True for the effects whose last frame is the whole incoming frame, drawn by the engine.
bool EffectEndsOnWholeFrame(int code);

// rnd(x): add one half and truncate toward zero.
inline int RoundHalf(float x) {
    return static_cast<int>(x + 0.5f);
}
