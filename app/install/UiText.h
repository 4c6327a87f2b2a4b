// The texts the user reads (UiStrings.h) in the language chosen, in UTF-8
// as the windows take them. The log keeps its own English texts.
#pragma once

#include <string>

#include "app/install/InstallLog.h"
#include "app/install/UiStrings.h"
#include "common/Languages.h"

// Text id in the language set (SetUiLanguage), "%1"... filled with the
// arguments.
inline std::string UiText(int id, std::initializer_list<std::string> arguments = {}) {
  return UiTextUtf8(id, arguments);
}

// The platform's words for an error, in the language set where the
// system has them.
inline std::string UiSystemErrorText(uint32_t code) {
  const Language* language = LanguageForTag(UiLanguage());
  return SystemErrorText(code, language ? language->id : EnglishLanguage().id);
}

// A label and its access key.
inline UiLabel UiLabelOf(int id) { return LabelFromMarked(UiText(id)); }
