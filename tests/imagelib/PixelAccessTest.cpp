#include "imagelib/PixelAccess.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

std::vector<uint8_t> Raw(RasterImage& image, int x, int y) {
  std::vector<uint8_t> bytes(image.store->bytesPerPixel);
  GetPixelRaw(image.store, x, y, bytes.data());
  return bytes;
}

TEST(PixelAccessTest, ByteWritesTruncateTimes256AndClamp) {
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    float value;
    uint8_t stored;
  } cases[] = {
      {1.0f, 255},   {0.999f, 255}, {0.5f, 128},   {-0.1f, 0},  {0.0f, 0},
      {0.0039f, 0},  {0.0040f, 1},  {0.25f, 64},   {2.0f, 255}, {1e30f, 255},
      {-1e30f, 0},   {inf, 255},    {-inf, 0},     {std::nanf(""), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    for (uint32_t type : {kPixelRgb8, kPixelRgba8, kPixelArgb8}) {
      RasterImage image;
      AllocatePixels(&image, 1, 1, type);
      ASSERT_EQ(SetPixelColor(&image, 0, 0, {c.value, c.value, c.value, c.value}), 0);
      for (uint8_t b : Raw(image, 0, 0)) EXPECT_EQ(b, c.stored);
    }
  }
}

TEST(PixelAccessTest, WordWritesTruncateTimes65536AndClamp) {
  struct Case {
    float value;
    uint16_t stored;
  } cases[] = {{1.0f, 65535}, {0.5f, 32768}, {-0.5f, 0}, {0.00001f, 0}, {0.00002f, 1}, {3.0f, 65535}};
  for (const Case& c : cases) {
    RasterImage image;
    AllocatePixels(&image, 1, 1, kPixelArgb16);
    SetPixelColor(&image, 0, 0, {c.value, c.value, c.value, c.value});
    uint16_t words[4];
    GetPixelRaw(image.store, 0, 0, words);
    for (uint16_t w : words) EXPECT_EQ(w, c.stored) << c.value;
  }
}

TEST(PixelAccessTest, ReadsScaleStoredValuesToOne) {
  RasterImage image;
  AllocatePixels(&image, 1, 1, kPixelRgb8);
  const uint8_t rgb[3] = {255, 0, 128};
  SetPixelRaw(image.store, 0, 0, rgb);
  ColorF c;
  ASSERT_EQ(GetPixelColor(&image, 0, 0, &c), 0);
  EXPECT_EQ(c.red, 1.0f);
  EXPECT_EQ(c.green, 0.0f);
  EXPECT_FLOAT_EQ(c.blue, 128 / 255.0f);
  EXPECT_EQ(c.alpha, 1.0f) << "RGB pixels read as opaque";

  AllocatePixels(&image, 1, 1, kPixelArgb16);
  const uint16_t words[4] = {65535, 0, 32768, 1};
  SetPixelRaw(image.store, 0, 0, words);
  GetPixelColor(&image, 0, 0, &c);
  EXPECT_NEAR(c.alpha, 1.0f, 2e-6);
  EXPECT_EQ(c.red, 0.0f);
  EXPECT_NEAR(c.green, 0.5f, 1e-5);
  EXPECT_NEAR(c.blue, 1 / 65535.0f, 1e-9);
}

// Reading a value and writing it back must give the same value, for every
// byte and every word: resampling to the same size relies on it.
TEST(PixelAccessTest, EveryStoredValueSurvivesAReadAndAWrite) {
  RasterImage bytes;
  AllocatePixels(&bytes, 256, 1, kPixelRgba8);
  for (int v = 0; v < 256; ++v) {
    const uint8_t px[4] = {uint8_t(v), uint8_t(255 - v), uint8_t(v), uint8_t(v)};
    SetPixelRaw(bytes.store, v, 0, px);
  }
  std::vector<uint8_t> before(bytes.store->data, bytes.store->data + bytes.store->ByteCount());
  for (int x = 0; x < 256; ++x) {
    ColorF c;
    GetPixelColor(&bytes, x, 0, &c);
    SetPixelColor(&bytes, x, 0, c);
  }
  EXPECT_EQ(std::memcmp(before.data(), bytes.store->data, before.size()), 0);

  RasterImage words;
  AllocatePixels(&words, 65536 / 4, 1, kPixelArgb16);
  uint16_t* w = reinterpret_cast<uint16_t*>(words.store->data);
  for (int v = 0; v < 65536; ++v) w[v] = uint16_t(v);
  for (int x = 0; x < words.width; ++x) {
    ColorF c;
    GetPixelColor(&words, x, 0, &c);
    SetPixelColor(&words, x, 0, c);
  }
  for (int v = 0; v < 65536; ++v) ASSERT_EQ(w[v], v);
}

