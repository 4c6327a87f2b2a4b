// The painting half of qvWindow: background colour and picture, the default
// paint and erase handlers, and FillBackground, with which a window without
// a picture of its own shows the part of an ancestor's picture behind it.
#include <algorithm>
#include <new>

#include "toolkit/draw/qvContrast.h"
#include "toolkit/draw/qvDevice.h"
#include "toolkit/files/qvPicture.h"
#include "toolkit/window/qvEvent.h"
#include "toolkit/window/qvWindow.h"

namespace {

// The colour given, or in high contrast the system's window colour: no
// colour of the toolkit's own is mixed with the system's.
void FillClientArea(qvWindow* window, qvDevice& device, qvColor colour) {
  qvRect area;
  window->GetClientArea(area);
  if (HighContrastOn()) {
    const COLORREF system = GetSysColor(COLOR_WINDOW);
    colour = ColorFromBytes(GetRValue(system), GetGValue(system), GetBValue(system));
  }
  qvBrush brush(colour);
  device.FillArea(area, brush);
}

// The window's picture, unless high contrast is on: then nothing is drawn
// behind text.
qvPicture* ShownPicture(qvPicture* picture) { return HighContrastOn() ? nullptr : picture; }

}  // namespace

void qvWindow::SetBackgroundPictureId(int resourceId) {
  pictureResourceId = resourceId;
  qvPicture* old = backgroundPicture;
  backgroundPicture = nullptr;
  delete old;
  if (resourceId != 0) backgroundPicture = new qvPicture(resourceId);
}

void qvWindow::SetBackgroundPicture(qvPicture* picture) {
  pictureResourceId = 0;
  if (picture != backgroundPicture) delete backgroundPicture;
  backgroundPicture = picture;
}

void qvWindow::SetPictureOffset(int x, int y) {
  pictureOffsetX = x;
  pictureOffsetY = y;
  Redraw();
}

void qvWindow::GetPictureOffset(int& x, int& y) {
  x = pictureOffsetX;
  y = pictureOffsetY;
}

void qvWindow::SetBackgroundColor(const qvColor& c) {
  qvColor current(c);
  if (!current.rgbValid) current.UpdateRGB();
  delete backgroundColor;
  backgroundColor = new (std::nothrow) qvColor(current.red, current.green, current.blue);
  if (backgroundColor) {
    backgroundColor->mode = 0;
    backgroundColor->rgbValid = true;
    backgroundColor->hsvValid = false;
  }
}

bool qvWindow::OnPaint(qvEvent&) {
  qvPaintDevice device(this);
  if (ShownPicture(backgroundPicture)) {
    FillClientArea(this, device, backgroundColor ? *backgroundColor : DefaultGrey());
    backgroundPicture->DrawAt(device, -pictureOffsetX, -pictureOffsetY, 0);
  } else {
    FillBackground(device);
  }
  return false;
}

bool qvWindow::PaintBackground(qvEvent& event) {
  // wParam: the device context to erase on.
  qvDevice device(reinterpret_cast<HDC>(static_cast<UINT_PTR>(event.wParam)));
  if (!ShownPicture(backgroundPicture)) {
    FillBackground(device);
    return false;
  }
  if (backgroundColor) FillClientArea(this, device, *backgroundColor);
  backgroundPicture->DrawAt(device, -pictureOffsetX, -pictureOffsetY, 0);
  return false;
}

void qvWindow::PaintTreeNow() {
  if (!hwnd || !IsWindowVisible(hwnd)) return;
  // The children are not clipped out of this context: they are drawn in it.
  const HDC dc = GetDCEx(hwnd, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
  if (!dc) {
    UpdateWindow(hwnd);
    return;
  }
  PaintSubtreeInto(dc, 0, 0);
  ReleaseDC(hwnd, dc);
}

// (x, y): this window's client origin in the context's window. Children are
// drawn after their parent, in the order they were made, as the platform
// stacks them; each inside its own client area and its parent's.
void qvWindow::PaintSubtreeInto(HDC dc, int x, int y) {
  const int saved = SaveDC(dc);
  SetViewportOrgEx(dc, x, y, nullptr);
  RECT client = {};
  GetClientRect(hwnd, &client);
  IntersectClipRect(dc, 0, 0, client.right, client.bottom);
  printContext = dc;
  qvEvent event(0, this, WM_PAINT, 0);
  OnPaint(event);
  printContext = nullptr;
  ValidateRect(hwnd, nullptr);
  for (int i = 0; i < children.Count(); ++i) {
    qvWindow* child = children.At(i);
    if (!child->hwnd || !IsWindowVisible(child->hwnd) || GetParent(child->hwnd) != hwnd) continue;
    POINT origin = {0, 0};
    MapWindowPoints(child->hwnd, hwnd, &origin, 1);
    child->PaintSubtreeInto(dc, x + origin.x, y + origin.y);
  }
  RestoreDC(dc, saved);
}

bool qvWindow::FillBackground(qvDevice& device) {
  const qvColor fill = backgroundColor ? *backgroundColor : DefaultGrey();
  qvWindow* host = GetHost();
  qvWindow* source = nullptr;
  if (host != this) {
    for (qvWindow* ancestor = parent; ancestor; ancestor = ancestor->parent) {
      if (ShownPicture(ancestor->backgroundPicture)) {
        source = ancestor;
        break;
      }
      if (ancestor == host) break;
    }
  }

  qvRect area;
  GetClientArea(area);
  FillClientArea(this, device, fill);
  if (source) {
    RECT outer, mine, sourceClient;
    GetWindowRect(source->GetHandle(), &outer);
    GetWindowRect(GetHandle(), &mine);
    GetClientRect(source->GetHandle(), &sourceClient);
    const int border = static_cast<int>(((outer.right - outer.left) - (sourceClient.right - sourceClient.left)) * 0.5);
    // The source paints its picture shifted left and up by its offsets;
    // the part behind this window moves the same way.
    const int x = outer.left - mine.left - source->pictureOffsetX + border;
    const int y = area.GetHeight() - (sourceClient.bottom - sourceClient.top) + (outer.bottom - mine.bottom) - border -
                  source->pictureOffsetY;
    // Only the part behind this window: every control paints its own part,
    // and passing the whole picture each time made the first paint of a
    // window of many controls slow.
    qvPicture& picture = *source->backgroundPicture;
    const int left = std::max(0, -x), top = std::max(0, -y);
    const int right = std::min(picture.PixelWidth(), area.GetWidth() - x);
    const int bottom = std::min(picture.PixelHeight(), area.GetHeight() - y);
    if (right > left && bottom > top)
      picture.DrawRect(device, qvRect(left, top, right, bottom), qvRect(left + x, top + y, right + x, bottom + y));
    return true;
  }
  if (ShownPicture(backgroundPicture))
    backgroundPicture->DrawAt(device, pictureOffsetX,
                              pictureOffsetY + area.GetHeight() - backgroundPicture->PixelHeight(), 0);
  return false;
}

void qvWindow::DrawCross() {
  qvDevice device;
  device.window = this;
  device.Acquire();
  const qvColor colour(255, 0, 0);  // 16-bit components: converts to black
  qvPen pen(&colour, 2);
  pen.SelectInto(device.GetContext());
  qvRect area;
  GetClientArea(area);
  device.MovePen(area.GetLeft(), area.GetTop());
  device.DrawLineTo(area.GetRight(), area.GetBottom());
  device.MovePen(area.GetRight(), area.GetTop());
  device.DrawLineTo(area.GetLeft(), area.GetBottom());
}
