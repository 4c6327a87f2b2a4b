#include "toolkit/window/ShowMessage.h"

#include <algorithm>
#include <string>

#include "common/AnsiText.h"

namespace {

// The boxes' title, "Attention !" until the program gives its own.
std::string caption = "Attention !";

// The owner the next message box is centred over, while its hook waits for
// the box to come up; the user-interface thread is the only one that shows
// boxes.
HWND centreOver = nullptr;
HHOOK boxHook = nullptr;

// The box's window is activated once, when it has been laid out: it is then
// moved, and the hook removed.
LRESULT CALLBACK CentreBox(int code, WPARAM wParam, LPARAM lParam) {
  // wParam: the window being activated.
  if (code == HCBT_ACTIVATE) {
    const HHOOK hook = boxHook;
    boxHook = nullptr;
    CenterWindowOver(reinterpret_cast<HWND>(wParam), centreOver);
    UnhookWindowsHookEx(hook);
    return 0;
  }
  return CallNextHookEx(boxHook, code, wParam, lParam);
}

int ShowBox(HWND owner, const char* text, UINT type) {
  if (!owner) owner = OwnForegroundWindow();
  // Owned by none: in front of whatever the user was looking at.
  if (!owner) type |= MB_SETFOREGROUND | MB_TOPMOST;
  centreOver = owner;
  // Mirrored as the process's windows are, its text read right to left.
  DWORD layout = 0;
  if (GetProcessDefaultLayout(&layout) && (layout & LAYOUT_RTL)) type |= MB_RTLREADING | MB_RIGHT;
  if (owner && !boxHook) boxHook = SetWindowsHookExA(WH_CBT, CentreBox, nullptr, GetCurrentThreadId());
  const int answer = MessageBoxW(owner, WideFromUtf8(text).c_str(), WideFromUtf8(caption).c_str(), type);
  if (boxHook) {
    UnhookWindowsHookEx(boxHook);
    boxHook = nullptr;
  }
  return answer;
}

}  // namespace

void SetMessageCaption(const char* title) { caption = title && title[0] ? title : "Attention !"; }

HWND OwnForegroundWindow() {
  const HWND foreground = GetForegroundWindow();
  DWORD process = 0;
  if (!foreground || !GetWindowThreadProcessId(foreground, &process) || process != GetCurrentProcessId()) return nullptr;
  return foreground;
}

int ShowMessage(const char* text) { return ShowBox(nullptr, text, MB_OK); }

int ShowMessage(HWND owner, const char* text) { return ShowBox(owner, text, MB_OK); }

bool AskYesNo(HWND owner, const char* text) {
  return ShowBox(owner, text, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

bool AskRetry(HWND owner, const char* text) {
  return ShowBox(owner, text, MB_RETRYCANCEL | MB_ICONWARNING) == IDRETRY;
}

void CenterWindowOver(HWND window, HWND owner) {
  RECT outer, host;
  if (!owner || !GetWindowRect(window, &outer) || !GetWindowRect(owner, &host)) return;
  const int width = outer.right - outer.left, height = outer.bottom - outer.top;
  int x = host.left + ((host.right - host.left) - width) / 2;
  int y = host.top + ((host.bottom - host.top) - height) / 2;
  // Kept on the owner's screen, caption first: it is what the user moves
  // the window by.
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoA(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor)) {
    const RECT& work = monitor.rcWork;
    x = std::max<int>(work.left, std::min<int>(x, work.right - width));
    y = std::max<int>(work.top, std::min<int>(y, work.bottom - height));
  }
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
