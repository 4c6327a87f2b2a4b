#include "app/install/CopyEngine.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <utility>

#include "app/install/AFile.h"
#include "common/AnsiText.h"
#include "app/install/FileTree.h"
#include "app/install/InstallTransaction.h"
#include "app/install/InstallProgress.h"
#include "app/install/PathNames.h"
#include "app/install/Stopwatch.h"

namespace {

const char kLinkInTheWay[] = "it is a link or a junction, and the installer writes through neither";

// A folder's existing entries by name key.
using Existing = std::map<std::wstring, ListedEntry>;

bool ListExisting(const std::string& folder, Existing* existing, InstallFailure* failure) {
  std::vector<ListedEntry> entries;
  const DWORD error = ListFolder(LongPath(folder), &entries);
  if (error) return Fail(failure, folder, error);
  for (ListedEntry& entry : entries) {
    std::wstring key = NameKey(entry.name);
    existing->emplace(std::move(key), std::move(entry));
  }
  return true;
}

// "X:\" or "\\server\share": a folder no install can make.
bool IsVolumeRoot(const std::string& folder) {
  if (folder.size() == 3 && folder[1] == ':' && folder[2] == '\\') return true;
  if (!IsSharePath(folder)) return false;
  const size_t slash = folder.find('\\', 2);
  return slash != std::string::npos && folder.find('\\', slash + 1) == std::string::npos;
}

bool PlanRoot(const std::string& destination, CopyPlan* plan, InstallFailure* failure) {
  const DWORD attributes = GetFileAttributesW(LongPath(destination).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
      return Fail(failure, destination, ERROR_ALREADY_EXISTS, "a file of this name stands where the install folder goes");
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return Fail(failure, destination, ERROR_NOT_SUPPORTED, kLinkInTheWay);
    plan->existingFolder = destination;
    return true;
  }
  const DWORD error = GetLastError();
  if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return Fail(failure, destination, error);
  // Up to the deepest folder of the path that exists; every one below it
  // is made.
  std::vector<std::string> missing = {destination};
  for (std::string folder = ParentFolder(destination);; folder = ParentFolder(folder)) {
    if (folder.empty() || folder == missing.back())
      return Fail(failure, destination, ERROR_PATH_NOT_FOUND, "no folder of its path exists");
    const DWORD found = GetFileAttributesW(LongPath(folder).c_str());
    if (found != INVALID_FILE_ATTRIBUTES) {
      if (!(found & FILE_ATTRIBUTE_DIRECTORY))
        return Fail(failure, folder, ERROR_ALREADY_EXISTS,
                    "a file of this name stands where a folder of the install location goes");
      plan->existingFolder = folder;
      break;
    }
    const DWORD why = GetLastError();
    const bool absent = why == ERROR_FILE_NOT_FOUND || why == ERROR_PATH_NOT_FOUND || why == ERROR_INVALID_DRIVE ||
                        why == ERROR_BAD_NETPATH || why == ERROR_BAD_NET_NAME;
    if (!absent) return Fail(failure, folder, why);
    if (IsVolumeRoot(folder))
      return Fail(failure, folder, why, "the drive or share \"" + folder + "\" does not exist");
    missing.push_back(folder);
  }
  plan->makeFirst.assign(missing.rbegin(), missing.rend());
  return true;
}

// Why a volume refused a new file or folder with "disk full": when it
// still has bytes free, it is out of the slots it keeps names in.
std::string FullVolumeReason(const std::string& folder) {
  ULARGE_INTEGER available;
  if (!GetDiskFreeSpaceExW(LongPath(folder).c_str(), &available, nullptr, nullptr) ||
      available.QuadPart < (1u << 20))
    return std::string();
  return "the volume can take no more files or folders, although it has " + FormatCount(available.QuadPart) +
         " bytes free: it is out of file slots";
}

// A failure to make something new, told against what was being made.
bool FailMaking(InstallFailure* failure, const std::string& path, const std::string& root) {
  const uint32_t error = failure->error;
  return Fail(failure, path, error, error == ERROR_DISK_FULL ? FullVolumeReason(root) : failure->reason);
}

// Copies size bytes from in to out in pieces, and fails when the source
// ends early or has more than size bytes.
bool CopyContents(AFile& in, AFile& out, uint64_t size, uint32_t chunkSize, const std::atomic<bool>* stop,
                  const std::string& from, const std::string& to, InstallFailure* failure) {
  const uint32_t piece = static_cast<uint32_t>(std::min<uint64_t>(std::max<uint64_t>(size, 1), std::max(chunkSize, 1u)));
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[piece]);
  if (!buffer) return Fail(failure, from, ERROR_NOT_ENOUGH_MEMORY);
  for (uint64_t left = size; left > 0;) {
    if (stop && stop->load()) return Fail(failure, to, ERROR_CANCELLED, "the install was stopped");
    const uint32_t want = static_cast<uint32_t>(std::min<uint64_t>(left, piece));
    if (!in.ReadWhole(buffer.get(), want))
      return Fail(failure, from, in.Error(),
                  in.Error() == ERROR_HANDLE_EOF ? std::string(kPayloadChanged) + ": the file ended after " +
                                                       FormatCount(size - left) + " of its " + FormatCount(size) +
                                                       " bytes"
                                                 : "");
    if (!out.Write(buffer.get(), want)) return Fail(failure, to, out.Error());
    left -= want;
  }
  uint32_t more = 0;
  if (!in.Read(buffer.get(), 1, &more)) return Fail(failure, from, in.Error());
  if (more != 0) return Fail(failure, from, ERROR_INVALID_DATA, std::string(kPayloadChanged) + ": the file grew");
  return true;
}

