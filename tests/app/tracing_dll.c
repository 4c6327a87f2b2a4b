/* A DLL that leaves a trace when a process loads it: an empty file named
   after its own path with ".loaded" added (qvtracing.dll beside a program
   leaves qvtracing.dll.loaded). The tests plant it beside a program under
   the name the program would be led to load, then look for the trace. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    char path[MAX_PATH + 8];
    const DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
      lstrcpyA(path + length, ".loaded");
      const HANDLE trace = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
      if (trace != INVALID_HANDLE_VALUE) CloseHandle(trace);
    }
  }
  return TRUE;
}
