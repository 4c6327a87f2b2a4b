// The installer window and its viewer at the display scale the rig was
// started with (QV_WINE_DPI; tests/app/window/dpi-test.sh runs this at
// 96, 120, 144 and 192 DPI): every place of the 96-DPI layout scaled by
// DPI / 96 and rounded, the panel at its pixels, captions whole, viewer
// rows whole; and a change of DPI sent to the window.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/install/InstallLog.h"
#include "common/Languages.h"
#include "toolkit/controls/qvButton.h"
#include "toolkit/controls/qvCaption.h"
#include "toolkit/controls/qvCheckbox.h"
#include "toolkit/window/WindowHandles.h"
#include "app/window/PellioTextFileViewer.h"
#include "app/window/UninstallWindow.h"
#include "tests/app/window/InstallerWindowFixture.h"
#include "tests/toolkit/controls/AccessibleReading.h"
#include "tests/toolkit/window/MessagePump.h"
#include "tests/imagelib/JpegSamples.h"
#include "toolkit/controls/qvScrollbar.h"
#include "toolkit/controls/qvTextList.h"

namespace {

// The installer declares itself aware of each screen's DPI in its
// manifest; this program does so before its first window: per-monitor
// (version 2, else 1) where the platform knows it, else system-aware.
const bool kAware = [] {
  using SetContext = BOOL(WINAPI*)(HANDLE);
  const HMODULE user32 = GetModuleHandleA("user32.dll");
  const auto set =
      reinterpret_cast<SetContext>(reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
  for (const intptr_t context : {-4, -3})
    if (set && set(reinterpret_cast<HANDLE>(context))) return true;
  return SetProcessDPIAware() != FALSE;
}();

// What the rig was started with; 96 when it does not say.
int RigDpi() {
  const char* value = std::getenv("QV_WINE_DPI");
  return value && *value ? std::atoi(value) : 96;
}

// A 96-DPI length at dpi, rounded to the nearest pixel, written out here
// rather than taken from the code under test.
int At(int value, int dpi) { return (value * dpi + 48) / 96; }
RECT At(const RECT& r, int dpi) { return {At(r.left, dpi), At(r.top, dpi), At(r.right, dpi), At(r.bottom, dpi)}; }

std::string Text(const RECT& r) {
  return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ") to (" + std::to_string(r.right) + ", " +
         std::to_string(r.bottom) + ")";
}

HWND ChildWithText(HWND parent, const char* text) {
  return FindWindowExA(parent, nullptr, nullptr, text);
}

bool Dark(COLORREF c) { return GetRValue(c) < 90 && GetGValue(c) < 90 && GetBValue(c) < 90; }

// The controls of the installer's steps at 96 DPI, by their window text
// (the check box has none).
struct Expected {
  const char* text;
  RECT at96;
  bool caption;
};
const Expected kLayout[] = {
    {"Install", {510, 380, 595, 400}, false},
    {"Cancel", {410, 380, 495, 400}, false},
    {"WELCOME!", {45, 75, 585, 95}, true},
    {"Follow these 4 steps to install Window Foo.", {45, 95, 585, 113}, true},
    {"You must be logged in as an Administrator to install this software.", {45, 113, 585, 133}, true},
    {"STEP 1 - Read the Release Notes.", {45, 150, 270, 170}, true},
    {"Show Release Notes...", {270, 148, 395, 168}, false},
    {"STEP 2 - Accept the terms of the Kestrova Software License Agreement.", {45, 185, 585, 205}, true},
    {"", {100, 206, 250, 226}, false},
    {"Read the License...", {270, 208, 395, 228}, false},
    {"STEP 3 - Use the default location or choose a different location.", {45, 250, 585, 270}, true},
    {"The install location is:", {103, 270, 258, 290}, true},
    {"Change Location...", {270, 293, 395, 313}, false},
    {"STEP 4 - Click the Install button.", {45, 320, 585, 340}, true},
};

class DpiLayout : public InstallerWindow {
protected:
  void SetUp() override {
    InstallerWindow::SetUp();
    ASSERT_TRUE(kAware);
    Put("dist/install files/readme.txt",
        "Release notes with words long enough to wrap at the list's width, at every scale.\r\n" +
            std::string(60, 'x') + "\r\nThe last line.\r\n");
    // A flat picture of 40 at the 96-DPI size: resampled, it stays 40.
    const std::vector<uint8_t> flat = EncodeJpeg(MakeFlatPicture(620, 420, 3, 40), EncodeOptions{100});
    Put("dist/install files/bkgd.jpg", std::string(flat.begin(), flat.end()));
  }
  // The client area, the panel's outline and every control at dpi.
  void ExpectLayout(int dpi) {
    const HWND hwnd = window->GetHandle();
    RECT client;
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, At(620, dpi));
    EXPECT_EQ(client.bottom, At(420, dpi));

    for (const Expected& e : kLayout) {
      SCOPED_TRACE(std::string("\"") + e.text + "\"");
      const HWND control = ChildWithText(hwnd, e.text);
      ASSERT_NE(control, nullptr);
      const RECT placed = Placed(control), expected = At(e.at96, dpi);
      EXPECT_EQ(Text(placed), Text(expected));
    }

    const Snapshot shot(*window);
    const int left = At(25, dpi), top = At(60, dpi), right = At(595, dpi), bottom = At(360, dpi);
    struct Point {
      int x, y, grey;
      const char* what;
    } points[] = {
        {left - 1, At(200, dpi), 40, "left of the panel"},  {left, At(200, dpi), 128, "its left edge"},
        {left + 1, At(200, dpi), 148, "inside it"},         {right, At(300, dpi), 128, "its right edge"},
        {right + 1, At(300, dpi), 40, "right of it"},       {At(300, dpi), top - 1, 40, "above it"},
        {At(300, dpi), top, 128, "its top edge"},           {At(300, dpi), bottom, 128, "its bottom edge"},
        {At(300, dpi), bottom + 1, 40, "below it"},
    };
    for (const Point& p : points)
      EXPECT_TRUE(Near(shot.Colour(p.x, p.y), p.grey, p.grey, p.grey)) << p.what << " at " << p.x << ", " << p.y << ": "
                                                        << shot.At(p.x, p.y);
    EXPECT_TRUE(Dark(shot.Colour(At(510, dpi), At(390, dpi)))) << "Install's outline";
  }

  // Each button's label fits its width, each caption's and the check
  // box's text its height, nothing of the panel overlaps another or passes
  // the panel's edges, and the buttons under the panel stay inside the
  // window.
  void ExpectTextsFit(int dpi) {
    const HWND hwnd = window->GetHandle();
    RECT client;
    GetClientRect(hwnd, &client);
    // The panel: 25 in from the sides, 60 from the top and the bottom.
    const RECT panel = {At(25, dpi), At(60, dpi), client.right - At(25, dpi), client.bottom - At(60, dpi)};
    std::vector<std::pair<RECT, std::string>> inPanel;
    int buttons = 0, captions = 0;
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (!(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) continue;  // the progress text, hidden
      qvWindow* object = WindowFromHandle(child);
      const RECT r = Placed(child);
      const std::string what = std::string(object ? object->GetTitle() : "?") + " at " + Text(r);
      const int width = r.right - r.left, height = r.bottom - r.top;
      if (auto* button = dynamic_cast<qvButton*>(object)) {
        ++buttons;
        EXPECT_LE(button->LabelWidth(), width) << what;
        EXPECT_TRUE(r.right <= client.right && r.bottom <= client.bottom && r.left >= 0) << what;
        if (r.top >= panel.bottom) continue;  // under the panel
      } else if (auto* caption = dynamic_cast<qvCaption*>(object)) {
        ++captions;
        EXPECT_LE(caption->TextHeight(), height) << what;
      } else if (auto* box = dynamic_cast<qvCheckbox*>(object)) {
        EXPECT_LE(box->LabelHeight(), box->LabelRoom()) << what;
      }
      EXPECT_TRUE(r.left >= panel.left && r.top >= panel.top && r.right <= panel.right && r.bottom <= panel.bottom)
          << what << " passes the panel's edge " << Text(panel);
      for (const auto& [other, otherWhat] : inPanel) {
        RECT both;
        EXPECT_FALSE(IntersectRect(&both, &r, &other)) << what << " overlaps " << otherWhat;
      }
      inPanel.emplace_back(r, what);
    }
    EXPECT_EQ(buttons, 5);
    EXPECT_EQ(captions, 10);
  }

  // Each caption's text ends inside it (no ink in its last column or row)
  // and is drawn at the scale.
  void ExpectCaptionsWhole(int dpi) {
    const Snapshot shot(*window);
    for (const Expected& e : kLayout) {
      if (!e.caption) continue;
      SCOPED_TRACE(e.text);
      const RECT r = Placed(ChildWithText(window->GetHandle(), e.text));
      int inkInside = 0, inkAtEdge = 0, inkTop = r.bottom, inkBottom = r.top;
      for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
          if (!Dark(shot.Colour(x, y))) continue;
          ++inkInside;
          if (x == r.right - 1 || y == r.bottom - 1) ++inkAtEdge;
          inkTop = std::min(inkTop, y);
          inkBottom = std::max(inkBottom, y + 1);
        }
      EXPECT_GT(inkInside, 20) << "the text is drawn";
      EXPECT_EQ(inkAtEdge, 0) << "the text runs into the caption's edge";
      // The capitals of the 16-pixel face are 10 pixels tall at 96 DPI, and
      // grow with the scale (hinting rounds them down a little): the text
      // is drawn for the scale, not only its box.
      if (std::string(e.text) == "WELCOME!") {
        EXPECT_GE(inkBottom - inkTop, At(9, dpi)) << "the text is not drawn for the scale";
        EXPECT_LE(inkBottom - inkTop, At(12, dpi));
      }
    }
  }

