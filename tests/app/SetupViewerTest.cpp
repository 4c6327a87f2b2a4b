// The text viewer of the real setup.exe, end to end: modal and owned, its
// scroll range ending at the last line, fitted to the screen, its save
// dialog centred over it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/app/Scratch.h"
#include "tests/app/SetupDriver.h"
#include "tests/toolkit/controls/AccessibleReading.h"
#include "tests/toolkit/window/MessagePump.h"

namespace {

std::string SetupExe() {
  std::string path = "Z:" QV_SETUP_EXE;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

bool Dark(COLORREF c) { return GetRValue(c) < 90 && GetGValue(c) < 90 && GetBValue(c) < 90; }

RECT Outer(HWND hwnd) {
  RECT r = {};
  GetWindowRect(hwnd, &r);
  return r;
}

class SetupViewer : public ScratchTest {
protected:
  // A distribution whose licence has count numbered clauses, one a line,
  // and a last one that says so.
  void MakeDist(int clauses) {
    MakeFolder("dist/install files");
    ASSERT_TRUE(CopyFileA(SetupExe().c_str(), Path("dist/setup.exe").c_str(), FALSE));
    Put("dist/install files/product.txt", "Foo\r\n");
    Put("dist/install files/readme.txt", "Release notes.\r\n");
    std::string terms;
    for (int i = 1; i < clauses; ++i) terms += "Clause " + std::to_string(i) + ".\r\n";
    Put("dist/install files/eula.txt", terms + "The last clause.\r\n");
    Put("dist/install files/FX Files/Plug-in.aex", "plug-in bytes");
  }
  // Starts the installer and opens the licence; the viewer's window.
  HWND OpenLicence() {
    if (!driver.Start(Path("dist"))) return nullptr;
    main = driver.WaitForWindow("Install ");
    if (!main) return nullptr;
    driver.BringToFront();
    driver.Click(driver.Control("Read the License..."));
    return driver.WaitForWindow("Software License Agreement");
  }
  // The viewer's text list and its bars.
  HWND List(HWND viewer) const { return driver.Control("qvTextList", viewer); }
  HWND Bar(HWND viewer, const char* name) const {
    for (HWND child = GetWindow(List(viewer), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      if (Describe(child).rfind(std::string("scroll bar \"") + name + "\"", 0) == 0) return child;
    return nullptr;
  }
  // The position the vertical bar reports to a screen reader.
  int TopLine(HWND viewer) const {
    const std::string said = Describe(Bar(viewer, "Vertical"));
    const size_t at = said.find("value \"");
    return at == std::string::npos ? -1 : std::atoi(said.c_str() + at + 7);
  }
  // Whether the list's bottom row, read off the screen, holds ink. The
  // driver's window is the viewer once it has opened.
  bool BottomRowDrawn(HWND viewer, int rows) const {
    RECT list;
    GetWindowRect(List(viewer), &list);
    MapWindowPoints(nullptr, viewer, reinterpret_cast<POINT*>(&list), 2);
    int ink = 0;
    for (int y = list.top + 1 + (rows - 1) * 15; y < list.top + 1 + rows * 15; ++y)
      for (int x = list.left + 2; x < list.left + 120; ++x) ink += Dark(driver.Pixel(x, y));
    return ink > 10;
  }
  void CloseAndQuit(HWND viewer) {
    driver.Click(driver.Control("Close", viewer));
    ASSERT_EQ(driver.WaitForWindow("Install "), main);
    driver.BringToFront();
    driver.Click(driver.Control("Cancel"));
    EXPECT_EQ(driver.WaitForExit(), 4u);
  }

  SetupDriver driver;
  HWND main = nullptr;
};

// While the viewer is open the window it belongs to takes no click: Install
// does nothing, no message opens behind the viewer, and the viewer stays in
// front. Closed, the window takes clicks again.
TEST_F(SetupViewer, IsModalAndOwned) {
  MakeDist(3);
  const HWND viewer = OpenLicence();
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(GetWindow(viewer, GW_OWNER), main);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowEnabled(main); }, 2000)) << "the window waits, disabled";
  // Moved off the window, so that a click can reach Install.
  SetWindowPos(viewer, nullptr, 0, 0, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
  Pump(200);
  const HWND install = driver.Control("Install", main);
  driver.Click(install);
  Pump(500);
  EXPECT_EQ(driver.WaitForDialog("Attention !", 300), nullptr) << "Install was acted on";
  EXPECT_EQ(GetForegroundWindow(), viewer);
  EXPECT_FALSE(driver.Shows("Installing. Please wait..."));
  CloseAndQuit(viewer);
}

// End and Page Down reach the last line and no further: the range ends
// where the last line is the bottom row, which shows it; rows that fit the
// width bring no horizontal bar.
TEST_F(SetupViewer, EndAndPageDownShowTheLastLine) {
  const int lines = 300;
  MakeDist(lines);
  const HWND viewer = OpenLicence();
  ASSERT_NE(viewer, nullptr);
  ComApartment com;
  RECT list;
  GetClientRect(List(viewer), &list);
  const int rows = (list.bottom - 2) / 15, last = lines - rows;
  ASSERT_NE(Bar(viewer, "Vertical"), nullptr);
  EXPECT_FALSE(IsWindowVisible(Bar(viewer, "Horizontal")));
  EXPECT_EQ(TopLine(viewer), 0);

  driver.Key(VK_END);
  EXPECT_TRUE(PumpUntil([&] { return TopLine(viewer) == last; }, 2000)) << TopLine(viewer) << " for " << last;
  Pump(200);
  EXPECT_TRUE(BottomRowDrawn(viewer, rows)) << "the last line is on the bottom row";
  driver.Key(VK_DOWN);
  EXPECT_EQ(TopLine(viewer), last) << "no blank rows past the text";

  driver.Key(VK_HOME);
  for (int i = 0; i < lines / rows + 2; ++i) driver.Key(VK_NEXT);
  EXPECT_EQ(TopLine(viewer), last);
  CloseAndQuit(viewer);
}

// The viewer lies within the screen, its buttons and the strip at its
// foot, and "Save..." opens its dialog centred over it.
TEST_F(SetupViewer, FitsTheScreenAndCentresItsSaveDialog) {
  MakeDist(3);
  const HWND viewer = OpenLicence();
  ASSERT_NE(viewer, nullptr);
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const RECT outer = Outer(viewer);
  EXPECT_GE(outer.left, work.left);
  EXPECT_GE(outer.top, work.top);
  EXPECT_LE(outer.right, work.right);
  EXPECT_LE(outer.bottom, work.bottom);
  RECT client;
  GetClientRect(viewer, &client);
  RECT close = Outer(driver.Control("Close", viewer));
  MapWindowPoints(nullptr, viewer, reinterpret_cast<POINT*>(&close), 2);
  EXPECT_EQ(client.bottom - close.bottom, 26) << "no empty strip below the buttons";
  // Along the foot, the strip of the program's bitmap 22020 (its bottom
  // and top rows), the viewer's grey above it.
  BringWindowToTop(viewer);
  Pump(200);
  for (int x : {0, 7, static_cast<int>(client.right) / 2, static_cast<int>(client.right) - 1}) {
    EXPECT_EQ(driver.Pixel(x, client.bottom - 1), RGB(84, 84, 86)) << x;
    EXPECT_EQ(driver.Pixel(x, client.bottom - 20), RGB(92, 92, 94)) << x;
    EXPECT_EQ(driver.Pixel(x, client.bottom - 21), RGB(140, 140, 140)) << x;
  }

  driver.Click(driver.Control("Save...", viewer));
  HWND dialog = nullptr;
  PumpUntil(
      [&] {
        for (HWND hwnd : driver.Windows()) {
          char kind[16] = {};
          GetClassNameA(hwnd, kind, sizeof kind);
          if (std::string(kind) == "#32770" && GetWindow(hwnd, GW_OWNER) == viewer && IsWindowVisible(hwnd))
            dialog = hwnd;
        }
        return dialog != nullptr;
      },
      10000);
  ASSERT_NE(dialog, nullptr) << "the viewer's own save dialog";
  const RECT box = Outer(dialog);
  EXPECT_NEAR((box.left + box.right) / 2, (outer.left + outer.right) / 2, 2) << "centred across";
  EXPECT_NEAR((box.top + box.bottom) / 2, (outer.top + outer.bottom) / 2, 2) << "and up and down";
  driver.Answer(dialog, IDCANCEL);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(dialog); }, 5000));
  CloseAndQuit(viewer);
}

}  // namespace
