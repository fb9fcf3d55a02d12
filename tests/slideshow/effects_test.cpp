// The eleven effects on a 176 x 220 memory screen at Fast, Medium and Slow: what each frame
// puts where, and that every transition ends on the exact incoming frame.
#include "slideshow/effects.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/image_buffer.h"
#include "imaging/image_painter.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/surface.h"
#include "slideshow/slide_show_player.h"

namespace {

constexpr int W = 176;
constexpr int H = 220;
// What the screen showed before the transition: no frame ever holds this colour.
constexpr plat::Color kSentinel = plat::Rgb(1, 254, 3);

// Incoming frame: red = x, green = y, blue = 77, so a screen pixel names the frame pixel it
// came from. Outgoing frame: the same with blue = 200.
plat::Color NewPixel(int x, int y) {
    return plat::Rgb(x, y, 77);
}
plat::Color OldPixel(int x, int y) {
    return plat::Rgb(x, y, 200);
}

void FillPattern(imaging::ImageBuffer& frame, int blue) {
    for (int y = 0; y < frame.Height(); ++y) {
        uint8_t* p = frame.RowPtr(y);
        for (int x = 0; x < frame.Width(); ++x, p += 3) {
            p[0] = static_cast<uint8_t>(blue);
            p[1] = static_cast<uint8_t>(y);
            p[2] = static_cast<uint8_t>(x);
        }
    }
}

int StepCountOf(int speed) {
    return 2 * (7 - speed);
}

// A show on a memory screen, driven frame by frame as the timer would.
class Rig {
  public:
    Rig(int effect, int speed) : screen_(W, H), player_(nullptr, &painter_, W, H) {
        EXPECT_EQ(player_.StartShow(effect, speed, kDirectionKey, 1, 0), 1);
        FillPattern(player_.NewFrame(), 77);
        if (player_.OldFrame()) {
            FillPattern(*player_.OldFrame(), 200);
        }
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) {
                screen_.SetPixel(x, y, kSentinel);
            }
        }
    }
    void Step(int n) {
        plat::Canvas dc(&screen_);
        player_.DrawStep(dc, n);
    }
    void RunAll() {
        for (int n = 1; n <= player_.stepCount; ++n) {
            Step(n);
        }
    }
    plat::Color At(int x, int y) const { return screen_.Pixel(x, y); }
    SlideShowPlayer& Player() { return player_; }
    // The first pixel that is not the incoming frame's, or "" when there is none.
    std::string FirstWrongPixel() const {
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) {
                if (At(x, y) != NewPixel(x, y))
                    return std::to_string(x) + ", " + std::to_string(y);
            }
        }
        return "";
    }

  private:
    plat::Surface screen_;
    ImagePainter painter_;
    SlideShowPlayer player_;
};

// How far a sliding or wiping edge has come after each frame at Fast, Medium and Slow: the
// doors travel half the width, a wipe all 220 rows or all 176 columns.
struct Travel {
    int speed;
    std::vector<int> half;
    std::vector<int> rows;
    std::vector<int> columns;
};
const Travel kTravel[] = {
    {5, {22, 44, 66, 88}, {55, 110, 165, 220}, {44, 88, 132, 176}},
    {4, {15, 29, 44, 59, 73, 88}, {37, 73, 110, 147, 183, 220}, {29, 59, 88, 117, 147, 176}},
    {3,
     {11, 22, 33, 44, 55, 66, 77, 88},
     {28, 55, 83, 110, 138, 165, 193, 220},
     {22, 44, 66, 88, 110, 132, 154, 176}},
};

// The distance after `n` frames (none before the first).
int After(const std::vector<int>& distances, int n) {
    return n == 0 ? 0 : distances[static_cast<size_t>(n - 1)];
}

class SlideEveryEffectAndSpeed : public ::testing::TestWithParam<std::tuple<int, int>> {};

}  // namespace

TEST_P(SlideEveryEffectAndSpeed, EndsOnTheExactIncomingFrame) {
    const auto [effect, speed] = GetParam();
    Rig rig(effect, speed);
    ASSERT_EQ(rig.Player().stepCount, StepCountOf(speed));
    rig.RunAll();
    EXPECT_EQ(rig.FirstWrongPixel(), "") << "effect " << effect;
}

INSTANTIATE_TEST_SUITE_P(Effects, SlideEveryEffectAndSpeed,
                         ::testing::Combine(::testing::Range(0, 11), ::testing::Values(3, 4, 5)));

