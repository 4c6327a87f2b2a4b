#include "app/install/ManifestSlot.h"

namespace {

// The slot as the build leaves it: empty. make-dist fills it in the
// program file. Read through volatile, so that the compiler never takes
// the empty slot it sees here for the one the file holds.
__attribute__((section(".qvslot"), used)) volatile const uint8_t kOwnSlot[kManifestSlotSize] = {
    'q', 'v', 's', 'e', 't', 'u', 'p', '-', 's', 'l', 'o', 't', ' ', '1', 0, 0};

}  // namespace

bool OwnManifestSlot(ManifestSlot* slot, std::string* why) {
  uint8_t bytes[kManifestSlotSize];
  for (size_t i = 0; i < kManifestSlotSize; ++i) bytes[i] = kOwnSlot[i];
  return ReadManifestSlot(bytes, slot, why);
}
