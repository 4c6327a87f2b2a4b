#include "imagelib/PixelAccess.h"

#include <cstring>
#include <iterator>

namespace {

constexpr float kByteScale = kComponentPerByte;
constexpr float kWordScale = 0.000015259f;   // 1 / 65535, a little under

// trunc(c * scale) clamped to 0..top; the comparisons come first so that no
// out-of-range or NaN value reaches the integer conversion.
uint32_t ToComponent(float c, float scale, uint32_t top) {
  float v = c * scale;
  if (!(v > 0.0f)) return 0;
  if (v >= static_cast<float>(top)) return top;
  return static_cast<uint32_t>(v);
}

uint8_t ToByte(float c) { return static_cast<uint8_t>(ToComponent(c, 256.0f, 255)); }

uint16_t ToWord(float c) { return static_cast<uint16_t>(ToComponent(c, 65536.0f, 65535)); }

ColorF ReadRgb8(const uint8_t* p) {
  return {p[0] * kByteScale, p[1] * kByteScale, p[2] * kByteScale, 1.0f};
}

void WriteRgb8(uint8_t* p, const ColorF& c) {
  p[0] = ToByte(c.red);
  p[1] = ToByte(c.green);
  p[2] = ToByte(c.blue);
}

ColorF ReadRgba8(const uint8_t* p) {
  return {p[0] * kByteScale, p[1] * kByteScale, p[2] * kByteScale, p[3] * kByteScale};
}

void WriteRgba8(uint8_t* p, const ColorF& c) {
  WriteRgb8(p, c);
  p[3] = ToByte(c.alpha);
}

ColorF ReadArgb8(const uint8_t* p) {
  return {p[1] * kByteScale, p[2] * kByteScale, p[3] * kByteScale, p[0] * kByteScale};
}

void WriteArgb8(uint8_t* p, const ColorF& c) {
  p[0] = ToByte(c.alpha);
  WriteRgb8(p + 1, c);
}

ColorF ReadArgb16(const uint8_t* p) {
  uint16_t w[4];
  std::memcpy(w, p, sizeof w);
  return {w[1] * kWordScale, w[2] * kWordScale, w[3] * kWordScale, w[0] * kWordScale};
}

void WriteArgb16(uint8_t* p, const ColorF& c) {
  uint16_t w[4] = {ToWord(c.alpha), ToWord(c.red), ToWord(c.green), ToWord(c.blue)};
  std::memcpy(p, w, sizeof w);
}

ColorF ReadOpaque128(const uint8_t*) { return {}; }

void WriteOpaque128(uint8_t* p, const ColorF&) { std::memset(p, 0, 16); }

ColorF ReadArgbFloat(const uint8_t* p) {
  float f[4];
  std::memcpy(f, p, sizeof f);
  return {f[1], f[2], f[3], f[0]};
}

void WriteArgbFloat(uint8_t* p, const ColorF& c) {
  float f[4] = {c.alpha, c.red, c.green, c.blue};
  std::memcpy(p, f, sizeof f);
}

struct Conversion {
  ColorF (*read)(const uint8_t*);
  void (*write)(uint8_t*, const ColorF&);
};

// Indexed by PixelType.
constexpr Conversion kConversions[] = {
    {ReadRgb8, WriteRgb8},           {ReadRgba8, WriteRgba8},
    {ReadArgb8, WriteArgb8},         {ReadArgb16, WriteArgb16},
    {ReadOpaque128, WriteOpaque128}, {ReadOpaque128, WriteOpaque128},
    {ReadArgbFloat, WriteArgbFloat},
};
static_assert(std::size(kConversions) == kPixelNone);

bool HasPixels(const PixelStore* store) {
  return store && store->width > 0 && store->height > 0;
}

// Moves (x, y) onto the nearest pixel of the store; false when it had to.
bool Clamp(const PixelStore* store, int& x, int& y) {
  bool inside = true;
  if (x < 0) x = 0, inside = false;
  if (x >= store->width) x = store->width - 1, inside = false;
  if (y < 0) y = 0, inside = false;
  if (y >= store->height) y = store->height - 1, inside = false;
  return inside;
}

// The image's store when its type matches the store's pixel size, else null.
PixelStore* ConvertibleStore(const RasterImage* image) {
  PixelStore* store = image->store;
  if (!HasPixels(store) || image->type >= kPixelNone) return nullptr;
  if (BytesPerPixel(image->type) != store->bytesPerPixel) return nullptr;
  return store;
}

}  // namespace

uint8_t ComponentToByte(float c) { return ToByte(c); }

int GetPixelRaw(PixelStore* store, int x, int y, void* out) {
  if (!HasPixels(store)) return -1;
  bool inside = Clamp(store, x, y);
  std::memcpy(out, store->Pixel(x, y), store->bytesPerPixel);
  return inside ? 0 : -1;
}

int SetPixelRaw(PixelStore* store, int x, int y, const void* in) {
  if (!HasPixels(store)) return -1;
  bool inside = Clamp(store, x, y);
  std::memcpy(store->Pixel(x, y), in, store->bytesPerPixel);
  return inside ? 0 : -1;
}

int GetPixelColor(const RasterImage* image, int x, int y, ColorF* out) {
  *out = ColorF{};
  PixelStore* store = ConvertibleStore(image);
  if (!store) return -1;
  bool inside = Clamp(store, x, y);
  *out = kConversions[image->type].read(store->Pixel(x, y));
  return inside ? 0 : -1;
}

int SetPixelColor(RasterImage* image, int x, int y, const ColorF& color) {
  PixelStore* store = ConvertibleStore(image);
  if (!store) return -1;
  bool inside = Clamp(store, x, y);
  kConversions[image->type].write(store->Pixel(x, y), color);
  return inside ? 0 : -1;
}
