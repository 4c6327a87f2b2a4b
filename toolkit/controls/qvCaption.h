// qvCaption: a static text drawn straight onto the part of the parent's
// background that lies behind it, with no box of its own. It takes no
// pointer input and never reports. The text is the window's title.
#pragma once

#include "toolkit/controls/qvControl.h"
#include "toolkit/draw/qvColor.h"

// Caption alignment flags; other bits have no effect.
constexpr int kCaptionLeft = 1;
constexpr int kCaptionCenter = 2;   // centred horizontally
constexpr int kCaptionMiddle = 4;   // centred vertically (text on one line)
constexpr int kCaptionEllipsis = 8; // one line, ending in "..." where it would pass the caption's edge

class qvCaption : public qvControl {
public:
  qvCaption(qvWindow* parent, const qvRect& bounds, const char* text, int alignFlags);

  void GetTypeName(char* buffer) override;
  void ResetFields() override;
  bool OnPaint(qvEvent& event) override;
  // The caption paints its whole area itself: nothing to erase.
  bool PaintBackground(qvEvent& event) override;
  // A caption neither tracks the pointer nor reports, double clicks
  // included.
  bool OnDoubleClick(qvEvent& event) override;
  bool OnMouseDown(qvEvent& event) override;
  bool OnMouseUp(qvEvent& event) override;
  bool OnMouseMove(qvEvent& event) override;
  // A caption has no action: the keyboard passes it by.
  bool TakesFocus() override;

  // 0: the small font; 1: the large one (the default); anything else
  // changes nothing. Takes effect at the next paint.
  virtual void SetTextSize(int size);
  // Up to 259 characters, also as the platform window's text; redraws.
  virtual void SetText(const char* text);
  // Stored only; the drawing does not use it. Redraws.
  virtual void SetBackgroundColor(const qvColor* c);

  using qvWindow::SetBackgroundColor;

  // Static text named by its text.
  qvAccessibleInfo GetAccessibleInfo() override;

  // The height the text needs to show whole at the caption's width and
  // DPI, wrapped at words. A caption that ends a long text in "..." shows
  // one line by design, and needs that line's height.
  int TextHeight();
  // The width the text takes on one line.
  int TextWidth();

private:
  int32_t fontKind;   // a qvFontKind
  int32_t alignFlags;
  qvColor backgroundColor;
};
