// The copy engine: copies a walked payload (PayloadWalk.h) into a
// destination folder, all or nothing (InstallTransaction.h). Before it
// writes anything it looks at what the destination already holds, each
// existing folder listed once, and plans every file and folder: made new,
// replacing a file, or going into a folder that is there. Whatever stands
// in the way fails the plan, before anything is written.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "app/install/InstallFailure.h"
#include "app/install/InstallJournal.h"
#include "app/install/InstallLogText.h"
#include "app/install/PayloadWalk.h"
#include "common/Sha256.h"

class InstallTransaction;

// Largest piece of a file held in memory at once while copying. Under Wine
// 64 KiB pieces copy large files as fast as larger ones, and steadily:
// with 1 MiB pieces every other run of the benchmark took three times as
// long (BENCHMARKS.md).
constexpr uint32_t kCopyChunkSize = 64u << 10;

// What a copy has done so far.
struct CopyTally {
  uint64_t files = 0;
  uint64_t bytes = 0;
};

// Told of each file a copy places and of the failure that ends it, so that
// a caller can keep a log and show progress while the copy runs.
class CopyObserver {
public:
  virtual ~CopyObserver() = default;
  // One file copied whole and in place; bytes is its size.
  virtual void FileCopied(const char* source, const char* destination, uint64_t bytes) = 0;
  // One file left in place: the file there holds its bytes already. Told
  // as a copy to an observer that does not tell the two apart.
  virtual void FileUnchanged(const char* source, const char* destination, uint64_t bytes) {
    FileCopied(source, destination, bytes);
  }
  // The failure that ends the install.
  virtual void CopyFailed(const InstallFailure& failure) = 0;
};

// What the copy does with one payload entry.
enum class CopyAction {
  kMakeFolder,   // a folder that is not there yet
  kUseFolder,    // a folder that is there
  kNewFile,      // a file that is not there yet
  kReplaceFile,  // a file that is there: left as it is when it holds the payload file's bytes, else
                 // replaced, its earlier version kept until the install is done
};

struct CopyPlan {
  // The folders made before anything else, outermost first: the folders
  // of the destination's path that do not exist, the destination last.
  std::vector<std::string> makeFirst;
  // The deepest folder of the destination's path that exists: the
  // destination itself, or the one the first of makeFirst goes in.
  std::string existingFolder;
  std::vector<CopyAction> actions;  // one for each payload entry, in its order
  std::vector<uint32_t> attributes;  // of the file each kReplaceFile replaces; 0 for the others
};

// Plans payload into destination (a full, normalised path). Fails, naming
// the path, when the destination or one of its entries is a link or a
// junction (nothing is written through one), a file stands where a folder
// goes or a folder where a file goes, a folder cannot be listed, or the
// drive or share of the destination does not exist. Every folder of the
// destination's path that does not exist is made.
bool PlanCopy(const Payload& payload, const std::string& destination, CopyPlan* plan, InstallFailure* failure);

// The text of a failure that is the payload's own doing: it changed after
// the walk looked at it.
extern const char kPayloadChanged[];
// The text of a file whose bytes are not the ones a signed distribution's
// list gives.
extern const char kSignedFileChanged[];

// The SHA-256 a copy takes of each file, in the pass that copies it.
struct CopyDigests {
  // By entry, the digest each file must have (a signed distribution's
  // list); null for an entry not checked, empty when none is. A file whose
  // bytes differ fails the copy before it is placed.
  std::vector<const Sha256Digest*> expected;
  // By entry, the digest of each file's bytes as copied (zero for folders).
  std::vector<Sha256Digest> found;
};

// Copies the planned payload from source into destination through the
// transaction, which it begins, in the payload's order. The first failure
// ends the copy; so does stop, when it is set (between entries, and
// between the pieces of a large file). A source file that is not the one
// the walk found (another size, a folder now, or reached through a link)
// fails it: the payload changed under the install; so do totals that do
// not come to the walk's. Each placed file keeps its source's last-write
// time, counts in tally and is told to the observer, when they are given.
// A file already in the destination with exactly the payload file's bytes
// is left as it is, untouched, and counts as placed. The caller commits or
// rolls back.
//
// Each source byte is read once: from a handle no one may write through
// while it is open, the same piece is compared with the file already
// there, hashed and written, so that what is hashed is what is placed. A
// file there that differs is replaced by a staged copy, whose first,
// equal part comes from the file there.
//
// removals, when given, are kRemoveFile steps (indices past the
// payload's) that go after the copy, in the same transaction: an earlier
// version's files that this one does not have. digests, when given, are
// checked and filled as CopyDigests says; times, when given, are added to
// where the time went (InstallLogText.h).
bool CopyPayload(const Payload& payload, const CopyPlan& plan, const std::string& source,
                 const std::string& destination, InstallTransaction& transaction, CopyTally* tally,
                 CopyObserver* observer, const std::atomic<bool>* stop, InstallFailure* failure,
                 const std::vector<JournalEntry>* removals = nullptr, CopyDigests* digests = nullptr,
                 CopyTimes* times = nullptr);

// Copies the file source into a new file destination (an existing one is
// never opened: ERROR_FILE_EXISTS) through a buffer of at most chunkSize
// bytes, with the source's last-write time. A partial destination is
// removed. GetLastError gives a failure's code (ERROR_HANDLE_EOF for a
// file shorter than its size said); *bytes, when given, the size copied.
bool CopyFileWhole(const char* source, const char* destination, uint32_t chunkSize = kCopyChunkSize,
                   uint64_t* bytes = nullptr);
