#include "app/install/TextFields.h"

#include <cstring>

#include "common/ContentHash.h"
#include "common/UnicodeText.h"

namespace {

int DigitValue(uint8_t c, int base) {
  if (c >= '0' && c <= '9') return c - '0';
  if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string Counted(const std::string& text) { return std::to_string(text.size()) + ":" + text; }

bool LineReader::Word(const char* word) {
  const size_t length = std::strlen(word);
  if (size_t(end - at) < length || std::memcmp(at, word, length) != 0) return false;
  at += length;
  return true;
}

bool LineReader::Number(uint32_t* value, int base) {
  // At most the digits of the largest 32-bit value; more fail.
  const size_t most = base == 16 ? 8 : 10;
  // A decimal number is written one way only: no leading zero ("08").
  if (base == 10 && LeadingZero()) return false;
  uint64_t n = 0;
  size_t digits = 0;
  for (; at < end && digits < most; ++at, ++digits) {
    const int digit = DigitValue(*at, base);
    if (digit < 0) break;
    n = n * base + digit;
  }
  if (digits == 0 || n > UINT32_MAX || (at < end && DigitValue(*at, base) >= 0)) return false;
  *value = static_cast<uint32_t>(n);
  return true;
}

bool LineReader::Number64(uint64_t* value) {
  if (LeadingZero()) return false;
  uint64_t n = 0;
  size_t digits = 0;
  for (; at < end && DigitValue(*at, 10) >= 0; ++at, ++digits) {
    const unsigned digit = static_cast<unsigned>(DigitValue(*at, 10));
    if (digits == 20 || n > (UINT64_MAX - digit) / 10) return false;
    n = n * 10 + digit;
  }
  if (digits == 0) return false;
  *value = n;
  return true;
}

bool LineReader::Hash(uint64_t* value) {
  if (size_t(end - at) < 16 || !HashFromText(std::string(reinterpret_cast<const char*>(at), 16), value)) return false;
  at += 16;
  return true;
}

bool LineReader::Text(std::string* text, size_t maxLength) {
  uint32_t length = 0;
  if (!Number(&length) || !Word(":") || length > maxLength || size_t(end - at) < length) return false;
  text->assign(reinterpret_cast<const char*>(at), length);
  at += length;
  return true;
}

bool IsPlainRelativePath(const std::string& path, LeadBytePredicate isLeadByte) {
  if (path.empty()) return false;
  size_t start = 0;
  for (size_t i = 0; i <= path.size(); ++i) {
    const unsigned char c = i < path.size() ? static_cast<unsigned char>(path[i]) : 0;
    if (i < path.size() && isLeadByte && isLeadByte(c) && i + 1 < path.size()) {
      ++i;
      continue;
    }
    if (i < path.size() && c != '\\') continue;
    const std::string name = path.substr(start, i - start);
    if (CheckName(name.c_str(), isLeadByte) != NameProblem::kNone) return false;
    start = i + 1;
  }
  return true;
}

bool HasControlCharacter(const std::string& text) {
  for (unsigned char c : text)
    if (c < 32 || c == 127) return true;
  return false;
}

std::string AsciiFolded(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return text;
}

bool IsRootOrAbove(const std::string& folder, const std::string& root) {
  if (folder == root) return true;
  return folder.size() < root.size() && root.compare(0, folder.size(), folder) == 0 && root[folder.size()] == '\\';
}

namespace {

struct CrcTable {
  CrcTable() {
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      entries[n] = c;
    }
  }
  uint32_t entries[256];
};

}  // namespace

uint32_t Crc32(const uint8_t* data, size_t size) {
  static const CrcTable table;
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) crc = table.entries[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

bool AnsiForm::InUtf8(const std::vector<std::string*>& texts, bool inAnsi) const {
  for (std::string* text : texts) {
    if (inAnsi)
      *text = Converted(*text);
    else if (!IsValidUtf8(text->data(), text->size()))
      return false;
  }
  return true;
}
