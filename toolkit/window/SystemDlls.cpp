#include "toolkit/window/SystemDlls.h"

bool InitCommonControlsFromSystem(uint32_t classes) {
  struct CommonControlsInit {
    DWORD size;
    DWORD classes;
  };
  using InitFunction = BOOL(WINAPI*)(const CommonControlsInit*);
  const auto init = SystemFunction<InitFunction>("comctl32.dll", "InitCommonControlsEx");
  const CommonControlsInit record = {sizeof record, classes};
  return init && init(&record);
}

namespace qvSystem {

// One wrapper: the function, found on its first call.
#define QV_SYSTEM_CALL(dll, name, failure, Result, parameters, arguments)  \
  Result name parameters {                                                 \
    using Function = Result(WINAPI*) parameters;                           \
    static const Function function = SystemFunction<Function>(dll, #name); \
    if (!function) return failure;                                         \
    return function arguments;                                             \
  }

QV_SYSTEM_CALL("comdlg32.dll", GetOpenFileNameW, FALSE, BOOL, (OPENFILENAMEW * record), (record))
QV_SYSTEM_CALL("comdlg32.dll", GetSaveFileNameW, FALSE, BOOL, (OPENFILENAMEW * record), (record))
QV_SYSTEM_CALL("shell32.dll", SHBrowseForFolderW, nullptr, LPITEMIDLIST, (BROWSEINFOW * info), (info))
QV_SYSTEM_CALL("shell32.dll", SHGetPathFromIDListW, FALSE, BOOL, (LPCITEMIDLIST item, wchar_t* path), (item, path))
QV_SYSTEM_CALL("ole32.dll", OleInitialize, E_FAIL, HRESULT, (void* reserved), (reserved))
QV_SYSTEM_CALL("ole32.dll", CoInitializeEx, E_FAIL, HRESULT, (void* reserved, DWORD mode), (reserved, mode))
QV_SYSTEM_CALL("ole32.dll", CoDisconnectObject, E_FAIL, HRESULT, (IUnknown * object, DWORD reserved),
               (object, reserved))
QV_SYSTEM_CALL("oleaut32.dll", SysAllocStringLen, nullptr, BSTR, (const OLECHAR* text, UINT length), (text, length))
QV_SYSTEM_CALL("imm32.dll", ImmGetContext, nullptr, HIMC, (HWND window), (window))
QV_SYSTEM_CALL("imm32.dll", ImmGetCompositionStringW, IMM_ERROR_GENERAL, LONG,
               (HIMC context, DWORD index, void* buffer, DWORD size), (context, index, buffer, size))
QV_SYSTEM_CALL("imm32.dll", ImmReleaseContext, FALSE, BOOL, (HWND window, HIMC context), (window, context))

#undef QV_SYSTEM_CALL

void OleUninitialize() {
  using Function = void(WINAPI*)();
  static const Function function = SystemFunction<Function>("ole32.dll", "OleUninitialize");
  if (function) function();
}

void CoTaskMemFree(void* block) {
  using Function = void(WINAPI*)(void*);
  static const Function function = SystemFunction<Function>("ole32.dll", "CoTaskMemFree");
  if (function) function(block);
}

}  // namespace qvSystem
