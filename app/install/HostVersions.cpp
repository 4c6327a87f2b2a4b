#include "app/install/HostVersions.h"

#include <algorithm>

namespace {

constexpr size_t kMostParts = 3;
constexpr size_t kMostDigits = 6;

std::string ViewText(const HostVersion& version) { return version.view64 ? " (64-bit)" : " (32-bit)"; }

}  // namespace

bool ParseHostVersion(const std::string& key, HostVersion* version) {
  HostVersion parsed;
  parsed.key = key;
  size_t part = 0, digits = 0;
  for (size_t i = 0; i <= key.size(); ++i) {
    const char c = i < key.size() ? key[i] : '.';
    if (c >= '0' && c <= '9') {
      if (++digits > kMostDigits) return false;
      parsed.parts[part] = parsed.parts[part] * 10 + static_cast<uint32_t>(c - '0');
      continue;
    }
    // A dot, or the end: it closes a part that must have had digits.
    if (c != '.' || digits == 0) return false;
    digits = 0;
    if (i < key.size() && ++part == kMostParts) return false;
  }
  *version = parsed;
  return true;
}

void SortHostVersions(std::vector<HostVersion>* versions) {
  std::stable_sort(versions->begin(), versions->end(), [](const HostVersion& a, const HostVersion& b) {
    if (!std::equal(a.parts, a.parts + kMostParts, b.parts))
      return std::lexicographical_compare(b.parts, b.parts + kMostParts, a.parts, a.parts + kMostParts);
    return a.view64 && !b.view64;
  });
}

std::string HostVersionText(const char* host, const HostVersion& version) {
  return std::string(host) + " " + version.key + ViewText(version);
}

std::string HostVersionsText(const std::vector<HostVersion>& versions) {
  std::string text;
  for (const HostVersion& version : versions) text += (text.empty() ? "" : ", ") + version.key + ViewText(version);
  return text.empty() ? "none" : text;
}
