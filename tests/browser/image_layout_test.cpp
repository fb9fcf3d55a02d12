#include <gtest/gtest.h>

#include "browser/image_view.h"

namespace {

ImageLayout Laid(int pictureWidth, int pictureHeight, int clientWidth, int clientHeight,
                 int zoom = 1) {
    ImageLayout l;
    l.pictureWidth = pictureWidth;
    l.pictureHeight = pictureHeight;
    l.clientWidth = clientWidth;
    l.clientHeight = clientHeight;
    l.zoomFactor = zoom;
    LayoutImage(&l);
    return l;
}

TEST(ImageLayoutTest, NarrowPictureIsCentredAndTallOnePansFromTheMiddle) {
    ImageLayout l = Laid(176, 220, 176, 180);
    EXPECT_EQ(l.panX, -1);
    EXPECT_EQ(l.offsetX, 0);
    EXPECT_EQ(l.viewWidth, 176);
    EXPECT_EQ(l.panY, 20);
    EXPECT_EQ(l.viewHeight, 180);
    EXPECT_EQ(l.sourceY, 20);

    EXPECT_TRUE(PanLayout(&l, kPanDown, 1));
    EXPECT_EQ(l.panY, 28);
    EXPECT_EQ(l.sourceY, 28);
    EXPECT_TRUE(PanLayout(&l, kPanDown, 5));
    EXPECT_EQ(l.panY, 40);
    EXPECT_FALSE(PanLayout(&l, kPanDown, 1));
    EXPECT_FALSE(PanLayout(&l, kPanLeft, 3));
    EXPECT_EQ(l.panX, -1);
    EXPECT_TRUE(PanLayout(&l, kPanUp, 10));
    EXPECT_EQ(l.panY, 0);
}

TEST(ImageLayoutTest, SmallPictureIsCentredAtEveryZoom) {
    ImageLayout l = Laid(100, 61, 176, 180);
    EXPECT_EQ(l.offsetX, 38);
    EXPECT_EQ(l.offsetY, 59);
    EXPECT_EQ(l.viewWidth, 100);
    l = Laid(100, 61, 176, 180, -2);
    EXPECT_EQ(l.zoomedWidth, 50);
    EXPECT_EQ(l.zoomedHeight, 30);
    EXPECT_EQ(l.offsetX, 63);
    EXPECT_EQ(l.offsetY, 75);
    EXPECT_EQ(ToSourceX(l, 63), 0);
    EXPECT_EQ(ToSourceX(l, 64), 2);
    EXPECT_EQ(ToScreenX(l, 99, false), 63 + 49);
}

TEST(ImageLayoutTest, ZoomStepsSkipMinusOneAndStopAtTheLimits) {
    ImageLayout l = Laid(352, 440, 176, 180);
    EXPECT_EQ(ZoomLayout(&l, false), ZoomResult::kChanged);
    EXPECT_EQ(l.zoomFactor, -2);
    EXPECT_EQ(ZoomLayout(&l, true), ZoomResult::kChanged);
    EXPECT_EQ(l.zoomFactor, 1);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(ZoomLayout(&l, true), ZoomResult::kChanged);
    EXPECT_EQ(l.zoomFactor, 8);
    EXPECT_EQ(ZoomLayout(&l, true), ZoomResult::kAtLimit);
    EXPECT_EQ(l.zoomFactor, 8);
    while (l.zoomFactor > -8)
        ASSERT_EQ(ZoomLayout(&l, false), ZoomResult::kChanged);
    EXPECT_EQ(ZoomLayout(&l, false), ZoomResult::kAtLimit);
    EXPECT_EQ(l.zoomedWidth, 44);
}

TEST(ImageLayoutTest, ZoomRefusesVanishingAndHugePictures) {
    ImageLayout l = Laid(300, 2, 176, 180, -2);
    EXPECT_EQ(ZoomLayout(&l, false), ZoomResult::kRefused);
    EXPECT_EQ(l.zoomFactor, -2);
    l = Laid(5001, 100, 176, 180, 5);
    EXPECT_EQ(ZoomLayout(&l, true), ZoomResult::kRefused);
    EXPECT_EQ(l.zoomFactor, 5);
}

TEST(ImageLayoutTest, ZoomKeepsThePointAtTheWindowCentre) {
    ImageLayout l = Laid(528, 660, 176, 180);
    ASSERT_TRUE(PanLayout(&l, kPanRight, 20));
    ASSERT_TRUE(PanLayout(&l, kPanUp, 15));
    const int mx = ToSourceX(l, 88), my = ToSourceY(l, 90);
    ASSERT_EQ(ZoomLayout(&l, true), ZoomResult::kChanged);
    EXPECT_NEAR(ToSourceX(l, 88), mx, 1);
    EXPECT_NEAR(ToSourceY(l, 90), my, 1);
    ASSERT_EQ(ZoomLayout(&l, true), ZoomResult::kChanged);
    EXPECT_NEAR(ToSourceX(l, 88), mx, 1);
    ASSERT_EQ(ZoomLayout(&l, false), ZoomResult::kChanged);
    ASSERT_EQ(ZoomLayout(&l, false), ZoomResult::kChanged);
    ASSERT_EQ(ZoomLayout(&l, false), ZoomResult::kChanged);
    EXPECT_EQ(l.zoomFactor, -2);
    // Across, the point lies too near the right edge to be centred at 1/2: the view stops there.
    EXPECT_EQ(l.panX, l.zoomedWidth - l.viewWidth);
    EXPECT_EQ(l.sourceX, l.panX * 2);
    EXPECT_NEAR(ToSourceY(l, 90), my, 2);
}

TEST(ImageLayoutTest, RecentringNeverPansPastTheEdge) {
    ImageLayout l = Laid(400, 400, 176, 180);
    ASSERT_EQ(ZoomLayout(&l, true), ZoomResult::kChanged);
    ASSERT_TRUE(PanLayout(&l, kPanRight, 100));
    EXPECT_EQ(l.panX, 800 - 176);
    EXPECT_EQ(ToSourceX(l, 88), 356);
    // Back at actual size, column 356 cannot be at the centre: the view ends at the edge.
    ASSERT_EQ(ZoomLayout(&l, false), ZoomResult::kChanged);
    EXPECT_EQ(l.panX, 400 - 176);
    EXPECT_EQ(l.sourceX, 400 - 176);

    // 182 wide at zoom 2, panned once: centre column 95 would need a pan of 7, one past the
    // last (6).
    ImageLayout m = Laid(182, 100, 176, 180, 2);
    ASSERT_TRUE(PanLayout(&m, kPanRight, 1));
    EXPECT_EQ(m.panX, 102);
    ASSERT_EQ(ZoomLayout(&m, false), ZoomResult::kChanged);
    EXPECT_EQ(m.panX, 6);
}

TEST(ImageLayoutTest, MagnifiedEdgesCoverWholePixels) {
    ImageLayout l = Laid(200, 200, 176, 180, 3);
    EXPECT_EQ(l.panX, 212);  // the middle of 600 - 176
    EXPECT_EQ(ToSourceX(l, 0), 212 / 3);
    EXPECT_EQ(ToScreenX(l, 70, false), 210 - 212);
    EXPECT_EQ(ToScreenX(l, 70, true), 210 - 212 + 2);
    plat::Rect dst, src;
    ASSERT_TRUE(ImagePaintRects(l, &dst, &src));
    EXPECT_EQ(src.left, 70);
    EXPECT_EQ(dst.left, -2);
    // The last visible window column (175) shows picture column (212 + 175) / 3 = 129.
    EXPECT_EQ(src.right, 130);
    EXPECT_EQ(dst.right, 129 * 3 - 212 + 3);
    EXPECT_GE(dst.right, 176);
}

TEST(ImageLayoutTest, PaintRectsOfACentredReducedPicture) {
    ImageLayout l = Laid(101, 60, 176, 180, -2);
    plat::Rect dst, src;
    ASSERT_TRUE(ImagePaintRects(l, &dst, &src));
    EXPECT_EQ(dst, (plat::Rect{63, 75, 113, 105}));
    EXPECT_EQ(src, (plat::Rect{0, 0, 100, 60}));
    ImageLayout empty;
    EXPECT_FALSE(ImagePaintRects(empty, &dst, &src));
}

TEST(ImageLayoutTest, PaintRectsAtActualSizeMatchInSize) {
    ImageLayout l = Laid(300, 250, 176, 180);
    ASSERT_TRUE(PanLayout(&l, kPanLeft, 2));
    plat::Rect dst, src;
    ASSERT_TRUE(ImagePaintRects(l, &dst, &src));
    EXPECT_EQ(dst, (plat::Rect{0, 0, 176, 180}));
    EXPECT_EQ(src.left, l.panX);
    EXPECT_EQ(src.top, l.panY);
    EXPECT_EQ(src.Width(), 176);
    EXPECT_EQ(src.Height(), 180);
}

TEST(ImageLayoutTest, TurnsFollowTheThreeStates) {
    // From each orientation, each turn command: the result, then (when 1) the orientation
    // it leads to and the angle to turn the picture by.
    const int cases[][5] = {{0, 40028, 1, 2, 90},  {2, 40028, -1}, {2, 40029, 1, 0, -90},
                            {0, 40029, 1, 1, -90}, {1, 40029, -1}, {1, 40027, 1, 0, 90},
                            {2, 40027, 1, 0, -90}, {0, 40027, 0}};
    for (const auto& c : cases) {
        int next = -9, angle = 0;
        EXPECT_EQ(NextOrientation(c[0], c[1], &next, &angle), c[2]) << c[0] << " " << c[1];
        if (c[2] == 1) {
            EXPECT_EQ(std::to_string(next) + " " + std::to_string(angle),
                      std::to_string(c[3]) + " " + std::to_string(c[4]))
                << c[0] << " " << c[1];
        }
    }
}

}  // namespace
