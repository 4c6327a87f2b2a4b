#include "app/install/SetupOptions.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct LineCase {
  const char* line;  // as the platform gives it, program name first
  bool silent;
  const char* logPath;
  const char* location;
  const char* error;  // a part of the error text; "" when none is expected
};

const LineCase kLines[] = {
    // The program's name, quoted or not, is never an option.
    {"setup.exe", false, "", "", ""},
    {"\"C:\\Some Dist\\setup.exe\"", false, "", "", ""},
    {"\"C:\\Some Dist\\setup.exe\" /S", true, "", "", ""},
    {"\"C:\\Some Dist\\setup.exe\"/S", true, "", "", ""},
    {"C:\\Dist\\setup.exe /S", true, "", "", ""},
    {"  setup.exe\t/S  ", true, "", "", ""},
    {"\"C:\\/D=odd\\setup.exe\" /S", true, "", "", ""},
    // Any case.
    {"setup.exe /s /log=x.log /d=C:\\Target", true, "x.log", "C:\\Target", ""},
    {"setup.exe /S /Log=x.log /D=C:\\Target", true, "x.log", "C:\\Target", ""},
    // /D= takes the rest of the line, spaces and all; blanks at its end go.
    {"setup.exe /S /D=C:\\Some Folder", true, "", "C:\\Some Folder", ""},
    {"setup.exe /S /D=C:\\Some  Folder -x  ", true, "", "C:\\Some  Folder -x", ""},
    {"setup.exe /S /D=C:\\Some  Folder /S  ", true, "", "", "/D=C:\\Some  Folder /S: \"Some  Folder /S\" holds"},
    {"setup.exe /D=C:\\Program Files\\Vendor", false, "", "C:\\Program Files\\Vendor", ""},
    // The whole option quoted, as argument lists write it; or its folder.
    {"setup.exe /S \"/D=C:\\Some Folder\"", true, "", "C:\\Some Folder", ""},
    {"setup.exe /S \"/D=C:\\Some Folder\"  ", true, "", "C:\\Some Folder", ""},
    {"setup.exe /S /D=\"C:\\Some Folder\"", true, "", "C:\\Some Folder", ""},
    {"setup.exe /S \"/d=C:\\Some Folder\"", true, "", "C:\\Some Folder", ""},
    // A trailing backslash goes, except at the root of a drive.
    {"setup.exe /S /D=C:\\Some Folder\\", true, "", "C:\\Some Folder", ""},
    {"setup.exe /S \"/D=C:\\Some Folder\\\"", true, "", "C:\\Some Folder", ""},
    {"setup.exe /S /D=C:\\", true, "", "C:\\", ""},
    {"setup.exe /S /D=\\\\server\\share\\", true, "", "\\\\server\\share", ""},
    // /LOG= with spaces: quoted file name or quoted option.
    {"setup.exe /S /LOG=\"C:\\Log Files\\setup.log\" /D=C:\\T", true, "C:\\Log Files\\setup.log", "C:\\T", ""},
    {"setup.exe \"/LOG=C:\\Log Files\\setup.log\" /S", true, "C:\\Log Files\\setup.log", "", ""},
    {"setup.exe /LOG=setup.log", false, "setup.log", "", ""},
    // Usage errors.
    {"setup.exe /S /X", true, "", "", "unknown option: /X"},
    {"setup.exe /Q", false, "", "", "unknown option: /Q"},
    {"setup.exe S", false, "", "", "unknown option: S"},
    {"setup.exe /SILENT", false, "", "", "unknown option: /SILENT"},
    {"setup.exe /LOG", false, "", "", "unknown option: /LOG"},
    {"setup.exe /D C:\\x", false, "", "", "unknown option: /D"},
    {"setup.exe /S \"\"", true, "", "", "unknown option: "},
    {"setup.exe /LOG=", false, "", "", "/LOG= needs a file name"},
    {"setup.exe /LOG=a /LOG=b", false, "a", "", "twice"},
    {"setup.exe /S /D=", true, "", "", "/D= needs a folder"},
    {"setup.exe /S /D=   ", true, "", "", "/D= needs a folder"},
    {"setup.exe /S \"/D=\"", true, "", "", "/D= needs a folder"},
    {"setup.exe \"/D=C:\\Some Folder\" /S", true, "", "", "/D= must come last"},
    // Only a full path: a relative one would install wherever the
    // installer happened to be started from.
    {"setup.exe /S /D=rel", true, "", "", "/D=rel: not a full path"},
    {"setup.exe /S /D=..\\..\\escaped", true, "", "", "not a full path"},
    {"setup.exe /S /D=C:Folder", true, "", "", "not a full path"},
    {"setup.exe /S /D=\\Folder", true, "", "", "not a full path"},
    {"setup.exe /S /D=\\\\.\\COM1", true, "", "", "not a full path"},
    {"setup.exe /S \"/D=rel folder\"", true, "", "", "not a full path"},
    {"setup.exe /D=\"C:\\Some Folder\" /S", false, "", "\"C:\\Some Folder\" /S", "/D= must come last"},
};

