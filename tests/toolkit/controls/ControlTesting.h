// A top-level window to put controls on, for tests that drive the controls
// with real input: it records what its controls report, and says where a
// control's points lie on the screen.
#pragma once

#include <string>

#include "tests/toolkit/window/WindowTesting.h"
#include "toolkit/controls/qvControl.h"

class ControlHost : public RecordingWindow {
public:
  explicit ControlHost(const qvRect& bounds = qvRect(0, 0, 400, 300));
  // Shows the host with its controls painted and gives it the keyboard.
  void Present();
};

// The log line of a report from a control to the host.
std::string Report(int id, int detail, int kind = kEventCommand);

// The host's command lines of the log, in order.
std::vector<std::string> Reports();
// Waits a little for the reports to match, then compares them.
void ExpectReports(const std::vector<std::string>& expected);

// Presses and releases on a control's client point.
void ClickOn(qvWindow& control, int x, int y);
void PressOn(qvWindow& control, int x, int y);
void MoveOn(qvWindow& control, int x, int y);
void ReleaseOn(qvWindow& control, int x, int y);
