#include "toolkit/draw/qvDevice.h"

#include <cstring>

#include "toolkit/draw/qvTextDrawing.h"
#include "toolkit/window/qvWindow.h"

namespace {

RECT ToPlatform(const qvRect& r) {
  RECT rect;
  const_cast<qvRect&>(r).ToRECT(&rect);
  return rect;
}

UINT AlignFormat(int align) {
  UINT format = 0;
  if (align & kAlignCenter) format |= DT_CENTER;
  if (align & kAlignMiddle) format |= DT_VCENTER;
  if (align & kAlignEllipsis) format |= DT_SINGLELINE | DT_END_ELLIPSIS;
  return format;
}

HWND HandleOf(qvWindow* window) { return window ? window->GetHandle() : nullptr; }

// The platform centres text vertically only when it is drawn as a single
// line, never when it may wrap. Wrapped text that fits on one line is
// moved to the middle of rect here, so that kAlignMiddle means the same
// either way; text of several lines keeps the top.
void CentreOneLine(HDC dc, const char* text, UINT format, RECT& rect) {
  if (!(format & DT_VCENTER) || !(format & DT_WORDBREAK)) return;
  RECT measured = rect;
  const int height = DrawTextUtf8(dc, text, &measured, (format & ~DT_VCENTER) | DT_CALCRECT);
  TEXTMETRICW metrics;
  if (!GetTextMetricsW(dc, &metrics) || height > metrics.tmHeight) return;
  const int room = rect.bottom - rect.top - height;
  if (room > 0) rect.top += room / 2;
}

}  // namespace

qvDevice::qvDevice() { qvDevice::Reset(); }

qvDevice::qvDevice(HDC callerContext) {
  qvDevice::Reset();
  dc = callerContext;
  releaseOnDestroy = false;
}

HDC qvDevice::GetContext() { return dc; }
qvWindow* qvDevice::GetWindow() { return window; }

qvDevice::~qvDevice() {
  if (releaseOnDestroy) qvDevice::Release();
}

void qvDevice::MovePen(int x, int y) { MoveToEx(dc, x, y, nullptr); }
void qvDevice::DrawLineTo(int x, int y) { LineTo(dc, x, y); }

void qvDevice::OutlineRect(const qvRect& r) {
  const RECT rect = ToPlatform(r);
  MovePen(rect.left, rect.top);
  DrawLineTo(rect.left, rect.bottom - 1);
  MovePen(rect.left, rect.bottom - 1);
  DrawLineTo(rect.right - 1, rect.bottom - 1);
  MovePen(rect.right - 1, rect.bottom - 1);
  DrawLineTo(rect.right - 1, rect.top);
  MovePen(rect.right - 1, rect.top);
  DrawLineTo(rect.left, rect.top);
}

void qvDevice::FrameWithBrush(const qvRect& r, const qvBrush& b) {
  const RECT rect = ToPlatform(r);
  FrameRect(dc, &rect, b.GetBrush());
}

void qvDevice::DrawMarqueeFrame(const qvRect& r) {
  qvColor red(0xFFFF, 0, 0), white(0xFFFF, 0xFFFF, 0xFFFF);
  qvBrush redBrush(red), whiteBrush(white);
  DrawMarqueeFrameWith(r, redBrush, whiteBrush);
}

void qvDevice::DrawMarqueeFrameWith(const qvRect& r, const qvBrush&, const qvBrush&) {
  SetBkColor(dc, RGB(255, 0, 0));
  SetBrushOrgEx(dc, 0, 0, nullptr);
  const HBRUSH hatch = CreateHatchBrush(HS_FDIAGONAL, RGB(255, 255, 255));
  const HGDIOBJ displaced = SelectObject(dc, hatch);
  const RECT rect = ToPlatform(r);
  FrameRect(dc, &rect, hatch);
  SelectObject(dc, displaced);
  DeleteObject(hatch);
}

void qvDevice::InvertArea(const qvRect& r) {
  const RECT rect = ToPlatform(r);
  InvertRect(dc, &rect);
}

void qvDevice::FillRegion(const qvRegion& g, const qvBrush& b) { FillRgn(dc, g.handle, b.GetBrush()); }
void qvDevice::FrameRegion(const qvRegion& g, const qvBrush& b) { FrameRgn(dc, g.handle, b.GetBrush(), 1, 1); }

void qvDevice::FillArea(const qvRect& r, const qvBrush& b) {
  const RECT rect = ToPlatform(r);
  FillRect(dc, &rect, b.GetBrush());
}

void qvDevice::DrawTextIn(const char* text, const qvRect& r, int align) {
  RECT rect = ToPlatform(r);
  const UINT format = DT_WORDBREAK | AlignFormat(align);
  CentreOneLine(dc, text, format, rect);
  DrawTextUtf8(dc, text, &rect, format);
}

void qvDevice::DrawTextTransparent(const char* text, const qvRect& r, int align, bool wrap) {
  const int mode = SetBkMode(dc, TRANSPARENT);
  RECT rect = ToPlatform(r);
  const UINT format = (wrap && !(align & kAlignEllipsis) ? DT_WORDBREAK : 0) | AlignFormat(align);
  CentreOneLine(dc, text, format, rect);
  DrawTextUtf8(dc, text, &rect, format);
  SetBkMode(dc, mode);
}

int qvDevice::GetTextWidth(const char* text) {
  return TextExtentUtf8(dc, text).cx;
}

int qvDevice::GetTextHeight(const char* text) {
  return TextExtentUtf8(dc, text).cy;
}

void qvDevice::DrawFocusFrame(const qvRect& r) {
  const RECT rect = ToPlatform(r);
  DrawFocusRect(dc, &rect);
}

void qvDevice::UnusedHook(int) {}

COLORREF qvDevice::SetBackColor(qvColor& c) { return SetBkColor(dc, c.ToCOLORREF()); }

void qvDevice::GetBounds(qvRect& r) {
  if (window) window->GetClientArea(r);
}

void qvDevice::Acquire() {
  releaseOnDestroy = true;
  acquired = true;
  dc = GetDC(HandleOf(window));
}

void qvDevice::Release() {
  if (!acquired) return;
  ReleaseDC(window && dc ? window->GetHandle() : nullptr, dc);
  dc = nullptr;
}

void qvDevice::Reset() {
  dc = nullptr;
  window = nullptr;
  acquired = false;
  releaseOnDestroy = true;
}

qvPaintDevice::qvPaintDevice(qvWindow* w) {
  window = w;
  std::memset(&paint, 0, sizeof paint);
  // Painted as part of its window's tree (qvWindow::PaintTreeNow): the
  // tree's context, and no cycle of its own.
  printing = w && w->PrintContext();
  if (printing)
    dc = w->PrintContext();
  else if (w)
    dc = BeginPaint(w->GetHandle(), &paint);
}

qvPaintDevice::~qvPaintDevice() {
  if (window && dc && !printing) EndPaint(window->GetHandle(), &paint);
  dc = nullptr;
}

void qvPaintDevice::Reset() {}

void qvPaintDevice::BeginPaintCycle() {
  if (window) dc = BeginPaint(window->GetHandle(), &paint);
}

void qvPaintDevice::EndPaintCycle() {
  if (window && dc) EndPaint(window->GetHandle(), &paint);
  dc = nullptr;
}
