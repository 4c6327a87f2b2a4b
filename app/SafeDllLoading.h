// An installer runs elevated from a downloads folder, where anyone can drop
// a DLL beside it. These keep the process from loading code from anywhere
// but the system: RestrictDllLoading comes first thing at start, and the
// common controls are loaded with InitCommonControlsFromSystem rather than
// through the import table (whose DLLs Windows may look for beside the
// program).
#pragma once

#include <cstdint>

// From now on DLLs load from the system folder only
// (SetDefaultDllDirectories with LOAD_LIBRARY_SEARCH_SYSTEM32) where the
// platform offers that; elsewhere the current folder at least leaves the
// search (SetDllDirectoryA with ""). True when the first took effect.
bool RestrictDllLoading();

// Loads the common controls and initialises the given classes (ICC_...
// bits) through their InitCommonControlsEx with a structure of size 8.
// Where the platform can limit a load to the system folder, the library is
// asked for by name within it, so that the manifest's choice of version 6
// applies; elsewhere it is loaded by its full path in the system folder.
// False when the library or the function cannot be had or the call fails.
bool InitCommonControlsFromSystem(uint32_t classes);
