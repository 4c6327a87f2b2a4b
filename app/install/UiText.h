// The texts the user reads (UiStrings.h) in the language chosen, in the
// form the windows take them: the ANSI code page, exactly. A text the code
// page cannot hold (a language of another script than the system's) is
// taken in English. The log keeps its own English texts.
#pragma once

#include <string>

#include "app/install/UiStrings.h"

// Whether every text of the language tagged tag can be shown in the ANSI
// code page, and the window's fonts draw that code page (a single-byte
// one): a window in a language that cannot be shown whole is shown in
// English, never in part.
bool UiLanguageFitsCodePage(const char* tag);

// Text id in the language set (SetUiLanguage), "%1"... filled with the
// arguments, which are in the ANSI code page already.
std::string UiText(int id, std::initializer_list<std::string> arguments = {});

// UTF-8 text in the ANSI code page, what it cannot hold as '?'.
std::string AnsiForWindow(const std::string& utf8);

// A label and its access key.
UiLabel UiLabelOf(int id);
