// The transition engine without a window: timing from the speed, fitting and centring,
// captions in the three orientations, the random effect rule and the keys of each sync mode.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "imaging/image_buffer.h"
#include "imaging/image_painter.h"
#include "platform/graphics/font.h"
#include "platform/window/messages.h"
#include "slideshow/effects.h"
#include "slideshow/slide_show_player.h"

namespace {

constexpr int W = 176;
constexpr int H = 220;
constexpr plat::Color kYellow = plat::Rgb(255, 255, 0);
constexpr plat::Color kPictureColour = plat::Rgb(20, 40, 160);

std::unique_ptr<imaging::ImageBuffer> SolidPicture(int width, int height, plat::Color colour) {
    auto image = std::make_unique<imaging::ImageBuffer>();
    imaging::BitmapInfoHeader header;
    imaging::MakeBitmapHeader(&header, width, height, 24, 72, 72);
    EXPECT_EQ(image->Create(header), 1);
    for (int y = 0; y < height; ++y)
        imaging::FillPixels(image->RowPtr(y), colour, width);
    return image;
}

plat::Color FramePixel(SlideShowPlayer& player, int x, int y) {
    const uint8_t* p = player.NewFrame().RowPtr(y) + 3 * x;
    return plat::Rgb(p[2], p[1], p[0]);
}

// The smallest box holding every pixel of `colour` in the incoming frame; empty when none.
struct Box {
    int left = W, top = H, right = -1, bottom = -1;
    int count = 0;
};
Box FindColour(SlideShowPlayer& player, plat::Color colour) {
    Box box;
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            if (FramePixel(player, x, y) == colour) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
                ++box.count;
            }
        }
    }
    return box;
}

int OneCaptionLine() {
    const auto font = plat::Font::Create(plat::FontSpec{12, 400, false, "Nina"});
    const plat::TextMetrics& tm = font->Metrics();
    return tm.height + tm.internalLeading + tm.externalLeading;
}

// A player with a show started (Wipe (Downwards) at Fast, one second, unless given).
struct Engine {
    explicit Engine(int effect = kWipeDown, int speed = 5, SyncMode mode = kDelayTime,
                    int delay = 1, int orientation = 0) {
        EXPECT_EQ(player.StartShow(effect, speed, mode, delay, orientation), 1);
    }
    ImagePainter painter;
    SlideShowPlayer player{nullptr, &painter, W, H};
};

}  // namespace

TEST(SlideTiming, SpeedGivesFramesAndDelayGivesHoldTicksOnlyInDelayTime) {
    for (auto [speed, frames] : {std::pair{3, 8}, std::pair{4, 6}, std::pair{5, 4}}) {
        Engine e(kWipeDown, speed, kDelayTime, 3);
        EXPECT_EQ(e.player.stepCount, frames);
        EXPECT_EQ(e.player.tickInterval, 250);
        EXPECT_EQ(e.player.holdTicks, 12);
        EXPECT_EQ(e.player.step, 0);
        EXPECT_TRUE(e.player.running);
    }
    for (SyncMode mode : {kDirectionKey, kWaveFile}) {
        Engine e(kWipeDown, 5, mode, 7);
        EXPECT_EQ(e.player.holdTicks, 0);
    }
}

TEST(SlideTiming, OnlyEffectsThatDrawTheOutgoingFrameGetOne) {
    for (int effect = 0; effect <= kRandomEffect; ++effect) {
        Engine e(effect);
        const bool wanted = effect == kDoorOpen || effect == kTransparent || effect == kZoomIn ||
                            effect == kRandomEffect;
        EXPECT_EQ(e.player.OldFrame() != nullptr, wanted) << effect;
        if (wanted) {
            // The first picture comes in over black.
            const uint8_t* row = e.player.OldFrame()->RowPtr(H / 2);
            EXPECT_EQ(row[0] | row[1] | row[2] | row[3 * (W - 1)], 0);
        }
    }
}

TEST(SlideTiming, CodesBeyond1010WipeToTheRight) {
    Engine e(1011);
    EXPECT_EQ(e.player.effect, kWipeRight);
    EXPECT_EQ(e.player.Effect().code, kWipeRight);
    EXPECT_FALSE(e.player.randomEffect);
}

