// The drawing items: pens, brushes and fonts that the drawing device and the
// controls make for the span of one paint and select into a device context.
//
// qvDrawingItem owns one GDI object and remembers what selecting it displaced,
// so that it can put that back before the object is destroyed. Items are
// made on the stack and destroyed in reverse order of creation, each one
// restoring the object it displaced. An item whose platform object could not
// be made has a null handle: selecting it changes nothing and destroying it
// deletes nothing. qvPen, qvBrush and qvFont differ only in the object their
// constructor makes.
//
// The items are selected into a platform device context; a device hands over
// its own with GetContext().
#pragma once

#include <windows.h>

#include "toolkit/draw/qvColor.h"

class qvDrawingItem {
public:
  qvDrawingItem() = default;
  qvDrawingItem(const qvDrawingItem&) = delete;
  qvDrawingItem& operator=(const qvDrawingItem&) = delete;

  // Puts back what the item displaced, then deletes the object.
  virtual ~qvDrawingItem();
  // Selects the object into dc and keeps what it displaced. Selecting an
  // item that is still selected first puts back what the earlier selection
  // displaced, so nothing is lost. Does nothing with a null handle.
  virtual void SelectInto(HDC dc);
  // Puts back what the item displaced; the item is then free.
  virtual void Deselect();
  // Forgets the object and the selection without releasing or restoring
  // anything. Pens, brushes and fonts turn this into a no-op.
  virtual void Reset();

  HGDIOBJ handle = nullptr;    // owned; null when creation failed
  HGDIOBJ previous = nullptr;  // not owned; what `context` had selected before, null when free
  HDC context = nullptr;       // not owned; the context the item is selected into, null when free

protected:
  explicit qvDrawingItem(HGDIOBJ handle) : handle(handle) {}

private:
  void Restore();
};

// A solid pen.
class qvPen : public qvDrawingItem {
public:
  // `colour` is only read; without one the pen is black.
  qvPen(const qvColor* colour, int width);
  void Reset() override;

  HPEN GetPen() const { return static_cast<HPEN>(handle); }
};

// A solid brush.
class qvBrush : public qvDrawingItem {
public:
  // Converting the colour works out its red/green/blue if they were stale.
  explicit qvBrush(qvColor& colour);
  void Reset() override;

  HBRUSH GetBrush() const { return static_cast<HBRUSH>(handle); }
};

// The faces the toolkit draws text in.
enum qvFontKind : int {
  qvFontSmall = 0,      // "MS Sans Serif", 8 points, normal: its TrueType twin, "Microsoft Sans Serif"
  qvFontSmallBold = 1,  // "MS Sans Serif", 8 points, bold: the same
  qvFontLarge = 2,      // "Helvetica", 16, normal
  qvFontLargeBold = 3,  // "Helvetica", 16, bold
};

// An anti-aliased font of one of the qvFontKind faces, scaled to dpi: the
// small faces by their size in points, the large ones by their cell height
// in pixels at 96 DPI. A kind outside qvFontKind
// makes no font, so selecting it leaves the context's font in place.
class qvFont : public qvDrawingItem {
public:
  explicit qvFont(int kind, int dpi = 96);
  void Reset() override;

  HFONT GetFont() const { return static_cast<HFONT>(handle); }
};
