// qvRegion: a clip or fill region made from four corners, for the drawing
// device's region fills and frames. It owns its GDI region; Detach hands the
// region over to a new owner (the platform keeps a region given to
// SetWindowRgn, for one), after which destruction deletes nothing.
#pragma once

#include <windows.h>

#include "toolkit/draw/qvPoint.h"

class qvRegion {
public:
  // The polygon through the four corners in order, filled by the alternate
  // rule. The corners are read through ToPOINT.
  explicit qvRegion(const qvPoint corners[4]);
  qvRegion(const qvRegion&) = delete;
  qvRegion& operator=(const qvRegion&) = delete;
  ~qvRegion();

  void Detach() { handle = nullptr; }

  HRGN handle = nullptr;  // owned unless detached; null when creation failed
};
