#include "slideshow/effects.h"

#include <algorithm>

#include "imaging/scaling.h"
#include "slideshow/slide_show_player.h"

namespace {

// ---- Door: the incoming frame's halves slide in, or the outgoing frame's halves slide out.

void DoorClose(SlideShowPlayer& player, plat::Canvas& dc, int d) {
    const int W = player.screenWidth;
    const int H = player.screenHeight;
    if (d <= 0) {
        return;
    }
    imaging::ImageBuffer& next = player.NewFrame();
    player.CopyToScreenAt(dc, next, FrameRect{W / 2 - d, 0, W / 2 - 1, H - 1}, 0, 0);
    // On an odd width the right half is the wider one (W - W/2 columns): it comes in one
    // column wider, so the halves meet without a gap and the last frame is the picture.
    const int right = d + W % 2;
    player.CopyToScreenAt(dc, next, FrameRect{W / 2, 0, W / 2 + right - 1, H - 1}, W - right, 0);
}

void DoorOpen(SlideShowPlayer& player, plat::Canvas& dc, int d) {
    const int W = player.screenWidth;
    const int H = player.screenHeight;
    imaging::ImageBuffer& next = player.NewFrame();
    imaging::ImageBuffer* old = player.OldFrame();
    if (d > 0 && old) {
        player.CopyToScreenAt(dc, *old, FrameRect{W / 2 - d, 0, W / 2 - 1, H - 1}, 0, 0);
    }
    player.CopyToScreen(dc, next, FrameRect{d, 0, W - d - 1, H - 1});
    if (d > 0 && old) {
        player.CopyToScreenAt(dc, *old, FrameRect{W / 2, 0, W / 2 + d - 1, H - 1}, W - d, 0);
    }
}

void DoorStep(EffectState* s, SlideShowPlayer& player, plat::Canvas& dc) {
    // Float stepping can land a hair past the middle of an odd width.
    const int d = std::clamp(RoundHalf(s->position), 0, s->width / 2);
    if (s->code == kDoorOpen) {
        DoorOpen(player, dc, d);
    } else {
        DoorClose(player, dc, d);
    }
    s->position += s->stride;
}

// ---- Wipe: one band of the incoming frame per frame, from one edge to the other.

FrameRect WipeBand(int code, int W, int H, int a, int b) {
    switch (code) {
        case kWipeDown:
            return FrameRect{0, a, W - 1, std::min(H - 1, b - 1)};
        case kWipeUp:
            return FrameRect{0, std::max(0, H - b), W - 1, H - a - 1};
        case kWipeRight:
            return FrameRect{a, 0, std::min(W - 1, b - 1), H - 1};
        default:  // kWipeLeft
            return FrameRect{std::max(0, W - b), 0, W - a - 1, H - 1};
    }
}

void WipeStep(EffectState* s, SlideShowPlayer& player, plat::Canvas& dc) {
    const int a = RoundHalf(s->position);
    const int b = RoundHalf(s->position + s->stride);
    player.CopyToScreen(dc, player.NewFrame(), WipeBand(s->code, s->width, s->height, a, b));
    s->position += s->stride;
}

// ---- Rectangle: a ring closing in from the edges, or a rectangle growing from the centre.

void RectangleIn(SlideShowPlayer& player, plat::Canvas& dc, int v, int r) {
    const int W = player.screenWidth;
    const int H = player.screenHeight;
    imaging::ImageBuffer& next = player.NewFrame();
    if (W - v - 1 > v) {
        player.CopyToScreen(dc, next, FrameRect{v, v, W - v - 1, v + r - 1});
    }
    if (v + r < H - r - v - 1) {
        player.CopyToScreen(dc, next, FrameRect{v, v + r, v + r - 1, H - r - v - 1});
        player.CopyToScreen(dc, next, FrameRect{W - v - r, v + r, W - v - 1, H - r - v - 1});
    }
    if (W - v - 1 > v) {
        player.CopyToScreen(dc, next, FrameRect{v, H - r - v, W - v - 1, H - v - 1});
    }
}

void RectangleStep(EffectState* s, SlideShowPlayer& player, plat::Canvas& dc) {
    const int v = s->inset;
    if (s->code == kRectangleIn) {
        RectangleIn(player, dc, v, s->ringWidth);
        s->inset = static_cast<int16_t>(s->inset + s->ringWidth);
    } else {
        player.CopyToScreen(dc, player.NewFrame(),
                            FrameRect{v, v, s->width - v - 1, s->height - v - 1});
        s->inset = static_cast<int16_t>(s->inset - s->ringWidth);
    }
}

// ---- Interlace: the upper half of a band from the top and the lower part of a band from
// the bottom each frame.

void InterlaceStep(EffectState* s, SlideShowPlayer& player, plat::Canvas& dc, int n) {
    const int W = s->width;
    const int H = s->height;
    const int N = s->stepCount;
    const int b = s->bandHeight;
    const int h = (b + 1) / 2;
    imaging::ImageBuffer& next = player.NewFrame();
    const int t = (n - 1) * b;
    player.CopyToScreen(dc, next, FrameRect{0, t, W - 1, std::min(H - 1, t + h - 1)});
    const int e = std::min(H - 1, (N - n + 1) * b - 1);
    player.CopyToScreen(dc, next, FrameRect{0, std::max(e - h + 1, 0), W - 1, e});
}

// ---- Blend: the outgoing frame moves a fraction of the way to the incoming one each frame.

void TransparentStep(EffectState* s, SlideShowPlayer& player, plat::Canvas& dc, int n) {
    imaging::ImageBuffer* old = player.OldFrame();
    const imaging::ImageBuffer& next = player.NewFrame();
    if (!old) {
        player.CopyToScreen(dc, next, FrameRect{0, 0, s->width - 1, s->height - 1});
        return;
    }
    const int shift = s->shift;
    const int bytes = 3 * s->width;
    for (int y = 0; y < s->height; ++y) {
        uint8_t* o = old->RowPtr(y);
        const uint8_t* in = next.RowPtr(y);
        for (int i = 0; i < bytes; ++i) {
            const int v = (((o[i] << shift) - o[i] + in[i] + 2) >> shift);
            o[i] = static_cast<uint8_t>(std::clamp(v, 0, 255));
        }
    }
    player.CopyToScreen(dc, *old, FrameRect{0, 0, s->width - 1, s->height - 1});
    if (s->stepCount - n < 4) {
        s->shift = static_cast<int16_t>(s->shift - 1);
    }
}

void ZoomInStep(EffectState* s, SlideShowPlayer& player, plat::Canvas& dc, int n) {
    const int W = s->width;
    const int H = s->height;
    const int N = s->stepCount;
    const int w = (W * n + N / 2) / N;
    const int h = (H * n + N / 2) / N;
    const int x = (W - w + 1) / 2;
    const int y = (H - h + 1) / 2;
    imaging::ImageBuffer* old = player.OldFrame();
    if (!old || w <= 0 || h <= 0) {
        return;
    }
    imaging::Resampler resampler;
    resampler.SetSource(player.NewFrame());
    resampler.SetDestination(*old);
    if (resampler.Resample(w, h, x, y, false)) {
        player.CopyToScreen(dc, *old, FrameRect{x, y, x + w - 1, y + h - 1});
    }
}

}  // namespace

