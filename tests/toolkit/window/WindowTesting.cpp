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
  PumpUntil([&] { return EventLog() == expected; }, 1000);
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

std::string KeyEvent(const std::string& window, int code, const std::string& modifiers) {
  return window + " key " + std::to_string(code) + modifiers;
}

void BringToFront(HWND hwnd) {
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  SetForegroundWindow(hwnd);
  SetFocus(hwnd);
  PumpUntil([hwnd] { return GetForegroundWindow() == GetAncestor(hwnd, GA_ROOT) && GetFocus() == hwnd; }, 1000);
  Drain();
}

namespace {
INPUT Key(WORD key, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

// The thread's key state changes when it takes the key's messages.
bool HeldHere(int key) { return (GetKeyState(key) & 0x8000) != 0; }

// Sends a key or button down, then up, each once this thread has taken the
// one before.
void SendPress(WORD key, const INPUT& down, const INPUT& up) {
  INPUT input = down;
  SendInput(1, &input, sizeof input);
  PumpUntil([key] { return HeldHere(key); }, 1000);
  input = up;
  SendInput(1, &input, sizeof input);
  PumpUntil([key] { return !HeldHere(key); }, 1000);
  Drain();  // what the press made: characters, posted presses
}
}  // namespace

void PressKey(WORD key, std::vector<WORD> modifiers) {
  // The handlers read the modifiers as they are when the message is taken,
  // so every message of the key is taken while they are held.
  for (WORD modifier : modifiers) {
    INPUT down = Key(modifier, false);
    SendInput(1, &down, sizeof down);
    PumpUntil([modifier] { return HeldHere(modifier); }, 1000);
  }
  SendPress(key, Key(key, false), Key(key, true));
  for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) {
    INPUT up = Key(*it, true);
    SendInput(1, &up, sizeof up);
    const WORD modifier = *it;
    PumpUntil([modifier] { return !HeldHere(modifier); }, 1000);
  }
  Drain();
}

void MoveMouseTo(int screenX, int screenY) {
  INPUT move = MouseInputAt(screenX, screenY);
  SendInput(1, &move, sizeof move);
  // A move is taken when a message carries its position.
  const DWORD target = MAKELONG(screenX, screenY);
  PumpUntil([target] { return GetMessagePos() == target; }, 500);
  Drain();
}

void ClickAt(int screenX, int screenY) {
  MoveMouseTo(screenX, screenY);
  SendPress(VK_LBUTTON, MouseInputAt(screenX, screenY, MOUSEEVENTF_LEFTDOWN),
            MouseInputAt(screenX, screenY, MOUSEEVENTF_LEFTUP));
}

void PressMouseAt(int screenX, int screenY) {
  MoveMouseTo(screenX, screenY);
  INPUT down = MouseInputAt(screenX, screenY, MOUSEEVENTF_LEFTDOWN);
  SendInput(1, &down, sizeof down);
  PumpUntil([] { return HeldHere(VK_LBUTTON); }, 1000);
  Drain();
}

void ReleaseMouseAt(int screenX, int screenY) {
  MoveMouseTo(screenX, screenY);
  INPUT up = MouseInputAt(screenX, screenY, MOUSEEVENTF_LEFTUP);
  SendInput(1, &up, sizeof up);
  PumpUntil([] { return !HeldHere(VK_LBUTTON); }, 1000);
  Drain();
}

POINT OnScreen(qvWindow& window, int x, int y) {
  POINT point = {x, y};
  ClientToScreen(window.GetHandle(), &point);
  return point;
}

Snapshot::Snapshot(qvWindow& window) {
  RECT area;
  GetClientRect(window.GetHandle(), &area);
  width = area.right;
  height = area.bottom;
  const HDC screen = GetDC(window.GetHandle());
  // The pixels as the screen shows them, left to right, for a mirrored
  // window too.
  SetLayout(screen, 0);
  const HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  pixels.resize(static_cast<size_t>(width) * height);
  const auto* row = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < pixels.size(); ++i) {
    const uint32_t bgr = row[i];
    pixels[i] = RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
  }
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window.GetHandle(), screen);
}

COLORREF Snapshot::Colour(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
  return pixels[static_cast<size_t>(y) * width + x];
}

std::string Snapshot::At(int x, int y) const {
  const COLORREF c = Colour(x, y);
  if (c == CLR_INVALID) return "outside";
  return RgbText(GetRValue(c), GetGValue(c), GetBValue(c));
}

std::string RgbText(int r, int g, int b) {
  return std::to_string(r) + "," + std::to_string(g) + "," + std::to_string(b);
}

RECT Placed(HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}
