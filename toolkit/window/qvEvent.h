// qvEvent carries one platform message to a window object's handler. The
// dispatch decodes each message once, here, into a kind with the position,
// modifier keys and command identifiers worked out; handlers never look at
// wParam and lParam themselves. An event lives on the dispatch's stack for
// one handler call.
#pragma once

#include <windows.h>

#include <cstdint>

#include "toolkit/draw/qvPoint.h"

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
  int32_t result = 1;  // returned to the platform when the handler answers false
  uint32_t message;
  uint32_t wParam;
  int32_t lParam;
};

// The object of a platform window, through its "QVPROP" property; null for
// a window that is not the toolkit's.
qvWindow* WindowFromHandle(HWND hwnd);

// Enables or disables every top-level window of this thread but one (the
// modal loop's).
void EnableAllButOne(HWND spared, bool enable);

// The innermost visible descendant of start whose client area holds point,
// given in host's client coordinates; start when there is none.
HWND FindDescendantAt(HWND start, HWND host, POINT point);
