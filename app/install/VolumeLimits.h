// Limits a volume's file system sets that its free space does not show.
// FAT volumes (USB sticks, memory cards) hold no file of 4 GiB or more and
// at most 65,536 directory entries in one folder, a long name taking one
// entry for every 13 of its characters and one more; the install checks
// them before it writes, as it checks the space, rather than fail part way.
// Other file systems have no limit a payload could reach. Plain text work
// over the walk's entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/install/PayloadWalk.h"

// A payload that a volume cannot take.
struct VolumeLimitProblem {
  bool found = false;
  std::string path;    // relative to the destination: the file, or the folder, concerned ("" for the destination)
  uint32_t error = 0;  // the platform's code that fits it
  std::string reason;
};

// Directory entries a FAT volume uses for one name of nameLength
// characters, counted as a long name.
uint32_t FatDirectoryEntries(size_t nameLength);

// The first limit of fileSystem ("NTFS", "FAT32", ..., as the platform
// names it) that payload passes, counting the payload's own names only.
VolumeLimitProblem CheckVolumeLimits(const std::string& fileSystem, const Payload& payload);
