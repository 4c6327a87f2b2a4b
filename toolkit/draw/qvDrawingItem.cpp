#include "toolkit/draw/qvDrawingItem.h"

#include <iterator>

qvDrawingItem::~qvDrawingItem() {
  Restore();
  if (handle) DeleteObject(handle);
}

void qvDrawingItem::SelectInto(HDC dc) {
  if (!handle) return;
  Restore();
  context = dc;
  previous = SelectObject(dc, handle);
}

void qvDrawingItem::Deselect() { Restore(); }

void qvDrawingItem::Reset() {
  handle = nullptr;
  previous = nullptr;
  context = nullptr;
}

void qvDrawingItem::Restore() {
  if (previous && context) SelectObject(context, previous);
  previous = nullptr;
  context = nullptr;
}

namespace {

COLORREF PenColor(const qvColor* colour) {
  if (!colour) return RGB(0, 0, 0);
  qvColor converted = *colour;
  return converted.ToCOLORREF();
}

HFONT MakeFont(int kind, int dpi) {
  struct Face {
    const char* name;
    int height;
    int weight;
  };
  static const Face kFaces[] = {
      {"MS Sans Serif", 8, FW_NORMAL},
      {"MS Sans Serif", 8, FW_BOLD},
      {"Helvetica", 16, FW_NORMAL},
      {"Helvetica", 16, FW_BOLD},
  };
  if (kind < 0 || kind >= static_cast<int>(std::size(kFaces))) return nullptr;
  const Face& f = kFaces[kind];
  return CreateFontA(MulDiv(f.height, dpi, 96), 0, 0, 0, f.weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, f.name);
}

}  // namespace

qvPen::qvPen(const qvColor* colour, int width)
    : qvDrawingItem(CreatePen(PS_SOLID, width, PenColor(colour))) {}

void qvPen::Reset() {}

qvBrush::qvBrush(qvColor& colour) : qvDrawingItem(CreateSolidBrush(colour.ToCOLORREF())) {}

void qvBrush::Reset() {}

qvFont::qvFont(int kind, int dpi) : qvDrawingItem(MakeFont(kind, dpi)) {}

void qvFont::Reset() {}
