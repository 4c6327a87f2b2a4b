#include "toolkit/draw/qvPoint.h"
#include "toolkit/draw/qvRect.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

using Edges = std::array<int, 4>;

Edges EdgesOf(const qvRect& r) { return {r.left, r.top, r.right, r.bottom}; }
std::string Text(const qvRect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

// x and y exchanged, so that one table of horizontal cases checks the
// vertical operations too.
qvRect Transposed(const qvRect& r) { return qvRect(r.top, r.left, r.bottom, r.right); }

TEST(qvRectTest, CentresTruncateTowardsZero) {
  struct Case { int left, right, centre; } cases[] = {
      {0, 10, 5}, {0, 3, 1}, {0, -3, -1}, {-5, 0, -3}, {-4, -1, -3}};
  for (const Case& c : cases) {
    EXPECT_EQ(qvRect(c.left, 0, c.right, 0).GetCenterX(), c.centre) << c.left << ".." << c.right;
    EXPECT_EQ(qvRect(0, c.left, 0, c.right).GetCenterY(), c.centre) << c.left << ".." << c.right;
  }
}

TEST(qvRectTest, SetWidthAndHeightKeepTheAnchoredEdge) {
  struct Case { qvRect start; int size, anchor; Edges expected; } cases[] = {
      {{0, 0, 10, 10}, 4, qvAnchorLeftTop, {0, 0, 4, 10}},
      {{0, 0, 10, 10}, 4, qvAnchorRightBottom, {6, 0, 10, 10}},
      {{0, 0, 10, 10}, -3, qvAnchorLeftTop, {0, 0, -3, 10}},  // never normalised
      {{5, 0, 15, 3}, 5, qvAnchorCenter, {8, 0, 13, 3}},      // odd: the extra pixel goes right
      {{5, 0, 15, 3}, 4, qvAnchorCenter, {8, 0, 12, 3}},
      {{-15, 0, -5, 3}, 5, qvAnchorCenter, {-12, 0, -7, 3}},
      {{0, 0, -3, 3}, 3, qvAnchorCenter, {-2, 0, 1, 3}},  // centre -1, not -2
      {{0, 0, 10, 10}, 4, 3, {0, 0, 10, 10}},  // other anchors change nothing
      {{0, 0, 10, 10}, 4, -1, {0, 0, 10, 10}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Text(c.start) + " size " + std::to_string(c.size) + " anchor " + std::to_string(c.anchor));
    qvRect r = c.start;
    r.SetWidth(c.size, c.anchor);
    EXPECT_EQ(EdgesOf(r), c.expected);
    qvRect v = Transposed(c.start);
    v.SetHeight(c.size, c.anchor);
    EXPECT_EQ(EdgesOf(Transposed(v)), c.expected);
  }
}

TEST(qvRectTest, MovesAndResizes) {
  struct Case { const char* name; void (*change)(qvRect&); Edges expected; } cases[] = {
      {"MoveTo", [](qvRect& r) { r.MoveTo(20, 30); }, {20, 30, 30, 35}},
      {"MoveTopTo", [](qvRect& r) { r.MoveTopTo(-2); }, {1, -2, 11, 3}},
      {"MoveLeftTo", [](qvRect& r) { r.MoveLeftTo(-2); }, {-2, 2, 8, 7}},
      {"MoveToOrigin", [](qvRect& r) { r.MoveToOrigin(); }, {0, 0, 10, 5}},
      {"CenterOn", [](qvRect& r) { r.CenterOn(50, 50); }, {45, 48, 55, 53}},
      {"GrowWidth", [](qvRect& r) { r.GrowWidth(3, qvAnchorCenter); }, {0, 2, 13, 7}},
      {"GrowHeight", [](qvRect& r) { r.GrowHeight(-4, qvAnchorRightBottom); }, {1, 6, 11, 7}},
      {"GrowWidth bad anchor", [](qvRect& r) { r.GrowWidth(3, 9); }, {1, 2, 11, 7}},
      {"Inset", [](qvRect& r) { r.Inset(-2, 1); }, {-1, 3, 13, 6}},
      {"Inset past the middle", [](qvRect& r) { r.Inset(6, 0); }, {7, 2, 5, 7}},
      {"OffsetAndSize", [](qvRect& r) { r.OffsetAndSize(2, 3, 5, 6); }, {3, 5, 8, 11}},
      {"SetBounds", [](qvRect& r) { r.SetBounds(3, 4, 10, -2); }, {3, 4, 13, 2}},
  };
  for (const Case& c : cases) {
    qvRect r(1, 2, 11, 7);
    c.change(r);
    EXPECT_EQ(EdgesOf(r), c.expected) << c.name;
  }
}

TEST(qvRectTest, IntersectAndUnion) {
  struct Case { qvRect other; Edges intersection, together; } cases[] = {
      {{5, 5, 20, 20}, {5, 5, 10, 10}, {0, 0, 20, 20}},
      {{2, 3, 4, 5}, {2, 3, 4, 5}, {0, 0, 10, 10}},
      {{10, 0, 20, 10}, {0, 0, 0, 0}, {0, 0, 20, 10}},  // touching edges do not intersect
      {{-10, 0, 0, 10}, {0, 0, 0, 0}, {-10, 0, 10, 10}},
      {{0, -10, 10, 0}, {0, 0, 0, 0}, {0, -10, 10, 10}},
      {{30, 30, 40, 40}, {0, 0, 0, 0}, {0, 0, 40, 40}},
      {{-1, -1, 1, 1}, {0, 0, 1, 1}, {-1, -1, 10, 10}},
  };
  for (const Case& c : cases) {
    qvRect r(0, 0, 10, 10), u(0, 0, 10, 10);
    r.Intersect(c.other);
    u.UnionWith(c.other);
    EXPECT_EQ(EdgesOf(r), c.intersection) << Text(c.other);
    EXPECT_EQ(EdgesOf(u), c.together) << Text(c.other);
  }
  qvRect r(5, 5, 10, 10);
  r.Union(qvRect());  // the zero rectangle is the origin, not nothing
  EXPECT_EQ(EdgesOf(r), (Edges{0, 0, 10, 10}));
}

TEST(qvRectTest, ContainsAndCrossesSegmentIncludeAllEdges) {
  const qvRect r(0, 0, 10, 10);
  struct Point { int x, y; bool inside; } points[] = {
      {0, 0, true}, {10, 10, true}, {10, 0, true}, {11, 10, false}, {10, 11, false}, {-1, 5, false}};
  for (const Point& p : points) EXPECT_EQ(r.Contains(qvPoint(p.x, p.y)), p.inside) << p.x << "," << p.y;

  struct Segment { qvPoint a, b; bool crosses; } segments[] = {
      {{5, -10}, {5, 20}, true},      {{11, 0}, {20, 5}, false},     {{11, -10}, {11, 20}, false},
      {{10, -5}, {10, 5}, true},      {{5, -10}, {5, -1}, false},    {{-10, 5}, {-1, 5}, false},
      {{2, 2}, {3, 3}, true},         {{10, 10}, {20, 20}, true},    {{20, 0}, {0, 20}, true},
      {{21, 0}, {0, 21}, false},      {{-5, -20}, {5, 20}, true},    {{11, -100}, {12, 100}, false},
      {{-2000000000, 5}, {2000000000, 5}, true},
      {{-2000000000, -2000000000}, {2000000000, 2000000000}, true},
  };
  for (const Segment& s : segments) {
    SCOPED_TRACE(std::to_string(s.a.x) + "," + std::to_string(s.a.y) + " to " + std::to_string(s.b.x) + "," +
                 std::to_string(s.b.y));
    EXPECT_EQ(r.CrossesSegment(s.a, s.b), s.crosses);
    EXPECT_EQ(r.CrossesSegment(s.b, s.a), s.crosses);
  }
}

TEST(qvRectTest, Values) {
  qvRect r(1, 1, 2, 2);
  qvRect copy = r.Assign(qvRect(0, 0, -3, 4));
  copy.Offset(100, 100);
  EXPECT_EQ(EdgesOf(r), (Edges{0, 0, -3, 4}));
  EXPECT_EQ(r.GetArea(), -12);
  EXPECT_EQ(qvRect(0, 0, 70000, 70000).GetArea(), 605032704);  // wraps in 32 bits
  EXPECT_TRUE(r.Equals(qvRect(0, 0, -3, 4)));
  EXPECT_TRUE(r.NotEquals(qvRect(0, 0, -3, 5)));
}

// Logs the table operations the compound ones call and reports a left edge
// 1000 further right than its field.
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
  int GetLeft() const override { return left + 1000; }
  std::vector<std::string> log;
};

class ShiftedPoint : public qvPoint {
public:
  using qvPoint::qvPoint;
  int GetX() const override { return x + 100; }
};

TEST(qvRectTest, CompoundOperationsGoThroughTheTable) {
  LoggingRect r(0, 0, 10, 10);
  r.MoveTo(1005, 5);
  r.CenterOn(5, 5);  // the centre is read from the fields
  r.MoveToOrigin();
  r.GrowWidth(2, qvAnchorLeftTop);
  EXPECT_EQ(r.log, (std::vector<std::string>{"Offset 5 5", "Offset -5 0", "Offset 0 -5", "Offset -1000 0",
                                             "SetRight 12"}));
  EXPECT_FALSE(qvRect(0, 0, 10, 10).Contains(ShiftedPoint(5, 5)));
  EXPECT_TRUE(qvRect(0, 0, 10, 10).Contains(ShiftedPoint(-95, 5)));
}

}  // namespace
