// The file-tree copy engine: copies a payload folder with its sub-folders
// into a destination folder, file by file, and answers plain success or
// failure; beside it the folder listing by index and the removal of a file
// or folder tree used to clean up after a failed copy.
#pragma once

#include <cstdint>

// Largest piece of a file held in memory at once while copying. Under Wine
// 64 KiB pieces copy large files as fast as larger ones, and steadily:
// with 1 MiB pieces every other run of the benchmark took three times as
// long (BENCHMARKS.md).
constexpr uint32_t kCopyChunkSize = 64u << 10;

// folder + "\" + the name of the n-th entry (from 1) of the platform's
// listing of folder, "." and ".." included, through BoundedCopy; null when
// the listing cannot be opened or is shorter. The caller delete[]s it.
char* FolderEntry(const char* folder, int n);

// Nonzero when base + "\" + name was created.
int CreateSubfolder(const char* base, const char* name);

// What a copy has done so far.
struct CopyTally {
  uint64_t files = 0;
  uint64_t bytes = 0;
};

// Told of each file a copy makes and of the failure that ends it, so that a
// caller can keep a log and show progress while the copy runs.
class CopyObserver {
public:
  virtual ~CopyObserver() = default;
  // One file copied whole; bytes is its size.
  virtual void FileCopied(const char* source, const char* destination, uint64_t bytes) = 0;
  // The failure that ends the copy: the path it concerns (written out in
  // full when it is a path too long to use) and the platform's error code.
  virtual void CopyFailed(const char* path, uint32_t error) = 0;
};

// Copies the files of source into destination (created if missing), then
// each sub-folder, depth first in listing order; names beginning with "."
// are skipped. The first failure ends the copy: a file that cannot be read
// or written, or a path that would not fit in 259 characters
// (ERROR_FILENAME_EXCED_RANGE). Each copied file counts in the tally and is
// told to the observer, when they are given. On failure
// the observer hears of it once, and GetLastError gives its code.
bool CopyTree(const char* destination, const char* source,
              CopyTally* tally = nullptr, CopyObserver* observer = nullptr);

// Adds up the files and bytes a CopyTree of source would copy, with one
// listing of each folder and the copy's own rules for what is skipped. False
// when a listing broke off or a sub-folder's path would not fit; the totals
// then hold what could be counted.
bool CountCopyTree(const char* source, CopyTally* totals);

// Copies one file through a buffer of at most chunkSize bytes. The
// destination is created anew; when the copy fails part way, the partial
// destination file is removed, and GetLastError gives the failure's code
// (ERROR_HANDLE_EOF for a file shorter than its size said).
// *bytes, when given, receives the size copied.
bool CopyFileWhole(const char* source, const char* destination, uint32_t chunkSize = kCopyChunkSize,
                   uint64_t* bytes = nullptr);

// Removes a file, or a folder with everything in it. Junctions and symbolic
// links are removed themselves; what they point at is never touched.
void RemovePath(const char* path);

// Deletes everything inside folder; the folder itself stays. A folder that
// is itself a junction or symbolic link is left alone.
void DeleteFolderContents(const char* folder);
