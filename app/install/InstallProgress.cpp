#include "app/install/InstallProgress.h"

#include <algorithm>
#include <vector>

#include "app/install/UiStrings.h"
#include "resources/StringIds.h"

namespace {

constexpr size_t kUnitCount = 6;  // KB to EB

std::string Grouped(uint64_t n, const std::string& separator) {
  std::string digits = std::to_string(n);
  std::string grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += separator;
    grouped += digits[i];
  }
  return grouped;
}

// A size of 1,024 bytes or more in tenths of its unit, rounded, and the
// unit's index (0: KB); a rounding that reaches 1,024 units goes on to the
// next.
uint64_t SizeInTenths(uint64_t bytes, size_t* index) {
  uint64_t unit = 1024;
  *index = 0;
  while (*index + 1 < kUnitCount && bytes / unit >= 1024) {
    unit *= 1024;
    ++*index;
  }
  uint64_t tenths = bytes / unit * 10 + (bytes % unit * 10 + unit / 2) / unit;
  if (tenths >= 10240 && *index + 1 < kUnitCount) {
    ++*index;
    tenths = (tenths + 512) / 1024;
  }
  return tenths;
}

}  // namespace

std::string FormatCount(uint64_t n) { return Grouped(n, ","); }

std::string FormatSize(uint64_t bytes) {
  if (bytes < 1024) return FormatCount(bytes) + (bytes == 1 ? " byte" : " bytes");
  static const char* const kUnits[kUnitCount] = {"KB", "MB", "GB", "TB", "PB", "EB"};
  size_t index = 0;
  const uint64_t tenths = SizeInTenths(bytes, &index);
  return FormatCount(tenths / 10) + "." + std::to_string(tenths % 10) + " " + kUnits[index];
}

std::string UiCount(uint64_t n) { return Grouped(n, UiTextUtf8(IDS_NUMBER_GROUP, {})); }

std::string UiSize(uint64_t bytes) {
  if (bytes < 1024) return UiTextUtf8(bytes == 1 ? IDS_SIZE_BYTE : IDS_SIZE_BYTES, {UiCount(bytes)});
  std::vector<std::string> units;
  const std::string names = UiTextUtf8(IDS_SIZE_UNITS, {});
  for (size_t at = 0; at <= names.size();) {
    const size_t space = std::min(names.find(' ', at), names.size());
    units.push_back(names.substr(at, space - at));
    at = space + 1;
  }
  size_t index = 0;
  const uint64_t tenths = SizeInTenths(bytes, &index);
  const std::string unit = index < units.size() ? units[index] : "";
  return UiCount(tenths / 10) + UiTextUtf8(IDS_NUMBER_DECIMAL, {}) + std::to_string(tenths % 10) + " " + unit;
}

std::string CountOf(uint64_t n, const char* one, const char* many) { return FormatCount(n) + " " + (n == 1 ? one : many); }

std::string ProgressText(uint64_t filesDone, uint64_t filesTotal, uint64_t bytesDone, uint64_t bytesTotal) {
  filesTotal = std::max(filesTotal, filesDone);
  bytesTotal = std::max(bytesTotal, bytesDone);
  std::string text = UiTextUtf8(filesTotal == 1 ? IDS_PROGRESS_FILE : IDS_PROGRESS_FILES,
                                {UiCount(filesDone), UiCount(filesTotal)});
  if (bytesTotal > 0) text += UiTextUtf8(IDS_PROGRESS_BYTES, {UiSize(bytesDone), UiSize(bytesTotal)});
  return text;
}

bool RepaintThrottle::Due(uint32_t tick) {
  if (started && tick - last < interval) return false;
  started = true;
  last = tick;
  return true;
}
