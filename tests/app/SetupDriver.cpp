#include "tests/app/SetupDriver.h"

#include <cstring>

#include "common/AnsiText.h"
#include "tests/toolkit/window/MessagePump.h"

namespace {

struct ChildSearch {
  const char* text;
  HWND found;
};

// A caption's first line: the result says what happened on its first line
// and adds details below it.
std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

// A window's text in UTF-8, as the installer keeps its texts and the
// tests write them, whatever the code page.
std::string TextOf(HWND hwnd) {
  wchar_t wide[512] = {};
  GetWindowTextW(hwnd, wide, 512);
  return Utf8FromWide(wide);
}

BOOL CALLBACK FindChildByText(HWND hwnd, LPARAM data) {
  auto* search = reinterpret_cast<ChildSearch*>(data);
  const std::string text = TextOf(hwnd);
  if (FirstLine(text) == search->text || text == search->text) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

struct ProcessWindows {
  DWORD process;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectProcessWindows(HWND hwnd, LPARAM data) {
  auto* collected = reinterpret_cast<ProcessWindows*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner == collected->process && IsWindowVisible(hwnd)) collected->windows.push_back(hwnd);
  return TRUE;
}

}  // namespace

SetupDriver::~SetupDriver() {
  if (!process.hProcess) return;
  if (Running()) TerminateProcess(process.hProcess, 99);
  WaitForSingleObject(process.hProcess, 5000);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
}

bool SetupDriver::Start(const std::string& folder, const std::string& arguments) {
  std::string line = "\"" + folder + "\\setup.exe\"" + (arguments.empty() ? "" : " " + arguments);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  return CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process) != FALSE;
}

bool SetupDriver::StartProgram(const std::string& path, const std::string& arguments) {
  std::string line = "\"" + path + "\" " + arguments;
  const std::string folder = path.substr(0, path.find_last_of('\\'));
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  return CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process) != FALSE;
}

bool SetupDriver::Start(const std::wstring& folder, const std::wstring& arguments) {
  std::wstring line = L"\"" + folder + L"\\setup.exe\"" + (arguments.empty() ? L"" : L" " + arguments);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  return CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process) != FALSE;
}

std::vector<HWND> SetupDriver::Windows() const {
  ProcessWindows collected = {process.dwProcessId, {}};
  EnumWindows(CollectProcessWindows, reinterpret_cast<LPARAM>(&collected));
  return collected.windows;
}

HWND SetupDriver::WaitForWindow(const std::string& prefix, DWORD bound) {
  window = nullptr;
  PumpUntil(
      [&] {
        for (HWND hwnd : Windows()) {
          char name[64] = {};
          if (TextOf(hwnd).rfind(prefix, 0) == 0 && GetClassNameA(hwnd, name, sizeof name) &&
              std::strcmp(name, "#32770") != 0) {
            window = hwnd;
            return true;
          }
        }
        return !Running();
      },
      bound);
  return window;
}

void SetupDriver::BringToFront() {
  SetForegroundWindow(window);
  PumpUntil([&] { return GetForegroundWindow() == window; }, 1000);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  // The window is on the display (not the black of the empty desktop), so
  // that clicks reach it rather than the desktop.
  RECT client;
  GetClientRect(window, &client);
  PumpUntil([&] { return Pixel(client.right / 2, client.bottom / 2) != RGB(0, 0, 0); }, 2000);
  Sleep(50);
}