  // The labels of the buttons and the check box are drawn for the scale
  // too: the height of their ink, inside the outline (buttons) or right
  // of the box (the check box), grows with the DPI.
  void ExpectLabelsScaled(int dpi) {
    const Snapshot shot(*window);
    struct Label {
      const char* text;  // the control's window text; "" for the check box
      RECT ink96;        // where its label's ink lies at 96 DPI, in the control
      int lowest, highest;  // the ink's height at 96 DPI
    } labels[] = {
        {"Install", {4, 4, 81, 16}, 8, 12},
        {"Show Release Notes...", {4, 4, 121, 16}, 8, 11},
        {"", {16, 0, 150, 20}, 11, 14},  // "p" reaches below the line
    };
    for (const Label& l : labels) {
      SCOPED_TRACE(std::string("\"") + l.text + "\"");
      const RECT r = Placed(ChildWithText(window->GetHandle(), l.text));
      const RECT area = At(l.ink96, dpi);
      int inkTop = r.bottom, inkBottom = r.top;
      for (int y = r.top + area.top; y < r.top + area.bottom; ++y)
        for (int x = r.left + area.left; x < r.left + area.right; ++x)
          if (Dark(shot.Colour(x, y))) {
            inkTop = std::min(inkTop, y);
            inkBottom = std::max(inkBottom, y + 1);
          }
      EXPECT_GE(inkBottom - inkTop, At(l.lowest, dpi)) << "the label is not drawn for the scale";
      EXPECT_LE(inkBottom - inkTop, At(l.highest, dpi));
    }
  }

};

