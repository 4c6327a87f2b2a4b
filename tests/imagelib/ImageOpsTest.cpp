#include "imagelib/ImageOps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <random>
#include <vector>

#include "imagelib/PixelAccess.h"

namespace {

// An RGB image from rows of "r,g,b" triples given top row first in the
// table, stored bottom row first as the readers do.
struct Rgb {
  uint8_t r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

void Fill(RasterImage* image, int width, int height, const std::vector<Rgb>& pixels, uint32_t type = kPixelRgb8) {
  AllocatePixels(image, width, height, type);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb& p = pixels[size_t(y) * width + x];
      uint8_t raw[4] = {p.r, p.g, p.b, 10};
      SetPixelRaw(image->store, x, y, raw);
    }
  }
}

Rgb At(RasterImage& image, int x, int y) {
  uint8_t raw[16];
  GetPixelRaw(image.store, x, y, raw);
  return {raw[0], raw[1], raw[2]};
}

TEST(ResampleTest, ShrinkingTwoByTwoToOneAveragesTheFourPixels) {
  RasterImage source, destination;
  AllocatePixels(&source, 2, 2, kPixelRgba8);
  const ColorF corners[4] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 0}, {1, 1, 1, 0}};
  for (int i = 0; i < 4; ++i) SetPixelColor(&source, i % 2, i / 2, corners[i]);
  AllocatePixels(&destination, 1, 1, kPixelArgbFloat);

  EXPECT_EQ(ResampleImage(&destination, &source), 0);
  ColorF mean;
  GetPixelColor(&destination, 0, 0, &mean);
  EXPECT_FLOAT_EQ(mean.red, 0.5f);
  EXPECT_FLOAT_EQ(mean.green, 0.5f);
  EXPECT_FLOAT_EQ(mean.blue, 0.5f);
  EXPECT_FLOAT_EQ(mean.alpha, 0.5f);
}

TEST(ResampleTest, EnlargingOnePixelFillsEveryPixelWithIt) {
  RasterImage source, destination;
  Fill(&source, 1, 1, {{200, 100, 7}});
  AllocatePixels(&destination, 3, 2, kPixelRgb8);
  EXPECT_EQ(ResampleImage(&destination, &source), 0);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_EQ(At(destination, x, y), (Rgb{200, 100, 7})) << x << "," << y;
  }
}

TEST(ResampleTest, ThreeColumnsIntoTwoWeighByOverlap) {
  // Destination column 0 takes all of source column 0 and a half of column
  // 1, scaled to the destination's unit area: (2/3)*a + (1/3)*b.
  RasterImage source, destination;
  AllocatePixels(&source, 3, 1, kPixelArgbFloat);
  SetPixelColor(&source, 0, 0, {0.9f, 0, 0, 1});
  SetPixelColor(&source, 1, 0, {0.3f, 0, 0, 1});
  SetPixelColor(&source, 2, 0, {0.0f, 0, 0, 1});
  AllocatePixels(&destination, 2, 1, kPixelArgbFloat);
  ResampleImage(&destination, &source);
  ColorF left, right;
  GetPixelColor(&destination, 0, 0, &left);
  GetPixelColor(&destination, 1, 0, &right);
  EXPECT_NEAR(left.red, 0.9f * 2 / 3 + 0.3f / 3, 1e-6);
  EXPECT_NEAR(right.red, 0.3f / 3, 1e-6);
  EXPECT_NEAR(left.alpha, 1.0f, 1e-6);
}

TEST(ResampleTest, TheSameSizeCopiesEveryByte) {
  std::mt19937 random(7);
  for (uint32_t type : {kPixelRgb8, kPixelRgba8, kPixelArgb8, kPixelArgb16}) {
    SCOPED_TRACE(type);
    RasterImage source, destination;
    AllocatePixels(&source, 13, 9, type);
    for (size_t i = 0; i < source.store->ByteCount(); ++i) source.store->data[i] = uint8_t(random());
    AllocatePixels(&destination, 13, 9, type);
    ASSERT_EQ(ResampleImage(&destination, &source), 0);
    EXPECT_EQ(std::memcmp(source.store->data, destination.store->data, source.store->ByteCount()), 0);
  }
}

