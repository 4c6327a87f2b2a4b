// Taking messages and making mouse input, for everything that drives real
// windows under Wine: the window and control tests, the installer's driver
// and the benchmarks. Nothing here needs GoogleTest.
#pragma once

#include <windows.h>

#include <functional>

// Dispatches what is queued now, without waiting for more.
void Drain();

// Takes and dispatches messages as the main loop does, for ms milliseconds.
void Pump(DWORD ms = 50);

// Takes and dispatches messages until done() holds, or for at most bound
// milliseconds; tells whether done() held. Waits for messages in between
// rather than sleeping a fixed time.
bool PumpUntil(const std::function<bool()>& done, DWORD bound = 2000);

// An absolute mouse move to a screen point, with flags (button presses and
// releases) added; for SendInput.
INPUT MouseInputAt(int screenX, int screenY, DWORD flags = 0);
