#include <windows.h>

#include <gtest/gtest.h>

#include <imm.h>

#include <algorithm>

#include "tests/toolkit/window/WindowTesting.h"
#include "toolkit/window/WindowHandles.h"
#include "toolkit/window/MessageDispatch.h"

namespace {

// A 300 x 200 top-level window with one child control-sized window, shown
// and holding the keyboard.
class Dispatch : public ::testing::Test {
protected:
  void SetUp() override {
    top.Create();
    child.Create();
    child.SetId(42);
    BringToFront(top.GetHandle());
    EventLog().clear();
  }
  void TearDown() override {
    // Let nothing of this test reach the next through the queue.
    Pump(20);
  }
  LRESULT Send(qvWindow& window, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageA(window.GetHandle(), message, wParam, lParam);
  }

  RecordingWindow top{"top", qvRect(0, 0, 300, 200), nullptr, true};
  RecordingWindow child{"child", qvRect(40, 50, 140, 90), &top};
};

// Each range of the key and character tables at both ends, and the keys
// just outside them.
TEST_F(Dispatch, KeysAndCharactersBecomeKeyDownEvents) {
  const std::string ctrl = " ctrl";
  struct Case {
    WORD key;
    std::vector<WORD> modifiers;
    std::vector<std::string> events;
  };
  const Case cases[] = {
      // Tab: the key alone; its character 9 is Ctrl+I's letter only with
      // Ctrl held.
      {VK_TAB, {}, {KeyEvent("top", kKeyTab)}},
      {'I', {VK_CONTROL}, {KeyEvent("top", 'i', ctrl)}},
      {VK_SPACE, {}, {KeyEvent("top", ' ')}},  // below the navigation keys: its character only
      {VK_PRIOR, {}, {KeyEvent("top", kKeyPageUp)}},
      {VK_DOWN, {}, {KeyEvent("top", kKeyDown)}},
      {VK_SELECT, {}, {}},  // above them: not delivered
      {VK_INSERT, {}, {}},
      {VK_DELETE, {}, {KeyEvent("top", kKeyDelete)}},
      {VK_HELP, {VK_CONTROL}, {}},
      {'0', {VK_CONTROL}, {KeyEvent("top", NavigationKeyCode('0'), ctrl)}},
      {'9', {VK_CONTROL}, {KeyEvent("top", NavigationKeyCode('9'), ctrl)}},
      {'0', {}, {KeyEvent("top", '0')}},  // without Ctrl only the character
      {'9', {}, {KeyEvent("top", '9')}},
      // Ctrl+letter characters: the ends of the table and one outside it.
      {'A', {VK_CONTROL}, {KeyEvent("top", 'a', ctrl)}},
      {'Z', {VK_CONTROL}, {KeyEvent("top", 'z', ctrl)}},
      {'B', {VK_CONTROL}, {KeyEvent("top", 2, ctrl)}},
      {'D', {VK_CONTROL}, {KeyEvent("top", 'd', ctrl)}},
      {VK_RETURN, {}, {KeyEvent("top", '\r')}},
      {VK_ESCAPE, {}, {KeyEvent("top", VK_ESCAPE)}},
      {'A', {VK_SHIFT}, {KeyEvent("top", 'A', " shift")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("virtual key " + std::to_string(c.key));
    EventLog().clear();
    PressKey(c.key, c.modifiers);
    ExpectEvents(c.events);
  }
}

// A finished composition of one character arrives as that character, at
// once, and is not also passed on as the platform's own input-method
// character; a composition still under way reaches no handler.
TEST_F(Dispatch, AComposedCharacterBecomesAKeyDownEvent) {
  const HIMC context = ImmGetContext(top.GetHandle());
  ASSERT_NE(context, nullptr);
  ImmSetOpenStatus(context, TRUE);
  ImmSetCompositionStringW(context, SCS_SETSTR, const_cast<wchar_t*>(L"x"), sizeof(wchar_t), nullptr, 0);
  ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0);
  ImmReleaseContext(top.GetHandle(), context);
  Drain();
  EventLog().clear();

  Send(top, WM_IME_COMPOSITION, 0, GCS_RESULTSTR);
  EXPECT_EQ(EventLog(), std::vector<std::string>{KeyEvent("top", 'x')}) << "delivered within the message";
  Send(top, WM_IME_COMPOSITION, 'y', GCS_COMPSTR);
  Pump(30);
  ExpectEvents({KeyEvent("top", 'x')});
}

// The procedure of MDI children takes its object from the MDI creation
// record, dispatches mouse input, and holds keys back while there is no
// visible frame window (this program never has one).
TEST_F(Dispatch, TheMdiChildProcedureDispatchesToItsObject) {
  CLIENTCREATESTRUCT clientRecord = {nullptr, 1};
  const HWND client = CreateWindowExA(0, "MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, top.GetHandle(),
                                      nullptr, nullptr, &clientRecord);
  ASSERT_NE(client, nullptr);
  RecordingWindow object("mdi", qvRect(0, 0, 100, 100), nullptr);
  const HWND child = CreateMDIWindowA(kMdiWindowClassName, "mdi", WS_VISIBLE, 0, 0, 100, 100, client, nullptr,
                                      reinterpret_cast<LPARAM>(&object));
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(WindowFromHandle(child), &object);
  SendMessageA(child, WM_LBUTTONDOWN, 0, MAKELPARAM(3, 4));
  SendMessageA(child, WM_CHAR, 4, 0);
  SendMessageA(child, WM_KEYDOWN, VK_TAB, 0);
  ExpectEvents({"mdi create", "mdi down at 3,4"});
  DestroyWindow(child);
  DestroyWindow(client);
}

TEST_F(Dispatch, AltSpaceOpensNoMenuAndReachesNoHandler) {
  top.loggedOtherMessages = {WM_SYSCOMMAND};
  PressKey(VK_SPACE, {VK_MENU});
  Pump(100);
  // The space key's system key-up arrives as a key-down event; the system
  // command it makes reaches no handler.
  ExpectEvents({KeyEvent("top", ' ', " alt")});
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetCurrentThreadId(), &info);
  EXPECT_FALSE(info.flags & GUI_INMENUMODE);
  EXPECT_EQ(FindWindowA("#32768", nullptr) && IsWindowVisible(FindWindowA("#32768", nullptr)), false);
  // Another system command still reaches the handler.
  Send(top, WM_SYSCOMMAND, SC_KEYMENU, 'x');
  ExpectEvents({KeyEvent("top", ' ', " alt"), "top other 274 kind=19 id=0 detail=0"});
}

TEST_F(Dispatch, EraseBackgroundIsAnsweredWithOneAndNeverDispatched) {
  const HDC dc = GetDC(top.GetHandle());
  top.kinds.clear();
  EXPECT_EQ(Send(top, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
  ReleaseDC(top.GetHandle(), dc);
  EXPECT_EQ(std::count(top.kinds.begin(), top.kinds.end(), kEventEraseBackground), 0);
}

TEST_F(Dispatch, SizeMessagesReachOnSizeOnlyAfterCreate) {
  RecordingWindow late("late", qvRect(0, 0, 50, 50), &top);
  late.Create();  // the platform sends WM_SIZE inside CreateWindowEx
  ExpectEvents({"late create"});
  late.SetSize(60, 60);
  ExpectEvents({"late create", "late size"});
}

TEST_F(Dispatch, AReleaseInAChildPostsAPressToTheHostAfterIt) {
  POINT inChild = {10, 5};
  ClientToScreen(child.GetHandle(), &inChild);
  ClickAt(inChild.x, inChild.y);
  POINT inTop = inChild;
  ScreenToClient(top.GetHandle(), &inTop);
  const std::string host = std::to_string(inTop.x) + "," + std::to_string(inTop.y);
  ExpectEvents({"child down at 10,5", "child up at 10,5", "top down at " + host});
}

TEST_F(Dispatch, MousePositionsAreSignExtended) {
  Send(child, WM_MOUSEMOVE, 0, MAKELPARAM(-3, 5));
  ASSERT_FALSE(child.kinds.empty());
  child.logMoves = true;
  Send(child, WM_MOUSEMOVE, 0, MAKELPARAM(-3, 5));
  Send(child, WM_MOUSEMOVE, 0, MAKELPARAM(7, -32768));
  ExpectEvents({"child move at -3,5", "child move at 7,-32768"});
}

TEST_F(Dispatch, CommandsAreDecodedByNotificationCode) {
  const HWND platformButton = CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE, 200, 10, 60, 20,
                                              top.GetHandle(), reinterpret_cast<HMENU>(7), nullptr, nullptr);
  const HWND label = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 1, 1, top.GetHandle(), nullptr, nullptr, nullptr);
  SetFocus(platformButton);
  const LPARAM labelHandle = reinterpret_cast<LPARAM>(label);

  Send(top, WM_COMMAND, MAKEWPARAM(9, 0), kCommandValueFlag | 5);  // a value, not a handle
  Send(top, WM_COMMAND, MAKEWPARAM(3, 3), labelHandle);
  Send(top, WM_COMMAND, MAKEWPARAM(3, 7), labelHandle);
  Send(top, WM_COMMAND, MAKEWPARAM(3, 8), labelHandle);
  Send(top, WM_COMMAND, MAKEWPARAM(3, 9), labelHandle);
  Send(top, kToolkitCommandMessage, MAKEWPARAM(11, 99), 1234);
  Send(top, WM_COMMAND, MAKEWPARAM(4, 2), labelHandle);
  ExpectEvents({"top command kind=5 id=9 detail=5", "top command kind=5 id=11 detail=1234",
                "top command kind=5 id=4 detail=0"});

  EventLog().clear();
  SendMessageA(platformButton, BM_CLICK, 0, 0);
  Pump(30);
  ExpectEvents({"top command kind=5 id=7 detail=" + std::to_string(reinterpret_cast<LPARAM>(platformButton) & kCommandValueMask)});
  EXPECT_EQ(GetFocus(), top.GetHandle()) << "the host takes the focus back from a platform button";
  DestroyWindow(platformButton);
  DestroyWindow(label);
}

TEST_F(Dispatch, ScrollRequestsComeOnlyFromToolkitWindows) {
  const HWND foreign = CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | SBS_VERT, 0, 0, 10, 50, top.GetHandle(),
                                       nullptr, nullptr, nullptr);
  top.loggedOtherMessages = {WM_VSCROLL};
  const LPARAM bar = reinterpret_cast<LPARAM>(child.GetHandle());
  Send(top, WM_VSCROLL, SB_LINEDOWN, bar);
  Send(top, WM_VSCROLL, SB_LINEUP, bar);
  Send(top, WM_HSCROLL, SB_PAGEDOWN, bar);
  Send(top, WM_HSCROLL, SB_PAGEUP, bar);
  Send(top, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 40000), bar);
  Send(top, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 40000), bar);
  Send(top, WM_VSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(foreign));
  ExpectEvents({"top command kind=13 id=42 detail=0", "top command kind=14 id=42 detail=0",
                "top command kind=15 id=42 detail=0", "top command kind=16 id=42 detail=0",
                "top command kind=17 id=42 detail=40000", "top other 277 kind=19 id=42 detail=0"});
  DestroyWindow(foreign);
}

