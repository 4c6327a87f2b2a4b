#include "app/install/InstallLock.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "app/install/FileTree.h"
#include "app/install/PathNames.h"
#include "common/AnsiText.h"

const char kAnotherInstallation[] = "another installation into this folder is running";
const char kAnotherRunOfProduct[] = "another install or removal of this product is running";

namespace {

uint64_t Fnv1a(const std::wstring& text) {
  uint64_t hash = 14695981039346656037ull;
  for (wchar_t c : text) {
    hash ^= static_cast<uint16_t>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

// The identity of a folder by which installs into it are told apart: upper
// case, the existing part resolved by the platform.
std::wstring FolderIdentity(const std::string& folder) {
  // The deepest part of the path that exists, and the names below it.
  std::string existing = folder;
  std::vector<std::string> below;
  while (GetFileAttributesW(LongPath(existing).c_str()) == INVALID_FILE_ATTRIBUTES) {
    const std::string parent = ParentFolder(existing);
    if (parent.empty() || parent == existing) break;
    below.push_back(existing.substr(existing.find_last_of('\\') + 1));
    existing = parent;
  }
  std::wstring identity = ResolvedPathOf(LongPath(existing));
  if (identity.empty()) identity = WideFromUtf8(existing);
  while (!identity.empty() && identity.back() == L'\\') identity.pop_back();
  for (auto name = below.rbegin(); name != below.rend(); ++name) identity += L"\\" + WideFromUtf8(*name);
  return CaseFolded(std::move(identity));
}

}  // namespace

bool IsInsideFolder(const std::string& path, const std::string& folder) {
  const std::wstring inner = FolderIdentity(path), outer = FolderIdentity(folder);
  return inner == outer || (inner.size() > outer.size() && inner.compare(0, outer.size(), outer) == 0 &&
                            inner[outer.size()] == L'\\');
}

InstallLock::~InstallLock() {
  if (!mutex) return;
  ReleaseMutex(mutex);
  CloseHandle(mutex);
}

std::wstring InstallLockName(const std::string& folder) {
  char hash[32];
  std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(Fnv1a(FolderIdentity(folder))));
  return L"Global\\qvsetup-" + WideFromUtf8(hash);
}

std::wstring ProductLockName(const std::string& product) {
  char hash[32];
  std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(Fnv1a(CaseFolded(WideFromUtf8(product)))));
  return L"Global\\qvsetup-product-" + WideFromUtf8(hash);
}

bool InstallLock::Take(const std::string& folder, InstallFailure* failure) {
  return TakeNamed(InstallLockName(folder), folder, kAnotherInstallation, failure);
}

bool InstallLock::TakeProduct(const std::string& product, InstallFailure* failure) {
  return TakeNamed(ProductLockName(product), product, kAnotherRunOfProduct, failure);
}

bool InstallLock::TakeNamed(const std::wstring& name, const std::string& what, const char* held,
                            InstallFailure* failure) {
  // Across sessions. A name this process may not open is another's, made
  // by a process that keeps it from us (an elevated install): it counts as
  // held. Falling back to a lock of this session alone would let two
  // runs both believe they hold it.
  const HANDLE made = CreateMutexW(nullptr, FALSE, name.c_str());
  if (!made) {
    const DWORD error = GetLastError();
    *failure = error == ERROR_ACCESS_DENIED ? MakeFailure(what, ERROR_BUSY, held)
                                            : MakeFailure(what, error, "the lock cannot be made");
    return false;
  }
  // Abandoned: its run died, and what it guarded is free.
  const DWORD waited = WaitForSingleObject(made, 0);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    CloseHandle(made);
    *failure = MakeFailure(what, ERROR_BUSY, held);
    return false;
  }
  mutex = made;
  return true;
}
