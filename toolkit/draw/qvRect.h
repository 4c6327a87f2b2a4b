// qvRect: a rectangle in device pixels with the platform's RECT layout and
// convention: right and bottom are one past the last pixel drawn. Window
// bounds, client areas, control faces and picture frames all pass between the
// toolkit's parts as qvRect.
//
// Nothing normalises a rectangle: right < left or bottom < top is kept as it
// is and gives a negative width or height. The compound operations (moving,
// centring, resizing with an anchor, Contains, ToRECT) work through the
// accessors and setters of the table of virtual operations, so a derived
// rectangle that overrides those sees every change. It owns nothing and
// copies freely.
#pragma once

#include <cstdint>

#include "toolkit/draw/qvPoint.h"

// The platform's RECT record; the conversion lives in qvRect_win.cpp.
struct tagRECT;

// Which edge a resize keeps in place. Any other value makes SetWidth and
// SetHeight (and the operations built on them) leave the rectangle alone.
enum qvAnchor : int {
  qvAnchorLeftTop = 0,      // keeps the left (or top) edge
  qvAnchorRightBottom = 1,  // keeps the right (or bottom) edge
  qvAnchorCenter = 2,       // keeps the centre; an odd size puts the extra pixel right (or below)
};

class qvRect {
public:
  qvRect() = default;
  qvRect(int left, int top, int right, int bottom)
      : left(left), top(top), right(right), bottom(bottom) {}

  virtual ~qvRect() = default;
  // Copies the four edges of r and returns a copy of the result.
  virtual qvRect Assign(const qvRect& r);
  virtual bool Equals(const qvRect& r) const;
  virtual bool NotEquals(const qvRect& r) const;
  virtual int GetLeft() const;
  virtual int GetTop() const;
  virtual int GetRight() const;
  virtual int GetBottom() const;
  // Halfway between the edges, the half truncated towards zero.
  virtual int GetCenterX() const;
  virtual int GetCenterY() const;
  virtual void SetLeft(int v);
  virtual void SetTop(int v);
  virtual void SetRight(int v);
  virtual void SetBottom(int v);
  // anchor is a qvAnchor value.
  virtual void SetWidth(int w, int anchor);
  virtual void SetHeight(int h, int anchor);
  virtual void MoveTopTo(int y);
  virtual void MoveLeftTo(int x);
  // Moves the top-left corner to (x, y), keeping the size.
  virtual void MoveTo(int x, int y);
  virtual void GrowHeight(int dh, int anchor);
  virtual void GrowWidth(int dw, int anchor);
  // Moves each side inwards; negative amounts enlarge.
  virtual void Inset(int dx, int dy);
  virtual void CenterOn(int x, int y);
  virtual void CenterXOn(int x);
  virtual void CenterYOn(int y);
  virtual int GetWidth() const;
  virtual int GetHeight() const;
  virtual void Set(int newLeft, int newTop, int newRight, int newBottom);
  virtual void SetBounds(int newLeft, int newTop, int width, int height);
  virtual void MoveToOrigin();
  // Moves by (dx, dy), then sets the size keeping the top-left corner.
  virtual void OffsetAndSize(int dx, int dy, int w, int h);
  virtual void Offset(int dx, int dy);
  // Grows to the smallest rectangle holding both. An all-zero rectangle is
  // not empty here: it pulls the result out to the origin.
  virtual void Union(const qvRect& r);
  virtual void UnionWith(const qvRect& r);
  // Shrinks to the common part; (0, 0, 0, 0) when there is none, including
  // rectangles that only touch along an edge.
  virtual void Intersect(const qvRect& r);
  // Whether the segment from a to b meets the rectangle, all four edges
  // included; touching an edge or a corner counts.
  virtual bool CrossesSegment(qvPoint a, qvPoint b) const;
  // Height times width, wrapping in 32 bits.
  virtual int GetArea() const;
  // Whether p lies inside with all four edges inclusive, unlike drawing,
  // which stops one pixel short of right and bottom.
  virtual bool Contains(const qvPoint& p) const;
  virtual void ToRECT(tagRECT* out) const;

  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};
