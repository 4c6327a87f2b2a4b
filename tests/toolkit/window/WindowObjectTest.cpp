#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/toolkit/window/WindowTesting.h"
#include "toolkit/window/WindowHandles.h"
#include "toolkit/window/qvWindow.h"

namespace {

class WindowObject : public ::testing::Test {
protected:
  void SetUp() override { EventLog().clear(); }
};

std::vector<qvWindow*> ChildList(const qvWindow& window) {
  const auto& children = window.Children();
  return std::vector<qvWindow*>(children.begin(), children.end());
}

TEST_F(WindowObject, ChildrenListGrowsByTheListRule) {
  qvWindow root(qvRect(0, 0, 100, 100), nullptr, "root", false, true, false);
  std::vector<std::unique_ptr<qvWindow>> kids;
  std::vector<int> capacities;
  for (int i = 0; i < 61; ++i) {
    kids.emplace_back(new qvWindow(qvRect(0, 0, 1, 1), &root, nullptr, true, false, false));
    capacities.push_back(root.Children().Capacity());
  }
  EXPECT_EQ(capacities[9], 10);
  EXPECT_EQ(capacities[10], 20) << "the 11th child";
  EXPECT_EQ(capacities[20], 40) << "the 21st child";
  EXPECT_EQ(capacities[40], 60) << "the 41st child";
  EXPECT_EQ(capacities[60], 90) << "the 61st child";
  for (int i = 0; i < 61; ++i) EXPECT_EQ(root.Children().At(i), kids[i].get());
}

TEST_F(WindowObject, SetParentWindowMovesTheWindowToTheEndOfTheList) {
  qvWindow root(qvRect(0, 0, 100, 100), nullptr, "root", false, true, false);
  qvWindow other(qvRect(0, 0, 100, 100), nullptr, "other", false, true, false);
  qvWindow a(qvRect(), &root, "a", true, false, false);
  qvWindow b(qvRect(), &root, "b", true, false, false);
  qvWindow c(qvRect(), &root, "c", true, false, false);
  EXPECT_EQ(ChildList(root), (std::vector<qvWindow*>{&a, &b, &c}));

  EXPECT_EQ(a.SetParentWindow(&root), &root);
  EXPECT_EQ(ChildList(root), (std::vector<qvWindow*>{&b, &c, &a}));

  qvWindow::AddChild(&root, &b);
  EXPECT_EQ(ChildList(root), (std::vector<qvWindow*>{&b, &c, &a})) << "a listed window is not added twice";

  EXPECT_EQ(c.SetParentWindow(&other), &root);
  EXPECT_EQ(ChildList(root), (std::vector<qvWindow*>{&b, &a}));
  EXPECT_EQ(ChildList(other), (std::vector<qvWindow*>{&c}));
  EXPECT_EQ(c.GetParentWindow(), &other);
  EXPECT_EQ(c.SetParentWindow(nullptr), &other);
  EXPECT_TRUE(ChildList(other).empty());
}

TEST_F(WindowObject, ATopLevelClientAreaIsCentredWithAThirdOfTheFreeHeightAbove) {
  qvWindow window(qvRect(0, 0, 620, 420), nullptr, "Install", false, true, false);
  window.Create();
  ASSERT_NE(window.GetHandle(), nullptr);
  EXPECT_TRUE(window.IsCreated());
  EXPECT_FALSE(IsWindowVisible(window.GetHandle())) << "Create does not show a hidden window";

  RECT expected = {0, 0, 620, 420};
  AdjustWindowRectEx(&expected, window.GetStyle() | WS_POPUP, FALSE, WS_EX_DLGMODALFRAME);
  const int w = expected.right - expected.left, h = expected.bottom - expected.top;
  RECT outer;
  GetWindowRect(window.GetHandle(), &outer);
  EXPECT_EQ(outer.right - outer.left, w);
  EXPECT_EQ(outer.bottom - outer.top, h);
  EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - w) / 2);
  EXPECT_EQ(outer.top, 2 * (GetSystemMetrics(SM_CYSCREEN) - h) / 6);
  RECT client;
  GetClientRect(window.GetHandle(), &client);
  EXPECT_EQ(client.right, 620);
  EXPECT_EQ(client.bottom, 420);
  EXPECT_EQ(GetWindowLongA(window.GetHandle(), GWL_STYLE) & ~WS_VISIBLE,
            static_cast<LONG>(WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU));
}

TEST_F(WindowObject, StylesFollowTheKindOfWindow) {
  qvWindow top(qvRect(0, 0, 10, 10), nullptr, "top", true, true, false);
  qvWindow child(qvRect(0, 0, 10, 10), &top, "child", false, false, false);
  EXPECT_EQ(top.GetStyle(), 0x16C80000u);
  EXPECT_EQ(top.GetExStyle(), static_cast<DWORD>(WS_EX_DLGMODALFRAME));
  EXPECT_EQ(child.GetStyle(), 0x46000000u);
  EXPECT_EQ(child.GetExStyle(), 0u);
  char name[64];
  top.GetTypeName(name);
  EXPECT_STREQ(name, "qvWindow");
}