// The resampler as first described: one accumulator for the whole
// destination, source pixels visited row by row. The row-at-a-time
// resampler must give the same floats, bit for bit.
std::vector<ColorF> WholeImageResample(const RasterImage& source, int dw, int dh) {
  const int sw = source.width, sh = source.height;
  std::vector<ColorF> sums(size_t(dw) * dh);
  for (int y = 0; y < sh; ++y) {
    const double top = double(y) * dh / sh, bottom = double(y + 1) * dh / sh;
    for (int x = 0; x < sw; ++x) {
      const double left = double(x) * dw / sw, right = double(x + 1) * dw / sw;
      ColorF c;
      GetPixelColor(&source, x, y, &c);
      for (int j = std::max(0, int(top)); j <= std::min(int(bottom), dh - 1); ++j) {
        double h = 1;
        if (top > j) h -= top - j;
        if (bottom < j + 1) h -= j + 1 - bottom;
        for (int i = std::max(0, int(left)); i <= std::min(int(right), dw - 1); ++i) {
          double w = 1;
          if (left > i) w -= left - i;
          if (right < i + 1) w -= i + 1 - right;
          ColorF& sum = sums[size_t(j) * dw + i];
          sum.red += float(h * w * c.red);
          sum.green += float(h * w * c.green);
          sum.blue += float(h * w * c.blue);
          sum.alpha += float(h * w * c.alpha);
        }
      }
    }
  }
  return sums;
}

TEST(ResampleTest, RowByRowGivesTheWholeImageAccumulatorsFloats) {
  struct Case {
    int sw, sh, dw, dh;
  } cases[] = {
      {7, 5, 3, 2}, {3, 2, 7, 5}, {5, 5, 5, 5}, {13, 1, 4, 9}, {1, 13, 9, 4}, {10, 7, 10, 3}, {3, 7, 3, 10},
  };
  std::mt19937 random(11);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.sw << "x" << c.sh << " -> " << c.dw << "x" << c.dh);
    RasterImage source, destination;
    AllocatePixels(&source, c.sw, c.sh, kPixelArgbFloat);
    for (int y = 0; y < c.sh; ++y) {
      for (int x = 0; x < c.sw; ++x) {
        SetPixelColor(&source, x, y, {float(random() % 1000) / 999, float(random() % 1000) / 999,
                                      float(random() % 1000) / 999, float(random() % 1000) / 999});
      }
    }
    AllocatePixels(&destination, c.dw, c.dh, kPixelArgbFloat);
    ASSERT_EQ(ResampleImage(&destination, &source), 0);
    const std::vector<ColorF> expected = WholeImageResample(source, c.dw, c.dh);
    for (int j = 0; j < c.dh; ++j) {
      for (int i = 0; i < c.dw; ++i) {
        ColorF got;
        GetPixelColor(&destination, i, j, &got);
        const ColorF& want = expected[size_t(j) * c.dw + i];
        ASSERT_EQ(std::memcmp(&got, &want, sizeof got), 0) << i << "," << j;
      }
    }
  }
}

// 8-bit RGB and RGBA take a path of their own that reads the rows
// directly; it must give the bytes the general path gives the same pixels
// stored as ARGB (a layout that goes through the conversions), shrinking,
// enlarging (the background for a 200 % screen) and at odd ratios.
TEST(ResampleTest, TheBytePathGivesTheGeneralPathsBytes) {
  struct Case {
    int sw, sh, dw, dh;
  } cases[] = {
      {62, 42, 124, 84}, {124, 84, 62, 42}, {31, 21, 47, 32}, {47, 32, 31, 21}, {9, 9, 9, 9}, {1, 7, 5, 3},
  };
  std::mt19937 random(23);
  for (const uint32_t type : {uint32_t(kPixelRgb8), uint32_t(kPixelRgba8)}) {
    const int channels = type == kPixelRgba8 ? 4 : 3;
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << channels << " channels, " << c.sw << "x" << c.sh << " -> " << c.dw << "x"
                                      << c.dh);
      RasterImage bytes, general, bytesOut, generalOut;
      AllocatePixels(&bytes, c.sw, c.sh, type);
      AllocatePixels(&general, c.sw, c.sh, kPixelArgb8);
      for (int y = 0; y < c.sh; ++y)
        for (int x = 0; x < c.sw; ++x) {
          uint8_t* p = bytes.store->Pixel(x, y);
          uint8_t* q = general.store->Pixel(x, y);
          for (int k = 0; k < 3; ++k) p[k] = q[1 + k] = uint8_t(random());
          q[0] = channels == 4 ? (p[3] = uint8_t(random())) : 255;
        }
      AllocatePixels(&bytesOut, c.dw, c.dh, type);
      AllocatePixels(&generalOut, c.dw, c.dh, kPixelArgb8);
      ASSERT_EQ(ResampleImage(&bytesOut, &bytes), 0);
      ASSERT_EQ(ResampleImage(&generalOut, &general), 0);
      int differences = 0;
      for (int j = 0; j < c.dh; ++j)
        for (int i = 0; i < c.dw; ++i) {
          const uint8_t* p = bytesOut.store->Pixel(i, j);
          const uint8_t* q = generalOut.store->Pixel(i, j);
          for (int k = 0; k < 3; ++k) differences += p[k] != q[1 + k];
          if (channels == 4) differences += p[3] != q[0];
        }
      EXPECT_EQ(differences, 0);
    }
  }
}

