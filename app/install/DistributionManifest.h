// The list of what a signed distribution holds: every file of its "install
// files" folder that the installer reads or installs, with its size and
// SHA-256, and every folder of its payload. make-dist writes it as
// "install files\manifest.txt" and puts the size and SHA-256 of the list
// itself in setup.exe's manifest slot (ManifestSlot.h) before signing, so
// the signature covers every byte the installer shows or installs.
//
// Text, UTF-8, one entry a line, each line ending in a line feed:
//
//   qvsetup-manifest 1
//   file 30 9f86...0f00a08 11:product.txt      size, SHA-256 (64 lower-case digits), counted path
//   folder 8:AE Files                          a folder (of the payload)
//   file 196608 5e88...2f11 18:AE Files\Lumen.aex
//   end 3                                      the count of the entries before it
//
// Paths are relative to "install files", names joined by "\", counted in
// bytes ("<length>:<bytes>"). The slot's digest vouches for the bytes, not
// for their sense: the reader still refuses whatever the installer could
// not use safely, since a manifest is a file anyone could have written for
// an unsigned setup.exe. Every path must be well-formed UTF-8 of plain
// names (no "." or "..", no drive, no device, nothing reserved) that fits
// a path of 259 UTF-16 units; a file's or folder's own folder must be
// listed before it; no path twice (letter case aside, in ASCII); sizes
// and counts bounded. Plain text work over bytes: it builds natively and
// is fuzzed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/Sha256.h"

// The list's own name inside "install files".
extern const char kManifestName[];

// Largest list read; a larger one is refused before it is read.
constexpr size_t kMaxManifestBytes = 64u << 20;
// Most entries: a payload's most, and the files beside it.
constexpr size_t kMaxManifestEntries = 250000 + 16;
// Largest file size a list may give (1 TiB): far beyond any plug-in, and
// far from overflowing any total.
constexpr uint64_t kMaxManifestFileSize = uint64_t{1} << 40;

struct ManifestEntry {
  std::string path;  // UTF-8, relative to "install files": "AE Files\Presets\One.ffx"
  bool isFolder = false;
  uint64_t size = 0;      // of a file
  Sha256Digest digest{};  // of a file's bytes
};

struct DistributionManifest {
  std::vector<ManifestEntry> entries;  // in the list's order

  // The entry of exactly this path; null when there is none.
  const ManifestEntry* Find(const std::string& path) const;
};

// Reads a list's bytes. False, with *why, when they are not a whole list
// this installer can take.
bool ReadManifest(const uint8_t* data, size_t size, DistributionManifest* manifest, std::string* why);

// The list as text (the tests' and the fuzzer's seeds' writer; make-dist
// writes the same lines).
std::string ManifestText(const DistributionManifest& manifest);

// One way a distribution differs from its list, for the log and the
// messages: the path relative to "install files" (UTF-8) and what is
// wrong with it.
struct ManifestChange {
  enum Kind {
    kChanged,  // another size, or other bytes
    kMissing,  // listed, not there
    kAdded,    // there, read or installed by the installer, and not listed
  };
  Kind kind;
  std::string path;
  std::string detail;  // "196,608 bytes where 196,609 were signed"; may be empty
};

// "the file "AE Files\Lumen.aex" was changed after the distribution was
// signed (detail)", and the like.
std::string ManifestChangeText(const ManifestChange& change);

// One file or folder of the payload as the walk found it.
struct WalkedEntry {
  std::string path;  // UTF-8, relative to the payload folder
  bool isFolder = false;
  uint64_t size = 0;
};

// Compares the payload folder payloadFolder ("AE Files") as walked with
// the list: every entry the list has under it must be there, of the same
// kind and size, and nothing else. Entries the list has under any other
// folder than payloadFolder are missing too (the installer would install
// another folder than the one signed). Returns the changes, in the walk's
// order and then the list's; expected receives, for each walked entry,
// the list's entry (null for one that is not listed).
std::vector<ManifestChange> ComparePayload(const DistributionManifest& manifest, const std::string& payloadFolder,
                                           const std::vector<WalkedEntry>& walked,
                                           std::vector<const ManifestEntry*>* expected);
