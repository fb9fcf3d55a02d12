#include "slideshow/slide_show_player.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include "core/app.h"
#include "imaging/image_painter.h"
#include "imaging/scaling.h"
#include "platform/graphics/surface.h"
#include "platform/window/messages.h"
#include "platform/window/window_system.h"

namespace {

// The caption font: height 12, normal weight, the face "Nina".
std::shared_ptr<plat::Font> CaptionFont() {
    return plat::Font::Create(plat::FontSpec{12, 400, false, "Nina", true});
}

bool IsDirectionKey(unsigned key) {
    return key == plat::VK_UP || key == plat::VK_DOWN || key == plat::VK_LEFT ||
           key == plat::VK_RIGHT;
}

}  // namespace

SlideShowPlayer::SlideShowPlayer(plat::Window* mainWindow, ImagePainter* painter, int width,
                                 int height)
    : window(mainWindow),
      screenWidth(static_cast<int16_t>(width)),
      screenHeight(static_cast<int16_t>(height)),
      painter_(painter) {
    frameRect_ = FrameRect{0, 0, screenWidth - 1, screenHeight - 1};
}

SlideShowPlayer::~SlideShowPlayer() {
    if (timerActive && window) {
        plat::WindowSystem::Get().KillTimer(window, kTimerId);
    }
    Release();
}

std::unique_ptr<imaging::ImageBuffer> SlideShowPlayer::MakeFrame() {
    auto frame = std::unique_ptr<imaging::ImageBuffer>(new (std::nothrow) imaging::ImageBuffer);
    if (!frame) {
        return nullptr;
    }
    imaging::BitmapInfoHeader header;
    imaging::MakeBitmapHeader(&header, screenWidth, screenHeight, 24, 72, 72);
    if (!frame->Create(header)) {
        return nullptr;
    }
    return frame;
}

int SlideShowPlayer::StartShow(int effectCode, int speedValue, SyncMode mode, int delay,
                               int showOrientation) {
    orientation = static_cast<int16_t>(showOrientation);
    if (!newFrame_) {
        newFrame_ = MakeFrame();
        if (!newFrame_) {
            return 0;
        }
        if (effectCode == kRandomEffect || EffectUsesOldFrame(effectCode)) {
            oldFrame_ = MakeFrame();
            if (!oldFrame_) {
                Release();
                return 0;
            }
            // The outgoing frame of the first transition is the background.
            for (int y = 0; y < screenHeight; ++y) {
                imaging::FillPixels(oldFrame_->RowPtr(y), backgroundColor, screenWidth);
            }
        }
    }
    running = true;
    if (effectCode == kRandomEffect) {
        randomEffect = true;
        effectCode = std::rand() % kEffectCount;
    }
    syncMode = mode;
    effect = static_cast<int16_t>(effectCode);
    speed = static_cast<int16_t>(speedValue);
    delaySeconds = static_cast<int16_t>(delay);
    SetUpEffect();
    return 1;
}

void SlideShowPlayer::SetUpEffect() {
    tickInterval = kTickInterval;
    stepCount = static_cast<int16_t>((kTickInterval * (7 - speed) * 2) / kTickInterval);
    step = 0;
    // Only codes 0-10 name an effect; anything else (above 1010 in particular) wipes to the
    // right.
    if (effect < 0 || effect >= kEffectCount) {
        effect = kWipeRight;
    }
    SetUpEffectState(&effect_, effect, screenWidth, screenHeight, stepCount, speed);
    holdTicks = syncMode == kDelayTime ? static_cast<int16_t>((1000 / tickInterval) * delaySeconds)
                                       : int16_t{0};
}

int16_t SlideShowPlayer::NextRandomEffect(int16_t previous) {
    int16_t next = static_cast<int16_t>(std::rand() % kEffectCount);
    if (next == previous) {
        next = static_cast<int16_t>(std::rand() % kEffectCount);
    }
    return next;
}

void SlideShowPlayer::StartTransition(const imaging::ImageBuffer& picture,
                                      const std::string& name) {
    PrepareFrame(picture, name);
    if (randomEffect) {
        effect = NextRandomEffect(effect);
        SetUpEffect();
    }
    step = 0;
    if (window) {
        plat::WindowSystem::Get().SetTimer(window, kTimerId, tickInterval);
    }
    timerActive = true;
}

