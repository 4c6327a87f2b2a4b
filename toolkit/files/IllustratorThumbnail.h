// The preview that Illustrator embeds among the comments of its files:
//
//   %AI7_Thumbnail: 128 98 8            width, height, bits per pixel
//   %%BeginData: 19454 Hex Bytes        twice the number of data bytes
//   %<hexadecimal digits, two per byte>
//   ...
//   %%EndData
//
// With 8 bits per pixel the data holds a 256-colour palette (red, green,
// blue) and then one palette index per pixel, top row first, either plain or
// run-length coded behind the three bytes "RLE". This decoder works on the
// file's bytes and knows nothing of the platform; ReadIllustratorThumbnail
// turns its result into a picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A thumbnail line that claims a larger side is passed over like one that
// claims a side of 0. Illustrator writes at most 128.
constexpr int32_t kMaxIllustratorThumbnailSide = 1024;

struct IllustratorThumbnail {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bitsPerPixel = 0;
  // False for depths other than 8, which are not decoded: the pixels stay
  // black.
  bool decoded = false;
  // width x height pixels, three bytes each (red, green, blue), top row
  // first. Pixels the data does not reach stay black.
  std::vector<uint8_t> rgb;
};

// Finds the first thumbnail line with a usable width, height and depth and
// decodes the data that follows it. False when there is no such line or the
// line after it does not open the data. Never reads outside data[0, size),
// whatever the counts in the file say.
bool DecodeIllustratorThumbnail(const uint8_t* data, size_t size, IllustratorThumbnail* out);
