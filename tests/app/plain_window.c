/* A program that shows a window and ends, without restricting where DLLs
   load from: what setup.exe would be without its first call. The test of
   setup.exe's start runs it beside the planted DLL first, to show that a
   program there really loads it. Showing matters: Wine loads the keyboard
   layout's input method when a window is first activated. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  (void)previous;
  (void)commandLine;
  (void)show;
  WNDCLASSA plain = {0};
  plain.lpfnWndProc = DefWindowProcA;
  plain.hInstance = instance;
  plain.lpszClassName = "qvPlainWindow";
  if (!RegisterClassA(&plain)) return 1;
  const HWND window = CreateWindowExA(0, plain.lpszClassName, "plain window", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                      NULL, NULL, instance, NULL);
  if (!window) return 1;
  ShowWindow(window, SW_SHOW);
  DestroyWindow(window);
  return 0;
}
