#include "app/install/InstallTransaction.h"

#include <algorithm>
#include <cstdio>

#include "common/AnsiText.h"
#include "app/install/FileTree.h"

namespace {

constexpr uint32_t kBucketSize = 256;

// The name the kernel takes for a rename's target: "\??\C:\..." or
// "\??\UNC\server\...". Every Windows takes this form, where some take no
// other.
std::wstring KernelPath(const std::string& path) {
  return IsSharePath(path) ? L"\\??\\UNC" + WideFromAnsi(path.substr(1)) : L"\\??\\" + WideFromAnsi(path);
}

bool Fail(InstallFailure* failure, const std::string& path, DWORD error, const std::string& reason = "") {
  *failure = MakeFailure(path, error, reason);
  return false;
}

// Renames an open file (opened with DELETE access) to target.
bool RenameOpenFile(HANDLE file, const std::string& target, bool replace) {
  const std::wstring name = KernelPath(target);
  const size_t bytes = sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t);
  std::vector<char> buffer(bytes, 0);
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = replace;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
  std::copy(name.begin(), name.end(), info->FileName);
  return SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(bytes)) != 0;
}

// Whether the file at target may be replaced: a file in use by a program
// that shares it without deletion cannot be, whatever else is tried.
// Returns 0 or the platform's error (a sharing violation for a file in
// use, where a rename would say only "access denied").
DWORD ReplaceableError(const std::string& target) {
  const HANDLE probe = CreateFileA(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return GetLastError();
  CloseHandle(probe);
  return 0;
}

// A replace refused with "access denied" is most often a file in use:
// say so when that is what the file's sharing tells.
DWORD ReplaceError(DWORD error, const std::string& target) {
  if (error != ERROR_ACCESS_DENIED) return error;
  return ReplaceableError(target) == ERROR_SHARING_VIOLATION ? ERROR_SHARING_VIOLATION : error;
}

// A long path as the installer's paths are written, for messages.
std::string Narrow(const std::wstring& longPath) {
  std::wstring path = longPath;
  if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0)
    path = L"\\" + path.substr(7);
  else if (path.compare(0, 4, L"\\\\?\\") == 0)
    path = path.substr(4);
  std::string ansi;
  AnsiFromWide(path, &ansi);
  return ansi;
}

}  // namespace

InstallTransaction::InstallTransaction(std::string root) : root(std::move(root)) {}

InstallTransaction::~InstallTransaction() {
  if (finished) return;
  std::vector<InstallFailure> leftovers;
  Rollback(&leftovers);
}

bool InstallTransaction::MakeFolder(const std::string& path, InstallFailure* failure) {
  if (!CreateDirectoryA(path.c_str(), nullptr)) return Fail(failure, path, GetLastError());
  steps.push_back({Kind::kFolder, path, std::wstring()});
  return true;
}

bool InstallTransaction::EnsureStaging(InstallFailure* failure) {
  if (!staging.empty()) return true;
  // Hidden and named with a dot, which no payload name begins with, and
  // with the process id, so that two installs never share one.
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[48];
    std::snprintf(name, sizeof name, "\\.qvsetup-%lx%s", GetCurrentProcessId(),
                  attempt ? ("-" + std::to_string(attempt)).c_str() : "");
    const std::wstring path = LongPath(root + name);
    if (CreateDirectoryW(path.c_str(), nullptr)) {
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
      staging = path;
      return true;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) return Fail(failure, root + name, GetLastError());
  }
  return Fail(failure, root, ERROR_ALREADY_EXISTS, "no staging folder could be made in the install folder");
}

bool InstallTransaction::OpenStagingFile(HANDLE* file, InstallFailure* failure) {
  *file = INVALID_HANDLE_VALUE;
  if (!EnsureStaging(failure)) return false;
  const std::wstring path = staging + L"\\t" + std::to_wstring(++stagingCount);
  *file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (*file == INVALID_HANDLE_VALUE) return Fail(failure, Narrow(path), GetLastError());
  return true;
}

void InstallTransaction::DiscardStagingFile(HANDLE file) {
  FILE_DISPOSITION_INFO dispose = {TRUE};
  SetFileInformationByHandle(file, FileDispositionInfo, &dispose, sizeof dispose);
  CloseHandle(file);
}

