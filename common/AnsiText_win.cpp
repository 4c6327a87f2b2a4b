#include "common/AnsiText.h"

#include <windows.h>

#include "common/UnicodeText.h"

bool AnsiFromWide(const std::wstring& text, std::string* ansi) {
  ansi->clear();
  if (text.empty()) return true;
  const int length = static_cast<int>(text.size());
  // With UTF-8 as the ANSI code page every character fits, and the
  // best-fit flags are not allowed.
  const bool utf8 = GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* lossy = utf8 ? nullptr : &usedDefault;
  const int size = WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr, lossy);
  if (size <= 0 || usedDefault) return false;
  std::string out(size, '\0');
  if (WideCharToMultiByte(CP_ACP, flags, text.data(), length, &out[0], size, nullptr, lossy) != size || usedDefault)
    return false;
  if (WideFromAnsi(out) != text) return false;
  *ansi = std::move(out);
  return true;
}

bool AnsiFromUtf16(const std::u16string& text, std::string* ansi) {
  return AnsiFromWide(std::wstring(text.begin(), text.end()), ansi);
}

std::string AnsiMarkingUnconvertible(const std::wstring& text, char mark) {
  std::string marked, one;
  for (size_t i = 0; i < text.size();) {
    const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                      text[i + 1] <= 0xDFFF;
    const size_t units = pair ? 2 : 1;
    if (AnsiFromWide(text.substr(i, units), &one))
      marked += one;
    else
      marked += mark;
    i += units;
  }
  return marked;
}

std::wstring WideFromAnsi(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int length = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  std::wstring out(size > 0 ? size : 0, L'\0');
  if (size > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), length, &out[0], size);
  return out;
}

std::wstring WideFromUtf8(const std::string& text) {
  const std::u16string wide = DecodeUtf8(text.data(), text.size());
  return std::wstring(wide.begin(), wide.end());
}

bool AnsiFromUtf8(const std::string& text, std::string* ansi) { return AnsiFromWide(WideFromUtf8(text), ansi); }

std::string Utf8FromAnsi(const std::string& text) { return Utf8FromWide(WideFromAnsi(text)); }

std::string Utf8FromWide(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size : 0, '\0');
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), length, &out[0], size, nullptr, nullptr);
  return out;
}

bool Utf8FromWide(const std::wstring& text, std::string* utf8) {
  return EncodeUtf8(std::u16string(text.begin(), text.end()), utf8);
}

std::string Utf8MarkingUnpaired(const std::wstring& text, char mark) {
  std::string marked;
  size_t from = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      ++i;
    } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
      marked += Utf8FromWide(text.substr(from, i - from)) + mark;
      from = i + 1;
    }
  }
  return marked + Utf8FromWide(text.substr(from));
}

bool IsAnsiLeadByte(uint8_t byte) { return IsDBCSLeadByte(byte) != 0; }

std::string AnsiCodePageName() { return std::to_string(GetACP()); }
