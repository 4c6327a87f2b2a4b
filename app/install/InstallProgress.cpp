#include "app/install/InstallProgress.h"

#include <algorithm>

#include "app/install/UiStrings.h"
#include "resources/StringIds.h"

std::string FormatCount(uint64_t n) {
  std::string digits = std::to_string(n);
  std::string grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

std::string FormatSize(uint64_t bytes) {
  if (bytes < 1024) return FormatCount(bytes) + (bytes == 1 ? " byte" : " bytes");
  static const char* const kUnits[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
  // Tenths of a unit, rounded; a rounding that reaches 1,024 units goes
  // on to the next.
  uint64_t unit = 1024;
  size_t index = 0;
  while (index + 1 < sizeof kUnits / sizeof kUnits[0] && bytes / unit >= 1024) {
    unit *= 1024;
    ++index;
  }
  uint64_t tenths = bytes / unit * 10 + (bytes % unit * 10 + unit / 2) / unit;
  if (tenths >= 10240 && index + 1 < sizeof kUnits / sizeof kUnits[0]) {
    ++index;
    tenths = (tenths + 512) / 1024;
  }
  return FormatCount(tenths / 10) + "." + std::to_string(tenths % 10) + " " + kUnits[index];
}

std::string CountOf(uint64_t n, const char* one, const char* many) { return FormatCount(n) + " " + (n == 1 ? one : many); }

std::string ProgressText(uint64_t filesDone, uint64_t filesTotal, uint64_t bytesDone, uint64_t bytesTotal) {
  filesTotal = std::max(filesTotal, filesDone);
  bytesTotal = std::max(bytesTotal, bytesDone);
  std::string text = UiTextUtf8(filesTotal == 1 ? IDS_PROGRESS_FILE : IDS_PROGRESS_FILES,
                                {FormatCount(filesDone), FormatCount(filesTotal)});
  if (bytesTotal > 0) text += UiTextUtf8(IDS_PROGRESS_BYTES, {FormatSize(bytesDone), FormatSize(bytesTotal)});
  return text;
}

bool RepaintThrottle::Due(uint32_t tick) {
  if (started && tick - last < interval) return false;
  started = true;
  last = tick;
  return true;
}
