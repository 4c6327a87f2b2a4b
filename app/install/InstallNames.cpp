#include "app/install/InstallNames.h"

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

// UTF-8 to UTF-16; false on any sequence that is not valid UTF-8
// (overlong forms, surrogates, values past U+10FFFF, cut sequences).
bool Utf16FromUtf8(const std::string& text, std::u16string* out) {
  out->clear();
  if (!IsValidUtf8(text.data(), text.size())) return false;
  *out = DecodeUtf8(text.data(), text.size());
  return true;
}

ProductLine Refused(const char* why) {
  ProductLine line;
  line.refusal = why;
  return line;
}

// The converted line, cut to the line limit as a line read without a mark
// would be.
ProductLine Converted(const std::u16string& wide, Utf16ToAnsi toAnsi) {
  ProductLine line;
  if (wide.find(u'\0') != std::u16string::npos)
    return Refused("the first line of \"product.txt\" holds a zero character");
  if (!toAnsi || !toAnsi(wide, &line.text))
    return Refused("the first line of \"product.txt\" has characters that the ANSI code page cannot hold");
  if (line.text.size() > kProductLineSize - 1) line.text.resize(kProductLineSize - 1);
  return line;
}

}  // namespace

ProductLine ProductLineFromBytes(const uint8_t* data, size_t size, Utf16ToAnsi toAnsi) {
  const size_t limit = kProductLineSize - 1;
  if (size >= 2 && (data[0] == 0xFF || data[0] == 0xFE) && data[1] == (data[0] ^ 0x01)) {
    const bool littleEndian = data[0] == 0xFF;
    std::u16string units;
    for (size_t i = 2; i + 1 < size; i += 2)
      units.push_back(static_cast<char16_t>(littleEndian ? data[i] | (data[i + 1] << 8) : (data[i] << 8) | data[i + 1]));
    return Converted(FirstLine(units.data(), units.size(), limit), toAnsi);
  }
  if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
    // Four bytes a character at most: enough of the line to fill the limit.
    const std::string line = FirstLine(reinterpret_cast<const char*>(data) + 3, size - 3, 4 * limit);
    std::u16string wide;
    if (!Utf16FromUtf8(line, &wide))
      return Refused("the first line of \"product.txt\" is not valid UTF-8, as its byte-order mark says it is");
    return Converted(wide, toAnsi);
  }
  ProductLine line;
  line.text = FirstLine(reinterpret_cast<const char*>(data), size, limit);
  // A zero would end the name early in every text made from it; UTF-16
  // without its mark reads like this too.
  if (line.text.find('\0') != std::string::npos)
    return Refused("the first line of \"product.txt\" holds a zero byte (is it UTF-16 without a byte-order mark?)");
  return line;
}

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
    if (locationLength > kMaxPathLength) {
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
