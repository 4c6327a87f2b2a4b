#include "app/install/SetupOptions.h"

#include <cctype>
#include <cstring>

#include "app/install/PathNames.h"

const char kSetupUsage[] = "usage: setup.exe [/S] [/LOG=FILE] [/D=FOLDER]";

const char kSetupHelp[] =
    "usage: setup.exe [/S] [/LOG=FILE] [/D=FOLDER]\n"
    "\n"
    "/S\tinstall without a window or any message\n"
    "/LOG=FILE\tappend a log of the install to FILE\n"
    "/D=FOLDER\tinstall into FOLDER, a full path such as C:\\Program Files; it comes last\n"
    "\n"
    "Exit status: 0 installed, 1 the install failed, 2 a usage error or no location, 3 unknown product, "
    "4 left without installing (window only).";

namespace {

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

const char kNotAFullPath[] = "/D= needs a full path: a drive and a backslash (C:\\Folder) or \\\\server\\share";

// The error of a /D= folder: empty when it is a full path.
std::string LocationError(const std::string& location) {
  if (location.empty()) return "/D= needs a folder";
  if (location.find('"') != std::string::npos) return "/D= must come last, and a folder name holds no quotes";
  if (!IsAbsoluteWindowsPath(location.c_str())) return kNotAFullPath;
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

}  // namespace

SetupOptions ParseSetupCommandLine(const char* commandLine) {
  SetupOptions options;
  const char* p = SkipProgramName(commandLine ? commandLine : "");
  while (*(p = SkipBlanks(p))) {
    if (StartsWithNoCase(p, "/D=")) {
      options.location = LocationFrom(p + 3);
      options.error = LocationError(options.location);
      return options;
    }
    const std::string argument = ReadArgument(&p);
    if (StartsWithNoCase(argument.c_str(), "/D=")) {
      if (*SkipBlanks(p)) {
        options.error = "/D= must come last";
        return options;
      }
      options.location = LocationFrom(argument.substr(3));
      options.error = LocationError(options.location);
      return options;
    }
    if (EqualsNoCase(argument, "/S")) {
      options.silent = true;
    } else if (IsHelp(argument)) {
      options.help = true;
    } else if (StartsWithNoCase(argument.c_str(), "/LOG=")) {
      if (!options.logPath.empty()) {
        options.error = "/LOG= given twice";
        return options;
      }
      options.logPath = argument.substr(5);
      if (options.logPath.empty()) {
        options.error = "/LOG= needs a file name";
        return options;
      }
    } else {
      options.error = "unknown option: " + argument;
      return options;
    }
  }
  return options;
}
