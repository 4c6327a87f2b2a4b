#include "toolkit/draw/qvPoint.h"
#include "toolkit/draw/qvRect.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

static_assert(std::is_copy_constructible_v<qvRect> && std::has_virtual_destructor_v<qvRect>);
static_assert(std::is_copy_constructible_v<qvPoint> && std::has_virtual_destructor_v<qvPoint>);

namespace {

using Edges = std::array<int, 4>;

Edges EdgesOf(const qvRect& r) { return {r.left, r.top, r.right, r.bottom}; }

// The same rectangle with x and y exchanged, so that one table of horizontal
// cases also checks the vertical operations.
qvRect Transposed(const qvRect& r) { return qvRect(r.top, r.left, r.bottom, r.right); }

TEST(qvPointTest, SetOffsetAndPlatformRecords) {
  qvPoint p;
  EXPECT_EQ(p.GetX(), 0);
  EXPECT_EQ(p.GetY(), 0);
  p.Set(3, -4);
  p.Offset(10, 20);
  EXPECT_EQ(p.GetX(), 13);
  EXPECT_EQ(p.GetV(), 16);
  EXPECT_EQ(p.GetH(), p.GetX());

  POINT out{};
  p.ToPOINT(&out);
  EXPECT_EQ(out.x, 13);
  EXPECT_EQ(out.y, 16);
  POINT in{-7, 9};
  p.FromPOINT(&in);
  EXPECT_EQ(p.x, -7);
  EXPECT_EQ(p.y, 9);
}

TEST(qvRectTest, NewRectangleIsAllZeroAndConvertsToRECT) {
  EXPECT_EQ(EdgesOf(qvRect()), (Edges{0, 0, 0, 0}));
  RECT in{1, 2, 3, 4};
  qvRect r(in);
  RECT out{};
  r.ToRECT(&out);
  EXPECT_EQ((Edges{out.left, out.top, out.right, out.bottom}), (Edges{1, 2, 3, 4}));
}

TEST(qvRectTest, AssignReturnsACopyOfTheResult) {
  qvRect r(1, 1, 2, 2);
  qvRect copy = r.Assign(qvRect(5, 6, 7, 8));
  EXPECT_EQ(EdgesOf(r), (Edges{5, 6, 7, 8}));
  copy.Offset(100, 100);
  EXPECT_EQ(EdgesOf(r), (Edges{5, 6, 7, 8}));
}

TEST(qvRectTest, EqualsComparesEveryEdge) {
  qvRect base(1, 2, 3, 4);
  EXPECT_TRUE(base.Equals(qvRect(1, 2, 3, 4)));
  EXPECT_FALSE(base.NotEquals(qvRect(1, 2, 3, 4)));
  for (const qvRect& other : {qvRect(0, 2, 3, 4), qvRect(1, 0, 3, 4), qvRect(1, 2, 0, 4), qvRect(1, 2, 3, 0)}) {
    EXPECT_FALSE(base.Equals(other)) << other.left << "," << other.top << "," << other.right << "," << other.bottom;
    EXPECT_TRUE(base.NotEquals(other));
  }
}

TEST(qvRectTest, CentresTruncateTowardsZero) {
  struct Case {
    int left, right, centre;
  } cases[] = {
      {0, 10, 5}, {0, 3, 1}, {0, -3, -1}, {-5, 0, -3}, {1, 4, 2}, {-4, -1, -3}, {7, 7, 7},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(qvRect(c.left, 0, c.right, 0).GetCenterX(), c.centre) << c.left << ".." << c.right;
    EXPECT_EQ(qvRect(0, c.left, 0, c.right).GetCenterY(), c.centre) << c.left << ".." << c.right;
  }
}

TEST(qvRectTest, SetWidthAndHeightKeepTheAnchoredEdge) {
  struct Case {
    qvRect start;
    int size;
    int anchor;
    Edges expected;
  } cases[] = {
      {{0, 0, 10, 10}, 4, qvAnchorLeftTop, {0, 0, 4, 10}},
      {{0, 0, 10, 10}, 4, qvAnchorRightBottom, {6, 0, 10, 10}},
      {{0, 0, 10, 10}, -3, qvAnchorLeftTop, {0, 0, -3, 10}},  // never normalised
      {{5, 0, 15, 3}, 5, qvAnchorCenter, {8, 0, 13, 3}},      // odd: extra pixel on the right
      {{5, 0, 15, 3}, 4, qvAnchorCenter, {8, 0, 12, 3}},
      {{-15, 0, -5, 3}, 5, qvAnchorCenter, {-12, 0, -7, 3}},
      {{0, 0, -3, 3}, 3, qvAnchorCenter, {-2, 0, 1, 3}},     // centre -1, not -2
      {{5, 0, 15, 3}, 0, qvAnchorCenter, {10, 0, 10, 3}},
      {{0, 0, 10, 10}, 4, 3, {0, 0, 10, 10}},                  // anchors outside 0-2 change nothing
      {{0, 0, 10, 10}, 4, 7, {0, 0, 10, 10}},
      {{0, 0, 10, 10}, 4, -1, {0, 0, 10, 10}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("size " + std::to_string(c.size) + " anchor " + std::to_string(c.anchor) +
                 " from left " + std::to_string(c.start.left));
    qvRect r = c.start;
    r.SetWidth(c.size, c.anchor);
    EXPECT_EQ(EdgesOf(r), c.expected);

    qvRect v = Transposed(c.start);
    v.SetHeight(c.size, c.anchor);
    EXPECT_EQ(EdgesOf(Transposed(v)), c.expected);
  }
}

TEST(qvRectTest, GrowAddsToTheCurrentSize) {
  qvRect r(0, 0, 10, 10);
  r.GrowWidth(3, qvAnchorCenter);
  EXPECT_EQ(EdgesOf(r), (Edges{-1, 0, 12, 10}));
  r.GrowHeight(-4, qvAnchorRightBottom);
  EXPECT_EQ(EdgesOf(r), (Edges{-1, 4, 12, 10}));
  r.GrowHeight(5, 9);
  EXPECT_EQ(EdgesOf(r), (Edges{-1, 4, 12, 10}));
}

TEST(qvRectTest, MovesKeepTheSize) {
  struct Case {
    const char* name;
    void (*move)(qvRect&);
    Edges expected;
  } cases[] = {
      {"MoveTo", [](qvRect& r) { r.MoveTo(20, 30); }, {20, 30, 30, 35}},
      {"MoveTopTo", [](qvRect& r) { r.MoveTopTo(-2); }, {1, -2, 11, 3}},
      {"MoveLeftTo", [](qvRect& r) { r.MoveLeftTo(-2); }, {-2, 2, 8, 7}},
      {"MoveToOrigin", [](qvRect& r) { r.MoveToOrigin(); }, {0, 0, 10, 5}},
      {"Offset", [](qvRect& r) { r.Offset(-1, 3); }, {0, 5, 10, 10}},
      {"CenterOn", [](qvRect& r) { r.CenterOn(50, 50); }, {45, 48, 55, 53}},
      {"CenterXOn", [](qvRect& r) { r.CenterXOn(0); }, {-5, 2, 5, 7}},
      {"CenterYOn", [](qvRect& r) { r.CenterYOn(0); }, {1, -2, 11, 3}},
  };
  for (const Case& c : cases) {
    qvRect r(1, 2, 11, 7);
    c.move(r);
    EXPECT_EQ(EdgesOf(r), c.expected) << c.name;
  }
}

TEST(qvRectTest, SettersAndSizes) {
  qvRect r;
  r.SetBounds(3, 4, 10, -2);
  EXPECT_EQ(EdgesOf(r), (Edges{3, 4, 13, 2}));
  EXPECT_EQ(r.GetWidth(), 10);
  EXPECT_EQ(r.GetHeight(), -2);

  r.Set(1, 1, 10, 10);
  r.OffsetAndSize(2, 3, 5, 6);
  EXPECT_EQ(EdgesOf(r), (Edges{3, 4, 8, 10}));

  r.SetLeft(0);
  r.SetTop(-1);
  r.SetRight(4);
  r.SetBottom(9);
  EXPECT_EQ(EdgesOf(r), (Edges{0, -1, 4, 9}));
  EXPECT_EQ((std::array<int, 4>{r.GetLeft(), r.GetTop(), r.GetRight(), r.GetBottom()}), (Edges{0, -1, 4, 9}));
}

TEST(qvRectTest, InsetMovesEverySide) {
  qvRect r(10, 10, 20, 20);
  r.Inset(-2, -2);
  EXPECT_EQ(EdgesOf(r), (Edges{8, 8, 22, 22}));
  r.Inset(3, 1);
  EXPECT_EQ(EdgesOf(r), (Edges{11, 9, 19, 21}));
  r.Inset(10, 0);  // past the middle: turned inside out, not clamped
  EXPECT_EQ(EdgesOf(r), (Edges{21, 9, 9, 21}));
}

TEST(qvRectTest, AreaIsHeightTimesWidthIn32Bits) {
  EXPECT_EQ(qvRect(0, 0, 3, 4).GetArea(), 12);
  EXPECT_EQ(qvRect(0, 0, -3, 4).GetArea(), -12);
  EXPECT_EQ(qvRect(5, 5, 5, 100).GetArea(), 0);
  EXPECT_EQ(qvRect(0, 0, 70000, 70000).GetArea(), 605032704);  // 4 900 000 000 mod 2^32
}

TEST(qvRectTest, IntersectKeepsTheCommonPart) {
  struct Case {
    qvRect other;
    Edges expected;
  } cases[] = {
      {{5, 5, 20, 20}, {5, 5, 10, 10}},
      {{2, 3, 4, 5}, {2, 3, 4, 5}},
      {{-5, -5, 15, 15}, {0, 0, 10, 10}},
      {{0, 0, 10, 10}, {0, 0, 10, 10}},
      {{10, 0, 20, 10}, {0, 0, 0, 0}},    // touching on the right
      {{-10, 0, 0, 10}, {0, 0, 0, 0}},    // touching on the left
      {{0, 10, 10, 20}, {0, 0, 0, 0}},    // touching below
      {{0, -10, 10, 0}, {0, 0, 0, 0}},    // touching above
      {{30, 30, 40, 40}, {0, 0, 0, 0}},
      {{9, 9, 11, 11}, {9, 9, 10, 10}},
  };
  for (const Case& c : cases) {
    qvRect r(0, 0, 10, 10);
    r.Intersect(c.other);
    EXPECT_EQ(EdgesOf(r), c.expected)
        << c.other.left << "," << c.other.top << "," << c.other.right << "," << c.other.bottom;
  }

  qvRect self(1, 2, 3, 4);
  self.Intersect(self);
  EXPECT_EQ(EdgesOf(self), (Edges{1, 2, 3, 4}));
}

TEST(qvRectTest, UnionTreatsTheZeroRectangleAsThePointAtTheOrigin) {
  qvRect r(5, 5, 10, 10);
  r.Union(qvRect());
  EXPECT_EQ(EdgesOf(r), (Edges{0, 0, 10, 10}));

  qvRect s(5, 5, 10, 10);
  s.UnionWith(qvRect(20, -5, 25, 0));
  EXPECT_EQ(EdgesOf(s), (Edges{5, -5, 25, 10}));
  s.Union(qvRect(6, 6, 7, 7));
  EXPECT_EQ(EdgesOf(s), (Edges{5, -5, 25, 10}));
}

TEST(qvRectTest, ContainsIncludesAllFourEdges) {
  const qvRect r(0, 0, 10, 10);
  struct Case {
    int x, y;
    bool inside;
  } cases[] = {
      {0, 0, true},   {10, 10, true},  {10, 0, true},  {0, 10, true}, {5, 5, true},
      {11, 10, false}, {10, 11, false}, {-1, 5, false}, {5, -1, false},
  };
  for (const Case& c : cases) EXPECT_EQ(r.Contains(qvPoint(c.x, c.y)), c.inside) << c.x << "," << c.y;
}

TEST(qvRectTest, CrossesSegmentIncludesTouchingEdgesAndCorners) {
  const qvRect r(0, 0, 10, 10);
  struct Case {
    qvPoint a, b;
    bool crosses;
  } cases[] = {
      {{5, -10}, {5, 20}, true},     // vertical through the middle
      {{11, 0}, {20, 5}, false},     // wholly to the right
      {{11, -10}, {11, 20}, false},  // vertical beside
      {{10, -5}, {10, 5}, true},     // vertical along the right edge
      {{5, -10}, {5, -1}, false},    // vertical, stops short above
      {{5, 10}, {5, 30}, true},      // vertical, starts on the bottom edge
      {{-10, 5}, {20, 5}, true},     // horizontal through
      {{-10, -1}, {20, -1}, false},  // horizontal above
      {{-10, 5}, {-1, 5}, false},    // horizontal, stops short on the left
      {{2, 2}, {3, 3}, true},        // wholly inside
      {{10, 10}, {20, 20}, true},    // touches the bottom-right corner
      {{20, 0}, {0, 20}, true},      // diagonal through that corner only
      {{21, 0}, {0, 21}, false},     // diagonal passing just beyond it
      {{11, -100}, {12, 100}, false},
      {{-5, -20}, {5, 20}, true},    // steep diagonal through
      {{-2000000000, 5}, {2000000000, 5}, true},
      {{-2000000000, -2000000000}, {2000000000, 2000000000}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("(" + std::to_string(c.a.x) + "," + std::to_string(c.a.y) + ")-(" + std::to_string(c.b.x) +
                 "," + std::to_string(c.b.y) + ")");
    EXPECT_EQ(r.CrossesSegment(c.a, c.b), c.crosses);
    EXPECT_EQ(r.CrossesSegment(c.b, c.a), c.crosses);
  }
}

// A rectangle that logs the table operations the compound ones call, and a
// point whose coordinates read differently from its fields.
class LoggingRect : public qvRect {
public:
  using qvRect::qvRect;
  void Offset(int dx, int dy) override {
    log.push_back("Offset " + std::to_string(dx) + " " + std::to_string(dy));
    qvRect::Offset(dx, dy);
  }
  void SetRight(int v) override {
    log.push_back("SetRight " + std::to_string(v));
    qvRect::SetRight(v);
  }
  int GetLeft() const override { return qvRect::GetLeft() + 1000; }
  mutable std::vector<std::string> log;
};

class ShiftedPoint : public qvPoint {
public:
  using qvPoint::qvPoint;
  int GetX() const override { return x + 100; }
};

TEST(qvRectTest, CompoundOperationsGoThroughTheTable) {
  using Log = std::vector<std::string>;
  LoggingRect r(0, 0, 10, 10);
  r.MoveTo(1005, 5);  // reads the overridden left of 1000
  r.CenterOn(5, 5);    // the centre comes from the fields
  r.MoveToOrigin();
  EXPECT_EQ(r.log, (Log{"Offset 5 5", "Offset -5 0", "Offset 0 -5", "Offset -1000 0"}));
  EXPECT_EQ(EdgesOf(r), (Edges{-1000, 0, -990, 10}));

  r.log.clear();
  r.GrowWidth(2, qvAnchorLeftTop);
  EXPECT_EQ(r.log, (Log{"SetRight 12"}));

  RECT out{};
  r.ToRECT(&out);
  EXPECT_EQ(out.left, r.left + 1000);

  const qvRect plain(0, 0, 10, 10);
  EXPECT_FALSE(plain.Contains(ShiftedPoint(5, 5)));
  EXPECT_TRUE(plain.Contains(ShiftedPoint(-95, 5)));
}

}  // namespace
