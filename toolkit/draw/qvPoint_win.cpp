// qvPoint's conversions to and from the platform's POINT record.
#include <windows.h>

#include "toolkit/draw/qvPoint.h"

void qvPoint::ToPOINT(POINT* out) const {
  out->x = GetH();
  out->y = GetV();
}

void qvPoint::FromPOINT(const POINT* in) {
  x = in->x;
  y = in->y;
}
