// The texts the user reads, from the program's string tables
// (resources/StringIds.h): the chosen language's, else English's. A text
// the program cannot show in its code page yet is taken in English. The
// log keeps its own English texts.
#pragma once

#include <cstdint>
#include <string>

// The language the texts are taken in (a Windows language identifier);
// English until set.
void SetUiLanguage(uint16_t language);

// Text id, with "%1" and "%2" replaced by first and second.
std::string UiText(int id, const std::string& first = std::string(), const std::string& second = std::string());

// A label: its text without the "&" that marks its access key, and the
// key (0 when none is marked). "&&" is a "&" of the text.
struct UiLabel {
  std::string text;
  char key = 0;
};
UiLabel UiLabelOf(int id);
UiLabel LabelFromMarked(const std::string& marked);
