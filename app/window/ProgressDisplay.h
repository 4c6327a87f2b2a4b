// The progress of an install on a caption of the installer window: "N of
// M files (P%)" after the waiting text, with the busy cursor moved on by one
// frame each time it changes. The window shows the counts the install
// thread keeps, when the thread says they moved (about ten times a second,
// and at the last file, so that the display ends at the totals).
#pragma once

#include <cstdint>

#include "app/window/BusyCursor.h"

class qvCaption;

class ProgressDisplay {
public:
  // cursor may be null: no cursor is moved.
  ProgressDisplay(qvCaption* caption, BusyCursor* cursor) : caption(caption), cursor(cursor) {}

  void Show(uint64_t filesDone, uint64_t filesTotal, uint64_t bytesDone, uint64_t bytesTotal);
  int Repaints() const { return repaints; }

private:
  qvCaption* caption;  // not owned
  BusyCursor* cursor;  // not owned
  int repaints = 0;
};
