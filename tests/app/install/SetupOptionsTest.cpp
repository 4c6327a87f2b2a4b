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
    {"setup.exe /S /D=C:\\Some  Folder /S  ", true, "", "C:\\Some  Folder /S", ""},
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
    {"setup.exe \"/D=C:\\Some Folder\" /S", false, "", "C:\\Some Folder", "/D= must come last"},
    // Only a full path: a relative one would install wherever the
    // installer happened to be started from.
    {"setup.exe /S /D=rel", true, "", "", "/D= needs a full path"},
    {"setup.exe /S /D=..\\..\\escaped", true, "", "", "/D= needs a full path"},
    {"setup.exe /S /D=C:Folder", true, "", "", "/D= needs a full path"},
    {"setup.exe /S /D=\\Folder", true, "", "", "/D= needs a full path"},
    {"setup.exe /S /D=\\\\.\\COM1", true, "", "", "/D= needs a full path"},
    {"setup.exe /S \"/D=rel folder\"", true, "", "", "/D= needs a full path"},
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
