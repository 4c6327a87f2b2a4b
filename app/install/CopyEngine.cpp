#include "app/install/CopyEngine.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <memory>
#include <new>

#include "app/install/AFile.h"
#include "common/AnsiText.h"
#include "app/install/FileTree.h"
#include "app/install/InstallTransaction.h"
#include "app/install/PathNames.h"

namespace {

bool Fail(InstallFailure* failure, const std::string& path, uint32_t error, const std::string& reason = "") {
  *failure = MakeFailure(path, error, reason);
  return false;
}

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

bool PlanRoot(const std::string& destination, CopyPlan* plan, InstallFailure* failure) {
  const DWORD attributes = GetFileAttributesW(LongPath(destination).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
      return Fail(failure, destination, ERROR_ALREADY_EXISTS, "a file of this name stands where the install folder goes");
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return Fail(failure, destination, ERROR_NOT_SUPPORTED, kLinkInTheWay);
    return true;
  }
  const DWORD error = GetLastError();
  if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return Fail(failure, destination, error);
  const std::string parent = ParentFolder(destination);
  if (parent.empty() || !FolderExists(parent.c_str()))
    return Fail(failure, destination, ERROR_PATH_NOT_FOUND,
                "the folder cannot be made: the folder it goes in, \"" + parent + "\", does not exist");
  plan->makeRoot = true;
  return true;
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
    if (!in.ReadWhole(buffer.get(), want)) return Fail(failure, from, in.Error());
    if (!out.Write(buffer.get(), want)) return Fail(failure, to, out.Error());
    left -= want;
  }
  uint32_t more = 0;
  if (!in.Read(buffer.get(), 1, &more)) return Fail(failure, from, in.Error());
  if (more != 0)
    return Fail(failure, from, ERROR_INVALID_DATA, "the file grew while it was copied: the payload changed under the install");
  return true;
}

// Opens a source file shared for reading, checks it still has the size the
// walk found, and takes its last-write time.
bool OpenSource(AFile& in, const std::string& path, const uint64_t* expected, uint64_t* size, FILETIME* written,
                InstallFailure* failure) {
  if (!in.OpenRead()) return Fail(failure, path, in.Error());
  if (!in.Size(size)) return Fail(failure, path, in.Error());
  if (expected && *size != *expected)
    return Fail(failure, path, ERROR_INVALID_DATA,
                "the file has " + std::to_string(*size) + " bytes where the payload had " + std::to_string(*expected) +
                    ": the payload changed under the install");
  if (!GetFileTime(in.handle, nullptr, nullptr, written)) return Fail(failure, path, GetLastError());
  return true;
}

bool CopyIntoPlace(const std::string& from, const std::string& to, uint64_t expected, bool replaces,
                   InstallTransaction& transaction, const std::atomic<bool>* stop, InstallFailure* failure) {
  AFile in(from.c_str());
  uint64_t size = 0;
  FILETIME written;
  if (!OpenSource(in, from, &expected, &size, &written, failure)) return false;
  HANDLE staged;
  if (!transaction.OpenStagingFile(&staged, failure)) return false;
  AFile out(nullptr, staged);
  bool copied = CopyContents(in, out, size, kCopyChunkSize, stop, from, to, failure);
  if (copied && !SetFileTime(staged, nullptr, nullptr, &written)) copied = Fail(failure, to, GetLastError());
  out.Clear();  // the transaction closes the staging file either way
  if (!copied) {
    transaction.DiscardStagingFile(staged);
    return false;
  }
  return transaction.PlaceFile(staged, to, replaces, failure);
}

// The observer hears of a failure once.
bool Report(CopyObserver* observer, const InstallFailure& failure) {
  if (observer) observer->CopyFailed(failure);
  SetLastError(failure.error);
  return false;
}

}  // namespace

