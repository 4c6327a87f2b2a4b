#include "toolkit/files/qvOffscreenDevice.h"

#include "toolkit/draw/qvDevice.h"
#include "toolkit/window/qvWindow.h"

qvOffscreenDevice::qvOffscreenDevice(qvWindow* control) {
  window = control;
  qvRect area;
  if (control) control->GetClientArea(area);
  header.biSize = sizeof header;
  header.biWidth = area.GetRight() - area.GetLeft();
  header.biHeight = area.GetBottom() - area.GetTop();
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;

  const HDC screen = GetDC(nullptr);
  bitmap = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
  dc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  if (bitmap && dc) previousBitmap = SelectObject(dc, bitmap);
  // A control of a mirrored window is drawn mirrored here too, as it would
  // be on the window, and copied over unflipped.
  if (dc && control && control->GetHandle() && (GetWindowLongW(control->GetHandle(), GWL_EXSTYLE) & WS_EX_LAYOUTRTL))
    SetLayout(dc, LAYOUT_RTL);
  width = header.biWidth;
  height = header.biHeight;
}

qvOffscreenDevice::~qvOffscreenDevice() {
  if (dc && previousBitmap) SelectObject(dc, previousBitmap);
  if (dc) DeleteDC(dc);
  dc = nullptr;
  if (bitmap) DeleteObject(bitmap);
  bitmap = nullptr;
}

void qvOffscreenDevice::CopyToDevice(qvDevice* target) {
  if (!target || !bits) return;
  qvRect bounds;
  target->GetBounds(bounds);
  const qvBitmapOrientation kept(target->GetContext());
  SetDIBitsToDevice(target->GetContext(), bounds.GetLeft(), bounds.GetTop(), bounds.GetWidth(), bounds.GetHeight(), 0,
                    0, 0, height, bits, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
}
