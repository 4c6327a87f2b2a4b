#include "app/install/JournalFile.h"

#include <windows.h>

#include "app/install/AdminFolder.h"
#include "app/install/FileTree.h"
#include "common/AnsiText.h"
#include "common/ContentHash.h"
#include "app/install/InstallJournal.h"

#include <cstdio>

std::string JournalPrefixOf(const std::string& root) { return JournalFolder() + "\\" + PathKeyHash(root); }

std::string JournalPathOf(const std::string& root, const std::string& staging) {
  return JournalPrefixOf(root) + staging;
}

bool JournalFile::Create(const std::string& root, const std::string& staging, InstallFailure* failure) {
  Close();
  path = JournalPathOf(root, staging);
  // Another run may remove the journal folder, empty, between its making
  // and the journal's: it is made again. Windows says the path is not
  // found; Wine, whose lookup of the folder succeeded, may say the file is
  // not found instead.
  for (int attempt = 0; attempt < 5; ++attempt) {
    std::vector<std::string> made;
    if (!MakeAdminFolders(JournalFolder(), &made, failure)) return false;
    const HANDLE handle = CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      file.handle = handle;
      return true;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_PATH_NOT_FOUND && error != ERROR_FILE_NOT_FOUND)
      return Fail(failure, path, error, "the journal could not be made");
  }
  return Fail(failure, path, ERROR_PATH_NOT_FOUND, "the journal could not be made");
}

bool JournalFile::Write(const std::string& lines, bool flush, InstallFailure* failure) {
  if (!IsOpen()) return Fail(failure, path, ERROR_INVALID_HANDLE, "the journal is not open");
  return WriteDurably(file, lines, flush, *disk, path, "the journal", failure);
}

void JournalFile::Close() {
  if (IsOpen()) CloseHandle(file.handle);
  file.handle = INVALID_HANDLE_VALUE;
}

bool JournalFile::Delete(std::vector<InstallFailure>* leftovers) {
  Close();
  if (path.empty()) return true;
  if (!DeleteJournalAt(path, leftovers)) return false;
  path.clear();
  return true;
}

bool DeleteJournalAt(const std::string& path, std::vector<InstallFailure>* leftovers) {
  const DWORD error = DeleteFileAlways(LongPath(path));
  if (error && error != ERROR_FILE_NOT_FOUND) {
    leftovers->push_back(MakeFailure(path, error, "the journal could not be removed"));
    return false;
  }
  // The journal folder, and the admin folder with it, go with the last
  // journal when nothing else is there.
  RemoveDirectoryW(LongPath(JournalFolder()).c_str());
  RemoveDirectoryW(LongPath(AdminFolder()).c_str());
  return true;
}

std::string NewGroupName() {
  // The process, the time and a count: two groups of one process, or of
  // two at one moment, differ.
  static uint32_t count = 0;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const uint64_t stamp = (uint64_t(now.dwHighDateTime) << 32 | now.dwLowDateTime) ^ (uint64_t(++count) << 48);
  char name[40];
  std::snprintf(name, sizeof name, "%s%08lx%08lx", kGroupPrefix, static_cast<unsigned long>(GetCurrentProcessId()),
                static_cast<unsigned long>(stamp ^ (stamp >> 32)));
  return name;
}

std::string GroupMarkerPath(const std::string& name) { return JournalFolder() + "\\" + name; }

bool MakeGroupMarker(const std::string& name, DiskFlush& disk, InstallFailure* failure) {
  const std::string path = GroupMarkerPath(name);
  if (!IsGroupName(name)) return Fail(failure, path, ERROR_INVALID_NAME, "not a group's name");
  std::vector<std::string> made;
  if (!MakeAdminFolders(JournalFolder(), &made, failure)) return false;
  AFile file(nullptr, CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.handle == INVALID_HANDLE_VALUE) return Fail(failure, path, GetLastError(), "the group's marker could not be made");
  const bool written = WriteDurably(file, "committed\r\n", true, disk, path, "the group's marker", failure);
  file.Close();
  if (!written) DeleteFileW(LongPath(path).c_str());
  return written;
}

bool GroupCommitted(const std::string& name) {
  if (!IsGroupName(name)) return false;
  const DWORD attributes = GetFileAttributesW(LongPath(GroupMarkerPath(name)).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

void DeleteGroupMarker(const std::string& name, std::vector<InstallFailure>* leftovers) {
  if (!IsGroupName(name)) return;
  const std::string path = GroupMarkerPath(name);
  const DWORD error = DeleteFileAlways(LongPath(path));
  if (error && error != ERROR_FILE_NOT_FOUND)
    leftovers->push_back(MakeFailure(path, error, "the group's marker could not be removed"));
  RemoveDirectoryW(LongPath(JournalFolder()).c_str());
  RemoveDirectoryW(LongPath(AdminFolder()).c_str());
}
