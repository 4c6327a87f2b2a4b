// Benchmarks of installers under the rig; figures go to BENCHMARKS.md and
// nothing here is asserted.
//
//   bench_setup.exe firstpaint TITLE_PREFIX RUNS COMMAND_LINE [LAST_CONTROL]
//       starts the program RUNS times and reports the median time from its
//       start to its first painted window (a visible top-level window whose
//       title begins with TITLE_PREFIX, with a painted client area), and
//       the program's peak memory, and for a window with a control titled
//       LAST_CONTROL ("Install" unless given), the time until that is drawn
//       too; each run is ended once measured.
//   bench_setup.exe window DIST_FOLDER LOCATION RUNS
//       installs with the window of DIST_FOLDER\setup.exe into LOCATION
//       (emptied before each run): ticks the terms, clicks Install and
//       reports the median time until "Installation Complete.".
//   bench_setup.exe startup INSTALL_FILES
//       the installer window's start in this process, once, cold, phase by
//       phase: working the install out, the first font and text, the
//       background picture decoded and fitted, the window and its controls
//       made (the picture again, beside them, as the window makes it), and
//       the first paint of the whole window; one line of milliseconds.
//   bench_setup.exe thread SOURCE DESTINATION RUNS
//       runs the install job in this process, in turns with the installer
//       window's progress display and without any, and reports both
//       medians: what the display costs.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/install/InstallJob.h"
#include "app/install/InstallSetup.h"
#include "app/window/Background.h"
#include "app/window/InstallThread.h"
#include "app/window/QuorvinUI.h"
#include "app/window/ProgressDisplay.h"
#include "tests/app/SetupDriver.h"
#include "toolkit/controls/qvCaption.h"
#include "toolkit/draw/qvDrawingItem.h"
#include "toolkit/files/qvPicture.h"
#include "toolkit/window/qvWindow.h"

namespace {

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return double(c.QuadPart) / double(f.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

struct Found {
  DWORD process;
  const char* prefix;
  HWND window;
};

BOOL CALLBACK FindWindowOf(HWND hwnd, LPARAM data) {
  auto* found = reinterpret_cast<Found*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  char title[256] = {};
  GetWindowTextA(hwnd, title, sizeof title);
  if (owner == found->process && IsWindowVisible(hwnd) && std::strncmp(title, found->prefix, strlen(found->prefix)) == 0) {
    found->window = hwnd;
    return FALSE;
  }
  return TRUE;
}

COLORREF ScreenPixel(POINT at) {
  const HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, at.x, at.y);
  ReleaseDC(nullptr, screen);
  return colour;
}

// Painted: the middle of the client area no longer shows what the screen
// showed before the window came.
bool Painted(HWND window, COLORREF before) {
  RECT client;
  GetClientRect(window, &client);
  POINT middle = {client.right / 2, client.bottom / 2};
  ClientToScreen(window, &middle);
  const COLORREF now = ScreenPixel(middle);
  return now != before && now != CLR_INVALID;
}

int FirstPaint(const char* prefix, int runs, const char* commandLine, const char* lastControl) {
  std::vector<double> times, whole;
  SIZE_T peak = 0;
  for (int run = 0; run < runs; ++run) {
    std::string line = commandLine;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const COLORREF before = ScreenPixel({GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2});
    const double start = Now();
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
      std::fprintf(stderr, "cannot start %s\n", commandLine);
      return 1;
    }
    Found found = {process.dwProcessId, prefix, nullptr};
    double shown = 0;
    while (Now() - start < 30) {
      if (!found.window) EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&found));
      if (found.window && Painted(found.window, before)) {
        shown = Now() - start;
        break;
      }
      Sleep(1);
    }
    // The installer's window is whole once its last control (Install) is
    // drawn over the picture: its middle no longer shows what the first
    // paint left there.
    // A window that makes its controls after its first paint gets the
    // control a moment later; one without it within a second has none.
    HWND install = nullptr;
    while (found.window && !install && Now() - start < shown + 1) {
      install = FindWindowExA(found.window, nullptr, nullptr, lastControl);
      if (!install) Sleep(1);
    }
    if (install) {
      RECT r;
      GetWindowRect(install, &r);
      const POINT middle = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
      const COLORREF picture = ScreenPixel(middle);
      while (Now() - start < 30 && ScreenPixel(middle) == picture) Sleep(1);
      if (Now() - start < 30) whole.push_back(Now() - start);
    }
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters))
      peak = std::max(peak, counters.PeakWorkingSetSize);
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    if (shown == 0) {
      std::fprintf(stderr, "no painted window within 30 s\n");
      return 1;
    }
    times.push_back(shown);
    Sleep(300);
  }
  std::printf("first painted window: median %.0f ms of %d runs (%.0f to %.0f); peak working set %.1f MiB\n",
              Median(times) * 1000, runs, *std::min_element(times.begin(), times.end()) * 1000,
              *std::max_element(times.begin(), times.end()) * 1000, double(peak) / (1 << 20));
  if (!whole.empty()) std::printf("whole window: median %.0f ms\n", Median(whole) * 1000);
  return 0;
}

