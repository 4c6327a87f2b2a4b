#include "app/install/DistributionFiles.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <new>

#include "app/install/FileTree.h"
#include "app/install/InstallFailure.h"
#include "app/install/InstallLogText.h"
#include "app/install/InstallProgress.h"
#include "common/AnsiText.h"
#include "common/Languages.h"
#include "common/UnicodeText.h"

namespace {

constexpr uint32_t kPiece = 64u << 10;

// The files of "install files" the installer reads, besides the list and
// the payload folder.
const char* const kReadFiles[] = {"product.txt", "bkgd.jpg", "readme.txt", "eula.txt"};

std::string Bytes(uint64_t n) { return FormatCount(n) + (n == 1 ? " byte" : " bytes"); }

void Change(DistributionCoverage* coverage, ManifestChange::Kind kind, const std::string& path,
            const std::string& detail) {
  coverage->state = DistributionCoverage::State::kChanged;
  coverage->changes.push_back({kind, path, detail});
}

// Reads the file at path whole through one handle that denies writers:
// at most keep bytes kept, every byte hashed when hash is set.
void ReadWhole(const std::string& path, size_t keep, bool hash, DistributionFile* file) {
  const HANDLE handle = CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    file->error = GetLastError();
    if (file->error == ERROR_PATH_NOT_FOUND) file->error = ERROR_FILE_NOT_FOUND;
    return;
  }
  LARGE_INTEGER size;
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[kPiece]);
  if (!buffer || !GetFileSizeEx(handle, &size)) {
    file->error = buffer ? GetLastError() : ERROR_NOT_ENOUGH_MEMORY;
    CloseHandle(handle);
    return;
  }
  file->size = static_cast<uint64_t>(size.QuadPart);
  file->whole = file->size <= keep;
  // Unhashed, only the part kept is read.
  const uint64_t wanted = hash ? file->size : std::min<uint64_t>(file->size, keep);
  Sha256 digest;
  uint64_t done = 0;
  while (done < wanted) {
    const DWORD want = static_cast<DWORD>(std::min<uint64_t>(wanted - done, kPiece));
    DWORD got = 0;
    if (!ReadFile(handle, buffer.get(), want, &got, nullptr) || got != want) {
      file->error = got != want ? ERROR_HANDLE_EOF : GetLastError();
      file->bytes.clear();
      CloseHandle(handle);
      return;
    }
    if (hash) digest.Add(buffer.get(), got);
    if (done < keep) file->bytes.append(buffer.get(), std::min<uint64_t>(got, keep - done));
    done += got;
  }
  CloseHandle(handle);
  if (hash) file->digest = digest.Finish();
  file->read = true;
}

std::string InstallFilesPath(const std::string& installFiles, const std::string& listed) {
  return installFiles + "\\" + ShownListedPath(listed);
}

}  // namespace

std::string ShownListedPath(const std::string& path) {
  std::string shown;
  EncodeUtf8(DecodeUtf8(path.data(), path.size()), &shown);
  return shown;
}

std::string DistributionCoverage::FirstProblem() const {
  if (!problem.empty()) return problem;
  return changes.empty() ? std::string() : ManifestChangeText(changes.front());
}

size_t DistributionCoverage::CoveredFolders() const {
  return static_cast<size_t>(std::count_if(manifest.entries.begin(), manifest.entries.end(),
                                           [](const ManifestEntry& entry) { return entry.isFolder; }));
}

size_t DistributionCoverage::CoveredFiles() const { return manifest.entries.size() - CoveredFolders(); }

DistributionCoverage CoverDistribution(const std::string& installFiles, const ManifestSlot& slot,
                                       const std::string& slotProblem) {
  DistributionCoverage coverage;
  if (!slotProblem.empty()) {
    coverage.state = DistributionCoverage::State::kChanged;
    coverage.problem = "setup.exe's list of signed files cannot be read (" + slotProblem + "): setup.exe is damaged";
    return coverage;
  }
  if (!slot.filled) return coverage;
  coverage.state = DistributionCoverage::State::kChanged;
  DistributionFile list;
  ReadWhole(installFiles + "\\" + kManifestName, kMaxManifestBytes, true, &list);
  const std::string name = std::string("\"") + kManifestName + "\"";
  if (!list.read && list.error == ERROR_FILE_NOT_FOUND) {
    coverage.problem = name + ", the list of the files signed, is missing: it was removed after the distribution "
                              "was signed";
    return coverage;
  }
  if (!list.read) {
    coverage.problem = name + ", the list of the files signed, cannot be read (error " + std::to_string(list.error) + ")";
    return coverage;
  }
  if (list.size != slot.manifestSize || list.digest != slot.manifestDigest) {
    coverage.problem = name + ", the list of the files signed, was changed after the distribution was signed";
    return coverage;
  }
  std::string why;
  if (!ReadManifest(reinterpret_cast<const uint8_t*>(list.bytes.data()), list.bytes.size(), &coverage.manifest, &why)) {
    coverage.problem = name + ", the list of the files signed, cannot be used: " + why;
    return coverage;
  }
  coverage.state = DistributionCoverage::State::kCovered;
  return coverage;
}