// Opens a source file shared for reading, checks it still has the size the
// walk found, and takes its last-write time.
bool OpenSource(AFile& in, const std::string& path, const uint64_t* expected, uint64_t* size, FILETIME* written,
                InstallFailure* failure) {
  if (!in.OpenRead()) {
    const uint32_t error = in.Error();
    const DWORD attributes = GetFileAttributesW(WideFromUtf8(path).c_str());
    if (expected && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
      return Fail(failure, path, error, std::string(kPayloadChanged) + ": a folder stands where the file was");
    if (expected && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND))
      return Fail(failure, path, error, std::string(kPayloadChanged) + ": the file is gone");
    return Fail(failure, path, error);
  }
  // Not GetFileInformationByHandle, which asks the volume for its serial
  // number each time: under Wine that costs more than the rest of a small
  // file's copy.
  if (!in.Size(size)) return Fail(failure, path, in.Error());
  if (!GetFileTime(in.handle, nullptr, nullptr, written)) return Fail(failure, path, GetLastError());
  if (expected && *size != *expected)
    return Fail(failure, path, ERROR_INVALID_DATA,
                std::string(kPayloadChanged) + ": the file has " + FormatCount(*size) + " bytes where it had " +
                    FormatCount(*expected));
  return true;
}

// Whether two resolved paths name one place, letter case aside.
bool SameResolvedPath(const std::wstring& a, const std::wstring& b) {
  return a.size() == b.size() && CaseFolded(a) == CaseFolded(b);
}

// One payload file and where it goes.
struct FileCopy {
  uint32_t index;
  std::string from, to, relative;
  uint64_t expected;
};

// The staged copy of one file while the copy writes it: opened at the
// first byte that differs from the file there (or at once when there is
// none), and discarded unless placed.
class Staging {
public:
  Staging(InstallTransaction& transaction, uint32_t index) : transaction(transaction), index(index) {}
  ~Staging() {
    if (file.IsOpen()) transaction.DiscardStagingFile(std::move(file));
  }
  Staging(const Staging&) = delete;
  Staging& operator=(const Staging&) = delete;

  bool IsOpen() const { return file.IsOpen(); }
  bool Open(InstallFailure* failure) { return transaction.OpenStagingFile(index, &file, failure); }
  AFile& Contents() { return file.Contents(); }
  bool Place(const PlacedFile& placed, bool replaceable, InstallFailure* failure) {
    return transaction.PlaceFile(std::move(file), placed, failure, replaceable);
  }

private:
  InstallTransaction& transaction;
  uint32_t index;
  StagedFile file;
};

// The file an install replaces, opened to be compared with the source. It
// is opened for deletion too where it can be: then nothing holds it that
// would keep it from being replaced (a program that shares it without
// deletion, as a host that has a plug-in loaded does), and the transaction
// need not ask again. Where it cannot be, it is opened for reading alone,
// shared with readers, and the transaction asks when it replaces it. A
// file that cannot be opened at all is not compared.
struct FileThere {
  AFile file;
  bool replaceable = false;  // opened for deletion: nothing held it
  uint64_t size = 0;

