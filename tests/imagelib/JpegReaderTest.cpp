#include "imagelib/JpegReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "imagelib/JpegMemorySource.h"
#include "tests/imagelib/JpegSamples.h"

namespace {

// The image's rows top row first, as libjpeg hands them out.
std::vector<uint8_t> TopDown(const RasterImage& image) {
  std::vector<uint8_t> rows;
  for (int y = image.height - 1; y >= 0; --y) {
    const uint8_t* row = image.store->Pixel(0, y);
    rows.insert(rows.end(), row, row + image.store->RowBytes());
  }
  return rows;
}

// Full-resolution colour at the given quality.
EncodeOptions Full(int quality) {
  EncodeOptions options;
  options.quality = quality;
  options.hSampling = options.vSampling = 1;
  return options;
}

EncodeOptions Progressive(int quality) {
  EncodeOptions options;
  options.quality = quality;
  options.progressive = true;
  return options;
}

void ExpectRefused(const std::vector<uint8_t>& bytes) {
  RasterImage image;
  AllocatePixels(&image, 2, 2, kPixelRgb8);
  EXPECT_EQ(DecodeJpeg(&image, bytes.data(), bytes.size()), -1);
  EXPECT_EQ(image.store, nullptr);
  EXPECT_EQ(image.type, kPixelNone);
  EXPECT_EQ(GetImageWidth(&image), -1);
}

// A refusal that comes from the header alone: nothing was even asked of the
// allocator, which a failed allocation would also leave empty.
void ExpectRefusedBeforeAllocating(const std::vector<uint8_t>& bytes) {
  RasterImage image;
  AllocatePixels(&image, 2, 2, kPixelRgb8);
  const uint64_t requests = PixelBlockRequests();
  EXPECT_EQ(DecodeJpeg(&image, bytes.data(), bytes.size()), -1);
  EXPECT_EQ(PixelBlockRequests(), requests) << "a pixel block was asked for";
  EXPECT_EQ(image.store, nullptr);
  EXPECT_EQ(image.width, 0);
}

bool RowIsBlack(const RasterImage& image, int y) {
  const uint8_t* row = image.store->Pixel(0, y);
  return std::all_of(row, row + image.store->RowBytes(), [](uint8_t b) { return b == 0; });
}

TEST(JpegReaderTest, RowZeroIsTheBottomRow) {
  // Top half white, bottom half black, a stream of one colour per half.
  SamplePicture picture = MakeFlatPicture(8, 16, 3, 0);
  std::fill(picture.samples.begin(), picture.samples.begin() + 8 * 8 * 3, 255);
  const std::vector<uint8_t> jpeg = EncodeJpeg(picture, Full(100));
  RasterImage image;
  ASSERT_EQ(DecodeJpeg(&image, jpeg.data(), jpeg.size()), 0);
  EXPECT_LT(image.store->Pixel(0, 0)[0], 8);
  EXPECT_GT(image.store->Pixel(0, 15)[0], 247);
}

TEST(JpegReaderTest, OnePixelLandsInRowZero) {
  const std::vector<uint8_t> jpeg = EncodeJpeg(MakeFlatPicture(1, 1, 3, 200), Full(100));
  RasterImage image;
  ASSERT_EQ(DecodeJpeg(&image, jpeg.data(), jpeg.size()), 0);
  EXPECT_EQ(image.width, 1);
  EXPECT_EQ(image.height, 1);
  EXPECT_EQ(image.store->ByteCount(), 3u);
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(image.store->data[c], 200, 1);
}

TEST(JpegReaderTest, GreyscaleComesOutAsEqualRedGreenAndBlue) {
  const std::vector<uint8_t> jpeg = EncodeJpeg(MakeSamplePicture(19, 7, 1));
  RasterImage image;
  ASSERT_EQ(DecodeJpeg(&image, jpeg.data(), jpeg.size()), 0);
  EXPECT_EQ(image.type, kPixelRgb8);
  ASSERT_EQ(image.store->ByteCount(), size_t(19 * 7 * 3));
  for (size_t i = 0; i < image.store->ByteCount(); i += 3) {
    ASSERT_EQ(image.store->data[i], image.store->data[i + 1]);
    ASSERT_EQ(image.store->data[i], image.store->data[i + 2]);
  }
}

// Decoding for a smaller picture: the decoder reduces by the largest of 8,
// 4 and 2 that keeps both sides at least the size asked (sides rounded
// up), and never enlarges; the reduced image keeps the picture (a top
// half white, bottom half black stays so).
TEST(JpegReaderTest, DecodingForASmallerPictureReducesAsFarAsTheSizeAllows) {
  struct Case {
    int width, height, minWidth, minHeight;
    int expectedWidth, expectedHeight;
  } cases[] = {
      {1240, 840, 620, 420, 620, 420},    // the 200 % background in a 100 % window
      {1240, 840, 621, 420, 1240, 840},   // one pixel more than half: whole
      {1240, 840, 930, 630, 1240, 840},   // 150 %: whole, resampled later
      {1240, 840, 155, 105, 155, 105},    // an eighth
      {1240, 840, 156, 105, 310, 210},    // a quarter
      {1241, 841, 311, 211, 311, 211},    // a quarter, sides rounded up
      {620, 420, 1240, 840, 620, 420},    // never enlarged
      {620, 420, 0, 0, 620, 420},         // no size asked: whole
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " for " << c.minWidth << "x" << c.minHeight);
    SamplePicture picture = MakeFlatPicture(c.width, c.height, 3, 0);
    std::fill(picture.samples.begin(), picture.samples.begin() + size_t(c.width) * (c.height / 2) * 3, 255);
    const std::vector<uint8_t> jpeg = EncodeJpeg(picture, Full(95));
    RasterImage image;
    ASSERT_EQ(DecodeJpegAtLeast(&image, jpeg.data(), jpeg.size(), c.minWidth, c.minHeight), 0);
    EXPECT_EQ(image.width, c.expectedWidth);
    EXPECT_EQ(image.height, c.expectedHeight);
    EXPECT_LT(image.store->Pixel(image.width / 2, 2)[0], 16) << "the bottom stays black";
    EXPECT_GT(image.store->Pixel(image.width / 2, image.height - 3)[0], 239) << "the top stays white";
  }
}

