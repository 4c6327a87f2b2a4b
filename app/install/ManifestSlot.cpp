#include "app/install/ManifestSlot.h"

#include <cstring>

#include "app/install/DistributionManifest.h"

const char kManifestSlotSection[] = ".qvslot";
const uint8_t kManifestSlotMarker[16] = {'q', 'v', 's', 'e', 't', 'u', 'p', '-', 's', 'l', 'o', 't', ' ', '1', 0, 0};

namespace {

constexpr uint32_t kEmpty = 0, kFilled = 1;

// The PE format's fixed places (Microsoft's PE and COFF specification).
constexpr size_t kNewHeaderOffset = 0x3C;  // of the DOS header's pointer to the PE signature
constexpr size_t kCoffHeaderSize = 20;
constexpr size_t kSectionHeaderSize = 40;
constexpr uint32_t kMostSections = 96;  // the loader's own limit

uint32_t Little32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t Little16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint64_t Little64(const uint8_t* p) { return uint64_t(Little32(p)) | uint64_t(Little32(p + 4)) << 32; }

void PutLittle(std::string* out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<char>(value >> (8 * i)));
}

bool Refuse(std::string* why, const char* text) {
  *why = text;
  return false;
}

}  // namespace

bool ReadManifestSlot(const uint8_t* bytes, ManifestSlot* slot, std::string* why) {
  *slot = ManifestSlot();
  if (std::memcmp(bytes, kManifestSlotMarker, sizeof kManifestSlotMarker) != 0)
    return Refuse(why, "it does not begin as a manifest slot");
  const uint32_t state = Little32(bytes + 16);
  if (Little32(bytes + 20) != 0 || (state != kEmpty && state != kFilled))
    return Refuse(why, "its state is neither empty nor filled");
  if (state == kEmpty) {
    for (size_t i = 24; i < kManifestSlotSize; ++i)
      if (bytes[i] != 0) return Refuse(why, "it is empty and yet holds a manifest's size or digest");
    return true;
  }
  slot->filled = true;
  slot->manifestSize = Little64(bytes + 24);
  std::memcpy(slot->manifestDigest.data(), bytes + 32, 32);
  if (slot->manifestSize > kMaxManifestBytes) return Refuse(why, "it gives a manifest larger than any");
  return true;
}

std::string ManifestSlotBytes(const ManifestSlot& slot) {
  std::string bytes(reinterpret_cast<const char*>(kManifestSlotMarker), sizeof kManifestSlotMarker);
  PutLittle(&bytes, slot.filled ? kFilled : kEmpty, 4);
  PutLittle(&bytes, 0, 4);
  PutLittle(&bytes, slot.filled ? slot.manifestSize : 0, 8);
  if (slot.filled)
    bytes.append(reinterpret_cast<const char*>(slot.manifestDigest.data()), slot.manifestDigest.size());
  else
    bytes.append(32, '\0');
  return bytes;
}

bool FindManifestSlot(const uint8_t* program, size_t size, size_t* offset, std::string* why) {
  if (size < kNewHeaderOffset + 4 || program[0] != 'M' || program[1] != 'Z') return Refuse(why, "it is not a program");
  const uint64_t pe = Little32(program + kNewHeaderOffset);
  if (pe + 4 + kCoffHeaderSize > size || std::memcmp(program + pe, "PE\0\0", 4) != 0)
    return Refuse(why, "it is not a PE program");
  const uint8_t* coff = program + pe + 4;
  const uint32_t sections = Little16(coff + 2);
  const uint64_t table = pe + 4 + kCoffHeaderSize + Little16(coff + 16);
  if (sections > kMostSections || table + uint64_t(sections) * kSectionHeaderSize > size)
    return Refuse(why, "its section table does not lie in the file");
  bool found = false;
  for (uint32_t i = 0; i < sections; ++i) {
    const uint8_t* header = program + table + uint64_t(i) * kSectionHeaderSize;
    char name[9] = {};
    std::memcpy(name, header, 8);
    if (std::strcmp(name, kManifestSlotSection) != 0) continue;
    if (found) return Refuse(why, "it has two manifest slot sections");
    const uint64_t rawSize = Little32(header + 16), rawAt = Little32(header + 20);
    if (rawSize < kManifestSlotSize || rawAt + kManifestSlotSize > size)
      return Refuse(why, "its manifest slot does not lie in the file");
    *offset = static_cast<size_t>(rawAt);
    found = true;
  }
  return found || Refuse(why, "it has no manifest slot");
}
