#include "app/window/BusyCursor.h"

#include <windows.h>

#include "common/ModuleInstance.h"

void AdvanceBusyCursor(BusyCursor* cursor) {
  if (!cursor->started) {
    cursor->frame = kLastBusyFrame + 1;
    cursor->started = 1;
  }
  if (cursor->frame > kLastBusyFrame)
    cursor->frame = kFirstBusyFrame;
  else if (cursor->frame < kFirstBusyFrame)
    cursor->frame = kLastBusyFrame;
  if (HCURSOR shown = LoadCursorA(ModuleInstance(), MAKEINTRESOURCEA(cursor->frame))) SetCursor(shown);
  ++cursor->frame;
}
