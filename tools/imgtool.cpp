// imgtool: opens an image file the way the installer does and writes what it
// got as a binary PPM (or, for an OUTPUT ending in ".pam", a PAM with alpha),
// top row first, so that the image library can be checked from outside and a
// background picture looked at before shipping. It also writes an image as a
// picture thumbnail, in any of its four layouts, and reads one back.
//
//   imgtool INPUT OUTPUT.ppm|OUTPUT.pam
//   imgtool --resample WIDTH HEIGHT INPUT OUTPUT.ppm|OUTPUT.pam
//   imgtool --thumbnail LAYOUT [--resample WIDTH HEIGHT] INPUT OUTPUT
//   imgtool --read-thumbnail [--four-bytes] INPUT OUTPUT.ppm
//
// LAYOUT is a thumbnail keyword: Thumbnail, BinaryThumbnail, JPEGThumbnail
// or JPEGBinaryThumbnail. --four-bytes reads pixel thumbnails of four bytes
// per pixel.
//
// Exit status: 0 when the image opened and was written, 1 when it did not
// open or the memory for it could not be had, 2 on a usage error, 3 when the
// output file could not be written.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "imagelib/ImageOps.h"
#include "imagelib/OpenImage.h"
#include "imagelib/RasterImage.h"
#include "toolkit/files/BitmapRows.h"
#include "toolkit/files/Thumbnail.h"
#include "toolkit/files/ThumbnailStream.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: imgtool INPUT OUTPUT.ppm|OUTPUT.pam\n"
               "       imgtool --resample WIDTH HEIGHT INPUT OUTPUT.ppm|OUTPUT.pam\n"
               "       imgtool --thumbnail LAYOUT [--resample WIDTH HEIGHT] INPUT OUTPUT\n"
               "       imgtool --read-thumbnail [--four-bytes] INPUT OUTPUT.ppm\n"
               "LAYOUT: Thumbnail, BinaryThumbnail, JPEGThumbnail or JPEGBinaryThumbnail\n");
  return 2;
}

bool ParseSide(const char* text, int* out) {
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(text, &end, 10);
  if (errno || end == text || *end || v < 1 || v > kMaxImageSide) return false;
  *out = static_cast<int>(v);
  return true;
}

bool EndsWith(const char* text, const char* end) {
  const size_t n = std::strlen(text), m = std::strlen(end);
  return n >= m && std::strcmp(text + n - m, end) == 0;
}

// P6 with a maximum of 255 from an RGB image, or P7 RGB_ALPHA from an RGBA
// image, row by row.
bool WriteNetpbm(const RasterImage& image, const char* path) {
  std::FILE* out = std::fopen(path, "wb");
  if (!out) return false;
  const PixelStore& store = *image.store;
  const bool alpha = image.type == kPixelRgba8;
  const int header = alpha ? std::fprintf(out, "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n",
                                          store.width, store.height)
                           : std::fprintf(out, "P6\n%d %d\n255\n", store.width, store.height);
  const bool ok = header > 0 && std::fwrite(store.data, 1, store.ByteCount(), out) == store.ByteCount();
  return std::fclose(out) == 0 && ok;
}

// The rows of a top-row-first BGR bitmap as a binary PPM.
bool WriteBitmapPpm(const BitmapRows& rows, const char* path) {
  std::FILE* out = std::fopen(path, "wb");
  if (!out) return false;
  bool ok = std::fprintf(out, "P6\n%d %d\n255\n", rows.width, rows.height) > 0;
  std::vector<uint8_t> rgb(size_t(rows.width) * 3);
  for (int32_t y = 0; ok && y < rows.height; ++y) {
    SwapRedBlue(rows.Row(y), rgb.data(), size_t(rows.width), rows.bytesPerPixel);
    ok = std::fwrite(rgb.data(), 1, rgb.size(), out) == rgb.size();
  }
  return std::fclose(out) == 0 && ok;
}

int OutOfMemory(int width, int height) {
  std::fprintf(stderr, "imgtool: not enough memory for a %d x %d image\n", width, height);
  return 1;
}

