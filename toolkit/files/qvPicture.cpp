#include "toolkit/files/qvPicture.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "common/ModuleInstance.h"
#include "toolkit/draw/qvDevice.h"
#include "toolkit/files/qvHandleLocker.h"

qvPicture::qvPicture(int id) {
  resourceId = id;
  if (id != 0) LoadResource();
}

qvPicture::qvPicture(int w, int h) { CreateBitmap(w, 24, h); }

qvPicture::~qvPicture() {
  ReleaseResource();
  ReleaseBitmap();
}

void qvPicture::LoadResource() {
  const HINSTANCE module = ModuleInstance();
  if (HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resourceId), reinterpret_cast<LPCSTR>(RT_BITMAP)))
    resource = ::LoadResource(module, found);
}

void qvPicture::CreateBitmap(int w, int depth, int h) {
  BITMAPINFOHEADER made = {};
  made.biSize = sizeof made;
  made.biWidth = w;
  made.biHeight = -h;
  made.biPlanes = 1;
  made.biBitCount = static_cast<WORD>(depth);
  made.biCompression = BI_RGB;
  made.biSizeImage = static_cast<DWORD>(w * (depth / 8) * h);
  const HDC screen = GetDC(nullptr);
  void* pixels = nullptr;
  const HBITMAP section =
      CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&made), DIB_RGB_COLORS, &pixels, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (!section) throw -1;
  ReleaseBitmap();
  bitmap = section;
  bits = static_cast<uint8_t*>(pixels);
  hasBitmap = 1;
  width = w;
  height = h;
  header = made;
}

bool qvPicture::ResourceHeader(int& w, int& h, int& depth, int& headerSize) {
  if (!resource) return false;
  const auto* data = static_cast<const uint8_t*>(LockResource(resource));
  if (!data) return false;
  DWORD size;
  std::memcpy(&size, data, sizeof size);
  if (size == sizeof(BITMAPINFOHEADER)) {
    BITMAPINFOHEADER info;
    std::memcpy(&info, data, sizeof info);
    w = info.biWidth;
    h = info.biHeight;
    depth = info.biBitCount;
  } else {
    BITMAPCOREHEADER core;
    std::memcpy(&core, data, sizeof core);
    w = core.bcWidth;
    h = core.bcHeight;
    depth = core.bcBitCount;
  }
  headerSize = static_cast<int>(size);
  return true;
}

int qvPicture::PixelHeight() {
  if (hasBitmap) return height;
  int w, h, depth, headerSize;
  return ResourceHeader(w, h, depth, headerSize) ? std::abs(h) : 0;
}

int qvPicture::PixelWidth() {
  if (hasBitmap) return width;
  int w, h, depth, headerSize;
  return ResourceHeader(w, h, depth, headerSize) ? w : 0;
}