TEST(SlideDoorClose, HalvesSlideInFromTheSidesAtEverySpeed) {
    for (const Travel& t : kTravel) {
        Rig rig(kDoorClose, t.speed);
        const int N = static_cast<int>(t.half.size());
        for (int n = 1; n <= N; ++n) {
            rig.Step(n);
            const int d = After(t.half, n);
            SCOPED_TRACE("speed " + std::to_string(t.speed) + " frame " + std::to_string(n));
            // The left half's inner edge leads; the right half's inner edge leads from the right.
            EXPECT_EQ(rig.At(0, 10), NewPixel(W / 2 - d, 10));
            EXPECT_EQ(rig.At(d - 1, 200), NewPixel(W / 2 - 1, 200));
            EXPECT_EQ(rig.At(W - d, 5), NewPixel(W / 2, 5));
            EXPECT_EQ(rig.At(W - 1, 219), NewPixel(W / 2 + d - 1, 219));
            if (d < W / 2) {
                EXPECT_EQ(rig.At(d, 100), kSentinel);
                EXPECT_EQ(rig.At(W - d - 1, 100), kSentinel);
            }
        }
    }
}

TEST(SlideDoorOpen, OldHalvesSlideOutUncoveringTheNewFrame) {
    for (const Travel& t : kTravel) {
        Rig rig(kDoorOpen, t.speed);
        const int N = static_cast<int>(t.half.size());
        for (int n = 1; n <= N; ++n) {
            rig.Step(n);
            const int d = After(t.half, N - n);
            SCOPED_TRACE("speed " + std::to_string(t.speed) + " frame " + std::to_string(n));
            if (d > 0) {
                EXPECT_EQ(rig.At(0, 7), OldPixel(W / 2 - d, 7));
                EXPECT_EQ(rig.At(d - 1, 7), OldPixel(W / 2 - 1, 7));
                EXPECT_EQ(rig.At(W - d, 9), OldPixel(W / 2, 9));
                EXPECT_EQ(rig.At(W - 1, 9), OldPixel(W / 2 + d - 1, 9));
            }
            EXPECT_EQ(rig.At(d, 50), NewPixel(d, 50));
            EXPECT_EQ(rig.At(W - d - 1, 50), NewPixel(W - d - 1, 50));
        }
    }
}

TEST(SlideWipe, BandsFollowTheStrideInAllFourDirections) {
    for (const Travel& t : kTravel) {
        const int N = static_cast<int>(t.rows.size());
        Rig down(kWipeDown, t.speed), up(kWipeUp, t.speed), right(kWipeRight, t.speed),
            left(kWipeLeft, t.speed);
        for (int n = 1; n <= N; ++n) {
            SCOPED_TRACE("speed " + std::to_string(t.speed) + " frame " + std::to_string(n));
            down.Step(n);
            up.Step(n);
            right.Step(n);
            left.Step(n);
            const int rows = After(t.rows, n);
            const int columns = After(t.columns, n);
            const int firstRow = After(t.rows, n - 1);
            const int firstColumn = After(t.columns, n - 1);
            EXPECT_EQ(down.At(40, firstRow), NewPixel(40, firstRow));
            EXPECT_EQ(down.At(40, rows - 1), NewPixel(40, rows - 1));
            EXPECT_EQ(up.At(40, H - rows), NewPixel(40, H - rows));
            EXPECT_EQ(up.At(40, H - 1 - firstRow), NewPixel(40, H - 1 - firstRow));
            EXPECT_EQ(right.At(columns - 1, 30), NewPixel(columns - 1, 30));
            EXPECT_EQ(right.At(firstColumn, 30), NewPixel(firstColumn, 30));
            EXPECT_EQ(left.At(W - columns, 30), NewPixel(W - columns, 30));
            EXPECT_EQ(left.At(W - 1 - firstColumn, 30), NewPixel(W - 1 - firstColumn, 30));
            if (n < N) {
                EXPECT_EQ(down.At(40, rows), kSentinel);
                EXPECT_EQ(up.At(40, H - rows - 1), kSentinel);
                EXPECT_EQ(right.At(columns, 30), kSentinel);
                EXPECT_EQ(left.At(W - columns - 1, 30), kSentinel);
            }
        }
    }
}