DistributionFile ReadDistributionFile(const std::string& installFiles, const char* name, size_t keep,
                                      DistributionCoverage* coverage) {
  DistributionFile file;
  file.name = name;
  // Without the list it vouches for, a signed program reads nothing.
  if (!coverage->problem.empty()) {
    file.error = ERROR_INVALID_DATA;
    return file;
  }
  const bool covered = coverage->state != DistributionCoverage::State::kNotCovered;
  ReadWhole(installFiles + "\\" + name, keep, covered, &file);
  if (!covered) return file;
  const ManifestEntry* listed = coverage->manifest.Find(name);
  if (listed && listed->isFolder) listed = nullptr;
  const bool absent = !file.read && file.error == ERROR_FILE_NOT_FOUND;
  if (!listed && !absent)
    Change(coverage, ManifestChange::kAdded, name, "the installer reads it, and the signature does not cover it");
  else if (listed && absent)
    Change(coverage, ManifestChange::kMissing, name, "");
  else if (listed && file.read && file.size != listed->size)
    Change(coverage, ManifestChange::kChanged, name,
           Bytes(file.size) + " where " + FormatCount(listed->size) + (listed->size == 1 ? " was" : " were") +
               " signed");
  else if (listed && file.read && file.digest != listed->digest)
    Change(coverage, ManifestChange::kChanged, name, "its bytes are not the ones signed");
  else
    return file;
  // Nothing of a file not as signed is ever used.
  file.bytes.clear();
  file.read = file.whole = false;
  file.error = ERROR_INVALID_DATA;
  return file;
}

void NoteIgnoredEntries(const std::string& installFiles, const char* payloadFolder, DistributionCoverage* coverage) {
  if (coverage->state == DistributionCoverage::State::kNotCovered) return;
  std::vector<ListedEntry> entries;
  if (ListFolder(LongPath(installFiles), &entries) != 0) return;
  std::vector<std::wstring> read = {NameKey(WideFromUtf8(kManifestName))};
  for (const char* name : kReadFiles) read.push_back(NameKey(WideFromUtf8(name)));
  if (payloadFolder && payloadFolder[0]) read.push_back(NameKey(WideFromUtf8(payloadFolder)));
  for (const ListedEntry& entry : entries) {
    if (std::find(read.begin(), read.end(), NameKey(entry.name)) != read.end()) continue;
    // The texts of the languages the installer speaks are read in theirs.
    const std::string name = Utf8FromWide(entry.name);
    std::string tag;
    if (!entry.IsFolder() && (LocalizedTextTag(name, "readme", &tag) || LocalizedTextTag(name, "eula", &tag)) &&
        LanguageForTag(tag))
      continue;
    coverage->ignored.push_back(name + (entry.IsFolder() ? "\\" : ""));
  }
  std::sort(coverage->ignored.begin(), coverage->ignored.end());
}

InstallFailure DistributionFailure(const std::string& installFiles, const DistributionCoverage& coverage) {
  InstallFailure failure;
  if (!coverage.problem.empty()) {
    failure = MakeFailure(installFiles + "\\" + kManifestName, ERROR_INVALID_DATA, ShownListedPath(coverage.problem));
  } else if (!coverage.changes.empty()) {
    const ManifestChange& first = coverage.changes.front();
    std::string reason = ShownListedPath(ManifestChangeText(first));
    if (coverage.changes.size() > 1)
      reason += ", and " + FormatCount(coverage.changes.size() - 1) +
                (coverage.changes.size() == 2 ? " other file differs" : " other files differ");
    failure = MakeFailure(InstallFilesPath(installFiles, first.path),
                          first.kind == ManifestChange::kMissing ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_DATA, reason);
  }
  failure.distributionChanged = true;
  return failure;
}

std::string ChangedDistributionLogLine() {
  return LogField("signature", "the distribution was changed after it was signed: download it again");
}

std::vector<std::string> CoverageLogLines(const DistributionCoverage& coverage) {
  std::vector<std::string> lines;
  switch (coverage.state) {
    case DistributionCoverage::State::kNotCovered:
      lines.push_back(LogField("signature", "does not cover the files of \"install files\": setup.exe carries no list "
                                            "of them (an unsigned distribution, or a development build)"));
      return lines;
    case DistributionCoverage::State::kCovered:
      lines.push_back(LogField("signature", "covers " + CountOf(coverage.CoveredFiles(), "file", "files") + " and " +
                                                CountOf(coverage.CoveredFolders(), "folder", "folders") +
                                                " of \"install files\", each checked before it is used"));
      break;
    case DistributionCoverage::State::kChanged:
      lines.push_back(ChangedDistributionLogLine());
      if (!coverage.problem.empty()) lines.push_back(LogField("changed", ShownListedPath(coverage.problem)));
      for (const ManifestChange& change : coverage.changes)
        lines.push_back(LogField("changed", ShownListedPath(ManifestChangeText(change))));
      break;
  }
  for (const std::string& name : coverage.ignored)
    lines.push_back(LogField("ignored", "\"" + ShownListedPath(name) + "\" (the installer does not read it)"));
  return lines;
}