TEST(PixelAccessTest, EachLayoutStoresItsComponentsInItsOrder) {
  const ColorF color{0.25f, 0.5f, 0.75f, 1.0f};
  const float floats[4] = {1.0f, 0.25f, 0.5f, 0.75f};  // alpha, red, green, blue
  const uint16_t words[4] = {65535, 16384, 32768, 49152};
  struct Case {
    uint32_t type;
    std::vector<uint8_t> stored;
    ColorF readBack;
  } cases[] = {
      {kPixelRgb8, {64, 128, 192}, {64 / 255.0f, 128 / 255.0f, 192 / 255.0f, 1.0f}},
      {kPixelRgba8, {64, 128, 192, 255}, {64 / 255.0f, 128 / 255.0f, 192 / 255.0f, 1.0f}},
      {kPixelArgb8, {255, 64, 128, 192}, {64 / 255.0f, 128 / 255.0f, 192 / 255.0f, 1.0f}},
      {kPixelArgb16,
       {reinterpret_cast<const uint8_t*>(words), reinterpret_cast<const uint8_t*>(words) + 8},
       {16384 / 65535.0f, 32768 / 65535.0f, 49152 / 65535.0f, 1.0f}},
      {kPixelOpaque128a, std::vector<uint8_t>(16, 0), {0, 0, 0, 0}},
      {kPixelOpaque128b, std::vector<uint8_t>(16, 0), {0, 0, 0, 0}},
      {kPixelArgbFloat,
       {reinterpret_cast<const uint8_t*>(floats), reinterpret_cast<const uint8_t*>(floats) + 16},
       color},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    RasterImage image;
    AllocatePixels(&image, 2, 2, c.type);
    std::memset(image.store->data, 0xAA, image.store->ByteCount());
    ASSERT_EQ(SetPixelColor(&image, 1, 1, color), 0);
    EXPECT_EQ(Raw(image, 1, 1), c.stored);
    EXPECT_EQ(Raw(image, 0, 1), std::vector<uint8_t>(image.store->bytesPerPixel, 0xAA))
        << "the neighbour stays as it was";
    ColorF back;
    ASSERT_EQ(GetPixelColor(&image, 1, 1, &back), 0);
    EXPECT_NEAR(back.red, c.readBack.red, 1e-4);
    EXPECT_NEAR(back.green, c.readBack.green, 1e-4);
    EXPECT_NEAR(back.blue, c.readBack.blue, 1e-4);
    EXPECT_NEAR(back.alpha, c.readBack.alpha, 1e-4);
  }
}

TEST(PixelAccessTest, OutsideCoordinatesGoToTheNearestEdgePixelAndReturnMinusOne) {
  RasterImage image;
  AllocatePixels(&image, 4, 3, kPixelRgb8);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) {
      const uint8_t px[3] = {uint8_t(x), uint8_t(y), 7};
      SetPixelRaw(image.store, x, y, px);
    }
  }
  struct Case {
    int x, y, atX, atY, result;
  } cases[] = {
      {2, 1, 2, 1, 0},   {0, 0, 0, 0, 0},    {3, 2, 3, 2, 0},
      {-5, 6, 0, 2, -1}, {-1, 1, 0, 1, -1},  {4, 1, 3, 1, -1},
      {2, -1, 2, 0, -1}, {2, 3, 2, 2, -1},   {1000000, -1000000, 3, 0, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "(" << c.x << ", " << c.y << ")");
    uint8_t raw[3];
    EXPECT_EQ(GetPixelRaw(image.store, c.x, c.y, raw), c.result);
    EXPECT_EQ(raw[0], c.atX);
    EXPECT_EQ(raw[1], c.atY);
    ColorF color;
    EXPECT_EQ(GetPixelColor(&image, c.x, c.y, &color), c.result);
    EXPECT_FLOAT_EQ(color.red, c.atX * 0.003921569f);
    EXPECT_FLOAT_EQ(color.green, c.atY * 0.003921569f);
  }

  // Writes clamp the same way.
  EXPECT_EQ(SetPixelColor(&image, -5, 6, {1, 1, 1, 1}), -1);
  EXPECT_EQ(Raw(image, 0, 2), (std::vector<uint8_t>{255, 255, 255}));
  const uint8_t px[3] = {9, 9, 9};
  EXPECT_EQ(SetPixelRaw(image.store, 10, -3, px), -1);
  EXPECT_EQ(Raw(image, 3, 0), (std::vector<uint8_t>{9, 9, 9}));
}

TEST(PixelAccessTest, ImagesWithoutPixelsAreNeverTouched) {
  RasterImage empty;
  ColorF c{1, 1, 1, 1};
  EXPECT_EQ(GetPixelColor(&empty, 0, 0, &c), -1);
  EXPECT_EQ(c.red + c.green + c.blue + c.alpha, 0.0f);
  EXPECT_EQ(SetPixelColor(&empty, 0, 0, {1, 1, 1, 1}), -1);
  uint8_t raw[16] = {};
  EXPECT_EQ(GetPixelRaw(empty.store, 0, 0, raw), -1);
  EXPECT_EQ(SetPixelRaw(empty.store, 0, 0, raw), -1);

  RasterImage noColumns;
  AllocatePixels(&noColumns, 0, 5, kPixelRgb8);
  EXPECT_EQ(GetPixelColor(&noColumns, 0, 0, &c), -1);
  EXPECT_EQ(SetPixelColor(&noColumns, 0, 0, {1, 1, 1, 1}), -1);
  EXPECT_EQ(GetPixelRaw(noColumns.store, 0, 0, raw), -1);

  // A type changed behind the store's back cannot make an access overrun it.
  RasterImage retyped;
  AllocatePixels(&retyped, 1, 1, kPixelRgb8);
  retyped.type = kPixelArgbFloat;
  EXPECT_EQ(SetPixelColor(&retyped, 0, 0, {1, 1, 1, 1}), -1);
  EXPECT_EQ(GetPixelColor(&retyped, 0, 0, &c), -1);
  retyped.type = 9;
  EXPECT_EQ(SetPixelColor(&retyped, 0, 0, {1, 1, 1, 1}), -1);
  EXPECT_EQ(Raw(retyped, 0, 0), (std::vector<uint8_t>{0, 0, 0}));
}

}  // namespace