void SlideShowPlayer::PrepareFrame(const imaging::ImageBuffer& picture, const std::string& name) {
    if (!newFrame_) {
        return;
    }
    const int w = picture.Width();
    const int h = picture.Height();
    const int W = screenWidth;
    const int H = screenHeight;
    int fw = w;
    int fh = h;
    if (w <= W && h <= H) {
        // Small pictures keep their size; nothing is ever enlarged.
    } else if (w <= W) {
        fh = H;
        fw = (H * w + h / 2) / h;
    } else {
        fh = (W * h + w / 2) / w;
        if (fh > H) {
            fh = H;
            fw = (H * w + h / 2) / h;
        } else {
            fw = W;
        }
    }
    fittedWidth = static_cast<int16_t>(std::max(fw, 1));
    fittedHeight = static_cast<int16_t>(std::max(fh, 1));
    pictureLeft = static_cast<int16_t>((W - fittedWidth + 1) / 2);
    pictureTop = static_cast<int16_t>((H - fittedHeight + 1) / 2);

    if (oldFrame_) {
        // The frame on the screen becomes the outgoing one; the other receives the picture.
        std::swap(newFrame_, oldFrame_);
    }
    imaging::Resampler resampler;
    resampler.SetSource(picture);
    resampler.SetDestination(*newFrame_);
    resampler.SetBackground(static_cast<uint8_t>(plat::BlueOf(backgroundColor)),
                            static_cast<uint8_t>(plat::GreenOf(backgroundColor)),
                            static_cast<uint8_t>(plat::RedOf(backgroundColor)));
    if (!resampler.Resample(fittedWidth, fittedHeight, pictureLeft, pictureTop, true)) {
        // A picture the scaler cannot take leaves a plain frame rather than the last one.
        for (int y = 0; y < H; ++y) {
            imaging::FillPixels(newFrame_->RowPtr(y), backgroundColor, W);
        }
    }
    frameRect_ = FrameRect{0, 0, W - 1, H - 1};
    DrawCaption(name);
}

void SlideShowPlayer::SetCaptionStyle(bool enabled, bool shadow, plat::Color colour) {
    if (enabled) {
        captionFont_ = CaptionFont();
        textColor = plat::Rgb(255, 255, 0);
        shadowEnabled = shadow;
        shadowColor = colour & 0x00FFFFFF;
    }
    captionEnabled = enabled;
}

void SlideShowPlayer::SetCaption(bool enabled) {
    bool shadow = false;
    plat::Color colour = 0x00FFFFFF;
    if (enabled) {
        shadow = GetIntSetting(kStrSlideSection, kStrSetShadow, 0) != 0;
        colour =
            static_cast<plat::Color>(GetIntSetting(kStrSlideSection, kStrShadowColor, 0x00FFFFFF));
    }
    SetCaptionStyle(enabled, shadow, colour);
}

void SlideShowPlayer::DrawCaption(const std::string& name) {
    if (!captionEnabled || !captionFont_ || !newFrame_) {
        return;
    }
    const int W = screenWidth;
    const int H = screenHeight;
    // The caption runs along the picture's bottom edge as the viewer holds the phone.
    const int length = orientation == 0 ? W : H;
    const int across = orientation == 0 ? H : W;
    const int margin = shadowEnabled ? 2 : 0;

    plat::Surface probe(1, 1);
    plat::Canvas measure(&probe);
    measure.SetFont(captionFont_);
    plat::Rect bounds{0, 0, length, 0};
    const int textHeight = measure.DrawText(
        name, &bounds, plat::kTextCalcRect | plat::kTextWordBreak | plat::kTextNoPrefix);
    const plat::TextMetrics& tm = captionFont_->Metrics();
    const int oneLine = tm.height + tm.internalLeading + tm.externalLeading;
    // A caption taller than the frame is cut at the frame's edge.
    const int rows = std::min(std::max(textHeight, oneLine), across);
    if (rows <= 0) {
        return;
    }

    // The mask: the name in white on black, centred over the caption's length.
    plat::Surface mask(length + margin, rows);
    plat::Canvas canvas(&mask);
    canvas.SetFont(captionFont_);
    canvas.SetTextColor(plat::Rgb(255, 255, 255));
    canvas.SetBackgroundMode(plat::BackgroundMode::kTransparent);
    plat::Rect box{margin, 0, length, rows};
    canvas.DrawText(name, &box, plat::kTextCenter | plat::kTextWordBreak | plat::kTextNoPrefix);
    // The caption font is a draft-quality font: its glyphs are drawn unsmoothed, so the mask
    // is already black and white and every stroke of the name is in it.

    if (shadowEnabled) {
        CopyMaskRows(mask, rows, 0, 0, shadowColor);
        CopyMaskRows(mask, rows, 2, 2, textColor);
    } else {
        CopyMaskRows(mask, rows, 0, 0, textColor);
    }
}

