// qvOffscreenDevice: a 24-bit bitmap with a memory context, the size of one
// control's client area, that behaves as any other device. Controls draw
// into it and copy the finished picture to the screen in one call, so
// nothing flickers. It lives for one paint of one control and owns its
// bitmap and memory context.
#pragma once

#include <windows.h>

#include "toolkit/draw/qvDevice.h"

class qvOffscreenDevice : public qvDevice {
public:
  explicit qvOffscreenDevice(qvWindow* control);
  ~qvOffscreenDevice() override;

  // Copies the whole bitmap to target's bounds; nothing without a target.
  void CopyToDevice(qvDevice* target);

  HBITMAP bitmap = nullptr;           // owned; null when the platform refused it
  HGDIOBJ previousBitmap = nullptr;   // what selecting bitmap displaced
  void* bits = nullptr;               // the bitmap's pixels, bottom row first
  BITMAPINFOHEADER header = {};
  int32_t height = 0;
  int32_t width = 0;
};
