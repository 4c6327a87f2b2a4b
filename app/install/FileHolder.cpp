#include "app/install/FileHolder.h"

#include <windows.h>

#include <restartmanager.h>

#include "app/install/FileTree.h"
#include "app/install/InstallFailure.h"
#include "common/AnsiText.h"
#include "common/SystemDll.h"

namespace {

// The Restart Manager's functions, from the system folder when first asked
// for: the program imports nothing a window's start does not need.
struct RestartManager {
  using Start = DWORD(WINAPI*)(DWORD*, DWORD, WCHAR*);
  using Register = DWORD(WINAPI*)(DWORD, UINT, LPCWSTR*, UINT, RM_UNIQUE_PROCESS*, UINT, LPCWSTR*);
  using List = DWORD(WINAPI*)(DWORD, UINT*, UINT*, RM_PROCESS_INFO*, DWORD*);
  using End = DWORD(WINAPI*)(DWORD);
  Start start = SystemFunction<Start>("rstrtmgr.dll", "RmStartSession");
  Register add = SystemFunction<Register>("rstrtmgr.dll", "RmRegisterResources");
  List list = SystemFunction<List>("rstrtmgr.dll", "RmGetList");
  End end = SystemFunction<End>("rstrtmgr.dll", "RmEndSession");
  bool Usable() const { return start && add && list && end; }
};

}  // namespace

std::string ProgramHolding(const std::string& path) {
  static const RestartManager manager;
  if (!manager.Usable() || path.empty()) return std::string();
  DWORD session = 0;
  WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
  if (manager.start(&session, 0, key) != ERROR_SUCCESS) return std::string();
  std::string name;
  const std::wstring wide = LongPath(path);
  LPCWSTR files[] = {wide.c_str()};
  if (manager.add(session, 1, files, 0, nullptr, 0, nullptr) == ERROR_SUCCESS) {
    // A few at most hold one file; one is named, the first the list gives.
    RM_PROCESS_INFO found[4] = {};
    UINT needed = 0, count = 4;
    DWORD reasons = 0;
    const DWORD listed = manager.list(session, &needed, &count, found, &reasons);
    if ((listed == ERROR_SUCCESS || listed == ERROR_MORE_DATA) && count > 0 && count <= 4) {
      found[0].strAppName[CCH_RM_MAX_APP_NAME] = L'\0';
      if (!Utf8FromWide(found[0].strAppName, &name)) name.clear();
    }
  }
  manager.end(session);
  return name;
}

void NameHolder(InstallFailure* failure) {
  if (failure->error != ERROR_SHARING_VIOLATION && failure->error != ERROR_LOCK_VIOLATION) return;
  const std::string holder = ProgramHolding(failure->path);
  if (!holder.empty()) failure->holder = holder;
}