TEST_F(WindowObject, PlacementMovesOnlyWindowsWithAParentButPlaceAlwaysMoves) {
  qvWindow top(qvRect(0, 0, 300, 200), nullptr, "top", false, true, false);
  top.Create();
  qvWindow child(qvRect(10, 10, 50, 40), &top, "child", true, false, false);
  child.Create();

  child.SetPlacement(qvRect(20, 30, 70, 90));
  RECT r;
  GetWindowRect(child.GetHandle(), &r);
  MapWindowPoints(nullptr, top.GetHandle(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 20);
  EXPECT_EQ(r.top, 30);
  EXPECT_EQ(r.right - r.left, 50);
  EXPECT_EQ(r.bottom - r.top, 60);

  RECT before, after;
  GetWindowRect(top.GetHandle(), &before);
  top.SetPlacement(qvRect(0, 0, 500, 400));
  GetWindowRect(top.GetHandle(), &after);
  EXPECT_TRUE(EqualRect(&before, &after)) << "a parentless window only records the rectangle";
  EXPECT_TRUE(top.Bounds().Equals(qvRect(0, 0, 500, 400)));

  top.Place(qvRect(5, 6, 105, 56), nullptr);
  GetWindowRect(top.GetHandle(), &after);
  EXPECT_EQ(after.left, 5);
  EXPECT_EQ(after.top, 6);
  EXPECT_EQ(after.right - after.left, 100);

  child.SetPosition(1, 2);
  EXPECT_TRUE(child.Bounds().Equals(qvRect(1, 2, 70, 90))) << "right and bottom stay";
  child.SetSize(7, 8);
  EXPECT_TRUE(child.Bounds().Equals(qvRect(1, 2, 8, 10)));
}

TEST_F(WindowObject, OffsetsAllowForTheCaptionOfATopLevelWindowOnly) {
  qvWindow top(qvRect(0, 0, 300, 200), nullptr, "top", true, true, false);
  top.Create();
  qvWindow panel(qvRect(10, 20, 110, 120), &top, "panel", true, false, false);
  panel.Create();
  qvWindow button(qvRect(5, 7, 25, 17), &panel, "button", true, false, false);
  button.Create();

  RECT topRect, panelRect, buttonRect;
  GetWindowRect(top.GetHandle(), &topRect);
  GetWindowRect(panel.GetHandle(), &panelRect);
  GetWindowRect(button.GetHandle(), &buttonRect);

  qvPoint p;
  button.GetOffsetTo(p, &panel);
  EXPECT_EQ(p.x, 5);
  EXPECT_EQ(p.y, 7) << "the panel has a parent: no caption allowance";
  button.GetOffsetTo(p, &top);
  EXPECT_EQ(p.x, buttonRect.left - topRect.left);
  EXPECT_EQ(p.y, buttonRect.top - topRect.top - 20);

  qvRect r(0, 0, 4, 4);
  button.MapRectTo(r, &panel);
  EXPECT_TRUE(r.Equals(qvRect(5, 7, 9, 11)));
  qvPoint q;
  q.Set(1, 1);
  panel.MapPointTo(q, &top);
  EXPECT_EQ(q.x, panelRect.left - topRect.left + 1);
}

TEST_F(WindowObject, HostAndHitTesting) {
  qvWindow top(qvRect(0, 0, 300, 200), nullptr, "top", true, true, false);
  top.Create();
  qvWindow panel(qvRect(10, 10, 210, 110), &top, "panel", true, false, false);
  panel.Create();
  qvWindow button(qvRect(20, 20, 60, 40), &panel, "button", true, false, false);
  button.Create();
  qvWindow hidden(qvRect(100, 20, 150, 40), &panel, "hidden", false, false, false);
  hidden.Create();
  const HWND foreign = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 250, 150, 20, 20, top.GetHandle(),
                                       nullptr, nullptr, nullptr);
  BringToFront(top.GetHandle());

  EXPECT_EQ(button.GetHost(), &top);
  EXPECT_EQ(top.GetHost(), &top);
  qvWindow orphan(qvRect(), nullptr, "orphan", true, false, false);
  qvWindow orphanChild(qvRect(), &orphan, "child", true, false, false);
  EXPECT_EQ(orphanChild.GetHost(), &orphanChild) << "a parent without a platform window stops the climb";

  EXPECT_EQ(top.FindWindowAt(35, 35), &button) << "the innermost window under the point";
  EXPECT_EQ(top.FindWindowAt(15, 15), &panel);
  EXPECT_EQ(top.FindWindowAt(120, 35), &panel) << "hidden windows are passed over";
  EXPECT_EQ(top.FindWindowAt(5, 5), nullptr) << "the window itself";
  EXPECT_EQ(top.FindWindowAt(255, 155), nullptr) << "not a toolkit window";
  DestroyWindow(foreign);
}

