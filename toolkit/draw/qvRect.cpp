#include "toolkit/draw/qvRect.h"

#include <algorithm>
#include <cmath>

qvRect qvRect::Assign(const qvRect& r) {
  left = r.left;
  top = r.top;
  right = r.right;
  bottom = r.bottom;
  return *this;
}

bool qvRect::Equals(const qvRect& r) const {
  return left == r.left && top == r.top && right == r.right && bottom == r.bottom;
}

bool qvRect::NotEquals(const qvRect& r) const { return !Equals(r); }

int qvRect::GetLeft() const { return left; }
int qvRect::GetTop() const { return top; }
int qvRect::GetRight() const { return right; }
int qvRect::GetBottom() const { return bottom; }

int qvRect::GetCenterX() const { return left + (right - left) / 2; }
int qvRect::GetCenterY() const { return top + (bottom - top) / 2; }

void qvRect::SetLeft(int v) { left = v; }
void qvRect::SetTop(int v) { top = v; }
void qvRect::SetRight(int v) { right = v; }
void qvRect::SetBottom(int v) { bottom = v; }

void qvRect::SetWidth(int w, int anchor) {
  switch (anchor) {
    case qvAnchorLeftTop:
      SetRight(GetLeft() + w);
      break;
    case qvAnchorRightBottom:
      SetLeft(GetRight() - w);
      break;
    case qvAnchorCenter: {
      int c = GetCenterX();
      SetLeft(c - w / 2);
      SetRight(c + w / 2);
      if (GetWidth() < w) SetRight(GetRight() + 1);
      break;
    }
    default:
      break;
  }
}

void qvRect::SetHeight(int h, int anchor) {
  switch (anchor) {
    case qvAnchorLeftTop:
      SetBottom(GetTop() + h);
      break;
    case qvAnchorRightBottom:
      SetTop(GetBottom() - h);
      break;
    case qvAnchorCenter: {
      int c = GetCenterY();
      SetTop(c - h / 2);
      SetBottom(c + h / 2);
      if (GetHeight() < h) SetBottom(GetBottom() + 1);
      break;
    }
    default:
      break;
  }
}

void qvRect::MoveTopTo(int y) { Offset(0, y - GetTop()); }
void qvRect::MoveLeftTo(int x) { Offset(x - GetLeft(), 0); }
void qvRect::MoveTo(int x, int y) { Offset(x - GetLeft(), y - GetTop()); }

void qvRect::GrowHeight(int dh, int anchor) { SetHeight(GetHeight() + dh, anchor); }
void qvRect::GrowWidth(int dw, int anchor) { SetWidth(GetWidth() + dw, anchor); }

void qvRect::Inset(int dx, int dy) {
  left += dx;
  right -= dx;
  top += dy;
  bottom -= dy;
}

void qvRect::CenterOn(int x, int y) {
  CenterXOn(x);
  CenterYOn(y);
}

void qvRect::CenterXOn(int x) { Offset(x - GetCenterX(), 0); }
void qvRect::CenterYOn(int y) { Offset(0, y - GetCenterY()); }

int qvRect::GetWidth() const { return right - left; }
int qvRect::GetHeight() const { return bottom - top; }

void qvRect::Set(int newLeft, int newTop, int newRight, int newBottom) {
  left = newLeft;
  top = newTop;
  right = newRight;
  bottom = newBottom;
}

void qvRect::SetBounds(int newLeft, int newTop, int width, int height) {
  left = newLeft;
  top = newTop;
  right = newLeft + width;
  bottom = newTop + height;
}

void qvRect::MoveToOrigin() { Offset(-GetLeft(), -GetTop()); }

void qvRect::OffsetAndSize(int dx, int dy, int w, int h) {
  left += dx;
  right += dx;
  top += dy;
  bottom += dy;
  SetWidth(w, qvAnchorLeftTop);
  SetHeight(h, qvAnchorLeftTop);
}

void qvRect::Offset(int dx, int dy) {
  left += dx;
  right += dx;
  top += dy;
  bottom += dy;
}

void qvRect::Union(const qvRect& r) {
  int rLeft = r.GetLeft(), rTop = r.GetTop(), rRight = r.GetRight(), rBottom = r.GetBottom();
  left = std::min<int>(left, rLeft);
  top = std::min<int>(top, rTop);
  right = std::max<int>(right, rRight);
  bottom = std::max<int>(bottom, rBottom);
}

void qvRect::UnionWith(const qvRect& r) { Union(r); }

void qvRect::Intersect(const qvRect& r) {
  int rLeft = r.GetLeft(), rTop = r.GetTop(), rRight = r.GetRight(), rBottom = r.GetBottom();
  if (left >= rRight || right <= rLeft || top >= rBottom || bottom <= rTop) {
    left = top = right = bottom = 0;
    return;
  }
  left = std::max<int>(left, rLeft);
  right = std::min<int>(right, rRight);
  top = std::max<int>(top, rTop);
  bottom = std::min<int>(bottom, rBottom);
}

bool qvRect::CrossesSegment(qvPoint a, qvPoint b) const {
  // The part of the segment whose x lies within the rectangle...
  double hi = std::min<int>(std::max(a.x, b.x), right);
  double lo = std::max<int>(std::min(a.x, b.x), left);
  if (hi < lo) return false;

  // ...spans these y values; the differences are taken in double so that
  // far-apart points cannot overflow.
  double dx = static_cast<double>(b.x) - a.x;
  double ylo, yhi;
  if (std::fabs(dx) > 1e-7) {
    double m = (static_cast<double>(b.y) - a.y) / dx;
    double c = a.y - a.x * m;
    ylo = lo * m + c;
    yhi = hi * m + c;
  } else {
    ylo = a.y;
    yhi = b.y;
  }
  double ymin = std::min(ylo, yhi), ymax = std::max(ylo, yhi);
  return std::max<double>(ymin, top) <= std::min<double>(ymax, bottom);
}

int qvRect::GetArea() const {
  return static_cast<int>(static_cast<uint32_t>(GetHeight()) * static_cast<uint32_t>(GetWidth()));
}

bool qvRect::Contains(const qvPoint& p) const {
  int px = p.GetX(), py = p.GetY();
  return GetLeft() <= px && px <= GetRight() && GetTop() <= py && py <= GetBottom();
}