int qvPicture::DrawAt(qvDevice& device, int x, int y, int span) {
  const HDC dc = device.GetContext();
  if (hasBitmap) {
    SetDIBitsToDevice(dc, x, y, header.biWidth, height, 0, 0, 0, height, bits,
                      reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    return 1;
  }
  int tileWidth, tileHeight, depth, headerSize;
  uint8_t* pixels = ResourceBits();
  if (!pixels || !ResourceHeader(tileWidth, tileHeight, depth, headerSize) || tileWidth <= 0) return 1;
  qvHandleLocker locker(resource, true);
  locker.Lock();
  auto* info = static_cast<BITMAPINFO*>(locker.pointer);

  if (span == 0) span = tileWidth;
  qvRect bounds;
  device.GetBounds(bounds);
  if (bounds.GetLeft() == bounds.GetRight() || bounds.GetTop() == bounds.GetBottom())
    bounds.Set(0, 0, tileWidth, tileHeight);
  for (int tileX = x; tileX < x + span; tileX += tileWidth) {
    const int placed = std::min(tileX, x + span - tileWidth);
    SetDIBitsToDevice(dc, 0, 0, bounds.GetWidth(), bounds.GetHeight(), -placed,
                      tileHeight + bounds.GetTop() + y - bounds.GetBottom(), 0, tileHeight, pixels, info,
                      DIB_RGB_COLORS);
  }
  return 1;
}

bool qvPicture::DrawRect(qvDevice& device, const qvRect& source, const qvRect& destination) {
  RECT from, to;
  const_cast<qvRect&>(source).ToRECT(&from);
  const_cast<qvRect&>(destination).ToRECT(&to);
  const int w = from.right - from.left, h = from.bottom - from.top;
  if (hasBitmap) {
    // SetDIBitsToDevice counts the source's y from the bottom edge, a
    // top-down bitmap included; all rows are passed.
    SetDIBitsToDevice(device.GetContext(), to.left, to.top, w, h, from.left, height - from.bottom, 0, height, bits,
                      reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    return true;
  }
  uint8_t* pixels = ResourceBits();
  int tileWidth, tileHeight, depth, headerSize;
  if (!pixels || !ResourceHeader(tileWidth, tileHeight, depth, headerSize)) return true;
  qvHandleLocker locker(resource, true);
  locker.Lock();
  const int rows = std::abs(tileHeight);
  SetDIBitsToDevice(device.GetContext(), to.left, to.top, w, h, from.left, rows - from.bottom, 0, rows, pixels,
                    static_cast<BITMAPINFO*>(locker.pointer), DIB_RGB_COLORS);
  return true;
}

int qvPicture::ReadThumbnailPixels(ThumbnailStream&, bool, bool) { return -1; }
int qvPicture::ReadJpegThumbnail(ThumbnailStream&, bool) { return -1; }
int qvPicture::WriteThumbnail(ThumbnailStream&, bool, bool) { return -1; }

uint8_t* qvPicture::PixelAddress(int x, int y) {
  int w, h, depth, headerSize;
  uint8_t* base;
  if (hasBitmap) {
    w = header.biWidth;
    h = header.biHeight;
    depth = header.biBitCount;
    base = bits;
  } else {
    if (!ResourceHeader(w, h, depth, headerSize)) return nullptr;
    base = static_cast<uint8_t*>(LockResource(resource)) + sizeof(BITMAPINFOHEADER);
  }
  if (!base || depth < 16 || x < 0 || y < 0 || x >= w || y >= std::abs(h)) return nullptr;
  const int bytes = depth / 8;
  const int stride = (w * bytes + 3) & ~3;
  const int row = h < 0 ? y : h - 1 - y;
  return base + static_cast<size_t>(row) * stride + static_cast<size_t>(x) * bytes;
}

void qvPicture::LoadBitmapResource(int id, bool convert) {
  ReleaseResource();
  if (id != 0) resourceId = id;
  if (resourceId == 0) return;
  LoadResource();
  if (!convert) return;
  int w, h, depth, headerSize;
  if (!ResourceHeader(w, h, depth, headerSize)) return;
  const uint8_t* pixels = ResourceBits();
  const int rows = std::abs(h);
  CreateBitmap(w, depth, rows);
  // The resource is stored bottom row first unless its height is negative;
  // the own bitmap is top row first.
  if (pixels && depth >= 8) {
    const int stride = (w * (depth / 8) + 3) & ~3;
    for (int r = 0; r < rows; ++r)
      std::memcpy(bits + static_cast<size_t>(r) * stride, pixels + static_cast<size_t>(h < 0 ? r : rows - 1 - r) * stride,
                  stride);
  }
  ReleaseResource();
  resourceId = 0;
}

void qvPicture::Reset() {
  height = 0;
  width = 0;
  resource = nullptr;
  resourceId = 0;
  hasBitmap = 0;
  bitmap = nullptr;
  bits = nullptr;
  header = {};
}

void qvPicture::ReleaseResource() {
  if (resource) FreeResource(resource);
  resource = nullptr;
}

void qvPicture::ReleaseBitmap() {
  if (bitmap) DeleteObject(bitmap);
  bitmap = nullptr;
}

uint8_t* qvPicture::ResourceBits() {
  int w, h, depth, headerSize;
  if (!ResourceHeader(w, h, depth, headerSize)) return nullptr;
  return static_cast<uint8_t*>(LockResource(resource)) + headerSize + ColorTableSize();
}

int qvPicture::ColorTableSize() {
  if (!resource) return 0;
  int w, h, depth, headerSize;
  ResourceHeader(w, h, depth, headerSize);
  return ColorsUsed() * (headerSize == sizeof(BITMAPINFOHEADER) ? 4 : 3);
}

int qvPicture::ColorsUsed() {
  int w, h, depth, headerSize;
  if (!ResourceHeader(w, h, depth, headerSize)) return 0;
  if (headerSize == sizeof(BITMAPINFOHEADER)) {
    BITMAPINFOHEADER info;
    std::memcpy(&info, LockResource(resource), sizeof info);
    if (info.biClrUsed != 0) return static_cast<int>(info.biClrUsed);
  }
  switch (depth) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}
