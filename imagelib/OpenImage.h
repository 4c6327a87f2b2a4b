// Opening an image file by name: the file-name extension picks the reader
// (SGI, Targa or JPEG), and the reader fills a RasterImage the caller owns. Success shows as the record
// holding a store; a failed open leaves it empty.
#pragma once

#include "imagelib/RasterImage.h"

// The format codes ImageTypeFromName gives.
enum ImageFormat : int {
  kFormatSgi = 0,      // ".rgba", ".rgb", ".sgi"
  kFormatTiff = 3,     // ".tif", ".tiff" (no reader)
  kFormatTarga = 4,    // ".tga", ".targa"
  kFormatJpeg = 5,     // ".jpg", ".jpeg"
  kFormatShd = 7,      // ".shd" (no reader)
  kFormatUnknown = 8,  // anything else, and names without an extension
};

// The format named by the text from the last '.' of `name` to its end,
// compared without regard to ASCII case. Null or empty names, names without
// a '.', and extensions of more than 15 characters give kFormatUnknown.
int ImageTypeFromName(const char* name);

// Empties the record, keeps `name` in its path and reads the file with the
// reader for its format. After a successful read sourcePath is `name` too.
// Formats without a reader, null names and names of 260 characters or more
// leave the record empty. Returns `image`.
RasterImage* OpenImage(RasterImage* image, const char* name);
// OpenImage for a picture that will be shown at minWidth x minHeight: a
// JPEG is decoded reduced where that keeps it at least that large
// (DecodeJpegAtLeast); the other formats are read whole.
RasterImage* OpenImageAtLeast(RasterImage* image, const char* name, int32_t minWidth, int32_t minHeight);
// The same over a file's bytes already read: name (the file's) picks the
// reader and becomes the record's path.
RasterImage* DecodeImageAtLeast(RasterImage* image, const char* name, const uint8_t* data, size_t size,
                                int32_t minWidth, int32_t minHeight);
