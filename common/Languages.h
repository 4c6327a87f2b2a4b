// The languages the installer speaks, and how one is chosen: by the user's
// UI language (its Windows language identifier), or by a tag ("de",
// "pt-BR") such as /LANG= gives. The exact language first, else one of
// the same primary language, else English. A vendor's texts come per
// language as "<base>.<tag>.txt" beside the plain "<base>.txt", found by
// the same rule. Plain text work: it builds natively.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Language {
  const char* tag;   // "pt-BR": what /LANG= takes and the vendor's texts are named by
  uint16_t id;       // Windows' language identifier: 0x0416
  const char* name;  // "Portuguese (Brazil)", for the log and /?
  bool rightToLeft = false;  // read right to left: the windows are mirrored
};

// Every language, English first.
const std::vector<Language>& Languages();
const Language& EnglishLanguage();

// The language for a UI language identifier: the exact one, else one of
// the same primary language (Chinese by its script: Hong Kong and Macao
// read Traditional, Singapore Simplified), else English.
const Language& LanguageForId(uint16_t id);

// The language a tag names, letter case aside: the exact tag, else its
// primary part ("de-AT" is German, "pt" Brazilian Portuguese, "zh-HK"
// Traditional Chinese); null for anything else, a tag of other
// characters than letters, digits and "-" among them.
const Language* LanguageForTag(const std::string& tag);

// Every tag, in the table's order: "en, de, fr, ...".
std::string LanguageTagList();

// The names a vendor's text base ("eula") is looked for under in a
// language, in order: "eula.pt-BR.txt", "eula.pt.txt", "eula.txt".
std::vector<std::string> LocalizedTextNames(const char* base, const Language& language);

// Whether name (letter case aside) is "<base>.<tag>.txt" for some tag
// (known or not); *tag receives it as written.
bool LocalizedTextTag(const std::string& name, const char* base, std::string* tag);
