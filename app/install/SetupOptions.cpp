#include "app/install/SetupOptions.h"

#include <cctype>
#include <cstring>

#include "app/install/PathNames.h"
#include "common/Languages.h"

const char kSetupUsage[] =
    "usage: setup.exe [/S] [/LOG=FILE] [/ALLOWDOWNGRADE] [/HOSTS=newest|all] [/LANG=TAG] [/D=FOLDER]; "
    "uninstall.exe /UNINSTALL [/S] [/LOG=FILE] [/LANG=TAG]";

namespace {

const char kSetupHelpText[] =
    "usage: setup.exe [/S] [/LOG=FILE] [/ALLOWDOWNGRADE] [/HOSTS=newest|all] [/LANG=TAG] [/D=FOLDER]\n"
    "       uninstall.exe /UNINSTALL [/S] [/LOG=FILE] [/LANG=TAG]\n"
    "\n"
    "/S\tinstall (or uninstall) without a window or any message\n"
    "/LOG=FILE\tappend a log of the install to FILE\n"
    "/ALLOWDOWNGRADE\tinstall over a higher version of the product\n"
    "/HOSTS=all\tinstall a plug-in into every version of its host found (newest: the newest only)\n"
    "/LANG=TAG\tspeak the language TAG instead of the user's: %LANGUAGES%\n"
    "/D=FOLDER\tinstall into FOLDER, a full path such as C:\\Program Files; it comes last\n"
    "/UNINSTALL\tremove the product this uninstaller was installed with\n"
    "\n"
    "Exit status: 0 installed (or removed), 1 the install (or removal) failed and changed nothing, "
    "2 a usage error or no location, 3 unknown product, 4 left without installing (or removing), "
    "6 a lower version over a higher one, refused, 7 the distribution was changed after it was signed: "
    "nothing installed, 8 installed, but a running host keeps the earlier version until it restarts.";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

const char* SkipBlanks(const char* p) {
  while (IsBlank(*p)) ++p;
  return p;
}

bool StartsWithNoCase(const char* text, const char* prefix) {
  for (; *prefix; ++text, ++prefix)
    if (std::toupper(static_cast<unsigned char>(*text)) != std::toupper(static_cast<unsigned char>(*prefix)))
      return false;
  return true;
}

bool EqualsNoCase(const std::string& text, const char* word) {
  return text.size() == std::strlen(word) && StartsWithNoCase(text.c_str(), word);
}

// After the program's name: a quoted name ends at its closing quote, an
// unquoted one at the first blank (the platform's own rule for the name).
const char* SkipProgramName(const char* p) {
  p = SkipBlanks(p);
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') ++p;
    return *p ? p + 1 : p;
  }
  while (*p && !IsBlank(*p)) ++p;
  return p;
}

// One argument: a blank outside quotes ends it; quotes group and are
// dropped; backslashes are plain characters, so "C:\Folder\" stays whole.
std::string ReadArgument(const char** at) {
  const char* p = *at;
  std::string argument;
  bool quoted = false;
  for (; *p && (quoted || !IsBlank(*p)); ++p) {
    if (*p == '"')
      quoted = !quoted;
    else
      argument += *p;
  }
  *at = p;
  return argument;
}

// Text of the command line as a message shows it: the placeholders of
// characters that could not be read become '?'.
std::string Shown(std::string text) {
  for (char& c : text)
    if (c == kUnconvertibleCharacter) c = '?';
  return text;
}

bool HoldsUnconvertible(const std::string& text) { return text.find(kUnconvertibleCharacter) != std::string::npos; }

std::string UnconvertibleError(const std::string& what) {
  return what + " holds a surrogate without its other half, which names no file (shown as '?')";
}

// Keeps the first error of the line; the later ones are not told.
void Refuse(SetupOptions* options, const std::string& error) {
  if (options->error.empty()) options->error = error;
}

// The error of a /D= folder: empty when it is a location to install into.
std::string LocationError(const std::string& location) {
  if (location.empty()) return "/D= needs a folder";
  if (location.find('"') != std::string::npos) return "/D= must come last, and a folder name holds no quotes";
  if (HoldsUnconvertible(location)) return UnconvertibleError("/D=" + Shown(location));
  const std::string problem = LocationProblem(location);
  if (!problem.empty()) return "/D=" + location + ": " + problem;
  return std::string();
}