TEST(JpegReaderTest, FourComponentStreamsAreRefused) {
  ExpectRefused(EncodeJpeg(MakeSamplePicture(16, 8, 4)));
  EncodeOptions ycck;
  ycck.ycck = true;
  ExpectRefused(EncodeJpeg(MakeSamplePicture(16, 8, 4), ycck));
}

TEST(JpegReaderTest, FramesOverTheSizeLimitsAreRefusedBeforeDecoding) {
  struct Case {
    int width, height;
  } cases[] = {
      {65535, 65535}, {kMaxImageSide + 1, 1}, {1, kMaxImageSide + 1},
  };
  const std::vector<uint8_t> good = EncodeJpeg(MakeSamplePicture(8, 8, 3));
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    std::vector<uint8_t> jpeg = good;
    SetFrameSize(&jpeg, c.width, c.height);
    ExpectRefusedBeforeAllocating(jpeg);
  }
}

// A progressive frame of 15000 x 15000 needs about 1.3 GB of coefficients
// before the first row comes out: more than the decoder may use.
TEST(JpegReaderTest, ProgressiveFramesNeedingTooMuchDecoderMemoryAreRefused) {
  EncodeOptions options = Progressive(80);
  options.hSampling = options.vSampling = 1;
  std::vector<uint8_t> jpeg = EncodeJpeg(MakeSamplePicture(16, 16, 3), options);
  SetFrameSize(&jpeg, 15000, 15000);
  ExpectRefusedBeforeAllocating(jpeg);
}

TEST(JpegReaderTest, StreamsWithTooManyScansAreRefused) {
  const std::vector<uint8_t> progressive = EncodeJpeg(MakeSamplePicture(24, 24, 3), Progressive(80));
  std::vector<uint8_t> many = progressive;
  RepeatFirstScan(&many, kMaxJpegScans + 10);
  ExpectRefusedBeforeAllocating(many);

  // A few repeated scans are only a bogus progression: it decodes.
  std::vector<uint8_t> few = progressive;
  RepeatFirstScan(&few, 3);
  RasterImage image;
  EXPECT_EQ(DecodeJpeg(&image, few.data(), few.size()), 0);
}

TEST(JpegReaderTest, AnErrorAfterTheLastRowKeepsTheImage) {
  // A baseline stream allows one scan; the library fails on the second one
  // only when finishing, after every row came out.
  const std::vector<uint8_t> clean = EncodeJpeg(MakeSamplePicture(24, 24, 3));
  std::vector<uint8_t> twice = clean;
  RepeatFirstScan(&twice, 2);
  int width, height;
  const std::vector<uint8_t> expected = ReferenceDecode(clean, &width, &height);
  RasterImage image;
  EXPECT_EQ(DecodeJpeg(&image, twice.data(), twice.size()), 0);
  ASSERT_NE(image.store, nullptr);
  EXPECT_TRUE(TopDown(image) == expected);
}

TEST(JpegReaderTest, ATruncatedStreamKeepsItsSizeWithBlackRowsBelowTheCut) {
  const std::vector<uint8_t> jpeg = EncodeJpeg(MakeSamplePicture(48, 96, 3));
  const long sos = FindMarker(jpeg, 0xDA);
  ASSERT_GT(sos, 0);
  const size_t cut = size_t(sos) + (jpeg.size() - size_t(sos)) / 2;
  const std::vector<uint8_t> truncated(jpeg.begin(), jpeg.begin() + cut);

  RasterImage image;
  ASSERT_EQ(DecodeJpeg(&image, truncated.data(), truncated.size()), 0);
  ASSERT_EQ(image.width, 48);
  ASSERT_EQ(image.height, 96);
  // The rows decoded before the cut are the top rows, the last ones of the
  // bottom-row-first image; everything below the cut is black.
  int width, height;
  const std::vector<uint8_t> full = ReferenceDecode(jpeg, &width, &height);
  EXPECT_EQ(std::memcmp(image.store->Pixel(0, 95), full.data(), image.store->RowBytes()), 0);
  EXPECT_FALSE(RowIsBlack(image, 95));
  EXPECT_TRUE(RowIsBlack(image, 0));
  int firstLit = 0;
  while (firstLit < 96 && RowIsBlack(image, firstLit)) ++firstLit;
  EXPECT_GT(firstLit, 16) << "about half the rows are missing";
  EXPECT_LT(firstLit, 80);
  for (int y = firstLit; y < 96; ++y) EXPECT_FALSE(RowIsBlack(image, y)) << y;
}