void Empty(const std::string& folder) {
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  std::filesystem::create_directories(folder, ignored);
}

int WindowInstall(const char* dist, const char* location, int runs) {
  std::vector<double> times;
  for (int run = 0; run < runs; ++run) {
    Empty(location);
    SetupDriver driver;
    if (!driver.Start(dist, std::string("/D=") + location) || !driver.WaitForWindow("Install ")) return 1;
    driver.BringToFront();
    const HWND progress = driver.Control("Installing. Please wait...");
    driver.ClickAt(106, 216);
    Sleep(100);
    const double start = Now();
    driver.Click(driver.Control("Install"));
    if (!driver.WaitForText(progress, "Installation Complete.", 600000)) return 1;
    times.push_back(Now() - start);
    Sleep(GetDoubleClickTime() + 50);
    driver.Click(driver.Control("Quit"));
    driver.WaitForExit();
  }
  std::printf("install with the window: median %.2f s of %d runs (from the click on Install)\n", Median(times),
              runs);
  return 0;
}

// The install job of a payload run in this process, in turns: on this
// thread, as the window once ran it (no messages while it runs), and on its
// own thread with this one taking messages and showing the progress, as the
// window runs it now.
int ThreadCost(const char* source, const char* destination, int runs) {
  qvWindow window(qvRect(0, 0, 620, 420), nullptr, "bench", false, true, false);
  window.Create();
  qvCaption caption(&window, qvRect(10, 180, 580, 400), "Installing. Please wait...", kCaptionCenter);
  window.Show();
  UpdateWindow(window.GetHandle());
  std::vector<double> on, off;
  int repaints = 0;
  for (int run = 0; run < 2 * runs; ++run) {
    Empty(destination);
    const InstallJob job = {"Bench", TargetFxPlug, "FX Files", source, destination};
    const bool threaded = run % 2 == 1;
    const double start = Now();
    if (!threaded) {
      if (!RunInstallJob(job, nullptr, nullptr).installed) return 1;
      on.push_back(Now() - start);
      continue;
    }
    ProgressDisplay display(&caption, nullptr);
    InstallThread install(window.GetHandle(), job, "");
    MSG msg;
    while (!install.Done() && GetMessageA(&msg, nullptr, 0, 0)) {
      if (msg.message == kInstallProgressMessage)
        display.Show(install.FilesDone(), install.FilesTotal(), install.BytesDone(), install.BytesTotal());
      else
        DispatchMessageA(&msg);
    }
    if (!install.Outcome().installed) return 1;
    off.push_back(Now() - start);
    repaints = display.Repaints();
  }
  std::printf("install job: median %.3f s on the window's thread, %.3f s on its own thread with the progress "
              "shown (%d repaints), %d runs each\n",
              Median(on), Median(off), repaints, runs);
  return 0;
}

// Each phase of the window's start, cold, in the order the installer meets
// them; the window's own constructor repeats the font and picture work,
// now warm, which is what it costs beside the cold start.
int Startup(const char* installFiles) {
  double at = Now();
  const auto lap = [&at] {
    const double now = Now(), spent = (now - at) * 1000;
    at = now;
    return spent;
  };
  const InstallSetup setup = PrepareInstallFrom(installFiles, "", SetupOptions(), SetupMode::kWindow);
  const double prepared = lap();
  {
    qvFont font(qvFontLarge);
    const HDC dc = GetDC(nullptr);
    font.SelectInto(dc);
    SIZE size;
    GetTextExtentPoint32A(dc, "WELCOME!", 8, &size);
    font.Deselect();
    ReleaseDC(nullptr, dc);
  }
  const double fonts = lap();
  const qvRect client(0, 0, 620, 420);
  delete MakeBackground(setup.picture, client, PanelOf(client));
  const double picture = lap();
  auto* window = new QuorvinUI(client, setup);
  const double made = lap();
  window->Show();
  RedrawWindow(window->GetHandle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  const double painted = lap();
  std::printf("startup ms: prepare %.1f, first font %.1f, picture %.1f, window and controls %.1f, first paint %.1f\n",
              prepared, fonts, picture, made, painted);
  delete window;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "firstpaint" && (argc == 5 || argc == 6))
    return FirstPaint(argv[2], std::atoi(argv[3]), argv[4], argc == 6 ? argv[5] : "Install");
  if (mode == "window" && argc == 5) return WindowInstall(argv[2], argv[3], std::atoi(argv[4]));
  if (mode == "thread" && argc == 5) return ThreadCost(argv[2], argv[3], std::atoi(argv[4]));
  if (mode == "startup" && argc == 3) return Startup(argv[2]);
  std::fprintf(stderr,
               "usage: bench_setup.exe firstpaint TITLE_PREFIX RUNS COMMAND_LINE [LAST_CONTROL]\n"
               "       bench_setup.exe window DIST_FOLDER LOCATION RUNS\n"
               "       bench_setup.exe thread SOURCE DESTINATION RUNS\n"
               "       bench_setup.exe startup INSTALL_FILES\n");
  return 2;
}
