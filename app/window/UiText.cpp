#include "app/window/UiText.h"

#include <windows.h>

#include "common/AnsiText.h"
#include "common/ModuleInstance.h"

namespace {

const LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
LANGID chosen = kEnglish;

// String id's text in language's table: a block of sixteen counted
// strings, each found by its length; empty when the table has none.
std::wstring TableText(int id, LANGID language) {
  const HMODULE module = ModuleInstance();
  const HRSRC found =
      FindResourceExW(module, MAKEINTRESOURCEW(6) /* RT_STRING */, MAKEINTRESOURCEW(id / 16 + 1), language);
  if (!found) return std::wstring();
  const HGLOBAL loaded = LoadResource(module, found);
  const auto* unit = static_cast<const wchar_t*>(loaded ? LockResource(loaded) : nullptr);
  const DWORD units = SizeofResource(module, found) / sizeof(wchar_t);
  if (!unit) return std::wstring();
  DWORD at = 0;
  for (int i = 0; i < id % 16; ++i) {
    if (at >= units) return std::wstring();
    at += 1 + unit[at];
  }
  if (at >= units || at + 1 + unit[at] > units) return std::wstring();
  return std::wstring(unit + at + 1, unit[at]);
}

// In one pass: what is put in is never read for markers again.
std::string Filled(const std::string& text, const std::string& first, const std::string& second) {
  std::string filled;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == '1' || text[i + 1] == '2')) {
      filled += text[++i] == '1' ? first : second;
      continue;
    }
    filled += text[i];
  }
  return filled;
}

}  // namespace

void SetUiLanguage(uint16_t language) { chosen = language; }

std::string UiText(int id, const std::string& first, const std::string& second) {
  std::string text;
  const std::wstring own = TableText(id, chosen);
  if (own.empty() || !AnsiFromWide(own, &text)) AnsiFromWide(TableText(id, kEnglish), &text);
  return Filled(text, first, second);
}

UiLabel LabelFromMarked(const std::string& marked) {
  UiLabel label;
  for (size_t i = 0; i < marked.size(); ++i) {
    if (marked[i] != '&' || i + 1 == marked.size()) {
      label.text += marked[i];
      continue;
    }
    ++i;
    if (marked[i] != '&' && !label.key) label.key = marked[i];
    label.text += marked[i];
  }
  return label;
}

UiLabel UiLabelOf(int id) { return LabelFromMarked(UiText(id)); }
