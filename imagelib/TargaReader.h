// The Targa image reader: true-colour and greyscale Targa files, stored
// plainly or run-length encoded, at 8 bits (grey, read as RGB), 16 bits
// (5 bits per colour), 24 bits (RGB) or 32 bits (RGB with alpha). 8- and
// 24-bit files give kPixelRgb8 images, 16- and 32-bit files kPixelRgba8.
// The pixel depth alone decides how a pixel is read; the image type only
// whether the data is run-length encoded. Colour-mapped files are refused.
//
// The origin bits of the image descriptor are honoured: whichever corner a
// file starts in, row 0 of the image is its bottom row and column 0 its
// left column, as for every reader of the library.
//
// A run-length packet may run on from the end of one row into the next, as
// writers of the format's first version do; pixels a packet holds beyond
// the last one of the image are ignored. A file whose ID field, colour map
// or pixel data ends early leaves the record empty.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imagelib/RasterImage.h"

constexpr size_t kTargaHeaderBytes = 18;
// The largest file ReadTargaFile takes into memory: the largest image the
// library holds at 32 bits, with room for the header, ID, colour map and the
// format's trailing areas.
constexpr size_t kMaxTargaFileBytes = (size_t{1} << 30) + (size_t{1} << 20);

// Decodes the `size` bytes at `data` into `image`, which is emptied first.
// The header's size is checked against the library's limits, and against
// the least data such an image needs, before any pixel memory is asked for.
// Returns 0 when the record holds an image, -1 when it stayed empty.
int DecodeTarga(RasterImage* image, const uint8_t* data, size_t size);

// Reads the whole file at `path` and decodes it as DecodeTarga does.
int ReadTargaFile(RasterImage* image, const char* path);
