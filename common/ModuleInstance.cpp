#include "common/ModuleInstance.h"

#include <windows.h>

HINSTANCE ModuleInstance() {
  MEMORY_BASIC_INFORMATION info = {};
  if (VirtualQuery(reinterpret_cast<const void*>(&ModuleInstance), &info, sizeof info) == 0)
    return nullptr;
  return static_cast<HINSTANCE>(info.AllocationBase);
}
