#include "app/install/PathNames.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Bounded(const std::string& path) {
  char out[kPathBufferSize];
  BoundedCopy(path.c_str(), out);
  return out;
}

TEST(PathNames, BoundedCopyKeepsTheTailOfALongPath) {
  const std::string fits(259, 'a');
  EXPECT_EQ(Bounded(fits), fits);
  const std::string over = "HEAD" + std::string(256, 'b');  // 260 characters
  EXPECT_EQ(Bounded(over), over.substr(1));
  EXPECT_EQ(Bounded(std::string(1000, 'c') + "tail"), std::string(255, 'c') + "tail");
  EXPECT_EQ(Bounded(""), "");
}

TEST(PathNames, BoundedCopyMayWorkInPlace) {
  char buffer[kPathBufferSize] = "C:\\folder";
  BoundedCopy(buffer, buffer);
  EXPECT_STREQ(buffer, "C:\\folder");
}

TEST(PathNames, JoinPathWithinRefusesWhatWouldNotFit) {
  char out[kPathBufferSize];
  const std::string folder(250, 'f');
  EXPECT_TRUE(JoinPathWithin(folder.c_str(), "12345678", out));  // 259 characters
  EXPECT_EQ(std::string(out), folder + "\\12345678");
  EXPECT_FALSE(JoinPathWithin(folder.c_str(), "123456789", out));
  EXPECT_STREQ(out, "");
}

TEST(PathNames, LastPathComponent) {
  char out[256];
  LastPathComponent("C:\\a\\b.txt", out);
  EXPECT_STREQ(out, "b.txt");
  LastPathComponent("plain", out);
  EXPECT_STREQ(out, "plain");
  LastPathComponent("C:\\folder\\", out);
  EXPECT_STREQ(out, "");
  const std::string name(300, 'n');
  LastPathComponent(("C:\\" + name).c_str(), out);
  EXPECT_EQ(std::string(out), name.substr(0, 255));
  LastPathComponent("C:\\x", nullptr);
}

// What /D=, a registry value or the folder chooser may give as a location.
TEST(PathNames, AbsolutePathsAreADriveOrAShare) {
  const struct {
    const char* path;
    bool absolute;
  } cases[] = {
      {"C:\\", true},
      {"c:\\Program Files", true},
      {"Z:\\a\\..\\b", true},  // full, if not normalised
      {"\\\\server\\share", true},
      {"\\\\server\\share\\Folder", true},
      {"", false},
      {"rel", false},
      {"rel\\Folder", false},
      {".\\Folder", false},
      {"..\\..\\escaped", false},
      {"C:", false},
      {"C:Folder", false},
      {"\\Folder", false},
      {"\\Folder\\Sub", false},
      {"\\C:\\x", false},  // one backslash before a drive is no drive
      {"\\server\\share", false},
      {"\\", false},
      {"\\..\\x", false},
      {"C:/x", false},
      {"1:\\x", false},
      {"\\\\server", false},
      {"\\\\server\\", false},
      {"\\\\\\share", false},
      {"\\\\.\\COM1", false},
      {"\\\\?\\C:\\x", false},
      {"\\\\.\\PhysicalDrive0", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsAbsoluteWindowsPath(c.path), c.absolute) << c.path;
}

TEST(PathNames, ParentFolder) {
  EXPECT_EQ(ParentFolder("C:\\a\\b"), "C:\\a");
  EXPECT_EQ(ParentFolder("C:\\a"), "C:\\") << "a drive's root keeps its backslash";
  EXPECT_EQ(ParentFolder("\\\\server\\share\\x"), "\\\\server\\share");
  EXPECT_EQ(ParentFolder("plain"), "");
}

// Shift-JIS: a lead byte in 0x81-0x9F or 0xE0-0xFC, whose trail byte may be
// 0x5C, the backslash.
bool IsShiftJisLeadByte(uint8_t byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

// The command line's tests hold the common cases (SetupOptionsTest); these
// are the forms of paths and names beyond them.
TEST(PathNames, LocationProblemRefusesWhatWindowsWouldTakeForSomethingElse) {
  const struct {
    const char* location;
    const char* problem;  // "" when it is a location
  } cases[] = {
      {"C:\\Program Files\\Vendor", ""},
      {"C:\\", ""},
      {"\\\\server\\share\\Plug-ins", ""},
      {"C:\\a\\..\\b\\.", ""},  // resolved against the real folders elsewhere
      {"C:\\a\\\\b\\", ""},
      {"C:\\nulls\\com10\\con0\\lpt\\a.b.c", ""},
      {"C:\\a\\com1 .log", "\"com1 .log\" is a reserved device name"},
      {"\\\\AUX\\share", "\"AUX\" is a reserved device name"},
      {"C:\\a\\...", "\"...\" ends in a dot or a space"},
      {"C:\\a\\b:stream", "\"b:stream\" holds a character Windows does not allow"},
      {"C:\\a\\b\x1A", "\"b\x1A\" holds a control character"},
      {"rel\\folder", "not a full path"},
      {"C:folder", "not a full path"},
      {"\\\\.\\COM1", "not a full path"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.location);
    const std::string problem = LocationProblem(c.location);
    if (c.problem[0] == '\0')
      EXPECT_EQ(problem, "");
    else
      EXPECT_EQ(problem.rfind(c.problem, 0), 0u) << problem;
  }
  EXPECT_EQ(LocationProblem(std::string("C:\\a\0\\nul", 9)), LocationProblem("rel")) << "a zero cuts no path";
}

// "\x95\x5C" is one Shift-JIS character: its trail byte is no separator,
// so "\x95\x5C." is one name ending in a dot, and "nul\x95" is no device.
TEST(PathNames, LocationProblemSplitsDoubleByteTextAtRealBackslashes) {
  EXPECT_EQ(LocationProblem("C:\\\x95\x5C" "nul", IsShiftJisLeadByte), "");
  EXPECT_NE(LocationProblem("C:\\\x95\x5C" "nul"), "") << "read as single bytes, \"nul\" is a component";
  EXPECT_EQ(LocationProblem("C:\\a\x95\x5C.", IsShiftJisLeadByte).rfind("\"a\x95\x5C.\" ends in a dot", 0), 0u);
}

}  // namespace
