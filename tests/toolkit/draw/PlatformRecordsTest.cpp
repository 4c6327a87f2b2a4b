#include <windows.h>

#include <gtest/gtest.h>

#include "toolkit/draw/qvPoint.h"
#include "toolkit/draw/qvRect.h"

namespace {

// Reports edges and coordinates other than its fields, as a derived value
// may: the conversions must read through the table.
class OffsetRect : public qvRect {
public:
  using qvRect::qvRect;
  int GetLeft() const override { return left + 1000; }
  int GetBottom() const override { return bottom - 1000; }
};

class OffsetPoint : public qvPoint {
public:
  using qvPoint::qvPoint;
  int GetH() const override { return x * 2; }
};

TEST(PlatformRecords, ConversionsReadThroughTheTable) {
  RECT rect{};
  OffsetRect(1, 2, 3, 4).ToRECT(&rect);
  EXPECT_EQ(rect.left, 1001);
  EXPECT_EQ(rect.top, 2);
  EXPECT_EQ(rect.right, 3);
  EXPECT_EQ(rect.bottom, -996);

  POINT point{};
  OffsetPoint(-7, 9).ToPOINT(&point);
  EXPECT_EQ(point.x, -14);
  EXPECT_EQ(point.y, 9);

  qvPoint back;
  const POINT from{-70000, 70000};
  back.FromPOINT(&from);
  EXPECT_EQ(back.x, -70000);
  EXPECT_EQ(back.y, 70000);
}

}  // namespace