bool InstallTransaction::NextBackupName(std::wstring* name, InstallFailure* failure) {
  const uint32_t n = backupCount++;
  if (n % kBucketSize == 0) {
    const std::wstring bucket = staging + L"\\b" + std::to_wstring(n / kBucketSize);
    if (!CreateDirectoryW(bucket.c_str(), nullptr)) return Fail(failure, Narrow(bucket), GetLastError());
    buckets.push_back(bucket);
  }
  *name = buckets.back() + L"\\" + std::to_wstring(n);
  return true;
}

bool InstallTransaction::PlaceFile(HANDLE file, const std::string& target, bool replaces, InstallFailure* failure) {
  std::wstring backup;
  bool linked = false;
  if (replaces) {
    // Found before a second name is made: on a file in use even that name
    // could not be removed again.
    if (const DWORD error = ReplaceableError(target)) {
      DiscardStagingFile(file);
      return Fail(failure, target, error);
    }
    if (!NextBackupName(&backup, failure)) {
      DiscardStagingFile(file);
      return false;
    }
    linked = CreateHardLinkW(backup.c_str(), LongPath(target).c_str(), nullptr) != 0;
    if (!linked && !MoveFileExW(LongPath(target).c_str(), backup.c_str(), 0)) {
      const DWORD error = ReplaceError(GetLastError(), target);
      DiscardStagingFile(file);
      return Fail(failure, target, error);
    }
  }
  // With the old file linked, the rename swaps the two in one step; moved
  // away, the name is free and taken anew.
  if (!RenameOpenFile(file, target, linked)) {
    const DWORD error = ReplaceError(GetLastError(), target);
    DiscardStagingFile(file);
    if (linked)
      DeleteFileW(backup.c_str());
    else if (replaces)
      MoveFileExW(backup.c_str(), LongPath(target).c_str(), 0);
    return Fail(failure, target, error);
  }
  CloseHandle(file);
  steps.push_back({replaces ? Kind::kReplacedFile : Kind::kNewFile, target, backup});
  return true;
}

void InstallTransaction::Rollback(std::vector<InstallFailure>* leftovers) {
  // Files first, so that the staging folder, which holds the earlier
  // versions until they are back, and then the folders are empty when
  // they go.
  for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
    if (step->kind == Kind::kNewFile && !DeleteFileA(step->target.c_str()))
      leftovers->push_back(MakeFailure(step->target, GetLastError(), "it could not be removed"));
    if (step->kind == Kind::kReplacedFile &&
        !MoveFileExW(step->backup.c_str(), LongPath(step->target).c_str(), MOVEFILE_REPLACE_EXISTING))
      leftovers->push_back(MakeFailure(step->target, GetLastError(),
                                       "the earlier version could not be put back; it is kept as " +
                                           Narrow(step->backup)));
  }
  RemoveStaging(leftovers);
  for (auto step = steps.rbegin(); step != steps.rend(); ++step)
    if (step->kind == Kind::kFolder && !RemoveDirectoryA(step->target.c_str()))
      leftovers->push_back(MakeFailure(step->target, GetLastError(), "the folder could not be removed"));
  steps.clear();
  finished = true;
}

void InstallTransaction::Commit(std::vector<InstallFailure>* leftovers) {
  for (const Step& step : steps)
    if (step.kind == Kind::kReplacedFile && !DeleteFileW(step.backup.c_str()))
      leftovers->push_back(MakeFailure(Narrow(step.backup), GetLastError(), ""));
  steps.clear();
  RemoveStaging(leftovers);
  finished = true;
}

void InstallTransaction::RemoveStaging(std::vector<InstallFailure>* leftovers) {
  if (staging.empty()) return;
  for (const std::wstring& bucket : buckets)
    if (!RemoveDirectoryW(bucket.c_str())) leftovers->push_back(MakeFailure(Narrow(bucket), GetLastError(), ""));
  if (!RemoveDirectoryW(staging.c_str())) leftovers->push_back(MakeFailure(Narrow(staging), GetLastError(), ""));
  buckets.clear();
  staging.clear();
}

size_t InstallTransaction::NewFiles() const {
  size_t n = 0;
  for (const Step& step : steps) n += step.kind == Kind::kNewFile;
  return n;
}

size_t InstallTransaction::ReplacedFiles() const {
  size_t n = 0;
  for (const Step& step : steps) n += step.kind == Kind::kReplacedFile;
  return n;
}

size_t InstallTransaction::MadeFolders() const {
  size_t n = 0;
  for (const Step& step : steps) n += step.kind == Kind::kFolder;
  return n;
}
