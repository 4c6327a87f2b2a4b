#include "toolkit/draw/qvColor.h"

#include <cmath>

namespace {

struct NamedColor {
  uint16_t red, green, blue;
};

constexpr NamedColor kNamedColors[kNamedColorCount] = {
    {0xE600, 0xE600, 0xE600},  //  0
    {kDefaultGreyLevel, kDefaultGreyLevel, kDefaultGreyLevel},  //  1: kNamedDefaultGrey
    {0xDFDF, 0xDFDF, 0xDFDF},  //  2
    {0x6464, 0x6464, 0x6464},  //  3
    {0x2828, 0x2828, 0x2828},  //  4
    {0xA000, 0xA000, 0xA000},  //  5
    {0, 0, 0},                 //  6
    {0x8000, 0x8000, 0x8000},  //  7
    {0xEEEE, 0xEEEE, 0xEEEE},  //  8
    {0x6464, 0x6464, 0x6464},  //  9
    {0xFFFF, 0xFFFF, 0xFFFF},  // 10
    {0, 0, 0},                 // 11
    {0x8D00, 0x8D00, 0xA900},  // 12
    {0xC700, 0xC700, 0xC700},  // 13
    {0xD600, 0xD600, 0xFE00},  // 14
    {0xB4B4, 0xB4B4, 0xB4B4},  // 15
    {0xE1E1, 0xE1E1, 0xE1E1},  // 16
    {0x7777, 0x7777, 0x7777},  // 17
    {0, 0, 0},                 // 18
    {0, 0, 0},                 // 19
    {0xB4B4, 0xB4B4, 0xB4B4},  // 20
    {0x8888, 0x8888, 0x8888},  // 21
    {0x8888, 0x8888, 0x8888},  // 22
    {0x8080, 0x8080, 0x8080},  // 23
    {0x6666, 0x6666, 0x6666},  // 24
    {0xFC00, 0, 0},            // 25
    {0, 0, 0xFC00},            // 26
    {0, 0xFC00, 0},            // 27
    {0xC2C2, 0xC2C2, 0xC2C2},  // 28
    {0x6D00, 0x6D00, 0x6D00},  // 29
};

// 1 / 65535, the scale between 16-bit components and the unit interval.
constexpr double kUnit = 1.525902189669642e-05;

uint16_t ToComponent(double x) { return static_cast<uint16_t>(std::trunc(x * 65535 + 0.5)); }

}  // namespace

void qvColor::SetNamedColor(int index) { SetNamed(index); }

void qvColor::SetRGB(uint16_t r, uint16_t g, uint16_t b) {
  mode = 0;
  rgbValid = true;
  hsvValid = false;
  red = r;
  green = g;
  blue = b;
}

void qvColor::SetHSV(uint16_t h, uint16_t s, uint16_t v) {
  mode = 1;
  hsvValid = true;
  rgbValid = false;
  hue = h;
  saturation = s;
  value = v;
}

void qvColor::SetNamed(int index) {
  mode = 0;
  rgbValid = true;
  hsvValid = false;
  if (index < 0 || index >= kNamedColorCount) return;
  red = kNamedColors[index].red;
  green = kNamedColors[index].green;
  blue = kNamedColors[index].blue;
}

void qvColor::UpdateRGB() {
  double s = saturation * kUnit;
  double v = value * kUnit;
  if (s == 0) {
    red = green = blue = ToComponent(v);
    rgbValid = true;
    return;
  }

  double f = hue * kUnit * 6;
  int sector = static_cast<int>(f);
  double frac = f - sector;
  // Hue 65535 is one step short of a full turn and must come out red like
  // its neighbours; should rounding ever put it in sector 6, that is sector 0.
  if (sector >= 6) sector -= 6;
  double p = v * (1 - s);
  double q = v * (1 - s * frac);
  double t = v * (1 - s * (1 - frac));
  double r, g, b;
  switch (sector) {
    case 0: r = v; g = t; b = p; break;
    case 1: r = q; g = v; b = p; break;
    case 2: r = p; g = v; b = t; break;
    case 3: r = p; g = q; b = v; break;
    case 4: r = t; g = p; b = v; break;
    default: r = v; g = p; b = q; break;
  }
  red = ToComponent(r);
  green = ToComponent(g);
  blue = ToComponent(b);
  rgbValid = true;
}

uint32_t qvColor::ToCOLORREF() {
  if (!rgbValid) UpdateRGB();
  return static_cast<uint32_t>((blue >> 8) << 16 | (green >> 8) << 8 | (red >> 8));
}
