#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app/install/InstallLog.h"
#include "app/window/PellioTextFileViewer.h"
#include "common/AnsiText.h"
#include "tests/toolkit/files/DialogDriver.h"
#include "tests/toolkit/window/WindowTesting.h"
#include "toolkit/controls/qvScrollbar.h"
#include "toolkit/controls/qvTextList.h"
#include "toolkit/draw/qvDrawingItem.h"
#include "toolkit/window/MessageDispatch.h"

namespace {

const qvRect kInstallerRect(0, 0, 580, 460);

std::vector<std::string> Shown(PellioTextFileViewer& viewer) {
  std::vector<std::string> lines;
  for (const std::wstring& row : viewer.TextList()->Lines()) {
    std::string ansi;
    EXPECT_TRUE(AnsiFromWide(row, &ansi));
    lines.push_back(ansi);
  }
  return lines;
}

bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// A row's width in the list's font, measured here on the screen's context.
int DrawnWidth(const std::string& row) {
  qvFont font(qvFontLarge);
  const HDC dc = GetDC(nullptr);
  font.SelectInto(dc);
  SIZE size = {};
  GetTextExtentPoint32A(dc, row.data(), static_cast<int>(row.size()), &size);
  font.Deselect();
  ReleaseDC(nullptr, dc);
  return size.cx;
}

std::string WithoutSpaces(const std::string& text) {
  std::string kept;
  for (char c : text)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') kept += c;
  return kept;
}

// Every row shows whole left of the vertical bar, none starts with a
// space, and together they hold every character of the text but its
// spaces and line ends.
void ExpectEveryWordShown(PellioTextFileViewer& viewer, const std::string& text) {
  const LONG barLeft = Placed(viewer.TextList()->VerticalBar()->GetHandle()).left;
  std::string shown;
  for (const std::string& row : Shown(viewer)) {
    EXPECT_LE(kTextInset + DrawnWidth(row), barLeft) << "hidden under the bar: \"" << row << "\"";
    EXPECT_TRUE(row.empty() || (row[0] != ' ' && row.find('\t') == std::string::npos)) << "\"" << row << "\"";
    shown += row;
  }
  EXPECT_EQ(WithoutSpaces(shown), WithoutSpaces(text));
}

// UTF-8 text in the ANSI code page, which holds every character of the
// sample licence.
std::string AnsiOfUtf8(const std::string& utf8) {
  std::wstring wide(utf8.size(), L'\0');
  const int size = static_cast<int>(utf8.size());
  wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, &wide[0], size)));
  std::string ansi;
  EXPECT_TRUE(AnsiFromWide(wide, &ansi));
  return ansi;
}

std::string Repeated(const std::string& piece, int times) {
  std::string text;
  while (times-- > 0) text += piece;
  return text;
}

class Viewer : public DialogTest {
protected:
  // The button of the viewer labelled text.
  HWND Button(PellioTextFileViewer& viewer, const char* text) {
    return FindWindowExA(viewer.GetHandle(), nullptr, nullptr, text);
  }
  // Shown in front with the keyboard on target.
  void Present(PellioTextFileViewer& viewer, HWND target) {
    viewer.Show();
    SetForegroundWindow(viewer.GetHandle());
    PumpUntil([&] { return GetForegroundWindow() == viewer.GetHandle(); }, 1000);
    SetFocus(target);
    PumpUntil([&] { return GetFocus() == target; }, 1000);
  }
};