TEST_F(Dispatch, NotifyBuildsACommandWithoutAMessage) {
  child.Notify(7, 2, 19);
  ExpectEvents({"child command kind=5 id=7 detail=2"});
  top.Notify(8, 3, 16);
  ExpectEvents({"child command kind=5 id=7 detail=2", "top command kind=16 id=8 detail=3"});
  qvEvent event(0, &child, 0, 0);
  EXPECT_EQ(event.id, 42);
  EXPECT_EQ(event.message, 0u);
  EXPECT_EQ(event.position.x, 0);
  EXPECT_EQ(event.position.y, 0);
  EXPECT_EQ(event.GetResult(), 1);
}

TEST_F(Dispatch, HandlersDecideDefaultProcessing) {
  LRESULT result = 1;
  EXPECT_FALSE(DispatchEvent(&top, WM_KEYDOWN, kKeyTab, 0, result)) << "a plain window swallows keys";
  EXPECT_FALSE(DispatchEvent(&top, WM_KEYUP, 65, 0, result));
  EXPECT_TRUE(DispatchEvent(&top, WM_LBUTTONDOWN, 0, 0, result));
  EXPECT_TRUE(DispatchEvent(&top, WM_PAINT, 0, 0, result)) << "painting always goes on to the platform";
  EXPECT_FALSE(DispatchEvent(&top, WM_KILLFOCUS, 0, 0, result));
  EXPECT_FALSE(DispatchEvent(&top, WM_CREATE, 0, 0, result));
  EXPECT_EQ(result, 0) << "OnCreate answers the creation message with 0";
  EXPECT_TRUE(DispatchEvent(nullptr, WM_KEYDOWN, 0, 0, result));
  EXPECT_TRUE(DispatchEvent(&top, WM_SYSKEYDOWN, VK_F10, 0, result)) << "system key-down is an other message";
  EventLog().clear();
  DispatchEvent(&top, WM_SYSKEYUP, VK_F10, 0, result);
  ExpectEvents({KeyEvent("top", VK_F10)});
}

TEST_F(Dispatch, AMessageForAWindowWithoutItsObjectGoesToTheDefault) {
  AttachWindowObject(child.GetHandle(), nullptr);
  EXPECT_EQ(GetPropA(child.GetHandle(), kWindowProperty), nullptr) << "the property goes with the tie";
  Send(child, WM_LBUTTONDOWN, 0, 0);
  Send(child, WM_CHAR, 'x', 0);
  ExpectEvents({});
  AttachWindowObject(child.GetHandle(), &child);
}

}  // namespace
