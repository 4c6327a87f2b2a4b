// The JPEG reader: decodes a JPEG stream with libjpeg into an RGB RasterImage
// (type kPixelRgb8), bottom row first like every reader of the library.
// Greyscale streams come out as RGB; CMYK streams, and streams whose image
// is larger than kMaxImageSide or kMaxImagePixels, or needs more decoder
// memory or scans than the limits below, leave the record empty.
//
// A stream that breaks off still gives an image of its full size. In a
// single-scan stream the rows from the one being decoded when the data ran
// short stay black (libjpeg itself would fill them with mid-grey blocks); a
// multi-scan (progressive) stream is taken in whole before its first row
// comes out, so its rows show whatever scans arrived. An error after the
// pixels were allocated likewise keeps the rows read so far.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imagelib/RasterImage.h"

// The largest file ReadJpegFile takes into memory.
constexpr size_t kMaxJpegFileBytes = size_t{256} << 20;
// Memory libjpeg may use beside the image (progressive streams keep all
// their coefficients), and the most scans a stream may have.
constexpr long kMaxJpegDecoderMemory = 256L << 20;
constexpr int kMaxJpegScans = 256;

// Decodes the `size` bytes at `data` into `image`, which is emptied first.
// Returns 0 when the record holds an image, -1 when it stayed empty.
int DecodeJpeg(RasterImage* image, const uint8_t* data, size_t size);

// DecodeJpeg for a picture that will be shown at minWidth x minHeight: the
// decoder reduces the image by 2, 4 or 8 as it decodes (far cheaper than
// decoding it whole and resampling) as long as both sides stay at least
// that large. A side of 0 or less asks for the full size.
int DecodeJpegAtLeast(RasterImage* image, const uint8_t* data, size_t size, int32_t minWidth, int32_t minHeight);
// The reduction (1, 2, 4 or 8) DecodeJpegAtLeast uses for an image of
// width x height; sides are rounded up, as the decoder rounds them.
unsigned ReductionFor(uint32_t width, uint32_t height, int32_t minWidth, int32_t minHeight);

// Reads the whole file at `path` and decodes it as DecodeJpeg does. Returns
// 0 when the record holds an image, -1 when the file could not be read whole
// or did not decode.
int ReadJpegFile(RasterImage* image, const char* path);
// The same, decoded as DecodeJpegAtLeast does.
int ReadJpegFileAtLeast(RasterImage* image, const char* path, int32_t minWidth, int32_t minHeight);