TEST(SetupOptions, ReadsTheRawCommandLine) {
  for (const LineCase& c : kLines) {
    const SetupOptions options = ParseSetupCommandLine(c.line);
    SCOPED_TRACE(c.line);
    EXPECT_EQ(options.silent, c.silent);
    EXPECT_EQ(options.logPath, c.logPath);
    if (c.error[0] == '\0') {
      EXPECT_EQ(options.location, c.location);
      EXPECT_EQ(options.error, "");
    } else {
      EXPECT_NE(options.error.find(c.error), std::string::npos) << options.error;
    }
  }
}

// A folder that passes as a full path can still be no folder at all: a
// device ("nul" makes the destination \\.\nul\...) or a name Windows
// changes. The whole rule is LocationProblem's; these are the line's view.
// The uninstaller's and the upgrade's options: /UNINSTALL takes neither
// a location nor a downgrade.
TEST(SetupOptions, UninstallAndDowngradeOptions) {
  const struct {
    const char* line;
    bool uninstall, allowDowngrade;
    const char* error;
  } cases[] = {
      {"uninstall.exe /UNINSTALL", true, false, ""},
      {"uninstall.exe /uninstall /S /LOG=u.log", true, false, ""},
      {"setup.exe /S /ALLOWDOWNGRADE /D=C:\\T", false, true, ""},
      {"setup.exe /allowdowngrade", false, true, ""},
      {"uninstall.exe /UNINSTALL /D=C:\\T", true, false, "/UNINSTALL takes no /D="},
      {"uninstall.exe /UNINSTALL /ALLOWDOWNGRADE", true, true, "/UNINSTALL takes no /ALLOWDOWNGRADE"},
      {"setup.exe /UNINSTALLX", false, false, "unknown option: /UNINSTALLX"},
  };
  for (const auto& c : cases) {
    const SetupOptions options = ParseSetupCommandLine(c.line);
    EXPECT_EQ(options.uninstall, c.uninstall) << c.line;
    EXPECT_EQ(options.allowDowngrade, c.allowDowngrade) << c.line;
    if (*c.error)
      EXPECT_NE(options.error.find(c.error), std::string::npos) << c.line << ": " << options.error;
    else
      EXPECT_EQ(options.error, "") << c.line;
  }
}

