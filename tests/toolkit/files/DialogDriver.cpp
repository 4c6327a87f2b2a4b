#include "tests/toolkit/files/DialogDriver.h"

#include <cstring>

namespace {

DialogDriver* running = nullptr;  // not owned; the one driver whose timer runs

struct Search {
  const char* title;
  HWND found;
};

BOOL CALLBACK MatchDialog(HWND hwnd, LPARAM lParam) {
  auto* search = reinterpret_cast<Search*>(lParam);
  char className[16] = "", title[256] = "";
  GetClassNameA(hwnd, className, sizeof className);
  GetWindowTextA(hwnd, title, sizeof title);
  if (std::strcmp(className, "#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
  if (search->title && std::strcmp(title, search->title) != 0) return TRUE;
  search->found = hwnd;
  return FALSE;
}

}  // namespace

HWND FindDialog(const char* title) {
  Search search = {title, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), MatchDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string ItemText(HWND dialog, int id) {
  char text[512] = "";
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

DialogDriver::DialogDriver(std::function<bool()> s) : step(std::move(s)) {
  running = this;
  timer = SetTimer(nullptr, 0, 20, Tick);
}

DialogDriver::~DialogDriver() {
  KillTimer(nullptr, timer);
  running = nullptr;
}

void CALLBACK DialogDriver::Tick(HWND, UINT, UINT_PTR, DWORD) {
  DialogDriver* driver = running;
  if (!driver || driver->done) return;
  if (++driver->ticks > 250) {
    driver->gaveUp = true;
    if (HWND dialog = FindDialog()) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return;
  }
  driver->done = driver->step();
}

void DialogTest::SetUp() {
  GetCurrentDirectoryA(sizeof startFolder, startFolder);
  ScratchTest::SetUp();
}

void DialogTest::TearDown() {
  SetCurrentDirectoryA(startFolder);
  ScratchTest::TearDown();
}
