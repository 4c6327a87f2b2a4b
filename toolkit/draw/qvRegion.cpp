#include "toolkit/draw/qvRegion.h"

qvRegion::qvRegion(const qvPoint corners[4]) {
  POINT points[4];
  for (int i = 0; i < 4; ++i) corners[i].ToPOINT(&points[i]);
  handle = CreatePolygonRgn(points, 4, ALTERNATE);
}

qvRegion::~qvRegion() { DeleteObject(handle); }