TEST(ResampleTest, ImagesWithoutPixelsAreLeftAlone) {
  RasterImage empty, image;
  Fill(&image, 1, 1, {{1, 2, 3}});
  EXPECT_EQ(ResampleImage(&image, &empty), -1);
  EXPECT_EQ(At(image, 0, 0), (Rgb{1, 2, 3}));
  EXPECT_EQ(ResampleImage(&empty, &image), -1);

  RasterImage noRows;
  AllocatePixels(&noRows, 4, 0, kPixelRgb8);
  EXPECT_EQ(ResampleImage(&image, &noRows), -1);
  EXPECT_EQ(ResampleImage(&noRows, &image), -1);
}

TEST(FlipTest, RowsChangePlacesAroundTheMiddle) {
  struct Case {
    int height;
    std::vector<int> order;  // the original row found in each row after the flip
  } cases[] = {{1, {0}}, {2, {1, 0}}, {3, {2, 1, 0}}, {4, {3, 2, 1, 0}}, {5, {4, 3, 2, 1, 0}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.height);
    for (uint32_t type : {kPixelRgb8, kPixelArgbFloat}) {
      RasterImage image;
      AllocatePixels(&image, 3, c.height, type);
      for (int y = 0; y < c.height; ++y) {
        std::memset(image.store->Pixel(0, y), y + 1, image.store->RowBytes());
      }
      ASSERT_EQ(FlipImageVertically(&image), 0);
      for (int y = 0; y < c.height; ++y) {
        const uint8_t* row = image.store->Pixel(0, y);
        for (size_t i = 0; i < image.store->RowBytes(); ++i) ASSERT_EQ(row[i], c.order[y] + 1) << y;
      }
    }
  }
}

TEST(FlipTest, EmptyRecordsReportMinusOne) {
  RasterImage empty;
  EXPECT_EQ(FlipImageVertically(&empty), -1);
  RasterImage retyped;
  AllocatePixels(&retyped, 2, 2, kPixelRgb8);
  retyped.type = kPixelNone;
  EXPECT_EQ(FlipImageVertically(&retyped), -1);
}

// A 6 x 5 image with distinct values, before and after lightening
// (left 1, top 1, right 4, bottom 3), edges inclusive:
//   outline -> 128; inside -> c / 2 + 128; outside unchanged.
TEST(LightenTest, OutlineTurnsGreyAndTheInsideLightens) {
  const Rgb o{10, 20, 30};     // outside
  const Rgb in{0, 101, 255};   // inside, lightens to
  const Rgb lit{128, 178, 255};
  const Rgb grey{128, 128, 128};
  RasterImage image;
  Fill(&image, 6, 5, std::vector<Rgb>(30, in));
  for (int x = 0; x < 6; ++x) {
    uint8_t raw[3] = {o.r, o.g, o.b};
    SetPixelRaw(image.store, x, 0, raw);
    SetPixelRaw(image.store, x, 4, raw);
  }
  for (int y = 0; y < 5; ++y) {
    uint8_t raw[3] = {o.r, o.g, o.b};
    SetPixelRaw(image.store, 0, y, raw);
    SetPixelRaw(image.store, 5, y, raw);
  }
  LightenRectangle(ImageRect{1, 1, 4, 3}, &image);

  const std::vector<Rgb> expected = {
      o, o,    o,    o,    o,    o,  // y 0
      o, grey, grey, grey, grey, o,  // y 1: top edge
      o, grey, lit,  lit,  grey, o,  // y 2
      o, grey, grey, grey, grey, o,  // y 3: bottom edge
      o, o,    o,    o,    o,    o,  // y 4
  };
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 6; ++x) EXPECT_EQ(At(image, x, y), expected[size_t(y) * 6 + x]) << x << "," << y;
  }
}

