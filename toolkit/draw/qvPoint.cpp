#include "toolkit/draw/qvPoint.h"

void qvPoint::Set(int newX, int newY) {
  x = newX;
  y = newY;
}

void qvPoint::Offset(int dx, int dy) {
  x += dx;
  y += dy;
}

int qvPoint::GetX() const { return x; }
int qvPoint::GetY() const { return y; }
int qvPoint::GetH() const { return x; }
int qvPoint::GetV() const { return y; }
