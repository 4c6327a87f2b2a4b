#include "toolkit/draw/qvColor.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using Components = std::array<int, 3>;

Components RgbOf(const qvColor& c) { return {c.red, c.green, c.blue}; }
// A COLORREF holds red in its low byte, then green, then blue.
Components BytesOf(uint32_t c) { return {int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)}; }

TEST(qvColorTest, PlatformColourTakesTheHighByte) {
  EXPECT_EQ(BytesOf(qvColor(0x12FF, 0x3400, 0x56AB).ToCOLORREF()), (Components{0x12, 0x34, 0x56}));
  EXPECT_EQ(BytesOf(qvColor(255, 255, 255).ToCOLORREF()), (Components{0, 0, 0}));
}

TEST(qvColorTest, NamedColours) {
  const Components expected[kNamedColorCount] = {
      {230, 230, 230}, {140, 140, 140}, {223, 223, 223}, {100, 100, 100}, {40, 40, 40},    {160, 160, 160},
      {0, 0, 0},       {128, 128, 128}, {238, 238, 238}, {100, 100, 100}, {255, 255, 255}, {0, 0, 0},
      {141, 141, 169}, {199, 199, 199}, {214, 214, 254}, {180, 180, 180}, {225, 225, 225}, {119, 119, 119},
      {0, 0, 0},       {0, 0, 0},       {180, 180, 180}, {136, 136, 136}, {136, 136, 136}, {128, 128, 128},
      {102, 102, 102}, {252, 0, 0},     {0, 0, 252},     {0, 252, 0},     {194, 194, 194}, {109, 109, 109},
  };
  for (int index = -1; index <= kNamedColorCount; ++index) {
    qvColor colour(0x1100, 0x2200, 0x3300);
    colour.SetHSV(0, 65535, 65535);  // leaves red/green/blue stale
    colour.SetNamedColor(index);
    EXPECT_EQ(colour.mode, 0) << index;
    EXPECT_TRUE(colour.rgbValid && !colour.hsvValid) << index;
    bool inTable = index >= 0 && index < kNamedColorCount;
    Components bytes = inTable ? expected[index] : Components{0x11, 0x22, 0x33};
    EXPECT_EQ(BytesOf(colour.ToCOLORREF()), bytes) << index;
  }
}

TEST(qvColorTest, HsvCoversTheColourCircle) {
  // At full saturation and value one component is 65535, one is 0 and the
  // third climbs or falls by 6 per unit of hue within each sixth.
  struct Case { int hue, saturation, value; Components rgb; } cases[] = {
      {0, 65535, 65535, {65535, 0, 0}},
      {5461, 65535, 65535, {65535, 6 * 5461, 0}},
      {16384, 65535, 65535, {2 * 65535 - 6 * 16384, 65535, 0}},
      {21845, 65535, 65535, {0, 65535, 0}},
      {27000, 65535, 65535, {0, 65535, 6 * 27000 - 2 * 65535}},
      {38000, 65535, 65535, {0, 4 * 65535 - 6 * 38000, 65535}},
      {43690, 65535, 65535, {0, 0, 65535}},
      {50000, 65535, 65535, {6 * 50000 - 4 * 65535, 0, 65535}},
      {60000, 65535, 65535, {65535, 0, 6 * 65535 - 6 * 60000}},
      {65534, 65535, 65535, {65535, 0, 6}},
      {65535, 65535, 65535, {65535, 0, 0}},  // one step short of a full turn: red again
      {65535, 0x8000, 65535, {65535, 32767, 32767}},
      {43690, 65535, 0x8000, {0, 0, 0x8000}},
      {12345, 0, 0x8000, {0x8000, 0x8000, 0x8000}},  // no saturation: grey whatever the hue
  };
  for (const Case& c : cases) {
    qvColor colour;
    colour.SetHSV(c.hue, c.saturation, c.value);
    colour.UpdateRGB();
    EXPECT_EQ(RgbOf(colour), c.rgb) << "hsv " << c.hue << "," << c.saturation << "," << c.value;
  }
}

TEST(qvColorTest, HsvIsConvertedOnlyWhenNeededAndNeverBack) {
  qvColor colour(0x1111, 0x2222, 0x3333);
  colour.SetHSV(0, 0, 0x8000);
  qvColor copy = colour;
  EXPECT_EQ(RgbOf(colour), (Components{0x1111, 0x2222, 0x3333}));
  EXPECT_EQ(BytesOf(colour.ToCOLORREF()), (Components{128, 128, 128}));
  EXPECT_TRUE(colour.rgbValid && colour.hsvValid);
  EXPECT_EQ(colour.mode, 1);
  EXPECT_FALSE(copy.rgbValid) << "a copy keeps the flags it was made with";
  EXPECT_EQ(BytesOf(copy.ToCOLORREF()), (Components{128, 128, 128}));

  colour.SetRGB(0xFFFF, 0, 0);
  EXPECT_EQ(colour.mode, 0);
  EXPECT_FALSE(colour.hsvValid);
  EXPECT_EQ((Components{colour.hue, colour.saturation, colour.value}), (Components{0, 0, 0x8000}));
}

}  // namespace
