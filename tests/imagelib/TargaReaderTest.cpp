#include "imagelib/TargaReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imagelib/OpenImage.h"
#include "tests/imagelib/JpegSamples.h"

namespace {

struct TargaHeader {
  uint8_t idLength = 0;
  uint8_t mapType = 0;
  uint8_t imageType = 2;
  uint16_t mapLength = 0;
  uint8_t mapEntryBits = 0;
  uint16_t width = 1;
  uint16_t height = 1;
  uint8_t depth = 24;
  uint8_t descriptor = 0;
};

// The 18-byte header, then `rest` (ID, colour map and pixel data).
std::vector<uint8_t> TargaFile(const TargaHeader& h, const std::vector<uint8_t>& rest) {
  std::vector<uint8_t> bytes = {
      h.idLength,                                    // image ID length
      h.mapType,                                     // colour-map type
      h.imageType,                                   // 2, 3, 10, 11
      0, 0,                                          // first colour-map entry
      uint8_t(h.mapLength), uint8_t(h.mapLength >> 8),  // colour-map length
      h.mapEntryBits,                                // colour-map entry size
      0, 0, 0, 0,                                    // x and y origin
      uint8_t(h.width), uint8_t(h.width >> 8),       // width
      uint8_t(h.height), uint8_t(h.height >> 8),     // height
      h.depth,                                       // bits per pixel
      h.descriptor,                                  // origin and alpha bits
  };
  bytes.insert(bytes.end(), rest.begin(), rest.end());
  return bytes;
}

TargaHeader Sized(uint8_t type, int width, int height, uint8_t depth, uint8_t descriptor = 0) {
  TargaHeader h;
  h.imageType = type;
  h.width = uint16_t(width);
  h.height = uint16_t(height);
  h.depth = depth;
  h.descriptor = descriptor;
  return h;
}

// Every pixel of the image, row 0 (the bottom row) first.
std::vector<std::vector<int>> Pixels(const RasterImage& image) {
  std::vector<std::vector<int>> pixels;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = image.store->Pixel(x, y);
      pixels.emplace_back(p, p + image.store->bytesPerPixel);
    }
  }
  return pixels;
}

std::vector<std::vector<int>> Decoded(const std::vector<uint8_t>& file) {
  RasterImage image;
  if (DecodeTarga(&image, file.data(), file.size()) != 0) return {};
  return Pixels(image);
}

