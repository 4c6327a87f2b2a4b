#include "toolkit/files/IllustratorThumbnail.h"

#include <algorithm>
#include <cstring>

namespace {

// Lines are looked at through their first 254 characters.
constexpr size_t kLineLimit = 254;
constexpr size_t kPaletteBytes = 768;
// In run-length data: 253 253 is a literal 253, 253 n v is v repeated n
// times.
constexpr uint8_t kRunEscape = 253;
// Counts read from the file saturate here, far above anything a 32-bit
// process could hold, so that no arithmetic on them can overflow.
constexpr int64_t kCountCeiling = int64_t{1} << 40;

struct Line {
  const char* text = nullptr;
  size_t length = 0;

  bool StartsWith(const char* prefix) const {
    const size_t n = std::strlen(prefix);
    return length >= n && std::memcmp(text, prefix, n) == 0;
  }
};

// The lines of a file written on any system: a carriage return, a line feed
// or the pair of them ends a line.
class LineReader {
public:
  LineReader(const uint8_t* data, size_t size) : next(data), end(data + size) {}

  bool Next(Line* line) {
    if (next == end) return false;
    const uint8_t* start = next;
    while (next != end && *next != '\r' && *next != '\n') ++next;
    line->text = reinterpret_cast<const char*>(start);
    line->length = std::min(static_cast<size_t>(next - start), kLineLimit);
    if (next != end) {
      const uint8_t ending = *next++;
      if (ending == '\r' && next != end && *next == '\n') ++next;
    }
    return true;
  }

private:
  const uint8_t* next;
  const uint8_t* end;
};

// A decimal number at p, after blanks, as the C library's %d reads it;
// false when there are no digits. Advances p past what it read.
bool ReadDecimal(const char*& p, const char* end, int64_t* value) {
  while (p != end && (*p == ' ' || *p == '\t')) ++p;
  bool negative = false;
  if (p != end && (*p == '-' || *p == '+')) negative = *p++ == '-';
  if (p == end || *p < '0' || *p > '9') return false;
  int64_t n = 0;
  for (; p != end && *p >= '0' && *p <= '9'; ++p) n = std::min(n * 10 + (*p - '0'), kCountCeiling);
  *value = negative ? -n : n;
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The thumbnail line's width, height and depth, when all three are there
// and usable.
bool ReadThumbnailLine(const Line& line, IllustratorThumbnail* out) {
  constexpr size_t kNumbersStart = 15;  // after "%AI7_Thumbnail:"
  if (!line.StartsWith("%AI7_Thumbnail") || line.length <= kNumbersStart) return false;
  const char* p = line.text + kNumbersStart;
  const char* end = line.text + line.length;
  int64_t width, height, depth;
  if (!ReadDecimal(p, end, &width) || !ReadDecimal(p, end, &height) || !ReadDecimal(p, end, &depth))
    return false;
  if (width < 1 || width > kMaxIllustratorThumbnailSide || height < 1 ||
      height > kMaxIllustratorThumbnailSide || depth == 0)
    return false;
  out->width = static_cast<int32_t>(width);
  out->height = static_cast<int32_t>(height);
  out->bitsPerPixel = static_cast<int32_t>(std::clamp<int64_t>(depth, INT32_MIN, INT32_MAX));
  return true;
}

// The data lines up to "%%EndData": each line's first character is skipped
// and the rest read as pairs of hexadecimal digits, up to the first
// character that is not one. Collecting stops at `count` bytes.
std::vector<uint8_t> ReadDataLines(LineReader& lines, uint64_t count) {
  std::vector<uint8_t> bytes;
  Line line;
  while (bytes.size() < count && lines.Next(&line) && !line.StartsWith("%%EndData")) {
    for (size_t i = 1; i + 1 < line.length && bytes.size() < count; i += 2) {
      const int high = HexDigit(line.text[i]), low = HexDigit(line.text[i + 1]);
      if (high < 0 || low < 0) break;
      bytes.push_back(static_cast<uint8_t>(high << 4 | low));
    }
  }
  return bytes;
}

// Palette indices into out->rgb, plain or run-length coded, until the
// picture is full or the data ends.
void DecodeIndexedPixels(const std::vector<uint8_t>& bytes, IllustratorThumbnail* out) {
  uint8_t palette[kPaletteBytes] = {};
  std::copy_n(bytes.begin(), std::min(bytes.size(), kPaletteBytes), palette);

  const size_t n = bytes.size();
  size_t pos = kPaletteBytes;
  const bool runLength = n >= pos + 3 && std::memcmp(bytes.data() + pos, "RLE", 3) == 0;
  if (runLength) pos += 3;

  const size_t pixels = out->rgb.size() / 3;
  size_t done = 0;
  auto put = [&](uint8_t index) {
    std::memcpy(&out->rgb[done * 3], &palette[index * 3], 3);
    ++done;
  };
  while (done < pixels && pos < n) {
    const uint8_t b = bytes[pos++];
    if (!runLength || b != kRunEscape) {
      put(b);
      continue;
    }
    if (pos >= n) break;
    const uint8_t repeat = bytes[pos++];
    if (repeat == kRunEscape) {
      put(kRunEscape);
      continue;
    }
    if (pos >= n) break;
    const uint8_t value = bytes[pos++];
    for (int i = 0; i < repeat && done < pixels; ++i) put(value);
  }
}

}  // namespace

bool DecodeIllustratorThumbnail(const uint8_t* data, size_t size, IllustratorThumbnail* out) {
  *out = IllustratorThumbnail();
  if (!data) return false;
  LineReader lines(data, size);
  Line line;
  while (lines.Next(&line)) {
    if (!ReadThumbnailLine(line, out)) continue;

    if (!lines.Next(&line) || !line.StartsWith("%%BeginData: ")) break;
    const char* p = line.text + 13;
    int64_t digits = 0;
    if (!ReadDecimal(p, line.text + line.length, &digits)) digits = 0;
    const uint64_t count = static_cast<uint64_t>(std::max<int64_t>(digits, 0) / 2);
    const std::vector<uint8_t> bytes = ReadDataLines(lines, count);

    const uint64_t pixels = uint64_t(out->width) * uint64_t(out->height);
    out->rgb.assign(static_cast<size_t>(pixels * 3), 0);
    out->decoded = out->bitsPerPixel == 8;
    if (out->decoded) DecodeIndexedPixels(bytes, out);
    return true;
  }
  *out = IllustratorThumbnail();
  return false;
}
