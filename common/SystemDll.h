// A DLL of the system folder, loaded when first needed instead of imported:
// under Wine every imported DLL and what it imports is loaded before the
// program's first line runs, and the shell, OLE and the common dialogs
// take a large share of a window's start.
#pragma once

#include <windows.h>

// The DLL of that name in the system folder, loaded once; null when it
// cannot be had. Where the platform can limit a load to the system folder,
// it is asked for by name there, so that the program's manifest still
// chooses among versions (the common controls); elsewhere by its full path.
// Never looked for beside the program.
HMODULE LoadSystemDll(const char* name);

// name in the system DLL dll, typed; null (ERROR_PROC_NOT_FOUND) when
// either cannot be had.
template <typename Function>
Function SystemFunction(const char* dll, const char* name) {
  const HMODULE module = LoadSystemDll(dll);
  const FARPROC found = module ? GetProcAddress(module, name) : nullptr;
  if (!found) SetLastError(ERROR_PROC_NOT_FOUND);
  return reinterpret_cast<Function>(reinterpret_cast<void*>(found));
}
