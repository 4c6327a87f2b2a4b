// qvEvent carries one platform message to a window object's handler. The
// dispatch decodes each message once, here, into a kind with the position,
// modifier keys and command identifiers worked out; handlers never look at
// wParam and lParam themselves. An event lives on the dispatch's stack for
// one handler call.
#pragma once

#include <windows.h>

#include <cstdint>

#include "toolkit/draw/qvPoint.h"
#include "toolkit/draw/qvRect.h"

class qvWindow;

enum qvEventKind : int32_t {
  kEventIgnored = 0,
  kEventMouseUp = 1,
  kEventMouseDown = 2,
  kEventMouseMove = 3,
  kEventDoubleClick = 4,
  kEventCommand = 5,
  kEventPaint = 6,
  kEventEraseBackground = 7,
  kEventDestroy = 8,
  kEventSize = 9,
  kEventKeyDown = 10,
  kEventKeyUp = 11,
  kEventCreate = 12,
  kEventLineDown = 13,
  kEventLineUp = 14,
  kEventPageDown = 15,
  kEventPageUp = 16,
  kEventThumbPosition = 17,
  kEventFocusLost = 18,
  kEventOther = 19,
};

// The toolkit's own command message: wParam's low word is the identifier,
// lParam the detail.
constexpr UINT kToolkitCommandMessage = 0x8064;

// Key codes of key-down events, as the window procedures rewrite them:
// navigation keys (and digits with Ctrl) arrive as kNavigationKeyBase plus
// their virtual-key code; the Ctrl+letter characters of the editing
// shortcuts arrive as their lower-case letters, the control character plus
// kCtrlLetterOffset; every other character as its own code.
constexpr int32_t kNavigationKeyBase = 1000;
constexpr int32_t kCtrlLetterOffset = 96;
constexpr int32_t NavigationKeyCode(int virtualKey) { return kNavigationKeyBase + virtualKey; }
constexpr int32_t kKeyTab = NavigationKeyCode(VK_TAB);
constexpr int32_t kKeyPageUp = NavigationKeyCode(VK_PRIOR);
constexpr int32_t kKeyPageDown = NavigationKeyCode(VK_NEXT);
constexpr int32_t kKeyEnd = NavigationKeyCode(VK_END);
constexpr int32_t kKeyHome = NavigationKeyCode(VK_HOME);
constexpr int32_t kKeyLeft = NavigationKeyCode(VK_LEFT);
constexpr int32_t kKeyUp = NavigationKeyCode(VK_UP);
constexpr int32_t kKeyRight = NavigationKeyCode(VK_RIGHT);
constexpr int32_t kKeyDown = NavigationKeyCode(VK_DOWN);
constexpr int32_t kKeyDelete = NavigationKeyCode(VK_DELETE);
// Characters that keys give as themselves.
constexpr int32_t kKeyEnter = '\r';
constexpr int32_t kKeyEscape = 27;
constexpr int32_t kKeySpace = ' ';

// A WM_COMMAND whose lParam has kCommandValueFlag set carries a value in the
// bits of kCommandValueMask instead of a control's handle.
constexpr uint32_t kCommandValueFlag = 0x08000000;
constexpr uint32_t kCommandValueMask = 0x07FFFFFF;

// What a control reports to its parent: the detail of the command event
// that Notify(controlId, detail, kEventOther) hands to the parent.
enum qvControlNotice : int32_t {
  kNoticeClick = 0,        // released over the control after a press on it
  kNoticeDoubleClick = 1,
  kNoticePassFocus = 2,    // asks a tabbed window to pass the keyboard focus on
  kNoticeHover = 12345,    // the pointer entered or left a control that tracks hovering
};

class qvEvent {
public:
  // Decodes one message for window (which may be null). The modifier keys are
  // read from the keyboard as it is now, not from the message.
  qvEvent(LPARAM lParam, qvWindow* window, UINT message, WPARAM wParam);
  virtual ~qvEvent();
  virtual void SetResult(int v);
  virtual int GetResult();
  virtual int GetKind();

  qvWindow* window;  // not owned
  int32_t kind = kEventOther;
  qvPoint position;  // lParam's low and high words, sign-extended
  bool ctrl = false;
  bool shift = false;
  bool alt = false;
  int32_t keyCode = 0;
  int32_t id = 0;      // the window's GetId(), or the command's or scroll bar's
  int32_t detail = 0;  // a command's value, or the thumb position
  // WM_DPICHANGED: the new DPI, and the window rectangle the platform
  // suggests for it (empty when none).
  int32_t dpi = 0;
  qvRect suggested;
  // Alt and a letter: the letter, which the platform sends as a menu key
  // (WM_SYSCOMMAND, SC_KEYMENU); 0 otherwise.
  int32_t accessKey = 0;
  // A command from a platform push button, which keeps the keyboard focus
  // after a click: the dispatch gives it back to the toolkit's window.
  bool fromPlatformButton = false;
  int32_t result = 1;  // returned to the platform when the handler answers false
  uint32_t message;
  uint32_t wParam;
  int32_t lParam;
};
