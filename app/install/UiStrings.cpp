#include "app/install/UiStrings.h"

#include <cstring>
#include <vector>

#include "common/Languages.h"
#include "resources/StringIds.h"

namespace {

std::string language = "en";
bool rightToLeft = false;  // the language set reads right to left

const UiString kEnglish[] = {
#include "resources/strings/en.inc"
};
const UiString kGerman[] = {
#include "resources/strings/de.inc"
};
const UiString kFrench[] = {
#include "resources/strings/fr.inc"
};
const UiString kSpanish[] = {
#include "resources/strings/es.inc"
};
const UiString kItalian[] = {
#include "resources/strings/it.inc"
};
const UiString kPortugueseBrazil[] = {
#include "resources/strings/pt-BR.inc"
};
const UiString kPolish[] = {
#include "resources/strings/pl.inc"
};
const UiString kRussian[] = {
#include "resources/strings/ru.inc"
};
const UiString kJapanese[] = {
#include "resources/strings/ja.inc"
};
const UiString kChineseSimplified[] = {
#include "resources/strings/zh-CN.inc"
};
const UiString kChineseTraditional[] = {
#include "resources/strings/zh-TW.inc"
};
const UiString kKorean[] = {
#include "resources/strings/ko.inc"
};
const UiString kArabic[] = {
#include "resources/strings/ar.inc"
};
const UiString kHebrew[] = {
#include "resources/strings/he.inc"
};

}  // namespace

const std::vector<UiTable>& UiTables() {
  static const std::vector<UiTable> tables = {
      {"en", kEnglish, sizeof kEnglish / sizeof kEnglish[0]},
      {"de", kGerman, sizeof kGerman / sizeof kGerman[0]},
      {"fr", kFrench, sizeof kFrench / sizeof kFrench[0]},
      {"es", kSpanish, sizeof kSpanish / sizeof kSpanish[0]},
      {"it", kItalian, sizeof kItalian / sizeof kItalian[0]},
      {"pt-BR", kPortugueseBrazil, sizeof kPortugueseBrazil / sizeof kPortugueseBrazil[0]},
      {"pl", kPolish, sizeof kPolish / sizeof kPolish[0]},
      {"ru", kRussian, sizeof kRussian / sizeof kRussian[0]},
      {"ja", kJapanese, sizeof kJapanese / sizeof kJapanese[0]},
      {"zh-CN", kChineseSimplified, sizeof kChineseSimplified / sizeof kChineseSimplified[0]},
      {"zh-TW", kChineseTraditional, sizeof kChineseTraditional / sizeof kChineseTraditional[0]},
      {"ko", kKorean, sizeof kKorean / sizeof kKorean[0]},
      {"ar", kArabic, sizeof kArabic / sizeof kArabic[0]},
      {"he", kHebrew, sizeof kHebrew / sizeof kHebrew[0]},
  };
  return tables;
}

std::string UiTextUtf8(const char* tag, int id) {
  const UiTable* own = nullptr;
  for (const UiTable& table : UiTables())
    if (tag && std::strcmp(table.tag, tag) == 0) own = &table;
  for (const UiTable* table : {own, &UiTables().front()}) {
    if (!table) continue;
    for (size_t i = 0; i < table->count; ++i)
      if (table->strings[i].id == id) return table->strings[i].text;
  }
  return std::string();
}

std::string FillUiText(const std::string& text, std::initializer_list<std::string> arguments) {
  return FillUiText(text, std::vector<std::string>(arguments));
}

std::string FillUiText(const std::string& text, const std::vector<std::string>& arguments) {
  std::string filled;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
      const size_t n = static_cast<size_t>(text[++i] - '1');
      if (n < arguments.size()) filled += arguments[n];
      continue;
    }
    filled += text[i];
  }
  return filled;
}

void SetUiLanguage(const char* tag) {
  language = tag && tag[0] ? tag : "en";
  const Language* own = LanguageForTag(language);
  rightToLeft = own && own->rightToLeft;
}
const char* UiLanguage() { return language.c_str(); }

std::string UiEmbedded(const std::string& text) { return rightToLeft ? "\u202A" + text + "\u202C" : text; }

std::string UiTextUtf8(int id, std::initializer_list<std::string> arguments) {
  // What is put in (a path, a product's name, a number, a version) keeps
  // its own order in a language read right to left.
  std::vector<std::string> embedded;
  for (const std::string& argument : arguments) embedded.push_back(UiEmbedded(argument));
  return FillUiText(UiTextUtf8(language.c_str(), id), embedded);
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
