// The record an install keeps of what it placed, so that an uninstall
// removes exactly that and an upgrade knows what the earlier version
// left: the product, its version, the location and the folder installed
// into, every folder the install made and every file it placed, with its
// size and SHA-256 (Sha256.h), which the copy takes in the same pass that
// checks a signed distribution's files. One record per product, written
// whole with the install and read back by the uninstaller. Records of the
// first form, which kept each file's XXH64 (ContentHash.h) instead, are
// read as they are and their files checked by that hash. The texts are
// UTF-8; the first two forms had them in the ANSI code page, and are read
// so.
//
// Text, one field a line, and a last line that counts the lines before it
// and ends in their CRC-32, so that a record cut short or changed is
// never taken for one:
//
//   qvsetup-record 3                    "qvsetup-record 1": the first form, "2" the second
//   product 14:Kestrova Lumen
//   version 5:2.1.0                     "0:" when the product has no version
//   kind 2                              TargetKind
//   location 40:C:\Program Files\...    the chosen location
//   destination 55:C:\Program Files\... the folder the payload went into
//   made-above 1                        how many folders of the destination's path the install made,
//                                       the destination itself first
//   folder 7:Presets                    a folder the install made, inside the destination
//   file 1234 9f86...0f00a08 18:Presets\One.ffx    size, SHA-256 (64 digits; XXH64's 16 in the first form), path
//   end 9 1a2b3c4d
//
// The reader trusts nothing: every path must be one the installer could
// have made inside the destination, and the destination must be the one
// the location and product give. Plain text work over bytes: it builds
// natively and is fuzzed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/install/PayloadRules.h"
#include "app/install/TextFields.h"
#include "app/install/TargetKind.h"
#include "common/Sha256.h"

struct RecordedFile {
  std::string path;  // relative to the destination
  uint64_t size = 0;
  uint64_t hash = 0;      // the first form's: the ContentHash of its bytes
  Sha256Digest sha256{};  // the second form's: the SHA-256 of its bytes
};

// The record's forms: what its files' digests are, and its texts' encoding.
enum class RecordForm { kXxh64 = 1, kSha256Ansi = 2, kSha256 = 3 };

struct InstallRecord {
  RecordForm form = RecordForm::kSha256;
  std::string product;      // the product's name
  std::string version;      // empty when the product has none
  TargetKind kind = TargetNone;
  std::string location;     // as chosen, a full path
  std::string destination;  // location + "\" + product, or the location itself for FxPlug
  uint32_t madeAbove = 0;   // folders of the destination's path made by the install, the destination first
  std::vector<std::string> folders;  // made inside the destination (in a folder made or one already there)
  std::vector<RecordedFile> files;

  // The outermost folder the install made of the destination's path:
  // madeAbove folders up from the destination; empty when it made none.
  std::string OutermostMadeFolder() const;
};

// Largest record read back; a larger file is refused.
constexpr size_t kMaxRecordBytes = 64u << 20;

// The whole record as text.
std::string RecordText(const InstallRecord& record);

// Reads a record's bytes. False, with *why, when they are not a whole
// record this installer wrote or break its rules. A record of an earlier
// form is read in the ANSI code page ansi tells of, its texts handed back
// in UTF-8.
bool ReadRecord(const uint8_t* data, size_t size, InstallRecord* record, std::string* why, const AnsiForm& ansi = {});
