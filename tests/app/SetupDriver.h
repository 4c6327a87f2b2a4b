// Drives a real setup.exe from another process, as a user would: it starts
// the program in a distribution folder, finds its window and controls by
// their text, clicks them with real input, answers its message boxes and
// dialogs, and reads back texts, pixels and the exit status. For the
// installer's end-to-end tests and its guided tour.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

class SetupDriver {
public:
  SetupDriver() = default;
  SetupDriver(const SetupDriver&) = delete;
  SetupDriver& operator=(const SetupDriver&) = delete;
  // Ends the program if it still runs.
  ~SetupDriver();

  // Starts folder\setup.exe with arguments; false when it cannot start.
  bool Start(const std::string& folder, const std::string& arguments = "");
  // The same with a folder that the ANSI code page may not hold, started
  // wide so the program sees its own path as it is.
  bool Start(const std::wstring& folder, const std::wstring& arguments);
  // Starts the program at path (any name) with arguments, in its folder.
  bool StartProgram(const std::string& path, const std::string& arguments);
  // The program's visible top-level window whose title begins with prefix,
  // once it shows (null after bound milliseconds).
  HWND WaitForWindow(const std::string& prefix, DWORD bound = 10000);
  // The window brought to the front with its controls painted.
  HWND Window() const { return window; }
  void BringToFront();

  // The first child window of the main window (or of parent) whose text,
  // or its first line, is text; null when none is.
  HWND Control(const std::string& text, HWND parent = nullptr) const;
  // Whether a control with that text, or that first line, is visible.
  bool Shows(const std::string& text) const;
  std::string Text(HWND control) const;
  // The text of the main window's first visible control whose text begins
  // so; empty when none does.
  std::string TextStartingWith(const std::string& prefix) const;

  // A click at the middle of a control, or at a point of the main window's
  // client area; a double click.
  void Click(HWND control);
  void ClickAt(int clientX, int clientY);
  void DoubleClick(HWND control);
  // A key pressed and released, with the modifiers given held around it
  // (VK_SHIFT, VK_MENU for Alt); the keyboard's input goes to the window
  // that has the focus, so the program's window must be in front. Callers
  // wait for the key's effect: nothing tells when the program took it.
  void Key(WORD virtualKey, std::initializer_list<WORD> modifiers = {});
  // The control that has the keyboard focus in the program, and the
  // program's active window.
  HWND Focus() const;
  HWND Active() const;
  // Whether the window answers a message within bound milliseconds: a
  // window that does not is what the system calls "not responding".
  bool Answers(DWORD bound = 200) const;

  // A dialog of the program (class "#32770") with that title, once it
  // shows; null after bound milliseconds.
  HWND WaitForDialog(const std::string& title, DWORD bound = 5000) const;
  // The text of a message box, and its dismissal with OK.
  std::string MessageText(HWND box) const;
  void Answer(HWND dialog, int button);

  // Waits until the control's text, or its first line, reads text; false
  // after bound.
  bool WaitForText(HWND control, const std::string& text, DWORD bound = 20000) const;
  // The exit status once the program has ended; STILL_ACTIVE after bound.
  DWORD WaitForExit(DWORD bound = 10000);
  bool Running() const;
  // Stops and restarts the program's main thread (for a picture of a state
  // that would otherwise pass too quickly).
  bool Pause();
  void Resume();

  // The colour of a pixel of the main window's client area, read from the
  // screen.
  COLORREF Pixel(int clientX, int clientY) const;

  // Every visible top-level window of the program.
  std::vector<HWND> Windows() const;

private:
  PROCESS_INFORMATION process = {};
  HWND window = nullptr;
};