TEST(SetupOptions, HostsNewestOrAll) {
  const struct {
    const char* line;
    bool allHosts;
    const char* error;
  } cases[] = {
      {"setup.exe /S", false, ""},
      {"setup.exe /S /HOSTS=all", true, ""},
      {"setup.exe /hosts=ALL /S", true, ""},
      {"setup.exe /S /HOSTS=newest /D=C:\\T", false, ""},
      {"setup.exe /S /HOSTS=all /D=C:\\T", true, "/HOSTS=all takes no /D=, which names one folder"},
      {"setup.exe /HOSTS=some", false, "/HOSTS= takes newest or all, not \"some\""},
      {"setup.exe /HOSTS=", false, "/HOSTS= takes newest or all"},
      {"setup.exe /HOSTS=all /HOSTS=newest", true, "/HOSTS= given twice"},
      {"uninstall.exe /UNINSTALL /HOSTS=newest", false, "/UNINSTALL takes no /HOSTS="},
  };
  for (const auto& c : cases) {
    const SetupOptions options = ParseSetupCommandLine(c.line);
    EXPECT_EQ(options.allHosts, c.allHosts) << c.line;
    if (*c.error)
      EXPECT_NE(options.error.find(c.error), std::string::npos) << c.line << ": " << options.error;
    else
      EXPECT_EQ(options.error, "") << c.line;
  }
}

TEST(SetupOptions, LangTakesALanguageTheInstallerSpeaks) {
  const struct {
    const char* line;
    const char* language;
    const char* error;
  } cases[] = {
      {"setup.exe /S", "", ""},
      {"setup.exe /LANG=de /S", "de", ""},
      {"setup.exe /lang=PT-br", "pt-BR", ""},
      {"setup.exe /LANG=zh-HK", "zh-TW", ""},
      {"uninstall.exe /UNINSTALL /LANG=ja", "ja", ""},
      {"setup.exe /LANG=xx", "", "/LANG= takes one of en, de, fr, es, it, pt-BR, pl, ru, ja, zh-CN, zh-TW, ko, ar, he, not \"xx\""},
      {"setup.exe /LANG=", "", "/LANG= takes one of"},
      {"setup.exe /LANG=de /LANG=fr", "de", "/LANG= given twice"},
  };
  for (const auto& c : cases) {
    const SetupOptions options = ParseSetupCommandLine(c.line);
    EXPECT_EQ(options.language, c.language) << c.line;
    if (*c.error)
      EXPECT_NE(options.error.find(c.error), std::string::npos) << c.line << ": " << options.error;
    else
      EXPECT_EQ(options.error, "") << c.line;
  }
  const std::string help = SetupHelp();
  EXPECT_NE(help.find("/LANG=TAG\tspeak the language TAG instead of the user's: en, de, fr"), std::string::npos) << help;
}

