#include "common/SystemDll.h"

#include <cstring>

namespace {

// Not declared for the Windows 7 headers this builds against; Windows 7
// has it with its security update KB2533623, and every later Windows.
constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

}  // namespace

HMODULE LoadSystemDll(const char* name) {
  if (HMODULE loaded = GetModuleHandleA(name)) return loaded;
  if (HMODULE loaded = LoadLibraryExA(name, nullptr, kSearchSystem32)) return loaded;
  char path[MAX_PATH];
  const UINT length = GetSystemDirectoryA(path, MAX_PATH);
  const size_t nameLength = std::strlen(name);
  if (length == 0 || length + 1 + nameLength + 1 > sizeof path) return nullptr;
  path[length] = '\\';
  std::memcpy(path + length + 1, name, nameLength + 1);
  return LoadLibraryA(path);
}
