#include "toolkit/window/qvEvent.h"

#include <cstring>

#include "toolkit/window/qvWindow.h"

namespace {

bool KeyHeld(int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; }

int32_t SignedLow(LPARAM value) { return static_cast<int16_t>(value & 0xFFFF); }
int32_t SignedHigh(LPARAM value) { return static_cast<int16_t>((value >> 16) & 0xFFFF); }

bool IsPlatformButton(HWND hwnd) {
  char name[256] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return lstrcmpiA(name, "button") == 0;
}

}  // namespace

qvWindow* WindowFromHandle(HWND hwnd) {
  return hwnd ? static_cast<qvWindow*>(GetPropA(hwnd, kWindowProperty)) : nullptr;
}

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
      // lParam is a control's handle, or with bit 27 set a value of its own.
      kind = kEventCommand;
      id = LOWORD(wParam);
      if (lParam & 0x08000000) {
        detail = static_cast<int32_t>(lParam & 0x07FFFFFF);
        break;
      }
      const WORD code = HIWORD(wParam);
      if (code == 0) {
        // A platform push button keeps the focus after a click; give it back
        // to the toolkit window that holds it.
        if (IsPlatformButton(reinterpret_cast<HWND>(lParam)) && window) SetFocus(window->GetHost()->GetHandle());
        detail = static_cast<int32_t>(lParam & 0x07FFFFFF);
      } else if (code == 1) {
        // No control of the toolkit sends this; its value is not defined.
        detail = 0;
      } else if (code == 3 || code == 7 || code == 8 || code == 9) {
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
    default: break;
  }
}

qvEvent::~qvEvent() = default;
void qvEvent::SetResult(int v) { result = v; }
int qvEvent::GetResult() { return result; }
int qvEvent::GetKind() { return kind; }

namespace {

struct EnableRecord {
  HWND spared;
  BOOL enable;
};

BOOL CALLBACK EnableAllButOneProc(HWND hwnd, LPARAM data) {
  const auto* record = reinterpret_cast<const EnableRecord*>(data);
  if (hwnd != record->spared && IsWindow(hwnd)) EnableWindow(hwnd, record->enable);
  return TRUE;
}

struct HitRecord {
  POINT point;  // in the host's client coordinates
  HWND found;
  HWND host;
};

BOOL CALLBACK HitTestProc(HWND hwnd, LPARAM data) {
  auto* record = reinterpret_cast<HitRecord*>(data);
  RECT area;
  GetClientRect(hwnd, &area);
  POINT corners[2] = {{area.left, area.top}, {area.right, area.bottom}};
  for (POINT& corner : corners) {
    ClientToScreen(hwnd, &corner);
    ScreenToClient(record->host, &corner);
  }
  const RECT inHost = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
  if (PtInRect(&inHost, record->point) && IsWindowVisible(hwnd)) {
    record->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

void EnableAllButOne(HWND spared, bool enable) {
  EnableRecord record = {spared, enable ? TRUE : FALSE};
  EnumThreadWindows(GetCurrentThreadId(), EnableAllButOneProc, reinterpret_cast<LPARAM>(&record));
}

HWND FindDescendantAt(HWND start, HWND host, POINT point) {
  HitRecord record = {point, start, host};
  HWND searched;
  do {
    searched = record.found;
    EnumChildWindows(searched, HitTestProc, reinterpret_cast<LPARAM>(&record));
  } while (record.found != searched);
  return record.found;
}
