#include "toolkit/files/IllustratorThumbnail.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/toolkit/files/IllustratorSamples.h"

namespace {

// What one case must give: found or not, the size, and per pixel the
// palette index it shows (-1: black, the data did not reach it).
struct ThumbnailCase {
  const char* what;
  std::string file;
  bool found;
  int width;
  int height;
  std::vector<int> indices;
};

std::string Rgb(const IllustratorThumbnail& t, int pixel) {
  const uint8_t* p = &t.rgb[pixel * 3];
  return std::to_string(p[0]) + "," + std::to_string(p[1]) + "," + std::to_string(p[2]);
}

std::string PaletteRgb(int index) {
  if (index < 0) return "0,0,0";
  const auto c = SamplePaletteColor(index);
  return std::to_string(c[0]) + "," + std::to_string(c[1]) + "," + std::to_string(c[2]);
}

using Bytes = std::vector<uint8_t>;

Bytes Cat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const Bytes kRle = {'R', 'L', 'E'};

std::vector<ThumbnailCase> Cases() {
  const Bytes palette = SamplePalette();
  return {
      {"plain indices, CR LF line ends",
       AiFile({"%!PS-Adobe-3.0", "%AI7_Thumbnail: 2 2 8"},
              Cat(palette, {0x05, 0x10, 0xFE, 0x21}), "\r\n"),
       true, 2, 2, {0x05, 0x10, 0xFE, 0x21}},
      {"carriage returns alone end lines",
       AiFile({"%AI7_Thumbnail: 2 1 8"}, Cat(palette, {0x07, 0x08}), "\r"), true, 2, 1, {7, 8}},
      {"line feeds alone end lines",
       AiFile({"%AI7_Thumbnail: 2 1 8"}, Cat(palette, {0x07, 0x08}), "\n"), true, 2, 1, {7, 8}},
      {"run-length: 253 n v repeats, 253 253 is a literal, a run of 0 gives nothing",
       AiFile({"%AI7_Thumbnail: 3 2 8"},
              Cat(Cat(palette, kRle), {
                  0xFD, 0x03, 0x2A,  // 3 x index 42
                  0xFD, 0x00, 0x63,  // run of 0: nothing
                  0xFD, 0xFD,        // literal 253
                  0x11, 0x12,        // plain indices
              })),
       true, 3, 2, {42, 42, 42, 253, 17, 18}},
      {"a run past the last pixel stops at the picture's size",
       AiFile({"%AI7_Thumbnail: 2 2 8"},
              Cat(Cat(palette, kRle), {
                  0xFD, 0xFF, 0x09,  // 255 x index 9 for 4 pixels
                  0x01, 0x02,        // and more beyond them
              })),
       true, 2, 2, {9, 9, 9, 9}},
      {"more plain indices than pixels",
       AiFile({"%AI7_Thumbnail: 1 2 8"}, Cat(palette, {1, 2, 3, 4, 5, 6})), true, 1, 2, {1, 2}},
      {"data cut short inside the pixels leaves the rest black",
       AiFile({"%AI7_Thumbnail: 2 2 8"}, Cat(palette, {0x30})), true, 2, 2, {0x30, -1, -1, -1}},
      {"data cut short inside the palette: no pixel is reached",
       AiFile({"%AI7_Thumbnail: 2 2 8"}, Bytes(palette.begin(), palette.begin() + 100)), true, 2, 2,
       {-1, -1, -1, -1}},
      {"an escape byte as the last byte of run-length data",
       AiFile({"%AI7_Thumbnail: 2 1 8"}, Cat(Cat(palette, kRle), {0x04, 0xFD})), true, 2, 1, {4, -1}},
      {"a run missing its value",
       AiFile({"%AI7_Thumbnail: 2 1 8"}, Cat(Cat(palette, kRle), {0xFD, 0x05})), true, 2, 1, {-1, -1}},
      {"a byte count smaller than the data: only the counted bytes are read",
       AiFile({"%AI7_Thumbnail: 3 1 8"}, Cat(palette, {1, 2, 3}), "\r\n", int(palette.size()) + 1), true, 3, 1,
       {1, -1, -1}},
      {"a byte count far beyond the data: the data up to %%EndData is read",
       AiFile({"%AI7_Thumbnail: 3 1 8"}, Cat(palette, {1, 2, 3}), "\r\n", 2000000000), true, 3, 1, {1, 2, 3}},
      {"a negative byte count reads nothing",
       AiFile({"%AI7_Thumbnail: 1 1 8"}, Cat(palette, {1}), "\r\n", -50), true, 1, 1, {-1}},
      {"a width of 0 is passed over for the next thumbnail line",
       "%AI7_Thumbnail: 0 4 8\r\n%%BeginData: 2\r\n%00\r\n%%EndData\r\n" +
           AiFile({"%AI7_Thumbnail: 1 1 8"}, Cat(palette, {6})),
       true, 1, 1, {6}},
      {"a height of 0 only: nothing", AiFile({"%AI7_Thumbnail: 4 0 8"}, palette), false, 0, 0, {}},
      {"a depth of 0 only: nothing", AiFile({"%AI7_Thumbnail: 4 4 0"}, palette), false, 0, 0, {}},
      {"a negative width is passed over", AiFile({"%AI7_Thumbnail: -128 4 8"}, palette), false, 0, 0, {}},
      {"a side over the limit is passed over", AiFile({"%AI7_Thumbnail: 1025 1 8"}, palette), false, 0, 0, {}},
      {"numbers too long for any integer",
       AiFile({"%AI7_Thumbnail: 99999999999999999999999999 99999999999999999999 8"}, palette), false, 0, 0, {}},
      {"fewer than three numbers", AiFile({"%AI7_Thumbnail: 4 4"}, palette), false, 0, 0, {}},
      {"no %%BeginData line after the thumbnail line",
       "%AI7_Thumbnail: 1 1 8\r\n%" + std::string(1536, '0') + "\r\n", false, 0, 0, {}},
      {"a depth other than 8 gives a black picture",
       AiFile({"%AI7_Thumbnail: 2 1 24"}, Bytes(6, 0xFF)), true, 2, 1, {-1, -1}},
      {"no thumbnail at all", "%!PS-Adobe-3.0\r\n%%EOF\r\n", false, 0, 0, {}},
      {"nothing", "", false, 0, 0, {}},
  };
}

TEST(IllustratorThumbnailTest, Cases) {
  for (const ThumbnailCase& c : Cases()) {
    SCOPED_TRACE(c.what);
    IllustratorThumbnail t;
    const Bytes bytes(c.file.begin(), c.file.end());
    ASSERT_EQ(DecodeIllustratorThumbnail(bytes.data(), bytes.size(), &t), c.found);
    EXPECT_EQ(t.width, c.width);
    EXPECT_EQ(t.height, c.height);
    ASSERT_EQ(t.rgb.size(), size_t(c.width) * c.height * 3);
    ASSERT_EQ(c.indices.size(), size_t(c.width) * c.height);
    for (size_t i = 0; i < c.indices.size(); ++i) EXPECT_EQ(Rgb(t, int(i)), PaletteRgb(c.indices[i])) << "pixel " << i;
  }
}

TEST(IllustratorThumbnailTest, DataLinesAreReadThroughTheirFirst254Characters) {
  // One data line of 1 + 2000 hex digits: its characters 1 to 253 give 126
  // bytes, the rest of the line is not read.
  std::string file = "%AI7_Thumbnail: 1 1 8\r\n%%BeginData: 2000\r\n%" + std::string(2000, '1') +
                     "\r\n%%EndData\r\n";
  IllustratorThumbnail t;
  ASSERT_TRUE(DecodeIllustratorThumbnail(reinterpret_cast<const uint8_t*>(file.data()), file.size(), &t));
  EXPECT_EQ(Rgb(t, 0), "0,0,0") << "126 bytes do not reach past the palette";
}

TEST(IllustratorThumbnailTest, AnyFirstCharacterIsSkippedAndANonDigitEndsTheLine) {
  // Illustrator begins data lines with "%"; any first character is skipped
  // alike. The last line's data ends at the blank: 03 is not read.
  const std::string file = "%AI7_Thumbnail: 3 1 8\r\n%%BeginData: 1542\r\n" + HexLines(SamplePalette(), "\r\n", '#') +
                           "x0102 03\r\n%%EndData\r\n";
  IllustratorThumbnail t;
  ASSERT_TRUE(DecodeIllustratorThumbnail(reinterpret_cast<const uint8_t*>(file.data()), file.size(), &t));
  EXPECT_EQ(Rgb(t, 0), PaletteRgb(1));
  EXPECT_EQ(Rgb(t, 1), PaletteRgb(2));
  EXPECT_EQ(Rgb(t, 2), "0,0,0");
}

}  // namespace
