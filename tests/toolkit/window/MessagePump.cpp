#include "tests/toolkit/window/MessagePump.h"

#include <algorithm>

void Drain() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void Pump(DWORD ms) {
  const DWORD start = GetTickCount();
  do {
    Drain();
    Sleep(1);
  } while (GetTickCount() - start < ms);
}

bool PumpUntil(const std::function<bool()>& done, DWORD bound) {
  const DWORD start = GetTickCount();
  for (;;) {
    Drain();
    if (done()) return true;
    const DWORD spent = GetTickCount() - start;
    if (spent >= bound) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(10, bound - spent), QS_ALLINPUT);
  }
}

// Absolute coordinates run from 0 to 65535 across the screen; the +1 keeps
// the rounding from landing on the pixel before.
INPUT MouseInputAt(int screenX, int screenY, DWORD flags) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dx = screenX * 65536 / GetSystemMetrics(SM_CXSCREEN) + 1;
  input.mi.dy = screenY * 65536 / GetSystemMetrics(SM_CYSCREEN) + 1;
  input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | flags;
  return input;
}
