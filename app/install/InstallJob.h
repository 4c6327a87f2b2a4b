// One install, as the installer window's Install and the unattended install
// both run it: the product's name read from "product.txt", the destination
// formed from the location, the payload counted, the product sub-folder
// made and the payload tree copied, with an optional observer (progress)
// and log. Nothing here shows anything.
#pragma once

#include <cstdint>

#include "app/install/FileTree.h"
#include "app/install/InstallNames.h"
#include "app/install/TargetKind.h"

class InstallLog;

// The first non-blank line of productFile, line end not included, into
// line (kProductLineSize bytes, at most 1023 characters); empty when the
// file holds only blank lines. False, with line empty, when the file cannot
// be opened: the product is unknown.
bool ReadProductLine(const char* productFile, char* line);

// ReadProductLine, then cut to kMaxProductNameLength characters (never
// inside a double-byte character of the ANSI code page): the name every
// text and the product sub-folder are made from.
bool ReadProductName(const char* productFile, char* name);

// Told what a running install does; the window shows progress with it.
class InstallObserver : public CopyObserver {
public:
  // The payload's totals from the counting pass, before the first file is
  // copied.
  virtual void TotalsCounted(const CopyTally& totals) = 0;
  // FileCopied and CopyFailed (CopyObserver) follow. A destination that
  // does not fit is told as CopyFailed(destination, ERROR_FILENAME_EXCED_RANGE)
  // with no TotalsCounted before it.
};

// What to install and where. All texts are borrowed for the call.
struct InstallJob {
  const char* productName;    // not owned: the product sub-folder's name
  TargetKind kind;            // TargetFxPlug copies into the location itself
  const char* payloadFolder;  // not owned: the payload folder's name, for the log
  const char* source;         // not owned: the payload folder's full path
  const char* location;       // not owned: the chosen install location
};

// Runs one install: the destination (InstallDestination; one that would not
// fit in 259 characters fails the install, nothing is made), the counting
// pass, the product sub-folder (one level, its result not looked at, as the
// location must exist), then CopyTree. observer and log may each be null; none is owned. Critical-error boxes of the
// platform are kept off for the run. True when every file was copied.
bool RunInstallJob(const InstallJob& job, InstallObserver* observer, InstallLog* log);
