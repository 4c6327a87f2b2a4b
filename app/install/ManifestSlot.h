// The slot in setup.exe that ties a distribution's files to its signature:
// 64 bytes in a section of their own (".qvslot"), empty as the build
// leaves them, filled in place by make-dist with the size and SHA-256 of
// the distribution's list of files (DistributionManifest.h) before it
// signs setup.exe. The signature covers the section, so a filled slot in a
// signed setup.exe vouches for the list, and the list for every file.
//
//   offset  size
//        0    16  "qvsetup-slot 1" and two zero bytes: the slot and its layout
//       16     4  0 empty, 1 filled (little-endian)
//       20     4  0
//       24     8  the list's size in bytes (little-endian)
//       32    32  the list's SHA-256
//
// The running program reads its own slot (OwnManifestSlot); the
// distribution checker and make-dist find it in setup.exe's bytes through
// the PE section table. Plain byte work: it builds natively and is tested
// under the sanitizers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/Sha256.h"

constexpr size_t kManifestSlotSize = 64;
extern const char kManifestSlotSection[];  // ".qvslot"
extern const uint8_t kManifestSlotMarker[16];

struct ManifestSlot {
  bool filled = false;
  uint64_t manifestSize = 0;
  Sha256Digest manifestDigest{};
};

// Reads the slot's 64 bytes. False, with *why, when they are not a slot of
// this layout, or a filled one gives a size no list may have.
bool ReadManifestSlot(const uint8_t* bytes, ManifestSlot* slot, std::string* why);

// The slot's 64 bytes.
std::string ManifestSlotBytes(const ManifestSlot& slot);

// Finds the slot in a program's bytes: the one section named ".qvslot",
// whose first 64 bytes lie in the file. False, with *why, when the bytes
// are no PE program, hold no such section or more than one, or its bytes
// lie outside the file. *offset receives where the slot begins.
bool FindManifestSlot(const uint8_t* program, size_t size, size_t* offset, std::string* why);

// The running program's own slot, as it was linked and as make-dist may
// have filled it. False, with *why, when it cannot be read.
bool OwnManifestSlot(ManifestSlot* slot, std::string* why);