  FileThere(const std::string& path) : file(path.c_str()) {}
  bool Open() {
    file.handle = CreateFileW(LongPath(file.name).c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    replaceable = file.handle != INVALID_HANDLE_VALUE;
    return (replaceable || file.OpenRead()) && file.Size(&size);
  }
};

// Copies the first count bytes of the file there, which equal the
// source's, into the staged copy.
bool CopyEqualPart(AFile& there, AFile& out, uint64_t count, char* buffer, uint32_t piece, const FileCopy& file,
                   InstallFailure* failure) {
  LARGE_INTEGER start = {};
  if (!SetFilePointerEx(there.handle, start, nullptr, FILE_BEGIN)) return Fail(failure, file.to, GetLastError());
  for (uint64_t left = count; left > 0;) {
    const uint32_t want = static_cast<uint32_t>(std::min<uint64_t>(left, piece));
    if (!there.ReadWhole(buffer, want)) return Fail(failure, file.to, there.Error());
    if (!out.Write(buffer, want)) return Fail(failure, file.to, out.Error());
    left -= want;
  }
  return true;
}

// SHA-256 of a large file on a thread of its own, while the copy reads and
// writes its next pieces: the two cores share the work, and the hash costs
// the copy little time. The copy fills the pieces of a ring in turn and
// hands each over; the thread hashes them in order and gives them back.
// Small files are hashed in line: a hand-over costs more than their hash.
class PieceHasher {
public:
  // Files of this size and more are hashed on the thread.
  static constexpr uint64_t kThreshold = 4u << 20;

