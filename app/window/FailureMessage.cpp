#include "app/window/FailureMessage.h"

#include <cctype>

#include "app/install/InstallProgress.h"
#include "app/install/UiStrings.h"
#include "resources/StringIds.h"

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
  return what + "\n\n" + todo + "\n\n" + UiTextUtf8(IDS_FAIL_NOTHING);
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
  // The buttons say the rest: Retry (FailureText's advice names it), or
  // the question they answer.
  std::string text = FailureText(failure, context);
  if (context.offered == FailureRemedy::kOtherLocation) text += "\n\n" + UiTextUtf8(IDS_FAIL_OTHER_LOCATION);
  return text;
}

std::string FailureText(const InstallFailure& failure, const FailureContext& context) {
  const uint32_t error = failure.error;
  const bool retry = context.offered == FailureRemedy::kRetry;
  const std::string lead = context.copyBegan ? UiTextUtf8(IDS_FAIL_COPY) + " " : "";
  // A signed distribution's file not as signed: whoever changed it may
  // mean harm, so the copy is not to be used at all.
  if (failure.distributionChanged)
    return Message(UiTextUtf8(IDS_FAIL_CHANGED_WHAT, {failure.reason}), UiTextUtf8(IDS_FAIL_CHANGED_TODO));
  if (error == kSharingViolation || error == kLockViolation)
    return Message(lead + (failure.holder.empty() ? UiTextUtf8(IDS_FAIL_IN_USE, {failure.path})
                                                  : UiTextUtf8(IDS_FAIL_IN_USE_BY, {failure.path, failure.holder})),
                   UiTextUtf8(retry ? IDS_FAIL_IN_USE_RETRY : IDS_FAIL_IN_USE_TODO));
  if (failure.reason == "another installation into this folder is running")
    return Message(UiTextUtf8(IDS_FAIL_ANOTHER_FOLDER, {failure.path}),
                   UiTextUtf8(retry ? IDS_FAIL_WAIT_RETRY : IDS_FAIL_WAIT_TODO));
  if (failure.reason == "another install or removal of this product is running")
    return Message(UiTextUtf8(IDS_FAIL_ANOTHER_PRODUCT, {failure.path}),
                   UiTextUtf8(retry ? IDS_FAIL_WAIT_RETRY : IDS_FAIL_WAIT_TODO));
  if ((error == kDiskFull || error == kHandleDiskFull) && failure.bytesNeeded > 0)
    return Message(UiTextUtf8(IDS_FAIL_NO_SPACE,
                              {failure.volume, UiSize(failure.bytesNeeded), UiSize(failure.bytesFree)}),
                   UiTextUtf8(IDS_FAIL_NO_SPACE_TODO, {failure.volume}));
  if (error == kDiskFull || error == kHandleDiskFull)
    return Message(lead + UiTextUtf8(IDS_FAIL_DISK_FULL, {Cause(failure, context)}),
                   UiTextUtf8(IDS_FAIL_DISK_FULL_TODO));
  if (IsInside(failure.path, context.payload))
    return Message(UiTextUtf8(IDS_FAIL_DAMAGED, {Cause(failure, context)}), UiTextUtf8(IDS_FAIL_DAMAGED_TODO));
  if (error == kBadPathname)
    return Message(UiTextUtf8(IDS_FAIL_LOCATION, {Cause(failure, context)}), UiTextUtf8(IDS_FAIL_LOCATION_TODO));
  if (error == kAccessDenied || error == kWriteProtect || error == kCannotMake)
    return Message(lead + UiTextUtf8(IDS_FAIL_PROTECTED, {Cause(failure, context)}),
                   UiTextUtf8(IDS_FAIL_PROTECTED_TODO, {UiTextUtf8(IDS_FAIL_ADMIN)}));
  return Message((lead.empty() ? UiTextUtf8(IDS_FAIL_GENERIC) + " " : lead) + Cause(failure, context) + ".",
                 UiTextUtf8(IDS_FAIL_ADMIN));
}
