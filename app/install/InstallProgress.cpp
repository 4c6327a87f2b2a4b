#include "app/install/InstallProgress.h"

#include <algorithm>

std::string FormatCount(uint64_t n) {
  std::string digits = std::to_string(n);
  std::string grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

namespace {

// part * 100 / whole rounded down, for part <= whole, whole > 0, without
// overflow for any 64-bit counts.
unsigned Percent(uint64_t part, uint64_t whole) {
  if (part == whole) return 100;
  if (whole <= UINT64_MAX / 100) return static_cast<unsigned>(part * 100 / whole);
  return static_cast<unsigned>(part / (whole / 100 + 1));
}

}  // namespace

std::string CountOf(uint64_t n, const char* one, const char* many) { return FormatCount(n) + " " + (n == 1 ? one : many); }

std::string ProgressText(uint64_t filesDone, uint64_t filesTotal, uint64_t bytesDone, uint64_t bytesTotal) {
  filesTotal = std::max(filesTotal, filesDone);
  bytesTotal = std::max(bytesTotal, bytesDone);
  std::string text = "Installing. Please wait... " + FormatCount(filesDone) + " of " + FormatCount(filesTotal) +
                     (filesTotal == 1 ? " file" : " files");
  if (bytesTotal > 0) text += " (" + std::to_string(Percent(bytesDone, bytesTotal)) + "%)";
  return text;
}

bool RepaintThrottle::Due(uint32_t tick) {
  if (started && tick - last < interval) return false;
  started = true;
  last = tick;
  return true;
}
