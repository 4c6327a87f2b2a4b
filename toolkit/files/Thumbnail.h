// A picture's thumbnail: its pixels in a small layout of text lines that a
// caller embeds in a stream of its own, the pixels either raw or as a JPEG
// stream, each either as bytes or as hexadecimal text:
//
//   ThumbnailSize WIDTH HEIGHT\n
//   one keyword line: JPEGThumbnail, JPEGBinaryThumbnail, Thumbnail or
//   BinaryThumbnail
//   JPEG forms: the stream's length ("%d\n"; in hexadecimal digits for
//     the text form), then the stream (the text form ends with "\n");
//   pixel forms: HEIGHT rows from the top, WIDTH pixels of blue, green, red;
//     the text form puts each row on a line of its own.
//
// Readers of the pixel forms may also take four bytes per pixel (one
// ignored, then red, green, blue), which some writers produce. Everything
// here works on a picture's rows (BitmapRows) and a ThumbnailStream; the
// picture class hands over its own bitmap.
#pragma once

#include <cstdint>

#include "toolkit/files/BitmapRows.h"
#include "toolkit/files/ThumbnailStream.h"

// The four layouts, by their keyword lines.
enum class ThumbnailLayout { kJpegText, kJpegBinary, kPixelsText, kPixelsBinary };

// The layout's keyword, without the line end.
const char* ThumbnailKeyword(ThumbnailLayout layout);
// The layout of the keyword, with `binary` and `jpeg` set from it; false for
// any other text.
bool ThumbnailLayoutFromKeyword(const char* keyword, bool* binary, bool* jpeg);

// Writes the picture as a thumbnail. Returns 0, or -1 for a picture without
// rows, a failed JPEG encoding or a stream that refused to take it all.
int WriteThumbnail(ThumbnailStream& stream, const BitmapRows& picture, bool binary, bool jpeg);

// Reads the two lines that open a thumbnail. False for anything else, and
// for sizes outside 1 .. kMaxImageSide or past kMaxImagePixels.
bool ReadThumbnailHeader(ThumbnailStream& stream, int32_t* width, int32_t* height, bool* binary, bool* jpeg);

// Reads the pixel rows that follow the header into the picture, whose size
// must be the one the header announced. Rows are read through one buffer of
// kThumbnailLineBuffer bytes, a piece at a time, so a row of any width fits.
// Returns 0, or -1 for a picture without rows, a stream that ends early, or
// text that is not hexadecimal digits; rows read before stay.
constexpr size_t kThumbnailLineBuffer = 4096;
int ReadThumbnailPixels(ThumbnailStream& stream, const BitmapRows& picture, bool binary, bool fourBytes);

// Reads the JPEG stream that follows the header and decodes it into the
// picture (DecodeJpegIntoPicture). The stream is read in pieces as it
// arrives, never sized by the length it announces. Returns 0, or -1 for a
// picture without rows, a length that is missing, not positive or odd (text
// form), a stream that ends early, digits that are not hexadecimal, or a
// JPEG stream that does not decode to the picture's size.
int ReadJpegThumbnail(ThumbnailStream& stream, const BitmapRows& picture, bool binary);