// Paints the white pixels of the mask into the incoming frame in `colour`, one mask row per
// frame line from the mask's bottom row on, reading each row from `firstColumn` and moving
// the lines `inward` pixels away from the picture's bottom edge.
void SlideShowPlayer::CopyMaskRows(const plat::Surface& mask, int rows, int firstColumn, int inward,
                                   plat::Color colour) {
    const int W = screenWidth;
    const int H = screenHeight;
    const auto red = static_cast<uint8_t>(plat::RedOf(colour));
    const auto green = static_cast<uint8_t>(plat::GreenOf(colour));
    const auto blue = static_cast<uint8_t>(plat::BlueOf(colour));
    imaging::ImageBuffer& frame = *newFrame_;
    for (int i = 0; i < rows; ++i) {
        const uint8_t* src = mask.Row(rows - 1 - i) + 3 * firstColumn;
        if (orientation == 1) {
            const int x = i + inward;
            if (x < W) {
                frame.SetColumn(x, 0, H - 1, src, false, true, red, green, blue);
            }
        } else if (orientation == 2) {
            const int x = W - 1 - i - inward;
            if (x >= 0) {
                frame.SetColumn(x, 0, H - 1, src, true, true, red, green, blue);
            }
        } else {
            const int y = H - 1 - i - inward;
            if (y >= 0) {
                frame.SetPixels(0, W - 1, y, src, false, true, red, green, blue);
            }
        }
    }
}

void SlideShowPlayer::DrawStep(plat::Canvas& dc, int n) {
    if (!newFrame_) {
        return;
    }
    if (n == stepCount && EffectEndsOnWholeFrame(effect)) {
        CopyToScreen(dc, *newFrame_, frameRect_);
        return;
    }
    DrawEffectStep(&effect_, *this, dc, n);
}

void SlideShowPlayer::EndTransition() {
    ResetEffectState(&effect_);
    if (timerActive) {
        if (window) {
            plat::WindowSystem::Get().KillTimer(window, kTimerId);
        }
        timerActive = false;
    }
}

void SlideShowPlayer::ShowCurrentFrame(plat::Canvas& dc) {
    if (!newFrame_) {
        return;
    }
    if (painter_) {
        painter_->SetZoom(1);
    }
    CopyToScreen(dc, *newFrame_, frameRect_);
}

void SlideShowPlayer::Release() {
    newFrame_.reset();
    oldFrame_.reset();
}

void SlideShowPlayer::CopyToScreen(plat::Canvas& dc, const imaging::ImageBuffer& frame,
                                   const FrameRect& rect) {
    CopyToScreenAt(dc, frame, rect, rect.left, rect.top);
}

void SlideShowPlayer::CopyToScreenAt(plat::Canvas& dc, const imaging::ImageBuffer& frame,
                                     const FrameRect& src, int dstLeft, int dstTop) {
    if (src.IsEmpty() || !painter_) {
        return;
    }
    const int w = src.right - src.left + 1;
    const int h = src.bottom - src.top + 1;
    const plat::Rect dst{dstLeft, dstTop, dstLeft + w, dstTop + h};
    const plat::Rect from{src.left, src.top, src.right + 1, src.bottom + 1};
    painter_->Draw(dc, frame, dst, from, 0);
}

void SlideShowPlayer::OnKeyDown(unsigned key) {
    if (syncMode != kDirectionKey) {
        // In the timed modes every key ends the show, the direction keys too.
        stopRequested = true;
        return;
    }
    if (timerActive) {
        // Acted on when the transition ends; the last key pressed wins.
        queuedKey = key;
        return;
    }
    advanceKey = key;
    if (!IsDirectionKey(key)) {
        stopRequested = true;
    }
}
