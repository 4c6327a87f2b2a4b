#include "imagelib/OpenImage.h"

#include <cstring>

#include "imagelib/JpegReader.h"
#include "imagelib/SgiReader.h"
#include "imagelib/TargaReader.h"

namespace {

struct Extension {
  const char* text;
  int format;
};

constexpr Extension kExtensions[] = {
    {".rgba", kFormatSgi},  {".rgb", kFormatSgi},     {".sgi", kFormatSgi},
    {".tif", kFormatTiff},  {".tiff", kFormatTiff},   {".tga", kFormatTarga},
    {".targa", kFormatTarga}, {".jpg", kFormatJpeg},  {".jpeg", kFormatJpeg},
    {".shd", kFormatShd},
};

constexpr size_t kMaxExtension = 15;

}  // namespace

int ImageTypeFromName(const char* name) {
  if (!name) return kFormatUnknown;
  const char* dot = std::strrchr(name, '.');
  if (!dot) return kFormatUnknown;
  const size_t length = std::strlen(dot);
  if (length > kMaxExtension) return kFormatUnknown;

  char lower[kMaxExtension + 1];
  for (size_t i = 0; i <= length; ++i) {
    char c = dot[i];
    lower[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  for (const Extension& e : kExtensions) {
    if (std::strcmp(lower, e.text) == 0) return e.format;
  }
  return kFormatUnknown;
}

RasterImage* OpenImage(RasterImage* image, const char* name) { return OpenImageAtLeast(image, name, 0, 0); }

RasterImage* OpenImageAtLeast(RasterImage* image, const char* name, int32_t minWidth, int32_t minHeight) {
  InitImage(image);
  if (!name || std::strlen(name) >= kImageNameSize) return image;
  std::strcpy(image->path, name);

  switch (ImageTypeFromName(image->path)) {
    case kFormatSgi: ReadSgiFile(image, image->path); break;
    case kFormatTarga: ReadTargaFile(image, image->path); break;
    case kFormatJpeg: ReadJpegFileAtLeast(image, image->path, minWidth, minHeight); break;
    default: break;
  }
  if (image->store) std::strcpy(image->sourcePath, name);
  return image;
}

RasterImage* DecodeImageAtLeast(RasterImage* image, const char* name, const uint8_t* data, size_t size,
                                int32_t minWidth, int32_t minHeight) {
  InitImage(image);
  if (!name || std::strlen(name) >= kImageNameSize) return image;
  std::strcpy(image->path, name);
  switch (ImageTypeFromName(image->path)) {
    case kFormatSgi: DecodeSgi(image, data, size); break;
    case kFormatTarga: DecodeTarga(image, data, size); break;
    case kFormatJpeg: DecodeJpegAtLeast(image, data, size, minWidth, minHeight); break;
    default: break;
  }
  if (image->store) std::strcpy(image->sourcePath, name);
  return image;
}