TEST_F(Viewer, RowsFitTheListAndHideNoWord) {
  std::ifstream licence(QV_SAMPLE_LICENCE, std::ios::binary);
  std::ostringstream sample;
  sample << licence.rdbuf();
  ASSERT_FALSE(sample.str().empty());
  struct Case {
    const char* what;
    std::string text;
    std::string shown;  // the text in the ANSI code page, when it differs
  } cases[] = {
      {"the sample licence (UTF-8)", sample.str(), AnsiOfUtf8(sample.str())},
      {"long words", Repeated("Incomprehensibilities Counterrevolutionaries WWWWWWWW ", 30)},
      {"a word longer than a row", std::string(400, 'M') + " end"},
      {"tabs", "Name:\tValue\tMore\r\n" + Repeated("cell\t", 40)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Put("text.txt", c.text);
    PellioTextFileViewer viewer(kInstallerRect, "Text", Path("text.txt").c_str());
    ExpectEveryWordShown(viewer, c.shown.empty() ? c.text : c.shown);
  }

  Put("readme.txt", "one\r\n\r\nab\tx\r\n\t\ty");
  PellioTextFileViewer viewer(kInstallerRect, "About Foo", Path("readme.txt").c_str());
  EXPECT_EQ(Shown(viewer), (std::vector<std::string>{"one", "", "ab      x", std::string(16, ' ') + "y"}))
      << "blank lines stay; tabs go to the next multiple of 8 columns";
}

// The UTF-16 bytes of text in either order, after the byte-order mark.
std::string Utf16Bytes(const std::wstring& text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (wchar_t unit : text) {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

// The list's first rows as drawn, against rows drawn here through the
// platform's wide call in the list's font on the list's background, one
// row height apart (a row's descenders reach into the next): the same
// pixels, or the list drew other characters.
bool RowsDrawnAs(qvTextList& list, const std::vector<std::wstring>& rows) {
  const Snapshot shot(list);
  const RECT area = list.TextArea();
  const int width = area.right - area.left, height = kTextRowHeight * static_cast<int>(rows.size() + 1);
  const HDC screen = GetDC(nullptr);
  const HDC dc = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  const HGDIOBJ old = SelectObject(dc, bitmap);
  const HBRUSH background = CreateSolidBrush(shot.Colour(area.right - 2, area.bottom - 2));
  const RECT all = {0, 0, width, height};
  FillRect(dc, &all, background);
  qvFont font(qvFontLarge, list.GetDpi());
  font.SelectInto(dc);
  SetBkMode(dc, TRANSPARENT);
  for (size_t i = 0; i < rows.size(); ++i)
    ExtTextOutW(dc, kTextInset - area.left, static_cast<int>(i) * kTextRowHeight, 0, nullptr, rows[i].data(),
                static_cast<UINT>(rows[i].size()), nullptr);
  font.Deselect();
  bool same = true;
  for (int y = 0; y < height && same; ++y)
    for (int x = 0; x < width && same; ++x) same = GetPixel(dc, x, y) == shot.Colour(area.left + x, area.top + y);
  SelectObject(dc, old);
  DeleteObject(background);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return same;
}

// A licence in any common encoding shows its own characters, the
// byte-order mark never among them, and is saved as the bytes it was.
TEST_F(Viewer, TextsInEachEncodingShowTheirOwnCharacters) {
  const std::wstring french = L"Caf\u00E9 \u2013 \u201Cquoted\u201D 5 \u20AC", polish = L"Za\u017C\u00F3\u0142\u0107 g\u0119\u015Bl\u0105";
  const std::string utf8 = "Caf\xC3\xA9 \xE2\x80\x93 \xE2\x80\x9Cquoted\xE2\x80\x9D 5 \xE2\x82\xAC\r\n"
                           "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 g\xC4\x99\xC5\x9Bl\xC4\x85\r\n";
  struct Case {
    const char* what;
    std::string bytes;
    TextEncoding encoding;
    std::vector<std::wstring> rows;
  } cases[] = {
      {"UTF-8 with its mark", "\xEF\xBB\xBF" + utf8, TextEncoding::kUtf8, {french, polish}},
      {"UTF-8 without", utf8, TextEncoding::kUtf8, {french, polish}},
      {"UTF-16, little-endian", Utf16Bytes(french + L"\r\n" + polish, false), TextEncoding::kUtf16LittleEndian,
       {french, polish}},
      {"UTF-16, big-endian", Utf16Bytes(french + L"\n" + polish + L"\n", true), TextEncoding::kUtf16BigEndian,
       {french, polish}},
      {"the ANSI code page (1252)", "Caf\xE9 \x96 \x93quoted\x94 5 \x80\r\n", TextEncoding::kAnsi, {french}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Put("eula.txt", c.bytes);
    PellioTextFileViewer viewer(kInstallerRect, "Software License Agreement", Path("eula.txt").c_str());
    EXPECT_EQ(viewer.Encoding(), c.encoding);
    EXPECT_TRUE(viewer.TextList()->Lines() == c.rows);
    Present(viewer, viewer.GetHandle());  // no focus mark across the rows
    viewer.TextList()->Redraw();
    EXPECT_TRUE(RowsDrawnAs(*viewer.TextList(), c.rows)) << "the rows drawn as their characters";
    std::vector<std::wstring> marked = c.rows;
    marked[0] = L"\u00EF\u00BB\u00BF" + marked[0];
    EXPECT_FALSE(RowsDrawnAs(*viewer.TextList(), marked)) << "a difference shows";
    uint32_t error = 0;
    ASSERT_TRUE(viewer.SaveText(Path("saved.txt").c_str(), &error)) << error;
    EXPECT_EQ(Get("saved.txt"), c.bytes) << "saved as read, the mark kept";
  }
}

// Resized through its frame, the viewer wraps to the new width and keeps
// the line at the top of the list there.
TEST_F(Viewer, ResizingWrapsAnewKeepingTheTopLine) {
  std::string text;
  for (int i = 0; i < 60; ++i) text += "Line " + std::to_string(i) + ": " + Repeated("some words to wrap ", 12) + "\r\n";
  Put("notes.txt", text);
  PellioTextFileViewer viewer(kInstallerRect, "About Foo", Path("notes.txt").c_str());
  size_t rows = Shown(viewer).size();
  auto topRow = [&] { return Shown(viewer)[viewer.TextList()->FirstVisibleLine()]; };
  while (topRow().rfind("Line 20: ", 0) != 0) viewer.TextList()->ScrollByKey(kKeyDown);
  for (int grow : {200, -350}) {
    SCOPED_TRACE("wider by " + std::to_string(grow));
    RECT outer;
    GetWindowRect(viewer.GetHandle(), &outer);
    SetWindowPos(viewer.GetHandle(), nullptr, 0, 0, outer.right - outer.left + grow, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_NE(Shown(viewer).size(), rows);
    rows = Shown(viewer).size();
    ExpectEveryWordShown(viewer, text);
    EXPECT_EQ(topRow().rfind("Line 20: ", 0), 0u);
  }
}

// On the rectangle the installer passes, then resized through its frame:
// the buttons stay at the bottom right and the list fills the rest.
TEST_F(Viewer, LaysItsControlsOutOnTheClientArea) {
  Put("eula.txt", "Terms.");
  PellioTextFileViewer viewer(kInstallerRect, "Software License Agreement", Path("eula.txt").c_str());
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

TEST_F(Viewer, SaveWritesTheFileByteForByte) {
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"Windows line ends", "Terms\r\n\r\nmore\r\n"},
      {"line feeds", "Terms\n\nmore\n"},
      {"no final line end", "Terms\r\nlast"},
      {"bytes beyond ASCII and a zero", std::string("caf\xE9 \xFF\x80\r\n\0z\r\n", 12)},
      {"tabs and a long line", "\tx\r\n" + Repeated("long line ", 100)},
      {"empty", ""},
  };
  Put("out.txt", std::string(5000, 'o'));  // longer than any: replaced, not kept in part
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Put("in.txt", c.bytes);
    PellioTextFileViewer viewer(kInstallerRect, "About Foo", Path("in.txt").c_str());
    uint32_t error = 0;
    ASSERT_TRUE(viewer.SaveText(Path("out.txt").c_str(), &error)) << error;
    EXPECT_EQ(Get("out.txt"), c.bytes);
  }
}

// "Save..." offers the text's own name in a dialog the viewer owns, even
// with another window in front; a failure is told with the path and why.
TEST_F(Viewer, SaveAsksTheViewersOwnDialogAndTellsAFailure) {
  SmallVolume volume('v', 1);
  ASSERT_TRUE(volume.Ready()) << "needs root for a small volume";
  struct Case {
    const char* what;
    std::string text, target;
    uint32_t error;  // 0: saved
  } cases[] = {
      {"saved", "Terms\r\nof use\n", Path("saved.txt"), 0},
      {"a folder that is not there", "Terms.\r\n", Path("no such folder\\eula.txt"), ERROR_PATH_NOT_FOUND},
      {"a full volume", Repeated(std::string(99, 'i') + "\r\n", 15000), volume.Path("eula.txt"), ERROR_DISK_FULL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Put("eula.txt", c.text);
    PellioTextFileViewer viewer(kInstallerRect, "Software License Agreement", Path("eula.txt").c_str());
    qvWindow other(qvRect(0, 0, 200, 100), nullptr, "Other", true, true, false);
    other.Create();
    SetForegroundWindow(other.GetHandle());
    HWND owner = nullptr;
    std::string offered, message;
    DialogDriver driver([&] {
      if (const HWND box = FindDialog("Attention !")) {
        message = ItemText(box, 0xFFFF);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return true;
      }
      const HWND dialog = FindDialog();
      if (!dialog) return owner != nullptr && c.error == 0;
      if (!owner) {
        owner = GetWindow(dialog, GW_OWNER);
        offered = ItemText(dialog, cmb13);
        SendMessageW(dialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(WideFromUtf8(c.target).c_str()));
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
      }
      return false;
    });
    viewer.Notify(kViewerSaveCommand, kNoticeClick, kEventOther);
    EXPECT_FALSE(driver.GaveUp());
    EXPECT_EQ(owner, viewer.GetHandle());
    EXPECT_EQ(offered, "eula.txt");
    if (c.error == 0) {
      EXPECT_EQ(Get("saved.txt"), c.text);
    } else {
      EXPECT_EQ(message, "The text could not be saved.\n\n" + c.target + ": " + SystemErrorText(c.error));
      EXPECT_EQ(GetFileAttributesA(c.target.c_str()), INVALID_FILE_ATTRIBUTES) << "no part-written file is left";
    }
  }
}

TEST_F(Viewer, AnUnreadableTextShowsANoticeAndCannotBeSaved) {
  MakeFolder("folder.txt");
  struct Case {
    const char* name;
    uint32_t error;
  } cases[] = {{"none.txt", ERROR_FILE_NOT_FOUND}, {"folder.txt", ERROR_ACCESS_DENIED}};
  for (const Case& c : cases) {
    PellioTextFileViewer viewer(kInstallerRect, "About Foo", Path(c.name).c_str());
    std::string reason = SystemErrorText(c.error);
    if (reason.back() == '.') reason.pop_back();
    EXPECT_EQ(Shown(viewer),
              std::vector<std::string>{"The file \"" + std::string(c.name) + "\" could not be read: " + reason + "."});
    EXPECT_FALSE(viewer.CanSave());
    uint32_t error = 0;
    EXPECT_FALSE(viewer.SaveText(Path("out.txt").c_str(), &error));
    EXPECT_FALSE(Exists("out.txt"));
  }
}

// The keys, pressed for real one after the other: the arrow and page keys
// scroll whether the list or the viewer has the keyboard, and Tab moves it
// between the list and the buttons, passing over a disabled one. A button
// that has the keyboard asks the viewer to pass it on with a notice.
TEST_F(Viewer, KeysScrollAndMoveTheKeyboard) {
  std::string text;
  for (int i = 0; i < 100; ++i) text += "Line " + std::to_string(i) + "\r\n";
  Put("readme.txt", text);
  PellioTextFileViewer viewer(kInstallerRect, "About Foo", Path("readme.txt").c_str());
  ASSERT_EQ(viewer.TextList()->VisibleLines(), 26);
  const HWND list = viewer.TextList()->GetHandle(), self = viewer.GetHandle();
  const HWND save = Button(viewer, "Save..."), close = Button(viewer, "Close");
  Present(viewer, list);
  EXPECT_EQ(GetFocus(), list) << "the list has the keyboard once shown";
  struct Case {
    HWND from;
    WORD key;  // 0: the notice a button sends to pass the keyboard on
    bool shift;
    int firstLine;
    HWND to;
  } cases[] = {
      {list, VK_DOWN, false, 1, list},  {list, VK_DOWN, false, 2, list},   {list, VK_UP, false, 1, list},
      {list, VK_NEXT, false, 27, list}, {list, VK_PRIOR, false, 1, list},  {list, VK_END, false, 74, list},
      {list, VK_HOME, false, 0, list},  {list, VK_UP, false, 0, list},     {self, VK_NEXT, false, 26, self},
      {self, VK_DOWN, false, 27, self}, {self, VK_HOME, false, 0, self},   {list, VK_TAB, false, 0, save},
      {list, VK_TAB, true, 0, close},   {self, VK_TAB, false, 0, list},    {self, VK_TAB, true, 0, close},
      {save, 0, false, 0, close},       {close, 0, false, 0, list},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("key " + std::to_string(&c - cases));
    SetFocus(c.from);
    if (c.key)
      PressKey(c.key, c.shift ? std::vector<WORD>{VK_SHIFT} : std::vector<WORD>{});
    else
      viewer.Notify(GetDlgCtrlID(c.from), kNoticePassFocus, kEventOther);
    EXPECT_EQ(viewer.TextList()->FirstVisibleLine(), c.firstLine);
    EXPECT_EQ(GetFocus(), c.to);
  }

  PellioTextFileViewer unreadable(kInstallerRect, "About Foo", Path("none.txt").c_str());
  Present(unreadable, unreadable.TextList()->GetHandle());
  PressKey(VK_TAB);
  EXPECT_EQ(GetFocus(), Button(unreadable, "Close")) << "Save cannot be used";
}

bool guardFired = false;
std::function<void()> pendingStep;

void CALLBACK EndLoopAfterAWhile(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  guardFired = true;
  EndMessageLoop();
}

void CALLBACK RunPendingStep(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  pendingStep();
}

// Runs the viewer's modal loop with step run from inside it; false when
// only the guard ended the loop.
bool LoopEndsBy(PellioTextFileViewer& viewer, std::function<void()> step) {
  pendingStep = std::move(step);
  guardFired = false;
  SetTimer(nullptr, 0, 50, RunPendingStep);
  const UINT_PTR guard = SetTimer(nullptr, 0, 5000, EndLoopAfterAWhile);
  RunModalLoop(viewer.GetHandle());
  KillTimer(nullptr, guard);
  return !guardFired;
}

TEST_F(Viewer, CloseEscapeAndEnterEndTheModalLoop) {
  Put("readme.txt", "notes");
  struct Case {
    const char* what;
    WORD key;  // 0: a click on Close
    bool onViewer;
  } cases[] = {
      {"Close", 0, false},
      {"Escape on the list", VK_ESCAPE, false},
      {"Enter on the list", VK_RETURN, false},
      {"Escape on the viewer", VK_ESCAPE, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PellioTextFileViewer viewer(kInstallerRect, "About Foo", Path("readme.txt").c_str());
    Present(viewer, c.onViewer ? viewer.GetHandle() : viewer.TextList()->GetHandle());
    const HWND close = Button(viewer, "Close");
    EXPECT_TRUE(LoopEndsBy(viewer, [&] {
      if (c.key) return PressKey(c.key);
      // The modal loop throws away mouse input that waited for it.
      PostMessageA(close, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
      PostMessageA(close, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }));
  }
}

TEST_F(Viewer, OpensCentredOverItsOwnerWhichWaitsDisabled) {
  Put("eula.txt", "Terms.");
  qvWindow owner(qvRect(0, 0, 620, 420), nullptr, "Installer", true, true, false);
  owner.Create();
  PellioTextFileViewer viewer(kInstallerRect, "Software License Agreement", Path("eula.txt").c_str(), &owner);
  EXPECT_EQ(GetWindow(viewer.GetHandle(), GW_OWNER), owner.GetHandle());
  RECT mine, theirs;
  GetWindowRect(viewer.GetHandle(), &mine);
  GetWindowRect(owner.GetHandle(), &theirs);
  EXPECT_NEAR(mine.left + mine.right, theirs.left + theirs.right, 1);
  EXPECT_NEAR(mine.top + mine.bottom, theirs.top + theirs.bottom, 1);

  Present(viewer, viewer.TextList()->GetHandle());
  bool ownerEnabled = true;
  EXPECT_TRUE(LoopEndsBy(viewer, [&] {
    ownerEnabled = IsWindowEnabled(owner.GetHandle());
    PressKey(VK_ESCAPE);
  }));
  EXPECT_FALSE(ownerEnabled) << "the installer waits while the viewer is open";
  EXPECT_TRUE(IsWindowEnabled(owner.GetHandle()));
}

}  // namespace
