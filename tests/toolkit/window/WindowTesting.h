// Support for tests that drive real toolkit windows under Wine: a window
// that records every event reaching its handlers, a comparison of recorded
// events with a table of expected ones, and real input through SendInput.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/toolkit/window/MessagePump.h"
#include "toolkit/window/qvEvent.h"
#include "toolkit/window/qvWindow.h"

// One shared log, so that the order of events across windows shows.
std::vector<std::string>& EventLog();

// A window whose handlers log "<name> <handler> <details>" and then answer
// as the plain window does.
class RecordingWindow : public qvWindow {
public:
  RecordingWindow(const char* name, const qvRect& bounds, qvWindow* parent, bool topLevel = false,
                  bool visible = true);

  bool OnCommand(qvEvent& event) override;
  bool OnCreate(qvEvent& event) override;
  bool OnPaint(qvEvent& event) override;
  bool OnDestroy(qvEvent& event) override;
  bool OnSize(qvEvent& event) override;
  bool OnDoubleClick(qvEvent& event) override;
  bool OnMouseDown(qvEvent& event) override;
  bool OnFocusLost() override;
  bool OnMouseUp(qvEvent& event) override;
  bool OnMouseMove(qvEvent& event) override;
  bool OnKeyDown(qvEvent& event) override;
  bool OnKeyUp(qvEvent& event) override;
  bool OnOtherMessage(qvEvent& event) override;
  void OnIdle() override;

  // Other messages are many; only those listed here are logged.
  std::vector<UINT> loggedOtherMessages;
  bool logMoves = false;
  bool logPaints = false;
  bool logIdle = false;
  bool logFocus = false;
  qvEvent* lastEvent = nullptr;  // not owned; valid during a handler only
  std::vector<int> kinds;        // the kind of every event, logged or not

  using qvWindow::backgroundColor;
  using qvWindow::parent;

private:
  void Log(const std::string& text);
  std::string name;
};

// "ctrl"/"shift"/"alt" words of an event, each with a leading space.
std::string Modifiers(const qvEvent& event);

// Compares the log with the expected table and prints both, numbered, when
// they differ. While they differ it goes on taking messages, for up to a
// second, so that events still on their way are waited for, not slept for.
void ExpectEvents(const std::vector<std::string>& expected);

// The event log's line for a key-down event of code.
std::string KeyEvent(const std::string& window, int code, const std::string& modifiers = "");

// Shows a top-level window and gives it the keyboard, as a click would.
void BringToFront(HWND hwnd);

// Real input: one key down and up (with modifier keys held around it), and
// a left click at a screen point. Each returns once the thread has taken the
// input it sent (the thread's own key state tells) and dispatched what that
// made, or after a bound when the input went elsewhere.
void PressKey(WORD key, std::vector<WORD> modifiers = {});
void ClickAt(int screenX, int screenY);
void MoveMouseTo(int screenX, int screenY);
// The left button alone, at a screen point.
void PressMouseAt(int screenX, int screenY);
void ReleaseMouseAt(int screenX, int screenY);

// A window's point in screen coordinates.
POINT OnScreen(qvWindow& window, int x, int y);

// The client area of a window as it is on the screen now, for reading
// pixels back: "r,g,b" strings compare readably in test output.
class Snapshot {
public:
  explicit Snapshot(qvWindow& window);
  std::string At(int x, int y) const;
  COLORREF Colour(int x, int y) const;
  int width = 0;
  int height = 0;

private:
  std::vector<COLORREF> pixels;
};

std::string RgbText(int r, int g, int b);

// A child window's rectangle in its parent's client coordinates.
RECT Placed(HWND child);
