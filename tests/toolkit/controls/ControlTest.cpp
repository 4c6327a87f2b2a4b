#include <windows.h>

#include <gtest/gtest.h>

#include "tests/toolkit/controls/ControlTesting.h"
#include "toolkit/controls/qvControl.h"

namespace {

// A bare control that logs its pointer hooks.
class TestControl : public qvControl {
public:
  TestControl(qvWindow* parent, const qvRect& bounds, int id) : qvControl(bounds, parent, "test", id) { Create(); }
  void OnMouseEnter(const qvPoint& p) override {
    EventLog().push_back("enter");
    qvControl::OnMouseEnter(p);
  }
  void OnMouseLeave(const qvPoint& p) override {
    EventLog().push_back("leave");
    qvControl::OnMouseLeave(p);
  }
};

class ControlBase : public ::testing::Test {
protected:
  void SetUp() override {
    host.Present();
    MoveOn(host, 5, 5);
    EventLog().clear();
  }
  ControlHost host;
  TestControl control{&host, qvRect(50, 40, 150, 80), 7};
};

TEST_F(ControlBase, AClickNeedsThePointerInsideAtTheRelease) {
  struct Case {
    const char* what;
    std::vector<POINT> path;  // press at the first point, move through the rest, release at the last
    std::vector<std::string> reports;
  } cases[] = {
      // Each press lies apart from the one before, so no two make a double click.
      {"press and release inside", {{10, 10}, {20, 10}}, {Report(7, kNoticeClick)}},
      {"dragged off", {{30, 20}, {150, 10}}, {}},
      {"dragged off and back", {{50, 30}, {150, 10}, {90, 30}}, {Report(7, kNoticeClick)}},
      {"off past the far corner", {{70, 10}, {99, 39}, {100, 40}}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EventLog().clear();
    PressOn(control, c.path.front().x, c.path.front().y);
    for (size_t i = 1; i < c.path.size(); ++i) MoveOn(control, c.path[i].x, c.path[i].y);
    ReleaseOn(control, c.path.back().x, c.path.back().y);
    ExpectReports(c.reports);
    EXPECT_FALSE(control.IsPressed());
    MoveOn(host, 5, 5);
    EXPECT_EQ(GetCapture(), nullptr) << "released and left, the control holds no capture";
  }
}

// The release that ends a double click follows no press of its own: it is
// not a click.
TEST_F(ControlBase, ADoubleClickReportsAClickThenADoubleClick) {
  ClickOn(control, 30, 20);
  ClickOn(control, 30, 20);
  ExpectReports({Report(7, kNoticeClick), Report(7, kNoticeDoubleClick)});
}

TEST_F(ControlBase, ADisabledControlTracksButReportsNothing) {
  control.Disable();
  MoveOn(control, 20, 20);
  EXPECT_TRUE(control.IsInside());
  PressOn(control, 20, 20);
  EXPECT_TRUE(control.IsPressedInside());
  ReleaseOn(control, 20, 20);
  control.SetHoverText("tip");
  MoveOn(host, 5, 5);
  MoveOn(control, 20, 20);
  ExpectReports({});
}

// Entering takes the capture, so the leave is seen; leaving gives it back
// unless the button is held.
TEST_F(ControlBase, ThePointerIsTrackedWithTheCapture) {
  MoveOn(control, 20, 20);
  EXPECT_TRUE(control.IsInside());
  EXPECT_EQ(GetCapture(), control.GetHandle());
  MoveOn(control, 120, 20);
  EXPECT_FALSE(control.IsInside());
  EXPECT_EQ(GetCapture(), nullptr);

  PressOn(control, 20, 20);
  MoveOn(control, 120, 20);
  EXPECT_FALSE(control.IsInside());
  EXPECT_TRUE(control.IsPressed());
  EXPECT_EQ(GetCapture(), control.GetHandle()) << "held: the capture stays";
  ReleaseOn(control, 120, 20);
  EXPECT_EQ(GetCapture(), nullptr);
  // The release also posts a press to the host, at the same screen place.
  ExpectEvents({"enter", "leave", "enter", "leave", "host down at 170,60"});
}

TEST_F(ControlBase, HoverTrackingReportsEachCrossingInsteadOfEntering) {
  control.SetHoverText("");
  EXPECT_TRUE(control.GetHoverTracking()) << "an empty text turns hovering on";
  MoveOn(control, 20, 20);
  EXPECT_TRUE(control.IsHovering());
  EXPECT_EQ(GetCapture(), control.GetHandle());
  MoveOn(control, 30, 25);
  MoveOn(control, 200, 20);
  EXPECT_FALSE(control.IsHovering());
  EXPECT_EQ(GetCapture(), nullptr);
  ExpectReports({Report(7, kNoticeHover), Report(7, kNoticeHover)});
  EXPECT_EQ(std::count(EventLog().begin(), EventLog().end(), "enter"), 0) << "hovering stands for entering";

  control.SetHoverText(nullptr);
  EXPECT_FALSE(control.GetHoverTracking());
  EXPECT_STREQ(control.GetHoverText(), "") << "a null text keeps the stored one";
}

// The client area, but not what lies under a visible, enabled child window.
// The area's far edges pass the first test but not the platform's.
TEST_F(ControlBase, HitTestLeavesOutChildWindows) {
  const HWND child = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, 20, 20, control.GetHandle(),
                                     nullptr, nullptr, nullptr);
  struct Case {
    int x, y;
    bool hit;
  } cases[] = {{0, 0, true},    {99, 39, true}, {100, 39, false}, {-1, 5, false},
               {15, 15, false}, {9, 9, true},   {30, 30, true}};
  for (const Case& c : cases) EXPECT_EQ(control.HitTest(qvPoint(c.x, c.y)), c.hit) << c.x << "," << c.y;
  ShowWindow(child, SW_HIDE);
  EXPECT_TRUE(control.HitTest(qvPoint(15, 15))) << "a hidden child does not hide the control";
  DestroyWindow(child);
}

}  // namespace
