#include "app/SafeDllLoading.h"

#include <windows.h>

namespace {

// Not declared for the Windows 7 headers this builds against; Windows 7
// has it with its security update KB2533623, and every later Windows.
constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

}  // namespace

bool RestrictDllLoading() {
  const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
  if (setDefault && setDefault(kSearchSystem32)) return true;
  SetDllDirectoryA("");
  return false;
}
