#include "tests/toolkit/window/WindowTesting.h"

#include <sstream>

#include "toolkit/window/MessageDispatch.h"

std::vector<std::string>& EventLog() {
  static std::vector<std::string> log;
  return log;
}

RecordingWindow::RecordingWindow(const char* name, const qvRect& bounds, qvWindow* parent, bool topLevel,
                                 bool visible)
    : qvWindow(bounds, parent, name, visible, topLevel, false), name(name) {}

void RecordingWindow::Log(const std::string& text) { EventLog().push_back(name + " " + text); }

std::string Modifiers(const qvEvent& event) {
  std::string words;
  if (event.ctrl) words += " ctrl";
  if (event.shift) words += " shift";
  if (event.alt) words += " alt";
  return words;
}

namespace {
std::string Where(const qvEvent& event) {
  return " at " + std::to_string(event.position.x) + "," + std::to_string(event.position.y);
}
std::string Command(const qvEvent& event) {
  return " kind=" + std::to_string(event.kind) + " id=" + std::to_string(event.id) +
         " detail=" + std::to_string(event.detail);
}
}  // namespace

#define RECORD(text)            \
  kinds.push_back(event.kind);  \
  lastEvent = &event;           \
  Log(text)

bool RecordingWindow::OnCommand(qvEvent& event) {
  RECORD("command" + Command(event));
  return qvWindow::OnCommand(event);
}
bool RecordingWindow::OnCreate(qvEvent& event) {
  RECORD("create");
  return qvWindow::OnCreate(event);
}
bool RecordingWindow::OnPaint(qvEvent& event) {
  kinds.push_back(event.kind);
  if (logPaints) Log("paint");
  return qvWindow::OnPaint(event);
}
bool RecordingWindow::OnDestroy(qvEvent& event) {
  RECORD("destroy");
  return qvWindow::OnDestroy(event);
}
bool RecordingWindow::OnSize(qvEvent& event) {
  RECORD("size");
  return qvWindow::OnSize(event);
}
bool RecordingWindow::OnDoubleClick(qvEvent& event) {
  RECORD("double" + Where(event));
  return qvWindow::OnDoubleClick(event);
}
bool RecordingWindow::OnMouseDown(qvEvent& event) {
  RECORD("down" + Where(event));
  return qvWindow::OnMouseDown(event);
}
bool RecordingWindow::OnFocusLost() {
  if (logFocus) Log("focus-lost");
  return qvWindow::OnFocusLost();
}
bool RecordingWindow::OnMouseUp(qvEvent& event) {
  RECORD("up" + Where(event));
  return qvWindow::OnMouseUp(event);
}
bool RecordingWindow::OnMouseMove(qvEvent& event) {
  kinds.push_back(event.kind);
  lastEvent = &event;
  if (logMoves) Log("move" + Where(event));
  return qvWindow::OnMouseMove(event);
}
bool RecordingWindow::OnKeyDown(qvEvent& event) {
  RECORD("key " + std::to_string(event.keyCode) + Modifiers(event));
  return qvWindow::OnKeyDown(event);
}
bool RecordingWindow::OnKeyUp(qvEvent& event) {
  kinds.push_back(event.kind);
  return qvWindow::OnKeyUp(event);
}
bool RecordingWindow::OnOtherMessage(qvEvent& event) {
  kinds.push_back(event.kind);
  lastEvent = &event;
  for (UINT message : loggedOtherMessages)
    if (event.message == message) Log("other " + std::to_string(message) + Command(event));
  return qvWindow::OnOtherMessage(event);
}
void RecordingWindow::OnIdle() {
  if (logIdle) Log("idle");
}

void ExpectEvents(const std::vector<std::string>& expected) {
  const std::vector<std::string>& actual = EventLog();
  if (actual == expected) return;
  std::ostringstream dump;
  const size_t rows = std::max(actual.size(), expected.size());
  for (size_t i = 0; i < rows; ++i) {
    const std::string want = i < expected.size() ? expected[i] : "(none)";
    const std::string got = i < actual.size() ? actual[i] : "(none)";
    dump << (want == got ? "   " : " ! ") << i << ": expected \"" << want << "\", got \"" << got << "\"\n";
  }
  ADD_FAILURE() << "events differ:\n" << dump.str();
}

void Pump(DWORD ms) {
  const DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(1);
  } while (GetTickCount() - start < ms);
}

void BringToFront(HWND hwnd) {
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  SetForegroundWindow(hwnd);
  SetFocus(hwnd);
  Pump(100);
}

namespace {
INPUT Key(WORD key, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}
}  // namespace

void PressKey(WORD key, std::vector<WORD> modifiers) {
  // The handlers read the modifiers as they are when the message is taken,
  // so the queue is emptied while they are held.
  for (WORD modifier : modifiers) {
    INPUT down = Key(modifier, false);
    SendInput(1, &down, sizeof down);
  }
  Pump(30);
  INPUT press[2] = {Key(key, false), Key(key, true)};
  SendInput(2, press, sizeof(INPUT));
  Pump(60);
  for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) {
    INPUT up = Key(*it, true);
    SendInput(1, &up, sizeof up);
  }
  Pump(30);
}

void ClickAt(int screenX, int screenY) {
  INPUT inputs[3] = {};
  for (INPUT& input : inputs) {
    input.type = INPUT_MOUSE;
    input.mi.dx = screenX * 65536 / GetSystemMetrics(SM_CXSCREEN) + 1;
    input.mi.dy = screenY * 65536 / GetSystemMetrics(SM_CYSCREEN) + 1;
    input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
  }
  inputs[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
  inputs[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
  SendInput(1, &inputs[0], sizeof(INPUT));
  Pump(30);
  SendInput(1, &inputs[1], sizeof(INPUT));
  Pump(30);
  SendInput(1, &inputs[2], sizeof(INPUT));
  Pump(60);
}
