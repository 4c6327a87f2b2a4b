// run_watched: runs one program and watches it for windows, for the tests
// of programs that must never show one. The program's command line is taken
// verbatim from the environment variable QV_CHILD_COMMAND_LINE, so a test
// decides every quote and space of it, and every character: it is read and
// passed on as wide text.
//
//   run_watched.exe [--hold FILE]... [--read FILE]... [--answer] [--timeout SECONDS]
//
// --hold opens FILE without sharing before the program starts and keeps it
// open until it ends; --read opens it for reading shared with other
// readers, as a second installer reading the same distribution would.
// While the program runs, every visible top-level window of its process is
// reported ("window: TITLE"). With --answer, a message box of the program
// is also read ("message: TEXT", in UTF-8, its line breaks as "|") and
// answered with OK, for the tests of programs that show one and end. At
// the end it prints "windows: N" and "exit:
// STATUS" and exits with the program's status, or with 124 when the
// program was still running at the timeout (default 60 s) and had to be
// ended.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

struct Watch {
  DWORD processId;
  bool answer;
  std::set<HWND> seen;
};

// A message box's text: its static control 0xFFFF.
void AnswerMessageBox(HWND box) {
  wchar_t text[4096] = L"";
  GetDlgItemTextW(box, 0xFFFF, text, 4096);
  for (wchar_t* c = text; *c; ++c)
    if (*c == L'\n') *c = L'|';
  char utf8[3 * 4096] = "";
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
  std::printf("message: %s\n", utf8);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
}

BOOL CALLBACK NoteWindow(HWND window, LPARAM data) {
  Watch* watch = reinterpret_cast<Watch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == watch->processId && IsWindowVisible(window) && watch->seen.insert(window).second) {
    // In UTF-8, whatever the code page: the script compares it so.
    wchar_t wide[256] = L"";
    GetWindowTextW(window, wide, 256);
    char title[3 * 256] = "";
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, title, sizeof title, nullptr, nullptr);
    std::printf("window: %s\n", title);
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    if (watch->answer && std::strcmp(className, "#32770") == 0) AnswerMessageBox(window);
  }
  return TRUE;
}

// The program's command line from the environment, as wide text; empty
// when the variable is not set.
std::wstring ChildCommandLine() {
  const wchar_t name[] = L"QV_CHILD_COMMAND_LINE";
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return std::wstring();
  std::wstring line(size, L'\0');
  const DWORD length = GetEnvironmentVariableW(name, &line[0], size);
  line.resize(length < size ? length : 0);
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<HANDLE> held;
  DWORD timeoutMs = 60000;
  bool answer = false;
  for (int i = 1; i < argc; ++i) {
    const bool hold = std::strcmp(argv[i], "--hold") == 0;
    if ((hold || std::strcmp(argv[i], "--read") == 0) && i + 1 < argc) {
      HANDLE file = CreateFileA(argv[++i], hold ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                                hold ? 0 : FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
      if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "run_watched: cannot hold %s (error %lu)\n", argv[i], GetLastError());
        return 125;
      }
      held.push_back(file);
    } else if (std::strcmp(argv[i], "--answer") == 0) {
      answer = true;
    } else if (std::strcmp(argv[i], "--timeout") == 0 && i + 1 < argc) {
      timeoutMs = static_cast<DWORD>(std::atoi(argv[++i])) * 1000;
    } else {
      std::fprintf(stderr, "usage: run_watched [--hold FILE]... [--read FILE]... [--answer] [--timeout SECONDS]\n");
      return 125;
    }
  }
  // Read wide and started wide: the ANSI forms would turn the characters
  // the code page lacks into look-alikes before the program saw its line.
  std::wstring commandLine = ChildCommandLine();
  if (commandLine.empty()) {
    std::fprintf(stderr, "run_watched: QV_CHILD_COMMAND_LINE is not set\n");
    return 125;
  }
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    std::fprintf(stderr, "run_watched: cannot start %ls (error %lu)\n", commandLine.c_str(), GetLastError());
    return 125;
  }
  CloseHandle(process.hThread);

  Watch watch = {process.dwProcessId, answer, {}};
  const DWORD start = GetTickCount();
  bool timedOut = false;
  while (WaitForSingleObject(process.hProcess, 5) == WAIT_TIMEOUT) {
    EnumWindows(NoteWindow, reinterpret_cast<LPARAM>(&watch));
    if (GetTickCount() - start > timeoutMs) {
      timedOut = true;
      TerminateProcess(process.hProcess, 124);
      WaitForSingleObject(process.hProcess, INFINITE);
      break;
    }
  }
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hProcess);
  for (HANDLE file : held) CloseHandle(file);
  std::printf("windows: %u\n", static_cast<unsigned>(watch.seen.size()));
  std::printf("exit: %lu%s\n", status, timedOut ? " (ended at the timeout)" : "");
  return timedOut ? 124 : static_cast<int>(status);
}
