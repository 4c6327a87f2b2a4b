// Puts placed files' contents on the disk before an install commits, on a
// thread of its own, so that the disk's wait overlaps the copy's work
// (journal rule 5 in InstallJournal.h).
//
// Under Wine a flush of the volume fails (ERROR_INVALID_FUNCTION), and on
// Windows it needs an administrator: a flush of each file is the one way
// that works everywhere. The thread takes over each file's handle once the
// file is in place, flushes it and closes it; Finish waits for the last.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "app/install/AFile.h"
#include "app/install/InstallFailure.h"

// How a file is put on the disk: FlushFileBuffers, or a test's seam that
// records the order of the flushes or makes one fail. Flush is called on
// the flusher's thread for files, on the install's for the journal.
class DiskFlush {
public:
  virtual ~DiskFlush() = default;
  // what: the file's shown path. False, with GetLastError set, on failure.
  virtual bool Flush(HANDLE file, const std::string& what) = 0;
};

// FlushFileBuffers itself.
DiskFlush& PlatformDiskFlush();

// The one writer of the installer's own files (the journal, the record):
// writes bytes at file's position and, when flush, puts them on the disk
// through disk. False, with failure naming path and what was being
// written, and the write's or the flush's own error.
bool WriteDurably(AFile& file, const std::string& bytes, bool flush, DiskFlush& disk, const std::string& path,
                  const std::string& what, InstallFailure* failure);

class FileFlusher {
public:
  explicit FileFlusher(DiskFlush& disk);
  // Closes what is still handed over, unflushed (as Abandon).
  ~FileFlusher();
  FileFlusher(const FileFlusher&) = delete;
  FileFlusher& operator=(const FileFlusher&) = delete;

  // Takes the file over: it is flushed, then closed. path: its shown path,
  // for a failure. Without a thread (none could be started) the file is
  // flushed here, at once. Waits while many files are waiting.
  void Hand(std::unique_ptr<AFile> file, std::string path);
  // Waits until every file handed over is flushed and closed. False, with
  // the first failure, when any flush failed (the rest are still flushed).
  bool Finish(InstallFailure* failure);
  // Closes every file not yet flushed, without flushing it: the install is
  // undone, and its files must be free to go.
  void Abandon();

private:
  struct Waiting {
    std::unique_ptr<AFile> file;
    std::string path;
  };
  static DWORD WINAPI Run(void* self);
  void Flush(Waiting& waiting);  // with the lock not held

  DiskFlush& disk;
  SRWLOCK lock;
  CONDITION_VARIABLE changed;
  HANDLE thread = nullptr;            // owned; started with the first file
  std::deque<Waiting> waiting;        // handed over, not yet taken by the thread
  size_t busy = 0;                    // taken by the thread, being flushed
  bool quit = false;
  bool failed = false;
  InstallFailure firstFailure;
};
