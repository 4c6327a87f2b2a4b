// qvDevice wraps one platform device context and offers the drawing
// operations the toolkit's windows and controls use, in a window's client
// coordinates (or the screen's, with no window). qvPaintDevice is the device
// of one paint cycle. A device made for a context its caller supplies leaves
// that context alone when it goes.
#pragma once

#include <windows.h>

#include "toolkit/draw/qvColor.h"
#include "toolkit/draw/qvDrawingItem.h"
#include "toolkit/draw/qvRect.h"
#include "toolkit/draw/qvRegion.h"

class qvWindow;

// DrawTextIn and DrawTextTransparent alignment bits. kAlignMiddle centres
// text that fits on one line vertically, wrapped or not. kAlignEllipsis
// keeps the text on one line and ends it in "..." where it would pass the
// rectangle, so that no word is lost at an edge unseen.
constexpr int kAlignCenter = 1;
constexpr int kAlignMiddle = 2;
constexpr int kAlignEllipsis = 4;

// While it lives, bitmaps drawn into a mirrored device context (a window
// laid out right to left) keep their own orientation: a picture is never
// mirrored, only placed where the mirrored layout puts it.
class qvBitmapOrientation {
public:
  explicit qvBitmapOrientation(HDC dc) : dc(dc), previous(dc ? GetLayout(dc) : 0) {
    if (previous != GDI_ERROR && (previous & LAYOUT_RTL)) SetLayout(dc, previous | LAYOUT_BITMAPORIENTATIONPRESERVED);
  }
  ~qvBitmapOrientation() {
    if (previous != GDI_ERROR && (previous & LAYOUT_RTL)) SetLayout(dc, previous);
  }
  qvBitmapOrientation(const qvBitmapOrientation&) = delete;
  qvBitmapOrientation& operator=(const qvBitmapOrientation&) = delete;

private:
  HDC dc;
  DWORD previous;
};

class qvDevice {
public:
  // Holds no context; the owner sets window and calls Acquire.
  qvDevice();
  // Draws on a context the caller owns; destruction leaves it alone.
  explicit qvDevice(HDC callerContext);
  qvDevice(const qvDevice&) = delete;
  qvDevice& operator=(const qvDevice&) = delete;

  virtual HDC GetContext();
  virtual qvWindow* GetWindow();
  virtual ~qvDevice();
  virtual void MovePen(int x, int y);
  // The end point is not drawn.
  virtual void DrawLineTo(int x, int y);
  // A one-pixel outline inside r with the current pen: the pixels
  // FrameWithBrush covers.
  virtual void OutlineRect(const qvRect& r);
  virtual void FrameWithBrush(const qvRect& r, const qvBrush& b);
  virtual void DrawMarqueeFrame(const qvRect& r);
  // A red and white diagonally dashed frame; the base device ignores b1, b2.
  virtual void DrawMarqueeFrameWith(const qvRect& r, const qvBrush& b1, const qvBrush& b2);
  virtual void InvertArea(const qvRect& r);
  virtual void FillRegion(const qvRegion& g, const qvBrush& b);
  virtual void FrameRegion(const qvRegion& g, const qvBrush& b);
  // Right and bottom edges not filled.
  virtual void FillArea(const qvRect& r, const qvBrush& b);
  // Word-wrapped text in r with the context's background mode as it is.
  virtual void DrawTextIn(const char* text, const qvRect& r, int align);
  // Text over what is there; the background mode is put back after.
  virtual void DrawTextTransparent(const char* text, const qvRect& r, int align, bool wrap);
  // Tabs expand to the platform's default stops.
  virtual int GetTextWidth(const char* text);
  virtual int GetTextHeight(const char* text);
  virtual void DrawFocusFrame(const qvRect& r);
  virtual void UnusedHook(int);
  virtual COLORREF SetBackColor(qvColor& c);
  virtual void GetBounds(qvRect& r);
  // Takes the window's context (the screen's without a window) until Release.
  virtual void Acquire();
  virtual void Release();
  virtual void Reset();

  qvWindow* window;  // not owned; null for the screen
  HDC dc;            // null when none is held
  bool acquired;     // dc came from Acquire and goes back in Release
  bool releaseOnDestroy;
};

// The device of one paint cycle of a window: BeginPaint at construction,
// EndPaint at destruction.
class qvPaintDevice : public qvDevice {
public:
  explicit qvPaintDevice(qvWindow* w);
  ~qvPaintDevice() override;
  // A paint device keeps its context for the whole cycle.
  void Reset() override;
  virtual void BeginPaintCycle();
  virtual void EndPaintCycle();

  PAINTSTRUCT paint;

private:
  bool printing = false;  // drawing in the window tree's context, not its own cycle
};