// Rings of half of W / N rounded up: Fast 22, Medium 15, Slow 11, each frame one ring further in.
TEST(SlideRectangleIn, RingsAre22_15_11WideAtFastMediumAndSlow) {
    for (auto [speed, r] : {std::pair{5, 22}, std::pair{4, 15}, std::pair{3, 11}}) {
        const int N = StepCountOf(speed);
        Rig rig(kRectangleIn, speed);
        EXPECT_EQ(rig.Player().Effect().ringWidth, r);
        for (int n = 1; n <= N; ++n) {
            SCOPED_TRACE("speed " + std::to_string(speed) + " frame " + std::to_string(n));
            const int v = r * (n - 1);
            EXPECT_EQ(rig.Player().Effect().inset, v);
            rig.Step(n);
            // Top, right, left, bottom strips of this ring.
            for (auto [x, y] : {std::pair{v, v},
                                {W - v - 1, v + r - 1},
                                {v + r - 1, H / 2},
                                {W - v - r, H / 2},
                                {v, H - v - 1},
                                {W - v - 1, H - v - 1}})
                EXPECT_EQ(rig.At(x, y), NewPixel(x, y)) << x << "," << y;
            if (n < N) {
                // Inside the ring nothing has come yet.
                EXPECT_EQ(rig.At(v + r, v + r), kSentinel);
                EXPECT_EQ(rig.At(v + r, H - v - r - 1), kSentinel);
            }
        }
    }
}

TEST(SlideRectangleOut, FastFirstFrameIsTheCentreRectangle66_66_109_153) {
    Rig rig(kRectangleOut, 5);
    rig.Step(1);
    EXPECT_EQ(rig.At(66, 66), NewPixel(66, 66));
    EXPECT_EQ(rig.At(109, 153), NewPixel(109, 153));
    EXPECT_EQ(rig.At(65, 66), kSentinel);
    EXPECT_EQ(rig.At(66, 65), kSentinel);
    EXPECT_EQ(rig.At(110, 153), kSentinel);
    EXPECT_EQ(rig.At(109, 154), kSentinel);
    // Each further frame grows it by a ring width on every side.
    rig.Step(2);
    EXPECT_EQ(rig.At(44, 44), NewPixel(44, 44));
    EXPECT_EQ(rig.At(43, 44), kSentinel);
    EXPECT_EQ(rig.At(131, 175), NewPixel(131, 175));
    EXPECT_EQ(rig.At(132, 175), kSentinel);
}

TEST(SlideInterlace, FastBandsOf55RowsInHalvesOf28) {
    Rig rig(kInterlace, 5);
    EXPECT_EQ(rig.Player().Effect().bandHeight, 55);
    rig.Step(1);
    EXPECT_EQ(rig.At(3, 0), NewPixel(3, 0));
    EXPECT_EQ(rig.At(3, 27), NewPixel(3, 27));
    EXPECT_EQ(rig.At(3, 28), kSentinel);
    EXPECT_EQ(rig.At(3, 191), kSentinel);
    EXPECT_EQ(rig.At(3, 192), NewPixel(3, 192));
    EXPECT_EQ(rig.At(3, 219), NewPixel(3, 219));
    rig.Step(2);
    EXPECT_EQ(rig.At(3, 54), kSentinel);
    EXPECT_EQ(rig.At(3, 55), NewPixel(3, 55));
    EXPECT_EQ(rig.At(3, 82), NewPixel(3, 82));
    EXPECT_EQ(rig.At(3, 83), kSentinel);
    EXPECT_EQ(rig.At(3, 136), kSentinel);
    EXPECT_EQ(rig.At(3, 137), NewPixel(3, 137));
    EXPECT_EQ(rig.At(3, 164), NewPixel(3, 164));
    EXPECT_EQ(rig.At(3, 165), kSentinel);
}

// Bands of H / N rows rounded up (Medium 37, Slow 28), their halves 19 and 14.
TEST(SlideInterlace, MediumAndSlowFramesPaintBandHalvesFromBothEnds) {
    for (auto [speed, b, h] : {std::tuple{4, 37, 19}, std::tuple{3, 28, 14}}) {
        const int N = StepCountOf(speed);
        Rig rig(kInterlace, speed);
        EXPECT_EQ(rig.Player().Effect().bandHeight, b);
        for (int n = 1; n <= N; ++n) {
            SCOPED_TRACE("speed " + std::to_string(speed) + " frame " + std::to_string(n));
            rig.Step(n);
            const int t = (n - 1) * b;
            if (t < H) {
                EXPECT_EQ(rig.At(9, t), NewPixel(9, t));
            }
            const int e = std::min(H - 1, (N - n + 1) * b - 1);
            EXPECT_EQ(rig.At(9, e), NewPixel(9, e));
            if (n == 1) {
                EXPECT_EQ(rig.At(9, h), kSentinel);
                EXPECT_EQ(rig.At(9, e - h), kSentinel);
            }
        }
    }
}

