#include "app/install/VolumeLimits.h"

#include <map>

namespace {

constexpr uint64_t kFatLargestFile = 0xFFFFFFFFull;
constexpr uint32_t kFatEntriesPerFolder = 65536;
// "." and "..", which every folder but a volume's root holds.
constexpr uint32_t kFatDotEntries = 2;

bool IsFat(const std::string& fileSystem) { return fileSystem == "FAT" || fileSystem == "FAT32"; }

}  // namespace

uint32_t FatDirectoryEntries(size_t nameLength) { return 1 + static_cast<uint32_t>((nameLength + 12) / 13); }

VolumeLimitProblem CheckVolumeLimits(const std::string& fileSystem, const Payload& payload) {
  VolumeLimitProblem problem;
  if (!IsFat(fileSystem)) return problem;
  std::map<std::string, uint64_t> entries;  // by folder, relative to the destination
  for (const PayloadEntry& entry : payload.entries) {
    if (!entry.isFolder && entry.size > kFatLargestFile) {
      problem = {true, entry.path, 223 /* ERROR_FILE_TOO_LARGE */,
                 "the file has " + std::to_string(entry.size) + " bytes, and a " + fileSystem +
                     " volume holds no file of 4 GiB or more"};
      return problem;
    }
    const size_t slash = entry.path.find_last_of('\\');
    const std::string folder = slash == std::string::npos ? "" : entry.path.substr(0, slash);
    const size_t name = entry.path.size() - (slash == std::string::npos ? 0 : slash + 1);
    uint64_t& used = entries[folder];
    if (used == 0) used = kFatDotEntries;
    used += FatDirectoryEntries(name);
    if (used > kFatEntriesPerFolder) {
      problem = {true, folder, 82 /* ERROR_CANNOT_MAKE */,
                 "the folder would hold more names than a " + fileSystem + " volume allows in one folder (" +
                     std::to_string(kFatEntriesPerFolder) + " directory entries)"};
      return problem;
    }
  }
  return problem;
}
