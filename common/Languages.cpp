#include "common/Languages.h"

#include <cctype>

namespace {

constexpr uint16_t PrimaryOf(uint16_t id) { return id & 0x3FF; }

std::string Lower(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// Chinese is told apart by its script, which the primary language does
// not say: these name the table's two by identifier and by tag.
struct ChineseScript {
  uint16_t id;
  const char* tag;     // lowercase
  const char* target;  // the table's tag
};
const ChineseScript kChinese[] = {
    {0x0C04, "zh-hk", "zh-TW"}, {0x1404, "zh-mo", "zh-TW"}, {0x7C04, "zh-hant", "zh-TW"},
    {0x1004, "zh-sg", "zh-CN"}, {0x0004, "zh-hans", "zh-CN"},
};

const Language* ByTag(const std::string& lower) {
  for (const Language& language : Languages())
    if (Lower(language.tag) == lower) return &language;
  return nullptr;
}

}  // namespace

const std::vector<Language>& Languages() {
  static const std::vector<Language> languages = {
      {"en", 0x0409, "English"},
      {"de", 0x0407, "German"},
      {"fr", 0x040C, "French"},
      {"es", 0x0C0A, "Spanish"},
      {"it", 0x0410, "Italian"},
      {"pt-BR", 0x0416, "Portuguese (Brazil)"},
      {"pl", 0x0415, "Polish"},
      {"ru", 0x0419, "Russian"},
      {"ja", 0x0411, "Japanese"},
      {"zh-CN", 0x0804, "Chinese (Simplified)"},
      {"zh-TW", 0x0404, "Chinese (Traditional)"},
      {"ko", 0x0412, "Korean"},
      {"ar", 0x0401, "Arabic", true},
      {"he", 0x040D, "Hebrew", true},
  };
  return languages;
}

const Language& EnglishLanguage() { return Languages().front(); }

const Language& LanguageForId(uint16_t id) {
  for (const Language& language : Languages())
    if (language.id == id) return language;
  for (const ChineseScript& script : kChinese)
    if (script.id == id) return *ByTag(Lower(script.target));
  for (const Language& language : Languages())
    if (PrimaryOf(language.id) == PrimaryOf(id)) return language;
  return EnglishLanguage();
}

const Language* LanguageForTag(const std::string& tag) {
  if (tag.empty() || tag.size() > 16) return nullptr;
  for (char c : tag)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') return nullptr;
  const std::string lower = Lower(tag);
  if (const Language* exact = ByTag(lower)) return exact;
  for (const ChineseScript& script : kChinese)
    if (lower == script.tag || lower.compare(0, std::string(script.tag).size() + 1, std::string(script.tag) + "-") == 0)
      return ByTag(Lower(script.target));
  const std::string primary = lower.substr(0, lower.find('-'));
  for (const Language& language : Languages()) {
    const std::string own = Lower(language.tag);
    if (own.substr(0, own.find('-')) == primary) return &language;
  }
  return nullptr;
}

std::string LanguageTagList() {
  std::string list;
  for (const Language& language : Languages()) list += (list.empty() ? "" : ", ") + std::string(language.tag);
  return list;
}

std::vector<std::string> LocalizedTextNames(const char* base, const Language& language) {
  const std::string tag = language.tag;
  std::vector<std::string> names = {std::string(base) + "." + tag + ".txt"};
  const size_t dash = tag.find('-');
  if (dash != std::string::npos) names.push_back(std::string(base) + "." + tag.substr(0, dash) + ".txt");
  names.push_back(std::string(base) + ".txt");
  return names;
}

bool LocalizedTextTag(const std::string& name, const char* base, std::string* tag) {
  const std::string lower = Lower(name), prefix = Lower(base) + ".", suffix = ".txt";
  if (lower.size() <= prefix.size() + suffix.size() || lower.compare(0, prefix.size(), prefix) != 0 ||
      lower.compare(lower.size() - suffix.size(), suffix.size(), suffix) != 0)
    return false;
  *tag = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
  return !tag->empty() && tag->find('.') == std::string::npos;
}
