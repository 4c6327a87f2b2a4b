#include "app/SafeDllLoading.h"

#include <windows.h>

#include <cstring>

namespace {

// Not declared for the Windows 7 headers this builds against; Windows 7
// has it with its security update KB2533623, and every later Windows.
constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

struct CommonControlsInit {
  DWORD size;
  DWORD classes;
};
using InitCommonControlsExFunction = BOOL(WINAPI*)(const CommonControlsInit*);

template <typename Function>
Function Lookup(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

HMODULE LoadCommonControls() {
  if (HMODULE loaded = LoadLibraryExA("comctl32.dll", nullptr, kSearchSystem32)) return loaded;
  char path[MAX_PATH];
  const UINT length = GetSystemDirectoryA(path, MAX_PATH);
  const char name[] = "\\comctl32.dll";
  if (length == 0 || length + sizeof name > sizeof path) return nullptr;
  std::memcpy(path + length, name, sizeof name);
  return LoadLibraryA(path);
}

}  // namespace

bool RestrictDllLoading() {
  const auto setDefault =
      Lookup<SetDefaultDllDirectoriesFunction>(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
  if (setDefault && setDefault(kSearchSystem32)) return true;
  SetDllDirectoryA("");
  return false;
}

bool InitCommonControlsFromSystem(uint32_t classes) {
  const HMODULE library = LoadCommonControls();  // stays loaded for the process's life
  if (!library) return false;
  const auto init = Lookup<InitCommonControlsExFunction>(library, "InitCommonControlsEx");
  const CommonControlsInit record = {sizeof record, classes};
  return init && init(&record);
}
