// qvPoint: a position in device pixels, y growing downwards. It is the
// toolkit's currency for mouse positions, origins and polygon corners, and is
// turned into the platform's POINT only where a platform call needs one.
//
// Like the other small values of the toolkit it has a table of virtual
// operations, so a derived point can change how its coordinates are read;
// ToPOINT reads them through GetH and GetV. It owns nothing and copies freely.
#pragma once

#include <cstdint>

// The platform's POINT record; the conversions live in qvPoint_win.cpp.
struct tagPOINT;

class qvPoint {
public:
  qvPoint() = default;
  qvPoint(int x, int y) : x(x), y(y) {}

  virtual ~qvPoint() = default;
  virtual void Set(int newX, int newY);
  virtual void Offset(int dx, int dy);
  virtual int GetX() const;
  virtual int GetY() const;
  // The same coordinates under their horizontal/vertical names.
  virtual int GetH() const;
  virtual int GetV() const;
  virtual void ToPOINT(tagPOINT* out) const;
  virtual void FromPOINT(const tagPOINT* in);

  int32_t x = 0;
  int32_t y = 0;
};
