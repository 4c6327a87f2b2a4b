#include "app/install/FileTree.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "app/install/AFile.h"
#include "app/install/PathNames.h"
#include "common/PathList.h"

namespace {

// One open listing of folder\*.*, closed when it goes out of scope.
class FolderListing {
public:
  explicit FolderListing(const char* folder) {
    char pattern[kPathBufferSize];
    if (!JoinPathWithin(folder, "*.*", pattern)) {
      openError = ERROR_FILENAME_EXCED_RANGE;
      return;
    }
    find = FindFirstFileA(pattern, &entry);
    if (find == INVALID_HANDLE_VALUE) openError = GetLastError();
  }
  ~FolderListing() {
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
  }
  FolderListing(const FolderListing&) = delete;
  FolderListing& operator=(const FolderListing&) = delete;

  bool IsOpen() const { return find != INVALID_HANDLE_VALUE; }
  // Why the listing did not open: the platform's error, or
  // ERROR_FILENAME_EXCED_RANGE when its pattern would not fit.
  DWORD OpenError() const { return openError; }
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
  DWORD openError = 0;
  WIN32_FIND_DATAA entry;
};

bool IsDotOrDotDot(const char* name) {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// What ended a copy: the path concerned and the platform's error code.
struct CopyFailure {
  std::string path;
  DWORD error = 0;
};

bool Fail(CopyFailure* failure, std::string path, DWORD error) {
  failure->path = std::move(path);
  failure->error = error;
  return false;
}

// Fails with the platform's error of the call that just failed.
bool FailNow(CopyFailure* failure, const char* path) {
  const DWORD error = GetLastError();
  return Fail(failure, path, error);
}

std::string Joined(const char* folder, const char* name) { return std::string(folder) + "\\" + name; }

// Visits each entry of source that a copy takes, in listing order, once:
// names beginning with "." are skipped, folders are told by their
// attribute. The copy and the counting pass share it, so they agree on what
// a payload holds. Returns 0, or the platform's error when the folder
// could not be listed or its listing broke off part way. The top folder of
// a copy may be missing: it holds nothing. A sub-folder the listing named
// and that cannot be listed is an error, not an empty folder: no rights, a
// path too long for its pattern, or a name that did not survive the ANSI
// code page and so names nothing.
template <typename Visit>
DWORD ForEachCopyEntry(const char* source, bool isTop, Visit visit) {
  FolderListing listing(source);
  if (!listing.IsOpen()) {
    const DWORD error = listing.OpenError();
    const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return isTop && missing ? 0 : error;
  }
  bool failed = false;
  do {
    const char* name = listing.Entry().cFileName;
    if (name[0] == '\0' || name[0] == '.') continue;
    visit(listing.Entry(), listing.IsFolder());
  } while (listing.Next(&failed));
  return failed ? GetLastError() : 0;
}

// Copies one file through a buffer of at most chunkSize bytes; on failure
// says which of the two paths failed and why.
bool CopyOneFile(const char* source, const char* destination, uint32_t chunkSize, uint64_t* bytes,
                 CopyFailure* failure) {
  AFile in(source);
  if (in.OpenRead(0) != 0) return FailNow(failure, source);
  LARGE_INTEGER size;
  if (!GetFileSizeEx(in.handle, &size)) return FailNow(failure, source);
  AFile out(destination);
  if (out.OpenWrite(0, 0, 0) != 0) return FailNow(failure, destination);

  bool copied = true;
  uint64_t remaining = static_cast<uint64_t>(size.QuadPart);
  if (remaining > 0) {
    const int piece = static_cast<int>(std::min<uint64_t>(remaining, std::max<uint32_t>(chunkSize, 1)));
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[piece]);
    if (!buffer) copied = Fail(failure, source, ERROR_NOT_ENOUGH_MEMORY);
    while (copied && remaining > 0) {
      const int want = static_cast<int>(std::min<uint64_t>(remaining, piece));
      SetLastError(0);
      const int got = in.Read(buffer.get(), want);
      if (got <= 0) {
        // A read that succeeds with nothing is a file shorter than it said.
        const DWORD error = GetLastError();
        copied = Fail(failure, source, error ? error : ERROR_HANDLE_EOF);
        break;
      }
      SetLastError(0);
      if (out.Write(buffer.get(), got) != got) {
        const DWORD error = GetLastError();
        copied = Fail(failure, destination, error ? error : ERROR_WRITE_FAULT);
        break;
      }
      remaining -= got;
    }
  }
  out.Close();
  if (!copied) RemovePath(destination);
  if (copied && bytes) *bytes = static_cast<uint64_t>(size.QuadPart);
  return copied;
}

bool CopyTreeWithin(const char* destination, const char* source, bool isTop,
                    CopyTally* tally, CopyObserver* observer, CopyFailure* failure) {
  if (std::strlen(destination) > kMaxPathLength) return Fail(failure, destination, ERROR_FILENAME_EXCED_RANGE);
  if (std::strlen(source) > kMaxPathLength) return Fail(failure, source, ERROR_FILENAME_EXCED_RANGE);
  CreateDirectoryA(destination, nullptr);

  PathList files, folders;
  const DWORD listingError =
      ForEachCopyEntry(source, isTop, [&](const WIN32_FIND_DATAA& entry, bool isFolder) {
        (isFolder ? folders : files).Append(entry.cFileName);
      });
  if (listingError) return Fail(failure, source, listingError);

  char from[kPathBufferSize], to[kPathBufferSize];
  for (int i = 0; i < files.Count(); ++i) {
    const char* name = files.At(i);
    if (!JoinPathWithin(source, name, from)) return Fail(failure, Joined(source, name), ERROR_FILENAME_EXCED_RANGE);
    if (!JoinPathWithin(destination, name, to))
      return Fail(failure, Joined(destination, name), ERROR_FILENAME_EXCED_RANGE);
    uint64_t bytes = 0;
    if (!CopyOneFile(from, to, kCopyChunkSize, &bytes, failure)) return false;
    if (tally) {
      ++tally->files;
      tally->bytes += bytes;
    }
    if (observer) observer->FileCopied(from, to, bytes);
  }
  for (int i = 0; i < folders.Count(); ++i) {
    const char* name = folders.At(i);
    if (!JoinPathWithin(source, name, from)) return Fail(failure, Joined(source, name), ERROR_FILENAME_EXCED_RANGE);
    if (!JoinPathWithin(destination, name, to))
      return Fail(failure, Joined(destination, name), ERROR_FILENAME_EXCED_RANGE);
    if (!CopyTreeWithin(to, from, false, tally, observer, failure)) return false;
  }
  return true;
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

bool CopyTree(const char* destination, const char* source, CopyTally* tally,
              CopyObserver* observer) {
  CopyFailure failure;
  if (CopyTreeWithin(destination, source, true, tally, observer, &failure)) return true;
  if (observer) observer->CopyFailed(failure.path.c_str(), failure.error);
  SetLastError(failure.error);
  return false;
}

namespace {

bool CountWithin(const char* source, bool isTop, CopyTally* totals) {
  if (std::strlen(source) > kMaxPathLength) return false;
  PathList folders;
  const DWORD listingError = ForEachCopyEntry(source, isTop, [&](const WIN32_FIND_DATAA& entry, bool isFolder) {
    if (isFolder) {
      folders.Append(entry.cFileName);
    } else {
      ++totals->files;
      totals->bytes += (static_cast<uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
    }
  });
  bool whole = listingError == 0;
  char path[kPathBufferSize];
  for (int i = 0; i < folders.Count(); ++i) {
    if (JoinPathWithin(source, folders.At(i), path))
      whole = CountWithin(path, false, totals) && whole;
    else
      whole = false;
  }
  return whole;
}

}  // namespace

bool CountCopyTree(const char* source, CopyTally* totals) { return CountWithin(source, true, totals); }

bool CopyFileWhole(const char* source, const char* destination, uint32_t chunkSize, uint64_t* bytes) {
  CopyFailure failure;
  if (CopyOneFile(source, destination, chunkSize, bytes, &failure)) return true;
  SetLastError(failure.error);
  return false;
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
