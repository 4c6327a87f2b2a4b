// The progress of an install on a caption of the installer window: "N of
// M files (P%)" after the waiting text, repainted at once (without taking
// any input, as the copy holds the thread) but at most about ten times a
// second, and always at the last file, so that it ends at the totals. It
// also moves the busy cursor on by one frame for each file.
#pragma once

#include "app/install/InstallJob.h"
#include "app/install/InstallProgress.h"
#include "app/window/BusyCursor.h"

class qvCaption;

class ProgressDisplay : public InstallObserver {
public:
  // cursor may be null: no cursor is moved.
  ProgressDisplay(qvCaption* caption, BusyCursor* cursor) : caption(caption), cursor(cursor) {}
  void TotalsCounted(const CopyTally& totals) override;
  void FileCopied(const char* source, const char* destination, uint64_t bytes) override;
  void CopyFailed(const InstallFailure& failure) override;

  int Repaints() const { return repaints; }

private:
  void Paint();

  qvCaption* caption;  // not owned
  BusyCursor* cursor;  // not owned
  ProgressCounter counter;
  int repaints = 0;
};
