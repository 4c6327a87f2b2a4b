#include "app/install/FileTree.h"

#include <cstring>
#include <utility>

#include "common/AnsiText.h"
#include "common/ContentHash.h"
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

std::wstring CaseFolded(std::wstring text) {
  if (!text.empty()) CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

std::wstring NameKey(std::wstring name) {
  while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.pop_back();
  return CaseFolded(std::move(name));
}

std::wstring PathKey(const std::string& path) { return NameKey(WideFromUtf8(path)); }

std::string PathKeyHash(const std::string& path) {
  const std::wstring key = PathKey(path);
  return HashText(ContentHash::Of(key.data(), key.size() * sizeof(wchar_t)));
}

bool IsSharePath(const std::string& path) { return path.size() > 2 && path[0] == '\\' && path[1] == '\\'; }

std::wstring LongPath(const std::string& path) {
  return IsSharePath(path) ? L"\\\\?\\UNC" + WideFromUtf8(path.substr(1)) : L"\\\\?\\" + WideFromUtf8(path);
}

std::wstring ResolvedPath(HANDLE file) {
  std::vector<wchar_t> buffer(MAX_PATH);
  DWORD length = GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
  if (length >= buffer.size()) {
    buffer.resize(length + 1);
    length = GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
  }
  if (length == 0 || length >= buffer.size()) return std::wstring();
  std::wstring resolved(buffer.data(), length);
  if (resolved.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\" + resolved.substr(7);
  if (resolved.compare(0, 4, L"\\\\?\\") == 0) return resolved.substr(4);
  return resolved;
}

std::wstring ResolvedPathOf(const std::wstring& path) {
  const HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::wstring();
  std::wstring resolved = ResolvedPath(file);
  CloseHandle(file);
  return resolved;
}

bool FolderExists(const char* path) {
  const DWORD attributes = GetFileAttributesW(WideFromUtf8(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FullPath(const char* path, std::string* full, InstallFailure* failure) {
  wchar_t buffer[kMaxPathLength + 1];
  const DWORD length = GetFullPathNameW(WideFromUtf8(path).c_str(), kMaxPathLength + 1, buffer, nullptr);
  if (length == 0) {
    *failure = MakeFailure(path, GetLastError(), "");
    return false;
  }
  if (length > kMaxPathLength) {
    *failure = MakeFailure(path, ERROR_FILENAME_EXCED_RANGE,
                           "the full path would be longer than " + std::to_string(kMaxPathLength) + " characters");
    return false;
  }
  if (!Utf8FromWide(std::wstring(buffer, length), full)) {
    *failure = MakeFailure(path, ERROR_NO_UNICODE_TRANSLATION, "the full path is not well-formed UTF-16");
    return false;
  }
  return true;
}

bool ResolveDotFolders(const std::string& location, std::string* resolved, std::string* why) {
  // The names after the drive ("C:\") or the share ("\\server\share").
  size_t start = 3;
  if (IsSharePath(location)) {
    const size_t server = location.find('\\', 2);
    start = server == std::string::npos ? location.size() : location.find('\\', server + 1);
    if (start == std::string::npos) start = location.size();
  }
  std::vector<std::string> names;
  bool dotted = false;
  for (size_t at = start, end; at < location.size(); at = end + 1) {
    end = at;
    while (end < location.size() && location[end] != '\\') ++end;
    names.push_back(location.substr(at, end - at));
    dotted |= names.back() == "." || names.back() == "..";
  }
  if (!dotted) {
    *resolved = location;
    return true;
  }
  std::string folder = location.substr(0, start);
  if (folder.size() == 2) folder += '\\';
  const size_t volume = folder.size();
  for (const std::string& name : names) {
    if (name.empty() || name == ".") continue;
    if (name != "..") {
      folder += (folder.back() == '\\' ? "" : "\\") + name;
      continue;
    }
    const DWORD attributes = GetFileAttributesW(LongPath(folder).c_str());
    if (folder.size() <= volume) {
      *why = "climbs above its drive or share with \"..\"";
      return false;
    }
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      *why = "climbs with \"..\" out of \"" + folder + "\", which is not a folder";
      return false;
    }
    folder = ParentFolder(folder);
  }
  *resolved = folder;
  return true;
}

bool SameFile(const std::wstring& first, const std::wstring& second) {
  BY_HANDLE_FILE_INFORMATION info[2];
  const std::wstring* paths[2] = {&first, &second};
  for (int i = 0; i < 2; ++i) {
    const HANDLE file = CreateFileW(paths[i]->c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const BOOL read = GetFileInformationByHandle(file, &info[i]);
    CloseHandle(file);
    if (!read) return false;
  }
  return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
         info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
}

DWORD DeleteFileAlways(const std::wstring& path) {
  if (DeleteFileW(path.c_str())) return 0;
  const DWORD error = GetLastError();
  if (error != ERROR_ACCESS_DENIED) return error;
  const HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return error;
  FILE_BASIC_INFO info = {};
  if (!GetFileInformationByHandleEx(file, FileBasicInfo, &info, sizeof info) ||
      !(info.FileAttributes & FILE_ATTRIBUTE_READONLY)) {
    CloseHandle(file);
    return error;
  }
  // Times of 0 are left as they are.
  FILE_BASIC_INFO attributes = {};
  attributes.FileAttributes = info.FileAttributes & ~FILE_ATTRIBUTE_READONLY;
  if (attributes.FileAttributes == 0) attributes.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  DWORD result = error;
  if (SetFileInformationByHandle(file, FileBasicInfo, &attributes, sizeof attributes)) {
    result = DeleteFileW(path.c_str()) ? 0 : GetLastError();
    // Back on the file, which any other name of it still shows.
    attributes.FileAttributes = info.FileAttributes;
    SetFileInformationByHandle(file, FileBasicInfo, &attributes, sizeof attributes);
  }
  CloseHandle(file);
  return result;
}

DWORD PlainFileLinks(const std::wstring& path) {
  const HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  BY_HANDLE_FILE_INFORMATION info;
  const BOOL read = GetFileInformationByHandle(file, &info);
  // Wine shows a Unix symbolic link as the file it leads to, no reparse
  // point: the file opened must lie where its name does, in the folder
  // the name's folder resolves to.
  const std::wstring resolved = ResolvedPath(file);
  CloseHandle(file);
  if (!read || (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) return 0;
  const size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos) return 0;
  const std::wstring folder = ResolvedPathOf(path.substr(0, slash));
  if (folder.empty() || CaseFolded(resolved) != CaseFolded(folder + path.substr(slash))) return 0;
  return info.nNumberOfLinks;
}

namespace {

void RemoveTree(const std::wstring& path, DWORD attributes);

void DeleteContents(const std::wstring& folder) {
  std::vector<ListedEntry> entries;
  if (ListFolder(folder, &entries)) return;
  for (const ListedEntry& entry : entries) RemoveTree(folder + L"\\" + entry.name, entry.attributes);
}

// A link is removed itself, never what it leads to.
void RemoveTree(const std::wstring& path, DWORD attributes) {
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    DeleteFileW(path.c_str());
    return;
  }
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) DeleteContents(path);
  RemoveDirectoryW(path.c_str());
}

// The long form of a path given by a caller, which may be relative.
bool LongFormOf(const char* path, std::wstring* longPath) {
  std::string full;
  InstallFailure ignored;
  if (!FullPath(path, &full, &ignored)) return false;
  *longPath = LongPath(full);
  return true;
}

}  // namespace

void RemovePath(const char* path) {
  std::wstring longPath;
  if (!LongFormOf(path, &longPath)) return;
  const DWORD attributes = GetFileAttributesW(longPath.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) RemoveTree(longPath, attributes);
}

void DeleteFolderContents(const char* folder) {
  std::wstring longPath;
  if (!LongFormOf(folder, &longPath)) return;
  const DWORD attributes = GetFileAttributesW(longPath.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return;
  DeleteContents(longPath);
}

bool ReadWholeFile(HANDLE file, size_t limit, std::vector<uint8_t>* bytes) {
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(file, &size) || uint64_t(size.QuadPart) > limit) return false;
  bytes->resize(static_cast<size_t>(size.QuadPart));
  DWORD got = 0;
  return bytes->empty() ||
         (ReadFile(file, bytes->data(), static_cast<DWORD>(bytes->size()), &got, nullptr) && got == bytes->size());
}

bool LinkGuard::FoldersAreReal(const std::string& relative) {
  for (size_t slash = relative.find('\\'); slash != std::string::npos; slash = relative.find('\\', slash + 1)) {
    const std::string folder = relative.substr(0, slash);
    if (real.count(folder)) continue;
    const DWORD attributes = GetFileAttributesW(LongPath(root + "\\" + folder).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    real.insert(folder);
  }
  return true;
}

// The longest module path asked for (characters): past the longest path
// the platform has.
constexpr DWORD kLongestModulePath = 65536;

bool ModulePath(std::string* path, std::string* why) {
  std::wstring wide(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, &wide[0], static_cast<DWORD>(wide.size()));
    if (length == 0) {
      *why = "the program's path cannot be read (error " + std::to_string(GetLastError()) + ")";
      return false;
    }
    if (length < wide.size()) {
      wide.resize(length);
      break;
    }
    if (wide.size() >= kLongestModulePath) {
      *why = "the program's path is too long: more than " + std::to_string(kLongestModulePath) + " characters";
      return false;
    }
    wide.resize(wide.size() * 2);
  }
  return ProgramPathOf(wide, path, why);
}

bool ProgramPathOf(const std::wstring& wide, std::string* path, std::string* why) {
  if (!Utf8FromWide(wide, path)) {
    *why = "the program's path \"" + Utf8MarkingUnpaired(wide, '?') +
           "\" is not well-formed UTF-16 (a surrogate without its other half)";
    return false;
  }
  if (PathLength(*path) > kMaxPathLength) {
    *why = "the program's path \"" + *path + "\" is too long: " + std::to_string(PathLength(*path)) +
           " characters, where the installer's paths hold at most " + std::to_string(kMaxPathLength);
    return false;
  }
  return true;
}

std::string ShownPath(const std::wstring& longPath) {
  std::wstring path = longPath;
  if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0)
    path = L"\\" + path.substr(7);
  else if (path.compare(0, 4, L"\\\\?\\") == 0)
    path = path.substr(4);
  return Utf8MarkingUnpaired(path, '?');
}
