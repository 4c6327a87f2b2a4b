#include "app/window/ProgressDisplay.h"

#include <windows.h>

#include "toolkit/controls/qvCaption.h"

void ProgressDisplay::TotalsCounted(const CopyTally& totals) {
  counter.Start(totals.files, totals.bytes);
  Paint();
}

void ProgressDisplay::FileCopied(const char*, const char*, uint64_t bytes) {
  if (cursor) AdvanceBusyCursor(cursor);
  if (counter.FileDone(bytes, GetTickCount())) Paint();
}

void ProgressDisplay::CopyFailed(const InstallFailure&) {}

void ProgressDisplay::Paint() {
  // SetText repaints the caption before it returns.
  caption->SetText(counter.Text().c_str());
  ++repaints;
}
