// The failure message of the installer window: for each cause, the cause
// first, then what to do, and never a cause the failure did not have.
#include "app/window/FailureMessage.h"

#include <gtest/gtest.h>

#include <string>

#include "app/install/UiStrings.h"

namespace {

InstallFailure Failure(const std::string& path, uint32_t error, const std::string& reason = "") {
  return MakeFailure(path, error, reason);
}

TEST(FailureMessage, EachCauseFirstThenWhatToDo) {
  InstallFailure space = Failure("C:\\Plug-ins\\Tools", 112, "the install needs 21,196,800 bytes and C:\\ has ...");
  space.volume = "C:\\";
  space.bytesNeeded = 21196800;
  space.bytesFree = 1258291;
  InstallFailure signedFile = Failure("D:\\Setup\\install files\\AE Files\\a.aex", 13,
                                     "\"AE Files\\a.aex\" was changed after the distribution was signed");
  signedFile.distributionChanged = true;
  InstallFailure held = Failure("C:\\Plug-ins\\Tools\\a.aex", 33);
  held.holder = "Kestrova Host 2026";
  const bool preFlight = false, copying = true;
  const struct {
    const char* name;
    InstallFailure failure;
    bool copyBegan;
    const char* first;  // the message's first line
    const char* todo;   // its second paragraph
  } cases[] = {
      {"a file in use", Failure("C:\\Plug-ins\\Tools\\a.aex", 32), copying,
       "An error occurred while copying files. The file C:\\Plug-ins\\Tools\\a.aex is in use by another program.",
       "Close the program that is using it, then click Install again."},
      {"a file locked by a program the platform names", held, preFlight,
       "The file C:\\Plug-ins\\Tools\\a.aex is in use by another program (Kestrova Host 2026).",
       "Close the program that is using it, then click Install again."},
      {"too little space", space, preFlight,
       "There is not enough space on C:\\ for this software: it needs 20.2 MB, and C:\\ has 1.2 MB free.",
       "Free some space on C:\\, or choose another location."},
      {"a full disk while copying", Failure("C:\\Plug-ins\\Tools\\b.aex", 112), copying,
       "An error occurred while copying files. The disk is full: C:\\Plug-ins\\Tools\\b.aex: There is not enough "
       "space on the disk.",
       "Free some space on it, or choose another location."},
      {"a protected folder", Failure("C:\\Windows\\Tools", 5), preFlight,
       "C:\\Windows\\Tools: Access is denied: the folder is read-only or protected.",
       "Make sure you have Administrator permissions when installing this software. Or choose another location."},
      {"a damaged distribution", Failure("D:\\Setup\\install files\\AE Files\\a.aex", 13,
                                         "the payload changed while it was being copied: the file grew"),
       copying,
       "The installer's own files are damaged or have changed: D:\\Setup\\install files\\AE Files\\a.aex: the "
       "payload changed while it was being copied: the file grew.",
       "Download the installer again, or ask its maker for a new copy."},
      {"a signed file changed, even while copying", signedFile, copying,
       "\"AE Files\\a.aex\" was changed after the distribution was signed.",
       "This copy of the installer cannot be trusted: download it again from its publisher."},
      {"another install", Failure("C:\\Plug-ins\\Tools", 170, "another installation into this folder is running"),
       preFlight, "Another installation into C:\\Plug-ins\\Tools is running.",
       "Wait until it has finished, then click Install again."},
      {"another run of the product", Failure("Kestrova Lumen", 170, "another install or removal of this product is running"),
       preFlight, "Another install or removal of Kestrova Lumen is running.",
       "Wait until it has finished, then click Install again."},
      {"a location that cannot be", Failure("C:\\a\\nul", 161, "\"nul\" is a reserved device name"), preFlight,
       "The install location cannot be used: C:\\a\\nul: \"nul\" is a reserved device name.", "Choose another location."},
      {"anything else, before the copy", Failure("C:\\x", 1117), preFlight,
       "The installation could not be done. C:\\x: Access is denied.",
       "Make sure you have Administrator permissions when installing this software."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    // The platform's words for the code, as the window gives them.
    const std::string platform = c.failure.error == 112 ? "There is not enough space on the disk." : "Access is denied.";
    const std::string message =
        FailureMessage(c.failure, {"D:\\Setup\\install files\\AE Files", c.copyBegan, platform});
    const size_t gap = message.find("\n\n");
    ASSERT_NE(gap, std::string::npos) << message;
    EXPECT_EQ(message.substr(0, gap), c.first);
    const size_t next = message.find("\n\n", gap + 2);
    EXPECT_EQ(message.substr(gap + 2, next - gap - 2), c.todo);
    EXPECT_EQ(message.substr(next + 2), "Nothing was installed.");
  }
}

}  // namespace

namespace {

// What the message offers for each kind of failure, and how its text
// says so: Retry where trying again can mend it, another location where
// the location is the cause, OK alone where neither can.
TEST(FailureMessage, OffersWhatCanMendIt) {
  const std::string payload = "D:\\Setup\\install files\\AE Files";
  InstallFailure changed = Failure(payload + "\\a.aex", 13, "changed");
  changed.distributionChanged = true;
  const struct {
    const char* name;
    InstallFailure failure;
    FailureRemedy remedy;
    const char* ending;  // the text's end, for that remedy
  } cases[] = {
      {"a file in use", Failure("C:\\P\\a.aex", 32), FailureRemedy::kRetry, "then click Retry.\n\nNothing was installed."},
      {"a locked range", Failure("C:\\P\\a.aex", 33), FailureRemedy::kRetry, "then click Retry.\n\nNothing was installed."},
      {"another install", Failure("C:\\P", 170, "another installation into this folder is running"),
       FailureRemedy::kRetry, "then click Retry.\n\nNothing was installed."},
      {"a full disk", Failure("C:\\P\\b.aex", 112), FailureRemedy::kOtherLocation, "Choose another location now?"},
      {"a protected folder", Failure("C:\\P", 5), FailureRemedy::kOtherLocation, "Choose another location now?"},
      {"a damaged distribution", Failure(payload + "\\a.aex", 5), FailureRemedy::kNone, "Nothing was installed."},
      {"a changed distribution", changed, FailureRemedy::kNone, "Nothing was installed."},
      {"an unknown error", Failure("C:\\P", 1117), FailureRemedy::kNone, "Nothing was installed."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RemedyOf(c.failure, payload), c.remedy);
    FailureContext context = {payload, true, "the platform's words"};
    context.offered = c.remedy;
    const std::string text = FailureMessage(c.failure, context);
    const std::string ending = c.ending;
    ASSERT_GE(text.size(), ending.size()) << text;
    EXPECT_EQ(text.substr(text.size() - ending.size()), ending) << text;
    context.offered = FailureRemedy::kNone;
    EXPECT_EQ(FailureMessage(c.failure, context), FailureText(c.failure, context)) << "OK alone: as before";
  }
}

}  // namespace

// A changed distribution's message in another language: the sentence is
// the language's, what differs stays in the log's words inside it; in
// English, exactly as before.
TEST(FailureMessage, AChangedDistributionIsToldInTheUsersLanguage) {
  InstallFailure changed = Failure("D:\\Setup\\install files\\AE Files\\a.aex", 13, "\"a.aex\" is not as signed");
  changed.distributionChanged = true;
  const struct {
    const char* tag;
    const char* start;
  } cases[] = {{"en", "\"a.aex\" is not as signed.\n\n"},
               {"de", "Diese Kopie ist nicht so, wie ihr Hersteller sie signiert hat (\"a.aex\" is not as signed).\n\n"}};
  for (const auto& c : cases) {
    SetUiLanguage(c.tag);
    EXPECT_EQ(FailureMessage(changed, {}).rfind(c.start, 0), 0u) << FailureMessage(changed, {});
  }
  SetUiLanguage("en");
}
