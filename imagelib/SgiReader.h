// The SGI image reader: verbatim (uncompressed) SGI files of one byte per
// channel with three channels (an RGB image, kPixelRgb8) or four (RGBA,
// kPixelRgba8). The file holds each channel as a plane of rows, bottom row
// first, which is the library's own row order. Run-length SGI files,
// colour-mapped files, other channel counts and sizes, and files that end
// before the last plane leave the record empty; bytes after the last plane
// are ignored.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imagelib/RasterImage.h"

constexpr size_t kSgiHeaderBytes = 512;
constexpr uint16_t kSgiMagic = 474;
// The largest file ReadSgiFile takes into memory: the largest image the
// library holds, four channels, and its header.
constexpr size_t kMaxSgiFileBytes = kSgiHeaderBytes + (size_t{1} << 30);

// Decodes the `size` bytes at `data` into `image`, which is emptied first.
// The header's size is checked against the library's limits and against
// the bytes present before any pixel memory is asked for. Returns 0 when
// the record holds an image, -1 when it stayed empty.
int DecodeSgi(RasterImage* image, const uint8_t* data, size_t size);

// Reads the whole file at `path` and decodes it as DecodeSgi does.
int ReadSgiFile(RasterImage* image, const char* path);
