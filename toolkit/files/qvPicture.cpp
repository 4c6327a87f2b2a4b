#include "toolkit/files/qvPicture.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "common/ModuleInstance.h"
#include "toolkit/draw/qvDevice.h"
#include "toolkit/files/Thumbnail.h"
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

namespace {

// The palette entries a bitmap of this depth has when its header does not
// say: 2, 16 or 256 below 16 bits, none above.
int DefaultColors(int depth) {
  switch (depth) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

}  // namespace

void qvPicture::LoadResource() {
  layout = ResourceLayout();
  const HINSTANCE module = ModuleInstance();
  const HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resourceId), reinterpret_cast<LPCSTR>(RT_BITMAP));
  if (!found) return;
  resource = ::LoadResource(module, found);
  const auto* data = static_cast<const uint8_t*>(resource ? LockResource(resource) : nullptr);
  const DWORD size = SizeofResource(module, found);
  if (!data || size < sizeof(DWORD)) return;

  DWORD headerSize;
  std::memcpy(&headerSize, data, sizeof headerSize);
  if (headerSize == sizeof(BITMAPINFOHEADER)) {
    if (size < sizeof(BITMAPINFOHEADER)) return;
    BITMAPINFOHEADER info;
    std::memcpy(&info, data, sizeof info);
    layout.width = info.biWidth;
    layout.height = info.biHeight;
    layout.depth = info.biBitCount;
    layout.colorsUsed = info.biClrUsed != 0 ? static_cast<int>(info.biClrUsed) : DefaultColors(info.biBitCount);
  } else {
    if (size < sizeof(BITMAPCOREHEADER)) return;
    BITMAPCOREHEADER core;
    std::memcpy(&core, data, sizeof core);
    layout.width = core.bcWidth;
    layout.height = core.bcHeight;
    layout.depth = core.bcBitCount;
    layout.colorsUsed = DefaultColors(core.bcBitCount);
  }
  layout.headerSize = static_cast<int>(headerSize);
  layout.data = data;
}

