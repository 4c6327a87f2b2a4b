// An installer runs elevated from a downloads folder, where anyone can drop
// a DLL beside it. RestrictDllLoading, first thing at start, keeps the
// process from loading code from anywhere but the system; the DLLs the
// toolkit needs beyond the few it imports are loaded from the system folder
// by name when first used (toolkit/window/SystemDlls.h).
#pragma once

// From now on DLLs load from the system folder only
// (SetDefaultDllDirectories with LOAD_LIBRARY_SEARCH_SYSTEM32) where the
// platform offers that; elsewhere the current folder at least leaves the
// search (SetDllDirectoryA with ""). True when the first took effect.
bool RestrictDllLoading();
