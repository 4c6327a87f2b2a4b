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
    int size;        // cell height in pixels, or with inPoints the letters' height in points
    bool inPoints;
    int weight;
  };
  // The small face is the TrueType twin of "MS Sans Serif" at its 8
  // points: the bitmap face comes in fixed sizes only, and is coarse at
  // any scale but one.
  static const Face kFaces[] = {
      {"Microsoft Sans Serif", 8, true, FW_NORMAL},
      {"Microsoft Sans Serif", 8, true, FW_BOLD},
      {"Helvetica", 16, false, FW_NORMAL},
      {"Helvetica", 16, false, FW_BOLD},
  };
  if (kind < 0 || kind >= static_cast<int>(std::size(kFaces))) return nullptr;
  const Face& f = kFaces[kind];
  // A negative height asks for the letters' height without the leading.
  const int height = f.inPoints ? -MulDiv(f.size, dpi, 72) : MulDiv(f.size, dpi, 96);
  // ANSI_CHARSET on a western system; elsewhere the system's own, so that
  // the text of its code page (the installer's texts in the user's
  // language) is drawn as that code page's letters, not as western ones.
  const BYTE charset = GetACP() == 1252 ? ANSI_CHARSET : DEFAULT_CHARSET;
  // OUT_TT_PRECIS: a TrueType face before a bitmap one of the same name.
  return CreateFontA(height, 0, 0, 0, f.weight, FALSE, FALSE, FALSE, charset, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                     ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, f.name);
}

}  // namespace

qvPen::qvPen(const qvColor* colour, int width)
    : qvDrawingItem(CreatePen(PS_SOLID, width, PenColor(colour))) {}

void qvPen::Reset() {}

qvBrush::qvBrush(qvColor& colour) : qvDrawingItem(CreateSolidBrush(colour.ToCOLORREF())) {}

void qvBrush::Reset() {}

qvFont::qvFont(int kind, int dpi) : qvDrawingItem(MakeFont(kind, dpi)) {}

void qvFont::Reset() {}