TEST(SlideFit, PicturesAreFittedWithoutEnlargingAndCentredOnBlack) {
    struct Case {
        int w, h, fw, fh, left, top;
    };
    // 352 x 200: wider only. 100 x 440: taller only. 800 x 600: wider, and 176 x 132 fits.
    // 600 x 1000: wider, and the width fit is too tall. 101 x 99 keeps its size; an odd margin
    // leaves the extra pixel on the left and at the top.
    for (const Case& c : {Case{352, 200, 176, 100, 0, 60}, Case{100, 440, 50, 220, 63, 0},
                          Case{800, 600, 176, 132, 0, 44}, Case{600, 1000, 132, 220, 22, 0},
                          Case{175, 221, 174, 220, 1, 0}, Case{101, 99, 101, 99, 38, 61}}) {
        Engine e;
        const auto picture = SolidPicture(c.w, c.h, kPictureColour);
        e.player.PrepareFrame(*picture, "p.jpg");
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        const SlideShowPlayer& p = e.player;
        EXPECT_EQ(std::vector<int>({p.fittedWidth, p.fittedHeight, p.pictureLeft, p.pictureTop}),
                  std::vector<int>({c.fw, c.fh, c.left, c.top}));
        // The frame holds the picture there and nowhere else, black around it.
        const Box box = FindColour(e.player, kPictureColour);
        EXPECT_EQ(
            std::vector<int>({box.left, box.top, box.right, box.bottom, box.count}),
            std::vector<int>({c.left, c.top, c.left + c.fw - 1, c.top + c.fh - 1, c.fw * c.fh}));
        if (c.top > 0) {
            EXPECT_EQ(FramePixel(e.player, c.left, c.top - 1), plat::Rgb(0, 0, 0));
        }
    }
}

TEST(SlideFit, TheFrameShownLastBecomesTheOutgoingFrame) {
    Engine e(kTransparent);
    const auto first = SolidPicture(W, H, plat::Rgb(200, 0, 0));
    const auto second = SolidPicture(W, H, plat::Rgb(0, 200, 0));
    e.player.PrepareFrame(*first, "1");
    e.player.PrepareFrame(*second, "2");
    const uint8_t* old = e.player.OldFrame()->RowPtr(5);
    EXPECT_EQ(old[2], 200);
    EXPECT_EQ(old[1], 0);
    EXPECT_EQ(FramePixel(e.player, 5, 5), plat::Rgb(0, 200, 0));
}

// In each orientation the caption runs along the picture's bottom edge; a shadowed caption's
// shadow lies 2 pixels right and 2 below as the viewer sees it.
TEST(SlideCaptions, RunAlongThePicturesBottomEdgeWithTheShadowBelowRight) {
    constexpr plat::Color kShadow = plat::Rgb(255, 0, 255);
    const auto picture = SolidPicture(W, H, kPictureColour);
    for (int orientation = 0; orientation < 3; ++orientation) {
        for (bool shadowed : {false, true}) {
            SCOPED_TRACE("orientation " + std::to_string(orientation) +
                         (shadowed ? " with" : " without") + " shadow");
            Engine e(kWipeDown, 5, kDelayTime, 1, orientation);
            e.player.SetCaptionStyle(true, shadowed, kShadow);
            e.player.PrepareFrame(*picture, "Harbour.jpg");
            const Box text = FindColour(e.player, kYellow);
            ASSERT_GT(text.count, 20) << "the name is drawn";
            // Within one line of the edge that is the picture's bottom; the text of a shadowed
            // caption sits two pixels further in.
            const int line = OneCaptionLine() + (shadowed ? 2 : 0);
            const int across = text.right - text.left, down = text.bottom - text.top;
            if (orientation == 0) {
                EXPECT_GE(text.top, H - line);
                EXPECT_GT(across, down) << "reads across";
            } else {
                EXPECT_TRUE(orientation == 1 ? text.right < line : text.left >= W - line);
                EXPECT_GT(down, across) << "reads downwards or upwards";
            }
            const Box shadow = FindColour(e.player, kShadow);
            EXPECT_EQ(shadow.count > 0, shadowed);
            if (!shadowed)
                continue;
            // Every text pixel has its shadow pixel beside it (unless text covers it).
            const int dx = orientation == 1 ? -2 : 2, dy = orientation == 2 ? -2 : 2;
            int missing = 0;
            for (int y = 0; y < H; ++y) {
                for (int x = 0; x < W; ++x) {
                    const int sx = x + dx, sy = y + dy;
                    if (FramePixel(e.player, x, y) != kYellow || sx < 0 || sy < 0 || sx >= W ||
                        sy >= H)
                        continue;
                    const plat::Color under = FramePixel(e.player, sx, sy);
                    missing += under != kShadow && under != kYellow;
                }
            }
            EXPECT_EQ(missing, 0);
        }
    }
}

