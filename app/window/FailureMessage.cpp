#include "app/window/FailureMessage.h"

#include <cctype>

#include "app/install/InstallProgress.h"

namespace {

// The platform's codes the messages tell apart (winerror.h).
constexpr uint32_t kAccessDenied = 5;
constexpr uint32_t kWriteProtect = 19;
constexpr uint32_t kSharingViolation = 32;
constexpr uint32_t kLockViolation = 33;
constexpr uint32_t kHandleDiskFull = 39;
constexpr uint32_t kCannotMake = 82;
constexpr uint32_t kDiskFull = 112;
constexpr uint32_t kBadPathname = 161;

const char kCopyFailed[] = "An error occurred while copying files.";
const char kAdministrator[] = "Make sure you have Administrator permissions when installing this software.";
const char kNothingInstalled[] = "Nothing was installed.";

// Whether path lies in folder, letter case aside.
bool IsInside(const std::string& path, const std::string& folder) {
  if (folder.empty() || path.size() < folder.size()) return false;
  for (size_t i = 0; i < folder.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(path[i])) != std::toupper(static_cast<unsigned char>(folder[i])))
      return false;
  return path.size() == folder.size() || path[folder.size()] == '\\';
}

// The failure's own words: its reason, or the platform's text.
std::string Cause(const InstallFailure& failure, const FailureContext& context) {
  std::string cause = failure.reason.empty() ? context.platformText : failure.reason;
  while (!cause.empty() && (cause.back() == '.' || cause.back() == ' ')) cause.pop_back();
  return failure.path.empty() ? cause : failure.path + ": " + cause;
}

std::string Message(const std::string& what, const std::string& todo) {
  return what + "\n\n" + todo + "\n\n" + kNothingInstalled;
}

bool IsLocationError(uint32_t error) {
  return error == kDiskFull || error == kHandleDiskFull || error == kBadPathname || error == kAccessDenied ||
         error == kWriteProtect || error == kCannotMake;
}

}  // namespace

FailureRemedy RemedyOf(const InstallFailure& failure, const std::string& payload) {
  if (failure.distributionChanged || IsInside(failure.path, payload)) return FailureRemedy::kNone;
  if (failure.error == kSharingViolation || failure.error == kLockViolation ||
      failure.reason == "another installation into this folder is running" ||
      failure.reason == "another install or removal of this product is running")
    return FailureRemedy::kRetry;
  return IsLocationError(failure.error) ? FailureRemedy::kOtherLocation : FailureRemedy::kNone;
}

std::string FailureMessage(const InstallFailure& failure, const FailureContext& context) {
  std::string text = FailureText(failure, context);
  // The buttons say the rest: Retry, or the question they answer.
  if (context.offered == FailureRemedy::kRetry) {
    const std::string again = "click Install again.";
    const size_t at = text.find(again);
    if (at != std::string::npos) text.replace(at, again.size(), "click Retry.");
  } else if (context.offered == FailureRemedy::kOtherLocation) {
    text += "\n\nChoose another location now?";
  }
  return text;
}

std::string FailureText(const InstallFailure& failure, const FailureContext& context) {
  const uint32_t error = failure.error;
  const std::string lead = context.copyBegan ? std::string(kCopyFailed) + " " : "";
  // A signed distribution's file not as signed: whoever changed it may
  // mean harm, so the copy is not to be used at all.
  if (failure.distributionChanged)
    return Message(failure.reason + ".", "This copy of the installer cannot be trusted: download it again from its "
                                         "publisher.");
  if (error == kSharingViolation || error == kLockViolation)
    return Message(lead + "The file " + failure.path + " is in use by another program" +
                       (failure.holder.empty() ? "" : " (" + failure.holder + ")") + ".",
                   "Close the program that is using it, then click Install again.");
  if (failure.reason == "another installation into this folder is running")
    return Message("Another installation into " + failure.path + " is running.",
                   "Wait until it has finished, then click Install again.");
  if (failure.reason == "another install or removal of this product is running")
    return Message("Another install or removal of " + failure.path + " is running.",
                   "Wait until it has finished, then click Install again.");
  if ((error == kDiskFull || error == kHandleDiskFull) && failure.bytesNeeded > 0)
    return Message("There is not enough space on " + failure.volume + " for this software: it needs " +
                       FormatSize(failure.bytesNeeded) + ", and " + failure.volume + " has " +
                       FormatSize(failure.bytesFree) + " free.",
                   "Free some space on " + failure.volume + ", or choose another location.");
  if (error == kDiskFull || error == kHandleDiskFull)
    return Message(lead + "The disk is full: " + Cause(failure, context) + ".",
                   "Free some space on it, or choose another location.");
  if (IsInside(failure.path, context.payload))
    return Message("The installer's own files are damaged or have changed: " + Cause(failure, context) + ".",
                   "Download the installer again, or ask its maker for a new copy.");
  if (error == kBadPathname)
    return Message("The install location cannot be used: " + Cause(failure, context) + ".",
                   "Choose another location.");
  if (error == kAccessDenied || error == kWriteProtect || error == kCannotMake)
    return Message(lead + Cause(failure, context) + ": the folder is read-only or protected.",
                   std::string(kAdministrator) + " Or choose another location.");
  return Message((lead.empty() ? std::string("The installation could not be done. ") : lead) + Cause(failure, context) +
                     ".",
                 kAdministrator);
}
