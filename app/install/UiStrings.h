// The tables of the texts the user reads, one per language, compiled in
// (resources/strings/<tag>.inc, numbered by resources/StringIds.h): a
// language's table holds what it has translated, and English's holds
// every text. Adding a language adds its table and its line in the list.
// The install's and the window's texts for the user come from here; the
// log keeps its own English. Plain text work over UTF-8: it builds
// natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

struct UiString {
  int id;
  const char* text;  // UTF-8
};

struct UiTable {
  const char* tag;  // the language's (Languages.h)
  const UiString* strings;
  size_t count;
};

// Every table, English first.
const std::vector<UiTable>& UiTables();

// Text id of the language tagged tag, or English's when that table lacks
// it (or there is none); empty when English has none either.
std::string UiTextUtf8(const char* tag, int id);

// Text with "%1" to "%9" replaced by the arguments, in one pass: what is
// put in is never read for markers again; a marker without its argument
// gives nothing.
std::string FillUiText(const std::string& text, std::initializer_list<std::string> arguments);
std::string FillUiText(const std::string& text, const std::vector<std::string>& arguments);

// The language the texts are taken in, by its tag (Languages.h); English
// until set.
void SetUiLanguage(const char* tag);
const char* UiLanguage();

// text as it stands inside a text of the language set: in a language read
// right to left, embedded left to right (U+202A ... U+202C), so that a path
// "C:\\Program Files\\Kestrova" does not read "Kestrova\\Program Files\\C:";
// unchanged otherwise. The arguments of UiTextUtf8 are embedded so.
std::string UiEmbedded(const std::string& text);

// Text id in the language set, filled; UTF-8.
std::string UiTextUtf8(int id, std::initializer_list<std::string> arguments = {});

// A label: its text without the "&" that marks its access key, and the
// key (0 when none is marked). "&&" is a "&" of the text.
struct UiLabel {
  std::string text;
  char key = 0;
};
UiLabel LabelFromMarked(const std::string& marked);
