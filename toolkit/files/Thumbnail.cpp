#include "toolkit/files/Thumbnail.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "imagelib/RasterImage.h"
#include "toolkit/files/PictureJpeg.h"

namespace {

struct Keyword {
  const char* text;
  ThumbnailLayout layout;
  bool binary, jpeg;
};

constexpr Keyword kKeywords[] = {
    {"JPEGThumbnail", ThumbnailLayout::kJpegText, false, true},
    {"JPEGBinaryThumbnail", ThumbnailLayout::kJpegBinary, true, true},
    {"Thumbnail", ThumbnailLayout::kPixelsText, false, false},
    {"BinaryThumbnail", ThumbnailLayout::kPixelsBinary, true, false},
};

constexpr char kSizeLine[] = "ThumbnailSize";

// The value of one hexadecimal digit, or -1.
int HexValue(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A side of 1 .. kMaxImageSide in decimal digits at *text, which moves past
// them.
bool ParseSide(const char** text, long* side) {
  long v = 0;
  const char* p = *text;
  for (; *p >= '0' && *p <= '9'; ++p) {
    v = v * 10 + (*p - '0');
    if (v > kMaxImageSide) return false;
  }
  if (p == *text || v == 0) return false;
  *text = p;
  *side = v;
  return true;
}

// Turns 2 * count digits into count bytes, in place; false at a non-digit.
bool HexToBytes(uint8_t* text, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const int high = HexValue(text[2 * i]), low = HexValue(text[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    text[i] = static_cast<uint8_t>(high << 4 | low);
  }
  return true;
}

// Reads `count` bytes, or their 2 * count hexadecimal digits, into `out`,
// which has room for 2 * count bytes in the text form.
bool ReadPiece(ThumbnailStream& stream, uint8_t* out, size_t count, bool binary) {
  if (binary) return stream.ReadBytes(out, count) == count;
  return stream.ReadBytes(out, 2 * count) == 2 * count && HexToBytes(out, count);
}

}  // namespace

const char* ThumbnailKeyword(ThumbnailLayout layout) {
  for (const Keyword& k : kKeywords) {
    if (k.layout == layout) return k.text;
  }
  return "";
}

bool ThumbnailLayoutFromKeyword(const char* keyword, bool* binary, bool* jpeg) {
  for (const Keyword& k : kKeywords) {
    if (std::strcmp(keyword, k.text) == 0) {
      *binary = k.binary;
      *jpeg = k.jpeg;
      return true;
    }
  }
  return false;
}

int WriteThumbnail(ThumbnailStream& stream, const BitmapRows& picture, bool binary, bool jpeg) {
  if (picture.Empty()) return -1;
  const ThumbnailLayout layout = jpeg ? (binary ? ThumbnailLayout::kJpegBinary : ThumbnailLayout::kJpegText)
                                      : (binary ? ThumbnailLayout::kPixelsBinary : ThumbnailLayout::kPixelsText);
  char line[64];
  std::snprintf(line, sizeof line, "%s %d %d\n", kSizeLine, int(picture.width), int(picture.height));
  bool ok = stream.WriteText(line) && stream.WriteText(ThumbnailKeyword(layout)) && stream.WriteText("\n");

  if (jpeg) {
    std::vector<uint8_t> encoded;
    if (EncodePictureJpeg(picture, &encoded) != 0) return -1;
    const uint64_t length = binary ? encoded.size() : 2 * uint64_t(encoded.size());
    if (length > INT32_MAX) return -1;
    std::snprintf(line, sizeof line, "%d\n", int(length));
    ok = ok && stream.WriteText(line);
    ok = ok && (binary ? stream.WriteBytes(encoded.data(), encoded.size())
                       : stream.WriteHex(encoded.data(), encoded.size()) && stream.WriteText("\n"));
    return ok ? 0 : -1;
  }

  std::vector<uint8_t> row;
  try {
    row.resize(size_t(picture.width) * 3);
  } catch (const std::bad_alloc&) {
    return -1;
  }
  for (int32_t y = 0; ok && y < picture.height; ++y) {
    const uint8_t* stored = picture.Row(y);
    for (int32_t x = 0; x < picture.width; ++x, stored += picture.bytesPerPixel) {
      std::memcpy(&row[size_t(x) * 3], stored, 3);
    }
    ok = binary ? stream.WriteBytes(row.data(), row.size())
                : stream.WriteHex(row.data(), row.size()) && stream.WriteText("\n");
  }
  return ok ? 0 : -1;
}

bool ReadThumbnailHeader(ThumbnailStream& stream, int32_t* width, int32_t* height, bool* binary, bool* jpeg) {
  char line[64];
  if (!stream.ReadLine(line, sizeof line)) return false;
  // "ThumbnailSize", one space, the width, one space, the height.
  const size_t keyword = sizeof kSizeLine - 1;
  if (std::strncmp(line, kSizeLine, keyword) != 0 || line[keyword] != ' ') return false;
  const char* text = line + keyword + 1;
  long w = 0, h = 0;
  if (!ParseSide(&text, &w) || *text++ != ' ' || !ParseSide(&text, &h) || *text != '\0') return false;
  size_t bytes = 0;
  if (!ImageByteCount(w, h, 3, &bytes)) return false;
  if (!stream.ReadLine(line, sizeof line) || !ThumbnailLayoutFromKeyword(line, binary, jpeg)) return false;
  *width = w;
  *height = h;
  return true;
}

int ReadThumbnailPixels(ThumbnailStream& stream, const BitmapRows& picture, bool binary, bool fourBytes) {
  if (picture.Empty()) return -1;
  const size_t pixelBytes = fourBytes ? 4 : 3;
  // Whole pixels per piece: a piece and its digits fit the line buffer.
  const size_t piecePixels = kThumbnailLineBuffer / (pixelBytes * (binary ? 1 : 2));
  uint8_t buffer[kThumbnailLineBuffer];
  for (int32_t y = 0; y < picture.height; ++y) {
    // The text form's rows are lines: the line end before a row is skipped.
    if (!binary && !stream.SkipBlanks()) return -1;
    uint8_t* out = picture.Row(y);
    for (size_t done = 0; done < size_t(picture.width);) {
      const size_t count = std::min(piecePixels, size_t(picture.width) - done);
      if (!ReadPiece(stream, buffer, count * pixelBytes, binary)) return -1;
      const uint8_t* in = buffer;
      for (size_t i = 0; i < count; ++i, in += pixelBytes, out += picture.bytesPerPixel) {
        if (fourBytes) {
          out[0] = in[3];  // (ignored, red, green, blue) into blue, green, red
          out[1] = in[2];
          out[2] = in[1];
        } else {
          std::memcpy(out, in, 3);
        }
      }
      done += count;
    }
  }
  return 0;
}

int ReadJpegThumbnail(ThumbnailStream& stream, const BitmapRows& picture, bool binary) {
  if (picture.Empty()) return -1;
  int32_t length = 0;
  if (!stream.ReadInteger(&length) || length <= 0 || (!binary && length % 2 != 0)) return -1;
  if (!binary && !stream.SkipBlanks()) return -1;
  const size_t bytes = binary ? size_t(length) : size_t(length) / 2;
  std::vector<uint8_t> encoded;
  uint8_t piece[kThumbnailLineBuffer];
  try {
    while (encoded.size() < bytes) {
      const size_t count = std::min(bytes - encoded.size(), sizeof piece / 2);
      if (!ReadPiece(stream, piece, count, binary)) return -1;
      encoded.insert(encoded.end(), piece, piece + count);
    }
  } catch (const std::bad_alloc&) {
    return -1;
  }
  return DecodeJpegIntoPicture(encoded.data(), encoded.size(), picture);
}
