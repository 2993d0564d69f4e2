#include "platform/win32/splash_layout.h"

#include <gtest/gtest.h>

namespace tq {
namespace {

LONG Width(const RECT& rect) { return rect.right - rect.left; }
LONG Height(const RECT& rect) { return rect.bottom - rect.top; }

// The splash face test sees the layout only at the screen's own dpi, the
// same both ways; here the two axes differ, and the screen is not Wine's.
TEST(SplashLayout, TheClientAreaFollowsEachAxisOwnDpiAndTheFrameIsCentred) {
  const SIZE screen{1600, 900};
  const SplashLayout layout = LayOutSplash(ScreenDpi{120, 144}, screen);

  // 7440 x 6660 twips at 120 and 144 pixels to the inch.
  EXPECT_EQ(layout.image1.left, 0);
  EXPECT_EQ(layout.image1.top, 0);
  EXPECT_EQ(layout.image1.right, 620);
  EXPECT_EQ(layout.image1.bottom, 666);

  RECT expectedFrame = layout.image1;
  ASSERT_TRUE(AdjustWindowRectEx(&expectedFrame, kSplashStyle, FALSE, 0));
  EXPECT_EQ(Width(layout.frame), Width(expectedFrame));
  EXPECT_EQ(Height(layout.frame), Height(expectedFrame));
  EXPECT_EQ(layout.frame.left, (screen.cx - Width(expectedFrame)) / 2);
  EXPECT_EQ(layout.frame.top, (screen.cy - Height(expectedFrame)) / 2);
}

}  // namespace
}  // namespace tq