TEST(SetupOptions, LocationsWindowsWouldTakeForSomethingElseAreUsageErrors) {
  const struct {
    const char* line;
    const char* error;  // a part of it; "" for none
  } cases[] = {
      {"setup.exe /S /D=C:\\af\\nul", "/D=C:\\af\\nul: \"nul\" is a reserved device name"},
      {"setup.exe /S \"/D=C:\\a\\CON.txt\\b\"", "\"CON.txt\" is a reserved device name"},
      {"setup.exe /S /D=C:\\a\\b.", "\"b.\" ends in a dot or a space"},
      {"setup.exe /S /D=C:\\a\\b \\c", "\"b \" ends in a dot or a space"},
      {"setup.exe /S /D=C:\\a<b", "\"a<b\" holds a character Windows does not allow"},
      {"setup.exe /S /D=C:\\a\tb", "holds a control character"},
      {"setup.exe /S /D=C:\\a\\..\\b", ""},
      {"setup.exe /S /D=C:\\nulls\\com10\\b.c", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const std::string error = ParseSetupCommandLine(c.line).error;
    if (c.error[0] == '\0')
      EXPECT_EQ(error, "");
    else
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
  }
}

// kUnconvertibleCharacter stands where the line held a surrogate without
// its other half, which no UTF-8 holds and no file is named by. Any option
// holding one is refused, and the message shows it as '?'.
TEST(SetupOptions, AnOptionHoldingAnUnconvertibleCharacterIsAUsageError) {
  const std::string x(1, kUnconvertibleCharacter);
  const struct {
    std::string line;
    const char* logPath;
    const char* error;
  } cases[] = {
      {"setup.exe /S /D=C:\\fw\\sub\\" + x + x + "\\" + x + x + "\\windows", "",
       "/D=C:\\fw\\sub\\??\\??\\windows holds a surrogate without its other half"},
      {"setup.exe /S \"/D=C:\\fw\\sub" + x + "..\\..\"", "", "/D=C:\\fw\\sub?..\\.. holds a surrogate"},
      {"setup.exe /S /LOG=C:\\" + x + "og.txt /D=C:\\T", "", "/LOG=C:\\?og.txt holds a surrogate"},
      {"setup.exe /S /LOG=C:\\a.log /" + x, "C:\\a.log", "unknown option /? holds a surrogate"},
      {"setup.exe /S /" + x + "OG=C:\\a.log", "", "unknown option /?OG=C:\\a.log holds a surrogate"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const SetupOptions options = ParseSetupCommandLine(c.line.c_str());
    EXPECT_TRUE(options.silent);
    EXPECT_EQ(options.logPath, c.logPath);
    EXPECT_NE(options.error.find(c.error), std::string::npos) << options.error;
    EXPECT_EQ(options.error.find(kUnconvertibleCharacter), std::string::npos);
  }
  EXPECT_EQ(ParseSetupCommandLine(("\"C:\\" + x + "ist\\setup.exe\" /S").c_str()).error, "")
      << "the program's name is no option";
}

// Whatever is wrong with the line, every /LOG= and /S counts, so that the
// error is written to the log asked for; the first error is the one told.
TEST(SetupOptions, AnErrorDoesNotEndTheReading) {
  const struct {
    const char* line;
    bool silent;
    const char* logPath;
    const char* error;
  } cases[] = {
      {"setup.exe /S /X /LOG=C:\\a.log", true, "C:\\a.log", "unknown option: /X"},
      {"setup.exe /X /LOG=C:\\a.log /S", true, "C:\\a.log", "unknown option: /X"},
      {"setup.exe /X /Y /LOG=C:\\a.log", false, "C:\\a.log", "unknown option: /X"},
      {"setup.exe /LOG= /LOG=C:\\a.log", false, "C:\\a.log", "/LOG= needs a file name"},
      {"setup.exe /LOG=C:\\a.log /X /LOG=C:\\b.log", false, "C:\\a.log", "unknown option: /X"},
      {"setup.exe \"/D=C:\\T\" /LOG=C:\\a.log /S", true, "C:\\a.log", "/D= must come last"},
      {"setup.exe /X /LOG=C:\\a.log /D=C:\\af\\nul", false, "C:\\a.log", "unknown option: /X"},
      {"setup.exe /LOG=C:\\a.log /S /D=rel", true, "C:\\a.log", "/D=rel: not a full path"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const SetupOptions options = ParseSetupCommandLine(c.line);
    EXPECT_EQ(options.silent, c.silent);
    EXPECT_EQ(options.logPath, c.logPath);
    EXPECT_EQ(options.error.rfind(c.error, 0), 0u) << options.error;
  }
  EXPECT_TRUE(ParseSetupCommandLine("setup.exe /X /?").help);
}

TEST(SetupOptions, HelpInAnyCase) {
  for (const char* line : {"setup.exe /?", "setup.exe /h", "setup.exe /HELP", "setup.exe /Help /S",
                           "setup.exe /S /?"}) {
    const SetupOptions options = ParseSetupCommandLine(line);
    EXPECT_TRUE(options.help) << line;
    EXPECT_EQ(options.error, "") << line;
  }
  EXPECT_TRUE(ParseSetupCommandLine("setup.exe /S /?").silent);
  for (const char* line : {"setup.exe /HELPME", "setup.exe ?", "setup.exe /-h"})
    EXPECT_FALSE(ParseSetupCommandLine(line).help) << line;
}

TEST(SetupOptions, NullAndEmptyLinesAskForNothing) {
  for (const char* line : {static_cast<const char*>(nullptr), "", "   ", "\"unterminated program name"}) {
    const SetupOptions options = ParseSetupCommandLine(line);
    EXPECT_FALSE(options.silent);
    EXPECT_EQ(options.logPath + options.location + options.error, "");
  }
}

}  // namespace
