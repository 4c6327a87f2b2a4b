#include "toolkit/window/qvEvent.h"

#include <cstring>

#include "toolkit/window/WindowHandles.h"
#include "toolkit/window/qvWindow.h"

namespace {

bool KeyHeld(int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; }

int32_t SignedLow(LPARAM value) { return static_cast<int16_t>(value & 0xFFFF); }
int32_t SignedHigh(LPARAM value) { return static_cast<int16_t>((value >> 16) & 0xFFFF); }

// Notification codes of WM_COMMAND (wParam's high word) that the decoding
// tells apart.
constexpr WORD kNotifyClicked = 0;      // a click, or a menu command
constexpr WORD kNotifyAskControl = 1;   // the sender's object would supply the detail
bool IsIgnoredNotification(WORD code) { return code == 3 || code == 7 || code == 8 || code == 9; }

bool IsPlatformButton(HWND hwnd) {
  char name[256] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return lstrcmpiA(name, "button") == 0;
}

}  // namespace

qvEvent::qvEvent(LPARAM lParam, qvWindow* window, UINT message, WPARAM wParam)
    : window(window), message(message), wParam(static_cast<uint32_t>(wParam)),
      lParam(static_cast<int32_t>(lParam)) {
  position.Set(SignedLow(lParam), SignedHigh(lParam));
  alt = KeyHeld(VK_MENU);
  ctrl = KeyHeld(VK_CONTROL);
  shift = KeyHeld(VK_SHIFT);
  if (window) id = window->GetId();

  switch (message) {
    case WM_CREATE: kind = kEventCreate; break;
    case WM_DESTROY: kind = kEventDestroy; break;
    case WM_SIZE: kind = kEventSize; break;
    case WM_KILLFOCUS: kind = kEventFocusLost; break;
    case WM_PAINT: kind = kEventPaint; break;
    case WM_ERASEBKGND: kind = kEventEraseBackground; break;
    case WM_KEYDOWN:
    case WM_SYSKEYUP:
      kind = kEventKeyDown;
      keyCode = static_cast<int32_t>(wParam);
      break;
    case WM_KEYUP:
      kind = kEventKeyUp;
      keyCode = static_cast<int32_t>(wParam);
      break;
    case WM_MOUSEMOVE: kind = kEventMouseMove; break;
    case WM_LBUTTONDOWN: kind = kEventMouseDown; break;
    case WM_LBUTTONUP: kind = kEventMouseUp; break;
    case WM_LBUTTONDBLCLK: kind = kEventDoubleClick; break;
    case kToolkitCommandMessage:
      kind = kEventCommand;
      detail = static_cast<int32_t>(lParam);
      id = LOWORD(wParam);
      break;
    case WM_COMMAND: {
      // lParam is a control's handle, or with the value flag set a value of
      // its own; wParam's low word is the identifier, its high word the
      // notification code.
      kind = kEventCommand;
      id = LOWORD(wParam);
      if (lParam & kCommandValueFlag) {
        detail = static_cast<int32_t>(lParam & kCommandValueMask);
        break;
      }
      const WORD code = HIWORD(wParam);
      if (code == kNotifyClicked) {
        // A platform push button keeps the focus after a click; give it back
        // to the toolkit window that holds it.
        fromPlatformButton = IsPlatformButton(reinterpret_cast<HWND>(lParam));
        detail = static_cast<int32_t>(lParam & kCommandValueMask);
      } else if (code == kNotifyAskControl) {
        // No control of the toolkit sends this; its value is not defined.
        detail = 0;
      } else if (IsIgnoredNotification(code)) {
        kind = kEventIgnored;
      }
      break;
    }
    case WM_HSCROLL:
    case WM_VSCROLL: {
      // lParam is the scroll bar; wParam's low word the request, its high
      // word the thumb position.
      qvWindow* bar = WindowFromHandle(reinterpret_cast<HWND>(lParam));
      if (!bar) {
        kind = kEventIgnored;
        break;
      }
      id = bar->GetId();
      switch (LOWORD(wParam)) {
        case SB_LINEUP: kind = kEventLineUp; break;
        case SB_LINEDOWN: kind = kEventLineDown; break;
        case SB_PAGEUP: kind = kEventPageUp; break;
        case SB_PAGEDOWN: kind = kEventPageDown; break;
        case SB_THUMBPOSITION:
          kind = kEventThumbPosition;
          detail = HIWORD(wParam);
          break;
        default: break;
      }
      break;
    }
    case WM_SYSCOMMAND:
      // wParam: the command, its low four bits the platform's own; lParam:
      // for SC_KEYMENU, the character of Alt and a key (0 for Alt alone, a
      // space for the system menu).
      if ((wParam & 0xFFF0) == SC_KEYMENU && lParam > ' ') accessKey = static_cast<int32_t>(lParam);
      break;
    case WM_DPICHANGED: {
      // wParam's low word: the new DPI; lParam: the window rectangle the
      // platform suggests for it.
      dpi = LOWORD(wParam);
      if (const auto* r = reinterpret_cast<const RECT*>(lParam)) suggested.Set(r->left, r->top, r->right, r->bottom);
      break;
    }
    default: break;
  }
}

qvEvent::~qvEvent() = default;
void qvEvent::SetResult(int v) { result = v; }
int qvEvent::GetResult() { return result; }
int qvEvent::GetKind() { return kind; }
