#include "app/install/DistributionManifest.h"

#include <map>
#include <set>

#include "app/install/InstallProgress.h"
#include "app/install/PathNames.h"
#include "app/install/TextFields.h"
#include "common/UnicodeText.h"

const char kManifestName[] = "manifest.txt";

namespace {

const char kMagic[] = "qvsetup-manifest 1";
// A path's bytes: 259 UTF-16 units are at most 777 bytes of UTF-8.
constexpr size_t kMaxPathBytes = 3 * kMaxPathLength;

bool Refuse(std::string* why, const std::string& text) {
  *why = text;
  return false;
}

// Uppercase ASCII: two paths that differ only so name one file.
std::string Folded(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return text;
}

std::string Parent(const std::string& path) {
  const size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Each value has one spelling: no number with a leading zero.
bool Count(LineReader& line, uint64_t* value) { return !line.LeadingZero() && line.Number64(value); }
bool CountedText(LineReader& line, std::string* text, size_t maxLength) {
  return !line.LeadingZero() && line.Text(text, maxLength);
}

// Well-formed UTF-8 of plain names, short enough for a path.
bool IsListablePath(const std::string& path) {
  return IsValidUtf8(path.data(), path.size()) && DecodeUtf8(path.data(), path.size()).size() <= kMaxPathLength &&
         IsPlainRelativePath(path, nullptr);
}

class ManifestReader {
public:
  explicit ManifestReader(DistributionManifest* manifest) : manifest(manifest) {}

  bool Entry(LineReader& line, std::string* why) {
    if (manifest->entries.size() >= kMaxManifestEntries) return Refuse(why, "it lists more entries than any payload holds");
    ManifestEntry entry;
    if (line.Word("folder ")) {
      entry.isFolder = true;
      if (!CountedText(line, &entry.path, kMaxPathBytes)) return Refuse(why, "a folder's line is malformed");
    } else {
      const uint8_t* digest = nullptr;
      if (!line.Word("file ") || !Count(line, &entry.size) || !line.Space() || !(digest = line.Position()) ||
          !line.Skip(64) || !DigestFromText(reinterpret_cast<const char*>(digest), 64, &entry.digest) ||
          !line.Space() || !CountedText(line, &entry.path, kMaxPathBytes))
        return Refuse(why, "a line of an unknown kind, or a file's line malformed");
      if (entry.size > kMaxManifestFileSize) return Refuse(why, "a file's size is beyond any file's");
    }
    if (!line.AtEnd()) return Refuse(why, "a line holds more than its entry");
    if (!IsListablePath(entry.path)) return Refuse(why, "a path is not plain names inside \"install files\"");
    const std::string parent = Parent(entry.path);
    if (!parent.empty() && !folders.count(Folded(parent)))
      return Refuse(why, "a path's folder is not listed before it");
    if (!seen.insert(Folded(entry.path)).second) return Refuse(why, "a path is listed twice");
    if (entry.isFolder) folders.insert(Folded(entry.path));
    manifest->entries.push_back(std::move(entry));
    return true;
  }

private:
  DistributionManifest* manifest;
  std::set<std::string> seen, folders;
};

std::string Bytes(uint64_t n) { return FormatCount(n) + (n == 1 ? " byte" : " bytes"); }

}  // namespace

const ManifestEntry* DistributionManifest::Find(const std::string& path) const {
  for (const ManifestEntry& entry : entries)
    if (entry.path == path) return &entry;
  return nullptr;
}

bool ReadManifest(const uint8_t* data, size_t size, DistributionManifest* manifest, std::string* why) {
  *manifest = DistributionManifest();
  if (size > kMaxManifestBytes) return Refuse(why, "it is larger than any manifest");
  ManifestReader reader(manifest);
  for (size_t at = 0, index = 0;; ++index) {
    size_t end = at;
    while (end < size && data[end] != '\n') ++end;
    if (end >= size) return Refuse(why, "it ends before its last line: it was cut short");
    LineReader line(data + at, end - at);
    if (index == 0) {
      if (!line.Word(kMagic) || !line.AtEnd()) return Refuse(why, "it does not begin as a manifest");
    } else if (line.Word("end ")) {
      uint64_t count = 0;
      if (!Count(line, &count) || !line.AtEnd()) return Refuse(why, "its last line is malformed");
      if (count != manifest->entries.size()) return Refuse(why, "its last line does not count the entries before it");
      if (end + 1 != size) return Refuse(why, "it goes on after its last line");
      return true;
    } else if (!reader.Entry(line, why)) {
      return false;
    }
    at = end + 1;
  }
}

std::string ManifestText(const DistributionManifest& manifest) {
  std::string text = std::string(kMagic) + "\n";
  for (const ManifestEntry& entry : manifest.entries)
    text += entry.isFolder ? "folder " + Counted(entry.path) + "\n"
                           : "file " + std::to_string(entry.size) + " " + DigestText(entry.digest) + " " +
                                 Counted(entry.path) + "\n";
  return text + "end " + std::to_string(manifest.entries.size()) + "\n";
}

std::string ManifestChangeText(const ManifestChange& change) {
  std::string text = "\"" + change.path + "\" ";
  switch (change.kind) {
    case ManifestChange::kChanged: text += "was changed after the distribution was signed"; break;
    case ManifestChange::kMissing: text += "is missing: it was removed after the distribution was signed"; break;
    case ManifestChange::kAdded: text += "was added after the distribution was signed"; break;
  }
  return change.detail.empty() ? text : text + " (" + change.detail + ")";
}

std::vector<ManifestChange> ComparePayload(const DistributionManifest& manifest, const std::string& payloadFolder,
                                           const std::vector<WalkedEntry>& walked,
                                           std::vector<const ManifestEntry*>* expected) {
  std::vector<ManifestChange> changes;
  const std::string prefix = payloadFolder + "\\";
  // The list's entries under the payload folder, by their path inside it.
  std::map<std::string, const ManifestEntry*> listed;
  for (const ManifestEntry& entry : manifest.entries)
    if (entry.path.compare(0, prefix.size(), prefix) == 0) listed.emplace(entry.path.substr(prefix.size()), &entry);
  expected->assign(walked.size(), nullptr);
  std::set<std::string> found;
  for (size_t i = 0; i < walked.size(); ++i) {
    const WalkedEntry& entry = walked[i];
    const std::string path = prefix + entry.path;
    const auto match = listed.find(entry.path);
    if (match == listed.end()) {
      changes.push_back({ManifestChange::kAdded, path, entry.isFolder ? "a folder" : Bytes(entry.size)});
      continue;
    }
    found.insert(entry.path);
    const ManifestEntry& signed_ = *match->second;
    if (signed_.isFolder != entry.isFolder)
      changes.push_back({ManifestChange::kChanged, path, entry.isFolder ? "a folder where a file was signed"
                                                                        : "a file where a folder was signed"});
    else if (!entry.isFolder && signed_.size != entry.size)
      changes.push_back({ManifestChange::kChanged, path, Bytes(entry.size) + " where " + FormatCount(signed_.size) +
                                                             (signed_.size == 1 ? " was" : " were") + " signed"});
    else
      (*expected)[i] = &signed_;
  }
  for (const ManifestEntry& entry : manifest.entries) {
    const bool inPayload = entry.path.compare(0, prefix.size(), prefix) == 0;
    const bool topFile = !entry.isFolder && entry.path.find('\\') == std::string::npos;
    if (inPayload && !found.count(entry.path.substr(prefix.size())))
      changes.push_back({ManifestChange::kMissing, entry.path, ""});
    // A folder or file of another payload folder: the one signed is not
    // the one that would be installed.
    else if (!inPayload && !topFile && entry.path != payloadFolder)
      changes.push_back({ManifestChange::kMissing, entry.path, "the payload signed is not \"" + payloadFolder + "\""});
  }
  return changes;
}
