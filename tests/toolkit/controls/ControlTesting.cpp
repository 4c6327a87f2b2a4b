#include "tests/toolkit/controls/ControlTesting.h"

#include <algorithm>

ControlHost::ControlHost(const qvRect& bounds) : RecordingWindow("host", bounds, nullptr, true) { Create(); }

void ControlHost::Present() {
  BringToFront(GetHandle());
  RedrawWindow(GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Drain();
  EventLog().clear();
}

std::string Report(int id, int detail, int kind) {
  return "host command kind=" + std::to_string(kind) + " id=" + std::to_string(id) +
         " detail=" + std::to_string(detail);
}

std::vector<std::string> Reports() {
  std::vector<std::string> reports;
  for (const std::string& line : EventLog())
    if (line.rfind("host command", 0) == 0) reports.push_back(line);
  return reports;
}

void ExpectReports(const std::vector<std::string>& expected) {
  PumpUntil([&] { return Reports() == expected; }, 500);
  const std::vector<std::string> actual = Reports();
  if (actual == expected) return;
  std::string dump;
  for (size_t i = 0; i < std::max(actual.size(), expected.size()); ++i)
    dump += "  " + std::to_string(i) + ": expected \"" + (i < expected.size() ? expected[i] : "(none)") +
            "\", got \"" + (i < actual.size() ? actual[i] : "(none)") + "\"\n";
  ADD_FAILURE() << "reports differ:\n" << dump;
}

void ClickOn(qvWindow& control, int x, int y) {
  const POINT p = OnScreen(control, x, y);
  ClickAt(p.x, p.y);
}

void PressOn(qvWindow& control, int x, int y) {
  const POINT p = OnScreen(control, x, y);
  PressMouseAt(p.x, p.y);
}

void MoveOn(qvWindow& control, int x, int y) {
  const POINT p = OnScreen(control, x, y);
  MoveMouseTo(p.x, p.y);
}

void ReleaseOn(qvWindow& control, int x, int y) {
  const POINT p = OnScreen(control, x, y);
  ReleaseMouseAt(p.x, p.y);
}