TEST(JpegReaderTest, AStreamMissingOnlyItsEndMarkerDecodesWhole) {
  const std::vector<uint8_t> jpeg = EncodeJpeg(MakeSamplePicture(40, 40, 3));
  ASSERT_EQ(jpeg[jpeg.size() - 2], 0xFF);
  ASSERT_EQ(jpeg[jpeg.size() - 1], 0xD9);
  const std::vector<uint8_t> noEnd(jpeg.begin(), jpeg.end() - 2);
  RasterImage image;
  ASSERT_EQ(DecodeJpeg(&image, noEnd.data(), noEnd.size()), 0);
  int width, height;
  EXPECT_TRUE(TopDown(image) == ReferenceDecode(jpeg, &width, &height));
}

TEST(JpegReaderTest, ATruncatedProgressiveStreamShowsTheScansThatArrived) {
  const std::vector<uint8_t> jpeg = EncodeJpeg(MakeSamplePicture(64, 48, 3), Progressive(85));
  const std::vector<uint8_t> truncated(jpeg.begin(), jpeg.begin() + jpeg.size() * 2 / 3);
  RasterImage image;
  ASSERT_EQ(DecodeJpeg(&image, truncated.data(), truncated.size()), 0);
  int width, height;
  EXPECT_TRUE(TopDown(image) == ReferenceDecode(truncated, &width, &height));
  EXPECT_FALSE(RowIsBlack(image, 0)) << "the early scans cover the whole picture";
}

TEST(JpegReaderTest, StreamsThatEndEarlyInTheHeadersAreRefused) {
  const std::vector<uint8_t> jpeg = EncodeJpeg(MakeSamplePicture(8, 8, 3));
  const long sos = FindMarker(jpeg, 0xDA);
  for (size_t length : {size_t(0), size_t(1), size_t(2), size_t(3), size_t(20), size_t(sos)}) {
    SCOPED_TRACE(length);
    ExpectRefused(std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + length));
  }
}

TEST(JpegReaderTest, NonJpegBytesAreRefused) {
  const std::vector<std::vector<uint8_t>> cases = {
      {'h', 'e', 'l', 'l', 'o', '\n'},
      {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13},
      {0xFF, 0xD8, 0xFF, 0xD9},                        // SOI, EOI: no image
      {0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xFF, 'E', 'x'},  // APP1 announcing 64 KiB, then nothing
      std::vector<uint8_t>(5000, 0xFF),
  };
  for (const std::vector<uint8_t>& bytes : cases) ExpectRefused(bytes);
}

TEST(ReadJpegFileTest, ReadsTheWholeFile) {
  const std::vector<uint8_t> jpeg = EncodeJpeg(MakeSamplePicture(300, 200, 3));
  ASSERT_GT(jpeg.size(), 3 * kJpegSourceChunk) << "the stream takes several refills";
  RasterImage image;
  ASSERT_EQ(ReadJpegFile(&image, WriteTempFile("whole.jpg", jpeg).c_str()), 0);
  int width, height;
  EXPECT_TRUE(TopDown(image) == ReferenceDecode(jpeg, &width, &height));
}

TEST(ReadJpegFileTest, EmptyAndMissingFilesLeaveTheRecordEmpty) {
  RasterImage image;
  AllocatePixels(&image, 2, 2, kPixelRgb8);
  EXPECT_EQ(ReadJpegFile(&image, WriteTempFile("empty.jpg", {}).c_str()), -1);
  EXPECT_EQ(image.store, nullptr);
  EXPECT_EQ(image.type, kPixelNone);
  EXPECT_EQ(image.width, 0) << "no size is left from the image before";
  EXPECT_EQ(image.height, 0);

  AllocatePixels(&image, 2, 2, kPixelRgb8);
  EXPECT_EQ(ReadJpegFile(&image, (WriteTempFile("y", {}) + "-missing.jpg").c_str()), -1);
  EXPECT_EQ(image.store, nullptr);
  EXPECT_EQ(image.type, kPixelNone);
}

// Every file in the hostile folder is one a reader must refuse without
// crashing, hanging or leaking.
TEST(ReadJpegFileTest, HostileFilesAreRefused) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(QV_TEST_DATA_DIR "/hostile")) {
    if (entry.path().extension() != ".jpg") continue;
    SCOPED_TRACE(entry.path().filename().string());
    RasterImage image;
    EXPECT_EQ(ReadJpegFile(&image, entry.path().string().c_str()), -1);
    EXPECT_EQ(image.store, nullptr);
    ++count;
  }
  EXPECT_GT(count, 5);
}

}  // namespace
