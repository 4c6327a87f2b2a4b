#include "app/install/JournalFile.h"

#include <windows.h>

#include "app/install/AdminFolder.h"
#include "app/install/FileTree.h"
#include "common/AnsiText.h"
#include "common/ContentHash.h"

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