int ReadThumbnail(const char* input, const char* output, bool fourBytes) {
  FileThumbnailStream stream(input, false);
  int32_t width = 0, height = 0;
  bool binary = false, jpeg = false;
  if (!stream.IsOpen() || !ReadThumbnailHeader(stream, &width, &height, &binary, &jpeg)) {
    std::fprintf(stderr, "imgtool: %s: not a thumbnail\n", input);
    return 1;
  }
  BitmapBuffer picture;
  if (!picture.Make(width, height)) return OutOfMemory(width, height);
  const int read = jpeg ? ReadJpegThumbnail(stream, picture.Rows(), binary)
                        : ReadThumbnailPixels(stream, picture.Rows(), binary, fourBytes);
  if (read != 0) {
    std::fprintf(stderr, "imgtool: %s: the thumbnail's pixels do not read\n", input);
    return 1;
  }
  if (!WriteBitmapPpm(picture.Rows(), output)) {
    std::fprintf(stderr, "imgtool: cannot write %s\n", output);
    return 3;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int width = 0;
  int height = 0;
  bool resample = false, readThumbnail = false, fourBytes = false, thumbnail = false;
  bool thumbnailBinary = false, thumbnailJpeg = false;
  int i = 1;
  for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
    const std::string option = argv[i];
    if (option == "--resample" && i + 2 < argc && !resample) {
      if (!ParseSide(argv[i + 1], &width) || !ParseSide(argv[i + 2], &height)) return Usage();
      if (int64_t{width} * height > kMaxImagePixels) return Usage();
      resample = true;
      i += 2;
    } else if (option == "--thumbnail" && i + 1 < argc && !thumbnail) {
      if (!ThumbnailLayoutFromKeyword(argv[++i], &thumbnailBinary, &thumbnailJpeg)) return Usage();
      thumbnail = true;
    } else if (option == "--read-thumbnail" && !readThumbnail) {
      readThumbnail = true;
    } else if (option == "--four-bytes" && !fourBytes) {
      fourBytes = true;
    } else {
      return Usage();
    }
  }
  if (argc - i != 2 || (readThumbnail && (resample || thumbnail)) || (fourBytes && !readThumbnail)) return Usage();
  const char* input = argv[i];
  const char* output = argv[i + 1];
  if (readThumbnail) return ReadThumbnail(input, output, fourBytes);

  RasterImage image;
  OpenImage(&image, input);
  if (!image.store) {
    std::fprintf(stderr, "imgtool: %s: not an image this library reads\n", input);
    return 1;
  }

  // Thumbnails and PPM files take RGB, PAM files RGBA; any other layout or
  // size goes through the library's resampling and colour conversion (to
  // the same size, it copies the pixels).
  const uint32_t type = !thumbnail && EndsWith(output, ".pam") ? kPixelRgba8 : kPixelRgb8;
  RasterImage converted;
  RasterImage* result = &image;
  if (resample || image.type != type) {
    if (!resample) {
      width = image.width;
      height = image.height;
    }
    if (!TryAllocatePixels(&converted, width, height, type) || ResampleImage(&converted, &image) != 0) {
      return OutOfMemory(width, height);
    }
    result = &converted;
  }
  FlipImageVertically(result);

  if (thumbnail) {
    BitmapBuffer picture;
    if (!picture.Make(result->width, result->height)) return OutOfMemory(result->width, result->height);
    for (int32_t y = 0; y < result->height; ++y) {
      SwapRedBlue(result->store->Pixel(0, y), picture.Rows().Row(y), size_t(result->width));
    }
    FileThumbnailStream stream(output, true);
    if (WriteThumbnail(stream, picture.Rows(), thumbnailBinary, thumbnailJpeg) != 0 || !stream.Close()) {
      std::fprintf(stderr, "imgtool: cannot write %s\n", output);
      return 3;
    }
    return 0;
  }
  if (!WriteNetpbm(*result, output)) {
    std::fprintf(stderr, "imgtool: cannot write %s\n", output);
    return 3;
  }
  return 0;
}