bool EffectUsesOldFrame(int code) {
    return code == kDoorOpen || code == kTransparent || code == kZoomIn;
}

bool EffectEndsOnWholeFrame(int code) {
    return code == kTransparent || code == kZoomIn;
}

void SetUpEffectState(EffectState* s, int code, int width, int height, int stepCount, int speed) {
    *s = EffectState{};
    s->code = static_cast<int16_t>(code);
    s->width = static_cast<int16_t>(width);
    s->height = static_cast<int16_t>(height);
    s->stepCount = static_cast<int16_t>(std::max(stepCount, 1));
    s->speed = static_cast<int16_t>(speed);
    const int N = s->stepCount;
    switch (code) {
        case kDoorClose:
        case kDoorOpen: {
            const float half = static_cast<float>(width) * 0.5f;
            s->stride = (code == kDoorClose ? half : -half) / static_cast<float>(N);
            break;
        }
        case kWipeDown:
        case kWipeUp:
            s->stride = static_cast<float>(height) / static_cast<float>(N);
            break;
        case kWipeLeft:
        case kWipeRight:
            s->stride = static_cast<float>(width) / static_cast<float>(N);
            break;
        case kRectangleIn:
        case kRectangleOut: {
            const int q = (width + N - 1) / N;
            s->ringWidth = static_cast<int16_t>((q + 1) / 2);
            break;
        }
        case kInterlace:
            s->bandHeight = static_cast<int16_t>((height + N - 1) / N);
            break;
        case kTransparent:
            s->initialShift = static_cast<int16_t>(speed == 5 ? 3 : 4);
            break;
        default:
            break;
    }
    ResetEffectState(s);
}

void ResetEffectState(EffectState* s) {
    const int N = s->stepCount;
    switch (s->code) {
        case kDoorClose:
            s->position = s->stride;
            break;
        case kDoorOpen:
            s->position = s->stride * static_cast<float>(1 - N);
            break;
        case kWipeDown:
        case kWipeLeft:
        case kWipeRight:
        case kWipeUp:
            s->position = 0.0f;
            break;
        case kRectangleIn:
            s->inset = 0;
            break;
        case kRectangleOut:
            s->inset = static_cast<int16_t>(s->ringWidth * (N - 1));
            break;
        case kTransparent:
            s->shift = s->initialShift;
            break;
        default:
            break;
    }
}

void DrawEffectStep(EffectState* s, SlideShowPlayer& player, plat::Canvas& dc, int n) {
    switch (s->code) {
        case kDoorClose:
        case kDoorOpen:
            DoorStep(s, player, dc);
            break;
        case kWipeDown:
        case kWipeLeft:
        case kWipeRight:
        case kWipeUp:
            WipeStep(s, player, dc);
            break;
        case kRectangleIn:
        case kRectangleOut:
            RectangleStep(s, player, dc);
            break;
        case kInterlace:
            InterlaceStep(s, player, dc, n);
            break;
        case kTransparent:
            TransparentStep(s, player, dc, n);
            break;
        case kZoomIn:
            ZoomInStep(s, player, dc, n);
            break;
        default:
            break;
    }
}
