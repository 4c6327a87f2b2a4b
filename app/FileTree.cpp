#include "app/FileTree.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "app/AFile.h"
#include "app/BusyCursor.h"
#include "app/PathNames.h"
#include "common/PathList.h"

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
  bool IsFolder() const { return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
  bool IsLink() const { return (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
  // False at the end of the listing; *failed tells an error from the end.
  bool Next(bool* failed = nullptr) {
    if (FindNextFileA(find, &entry)) return true;
    if (failed) *failed = GetLastError() != ERROR_NO_MORE_FILES;
    return false;
  }

private:
  HANDLE find = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAA entry;
};

bool IsDotOrDotDot(const char* name) {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// Reads the whole listing of source once: the files and the sub-folders to
// copy, each in listing order. False when the listing broke off part way.
bool ListCopyEntries(const char* source, PathList& files, PathList& folders) {
  FolderListing listing(source);
  if (!listing.IsOpen()) return true;  // a missing source copies nothing
  bool failed = false;
  do {
    const char* name = listing.Entry().cFileName;
    if (name[0] == '\0' || name[0] == '.') continue;
    (listing.IsFolder() ? folders : files).Append(name);
  } while (listing.Next(&failed));
  return !failed;
}

}  // namespace

char* FolderEntry(const char* folder, int n) {
  FolderListing listing(folder);
  if (!listing.IsOpen() || n < 1) return nullptr;
  for (int i = 1; i < n; ++i)
    if (!listing.Next()) return nullptr;
  char* path = new char[kPathBufferSize];
  std::string joined(folder);
  joined += '\\';
  joined += listing.Entry().cFileName;
  BoundedCopy(joined.c_str(), path);
  return path;
}

int CreateSubfolder(const char* base, const char* name) {
  char path[kPathBufferSize];
  std::strncpy(path, base, kPathBufferSize - 1);
  path[kPathBufferSize - 1] = '\0';
  AppendPathName(path, name);
  return CreateDirectoryA(path, nullptr);
}

bool CopyTree(BusyCursor* cursor, const char* destination, const char* source, CopyTally* tally) {
  if (std::strlen(destination) > kMaxPathLength || std::strlen(source) > kMaxPathLength) return false;
  CreateDirectoryA(destination, nullptr);

  PathList files, folders;
  if (!ListCopyEntries(source, files, folders)) return false;

  char from[kPathBufferSize], to[kPathBufferSize];
  for (int i = 0; i < files.Count(); ++i) {
    if (!JoinPathWithin(source, files.At(i), from) || !JoinPathWithin(destination, files.At(i), to))
      return false;
    if (cursor) AdvanceBusyCursor(cursor);
    uint64_t bytes = 0;
    if (!CopyFileWhole(from, to, kCopyChunkSize, &bytes)) return false;
    if (tally) {
      ++tally->files;
      tally->bytes += bytes;
    }
  }
  for (int i = 0; i < folders.Count(); ++i) {
    if (!JoinPathWithin(source, folders.At(i), from) || !JoinPathWithin(destination, folders.At(i), to))
      return false;
    if (!CopyTree(cursor, to, from, tally)) return false;
  }
  return true;
}

bool CopyFileWhole(const char* source, const char* destination, uint32_t chunkSize, uint64_t* bytes) {
  AFile in(source);
  if (in.OpenRead(0) != 0) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(in.handle, &size)) return false;
  AFile out(destination);
  if (out.OpenWrite(0, 0, 0) != 0) return false;

  bool copied = true;
  uint64_t remaining = static_cast<uint64_t>(size.QuadPart);
  if (remaining > 0) {
    const int piece = static_cast<int>(std::min<uint64_t>(remaining, std::max<uint32_t>(chunkSize, 1)));
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[piece]);
    copied = buffer != nullptr;
    while (copied && remaining > 0) {
      const int want = static_cast<int>(std::min<uint64_t>(remaining, piece));
      const int got = in.Read(buffer.get(), want);
      copied = got > 0 && out.Write(buffer.get(), got) == got;
      remaining -= got;
    }
  }
  out.Close();
  if (!copied) RemovePath(destination);
  if (copied && bytes) *bytes = static_cast<uint64_t>(size.QuadPart);
  return copied;
}

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
    const char* name = listing.Entry().cFileName;
    if (IsDotOrDotDot(name) || !JoinPathWithin(folder, name, path)) continue;
    if (listing.IsFolder()) {
      if (!listing.IsLink()) DeleteFolderContents(path);
      RemoveDirectoryA(path);
    } else {
      DeleteFileA(path);
    }
  } while (listing.Next());
}