void qvPicture::CreateBitmap(int w, int depth, int h) {
  // The platform takes the image size as 32 bits; a bitmap whose padded
  // rows need more cannot exist.
  const uint64_t imageSize = uint64_t(BitmapStride(w, depth)) * uint64_t(h < 0 ? 0 : h);
  if (w <= 0 || h <= 0 || imageSize > 0xFFFFFFFFu) throw -1;
  BITMAPINFOHEADER made = {};
  made.biSize = sizeof made;
  made.biWidth = w;
  made.biHeight = -h;
  made.biPlanes = 1;
  made.biBitCount = static_cast<WORD>(depth);
  made.biCompression = BI_RGB;
  made.biSizeImage = static_cast<DWORD>(imageSize);
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

BitmapRows qvPicture::Rows() const {
  BitmapRows rows;
  if (!hasBitmap || !bits) return rows;
  rows.bits = bits;
  rows.width = header.biWidth;
  rows.height = height;
  rows.bytesPerPixel = header.biBitCount == 32 ? 4 : 3;
  rows.stride = static_cast<size_t>(BitmapStride(header.biWidth, header.biBitCount));
  rows.topDown = header.biHeight < 0;
  return rows;
}

int qvPicture::PixelHeight() {
  if (hasBitmap) return height;
  return Layout() ? std::abs(layout.height) : 0;
}

int qvPicture::PixelWidth() {
  if (hasBitmap) return width;
  return Layout() ? layout.width : 0;
}

int qvPicture::DrawAt(qvDevice& device, int x, int y, int span) {
  const HDC dc = device.GetContext();
  const qvBitmapOrientation kept(dc);
  if (hasBitmap) {
    SetDIBitsToDevice(dc, x, y, header.biWidth, height, 0, 0, 0, height, bits,
                      reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    return 1;
  }
  uint8_t* pixels = ResourceBits();
  if (!pixels || layout.width <= 0) return 1;
  const int tileWidth = layout.width, tileHeight = layout.height;
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

int qvPicture::DrawScaledAt(qvDevice& device, int x, int y, int span, int dpi) {
  if (hasBitmap || dpi == 96) return DrawAt(device, x, y, span);
  uint8_t* pixels = ResourceBits();
  if (!pixels || layout.width <= 0 || layout.height == 0) return 1;
  const int sourceHeight = layout.height < 0 ? -layout.height : layout.height;
  const int tileWidth = MulDiv(layout.width, dpi, 96), tileHeight = MulDiv(sourceHeight, dpi, 96);
  if (tileWidth <= 0 || tileHeight <= 0) return 1;
  qvHandleLocker locker(resource, true);
  locker.Lock();
  auto* info = static_cast<BITMAPINFO*>(locker.pointer);
  const HDC dc = device.GetContext();
  const qvBitmapOrientation kept(dc);
  const int previousMode = SetStretchBltMode(dc, HALFTONE);
  POINT previousOrigin;
  SetBrushOrgEx(dc, 0, 0, &previousOrigin);
  if (span == 0) span = tileWidth;
  for (int tileX = x; tileX < x + span; tileX += tileWidth) {
    const int placed = std::min(tileX, x + span - tileWidth);
    StretchDIBits(dc, placed, y, tileWidth, tileHeight, 0, 0, layout.width, sourceHeight, pixels, info,
                  DIB_RGB_COLORS, SRCCOPY);
  }
  SetBrushOrgEx(dc, previousOrigin.x, previousOrigin.y, nullptr);
  if (previousMode) SetStretchBltMode(dc, previousMode);
  return 1;
}

bool qvPicture::DrawRect(qvDevice& device, const qvRect& source, const qvRect& destination) {
  RECT from, to;
  const_cast<qvRect&>(source).ToRECT(&from);
  const_cast<qvRect&>(destination).ToRECT(&to);
  const int w = from.right - from.left, h = from.bottom - from.top;
  const qvBitmapOrientation kept(device.GetContext());
  if (hasBitmap) {
    // SetDIBitsToDevice counts the source's y from the bottom edge, a
    // top-down bitmap included; all rows are passed.
    SetDIBitsToDevice(device.GetContext(), to.left, to.top, w, h, from.left, height - from.bottom, 0, height, bits,
                      reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    return true;
  }
  uint8_t* pixels = ResourceBits();
  if (!pixels) return true;
  qvHandleLocker locker(resource, true);
  locker.Lock();
  const int rows = std::abs(layout.height);
  SetDIBitsToDevice(device.GetContext(), to.left, to.top, w, h, from.left, rows - from.bottom, 0, rows, pixels,
                    static_cast<BITMAPINFO*>(locker.pointer), DIB_RGB_COLORS);
  return true;
}

int qvPicture::ReadThumbnailPixels(ThumbnailStream& stream, bool binary, bool fourBytes) {
  return ::ReadThumbnailPixels(stream, Rows(), binary, fourBytes);
}

int qvPicture::ReadJpegThumbnail(ThumbnailStream& stream, bool binary) {
  return ::ReadJpegThumbnail(stream, Rows(), binary);
}

int qvPicture::WriteThumbnail(ThumbnailStream& stream, bool binary, bool jpeg) {
  return ::WriteThumbnail(stream, Rows(), binary, jpeg);
}

uint8_t* qvPicture::PixelAddress(int x, int y) {
  int w, h, depth;
  uint8_t* base;
  if (hasBitmap) {
    w = header.biWidth;
    h = header.biHeight;
    depth = header.biBitCount;
    base = bits;
  } else {
    if (!Layout()) return nullptr;
    w = layout.width;
    h = layout.height;
    depth = layout.depth;
    // Past the header only: the 24-bit resources the program holds have no
    // colour table.
    base = const_cast<uint8_t*>(layout.data) + sizeof(BITMAPINFOHEADER);
  }
  if (!base || depth < 16 || x < 0 || y < 0 || x >= w || y >= std::abs(h)) return nullptr;
  const int row = h < 0 ? y : std::abs(h) - 1 - y;
  return base + static_cast<size_t>(row) * static_cast<size_t>(BitmapStride(w, depth)) +
         static_cast<size_t>(x) * static_cast<size_t>(depth / 8);
}

void qvPicture::LoadBitmapResource(int id, bool convert) {
  ReleaseResource();
  if (id != 0) resourceId = id;
  if (resourceId == 0) return;
  LoadResource();
  if (!convert || !Layout()) return;
  const ResourceLayout from = layout;
  const uint8_t* pixels = ResourceBits();
  const int rows = std::abs(from.height);
  CreateBitmap(from.width, from.depth, rows);
  // The resource is stored bottom row first unless its height is negative;
  // the own bitmap is top row first.
  if (pixels && from.depth >= 8) {
    const size_t stride = static_cast<size_t>(BitmapStride(from.width, from.depth));
    for (int r = 0; r < rows; ++r)
      std::memcpy(bits + static_cast<size_t>(r) * stride,
                  pixels + static_cast<size_t>(from.height < 0 ? r : rows - 1 - r) * stride, stride);
  }
  ReleaseResource();
  resourceId = 0;
}

void qvPicture::Reset() {
  layout = ResourceLayout();
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
  layout = ResourceLayout();
}

void qvPicture::ReleaseBitmap() {
  if (bitmap) DeleteObject(bitmap);
  bitmap = nullptr;
}

uint8_t* qvPicture::ResourceBits() {
  if (!Layout()) return nullptr;
  return const_cast<uint8_t*>(layout.data) + layout.headerSize + ColorTableSize();
}

int qvPicture::ColorTableSize() {
  if (!Layout()) return 0;
  return ColorsUsed() * (layout.headerSize == sizeof(BITMAPINFOHEADER) ? 4 : 3);
}

int qvPicture::ColorsUsed() { return Layout() ? layout.colorsUsed : 0; }
