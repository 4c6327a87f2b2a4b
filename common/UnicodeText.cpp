#include "common/UnicodeText.h"

#include <cstdint>

namespace {

void AppendCodePoint(char32_t codePoint, std::u16string& out) {
  if (codePoint < 0x10000) {
    out += static_cast<char16_t>(codePoint);
    return;
  }
  codePoint -= 0x10000;
  out += static_cast<char16_t>(0xD800 + (codePoint >> 10));
  out += static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
}

// One step through UTF-8: a code point and the bytes it took, or, for an
// ill-formed sequence, the bytes of its maximal part (one at least).
struct Utf8Step {
  char32_t codePoint;
  size_t length;
  bool valid;
};

Utf8Step NextUtf8(const unsigned char* bytes, size_t left) {
  const unsigned char lead = bytes[0];
  if (lead < 0x80) return {lead, 1, true};
  // The second byte's range is narrower after some leads: E0 and F0 would
  // otherwise allow longer forms than needed, ED surrogates, F4 code points
  // past U+10FFFF.
  size_t following;
  char32_t codePoint;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    following = 1;
    codePoint = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    following = 2;
    codePoint = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    following = 3;
    codePoint = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {0, 1, false};  // a continuation byte, or a lead no valid sequence has
  }
  size_t at = 1;
  for (; at <= following; ++at) {
    if (at >= left || bytes[at] < low || bytes[at] > high) return {0, at, false};
    codePoint = (codePoint << 6) | (bytes[at] & 0x3F);
    low = 0x80;
    high = 0xBF;
  }
  return {codePoint, at, true};
}

}  // namespace

bool IsValidUtf8(const char* data, size_t size) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(data);
  for (size_t at = 0; at < size;) {
    const Utf8Step step = NextUtf8(bytes + at, size - at);
    if (!step.valid) return false;
    at += step.length;
  }
  return true;
}

std::u16string DecodeUtf8(const char* data, size_t size) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(data);
  std::u16string text;
  text.reserve(size);  // never more units than bytes
  for (size_t at = 0; at < size;) {
    const Utf8Step step = NextUtf8(bytes + at, size - at);
    AppendCodePoint(step.valid ? step.codePoint : kReplacementCharacter, text);
    at += step.length;
  }
  return text;
}

std::u16string DecodeUtf16(const char* data, size_t size, bool bigEndian) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(data);
  const auto unitAt = [&](size_t at) -> char16_t {
    return static_cast<char16_t>(bigEndian ? bytes[at] << 8 | bytes[at + 1] : bytes[at + 1] << 8 | bytes[at]);
  };
  std::u16string text;
  text.reserve(size / 2 + 1);
  const size_t whole = size & ~static_cast<size_t>(1);
  for (size_t at = 0; at < whole; at += 2) {
    const char16_t unit = unitAt(at);
    if (IsHighSurrogate(unit) && at + 2 < whole && IsLowSurrogate(unitAt(at + 2))) {
      text += unit;
      text += unitAt(at + 2);
      at += 2;
    } else {
      text += IsHighSurrogate(unit) || IsLowSurrogate(unit) ? kReplacementCharacter : unit;
    }
  }
  if (whole != size) text += kReplacementCharacter;
  return text;
}


size_t Utf16Length(const char* utf8, size_t size) {
  size_t units = 0;
  for (size_t i = 0; i < size; ++i) {
    const uint8_t byte = static_cast<uint8_t>(utf8[i]);
    // Each lead byte starts a character: four-byte ones need a pair.
    if ((byte & 0xC0) != 0x80) units += Utf16UnitsOf(byte);
  }
  return units;
}

bool EncodeUtf8(const std::u16string& text, std::string* utf8) {
  utf8->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      utf8->clear();
      return false;
    }
    if (c < 0x80) {
      *utf8 += static_cast<char>(c);
    } else if (c < 0x800) {
      *utf8 += static_cast<char>(0xC0 | (c >> 6));
      *utf8 += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      *utf8 += static_cast<char>(0xE0 | (c >> 12));
      *utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      *utf8 += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      *utf8 += static_cast<char>(0xF0 | (c >> 18));
      *utf8 += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      *utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      *utf8 += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return true;
}
