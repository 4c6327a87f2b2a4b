#include "toolkit/draw/qvRegion.h"

#include <iterator>

qvRegion::qvRegion(const qvPoint corners[4]) {
  POINT points[4];
  for (size_t i = 0; i < std::size(points); ++i) corners[i].ToPOINT(&points[i]);
  handle = CreatePolygonRgn(points, static_cast<int>(std::size(points)), ALTERNATE);
}

qvRegion::~qvRegion() { DeleteObject(handle); }
