// A window's 96-DPI place and a change of DPI: the arithmetic of a place
// at any scale and size, and the one road by which WM_DPICHANGED, decoded
// once, lays a window and its children out again.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/toolkit/window/WindowTesting.h"
#include "toolkit/window/qvDpi.h"
#include "toolkit/window/qvEvent.h"

namespace {

std::string Text(const qvRect& r) {
  return std::to_string(r.GetLeft()) + "," + std::to_string(r.GetTop()) + "," + std::to_string(r.GetRight()) + "," +
         std::to_string(r.GetBottom());
}

// Distances are scaled once, then measured from the edge they follow, so
// a child anchored to a corner keeps its size as the parent grows.
TEST(Layout, APlaceFollowsItsEdgesAtEveryScale) {
  const qvLayoutPlace fixed = {qvRect(10, 20, 110, 40), 0};
  const qvLayoutPlace corner = {qvRect(86, 46, 26, 26), kAnchorRight | kAnchorBottom};
  const qvLayoutPlace stretched = {qvRect(10, 10, 10, 56), kAnchorRightToRight | kAnchorBottomToBottom};
  const struct {
    const qvLayoutPlace& place;
    int width, height, dpi;
    const char* rect;
  } cases[] = {
      {fixed, 400, 300, 96, "10,20,110,40"},
      {fixed, 800, 600, 144, "15,30,165,60"},       // the client area's size does not count
      {corner, 400, 300, 96, "314,254,374,274"},
      {corner, 600, 450, 144, "471,381,561,411"},  // 129 and 39 back from the corner
      {stretched, 400, 300, 96, "10,10,390,244"},
      {stretched, 400, 300, 120, "13,13,387,230"},  // 12.5 rounds away from zero
      {stretched, 20, 20, 96, "10,10,10,-36"},      // no room: the edges cross, as the numbers say
  };
  for (const auto& c : cases)
    EXPECT_EQ(Text(PlaceForDpi(c.place, c.width, c.height, c.dpi)), c.rect)
        << c.width << " x " << c.height << " at " << c.dpi;
}

// A window that takes a change of DPI as the platform sends it.
class ScalingWindow : public RecordingWindow {
public:
  using RecordingWindow::RecordingWindow;
  bool OnOtherMessage(qvEvent& event) override {
    if (event.message != WM_DPICHANGED) return RecordingWindow::OnOtherMessage(event);
    decoded = std::to_string(event.dpi) + " " + Text(event.suggested);
    taken = TakeDpiChange(event, keepClient ? &client96 : nullptr);
    return false;
  }
  std::string decoded;
  bool taken = false;
  bool keepClient = false;
  qvRect client96 = qvRect(0, 0, 300, 200);
};

TEST(Layout, ADpiChangeIsDecodedOnceAndLaysTheChildrenOutAgain) {
  ScalingWindow top("top", qvRect(0, 0, 300, 200), nullptr, true);
  RecordingWindow button("button", qvRect(0, 0, 1, 1), &top);
  RecordingWindow list("list", qvRect(0, 0, 1, 1), &top);
  top.Create();
  button.Create();
  list.Create();
  button.SetLayoutPlace({qvRect(86, 46, 26, 26), kAnchorRight | kAnchorBottom});
  list.SetLayoutPlace({qvRect(20, 30, 120, 50), 0});
  const auto placeOf = [](qvWindow& window) {
    RECT r;
    GetWindowRect(window.GetHandle(), &r);
    MapWindowPoints(nullptr, GetParent(window.GetHandle()), reinterpret_cast<POINT*>(&r), 2);
    return Text(qvRect(r.left, r.top, r.right, r.bottom));
  };
  EXPECT_EQ(placeOf(list), "20,30,120,50");

  // The platform suggests a new place and a size for 144 DPI.
  RECT suggested = {100, 80, 100 + 470, 80 + 340};
  SendMessageA(top.GetHandle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(top.decoded, "144 100,80,570,420");
  ASSERT_TRUE(top.taken);
  EXPECT_EQ(top.GetDpi(), 144);
  EXPECT_EQ(button.GetDpi(), 144) << "the children take the DPI too";
  RECT client;
  GetClientRect(top.GetHandle(), &client);
  const int r = client.right, b = client.bottom;
  EXPECT_EQ(placeOf(button), Text(qvRect(r - 129, b - 69, r - 39, b - 39))) << "measured from the new corner";
  EXPECT_EQ(placeOf(list), "30,45,180,75");

  // A fixed layout keeps its client area the layout's, whatever the
  // platform suggests; a DPI out of range is not taken.
  top.keepClient = true;
  SendMessageA(top.GetHandle(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
  GetClientRect(top.GetHandle(), &client);
  EXPECT_EQ(client.right, 600);
  EXPECT_EQ(client.bottom, 400);
  SendMessageA(top.GetHandle(), WM_DPICHANGED, MAKEWPARAM(9000, 9000), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_FALSE(top.taken);
  EXPECT_EQ(top.GetDpi(), 192);
}

}  // namespace
