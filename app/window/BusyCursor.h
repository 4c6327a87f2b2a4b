// The animated busy cursor of an install: the module's cursor resources 209
// to 216 shown in turn, one frame for each file copied. The caller makes the
// record (started, frame 209) and shows the arrow again when done.
#pragma once

#include <cstdint>

#include "resources/ResourceIds.h"

constexpr int32_t kFirstBusyFrame = IDC_BUSY_FIRST;
constexpr int32_t kLastBusyFrame = IDC_BUSY_LAST;

struct BusyCursor {
  uint8_t started;
  int32_t frame;  // the resource number shown next
};

// Shows the next frame. A frame the module lacks leaves the current cursor
// as it is rather than hiding it.
void AdvanceBusyCursor(BusyCursor* cursor);
