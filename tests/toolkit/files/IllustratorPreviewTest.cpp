#include "toolkit/files/IllustratorPreview.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/app/Scratch.h"
#include "tests/toolkit/files/IllustratorSamples.h"
#include "toolkit/files/qvPicture.h"

namespace {

class ReadIllustratorThumbnailTest : public ScratchTest {
protected:
  std::unique_ptr<qvPicture> Read(const std::string& name) {
    return std::unique_ptr<qvPicture>(ReadIllustratorThumbnail(Path(name).c_str()));
  }
};

// The picture's pixel as red, green, blue.
std::string Rgb(qvPicture& picture, int x, int y) {
  const uint8_t* p = picture.PixelAddress(x, y);
  return std::to_string(p[2]) + "," + std::to_string(p[1]) + "," + std::to_string(p[0]);
}

std::string PaletteRgb(int index) {
  const auto c = SamplePaletteColor(index);
  return std::to_string(c[0]) + "," + std::to_string(c[1]) + "," + std::to_string(c[2]);
}

TEST_F(ReadIllustratorThumbnailTest, FillsAPictureRowByRowFromTheTop) {
  std::vector<uint8_t> data = SamplePalette();
  data.insert(data.end(), {'R', 'L', 'E',
                           0xFD, 0x03, 0x11,  // row 0: three of index 0x11
                           0x20, 0x21, 0xFD, 0xFD});  // row 1: 0x20, 0x21, 253
  Put("run.ai", AiFile({"%!PS-Adobe-3.0", "%AI7_Thumbnail: 3 2 8"}, data));
  const auto picture = Read("run.ai");
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->PixelWidth(), 3);
  EXPECT_EQ(picture->PixelHeight(), 2);
  for (int x = 0; x < 3; ++x) EXPECT_EQ(Rgb(*picture, x, 0), PaletteRgb(0x11));
  EXPECT_EQ(Rgb(*picture, 0, 1), PaletteRgb(0x20));
  EXPECT_EQ(Rgb(*picture, 1, 1), PaletteRgb(0x21));
  EXPECT_EQ(Rgb(*picture, 2, 1), PaletteRgb(253));
}

TEST_F(ReadIllustratorThumbnailTest, NoPictureWithoutAThumbnailOrAReadableFile) {
  Put("empty.ai", "");
  Put("plain.ai", "%!PS-Adobe-3.0\r\n%%EOF\r\n");
  Put("zero.ai", AiFile({"%AI7_Thumbnail: 0 2 8"}, SamplePalette()));
  Put("held.ai", AiFile({"%AI7_Thumbnail: 1 1 8"}, SamplePalette()));
  for (const char* name : {"empty.ai", "plain.ai", "zero.ai", "missing.ai"}) EXPECT_EQ(Read(name), nullptr) << name;
  EXPECT_EQ(ReadIllustratorThumbnail(nullptr), nullptr);

  // The file is read without sharing: one held open elsewhere gives none.
  const HANDLE held = CreateFileA(Path("held.ai").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                  nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Read("held.ai"), nullptr);
  CloseHandle(held);
  EXPECT_NE(Read("held.ai"), nullptr);
}

}  // namespace