HWND SetupDriver::Control(const std::string& text, HWND parent) const {
  ChildSearch search = {text.c_str(), nullptr};
  EnumChildWindows(parent ? parent : window, FindChildByText, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool SetupDriver::Shows(const std::string& text) const {
  const HWND control = Control(text);
  return control && IsWindowVisible(control);
}

namespace {

struct PrefixSearch {
  const std::string* prefix;
  std::string found;
};

BOOL CALLBACK FindTextStartingWith(HWND child, LPARAM data) {
  auto* search = reinterpret_cast<PrefixSearch*>(data);
  const std::string text = TextOf(child);
  if (!IsWindowVisible(child) || text.rfind(*search->prefix, 0) != 0) return TRUE;
  search->found = text;
  return FALSE;
}

}  // namespace

std::string SetupDriver::TextStartingWith(const std::string& prefix) const {
  PrefixSearch search = {&prefix, std::string()};
  EnumChildWindows(window, FindTextStartingWith, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string SetupDriver::Text(HWND control) const { return TextOf(control); }

void SetupDriver::ClickAt(int clientX, int clientY) {
  POINT point = {clientX, clientY};
  ClientToScreen(window, &point);
  INPUT inputs[3] = {MouseInputAt(point.x, point.y, 0), MouseInputAt(point.x, point.y, MOUSEEVENTF_LEFTDOWN),
                     MouseInputAt(point.x, point.y, MOUSEEVENTF_LEFTUP)};
  for (INPUT& input : inputs) {
    SendInput(1, &input, sizeof input);
    Sleep(30);
  }
}

void SetupDriver::Click(HWND control) {
  RECT area;
  GetClientRect(control, &area);
  POINT middle = {area.right / 2, area.bottom / 2};
  ClientToScreen(control, &middle);
  ScreenToClient(window, &middle);
  ClickAt(middle.x, middle.y);
}

void SetupDriver::DoubleClick(HWND control) {
  RECT area;
  GetClientRect(control, &area);
  POINT middle = {area.right / 2, area.bottom / 2};
  ClientToScreen(control, &middle);
  INPUT inputs[5] = {MouseInputAt(middle.x, middle.y, 0), MouseInputAt(middle.x, middle.y, MOUSEEVENTF_LEFTDOWN),
                     MouseInputAt(middle.x, middle.y, MOUSEEVENTF_LEFTUP),
                     MouseInputAt(middle.x, middle.y, MOUSEEVENTF_LEFTDOWN),
                     MouseInputAt(middle.x, middle.y, MOUSEEVENTF_LEFTUP)};
  SendInput(5, inputs, sizeof(INPUT));
}

void SetupDriver::Key(WORD virtualKey, std::initializer_list<WORD> modifiers) {
  std::vector<INPUT> inputs;
  auto key = [&](WORD vk, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  };
  for (WORD modifier : modifiers) key(modifier, false);
  key(virtualKey, false);
  key(virtualKey, true);
  for (auto it = modifiers.end(); it != modifiers.begin();) key(*--it, true);
  for (INPUT& input : inputs) {
    SendInput(1, &input, sizeof input);
    Sleep(20);
  }
  // Input goes through the program's queue after any sent message: there
  // is no message that says it was taken. Callers wait for its effect.
  Pump(80);
}

HWND SetupDriver::Focus() const {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(process.dwThreadId, &info) ? info.hwndFocus : nullptr;
}

HWND SetupDriver::Active() const {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(process.dwThreadId, &info) ? info.hwndActive : nullptr;
}

bool SetupDriver::Answers(DWORD bound) const {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, bound, &ignored) != 0;
}

HWND SetupDriver::WaitForDialog(const std::string& title, DWORD bound) const {
  HWND found = nullptr;
  PumpUntil(
      [&] {
        for (HWND hwnd : Windows()) {
          char name[64] = {};
          GetClassNameA(hwnd, name, sizeof name);
          if (std::strcmp(name, "#32770") == 0 && title == TextOf(hwnd)) {
            found = hwnd;
            return true;
          }
        }
        return false;
      },
      bound);
  return found;
}

std::string SetupDriver::MessageText(HWND box) const {
  wchar_t text[1024] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 1024);
  return Utf8FromWide(text);
}

void SetupDriver::Answer(HWND dialog, int button) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  PumpUntil([&] { return !IsWindow(dialog); }, 3000);
}

bool SetupDriver::WaitForText(HWND control, const std::string& text, DWORD bound) const {
  return PumpUntil([&] { return FirstLine(Text(control)) == text || Text(control) == text; }, bound);
}

DWORD SetupDriver::WaitForExit(DWORD bound) {
  if (WaitForSingleObject(process.hProcess, bound) != WAIT_OBJECT_0) return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process.hProcess, &code);
  return code;
}

bool SetupDriver::Running() const {
  return process.hProcess && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT;
}

bool SetupDriver::Pause() { return process.hThread && SuspendThread(process.hThread) != static_cast<DWORD>(-1); }

void SetupDriver::Resume() {
  if (process.hThread) ResumeThread(process.hThread);
}

COLORREF SetupDriver::Pixel(int clientX, int clientY) const {
  POINT point = {clientX, clientY};
  ClientToScreen(window, &point);
  const HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, point.x, point.y);
  ReleaseDC(nullptr, screen);
  return colour;
}