bool PlanCopy(const Payload& payload, const std::string& destination, CopyPlan* plan, InstallFailure* failure) {
  *plan = CopyPlan();
  if (!PlanRoot(destination, plan, failure)) return false;
  // The listings of the destination's folders that exist, by their path
  // relative to the destination. A folder made new has none: all in it is
  // new too.
  std::map<std::string, Existing> listings;
  if (!plan->makeRoot && !ListExisting(destination, &listings[""], failure)) return false;
  plan->actions.reserve(payload.entries.size());
  for (const PayloadEntry& entry : payload.entries) {
    const size_t slash = entry.path.find_last_of('\\');
    const std::string parent = slash == std::string::npos ? "" : entry.path.substr(0, slash);
    const std::string target = destination + "\\" + entry.path;
    const auto listing = listings.find(parent);
    const Existing* existing = listing == listings.end() ? nullptr : &listing->second;
    const auto found = existing ? existing->find(NameKey(WideFromAnsi(entry.path.substr(slash + 1)))) : Existing::const_iterator();
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
    }
  }
  return true;
}

bool CopyPayload(const Payload& payload, const CopyPlan& plan, const std::string& source,
                 const std::string& destination, InstallTransaction& transaction, CopyTally* tally,
                 CopyObserver* observer, const std::atomic<bool>* stop, InstallFailure* failure) {
  CopyTally placed;
  for (size_t i = 0; i < payload.entries.size(); ++i) {
    const PayloadEntry& entry = payload.entries[i];
    const std::string from = source + "\\" + entry.path;
    const std::string to = destination + "\\" + entry.path;
    if (stop && stop->load()) return Fail(failure, to, ERROR_CANCELLED, "the install was stopped");
    switch (plan.actions[i]) {
      case CopyAction::kMakeFolder:
        if (!transaction.MakeFolder(to, failure)) return false;
        break;
      case CopyAction::kUseFolder:
        break;
      case CopyAction::kNewFile:
      case CopyAction::kReplaceFile:
        if (!CopyIntoPlace(from, to, entry.size, plan.actions[i] == CopyAction::kReplaceFile, transaction, stop,
                           failure))
          return false;
        ++placed.files;
        placed.bytes += entry.size;
        if (tally) *tally = placed;
        if (observer) observer->FileCopied(from.c_str(), to.c_str(), entry.size);
        break;
    }
  }
  if (placed.files != payload.files || placed.bytes != payload.bytes)
    return Fail(failure, destination, ERROR_INVALID_DATA,
                "the install placed " + std::to_string(placed.files) + " files of " + std::to_string(placed.bytes) +
                    " bytes where the payload has " + std::to_string(payload.files) + " of " +
                    std::to_string(payload.bytes));
  return true;
}

bool CopyTree(const char* destination, const char* source, CopyTally* tally, CopyObserver* observer) {
  InstallFailure failure;
  std::string root;
  if (!FullPath(destination, &root, &failure)) return Report(observer, failure);
  Payload payload;
  const bool walked = WalkPayload(source, root.c_str(), &payload, [&](const PayloadProblem& problem) {
    failure = problem.failure;
    return false;
  });
  if (!walked) return Report(observer, failure);
  CopyPlan plan;
  if (!PlanCopy(payload, root, &plan, &failure)) return Report(observer, failure);

  InstallTransaction transaction(root);
  CopyTally copied;
  bool done = !plan.makeRoot || transaction.MakeFolder(root, &failure);
  std::string full;
  done = done && FullPath(source, &full, &failure) &&
         CopyPayload(payload, plan, full, root, transaction, &copied, observer, nullptr, &failure);
  std::vector<InstallFailure> leftovers;
  if (tally) *tally = copied;
  if (!done) {
    transaction.Rollback(&leftovers);
    return Report(observer, failure);
  }
  transaction.Commit(&leftovers);
  return true;
}

bool CopyFileWhole(const char* source, const char* destination, uint32_t chunkSize, uint64_t* bytes) {
  InstallFailure failure;
  AFile in(source);
  uint64_t size = 0;
  FILETIME written;
  if (!OpenSource(in, source, nullptr, &size, &written, &failure)) return Report(nullptr, failure);
  AFile out(destination);
  if (!out.OpenCreateNew()) return Report(nullptr, MakeFailure(destination, out.Error()));
  bool copied = CopyContents(in, out, size, chunkSize, nullptr, source, destination, &failure);
  if (copied && !SetFileTime(out.handle, nullptr, nullptr, &written)) copied = Fail(&failure, destination, GetLastError());
  out.Close();
  if (!copied) {
    DeleteFileA(destination);
    return Report(nullptr, failure);
  }
  if (bytes) *bytes = size;
  return true;
}
