// Builds without the platform have no POINT or RECT records. The
// conversions keep their places in the tables of qvPoint and qvRect, and
// nothing in such a build can call them with a record.
#include "toolkit/draw/qvPoint.h"
#include "toolkit/draw/qvRect.h"

void qvPoint::ToPOINT(tagPOINT*) const {}
void qvPoint::FromPOINT(const tagPOINT*) {}
void qvRect::ToRECT(tagRECT*) const {}
