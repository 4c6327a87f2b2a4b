// Fuzz entry point of the signed distribution's list of files: the
// installer reads it before anything else of a distribution, and what it
// says decides which bytes are installed.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/install/DistributionManifest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DistributionManifest manifest;
  std::string why;
  if (ReadManifest(data, size, &manifest, &why)) {
    // A list read back is written again as the same bytes.
    const std::string text = ManifestText(manifest);
    if (text.size() != size || text.compare(0, size, reinterpret_cast<const char*>(data), size) != 0) __builtin_trap();
    // Compared with the walk that matches it exactly, nothing differs.
    std::vector<WalkedEntry> walked;
    for (const ManifestEntry& entry : manifest.entries)
      if (entry.path.compare(0, 9, "AE Files\\") == 0) walked.push_back({entry.path.substr(9), entry.isFolder, entry.size});
    std::vector<const ManifestEntry*> expected;
    for (const ManifestChange& change : ComparePayload(manifest, "AE Files", walked, &expected))
      if (change.kind != ManifestChange::kMissing || change.path.compare(0, 9, "AE Files\\") == 0) __builtin_trap();
  }
  return 0;
}
