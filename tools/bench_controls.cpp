// Benchmarks of the controls under the rig: building a text list of N lines
// (time and the process's peak memory), one scroll step of it (time, with
// the synchronous repaint a click causes), and the pace of a held arrow's
// repeats. Figures go to BENCHMARKS.md; nothing here is asserted.
//
//   bench_controls.exe list N      one list of N lines
//   bench_controls.exe repeat      the repeat pace of a held arrow
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "common/StringList.h"
#include "tests/toolkit/window/MessagePump.h"
#include "toolkit/controls/qvScrollbar.h"
#include "toolkit/controls/qvTextList.h"
#include "toolkit/window/MessageDispatch.h"
#include "toolkit/window/qvWindow.h"

namespace {

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER count;
  QueryPerformanceCounter(&count);
  return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double PeakMiB() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return static_cast<double>(counters.PeakPagefileUsage) / (1 << 20);
}

qvWindow* MakeHost() {
  auto* host = new qvWindow(qvRect(0, 0, 600, 500), nullptr, "bench", false, true, false);
  host->Create();
  ShowWindow(host->GetHandle(), SW_SHOW);
  UpdateWindow(host->GetHandle());
  SetForegroundWindow(host->GetHandle());
  SetFocus(host->GetHandle());
  Drain();
  return host;
}

int BenchList(int count) {
  qvWindow* host = MakeHost();
  const double before = PeakMiB();
  StringList lines;
  char text[128];
  for (int i = 0; i < count; ++i) {
    std::snprintf(text, sizeof text, "Line %d of the licence terms, about as long as a wrapped line of text.", i);
    lines.Append(TextString(text));
  }
  const double built = Now();
  qvTextList list(lines, qvRect(10, 10, 570, 404), host);
  const double constructed = Now() - built;
  lines.Clear();
  Drain();

  qvEvent step(0, &list, 0, 0);
  const int steps = 200;
  const double start = Now();
  for (int i = 0; i < steps; ++i) {
    step.kind = kEventLineDown;
    step.id = kVerticalBarId;
    list.OnCommand(step);
  }
  const double perStep = (Now() - start) / steps;
  std::printf("%d lines: construction %.1f ms, peak memory %.1f MiB (%.1f MiB before the lines), "
              "scroll step %.2f ms\n",
              count, constructed * 1000, PeakMiB(), before, perStep * 1000);
  return 0;
}

int BenchRepeat() {
  qvWindow* host = MakeHost();
  StringList lines;
  for (int i = 0; i < 5000; ++i) lines.Append(TextString("line"));
  qvTextList list(lines, qvRect(10, 10, 210, 410), host);
  Drain();
  qvScrollbar* bar = list.VerticalBar();
  RECT area;
  GetClientRect(bar->GetHandle(), &area);
  POINT arrow = {8, area.bottom - 8};
  ClientToScreen(bar->GetHandle(), &arrow);
  INPUT input = MouseInputAt(arrow.x, arrow.y);
  SendInput(1, &input, sizeof input);
  Drain();
  Sleep(50);
  Drain();
  input = MouseInputAt(arrow.x, arrow.y, MOUSEEVENTF_LEFTDOWN);
  SendInput(1, &input, sizeof input);

  // The main loop's own rhythm, for two seconds: a message or an idle pass.
  std::vector<double> times;
  int seen = bar->GetValue();
  const double start = Now();
  double pressed = 0;
  while (Now() - start < 2.0) {
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    } else {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, IdlePassesRequested() ? 1 : 50, QS_ALLINPUT);
    }
    RunIdlePass();
    if (bar->GetValue() != seen) {
      if (pressed == 0) pressed = Now();
      else times.push_back(Now());
      if (bar->GetValue() != seen + 1) std::printf("a repeat moved %d lines\n", bar->GetValue() - seen);
      seen = bar->GetValue();
    }
  }
  input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTUP;
  SendInput(1, &input, sizeof input);
  Drain();
  if (times.size() < 2) {
    std::printf("no repeats seen\n");
    return 1;
  }
  double shortest = 1e9, longest = 0;
  for (size_t i = 1; i < times.size(); ++i) {
    shortest = std::min(shortest, times[i] - times[i - 1]);
    longest = std::max(longest, times[i] - times[i - 1]);
  }
  std::printf("held arrow: first repeat %.0f ms after the press; %zu repeats, one line each, every %.1f ms on "
              "average (%.1f to %.1f)\n",
              (times[0] - pressed) * 1000, times.size(), (times.back() - times[0]) * 1000 / (times.size() - 1),
              shortest * 1000, longest * 1000);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "list") == 0) return BenchList(std::atoi(argv[2]));
  if (argc == 2 && std::strcmp(argv[1], "repeat") == 0) return BenchRepeat();
  std::fprintf(stderr, "usage: bench_controls.exe list N | repeat\n");
  return 2;
}