namespace {

// Runs Transparent from a uniform outgoing colour to a uniform incoming one and returns the
// blue value of the screen after every frame.
std::vector<int> BlendSequence(int speed, int from, int to) {
    ImagePainter painter;
    plat::Surface screen(W, H);
    SlideShowPlayer player(nullptr, &painter, W, H);
    EXPECT_EQ(player.StartShow(kTransparent, speed, kDirectionKey, 1, 0), 1);
    for (int y = 0; y < H; ++y) {
        imaging::FillPixels(player.NewFrame().RowPtr(y), plat::Rgb(0, 0, to), W);
        imaging::FillPixels(player.OldFrame()->RowPtr(y), plat::Rgb(0, 0, from), W);
    }
    std::vector<int> seen;
    for (int n = 1; n <= player.stepCount; ++n) {
        plat::Canvas dc(&screen);
        player.DrawStep(dc, n);
        seen.push_back(plat::BlueOf(screen.Pixel(W / 3, H / 3)));
    }
    return seen;
}

}  // namespace

// Each frame moves the outgoing value 1/16 of the way towards the incoming one, rounded, and
// the last three frames 1/8, 1/4 and 1/2 (Fast has only those); the last frame is exact.
TEST(SlideTransparent, ShiftsSpeedUpOverTheLastThreeFramesAndEndExact) {
    const struct {
        int speed, from, to;
        std::vector<int> inner;
    } cases[] = {
        {5, 0, 200, {25, 69, 135}},
        {5, 250, 3, {219, 165, 85}},
        {4, 0, 200, {12, 23, 34, 55, 91}},
        {4, 250, 3, {234, 219, 205, 180, 136}},
        {3, 0, 200, {12, 23, 34, 44, 53, 71, 103}},
        {3, 250, 3, {234, 219, 205, 192, 180, 158, 119}},
    };
    for (const auto& c : cases) {
        std::vector<int> expected = c.inner;
        expected.push_back(c.to);
        EXPECT_EQ(BlendSequence(c.speed, c.from, c.to), expected) << "speed " << c.speed;
    }
}

TEST(SlideZoomIn, GrowsFromTheCentreOverTheOldFrame) {
    for (int speed : {5, 4, 3}) {
        Rig rig(kZoomIn, speed);
        const int N = StepCountOf(speed);
        for (int n = 1; n < N; ++n) {
            rig.Step(n);
            const int w = (W * n + N / 2) / N;
            const int h = (H * n + N / 2) / N;
            const int x = (W - w + 1) / 2;
            const int y = (H - h + 1) / 2;
            SCOPED_TRACE("speed " + std::to_string(speed) + " frame " + std::to_string(n));
            // Corners of the scaled frame come from the corners of the incoming frame.
            EXPECT_EQ(plat::BlueOf(rig.At(x, y)), 77);
            EXPECT_EQ(plat::BlueOf(rig.At(x + w - 1, y + h - 1)), 77);
            EXPECT_LE(plat::RedOf(rig.At(x, y + h / 2)), W / w + 1);
            EXPECT_GE(plat::RedOf(rig.At(x + w - 1, y + h / 2)), W - 1 - W / w - 1);
            EXPECT_EQ(rig.At(x - 1, y), kSentinel);
            EXPECT_EQ(rig.At(x + w, y + h - 1), kSentinel);
            EXPECT_EQ(rig.At(x, y - 1), kSentinel);
        }
    }
}

TEST(SlideEffectState, EndOfTransitionPutsEveryEffectBackOnItsFirstFrame) {
    for (int effect = 0; effect < kEffectCount; ++effect) {
        Rig rig(effect, 4);
        const EffectState before = rig.Player().Effect();
        rig.RunAll();
        rig.Player().EndTransition();
        const EffectState after = rig.Player().Effect();
        EXPECT_EQ(after.position, before.position) << effect;
        EXPECT_EQ(after.inset, before.inset) << effect;
        EXPECT_EQ(after.shift, before.shift) << effect;
    }
}

TEST(SlideEffectState, DoorCloseRunsTheSameWayTwiceAfterAReset) {
    Rig rig(kDoorClose, 5);
    rig.RunAll();
    rig.Player().EndTransition();
    FillPattern(rig.Player().NewFrame(), 78);
    rig.Step(1);
    // The second transition's first frame is 22 pixels wide again.
    EXPECT_EQ(rig.At(21, 0), plat::Rgb(87, 0, 78));
    EXPECT_EQ(rig.At(22, 0), NewPixel(22, 0));
}