// Recording what a window's platform procedure sees while the object goes.
WNDPROC originalProcedure;
std::vector<std::string> destroyLog;
LRESULT CALLBACK WatchDestroy(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY)
    destroyLog.push_back(GetPropA(hwnd, kWindowProperty) ? "destroy with object" : "destroy without object");
  return CallWindowProcA(originalProcedure, hwnd, message, wParam, lParam);
}

TEST_F(WindowObject, DestructionUnlinksTheObjectFirstAndLeavesChildObjects) {
  auto* top = new RecordingWindow("top", qvRect(0, 0, 200, 100), nullptr, true, false);
  top->Create();
  RecordingWindow child("child", qvRect(0, 0, 50, 50), top);
  child.Create();
  const HWND topHandle = top->GetHandle(), childHandle = child.GetHandle();
  ASSERT_EQ(GetPropA(topHandle, kWindowProperty), top);
  originalProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(topHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchDestroy)));
  destroyLog.clear();
  EventLog().clear();

  delete top;
  EXPECT_EQ(destroyLog, std::vector<std::string>{"destroy without object"});
  EXPECT_FALSE(IsWindow(topHandle));
  EXPECT_FALSE(IsWindow(childHandle)) << "the platform takes child windows with their parent";
  ExpectEvents({});  // no handler of either object ran during the destruction
  EXPECT_EQ(child.parent, nullptr) << "the child object survives and forgets its dead parent";
  EXPECT_EQ(child.GetHandle(), nullptr);
  child.Show();
  child.Redraw();
}

TEST_F(WindowObject, ClassesAreRegisteredOnceAndCountedPerCreate) {
  WNDCLASSA info;
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  {
    // Earlier tests in this process may have left references.
    qvWindow probe(qvRect(), nullptr, "probe", false, true, false);
    for (int i = 0; i < 1000 && GetClassInfoA(instance, kWindowClassName, &info); ++i) probe.UnregisterClasses();
  }
  ASSERT_FALSE(GetClassInfoA(instance, kWindowClassName, &info)) << "no class before the first Create";
  {
    qvWindow a(qvRect(0, 0, 10, 10), nullptr, "a", false, true, false);
    qvWindow b(qvRect(0, 0, 10, 10), nullptr, "b", false, true, false);
    a.Create();
    b.Create();
    ASSERT_TRUE(GetClassInfoA(instance, kWindowClassName, &info));
    EXPECT_EQ(info.style, static_cast<UINT>(CS_DBLCLKS | CS_NOCLOSE));
    EXPECT_EQ(info.hIcon, nullptr);
    ASSERT_TRUE(GetClassInfoA(instance, kMdiWindowClassName, &info));
    EXPECT_EQ(info.style, static_cast<UINT>(CS_DBLCLKS));

    const HMENU menu = GetSystemMenu(a.GetHandle(), FALSE);
    const UINT close = GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND);
    EXPECT_TRUE(close == static_cast<UINT>(-1) || (close & (MF_GRAYED | MF_DISABLED)))
        << "the class style takes the close command away";

    a.UnregisterClasses();
  }
  EXPECT_TRUE(GetClassInfoA(instance, kWindowClassName, &info)) << "one reference is left";
  qvWindow last(qvRect(0, 0, 10, 10), nullptr, "last", false, true, false);
  last.UnregisterClasses();
  EXPECT_FALSE(GetClassInfoA(instance, kWindowClassName, &info)) << "the last reference went";
  EXPECT_FALSE(GetClassInfoA(instance, kMdiWindowClassName, &info));
}

// A title is cut to its buffer between two characters, never inside one:
// 779 bytes of ASCII, 259 three-byte characters (777 bytes: a 260th would
// not fit whole), 194 four-byte ones.
TEST_F(WindowObject, TitlesAreBoundedCopiesCutBetweenCharacters) {
  std::string japanese, emoji;
  for (int i = 0; i < 400; ++i) japanese += "\xE6\x97\xA5", emoji += "\xF0\x9F\x8E\xA8";
  const struct {
    std::string title;
    size_t kept;
  } cases[] = {{std::string(1000, 't'), 779}, {japanese, 777}, {emoji, 776}, {"Install Quorvin", 15}};
  for (const auto& c : cases) {
    qvWindow window(qvRect(), nullptr, c.title.c_str(), false, true, false);
    EXPECT_EQ(std::string(window.GetTitle()), c.title.substr(0, c.kept));
    window.SetTitle(c.title.c_str());
    EXPECT_EQ(std::string(window.GetTitle()), c.title.substr(0, c.kept));
  }
}

}  // namespace
