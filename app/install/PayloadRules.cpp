#include "app/install/PayloadRules.h"

#include <cctype>
#include <cstring>
#include <initializer_list>

namespace {

bool SameLetters(const char* a, const char* b, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// The length of the port's digit at digit when it is one: 1 to 9, or the
// superscript 1, 2 or 3, which Windows takes as the same port ("COM¹"):
// U+00B9, U+00B2 and U+00B3 in UTF-8, or one byte in the western code page
// of earlier records. 0 when it is none.
size_t PortDigitLength(const char* digit) {
  const unsigned char u = static_cast<unsigned char>(digit[0]);
  if ((u >= '1' && u <= '9') || u == 0xB9 || u == 0xB2 || u == 0xB3) return 1;
  const unsigned char next = static_cast<unsigned char>(digit[1]);
  return u == 0xC2 && (next == 0xB9 || next == 0xB2 || next == 0xB3) ? 2 : 0;
}

// The stem is what comes before the first dot: "nul.txt" and "NUL.tar.gz"
// open the device as "NUL" does. Windows also ignores spaces before the
// dot ("nul .txt").
bool IsDeviceName(const char* name) {
  const char* dot = std::strchr(name, '.');
  size_t stem = dot ? static_cast<size_t>(dot - name) : std::strlen(name);
  while (stem > 0 && name[stem - 1] == ' ') --stem;
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
    if (stem == std::strlen(device) && SameLetters(name, device, stem)) return true;
  for (const char* device : {"COM", "LPT"})
    if (stem > 3 && SameLetters(name, device, 3) && PortDigitLength(name + 3) == stem - 3) return true;
  return false;
}

}  // namespace

NameProblem CheckName(const char* name, LeadBytePredicate isLeadByte) {
  const size_t length = std::strlen(name);
  if (std::strspn(name, " ") == length) return NameProblem::kEmpty;
  if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) return NameProblem::kDotName;
  for (size_t i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (isLeadByte && isLeadByte(c) && name[i + 1] != '\0') {
      ++i;  // the trail byte may be any value
      continue;
    }
    if (c < 32 || c == 127) return NameProblem::kControlCharacter;
    if (std::strchr("\\/:*?\"<>|", c)) return NameProblem::kReservedCharacter;
  }
  if (name[length - 1] == ' ' || name[length - 1] == '.') return NameProblem::kTrailingDotOrSpace;
  if (IsDeviceName(name)) return NameProblem::kDeviceName;
  return NameProblem::kNone;
}

const char* NameProblemText(NameProblem problem) {
  switch (problem) {
    case NameProblem::kNone: return "is a usable name";
    case NameProblem::kEmpty: return "is empty or blank";
    case NameProblem::kDotName: return "names a folder itself (\".\" or \"..\"), not a new one";
    case NameProblem::kReservedCharacter: return "holds a character Windows does not allow in names (\\ / : * ? \" < > |)";
    case NameProblem::kControlCharacter: return "holds a control character";
    case NameProblem::kTrailingDotOrSpace: return "ends in a dot or a space, which Windows drops";
    case NameProblem::kDeviceName: return "is a reserved device name";
  }
  return "is refused";
}

uint64_t BytesOnVolume(uint64_t size, uint64_t clusterSize) {
  if (clusterSize == 0 || size % clusterSize == 0) return size;
  return size + (clusterSize - size % clusterSize);
}
