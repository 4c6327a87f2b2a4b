// What the installer window tells a user whose install failed: the cause
// first, in words a user acts on, then what to do, then (where the failure
// is one it fits) the installer's own advice about Administrator
// permissions. The path and the platform's words stay in the text, for a
// support desk. Plain text work over the failure the install reported.
#pragma once

#include <string>

#include "app/install/InstallFailure.h"

// What the user can do about a failure from the message itself.
enum class FailureRemedy {
  kNone,           // nothing the window can offer: OK
  kRetry,          // trying again can succeed (a file in use, another install at work): Retry or Cancel
  kOtherLocation,  // the location is the cause (no room, a protected folder): choose another, or not
};

// The remedy that fits a failure.
FailureRemedy RemedyOf(const InstallFailure& failure, const std::string& payload);

// The part of the installer the failure lies in.
struct FailureContext {
  std::string payload;      // the payload folder: a failure inside it is the distribution's
  bool copyBegan = false;   // files were being placed when it failed (undone since)
  std::string platformText;  // the platform's words for the failure's code
  FailureRemedy offered = FailureRemedy::kNone;  // what the message's buttons offer
};

// The message box's text for a failed install, for the buttons the
// context offers.
std::string FailureMessage(const InstallFailure& failure, const FailureContext& context);
// The same, as a message with OK alone says it.
std::string FailureText(const InstallFailure& failure, const FailureContext& context);