TEST(TargaReaderTest, EachDepthReadsItsOwnPixelForm) {
  struct Case {
    const char* what;
    uint8_t depth;
    std::vector<uint8_t> pixel;
    std::vector<int> expected;
  } cases[] = {
      {"grey", 8, {77}, {77, 77, 77}},
      {"16 bits, all ones", 16, {0xFF, 0x7F}, {255, 255, 255, 255}},
      {"16 bits, one of each", 16, {0x21, 0x04}, {8, 8, 8, 255}},
      {"16 bits, red only, top bit set", 16, {0x00, 0xFC}, {255, 0, 0, 255}},
      {"16 bits, green 16 of 31", 16, {0x00, 0x02}, {0, 131, 0, 255}},
      {"24 bits, stored blue green red", 24, {1, 2, 3}, {3, 2, 1}},
      {"32 bits, stored blue green red alpha", 32, {1, 2, 3, 4}, {3, 2, 1, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Decoded(TargaFile(Sized(2, 1, 1, c.depth), c.pixel)), (std::vector<std::vector<int>>{c.expected}));
    // The image type says nothing about the pixel form.
    EXPECT_EQ(Decoded(TargaFile(Sized(3, 1, 1, c.depth), c.pixel)), (std::vector<std::vector<int>>{c.expected}));
  }
}

TEST(TargaReaderTest, ThirtyTwoBitAlphaRules) {
  // Two pixels of (red 30, green 20, blue 10) with the given alphas.
  struct Case {
    const char* what;
    uint8_t alpha0, alpha1;
    std::vector<std::vector<int>> expected;
  } cases[] = {
      {"no alpha anywhere: opaque black", 0, 0, {{0, 0, 0, 255}, {0, 0, 0, 255}}},
      {"one alpha of 1: kept, the other pixel cleared", 1, 0, {{30, 20, 10, 1}, {0, 0, 0, 0}}},
      {"opaque", 255, 255, {{30, 20, 10, 255}, {30, 20, 10, 255}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<uint8_t> data = {10, 20, 30, c.alpha0, 10, 20, 30, c.alpha1};
    EXPECT_EQ(Decoded(TargaFile(Sized(2, 2, 1, 32), data)), c.expected);
    // Run-length data follows the same rules: one raw packet of two pixels.
    std::vector<uint8_t> packed = {0x01};
    packed.insert(packed.end(), data.begin(), data.end());
    EXPECT_EQ(Decoded(TargaFile(Sized(10, 2, 1, 32), packed)), c.expected);
  }
}

TEST(TargaReaderTest, RunLengthPackets) {
  const std::vector<int> a{3, 2, 1}, b{6, 5, 4};
  auto times = [](const std::vector<int>& pixel, int n) { return std::vector<std::vector<int>>(size_t(n), pixel); };
  std::vector<uint8_t> raw128 = {0x7F};  // 128 raw pixels, alternating a and b
  std::vector<std::vector<int>> alternating;
  for (int i = 0; i < 128; ++i) {
    raw128.insert(raw128.end(), {uint8_t(i % 2 ? 4 : 1), uint8_t(i % 2 ? 5 : 2), uint8_t(i % 2 ? 6 : 3)});
    alternating.push_back(i % 2 ? b : a);
  }
  struct Case {
    const char* what;
    int width, height;
    std::vector<uint8_t> data;
    std::vector<std::vector<int>> expected;
  } cases[] = {
      {"0x80: a run of one", 1, 1, {0x80, 1, 2, 3}, {a}},
      {"0xFF: a run of 128", 128, 1, {0xFF, 1, 2, 3}, times(a, 128)},
      {"0x7F: 128 raw pixels", 128, 1, raw128, alternating},
      {"a run and raw pixels in one row", 3, 1, {0x81, 1, 2, 3, 0x00, 4, 5, 6}, {a, a, b}},
      {"a run crossing the end of a row carries on", 2, 2, {0x82, 1, 2, 3, 0x00, 4, 5, 6}, {a, a, a, b}},
      {"raw pixels crossing the end of a row carry on", 2, 2, {0x02, 1, 2, 3, 4, 5, 6, 1, 2, 3, 0x80, 4, 5, 6},
       {a, b, a, b}},
      {"a run past the last pixel ends with the image", 2, 1, {0x85, 4, 5, 6}, {b, b}},
      {"raw pixels past the last one are not read", 2, 1, {0x04, 1, 2, 3, 4, 5, 6}, {a, b}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Decoded(TargaFile(Sized(10, c.width, c.height, 24), c.data)), c.expected);
  }
}

// The same 2 x 2 picture, red 10 green 20 blue 30 at the bottom left,
// stored from each of the four corners; every one loads with that pixel in
// row 0, column 0.
TEST(TargaReaderTest, EveryOriginLoadsTheRightWayUp) {
  const std::vector<int> bottomLeft{10, 20, 30}, bottomRight{11, 21, 31}, topLeft{12, 22, 32},
      topRight{13, 23, 33};
  auto stored = [](std::initializer_list<std::vector<int>> order) {
    std::vector<uint8_t> data;
    for (const std::vector<int>& p : order) data.insert(data.end(), {uint8_t(p[2]), uint8_t(p[1]), uint8_t(p[0])});
    return data;
  };
  struct Case {
    const char* what;
    uint8_t descriptor;
    std::vector<uint8_t> data;
  } cases[] = {
      {"bottom left", 0x00, stored({bottomLeft, bottomRight, topLeft, topRight})},
      {"top left", 0x20, stored({topLeft, topRight, bottomLeft, bottomRight})},
      {"bottom right", 0x10, stored({bottomRight, bottomLeft, topRight, topLeft})},
      {"top right", 0x30, stored({topRight, topLeft, bottomRight, bottomLeft})},
      {"top left, with alpha-bit count 8", 0x28, stored({topLeft, topRight, bottomLeft, bottomRight})},
  };
  const std::vector<std::vector<int>> expected = {bottomLeft, bottomRight, topLeft, topRight};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Decoded(TargaFile(Sized(2, 2, 2, 24, c.descriptor), c.data)), expected);
    // Run-length: one raw packet of three pixels, a run of one.
    std::vector<uint8_t> packed = {0x02};
    packed.insert(packed.end(), c.data.begin(), c.data.begin() + 9);
    packed.push_back(0x80);
    packed.insert(packed.end(), c.data.begin() + 9, c.data.end());
    EXPECT_EQ(Decoded(TargaFile(Sized(10, 2, 2, 24, c.descriptor), packed)), expected);
  }
}

TEST(TargaReaderTest, TheImageIdAndColourMapAreSkipped) {
  TargaHeader h = Sized(2, 1, 1, 24);
  h.idLength = 3;
  h.mapType = 1;
  h.mapLength = 2;
  h.mapEntryBits = 15;  // two entries of 15 bits: 4 bytes
  EXPECT_EQ(Decoded(TargaFile(h, {'i', 'd', '!', 0xAA, 0xBB, 0xCC, 0xDD, 1, 2, 3})),
            (std::vector<std::vector<int>>{{3, 2, 1}}));
}

TEST(TargaReaderTest, FilesItCannotReadLeaveTheRecordEmpty) {
  auto header = [](auto change) {
    TargaHeader h = Sized(2, 2, 1, 24);
    change(h);
    return h;
  };
  const std::vector<uint8_t> twoPixels = {1, 2, 3, 4, 5, 6};
  struct Case {
    const char* what;
    std::vector<uint8_t> file;
    bool allocates;  // the header passes and the data turns out short
  } cases[] = {
      {"colour-mapped", TargaFile(header([](TargaHeader& h) { h.imageType = 1, h.depth = 8; }), {1, 2}), false},
      {"run-length colour-mapped", TargaFile(header([](TargaHeader& h) { h.imageType = 9, h.depth = 8; }), {0x81, 1}),
       false},
      {"no image data", TargaFile(header([](TargaHeader& h) { h.imageType = 0; }), twoPixels), false},
      {"black and white", TargaFile(header([](TargaHeader& h) { h.imageType = 32; }), twoPixels), false},
      {"15 bits", TargaFile(header([](TargaHeader& h) { h.depth = 15; }), twoPixels), false},
      {"no columns", TargaFile(header([](TargaHeader& h) { h.width = 0; }), twoPixels), false},
      {"no rows", TargaFile(header([](TargaHeader& h) { h.height = 0; }), twoPixels), false},
      {"65535 x 65535", TargaFile(header([](TargaHeader& h) { h.width = h.height = 65535; }), twoPixels), false},
      {"16384 x 16384 in six bytes", TargaFile(header([](TargaHeader& h) { h.width = h.height = 16384; }), twoPixels),
       false},
      {"16384 x 16384 run-length in six bytes",
       TargaFile(header([](TargaHeader& h) { h.width = h.height = 16384, h.imageType = 10; }), twoPixels), false},
      {"the pixels one byte short", TargaFile(Sized(2, 2, 1, 24), {1, 2, 3, 4, 5}), false},
      {"an ID field past the end", TargaFile(header([](TargaHeader& h) { h.idLength = 200; }), twoPixels), false},
      {"a colour map past the end",
       TargaFile(header([](TargaHeader& h) { h.mapType = 1, h.mapLength = 65535, h.mapEntryBits = 32; }), twoPixels),
       false},
      {"the header cut short", {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 24}, false},
      {"nothing", {}, false},
      // Enough bytes for the least run-length data, but the packets need more.
      {"a raw packet past the end", TargaFile(Sized(10, 200, 1, 24), {0x7F, 1, 2, 3, 0x7F, 1, 2, 3}), true},
      {"a run packet past the end", TargaFile(Sized(10, 129, 1, 8), {0x7F, 0x81, 9, 9, 9}), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RasterImage image;
    AllocatePixels(&image, 2, 2, kPixelRgb8);
    const uint64_t requests = PixelBlockRequests();
    EXPECT_EQ(DecodeTarga(&image, c.file.data(), c.file.size()), -1);
    if (!c.allocates) {
      EXPECT_EQ(PixelBlockRequests(), requests) << "refused from the header alone";
    }
    EXPECT_EQ(image.store, nullptr);
    EXPECT_EQ(image.type, kPixelNone);
    EXPECT_EQ(image.width, 0);
  }
}

TEST(TargaReaderTest, OpenImageReadsTargaFilesByTheirExtensions) {
  const std::vector<uint8_t> file = TargaFile(Sized(2, 1, 1, 24), {1, 2, 3});
  for (const char* name : {"a.tga", "a.Targa"}) {
    SCOPED_TRACE(name);
    const std::string path = WriteTempFile(name, file);
    RasterImage image;
    OpenImage(&image, path.c_str());
    ASSERT_NE(image.store, nullptr);
    EXPECT_EQ(Pixels(image), (std::vector<std::vector<int>>{{3, 2, 1}}));
    EXPECT_EQ(image.sourcePath, path);
  }
  RasterImage image;
  AllocatePixels(&image, 2, 2, kPixelRgb8);
  EXPECT_EQ(ReadTargaFile(&image, WriteTempFile("short.tga", TargaFile(Sized(2, 1, 1, 24), {1, 2})).c_str()), -1);
  EXPECT_EQ(image.store, nullptr);
  EXPECT_EQ(ReadTargaFile(&image, (WriteTempFile("m", {}) + "-missing.tga").c_str()), -1);
}

}  // namespace
