#include "app/install/InstallNames.h"

#include <cctype>
#include <cstring>
#include <initializer_list>

#include "app/install/PathNames.h"

size_t CutProductName(char* name, LeadBytePredicate isLeadByte) {
  size_t kept = 0;
  while (name[kept] != '\0') {
    size_t step = 1;
    if (isLeadByte && isLeadByte(static_cast<uint8_t>(name[kept])) && name[kept + 1] != '\0') step = 2;
    if (kept + step > kMaxProductNameLength) break;
    kept += step;
  }
  name[kept] = '\0';
  return kept;
}

bool InstallDestination(const char* location, const char* productFolder, TargetKind kind, char* out) {
  const size_t locationLength = std::strlen(location);
  if (kind == TargetFxPlug || productFolder[0] == '\0') {
    if (locationLength > kMaxPathLength) {
      out[0] = '\0';
      return false;
    }
    std::memmove(out, location, locationLength + 1);
    return true;
  }
  if (locationLength > 0 && location[locationLength - 1] == '\\') {
    const size_t nameLength = std::strlen(productFolder);
    if (locationLength + nameLength > kMaxPathLength) {
      out[0] = '\0';
      return false;
    }
    std::memmove(out, location, locationLength);
    std::memcpy(out + locationLength, productFolder, nameLength + 1);
    return true;
  }
  return JoinPathWithin(location, productFolder, out);
}

namespace {

bool SameLetters(const char* a, const char* b, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

bool IsDeviceName(const char* name) {
  const char* dot = std::strchr(name, '.');
  const size_t stem = dot ? static_cast<size_t>(dot - name) : std::strlen(name);
  for (const char* device : {"CON", "PRN", "AUX", "NUL"})
    if (stem == 3 && SameLetters(name, device, 3)) return true;
  for (const char* device : {"COM", "LPT"})
    if (stem == 4 && SameLetters(name, device, 3) && name[3] >= '1' && name[3] <= '9') return true;
  return false;
}

}  // namespace

bool IsUsableFolderName(const char* name) {
  const size_t length = std::strlen(name);
  if (length == 0 || name[length - 1] == ' ' || name[length - 1] == '.') return false;
  for (size_t i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (c < 32 || std::strchr("<>:\"/\\|?*", c)) return false;
  }
  return !IsDeviceName(name);
}

const char* TargetKindName(TargetKind kind) {
  switch (kind) {
    case TargetApplication: return "Program Files application";
    case TargetAfterEffects: return "After Effects plug-in";
    case TargetFxPlug: return "FxPlug plug-in";
    case TargetPhotoshop: return "Photoshop plug-in";
    case TargetNone: break;
  }
  return "no payload";
}
