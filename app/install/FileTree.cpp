#include "app/install/FileTree.h"

#include <cstring>

#include "common/AnsiText.h"
#include "app/install/PathNames.h"

DWORD ListFolder(const std::wstring& folder, std::vector<ListedEntry>* entries) {
  WIN32_FIND_DATAW data;
  const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return GetLastError();
  do {
    if (std::wcscmp(data.cFileName, L".") == 0 || std::wcscmp(data.cFileName, L"..") == 0) continue;
    entries->push_back({data.cFileName, data.dwFileAttributes, (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow});
  } while (FindNextFileW(find, &data));
  const DWORD error = GetLastError();
  FindClose(find);
  return error == ERROR_NO_MORE_FILES ? 0 : error;
}

std::wstring NameKey(std::wstring name) {
  while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.pop_back();
  if (!name.empty()) CharUpperBuffW(&name[0], static_cast<DWORD>(name.size()));
  return name;
}

bool IsSharePath(const std::string& path) { return path.size() > 2 && path[0] == '\\' && path[1] == '\\'; }

std::wstring LongPath(const std::string& path) {
  return IsSharePath(path) ? L"\\\\?\\UNC" + WideFromAnsi(path.substr(1)) : L"\\\\?\\" + WideFromAnsi(path);
}

bool FolderExists(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FullPath(const char* path, std::string* full, InstallFailure* failure) {
  char buffer[kPathBufferSize];
  const DWORD length = GetFullPathNameA(path, sizeof buffer, buffer, nullptr);
  if (length == 0) {
    *failure = MakeFailure(path, GetLastError(), "");
    return false;
  }
  if (length >= sizeof buffer) {
    *failure = MakeFailure(path, ERROR_FILENAME_EXCED_RANGE,
                           "the full path would be longer than " + std::to_string(kMaxPathLength) + " characters");
    return false;
  }
  *full = buffer;
  return true;
}

namespace {

// One open listing of folder\*.*, closed when it goes out of scope.
class FolderListing {
public:
  explicit FolderListing(const char* folder) {
    char pattern[kPathBufferSize];
    if (JoinPathWithin(folder, "*.*", pattern)) find = FindFirstFileA(pattern, &entry);
  }
  ~FolderListing() {
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
  }
  FolderListing(const FolderListing&) = delete;
  FolderListing& operator=(const FolderListing&) = delete;

  bool IsOpen() const { return find != INVALID_HANDLE_VALUE; }
  const WIN32_FIND_DATAA& Entry() const { return entry; }
  bool Next() { return FindNextFileA(find, &entry) != 0; }

private:
  HANDLE find = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAA entry;
};

}  // namespace

void RemovePath(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    DeleteFileA(path);
    return;
  }
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) DeleteFolderContents(path);
  RemoveDirectoryA(path);
}

void DeleteFolderContents(const char* folder) {
  const DWORD attributes = GetFileAttributesA(folder);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return;
  FolderListing listing(folder);
  if (!listing.IsOpen()) return;
  char path[kPathBufferSize];
  do {
    const WIN32_FIND_DATAA& entry = listing.Entry();
    if (std::strcmp(entry.cFileName, ".") == 0 || std::strcmp(entry.cFileName, "..") == 0) continue;
    if (!JoinPathWithin(folder, entry.cFileName, path)) continue;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) DeleteFolderContents(path);
      RemoveDirectoryA(path);
    } else {
      DeleteFileA(path);
    }
  } while (listing.Next());
}