TEST(LightenTest, OnlyPixelsInsideTheImageChangeAndEachOnce) {
  struct Case {
    const char* what;
    ImageRect rect;
  } cases[] = {
      {"wider and taller than the image", {-2, -3, 10, 9}},
      {"the whole integer range", {INT_MIN, INT_MIN, INT_MAX, INT_MAX}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RasterImage image;
    Fill(&image, 3, 2, std::vector<Rgb>(6, Rgb{0, 100, 255}));
    LightenRectangle(c.rect, &image);
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 3; ++x) EXPECT_EQ(At(image, x, y), (Rgb{128, 178, 255}));
    }
  }
}

TEST(LightenTest, SmallAndInvertedRectangles) {
  struct Case {
    const char* what;
    ImageRect rect;
    std::vector<Rgb> expected;  // 3 x 1 image of (0, 100, 255)
  } cases[] = {
      {"one pixel", {1, 0, 1, 0}, {{0, 100, 255}, {128, 128, 128}, {0, 100, 255}}},
      {"right of left", {2, 0, 1, 0}, {{0, 100, 255}, {0, 100, 255}, {0, 100, 255}}},
      {"bottom above top", {0, 1, 2, 0}, {{0, 100, 255}, {0, 100, 255}, {0, 100, 255}}},
      {"left edge outside", {-1, -1, 2, 1}, {{128, 178, 255}, {128, 178, 255}, {128, 128, 128}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RasterImage image;
    Fill(&image, 3, 1, std::vector<Rgb>(3, Rgb{0, 100, 255}));
    LightenRectangle(c.rect, &image);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(At(image, x, 0), c.expected[x]) << x;
  }
}

TEST(LightenTest, AlphaBecomesOpaqueAndOtherLayoutsStayAsTheyWere) {
  RasterImage rgba;
  Fill(&rgba, 3, 3, std::vector<Rgb>(9, Rgb{0, 0, 0}), kPixelRgba8);
  LightenRectangle(ImageRect{0, 0, 2, 2}, &rgba);
  uint8_t raw[4];
  GetPixelRaw(rgba.store, 1, 1, raw);
  EXPECT_EQ(raw[3], 255);
  GetPixelRaw(rgba.store, 0, 0, raw);
  EXPECT_EQ(raw[3], 255);

  for (uint32_t type : {kPixelArgb8, kPixelArgb16, kPixelArgbFloat}) {
    RasterImage image;
    AllocatePixels(&image, 3, 3, type);
    LightenRectangle(ImageRect{0, 0, 2, 2}, &image);
    const uint8_t* data = image.store->data;
    for (size_t i = 0; i < image.store->ByteCount(); ++i) ASSERT_EQ(data[i], 0) << type;
  }

  RasterImage empty;
  LightenRectangle(ImageRect{0, 0, 2, 2}, &empty);
  EXPECT_EQ(empty.store, nullptr);
}

// The toolkit's rectangles are read through their accessors; every edge
// differs, so reading one in another's place shows.
struct AccessorRect {
  int GetLeft() const { return 1; }
  int GetTop() const { return 0; }
  int GetRight() const { return 4; }
  int GetBottom() const { return 2; }
};

TEST(LightenTest, AnyRectangleWithAccessorsWorks) {
  RasterImage image;
  Fill(&image, 6, 4, std::vector<Rgb>(24, Rgb{0, 100, 255}));
  LightenRectangle(AccessorRect{}, &image);
  // . unchanged, o outline, l lightened inside.
  const char* const expected[] = {
      ".oooo.",
      ".ollo.",
      ".oooo.",
      "......",
  };
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) {
      const char want = expected[y][x];
      const Rgb pixel = want == '.' ? Rgb{0, 100, 255} : want == 'o' ? Rgb{128, 128, 128} : Rgb{128, 178, 255};
      EXPECT_EQ(At(image, x, y), pixel) << x << "," << y;
    }
  }
}

}  // namespace
