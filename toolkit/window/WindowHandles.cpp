#include "toolkit/window/WindowHandles.h"

#include <unordered_map>

namespace {

// The ties, kept on this side as well: every message looks its window's
// object up, and reading a window property is a round trip to the server
// under Wine (about 0.1 ms, for each message of each window). Only the
// user-interface thread ties and looks up.
std::unordered_map<HWND, qvWindow*>& Ties() {
  static auto* ties = new std::unordered_map<HWND, qvWindow*>;  // lives as long as the process
  return *ties;
}

}  // namespace

qvWindow* WindowFromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  const auto found = Ties().find(hwnd);
  return found == Ties().end() ? nullptr : found->second;
}

void AttachWindowObject(HWND hwnd, qvWindow* object) {
  if (object) {
    SetPropA(hwnd, kWindowProperty, object);
    Ties()[hwnd] = object;
  } else {
    RemovePropA(hwnd, kWindowProperty);
    Ties().erase(hwnd);
  }
}

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