bool IsHelp(const std::string& argument) {
  return EqualsNoCase(argument, "/?") || EqualsNoCase(argument, "/H") || EqualsNoCase(argument, "/HELP");
}

// A folder as the install location: blanks at the end dropped, and the
// trailing backslash too unless it makes the root of a drive ("C:\").
std::string LocationFrom(std::string folder) {
  while (!folder.empty() && IsBlank(folder.back())) folder.pop_back();
  if (folder.size() >= 2 && folder.front() == '"' && folder.back() == '"') folder = folder.substr(1, folder.size() - 2);
  while (folder.size() > 1 && folder.back() == '\\' && !(folder.size() == 3 && folder[1] == ':'))
    folder.pop_back();
  return folder;
}

void TakeLocation(const std::string& folder, SetupOptions* options) {
  options->location = LocationFrom(folder);
  const std::string error = LocationError(options->location);
  if (!error.empty()) Refuse(options, error);
}

// A /LOG= file that cannot be named exactly is not written at all.
void TakeLogPath(const std::string& path, SetupOptions* options) {
  if (path.empty()) {
    Refuse(options, "/LOG= needs a file name");
  } else if (HoldsUnconvertible(path)) {
    Refuse(options, UnconvertibleError("/LOG=" + Shown(path)));
  } else if (!options->logPath.empty()) {
    Refuse(options, "/LOG= given twice");
  } else {
    options->logPath = path;
  }
}

}  // namespace

std::string SetupHelp() {
  std::string help = kSetupHelpText;
  const std::string marker = "%LANGUAGES%";
  help.replace(help.find(marker), marker.size(), LanguageTagList());
  return help;
}

SetupOptions ParseSetupCommandLine(const char* commandLine) {
  SetupOptions options;
  bool hostsGiven = false;
  const char* p = SkipProgramName(commandLine ? commandLine : "");
  while (*(p = SkipBlanks(p))) {
    if (StartsWithNoCase(p, "/D=")) {
      TakeLocation(p + 3, &options);
      break;
    }
    const std::string argument = ReadArgument(&p);
    if (StartsWithNoCase(argument.c_str(), "/D=")) {
      if (*SkipBlanks(p))
        Refuse(&options, "/D= must come last");
      else
        TakeLocation(argument.substr(3), &options);
    } else if (EqualsNoCase(argument, "/S")) {
      options.silent = true;
    } else if (EqualsNoCase(argument, "/UNINSTALL")) {
      options.uninstall = true;
    } else if (EqualsNoCase(argument, "/ALLOWDOWNGRADE")) {
      options.allowDowngrade = true;
    } else if (StartsWithNoCase(argument.c_str(), "/HOSTS=")) {
      const std::string value = argument.substr(7);
      if (hostsGiven)
        Refuse(&options, "/HOSTS= given twice");
      else if (EqualsNoCase(value, "all") || EqualsNoCase(value, "newest"))
        options.allHosts = EqualsNoCase(value, "all");
      else
        Refuse(&options, "/HOSTS= takes newest or all, not \"" + Shown(value) + "\"");
      hostsGiven = true;
    } else if (StartsWithNoCase(argument.c_str(), "/LANG=")) {
      const Language* language = LanguageForTag(argument.substr(6));
      if (!options.language.empty())
        Refuse(&options, "/LANG= given twice");
      else if (!language)
        Refuse(&options, "/LANG= takes one of " + LanguageTagList() + ", not \"" + Shown(argument.substr(6)) + "\"");
      else
        options.language = language->tag;
    } else if (IsHelp(argument)) {
      options.help = true;
    } else if (StartsWithNoCase(argument.c_str(), "/LOG=")) {
      TakeLogPath(argument.substr(5), &options);
    } else if (HoldsUnconvertible(argument)) {
      Refuse(&options, UnconvertibleError("unknown option " + Shown(argument)));
    } else {
      Refuse(&options, "unknown option: " + argument);
    }
  }
  if (options.uninstall && !options.location.empty()) Refuse(&options, "/UNINSTALL takes no /D=");
  if (options.uninstall && options.allowDowngrade) Refuse(&options, "/UNINSTALL takes no /ALLOWDOWNGRADE");
  if (options.uninstall && hostsGiven) Refuse(&options, "/UNINSTALL takes no /HOSTS=");
  if (options.allHosts && !options.location.empty()) Refuse(&options, "/HOSTS=all takes no /D=, which names one folder");
  return options;
}
