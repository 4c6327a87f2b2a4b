// What the installer window tells a user whose install failed: the cause
// first, in words a user acts on, then what to do, then (where the failure
// is one it fits) the installer's own advice about Administrator
// permissions. The path and the platform's words stay in the text, for a
// support desk. Plain text work over the failure the install reported.
#pragma once

#include <string>

#include "app/install/InstallFailure.h"

// The part of the installer the failure lies in.
struct FailureContext {
  std::string payload;      // the payload folder: a failure inside it is the distribution's
  bool copyBegan = false;   // files were being placed when it failed (undone since)
  std::string platformText;  // the platform's words for the failure's code
};

// The message box's text for a failed install.
std::string FailureMessage(const InstallFailure& failure, const FailureContext& context);