  PieceHasher() {
    InitializeSRWLock(&lock);
    InitializeConditionVariable(&changed);
  }
  ~PieceHasher() {
    if (!thread) return;
    Begin();
    AcquireSRWLockExclusive(&lock);
    quit = true;
    WakeAllConditionVariable(&changed);
    ReleaseSRWLockExclusive(&lock);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
  PieceHasher(const PieceHasher&) = delete;
  PieceHasher& operator=(const PieceHasher&) = delete;

  // Starts a file: whatever was handed over before is hashed and dropped.
  // False when the thread or its memory cannot be had: the caller hashes
  // in line.
  bool Begin() {
    if (!thread && !Start()) return false;
    AcquireSRWLockExclusive(&lock);
    while (hashed != handed) SleepConditionVariableSRW(&changed, &lock, INFINITE, 0);
    hash = Sha256();
    ReleaseSRWLockExclusive(&lock);
    return true;
  }
  // The next piece to fill, once the thread has given it back.
  char* Next() {
    AcquireSRWLockExclusive(&lock);
    while (handed - hashed == kPieces) SleepConditionVariableSRW(&changed, &lock, INFINITE, 0);
    ReleaseSRWLockExclusive(&lock);
    return pieces.get() + (handed % kPieces) * kCopyChunkSize;
  }
  // Hands the piece Next gave, filled with size bytes, to the thread.
  void Hand(uint32_t size) {
    AcquireSRWLockExclusive(&lock);
    sizes[handed % kPieces] = size;
    ++handed;
    WakeAllConditionVariable(&changed);
    ReleaseSRWLockExclusive(&lock);
  }
  // The digest of every piece handed over since Begin.
  Sha256Digest Finish() {
    AcquireSRWLockExclusive(&lock);
    while (hashed != handed) SleepConditionVariableSRW(&changed, &lock, INFINITE, 0);
    ReleaseSRWLockExclusive(&lock);
    return hash.Finish();
  }

private:
  static constexpr uint64_t kPieces = 16;

  bool Start() {
    pieces.reset(new (std::nothrow) char[kPieces * kCopyChunkSize]);
    if (!pieces) return false;
    thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    return thread != nullptr;
  }
  static DWORD WINAPI Run(void* self) {
    auto& hasher = *static_cast<PieceHasher*>(self);
    AcquireSRWLockExclusive(&hasher.lock);
    for (;;) {
      while (hasher.hashed == hasher.handed && !hasher.quit)
        SleepConditionVariableSRW(&hasher.changed, &hasher.lock, INFINITE, 0);
      if (hasher.hashed == hasher.handed) break;
      const uint64_t at = hasher.hashed % kPieces;
      ReleaseSRWLockExclusive(&hasher.lock);
      // The piece is the thread's alone until it is counted hashed.
      hasher.hash.Add(hasher.pieces.get() + at * kCopyChunkSize, hasher.sizes[at]);
      AcquireSRWLockExclusive(&hasher.lock);
      ++hasher.hashed;
      WakeAllConditionVariable(&hasher.changed);
    }
    ReleaseSRWLockExclusive(&hasher.lock);
    return 0;
  }

  SRWLOCK lock;
  CONDITION_VARIABLE changed;
  HANDLE thread = nullptr;             // owned
  std::unique_ptr<char[]> pieces;      // kPieces pieces of kCopyChunkSize bytes
  uint32_t sizes[kPieces] = {};
  uint64_t handed = 0, hashed = 0;     // pieces handed over and hashed, counted from the first
  bool quit = false;
  Sha256 hash;                         // the thread's while pieces are handed over
};

// Copies one file into its place in one pass over its bytes (CopyPayload).
// *digest receives the SHA-256 of its bytes when asked for, and must equal
// *expected when that is given.
bool CopyIntoPlace(const FileCopy& file, InstallTransaction& transaction, const std::wstring& resolvedSource,
                   const std::string& root, bool replaces, const std::atomic<bool>* stop, uint64_t* copied,
                   const Sha256Digest* expected, Sha256Digest* digest, PieceHasher& hasher, CopyTimes& times,
                   bool* unchanged, InstallFailure* failure) {
  Stopwatch watch;
  // Every placed file is hashed: the journal says which bytes were placed.
  Sha256Digest untold;
  if (!digest) digest = &untold;
  AFile in(file.from.c_str());
  uint64_t size = 0;
  FILETIME written;
  if (!OpenSource(in, file.from, &file.expected, &size, &written, failure)) return false;
  // The file opened is the one the walk found, not one a link leads to.
  if (!resolvedSource.empty()) {
    const std::wstring opened = ResolvedPath(in.handle);
    if (!opened.empty() && !SameResolvedPath(opened, resolvedSource + L"\\" + WideFromUtf8(file.relative)))
      return Fail(failure, file.from, ERROR_NOT_SUPPORTED,
                  "it is a link, or lies behind one, and the installer does not follow links in a payload");
  }
  // A file already there of the same size is compared as the source is
  // read: while it holds the same bytes nothing is written, and when it
  // holds them all it is left as it is (a re-install of an unchanged
  // payload is a reading of both). One that cannot be opened for reading
  // (one in use for writing) is replaced, which tells the real cause.
  FileThere there(file.to);
  bool same = replaces && there.Open() && there.size == size;
  const bool replaceable = there.replaceable;
  if (replaces && !same) there.file.Close();
  times.opening += watch.Lap();
  // A large file is hashed on the hasher's thread, from its pieces.
  const bool handing = size >= PieceHasher::kThreshold && hasher.Begin();
  const uint32_t piece = static_cast<uint32_t>(std::min<uint64_t>(std::max<uint64_t>(size, 1), kCopyChunkSize));
  std::unique_ptr<char[]> own(handing ? nullptr : new (std::nothrow) char[piece]);
  std::unique_ptr<char[]> theirs(same ? new (std::nothrow) char[piece] : nullptr);
  if ((!handing && !own) || (same && !theirs)) return Fail(failure, file.from, ERROR_NOT_ENOUGH_MEMORY);
  Staging staging(transaction, file.index);
  if (!same && !staging.Open(failure)) return FailMaking(failure, file.to, root);
  times.staging += watch.Lap();
  Sha256 hash;
  // The source is opened sharing only with readers: no one can write it
  // while it is open, so it ends where its size said.
  for (uint64_t done = 0; done < size;) {
    if (stop && stop->load()) return Fail(failure, file.to, ERROR_CANCELLED, "the install was stopped");
    const uint32_t want = static_cast<uint32_t>(std::min<uint64_t>(size - done, piece));
    char* ours = handing ? hasher.Next() : own.get();
    if (!in.ReadWhole(ours, want))
      return Fail(failure, file.from, in.Error(),
                  in.Error() == ERROR_HANDLE_EOF ? std::string(kPayloadChanged) + ": the file ended after " +
                                                       FormatCount(done) + " of its " + FormatCount(size) + " bytes"
                                                 : "");
    if (handing)
      hasher.Hand(want);
    else
      hash.Add(ours, want);
    if (same) {
      if (there.file.ReadWhole(theirs.get(), want) && std::memcmp(ours, theirs.get(), want) == 0) {
        done += want;
        continue;
      }
      // The first difference: the staged copy takes the equal part from
      // the file there, and the rest from the source.
      same = false;
      times.reading += watch.Lap();
      if (!staging.Open(failure)) return FailMaking(failure, file.to, root);
      times.staging += watch.Lap();
      if (!CopyEqualPart(there.file, staging.Contents(), done, theirs.get(), piece, file, failure)) return false;
      there.file.Close();
    }
    if (!staging.Contents().Write(ours, want)) return Fail(failure, file.to, staging.Contents().Error());
    done += want;
  }
  there.file.Close();
  const Sha256Digest found = handing ? hasher.Finish() : hash.Finish();
  *digest = found;
  if (expected && found != *expected) {
    *failure = MakeFailure(file.from, ERROR_INVALID_DATA, kSignedFileChanged);
    failure->distributionChanged = true;
    return false;
  }
  *copied = size;
  times.reading += watch.Lap();
  *unchanged = same;
  if (same) return true;
  if (!SetFileTime(staging.Contents().handle, nullptr, nullptr, &written)) return Fail(failure, file.to, GetLastError());
  const bool placed = staging.Place({size, found}, replaceable, failure);
  times.placing += watch.Lap();
  return placed;
}

// The journal's plan of a copy: every entry that changes the disk.
std::vector<JournalEntry> JournalPlanOf(const Payload& payload, const CopyPlan& plan) {
  std::vector<JournalEntry> steps;
  for (size_t i = 0; i < payload.entries.size(); ++i) {
    const uint32_t index = static_cast<uint32_t>(i);
    const std::string& path = payload.entries[i].path;
    switch (plan.actions[i]) {
      case CopyAction::kMakeFolder: steps.push_back({JournalStep::kMakeFolder, index, 0, path}); break;
      case CopyAction::kNewFile: steps.push_back({JournalStep::kNewFile, index, 0, path}); break;
      case CopyAction::kReplaceFile:
        steps.push_back({JournalStep::kReplaceFile, index, plan.attributes[i], path});
        break;
      case CopyAction::kUseFolder: break;
    }
  }
  return steps;
}

// The failure of CopyFileWhole, as its callers read it.
bool Report(const InstallFailure& failure) {
  SetLastError(failure.error);
  return false;
}

}  // namespace

const char kPayloadChanged[] = "the payload changed while it was being copied";
const char kSignedFileChanged[] =
    "it was changed after the distribution was signed: its bytes are not the ones signed";

bool PlanCopy(const Payload& payload, const std::string& destination, CopyPlan* plan, InstallFailure* failure) {
  *plan = CopyPlan();
  if (!PlanRoot(destination, plan, failure)) return false;
  // The listings of the destination's folders that exist, by their path
  // relative to the destination. A folder made new has none: all in it is
  // new too.
  std::map<std::string, Existing> listings;
  if (plan->makeFirst.empty() && !ListExisting(destination, &listings[""], failure)) return false;
  plan->actions.reserve(payload.entries.size());
  plan->attributes.reserve(payload.entries.size());
  for (const PayloadEntry& entry : payload.entries) {
    const size_t slash = entry.path.find_last_of('\\');
    const std::string parent = slash == std::string::npos ? "" : entry.path.substr(0, slash);
    const std::string target = destination + "\\" + entry.path;
    const auto listing = listings.find(parent);
    const Existing* existing = listing == listings.end() ? nullptr : &listing->second;
    const auto found = existing ? existing->find(NameKey(WideFromUtf8(entry.path.substr(slash + 1)))) : Existing::const_iterator();
    plan->attributes.push_back(0);
    if (!existing || found == existing->end()) {
      plan->actions.push_back(entry.isFolder ? CopyAction::kMakeFolder : CopyAction::kNewFile);
      continue;
    }
    const ListedEntry& there = found->second;
    if (there.IsLink()) return Fail(failure, target, ERROR_NOT_SUPPORTED, kLinkInTheWay);
    if (entry.isFolder != there.IsFolder())
      return Fail(failure, target, ERROR_ALREADY_EXISTS,
                  entry.isFolder ? "a file of this name stands where the payload has a folder"
                                 : "a folder of this name stands where the payload has a file");
    if (entry.isFolder) {
      plan->actions.push_back(CopyAction::kUseFolder);
      if (!ListExisting(target, &listings[entry.path], failure)) return false;
    } else {
      plan->actions.push_back(CopyAction::kReplaceFile);
      plan->attributes.back() = there.attributes;
    }
  }
  return true;
}

bool CopyPayload(const Payload& payload, const CopyPlan& plan, const std::string& source,
                 const std::string& destination, InstallTransaction& transaction, CopyTally* tally,
                 CopyObserver* observer, const std::atomic<bool>* stop, InstallFailure* failure,
                 const std::vector<JournalEntry>* removals, CopyDigests* digests, CopyTimes* times) {
  CopyTimes untold;
  CopyTimes& spent = times ? *times : untold;
  std::vector<JournalEntry> steps = JournalPlanOf(payload, plan);
  if (removals) steps.insert(steps.end(), removals->begin(), removals->end());
  if (!transaction.Begin(plan.makeFirst, std::move(steps), failure))
    return FailMaking(failure, failure->path, plan.existingFolder);
  if (digests) digests->found.assign(payload.entries.size(), Sha256Digest{});
  const bool checked = digests && !digests->expected.empty();
  PieceHasher hasher;
  // Where the payload folder really lies: each file opened must lie there,
  // by the path the walk found.
  const std::wstring resolvedSource = ResolvedPathOf(LongPath(source));
  CopyTally placed;
  for (size_t i = 0; i < payload.entries.size(); ++i) {
    const PayloadEntry& entry = payload.entries[i];
    const uint32_t index = static_cast<uint32_t>(i);
    const FileCopy file = {index, source + "\\" + entry.path, destination + "\\" + entry.path, entry.path, entry.size};
    if (stop && stop->load()) return Fail(failure, file.to, ERROR_CANCELLED, "the install was stopped");
    uint64_t copied = 0;
    bool unchanged = false;
    switch (plan.actions[i]) {
      case CopyAction::kMakeFolder:
        if (!transaction.MakeFolder(index, failure)) return FailMaking(failure, file.to, destination);
        break;
      case CopyAction::kUseFolder:
        break;
      case CopyAction::kNewFile:
      case CopyAction::kReplaceFile:
        if (!CopyIntoPlace(file, transaction, resolvedSource, destination, plan.actions[i] == CopyAction::kReplaceFile,
                           stop, &copied, checked ? digests->expected[i] : nullptr,
                           digests ? &digests->found[i] : nullptr, hasher, spent, &unchanged, failure))
          return false;
        ++placed.files;
        placed.bytes += copied;
        if (tally) *tally = placed;
        if (observer && unchanged)
          observer->FileUnchanged(file.from.c_str(), file.to.c_str(), copied);
        else if (observer)
          observer->FileCopied(file.from.c_str(), file.to.c_str(), copied);
        break;
    }
  }
  // The walk counted as it went; the copy counts what it placed. Entries
  // skipped or placed twice would show here.
  if (placed.files != payload.files || placed.bytes != payload.bytes)
    return Fail(failure, destination, ERROR_INVALID_DATA,
                "the install placed " + std::to_string(placed.files) + " files of " + std::to_string(placed.bytes) +
                    " bytes where the payload has " + std::to_string(payload.files) + " of " +
                    std::to_string(payload.bytes));
  for (const JournalEntry& removal : removals ? *removals : std::vector<JournalEntry>()) {
    if (stop && stop->load()) return Fail(failure, destination, ERROR_CANCELLED, "the install was stopped");
    if (!transaction.RemoveFile(removal.index, failure)) return false;
  }
  return true;
}

bool CopyFileWhole(const char* source, const char* destination, uint32_t chunkSize, uint64_t* bytes) {
  InstallFailure failure;
  AFile in(source);
  uint64_t size = 0;
  FILETIME written;
  if (!OpenSource(in, source, nullptr, &size, &written, &failure)) return Report(failure);
  AFile out(destination);
  if (!out.OpenCreateNew()) return Report(MakeFailure(destination, out.Error()));
  bool copied = CopyContents(in, out, size, chunkSize, nullptr, source, destination, &failure);
  if (copied && !SetFileTime(out.handle, nullptr, nullptr, &written)) copied = Fail(&failure, destination, GetLastError());
  out.Close();
  if (!copied) {
    DeleteFileW(WideFromUtf8(destination).c_str());
    return Report(failure);
  }
  if (bytes) *bytes = size;
  return true;
}
