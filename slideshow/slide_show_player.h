// The object of one running slide show: the transition engine (two screen-sized frames, the
// timing, the caption drawn into each frame, the current effect) and the controller's state
// (what the show loop is asked to do next).
//
// The engine prepares each picture as a full-screen frame and brings it onto the screen in
// `stepCount` timed steps drawn by the current effect, through the ImagePainter at zoom 1.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "imaging/image_buffer.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/font.h"
#include "platform/graphics/geometry.h"
#include "platform/window/window.h"
#include "slideshow/effects.h"

class ImagePainter;

// How the show moves from one picture to the next (setting "TransformKey").
enum SyncMode : int32_t {
    kDelayTime = 0,     // "Delay Time"
    kDirectionKey = 1,  // "Use Direction Key"
    kWaveFile = 2,      // "Synchronized with Wave File "
};

class SlideShowPlayer {
  public:
    // The transition timer's id on the main window, and its interval.
    static constexpr int kTimerId = 1;
    static constexpr int kTickInterval = 250;

    // `window` receives the timer (may be null when the engine is driven by hand);
    // `painter` draws every frame. The screen is W x H pixels.
    SlideShowPlayer(plat::Window* window, ImagePainter* painter, int screenWidth, int screenHeight);
    ~SlideShowPlayer();
    SlideShowPlayer(const SlideShowPlayer&) = delete;
    SlideShowPlayer& operator=(const SlideShowPlayer&) = delete;

    // ---- Engine ----
    // Creates the frames (black) and sets up the effect; 11 draws a random effect for every
    // picture. 1 ok, 0 when the frames cannot be had.
    int StartShow(int effect, int speed, SyncMode syncMode, int delaySeconds, int orientation);
    // Timing and parameters of the current effect (again for each newly drawn random one).
    void SetUpEffect();
    // Prepares the frame of `picture` (captioned with `name`), draws the next random effect
    // if asked to, and starts the timer.
    void StartTransition(const imaging::ImageBuffer& picture, const std::string& name);
    // Fits and centres the picture in the incoming frame (the frames are exchanged first when
    // there is an outgoing one) and draws the caption into it.
    void PrepareFrame(const imaging::ImageBuffer& picture, const std::string& name);
    void DrawCaption(const std::string& name);
    // Frame n (1 .. stepCount) of the current effect.
    void DrawStep(plat::Canvas& dc, int n);
    // Puts the effect back on its first frame and stops the timer.
    void EndTransition();
    // The whole incoming frame.
    void ShowCurrentFrame(plat::Canvas& dc);
    void Release();
    // Caption: "ShowText" and the shadow settings ("SetShadow", "ShadowColor").
    void SetCaption(bool enabled);
    void SetCaptionStyle(bool enabled, bool shadow, plat::Color shadowColor);
    // Draws `rect` of `frame` at the same place on the screen.
    void CopyToScreen(plat::Canvas& dc, const imaging::ImageBuffer& frame, const FrameRect& rect);
    // Draws the source rectangle `src` of `frame` with its top-left at (dstLeft, dstTop).
    void CopyToScreenAt(plat::Canvas& dc, const imaging::ImageBuffer& frame, const FrameRect& src,
                        int dstLeft, int dstTop);
    // Draws the random effect that follows `previous`: rand() % 11, drawn once more when it
    // repeats the previous one (the second draw stands).
    static int16_t NextRandomEffect(int16_t previous);

    // ---- Controller ----
    // The key of a key press while the show runs, as the sync mode says.
    void OnKeyDown(unsigned key);
    void RequestStop() { stopRequested = true; }

    imaging::ImageBuffer& NewFrame() { return *newFrame_; }
    imaging::ImageBuffer* OldFrame() { return oldFrame_.get(); }
    const EffectState& Effect() const { return effect_; }
    EffectState& MutableEffect() { return effect_; }
    const FrameRect& Frame() const { return frameRect_; }

    plat::Window* window;
    int16_t screenWidth;
    int16_t screenHeight;
    bool stopRequested = false;
    bool running = false;
    bool timerActive = false;
    unsigned advanceKey = 0;
    unsigned queuedKey = 0;
    SyncMode syncMode = kDelayTime;
    int16_t delaySeconds = 1;
    int16_t effect = 0;
    bool randomEffect = false;
    int16_t speed = 5;
    int16_t step = 0;
    int16_t stepCount = 0;
    int16_t holdTicks = 0;
    int16_t tickInterval = kTickInterval;
    int16_t orientation = 0;
    plat::Color backgroundColor = 0;  // always black
    // Where the picture lies in the incoming frame.
    int16_t fittedWidth = 0;
    int16_t fittedHeight = 0;
    int16_t pictureLeft = 0;
    int16_t pictureTop = 0;
    // Caption.
    bool captionEnabled = false;
    bool shadowEnabled = false;
    plat::Color textColor = plat::Rgb(255, 255, 0);
    plat::Color shadowColor = 0x00FFFFFF;

  private:
    std::unique_ptr<imaging::ImageBuffer> MakeFrame();
    void CopyMaskRows(const plat::Surface& mask, int rows, int firstColumn, int inward,
                      plat::Color colour);

    ImagePainter* painter_;
    std::unique_ptr<imaging::ImageBuffer> newFrame_;
    std::unique_ptr<imaging::ImageBuffer> oldFrame_;
    FrameRect frameRect_;
    EffectState effect_;
    std::shared_ptr<plat::Font> captionFont_;
};
