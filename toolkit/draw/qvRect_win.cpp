// qvRect's conversion to the platform's RECT record.
#include <windows.h>

#include "toolkit/draw/qvRect.h"

void qvRect::ToRECT(RECT* out) const {
  out->left = GetLeft();
  out->top = GetTop();
  out->right = GetRight();
  out->bottom = GetBottom();
}
