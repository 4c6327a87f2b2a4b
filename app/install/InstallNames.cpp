#include "app/install/InstallNames.h"

#include <algorithm>
#include <cstring>

#include "app/install/PathNames.h"
#include "common/UnicodeText.h"

namespace {

bool IsLineEnd(uint32_t c) { return c == '\r' || c == '\n'; }

// The first non-blank line of a sequence of code units (bytes or UTF-16
// units), at most limit units.
template <typename Unit>
std::basic_string<Unit> FirstLine(const Unit* units, size_t count, size_t limit) {
  size_t at = 0;
  while (at < count && IsLineEnd(units[at])) ++at;
  size_t end = at;
  while (end < count && end - at < limit && !IsLineEnd(units[end])) ++end;
  return std::basic_string<Unit>(units + at, end - at);
}

// How the second non-blank line reads as a version line.
enum class VersionLine {
  kNone,     // not one
  kExact,    // "Version:" at its start, letter case aside
  kAlmost,   // one set down otherwise: spaces before it or before the
             // colon, or no colon ("Version : 3.4", " Version: 3", "Version 3")
};

// The second non-blank line, when it is a version line: its value after
// "Version:", spaces around it dropped, as ASCII; *kind tells how the line
// began. Only ASCII is ever a version, so one template serves bytes and
// UTF-16 alike.
template <typename Unit>
std::string VersionValue(const Unit* units, size_t count, VersionLine* kind) {
  *kind = VersionLine::kNone;
  size_t at = 0;
  for (int line = 0; line < 2; ++line) {
    while (at < count && IsLineEnd(units[at])) ++at;
    if (line == 1) break;
    while (at < count && !IsLineEnd(units[at])) ++at;
  }
  const auto blank = [&](size_t i) { return i < count && (units[i] == Unit(' ') || units[i] == Unit('\t')); };
  bool almost = false;
  while (blank(at)) ++at, almost = true;
  static const char kKey[] = "version";
  for (size_t i = 0; i < sizeof kKey - 1; ++i, ++at) {
    if (at >= count) return std::string();
    const uint32_t c = static_cast<uint32_t>(units[at]);
    if ((c >= 'A' && c <= 'Z' ? c + 32 : c) != uint32_t(kKey[i])) return std::string();
  }
  const size_t afterKey = at;
  while (blank(at)) ++at;
  if (at < count && units[at] == Unit(':')) {
    almost = almost || at != afterKey;
    ++at;
  } else if (at < count && units[at] >= Unit('0') && units[at] <= Unit('9') && at != afterKey) {
    almost = true;  // "Version 3.4"
  } else {
    return std::string();  // "Versions", "Version notes", "Version"
  }
  *kind = almost ? VersionLine::kAlmost : VersionLine::kExact;
  std::string value;
  // A value longer than any version is malformed anyway: a bound, not a cut.
  for (; at < count && !IsLineEnd(units[at]) && value.size() < 64; ++at) {
    const uint32_t c = static_cast<uint32_t>(units[at]);
    value.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  }
  const size_t first = value.find_first_not_of(" \t");
  const size_t last = value.find_last_not_of(" \t");
  return first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
}

// The version of a product file's units into line, or its refusal.
template <typename Unit>
void ReadVersion(const Unit* units, size_t count, ProductLine* line) {
  if (!line->refusal.empty()) return;
  VersionLine kind = VersionLine::kNone;
  const std::string value = VersionValue(units, count, &kind);
  if (kind == VersionLine::kNone) return;
  if (kind == VersionLine::kAlmost) {
    // Taken for no version, it would let any version over this one.
    line->refusal = "the version line of \"product.txt\" is not written as \"Version: 2.1.0\" is "
                    "(\"Version:\" at the start of the line, the colon right after it)";
    line->text.clear();
    return;
  }
  if (!ParseVersion(value)) {
    line->refusal = "the version line of \"product.txt\" does not hold a version such as \"Version: 2.1.0\" "
                    "(one to four numbers up to 65535, parted by dots)";
    line->text.clear();
    return;
  }
  line->version = value;
}

ProductLine Refused(const char* why) {
  ProductLine line;
  line.refusal = why;
  return line;
}

// The line read in UTF-16, as UTF-8.
ProductLine Converted(const std::u16string& wide) {
  ProductLine line;
  if (wide.find(u'\0') != std::u16string::npos)
    return Refused("the first line of \"product.txt\" holds a zero character");
  if (!EncodeUtf8(wide, &line.text))
    return Refused("the first line of \"product.txt\" is not valid UTF-16, as its byte-order mark says it is");
  return line;
}

}  // namespace

