#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "tests/toolkit/window/WindowTesting.h"
#include "toolkit/window/ShowMessage.h"

namespace {

// What the message box showed, read by a timer while it runs, which then
// presses OK.
struct BoxSeen {
  bool found = false;
  std::string text;
  HWND owner = nullptr;
  bool okButton = false;
  bool cancelButton = false;
};
BoxSeen seen;

void CALLBACK DismissBox(HWND, UINT, UINT_PTR timer, DWORD) {
  const HWND box = FindWindowA("#32770", "Attention !");
  if (!box) return;
  KillTimer(nullptr, timer);
  seen.found = true;
  char text[256] = {};
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  seen.text = text;
  seen.owner = GetWindow(box, GW_OWNER);
  seen.okButton = GetDlgItem(box, IDOK) != nullptr;
  seen.cancelButton = GetDlgItem(box, IDCANCEL) && IsWindowVisible(GetDlgItem(box, IDCANCEL));
  PostMessageA(box, WM_COMMAND, IDOK, 0);
}

TEST(MessageBoxTest, ShowsAttentionWithOneOkButtonOwnedByTheForegroundWindow) {
  qvWindow top(qvRect(0, 0, 200, 100), nullptr, "Install", false, true, false);
  top.Create();
  BringToFront(top.GetHandle());
  seen = BoxSeen();
  SetTimer(nullptr, 0, 20, DismissBox);
  EXPECT_EQ(ShowMessage("Please accept the terms of the license agreement."), IDOK);
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.text, "Please accept the terms of the license agreement.");
  EXPECT_EQ(seen.owner, top.GetHandle());
  EXPECT_TRUE(seen.okButton);
  EXPECT_FALSE(seen.cancelButton);
}

class TooltipWindow : public qvWindow {
public:
  TooltipWindow() : qvWindow(qvRect(0, 0, 300, 120), nullptr, "tips", false, true, false) {}
  HWND Tooltip() const { return tooltipHwnd; }
};

// Rests the mouse at a client point and pumps for up to a second, as long
// as the tip takes to show.
bool TipShowsAt(TooltipWindow& window, int x, int y) {
  POINT p = {x, y};
  ClientToScreen(window.GetHandle(), &p);
  SetCursorPos(p.x, p.y);
  INPUT move = MouseInputAt(p.x, p.y);
  SendInput(1, &move, sizeof move);
  for (int i = 0; i < 60; ++i) {
    Pump(20);
    if (IsWindowVisible(window.Tooltip())) return true;
  }
  return false;
}

class Tooltips : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX init = {sizeof init, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&init);
  }
};

TEST_F(Tooltips, ShowOverTheTopLeftCornerOnly) {
  TooltipWindow window;
  window.Create();
  BringToFront(window.GetHandle());
  window.SetTooltip("Show Release Notes");
  ASSERT_NE(window.Tooltip(), nullptr);
  EXPECT_TRUE(GetWindowLongA(window.Tooltip(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_FALSE(TipShowsAt(window, 150, 60)) << "outside the 100 x 20 tool";
  EXPECT_TRUE(TipShowsAt(window, 10, 10));
}

TEST_F(Tooltips, CarriageReturnsBecomeLineFeeds) {
  TooltipWindow window;
  window.Create();
  BringToFront(window.GetHandle());
  window.SetTooltip("first\rsecond");
  EXPECT_STREQ(window.GetTooltip(), "first\nsecond");
  ASSERT_TRUE(TipShowsAt(window, 10, 10));
  RECT twoLines;
  GetWindowRect(window.Tooltip(), &twoLines);

  TooltipWindow other;
  other.Create();
  BringToFront(other.GetHandle());
  other.SetTooltip("first second");
  ASSERT_TRUE(TipShowsAt(other, 10, 10));
  RECT oneLine;
  GetWindowRect(other.Tooltip(), &oneLine);
  EXPECT_GT(twoLines.bottom - twoLines.top, oneLine.bottom - oneLine.top) << "the line feed breaks the tip";
}

TEST_F(Tooltips, ASecondTooltipReplacesTheFirst) {
  TooltipWindow window;
  window.Create();
  window.SetTooltip("one");
  const HWND first = window.Tooltip();
  window.SetTooltip(std::string(300, 'x').c_str());
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(std::string(window.GetTooltip()), std::string(239, 'x')) << "texts are kept to 239 characters";
}

}  // namespace
