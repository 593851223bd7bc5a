#include <gtest/gtest.h>

#include "dialogs/zoom_layout.h"

using namespace doumteo;

namespace {
constexpr double kClientW = 14700, kClientH = 10065;  // the window at its design size
constexpr double kPic0W = 6330, kPic0H = 9765;        // back of the PC case
constexpr double kPic1W = 13275, kPic1H = 4770;       // keyboard
}  // namespace

TEST(ZoomLayout, PicturesCentredAtNaturalSizeInTheDesignWindow) {
  const auto p0 = LayoutZoom(kClientW, kClientH, kPic0W, kPic0H, false);
  ASSERT_TRUE(p0);
  EXPECT_FALSE(p0->stretched);
  EXPECT_DOUBLE_EQ(p0->pictureLeft, 4185);
  EXPECT_DOUBLE_EQ(p0->pictureTop, 150);
  EXPECT_DOUBLE_EQ(p0->imageWidth, kClientW);
  EXPECT_DOUBLE_EQ(p0->imageHeight, kClientH);

  const auto p1 = LayoutZoom(kClientW, kClientH, kPic1W, kPic1H, false);
  ASSERT_TRUE(p1);
  EXPECT_FALSE(p1->stretched);
  EXPECT_DOUBLE_EQ(p1->pictureLeft, 712.5);
  EXPECT_DOUBLE_EQ(p1->pictureTop, 2647.5);
}

TEST(ZoomLayout, SmallerInBothDirectionsStretchesAndGrowingEitherWaySwitchesBack) {
  const auto small = LayoutZoom(6000, 4000, kPic1W, kPic1H, false);
  ASSERT_TRUE(small);
  EXPECT_TRUE(small->stretched);
  EXPECT_DOUBLE_EQ(small->imageWidth, 6000);
  EXPECT_DOUBLE_EQ(small->imageHeight, 4000);

  // Wide enough again, still too low: natural size, cut evenly top and bottom.
  const auto wide = LayoutZoom(14000, 4000, kPic1W, kPic1H, false);
  ASSERT_TRUE(wide);
  EXPECT_FALSE(wide->stretched);
  EXPECT_DOUBLE_EQ(wide->pictureLeft, 362.5);
  EXPECT_DOUBLE_EQ(wide->pictureTop, -385);

  // High enough again, still too narrow.
  const auto high = LayoutZoom(6000, 9000, kPic1W, kPic1H, false);
  ASSERT_TRUE(high);
  EXPECT_FALSE(high->stretched);
  EXPECT_DOUBLE_EQ(high->pictureLeft, -3637.5);
  EXPECT_DOUBLE_EQ(high->pictureTop, 2115);
}

TEST(ZoomLayout, ExactlyTheSizeOfThePictureIsNotStretched) {
  // Only a picture strictly larger in both directions is scaled.
  const auto same = LayoutZoom(kPic0W, kPic0H, kPic0W, kPic0H, false);
  ASSERT_TRUE(same);
  EXPECT_FALSE(same->stretched);
  EXPECT_DOUBLE_EQ(same->pictureLeft, 0);
  EXPECT_DOUBLE_EQ(same->pictureTop, 0);
  EXPECT_TRUE(LayoutZoom(kPic0W - 15, kPic0H - 15, kPic0W, kPic0H, false)->stretched);
}

TEST(ZoomLayout, EqualInOneDirectionAndTooSmallInTheOtherIsNotStretched) {
  // The box fits exactly across and overflows top and bottom...
  const auto across = LayoutZoom(kPic1W, kPic1H - 600, kPic1W, kPic1H, false);
  ASSERT_TRUE(across);
  EXPECT_FALSE(across->stretched);
  EXPECT_DOUBLE_EQ(across->pictureLeft, 0);
  EXPECT_DOUBLE_EQ(across->pictureTop, -300);
  // ...or fits exactly from top to bottom and overflows at the sides.
  const auto down = LayoutZoom(kPic1W - 600, kPic1H, kPic1W, kPic1H, false);
  ASSERT_TRUE(down);
  EXPECT_FALSE(down->stretched);
  EXPECT_DOUBLE_EQ(down->pictureLeft, -300);
  EXPECT_DOUBLE_EQ(down->pictureTop, 0);
}

TEST(ZoomLayout, MinimisedLeavesTheLayoutAlone) {
  EXPECT_FALSE(LayoutZoom(kClientW, kClientH, kPic0W, kPic0H, true));
  // A minimised window reports a tiny client area; it must not flip to stretched.
  EXPECT_FALSE(LayoutZoom(0, 0, kPic0W, kPic0H, true));
}
