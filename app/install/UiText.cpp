#include "app/install/UiText.h"

#include <windows.h>

#include "common/AnsiText.h"

bool UiLanguageFitsCodePage(const char* tag) {
  // The window's fonts take the system's character set (qvDrawingItem),
  // and draw the single-byte code pages whole; the scripts of the
  // double-byte ones need fonts of their own, which the window does not
  // choose yet: English there for now.
  CPINFO code = {};
  if (std::string(tag) != "en" && (!GetCPInfo(CP_ACP, &code) || code.MaxCharSize != 1)) return false;
  for (const UiTable& table : UiTables()) {
    if (std::string(table.tag) != tag) continue;
    std::string ansi;
    for (size_t i = 0; i < table.count; ++i)
      if (!AnsiFromUtf8(table.strings[i].text, &ansi)) return false;
  }
  return true;
}

std::string UiText(int id, std::initializer_list<std::string> arguments) {
  std::string text;
  if (!AnsiFromUtf8(UiTextUtf8(UiLanguage(), id), &text)) AnsiFromUtf8(UiTextUtf8("en", id), &text);
  return FillUiText(text, arguments);
}

std::string AnsiForWindow(const std::string& utf8) { return AnsiMarkingUnconvertible(WideFromUtf8(utf8), '?'); }

UiLabel UiLabelOf(int id) { return LabelFromMarked(UiText(id)); }