TEST_F(DpiLayout, TheWindowAndItsControlsAtTheScaledPlaces) {
  const int dpi = RigDpi();
  Open();
  EXPECT_EQ(window->GetDpi(), dpi) << "the window is laid out for the screen's DPI";
  ExpectLayout(dpi);
  ExpectCaptionsWhole(dpi);
  ExpectLabelsScaled(dpi);
}

// Every language at the rig's scale: each button's label fits its width,
// each caption's and the check box's text its height, nothing of the panel
// overlaps another or passes the panel's edges, and the buttons under the
// panel stay inside the window. A text that needs more room gets it (the
// window grows), never cut.
TEST_F(DpiLayout, EveryTextFitsItsControlInEveryLanguage) {
  for (const Language& language : Languages()) {
    SCOPED_TRACE(language.tag);
    SetupOptions options;
    options.language = language.tag;
    window = std::make_unique<QuorvinUI>(qvRect(0, 0, 620, 420),
                                         PrepareInstallFrom(Path("dist/install files"), "", options, SetupMode::kWindow));
    window->SetLocation(Path("target").c_str());
    ExpectTextsFit(window->GetDpi());
    // The viewer's buttons, widened to the left as their labels need.
    PellioTextFileViewer viewer(qvRect(0, 0, 500, 300), "Notes", Path("dist/install files/readme.txt").c_str(),
                                window.get());
    std::vector<RECT> buttons;
    for (HWND child = GetWindow(viewer.GetHandle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      if (auto* button = dynamic_cast<qvButton*>(WindowFromHandle(child))) {
        const RECT r = Placed(child);
        EXPECT_LE(button->LabelWidth(), r.right - r.left) << button->GetTitle();
        for (const RECT& other : buttons) {
          RECT both;
          EXPECT_FALSE(IntersectRect(&both, &r, &other)) << button->GetTitle() << " overlaps another button";
        }
        buttons.push_back(r);
      }
    EXPECT_EQ(buttons.size(), 2u);
    window.reset();
  }
}

// A high-contrast theme, answered for the toolkit (Wine cannot turn one on)
// and its colours made the system's: the window, its captions, its buttons
// and the viewer take the system's colours and no picture is drawn behind
// them; the theme turned on and off while the window is open repaints it.
// In this rig of its own: the system's colours change for every program.
TEST_F(DpiLayout, HighContrastTakesTheSystemsColours) {
  const int dpi = RigDpi();
  const int indices[] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_GRAYTEXT,
                         COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT};
  const COLORREF contrast[] = {RGB(0, 0, 96), RGB(255, 255, 255), RGB(0, 96, 0), RGB(255, 255, 0),
                               RGB(0, 255, 0), RGB(128, 0, 128), RGB(0, 255, 255)};
  COLORREF saved[std::size(indices)];
  for (size_t i = 0; i < std::size(indices); ++i) saved[i] = GetSysColor(indices[i]);
  SetEnvironmentVariableA("QV_TEST_HIGH_CONTRAST", "0");
  Open();
  const auto repaint = [&] {
    RedrawWindow(window->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump(200);
  };
  const POINT panel = {At(300, dpi), At(236, dpi)};  // inside the panel, between its rows
  const RECT install = Placed(ChildWithText(window->GetHandle(), "Install"));
  const POINT face = {install.left + At(6, dpi), install.top + At(4, dpi)};
  EXPECT_TRUE(Near(Snapshot(*window).Colour(panel.x, panel.y), 148, 148, 148)) << "the panel, before";

  // On while the window is open: the system says its colours changed.
  SetEnvironmentVariableA("QV_TEST_HIGH_CONTRAST", "1");
  ASSERT_TRUE(SetSysColors(static_cast<int>(std::size(indices)), indices, contrast));
  repaint();
  {
    const Snapshot shot(*window);
    EXPECT_EQ(shot.Colour(panel.x, panel.y), contrast[0]) << "the window's colour behind the steps";
    EXPECT_EQ(shot.Colour(face.x, face.y), contrast[2]) << "Install's face";
    int labelInk = 0, pictureLeft = 0;
    for (int y = install.top; y < install.bottom; ++y)
      for (int x = install.left; x < install.right; ++x) labelInk += shot.Colour(x, y) == contrast[1];
    for (int y = 0; y < shot.height; ++y)
      for (int x = 0; x < shot.width; ++x) {
        const COLORREF c = shot.Colour(x, y);
        pictureLeft += Near(c, 40, 40, 40) || Near(c, 148, 148, 148) || Near(c, 128, 128, 128);
      }
    EXPECT_GT(labelInk, 10) << "Install's label and outline in the text colour";
    for (HWND child = GetWindow(window->GetHandle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (!dynamic_cast<qvButton*>(WindowFromHandle(child))) continue;
      const RECT b = Placed(child);
      EXPECT_EQ(shot.Colour(b.left + At(6, dpi), b.top + At(4, dpi)), contrast[2]) << "a button's face at " << Text(b);
    }
    EXPECT_EQ(pictureLeft, 0) << "nothing of the picture or the panel's greys is drawn";
    const RECT welcome = Placed(ChildWithText(window->GetHandle(), "WELCOME!"));
    int textInk = 0;
    for (int y = welcome.top; y < welcome.bottom; ++y)
      for (int x = welcome.left; x < welcome.right; ++x) textInk += shot.Colour(x, y) == contrast[1];
    EXPECT_GT(textInk, 10) << "the caption's text in the window text colour";
  }
  // The viewer too: its list on the window's colour, its lines in the text colour.
  PellioTextFileViewer viewer(qvRect(0, 0, 500, 300), "Notes", Path("dist/install files/readme.txt").c_str(),
                              window.get());
  viewer.Show();
  RedrawWindow(viewer.GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Pump(200);
  {
    const Snapshot shot(viewer);
    int window = 0, text = 0;
    for (int y = 0; y < shot.height; ++y)
      for (int x = 0; x < shot.width; ++x) {
        window += shot.Colour(x, y) == contrast[0];
        text += shot.Colour(x, y) == contrast[1];
      }
    EXPECT_GT(window, shot.width * shot.height / 3) << "the list's background";
    EXPECT_GT(text, 50) << "the lines";
  }


  // Off again: the picture and the toolkit's greys come back.
  SetEnvironmentVariableA("QV_TEST_HIGH_CONTRAST", "0");
  ASSERT_TRUE(SetSysColors(static_cast<int>(std::size(indices)), indices, saved));
  repaint();
  EXPECT_TRUE(Near(Snapshot(*window).Colour(panel.x, panel.y), 148, 148, 148)) << "the panel, after";
  SetEnvironmentVariableA("QV_TEST_HIGH_CONTRAST", nullptr);
}

// Arabic and Hebrew: the window is mirrored as Windows mirrors (its steps'
// buttons left of their texts, Install at the left, the check box right of
// its label), where the screen reader finds its controls too; the picture
// is not mirrored (dark on its left half, light on its right, as drawn for
// English); the location keeps its own left-to-right order inside the
// right-to-left text.
TEST_F(DpiLayout, RightToLeftLanguagesAreMirroredButNotThePicture) {
  const int dpi = RigDpi();
  ComApartment com;
  SamplePicture halves = MakeFlatPicture(620, 420, 3, 30);
  for (int y = 0; y < 420; ++y)
    for (int x = 310; x < 620; ++x)
      for (int c = 0; c < 3; ++c) halves.samples[(y * 620 + x) * 3 + c] = 220;
  const std::vector<uint8_t> jpeg = EncodeJpeg(halves, EncodeOptions{100});
  Put("dist/install files/bkgd.jpg", std::string(jpeg.begin(), jpeg.end()));
  for (const char* tag : {"en", "ar", "he"}) {
    SCOPED_TRACE(tag);
    SetupOptions options;
    options.language = tag;
    window = std::make_unique<QuorvinUI>(qvRect(0, 0, 620, 420),
                                         PrepareInstallFrom(Path("dist/install files"), "", options, SetupMode::kWindow));
    window->SetLocation("C:\\Plug-ins\\Kestrova");
    window->Show();
    BringToFront(window->GetHandle());
    RedrawWindow(window->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const bool mirrored = std::string(tag) != "en";
    EXPECT_EQ((GetWindowLongW(window->GetHandle(), GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0, mirrored);

    // Places on the screen, as a screen reader reads them (accLocation
    // of each control's object), and as the platform has them.
    RECT frame;
    GetWindowRect(window->GetHandle(), &frame);
    const auto screen = [](HWND child) {
      RECT r;
      GetWindowRect(child, &r);
      IAccessible* object = ClientObject(child);
      VARIANT self;
      VariantInit(&self);
      self.vt = VT_I4;
      self.lVal = CHILDID_SELF;
      long left = 0, top = 0, width = 0, height = 0;
      EXPECT_TRUE(object && object->accLocation(&left, &top, &width, &height, self) == S_OK);
      if (object) object->Release();
      EXPECT_EQ(Text({left, top, left + width, top + height}), Text(r)) << "the screen reader's place";
      return r;
    };
    std::vector<HWND> buttons, captions;
    for (HWND child = GetWindow(window->GetHandle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      qvWindow* object = WindowFromHandle(child);
      if (dynamic_cast<qvButton*>(object)) buttons.push_back(child);
      if (dynamic_cast<qvCaption*>(object)) captions.push_back(child);
    }
    ASSERT_EQ(buttons.size(), 5u);
    // Made in reading order: the release notes' button, then Cancel and Install last.
    const RECT install = screen(buttons[4]), cancel = screen(buttons[3]), notes = screen(buttons[0]);
    const int middle = (frame.left + frame.right) / 2;
    EXPECT_EQ(install.right < middle, mirrored) << "Install at the " << (mirrored ? "left" : "right");
    EXPECT_EQ(install.right <= cancel.left, mirrored) << "Install beyond Cancel in reading order";
    const RECT step1 = screen(captions[3]);
    EXPECT_EQ(notes.right <= step1.left + 2, mirrored) << "the button after its step's text in reading order";

    // The picture as drawn for English: dark at the left, light at the right.
    const Snapshot shot(*window);
    const auto grey = [&](int x, int y) { return GetRValue(shot.Colour(x, y)); };
    EXPECT_LT(grey(At(5, dpi), At(30, dpi)), 60) << "the picture's left half at the left";
    EXPECT_GT(grey(shot.width - At(5, dpi), At(30, dpi)), 190) << "its right half at the right";

    // The location between embedding marks: read left to right whatever
    // the text around it.
    std::wstring location;
    for (HWND caption : captions) {
      wchar_t text[512] = L"";
      GetWindowTextW(caption, text, 512);
      if (std::wstring(text).find(L"Plug-ins") != std::wstring::npos) location = text;
    }
    EXPECT_EQ(location, mirrored ? L"\u202AC:/Plug-ins/Kestrova\u202C" : L"C:/Plug-ins/Kestrova");

    // The viewer opened over it is mirrored too: Close, last in reading
    // order, at the left of Save.
    {
      PellioTextFileViewer viewer(qvRect(0, 0, 500, 300), "Notes", Path("dist/install files/readme.txt").c_str(),
                                  window.get());
      EXPECT_EQ((GetWindowLongW(viewer.GetHandle(), GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0, mirrored);
      std::vector<RECT> row;
      for (HWND child = GetWindow(viewer.GetHandle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (dynamic_cast<qvButton*>(WindowFromHandle(child))) row.push_back(screen(child));
      ASSERT_EQ(row.size(), 2u);  // Close, then Save, as made
      EXPECT_EQ(row[0].right <= row[1].left, mirrored) << "Close " << Text(row[0]) << ", Save " << Text(row[1]);
    }
    window.reset();
  }
}

// A screen too small for the window at its scale (dpi-test.sh runs this
// at 192 DPI on 1024 x 768): the window takes the largest scale at which
// it fits, whole, on the screen.
TEST_F(DpiLayout, AScreenTooSmallForTheScaleGetsAWindowThatFits) {
  RECT work;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  const int dpi = RigDpi();
  if (At(620, dpi) <= work.right - work.left && At(420, dpi) + At(60, dpi) <= work.bottom - work.top)
    GTEST_SKIP() << "the screen holds the window at " << dpi << " DPI";
  Open();
  EXPECT_LT(window->GetDpi(), dpi);
  EXPECT_GE(window->GetDpi(), 96);
  RECT outer;
  GetWindowRect(window->GetHandle(), &outer);
  EXPECT_GE(outer.left, work.left);
  EXPECT_GE(outer.top, work.top);
  EXPECT_LE(outer.right, work.right);
  EXPECT_LE(outer.bottom, work.bottom);
  // At the scale it takes, which the layout's places were not made for,
  // the texts get the room they need.
  ExpectTextsFit(window->GetDpi());

  // The viewer, asked for larger than the window, fits the screen too.
  RECT client;
  GetClientRect(window->GetHandle(), &client);
  PellioTextFileViewer viewer(qvRect(0, 0, client.right, client.bottom + At(200, dpi)), "Notes",
                              Path("dist/install files/readme.txt").c_str(), window.get());
  viewer.Show();
  GetWindowRect(viewer.GetHandle(), &outer);
  EXPECT_GE(outer.left, work.left);
  EXPECT_GE(outer.top, work.top);
  EXPECT_LE(outer.right, work.right);
  EXPECT_LE(outer.bottom, work.bottom);
}

// The viewer opened over the window: its list shows whole rows, no row's
// text reaches the vertical bar, and the buttons are where the scale puts
// them.
TEST_F(DpiLayout, TheViewersRowsStayWhole) {
  const int dpi = RigDpi();
  QuorvinUI& owner = Open();
  RECT outer;
  GetClientRect(owner.GetHandle(), &outer);
  PellioTextFileViewer viewer(qvRect(0, 0, outer.right - At(40, dpi), outer.bottom + At(40, dpi)), "Notes",
                              Path("dist/install files/readme.txt").c_str(), &owner);
  viewer.Show();
  BringToFront(viewer.GetHandle());
  RedrawWindow(viewer.GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);

  RECT area;
  GetClientRect(viewer.GetHandle(), &area);
  EXPECT_EQ(Text(Placed(ChildWithText(viewer.GetHandle(), "Close"))),
            Text({area.right - At(86, dpi), area.bottom - At(46, dpi), area.right - At(26, dpi),
                  area.bottom - At(26, dpi)}));

  qvTextList& list = *viewer.TextList();
  const RECT listRect = Placed(list.GetHandle());
  const RECT bar = Placed(list.VerticalBar()->GetHandle());
  EXPECT_EQ(bar.right - bar.left, At(16, dpi)) << "the bar is as thick as the scale makes it";
  const int rowHeight = At(15, dpi);
  const int rows = (listRect.bottom - listRect.top - 2) / rowHeight;
  EXPECT_EQ(list.VisibleLines(), rows);

  const Snapshot shot(viewer);
  // Below the last whole row and above the horizontal bar, and in the gap
  // before the vertical bar, nothing is drawn: a cut row or a hidden word
  // would leave ink there.
  int inkBelow = 0, inkBeside = 0, inkInRows = 0;
  const int listLeft = listRect.left, listTop = listRect.top;
  const int barTop = Placed(list.HorizontalBar()->GetHandle()).top + listTop;
  for (int y = listTop + 1; y < barTop; ++y)
    for (int x = listLeft + 1; x < listLeft + bar.left; ++x) {
      if (!Dark(shot.Colour(x, y))) continue;
      if (y >= listTop + rows * rowHeight) ++inkBelow;
      else if (x >= listLeft + bar.left - 2) ++inkBeside;
      else ++inkInRows;
    }
  EXPECT_GT(inkInRows, 100) << "the rows are drawn";
  EXPECT_EQ(inkBelow, 0) << "a row cut by the list's bottom";
  EXPECT_EQ(inkBeside, 0) << "text running under the vertical bar";

  // Moved to a screen of another scale, the viewer takes the suggested
  // rectangle and lays its controls out for the new DPI.
  const int newDpi = dpi == 96 ? 144 : 96;
  RECT suggested = {2, 3, 2 + At(600, newDpi), 3 + At(500, newDpi)};
  SendMessageA(viewer.GetHandle(), WM_DPICHANGED, MAKEWPARAM(newDpi, newDpi), reinterpret_cast<LPARAM>(&suggested));
  RECT moved;
  GetWindowRect(viewer.GetHandle(), &moved);
  EXPECT_EQ(Text(moved), Text(suggested));
  GetClientRect(viewer.GetHandle(), &area);
  EXPECT_EQ(Text(Placed(ChildWithText(viewer.GetHandle(), "Close"))),
            Text({area.right - At(86, newDpi), area.bottom - At(46, newDpi), area.right - At(26, newDpi),
                  area.bottom - At(26, newDpi)}));
  const RECT newBar = Placed(list.VerticalBar()->GetHandle());
  EXPECT_EQ(newBar.right - newBar.left, At(16, newDpi));
}

// WM_DPICHANGED, as the platform sends it when the window moves to a
// screen of another scale: the window takes the new size at the place
// suggested, and lays everything out for the new DPI.
TEST_F(DpiLayout, AChangeOfDpiLaysTheWindowOutAgain) {
  const int dpi = RigDpi();
  const int newDpi = dpi == 96 ? 144 : 96;
  Open();
  // At the screen's top left corner, so that all of it shows on the rig's
  // screen.
  RECT suggested = {2, 3, 2 + At(640, newDpi), 3 + At(460, newDpi)};
  SendMessageA(window->GetHandle(), WM_DPICHANGED, MAKEWPARAM(newDpi, newDpi), reinterpret_cast<LPARAM>(&suggested));
  RedrawWindow(window->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT after;
  GetWindowRect(window->GetHandle(), &after);
  EXPECT_EQ(after.left, suggested.left);
  EXPECT_EQ(after.top, suggested.top);
  EXPECT_EQ(window->GetDpi(), newDpi);
  ExpectLayout(newDpi);
  ExpectCaptionsWhole(newDpi);

  // A value outside what the platform sends is not taken.
  SendMessageA(window->GetHandle(), WM_DPICHANGED, MAKEWPARAM(0, 0), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(window->GetDpi(), newDpi);
}

// The uninstaller's window at the scale of the screen, and again after a
// change of scale: its client area and every control where the 96-DPI
// layout puts them, scaled.
TEST(UninstallerDpi, TheWindowAndItsControlsAtTheScaledPlaces) {
  ASSERT_TRUE(kAware);
  UninstallSetup setup;
  setup.record.product = "Window Foo";
  setup.record.version = "1.0";
  setup.record.destination = "C:\\Program Files\\Window Foo";
  InstallLog log("");
  UninstallWindow window(setup, &log);
  window.Show();
  const auto expect = [&](int dpi) {
    RECT client;
    GetClientRect(window.GetHandle(), &client);
    EXPECT_EQ(client.right, At(460, dpi));
    EXPECT_EQ(client.bottom, At(210, dpi));
    const struct {
      const char* text;
      RECT at96;
    } layout[] = {
        {"Remove Window Foo and its files?", {20, 20, 440, 40}},
        {"Version 1.0, installed in C:/Program Files/Window Foo", {20, 45, 440, 63}},
        {"Remove", {260, 175, 345, 195}},
        {"Cancel", {355, 175, 440, 195}},
    };
    for (const auto& c : layout) {
      SCOPED_TRACE(c.text);
      const HWND control = ChildWithText(window.GetHandle(), c.text);
      ASSERT_NE(control, nullptr);
      EXPECT_EQ(Text(Placed(control)), Text(At(c.at96, dpi)));
    }
  };
  const int dpi = RigDpi();
  EXPECT_EQ(window.GetDpi(), dpi);
  expect(dpi);
  const int newDpi = dpi == 96 ? 144 : 96;
  RECT suggested = {2, 3, 2 + At(480, newDpi), 3 + At(250, newDpi)};
  SendMessageA(window.GetHandle(), WM_DPICHANGED, MAKEWPARAM(newDpi, newDpi), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(window.GetDpi(), newDpi);
  expect(newDpi);
}

}  // namespace