ProductLine ProductLineFromBytes(const uint8_t* data, size_t size, AnsiToUtf8 fromAnsi) {
  const size_t limit = kProductLineSize - 1;
  if (size >= 2 && (data[0] == 0xFF || data[0] == 0xFE) && data[1] == (data[0] ^ 0x01)) {
    const bool littleEndian = data[0] == 0xFF;
    std::u16string units;
    for (size_t i = 2; i + 1 < size; i += 2)
      units.push_back(static_cast<char16_t>(littleEndian ? data[i] | (data[i + 1] << 8) : (data[i] << 8) | data[i + 1]));
    std::u16string first = FirstLine(units.data(), units.size(), limit);
    // Never half a pair at the cut.
    if (first.size() == limit && IsHighSurrogate(first.back())) first.pop_back();
    ProductLine line = Converted(first);
    ReadVersion(units.data(), units.size(), &line);
    return line;
  }
  const bool marked = size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF;
  const char* text = reinterpret_cast<const char*>(data) + (marked ? 3 : 0);
  const size_t count = size - (marked ? 3 : 0);
  // Four bytes a character at most: enough of the line to fill the limit.
  std::string first = FirstLine(text, count, 4 * limit);
  ProductLine line;
  if (IsValidUtf8(first.data(), first.size())) {
    line.text = first;
  } else if (marked) {
    return Refused("the first line of \"product.txt\" is not valid UTF-8, as its byte-order mark says it is");
  } else {
    // Without a mark, text that is not UTF-8 is in the code page it was
    // written in, the system's, as before there was UTF-8.
    first.resize(std::min(first.size(), limit));
    line.text = fromAnsi ? fromAnsi(first) : first;
  }
  // At most 1023 units, cut between characters.
  std::u16string units = DecodeUtf8(line.text.data(), line.text.size());
  if (units.size() > limit) {
    units.resize(limit);
    if (IsHighSurrogate(units.back())) units.pop_back();
    EncodeUtf8(units, &line.text);
  }
  // A zero would end the name early in every text made from it; UTF-16
  // without its mark reads like this too.
  if (line.text.find('\0') != std::string::npos)
    return Refused("the first line of \"product.txt\" holds a zero byte (is it UTF-16 without a byte-order mark?)");
  ReadVersion(text, count, &line);
  return line;
}

bool ParseVersion(const std::string& text, uint32_t parts[4]) {
  uint32_t numbers[4] = {0, 0, 0, 0};
  size_t count = 0, at = 0;
  while (true) {
    size_t digits = 0;
    uint32_t n = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++digits) {
      if (digits == 5) return false;
      n = n * 10 + uint32_t(text[at] - '0');
    }
    if (digits == 0 || n > 65535 || count == 4) return false;
    numbers[count++] = n;
    if (at == text.size()) break;
    if (text[at] != '.') return false;
    ++at;
  }
  if (parts) std::memcpy(parts, numbers, sizeof numbers);
  return true;
}

bool IsVersionDowngrade(const std::string& version, const std::string& installed) {
  return !installed.empty() && (version.empty() || CompareVersions(version, installed) < 0);
}

int CompareVersions(const std::string& a, const std::string& b) {
  uint32_t x[4] = {0, 0, 0, 0}, y[4] = {0, 0, 0, 0};
  ParseVersion(a, x);
  ParseVersion(b, y);
  for (int i = 0; i < 4; ++i)
    if (x[i] != y[i]) return x[i] < y[i] ? -1 : 1;
  return 0;
}

size_t CutProductName(char* name, LeadBytePredicate isLeadByte) {
  size_t kept = 0, units = 0;
  while (name[kept] != '\0') {
    size_t step = 1, width = 1;
    if (isLeadByte) {
      if (isLeadByte(static_cast<uint8_t>(name[kept])) && name[kept + 1] != '\0') step = 2;
      width = step;  // a double-byte code page counts bytes
    } else {
      // A UTF-8 character whole: its lead byte and what continues it.
      while ((static_cast<uint8_t>(name[kept + step]) & 0xC0) == 0x80) ++step;
      width = Utf16UnitsOf(static_cast<uint8_t>(name[kept]));
    }
    if (units + width > kMaxProductNameLength) break;
    kept += step;
    units += width;
  }
  name[kept] = '\0';
  return kept;
}

std::string ProductNameRefusal(const char* name, TargetKind kind, LeadBytePredicate isLeadByte) {
  if (kind == TargetFxPlug) return std::string();
  const NameProblem problem = CheckName(name, isLeadByte);
  if (problem == NameProblem::kNone) return std::string();
  return std::string("the product name names the folder installed into, and \"") + name + "\" " +
         NameProblemText(problem);
}

bool InstallDestination(const char* location, const char* productFolder, TargetKind kind, char* out) {
  const size_t locationLength = std::strlen(location);
  if (kind == TargetFxPlug) {
    if (PathLength(location) > kMaxPathLength) {
      out[0] = '\0';
      return false;
    }
    std::memmove(out, location, locationLength + 1);
    return true;
  }
  if (productFolder[0] == '\0') {  // never the location itself
    out[0] = '\0';
    return false;
  }
  if (locationLength > 0 && location[locationLength - 1] == '\\') {
    const size_t nameLength = std::strlen(productFolder);
    if (PathLength(location) + PathLength(productFolder) > kMaxPathLength) {
      out[0] = '\0';
      return false;
    }
    std::memmove(out, location, locationLength);
    std::memcpy(out + locationLength, productFolder, nameLength + 1);
    return true;
  }
  return JoinPathWithin(location, productFolder, out);
}

const char* TargetKindName(TargetKind kind) {
  switch (kind) {
    case TargetApplication: return "Program Files application";
    case TargetAfterEffects: return "After Effects plug-in";
    case TargetFxPlug: return "FxPlug plug-in";
    case TargetPhotoshop: return "Photoshop plug-in";
    case TargetMediaCore: return "MediaCore plug-in (After Effects and Premiere Pro)";
    case TargetNone: break;
  }
  return "no payload";
}
