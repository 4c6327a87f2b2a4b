// Pixel access for RasterImage: raw copies of the stored bytes, and reads and
// writes in ColorF, the library's floating-point colour, with one conversion
// per pixel layout. Resampling and the pictures' blending all go through
// these, so the conversion rules live here once.
//
// Every accessor clamps its coordinates: a position outside the image is
// moved to the nearest edge pixel and the call returns -1 instead of 0. An
// image without pixels (no store, no rows or columns, or a type whose pixel
// size does not match the store) is never touched: reads give zeros and
// every call returns -1.
#pragma once

#include <cstdint>

#include "imagelib/RasterImage.h"

// Red, green, blue and alpha, nominally in 0..1.
struct ColorF {
  float red = 0;
  float green = 0;
  float blue = 0;
  float alpha = 0;
};

// Copy store->bytesPerPixel bytes between the pixel and `out` / `in`.
int GetPixelRaw(PixelStore* store, int x, int y, void* out);
int SetPixelRaw(PixelStore* store, int x, int y, const void* in);

// Reading scales each stored byte by 1/255 and each 16-bit word by the
// single-precision 0.000015259; an RGB pixel reads with alpha 1. Writing
// takes trunc(c * 256) for bytes and trunc(c * 65536) for words, clamped to
// the component's range (NaN writes 0), so 1.0 stores 255 and 0.5 stores 128.
// Float pixels are copied unchanged. Types 4 and 5 read (0, 0, 0, 0) and
// write sixteen zero bytes. Types without pixels read zeros, write nothing
// and return -1.
int GetPixelColor(const RasterImage* image, int x, int y, ColorF* out);
int SetPixelColor(RasterImage* image, int x, int y, const ColorF& color);

// The byte conversions of those rules, for code that walks 8-bit pixels
// itself and must give the same results.
constexpr float kComponentPerByte = 0.003921569f;  // 1 / 255
uint8_t ComponentToByte(float c);
