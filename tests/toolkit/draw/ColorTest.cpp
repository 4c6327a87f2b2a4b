#include "toolkit/draw/qvColor.h"

#include <gtest/gtest.h>

#include <array>
#include <type_traits>

static_assert(std::is_copy_constructible_v<qvColor> && std::has_virtual_destructor_v<qvColor>);

namespace {

using Components = std::array<int, 3>;

Components RgbOf(const qvColor& c) { return {c.red, c.green, c.blue}; }
Components BytesOf(COLORREF c) { return {GetRValue(c), GetGValue(c), GetBValue(c)}; }

TEST(qvColorTest, ConstructionStates) {
  qvColor plain;
  EXPECT_EQ(plain.mode, 0);
  EXPECT_TRUE(plain.rgbValid);
  EXPECT_FALSE(plain.hsvValid);
  EXPECT_EQ(RgbOf(plain), (Components{0, 0, 0}));
  EXPECT_EQ((Components{plain.hue, plain.saturation, plain.value}), (Components{0, 0, 0}));

  qvColor given(1, 2, 3);
  EXPECT_EQ(given.mode, 0);
  EXPECT_TRUE(given.rgbValid);
  EXPECT_FALSE(given.hsvValid);
  EXPECT_EQ(RgbOf(given), (Components{1, 2, 3}));
}

TEST(qvColorTest, PlatformColourTakesTheHighByteOfEachComponent) {
  struct Case {
    int red, green, blue;
    Components bytes;
  } cases[] = {
      {0x12FF, 0x3400, 0x56AB, {0x12, 0x34, 0x56}},
      {255, 0, 0, {0, 0, 0}},  // a "red" given in 8-bit units is black
      {0xFFFF, 0x0100, 0x00FF, {255, 1, 0}},
  };
  for (const Case& c : cases) {
    qvColor colour(c.red, c.green, c.blue);
    EXPECT_EQ(BytesOf(colour.ToCOLORREF()), c.bytes) << c.red << "," << c.green << "," << c.blue;
  }
}

TEST(qvColorTest, NamedColoursGiveTheirPlatformColours) {
  const Components expected[kNamedColorCount] = {
      {230, 230, 230}, {140, 140, 140}, {223, 223, 223}, {100, 100, 100}, {40, 40, 40},
      {160, 160, 160}, {0, 0, 0},       {128, 128, 128}, {238, 238, 238}, {100, 100, 100},
      {255, 255, 255}, {0, 0, 0},       {141, 141, 169}, {199, 199, 199}, {214, 214, 254},
      {180, 180, 180}, {225, 225, 225}, {119, 119, 119}, {0, 0, 0},       {0, 0, 0},
      {180, 180, 180}, {136, 136, 136}, {136, 136, 136}, {128, 128, 128}, {102, 102, 102},
      {252, 0, 0},     {0, 0, 252},     {0, 252, 0},     {194, 194, 194}, {109, 109, 109},
  };
  for (int index = 0; index < kNamedColorCount; ++index) {
    qvColor colour(0x1111, 0x2222, 0x3333);
    colour.SetHSV(1, 2, 3);
    colour.SetNamed(index);
    EXPECT_EQ(colour.mode, 0) << index;
    EXPECT_TRUE(colour.rgbValid) << index;
    EXPECT_FALSE(colour.hsvValid) << index;
    EXPECT_EQ(BytesOf(colour.ToCOLORREF()), expected[index]) << index;
  }
}

TEST(qvColorTest, NamedIndexOutsideTheTableKeepsTheComponents) {
  for (int index : {30, 31, 1000, -1, -30}) {
    qvColor colour(0x1100, 0x2200, 0x3300);
    colour.SetHSV(0, 65535, 65535);  // red/green/blue are now stale
    colour.SetNamed(index);
    EXPECT_EQ(colour.mode, 0) << index;
    EXPECT_TRUE(colour.rgbValid) << index;
    EXPECT_FALSE(colour.hsvValid) << index;
    EXPECT_EQ(RgbOf(colour), (Components{0x1100, 0x2200, 0x3300})) << index;
    EXPECT_EQ(BytesOf(colour.ToCOLORREF()), (Components{0x11, 0x22, 0x33})) << index;
  }
}

// Counts the calls that reach SetNamed through the table.
class CountingColor : public qvColor {
public:
  void SetNamed(int index) override {
    ++calls;
    qvColor::SetNamed(index);
  }
  int calls = 0;
};

TEST(qvColorTest, SetNamedColorGoesThroughTheTable) {
  CountingColor colour;
  colour.SetNamedColor(10);
  EXPECT_EQ(colour.calls, 1);
  EXPECT_EQ(RgbOf(colour), (Components{0xFFFF, 0xFFFF, 0xFFFF}));
}

TEST(qvColorTest, HsvCoversTheColourCircle) {
  // With full saturation and value one component is 65535, one is 0 and the
  // third climbs or falls 6 units per unit of hue within each sixth.
  struct Case {
    int hue, saturation, value;
    Components rgb;
  } cases[] = {
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
      {0, 0x8000, 65535, {65535, 32767, 32767}},
      {65535, 0x8000, 65535, {65535, 32767, 32767}},
      {43690, 65535, 0x8000, {0, 0, 0x8000}},
      {12345, 0, 65535, {65535, 65535, 65535}},  // no saturation: hue does not matter
      {0, 0, 0x8000, {0x8000, 0x8000, 0x8000}},
      {30000, 65535, 0, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    qvColor colour;
    colour.SetHSV(c.hue, c.saturation, c.value);
    colour.UpdateRGB();
    EXPECT_EQ(RgbOf(colour), c.rgb) << "hsv " << c.hue << "," << c.saturation << "," << c.value;
  }
}

TEST(qvColorTest, HsvIsConvertedWhenFirstNeeded) {
  qvColor colour(0x1111, 0x2222, 0x3333);
  colour.SetHSV(0, 0, 0x8000);
  EXPECT_EQ(colour.mode, 1);
  EXPECT_FALSE(colour.rgbValid);
  EXPECT_TRUE(colour.hsvValid);
  EXPECT_EQ(RgbOf(colour), (Components{0x1111, 0x2222, 0x3333}));

  EXPECT_EQ(BytesOf(colour.ToCOLORREF()), (Components{128, 128, 128}));
  EXPECT_TRUE(colour.rgbValid);
  EXPECT_TRUE(colour.hsvValid);
  EXPECT_EQ(colour.mode, 1);
  EXPECT_EQ((Components{colour.hue, colour.saturation, colour.value}), (Components{0, 0, 0x8000}));
}

TEST(qvColorTest, RgbIsNeverConvertedBackToHsv) {
  qvColor colour;
  colour.SetHSV(100, 200, 300);
  colour.SetRGB(0xFFFF, 0, 0);
  EXPECT_EQ(colour.mode, 0);
  EXPECT_TRUE(colour.rgbValid);
  EXPECT_FALSE(colour.hsvValid);
  EXPECT_EQ((Components{colour.hue, colour.saturation, colour.value}), (Components{100, 200, 300}));
  EXPECT_EQ(BytesOf(colour.ToCOLORREF()), (Components{255, 0, 0}));
}

TEST(qvColorTest, CopiesCarryTheFlags) {
  qvColor colour(0x1111, 0x2222, 0x3333);
  colour.SetHSV(43690, 65535, 65535);
  qvColor copy = colour;
  EXPECT_EQ(copy.mode, 1);
  EXPECT_FALSE(copy.rgbValid);
  EXPECT_TRUE(copy.hsvValid);
  EXPECT_EQ(BytesOf(copy.ToCOLORREF()), (Components{0, 0, 255}));
  EXPECT_FALSE(colour.rgbValid);
}

}  // namespace
