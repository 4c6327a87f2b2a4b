// hold_module: loads a DLL as a host loads its plug-in and keeps it loaded
// until a stop file appears, for the tests of installs over a running host.
//
//   hold_module.exe MODULE STOPFILE
//
// Prints "loaded" once the module is loaded (or "cannot load MODULE (error
// N)" and exits 1), then "still running" and exits 0 when STOPFILE exists,
// after calling the module's export to show it is still mapped.
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: hold_module MODULE STOPFILE\n");
    return 2;
  }
  const HMODULE module = LoadLibraryExW(argv[1], nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!module) {
    std::printf("cannot load %ls (error %lu)\n", argv[1], GetLastError());
    return 1;
  }
  std::printf("loaded\n");
  std::fflush(stdout);
  while (GetFileAttributesW(argv[2]) == INVALID_FILE_ATTRIBUTES) Sleep(50);
  // The export is called from the mapped image: the file the host loaded
  // is still the one in memory, whatever its name is now.
  using Export = int (*)();
  const auto call = reinterpret_cast<Export>(GetProcAddress(module, "QvPlanted"));
  std::printf("still running%s\n", call && call() == 42 ? "" : " (without its export)");
  return 0;
}
