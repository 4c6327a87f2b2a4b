// UTF-8 and UTF-16 decoded to UTF-16 text, portably, from any bytes: the
// strict check of UTF-8 and the decoding that replaces what is not well
// formed with U+FFFD rather than fail.
#pragma once

#include <cstddef>
#include <string>

// What stands for bytes that are not well-formed text.
constexpr char16_t kReplacementCharacter = 0xFFFD;

inline bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
inline bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Whether data is well-formed UTF-8: every sequence complete and in its
// shortest form, no surrogate, nothing above U+10FFFF.
bool IsValidUtf8(const char* data, size_t size);

// UTF-8 as UTF-16. Each maximal part of an ill-formed sequence (the bytes
// that could still have begun a valid one, or one byte) becomes one U+FFFD.
std::u16string DecodeUtf8(const char* data, size_t size);

// UTF-16 bytes in the order given as UTF-16 text. A surrogate without its
// other half and an odd last byte each become U+FFFD.
std::u16string DecodeUtf16(const char* data, size_t size, bool bigEndian);


// UTF-16 text as UTF-8; false, with utf8 empty, when it holds a surrogate
// without its other half.
bool EncodeUtf8(const std::u16string& text, std::string* utf8);

// The UTF-16 units of the character a UTF-8 lead byte begins: two for the
// four-byte ones (a surrogate pair), else one.
inline size_t Utf16UnitsOf(unsigned char lead) { return lead >= 0xF0 ? 2 : 1; }

// The number of UTF-16 units that well-formed UTF-8 text takes: what the
// platform's path limits count. Text that is not well formed is counted
// by its lead bytes, as the decoder would.
size_t Utf16Length(const char* utf8, size_t size);
inline size_t Utf16Length(const std::string& utf8) { return Utf16Length(utf8.data(), utf8.size()); }
