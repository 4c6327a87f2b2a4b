#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/window/PellioTextFileViewer.h"
#include "tests/toolkit/files/DialogDriver.h"
#include "toolkit/controls/qvTextList.h"
#include "toolkit/window/MessageDispatch.h"

namespace {

std::vector<std::string> Shown(PellioTextFileViewer& viewer) {
  std::vector<std::string> lines;
  const StringList& list = viewer.TextList()->Lines();
  for (int i = 0; i < list.Count(); ++i) lines.emplace_back(list.At(i).Data(), list.At(i).Length());
  return lines;
}

// A child window's rectangle in its parent's client coordinates.
RECT Placed(HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

HWND clickTarget = nullptr;

// A click on clickTarget, from inside the loop (the modal loop throws away
// mouse input that waited for it).
void CALLBACK ClickFromInsideTheLoop(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  PostMessageA(clickTarget, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageA(clickTarget, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

void CALLBACK EndLoopAfterAWhile(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  EndMessageLoop();
}

class Viewer : public DialogTest {
protected:
  // The button of the viewer labelled text.
  HWND Button(PellioTextFileViewer& viewer, const char* text) {
    return FindWindowExA(viewer.GetHandle(), nullptr, nullptr, text);
  }
};

// A file with Windows line ends shows each line once, not followed by a
// blank one; blank lines show as one space.
TEST_F(Viewer, ShowsTheFilesLinesWrapped) {
  Put("readme.txt", "Release notes\r\n\r\n" + std::string(71, 'x').replace(10, 1, " ") + "\r\nend");
  PellioTextFileViewer viewer(qvRect(0, 0, 580, 460), "About Foo", Path("readme.txt").c_str());
  std::string line71(71, 'x');
  line71[10] = ' ';
  EXPECT_EQ(Shown(viewer), (std::vector<std::string>{"Release notes", " ", line71.substr(0, 11), line71.substr(10),
                                                      "end"}));
  char type[64];
  viewer.GetTypeName(type);
  EXPECT_STREQ(type, "PellioTextFileViewer");

  PellioTextFileViewer missing(qvRect(0, 0, 580, 460), "About Foo", Path("none.txt").c_str());
  EXPECT_TRUE(Shown(missing).empty());
}

// On the rectangle the installer passes, then resized through its frame:
// the buttons stay at the bottom right and the list fills the rest.
TEST_F(Viewer, LaysItsControlsOutOnTheClientArea) {
  Put("eula.txt", "Terms.");
  PellioTextFileViewer viewer(qvRect(0, 0, 580, 460), "Software License Agreement", Path("eula.txt").c_str());
  RECT client;
  GetClientRect(viewer.GetHandle(), &client);
  EXPECT_EQ(client.right, 580);
  EXPECT_EQ(client.bottom, 460) << "the resizable frame keeps the client area asked for";
  EXPECT_TRUE(GetWindowLongA(viewer.GetHandle(), GWL_STYLE) & WS_THICKFRAME);
  EXPECT_TRUE(Placed(Button(viewer, "Close")) == (RECT{494, 414, 554, 434}));
  EXPECT_TRUE(Placed(Button(viewer, "Save...")) == (RECT{414, 414, 474, 434}));
  EXPECT_TRUE(Placed(viewer.TextList()->GetHandle()) == (RECT{10, 10, 570, 404}));

  RECT outer;
  GetWindowRect(viewer.GetHandle(), &outer);
  SetWindowPos(viewer.GetHandle(), nullptr, 0, 0, outer.right - outer.left + 100, outer.bottom - outer.top + 50,
               SWP_NOMOVE | SWP_NOZORDER);
  GetClientRect(viewer.GetHandle(), &client);
  const int r = client.right, b = client.bottom;
  EXPECT_EQ(r, 680);
  EXPECT_TRUE(Placed(Button(viewer, "Close")) == (RECT{r - 86, b - 46, r - 26, b - 26}));
  EXPECT_TRUE(Placed(Button(viewer, "Save...")) == (RECT{r - 166, b - 46, r - 106, b - 26}));
  EXPECT_TRUE(Placed(viewer.TextList()->GetHandle()) == (RECT{10, 10, r - 10, b - 56}));
}

// Save writes the lines as shown, each ended by a line feed alone.
TEST_F(Viewer, SaveWritesTheShownLinesWithLineFeeds) {
  Put("readme.txt", "abc\r\n\r\n");
  PellioTextFileViewer viewer(qvRect(0, 0, 580, 460), "About Foo", Path("readme.txt").c_str());
  const std::string target = Path("saved.txt");
  int stage = 0;
  DialogDriver driver([&] {
    const HWND dialog = FindDialog();
    if (!dialog) return stage > 0;
    if (stage++ == 0) {
      SendMessageA(dialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(target.c_str()));
      PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    }
    return false;
  });
  viewer.Notify(kViewerSaveCommand, 0, kEventOther);
  EXPECT_FALSE(driver.GaveUp());
  EXPECT_EQ(Get("saved.txt"), "abc\n \n");

  Put("empty.txt", "");
  PellioTextFileViewer empty(qvRect(0, 0, 580, 460), "About Foo", Path("empty.txt").c_str());
  ASSERT_TRUE(empty.SaveLines(Path("empty-saved.txt").c_str()));
  EXPECT_TRUE(Exists("empty-saved.txt"));
  EXPECT_EQ(Get("empty-saved.txt"), "");
  EXPECT_FALSE(empty.SaveLines(Path("no such folder\\x.txt").c_str()));
}

TEST_F(Viewer, CloseEndsTheModalLoopItRunsIn) {
  Put("readme.txt", "notes");
  PellioTextFileViewer viewer(qvRect(0, 0, 580, 460), "About Foo", Path("readme.txt").c_str());
  viewer.Show();
  clickTarget = Button(viewer, "Close");
  SetTimer(nullptr, 0, 100, ClickFromInsideTheLoop);
  // Should the click not end it, the loop ends after five seconds.
  const UINT_PTR guard = SetTimer(nullptr, 0, 5000, EndLoopAfterAWhile);
  const DWORD start = GetTickCount();
  RunModalLoop(viewer.GetHandle());
  KillTimer(nullptr, guard);
  EXPECT_LT(GetTickCount() - start, 4000u);
}

}  // namespace
