// The platform functions the toolkit needs only now and then: the common
// dialogs, the shell's folder browser, OLE and its automation strings, and
// the input-method manager. They are not imported: under Wine the loader
// takes about a tenth of a second at a program's start to load those DLLs
// and what they need, before the first window can show. Each DLL is loaded
// from the system folder, never from beside the program, the first time one
// of its functions is called, and stays loaded.
//
// Each wrapper has the platform function's signature. When the DLL or the
// function cannot be had, it answers as the function does when it fails
// (FALSE, null or E_FAIL), with ERROR_PROC_NOT_FOUND as the last error.
#pragma once

#include <windows.h>

#include <commdlg.h>
#include <cstdint>
#include <imm.h>
#include <oleauto.h>
#include <shlobj.h>

#include "common/SystemDll.h"

// Loads the common controls from the system folder and initialises the
// given classes (ICC_... bits) through their InitCommonControlsEx with a
// structure of size 8, so that the manifest's choice of version 6 applies.
// False when the library or the function cannot be had or the call fails.
bool InitCommonControlsFromSystem(uint32_t classes);

namespace qvSystem {

BOOL GetOpenFileNameW(OPENFILENAMEW* record);
BOOL GetSaveFileNameW(OPENFILENAMEW* record);

LPITEMIDLIST SHBrowseForFolderW(BROWSEINFOW* info);
BOOL SHGetPathFromIDListW(LPCITEMIDLIST item, wchar_t* path);

HRESULT OleInitialize(void* reserved);
void OleUninitialize();
HRESULT CoInitializeEx(void* reserved, DWORD mode);
void CoTaskMemFree(void* block);
HRESULT CoDisconnectObject(IUnknown* object, DWORD reserved);

BSTR SysAllocStringLen(const OLECHAR* text, UINT length);

HIMC ImmGetContext(HWND window);
LONG ImmGetCompositionStringW(HIMC context, DWORD index, void* buffer, DWORD size);
BOOL ImmReleaseContext(HWND window, HIMC context);

}  // namespace qvSystem