TEST(SlideRandomEffect, EachPictureDrawsAnEffectThatRarelyRepeats) {
    std::srand(4242);
    Engine e(kRandomEffect);
    EXPECT_TRUE(e.player.randomEffect);
    const auto picture = SolidPicture(40, 40, kPictureColour);
    std::vector<int> effects{e.player.effect};
    for (int i = 0; i < 300; ++i) {
        e.player.StartTransition(*picture, "p");
        effects.push_back(e.player.effect);
        // Each drawn effect is set up anew.
        EXPECT_EQ(e.player.Effect().code, e.player.effect);
        EXPECT_EQ(e.player.step, 0);
        e.player.EndTransition();
    }
    // The same generator, the same rule: first rand() % 11, then per picture a draw that is
    // drawn once more when it repeats the previous effect.
    std::srand(4242);
    int expected = std::rand() % 11;
    EXPECT_EQ(effects[0], expected);
    int repeats = 0;
    std::vector<int> seen(11, 0);
    for (size_t i = 1; i < effects.size(); ++i) {
        int next = std::rand() % 11;
        if (next == expected)
            next = std::rand() % 11;
        expected = next;
        ASSERT_EQ(effects[i], expected) << "picture " << i;
        repeats += effects[i] == effects[i - 1];
        ++seen[static_cast<size_t>(effects[i])];
    }
    for (int n : seen)
        EXPECT_GT(n, 0) << "every effect comes up";
    EXPECT_LT(repeats, 15) << "a repeat needs two equal draws in a row";
}

// In the timed modes any key stops the show (Right does not skip). In "Direction Key" mode a
// direction key moves; during a transition keys wait, the last one winning, and nothing stops;
// afterwards another key stops the show.
TEST(SlideKeys, TimedModesStopOnAnyKeyDirectionKeyModeMovesQueuesOrStops) {
    for (SyncMode mode : {kDelayTime, kWaveFile}) {
        Engine e(kWipeDown, 5, mode);
        e.player.OnKeyDown(plat::VK_RIGHT);
        EXPECT_TRUE(e.player.stopRequested);
        EXPECT_EQ(e.player.advanceKey, 0u);
    }
    Engine e(kWipeDown, 5, kDirectionKey);
    e.player.OnKeyDown(plat::VK_UP);
    EXPECT_EQ(e.player.advanceKey, plat::VK_UP);
    EXPECT_FALSE(e.player.stopRequested);
    e.player.advanceKey = 0;
    e.player.timerActive = true;
    e.player.OnKeyDown(plat::VK_DOWN);
    e.player.OnKeyDown(plat::VK_RETURN);
    EXPECT_EQ(e.player.queuedKey, plat::VK_RETURN);
    EXPECT_EQ(e.player.advanceKey, 0u);
    EXPECT_FALSE(e.player.stopRequested);
    e.player.timerActive = false;
    e.player.OnKeyDown('5');
    EXPECT_TRUE(e.player.stopRequested);
}

namespace {

// How many columns of the incoming frame hold a run of at least `length` yellow pixels.
int ColumnsWithYellowRunsOf(SlideShowPlayer& player, int length) {
    int columns = 0;
    for (int x = 0; x < W; ++x) {
        int run = 0, longest = 0;
        for (int y = 0; y < H; ++y) {
            run = FramePixel(player, x, y) == kYellow ? run + 1 : 0;
            longest = std::max(longest, run);
        }
        columns += longest >= length ? 1 : 0;
    }
    return columns;
}

}  // namespace

// A short name is one line high; a long one wraps and grows upwards. The caption is a
// draft-quality text: every stroke of every letter is a whole pixel, so thin stems of the
// smoothed face do not vanish from the mask ("land" must not read "laro"). Off means no
// caption, and the setting is kept.
TEST(SlideCaption, WrapsUpwardsKeepsEveryStrokeAndCanBeTurnedOff) {
    const int line = OneCaptionLine();
    Engine e;
    e.player.SetCaptionStyle(true, false, 0);
    const auto picture = SolidPicture(W, H, kPictureColour);
    e.player.PrepareFrame(*picture, "A");
    const Box one = FindColour(e.player, kYellow);
    ASSERT_GT(one.count, 0);
    EXPECT_GE(one.top, H - line);
    e.player.PrepareFrame(*picture,
                          "a long name of a picture taken on the harbour wall at dusk.jpg");
    const Box many = FindColour(e.player, kYellow);
    EXPECT_LT(many.top, H - line) << "wrapped onto a second line above the first";
    EXPECT_GE(many.top, H - 4 * line);
    // The stem of a "d" rises from the baseline to the top of the ascenders: 8 pixels; a "u"
    // has two stems, each from the x-height to the baseline.
    e.player.PrepareFrame(*picture, "d");
    EXPECT_EQ(ColumnsWithYellowRunsOf(e.player, 8), 1);
    e.player.PrepareFrame(*picture, "u");
    EXPECT_EQ(ColumnsWithYellowRunsOf(e.player, 4), 2);

    e.player.SetCaptionStyle(false, true, kYellow);
    EXPECT_FALSE(e.player.captionEnabled);
    e.player.PrepareFrame(*picture, "Harbour.jpg");
    EXPECT_EQ(FindColour(e.player, kYellow).count, 0);
    EXPECT_EQ(FindColour(e.player, kPictureColour).count, W * H);
}
