// The versions of a host (After Effects, Photoshop) as its registry keys
// name them: each version writes a key under the host's own ("24.0",
// "9.0", "130.0"), in the 64-bit view of the registry for a 64-bit host
// and in the 32-bit view for a 32-bit one. The installer takes the newest
// version's plug-in folder, so the keys are read as numbers, never as text
// ("130.0" is newer than "60.0"), and anything that is not a plain version
// number is no version at all. Plain text work: the registry is read in
// InstallTarget.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One version key of a host.
struct HostVersion {
  std::string key;              // as the registry names it: "24.0"
  uint32_t parts[3] = {0, 0, 0};  // its numbers: 24, 0, 0
  bool view64 = false;          // found in the 64-bit view
  uint32_t source = 0;          // of several hosts looked at together, which one's key it is
};

// A version key is one to three decimal numbers of at most six digits each,
// joined by dots ("24", "24.0", "10.5.1"): no sign, exponent, space or
// empty part. False for anything else ("1e9", "-1.0", "..", "CS5").
bool ParseHostVersion(const std::string& key, HostVersion* version);

// Newest first; of one version in both views, the 64-bit view's first.
void SortHostVersions(std::vector<HostVersion>* versions);

// "After Effects 24.0 (64-bit)".
std::string HostVersionText(const char* host, const HostVersion& version);

// Every version seen, newest first, for the log: "24.0 (64-bit), 9.0
// (32-bit)"; "none" when there is none.
std::string HostVersionsText(const std::vector<HostVersion>& versions);
