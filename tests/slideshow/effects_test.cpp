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

// Frames per transition: Fast 4, Medium 6, Slow 8.
int StepCountOf(int speed) {
    return speed == 5 ? 4 : speed == 4 ? 6 : 8;
}

// A show on a memory screen, driven frame by frame as the timer would.
class Rig {
  public:
    Rig(int effect, int speed) : screen_(W, H), player_(nullptr, &painter_, W, H) {
        EXPECT_EQ(player_.StartShow(effect, speed, kDirectionKey, 1, 0), 1);
        FillPattern(player_.NewFrame(), 77);
        if (player_.OldFrame())
            FillPattern(*player_.OldFrame(), 200);
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x)
                screen_.SetPixel(x, y, kSentinel);
        }
    }
    void Step(int n) {
        plat::Canvas dc(&screen_);
        player_.DrawStep(dc, n);
    }
    void RunAll() {
        for (int n = 1; n <= player_.stepCount; ++n)
            Step(n);
    }
    plat::Color At(int x, int y) const { return screen_.Pixel(x, y); }
    SlideShowPlayer& Player() { return player_; }
    // Each point shows the incoming frame's own pixel, or still what was there before.
    using Points = std::initializer_list<std::pair<int, int>>;
    void ExpectNew(Points points) const {
        for (auto [x, y] : points)
            EXPECT_EQ(At(x, y), NewPixel(x, y)) << "at " << x << ", " << y;
    }
    void ExpectUntouched(Points points) const {
        for (auto [x, y] : points)
            EXPECT_EQ(At(x, y), kSentinel) << "at " << x << ", " << y;
    }
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
     {22, 44, 66, 88, 110, 132, 154, 176}}};

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

// Door (Close): the new halves slide in from the sides, each half's inner edge leading. Door
// (Open): the old halves slide out, uncovering the new frame.
TEST(SlideDoors, HalvesSlideInOrOutAtEverySpeed) {
    for (const Travel& t : kTravel) {
        Rig close(kDoorClose, t.speed), open(kDoorOpen, t.speed);
        const int N = static_cast<int>(t.half.size());
        for (int n = 1; n <= N; ++n) {
            SCOPED_TRACE("speed " + std::to_string(t.speed) + " frame " + std::to_string(n));
            close.Step(n);
            open.Step(n);
            const int d = After(t.half, n);
            EXPECT_EQ(close.At(0, 10), NewPixel(W / 2 - d, 10));
            EXPECT_EQ(close.At(d - 1, 200), NewPixel(W / 2 - 1, 200));
            EXPECT_EQ(close.At(W - d, 5), NewPixel(W / 2, 5));
            EXPECT_EQ(close.At(W - 1, 219), NewPixel(W / 2 + d - 1, 219));
            if (d < W / 2)
                close.ExpectUntouched({{d, 100}, {W - d - 1, 100}});
            const int left = After(t.half, N - n);
            if (left > 0) {
                EXPECT_EQ(open.At(0, 7), OldPixel(W / 2 - left, 7));
                EXPECT_EQ(open.At(left - 1, 7), OldPixel(W / 2 - 1, 7));
                EXPECT_EQ(open.At(W - left, 9), OldPixel(W / 2, 9));
                EXPECT_EQ(open.At(W - 1, 9), OldPixel(W / 2 + left - 1, 9));
            }
            open.ExpectNew({{left, 50}, {W - left - 1, 50}});
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
            down.ExpectNew({{40, firstRow}, {40, rows - 1}});
            up.ExpectNew({{40, H - rows}, {40, H - 1 - firstRow}});
            right.ExpectNew({{columns - 1, 30}, {firstColumn, 30}});
            left.ExpectNew({{W - columns, 30}, {W - 1 - firstColumn, 30}});
            if (n < N) {
                down.ExpectUntouched({{40, rows}});
                up.ExpectUntouched({{40, H - rows - 1}});
                right.ExpectUntouched({{columns, 30}});
                left.ExpectUntouched({{W - columns - 1, 30}});
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
            // Top, right, left and bottom strips of this ring; inside it nothing has come yet.
            rig.ExpectNew({{v, v},
                           {W - v - 1, v + r - 1},
                           {v + r - 1, H / 2},
                           {W - v - r, H / 2},
                           {v, H - v - 1},
                           {W - v - 1, H - v - 1}});
            if (n < N)
                rig.ExpectUntouched({{v + r, v + r}, {v + r, H - v - r - 1}});
        }
    }
}

TEST(SlideRectangleOut, FastFirstFrameIsTheCentreRectangle66_66_109_153) {
    Rig rig(kRectangleOut, 5);
    rig.Step(1);
    rig.ExpectNew({{66, 66}, {109, 153}});
    rig.ExpectUntouched({{65, 66}, {66, 65}, {110, 153}, {109, 154}});
    // Each further frame grows it by a ring width on every side.
    rig.Step(2);
    rig.ExpectNew({{44, 44}, {131, 175}});
    rig.ExpectUntouched({{43, 44}, {132, 175}});
}

// Fast: bands of 55 rows, each frame paints half a band (28 rows) from the top and the bottom.
TEST(SlideInterlace, FastBandsOf55RowsInHalvesOf28) {
    Rig rig(kInterlace, 5);
    EXPECT_EQ(rig.Player().Effect().bandHeight, 55);
    rig.Step(1);
    rig.ExpectNew({{3, 0}, {3, 27}, {3, 192}, {3, 219}});
    rig.ExpectUntouched({{3, 28}, {3, 191}});
    rig.Step(2);
    rig.ExpectNew({{3, 55}, {3, 82}, {3, 137}, {3, 164}});
    rig.ExpectUntouched({{3, 54}, {3, 83}, {3, 136}, {3, 165}});
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
            if (t < H)
                rig.ExpectNew({{9, t}});
            const int e = std::min(H - 1, (N - n + 1) * b - 1);
            rig.ExpectNew({{9, e}});
            if (n == 1)
                rig.ExpectUntouched({{9, h}, {9, e - h}});
        }
    }
}

namespace {

// Runs Transparent from a uniform outgoing colour to a uniform incoming one and returns the
// blue value of the screen after every frame.
std::vector<int> BlendSequence(int speed, int from, int to) {
    Rig rig(kTransparent, speed);
    for (int y = 0; y < H; ++y) {
        imaging::FillPixels(rig.Player().NewFrame().RowPtr(y), plat::Rgb(0, 0, to), W);
        imaging::FillPixels(rig.Player().OldFrame()->RowPtr(y), plat::Rgb(0, 0, from), W);
    }
    std::vector<int> seen;
    for (int n = 1; n <= rig.Player().stepCount; ++n) {
        rig.Step(n);
        seen.push_back(plat::BlueOf(rig.At(W / 3, H / 3)));
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
            rig.ExpectUntouched({{x - 1, y}, {x + w, y + h - 1}, {x, y - 1}});
        }
    }
}

// After a transition every effect is back on its first frame: Door (Close) runs the same way
// a second time, its first frame 22 pixels wide again.
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
    Rig rig(kDoorClose, 5);
    rig.RunAll();
    rig.Player().EndTransition();
    FillPattern(rig.Player().NewFrame(), 78);
    rig.Step(1);
    EXPECT_EQ(rig.At(21, 0), plat::Rgb(87, 0, 78));
    EXPECT_EQ(rig.At(22, 0), NewPixel(22, 0));
}
