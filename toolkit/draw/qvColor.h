// qvColor: a colour with 16-bit components, settable as red/green/blue, as
// hue/saturation/value or from the toolkit's table of named colours. The
// controls keep their face and background colours as qvColor and turn them
// into the platform's 8-bit COLORREF only when a pen or brush is made.
//
// Both models are stored side by side with a flag saying which one is
// current. Setting hue/saturation/value leaves red/green/blue stale until
// UpdateRGB (or ToCOLORREF) works them out; there is no conversion the other
// way, so the hue/saturation/value fields keep whatever SetHSV stored last.
// It owns nothing and copies freely, flags included.
#pragma once

#include <cstdint>

// Entries of the named-colour table go from 0 to kNamedColorCount - 1.
constexpr int kNamedColorCount = 30;

// The toolkit's default grey, platform colour (140, 140, 140): named colour
// kNamedDefaultGrey, the background of a window without a colour of its own,
// the brush of the window classes, the face behind every control.
constexpr int kNamedDefaultGrey = 1;
constexpr uint16_t kDefaultGreyLevel = 0x8C8C;

class qvColor {
public:
  // Black, with red/green/blue current: the state of a control's colour
  // before it is set to a named one.
  qvColor() = default;
  qvColor(uint16_t red, uint16_t green, uint16_t blue) : red(red), green(green), blue(blue) {}

  virtual ~qvColor() = default;
  virtual void SetNamedColor(int index);
  virtual void SetRGB(uint16_t r, uint16_t g, uint16_t b);
  // Red/green/blue become stale; they are worked out when next needed.
  virtual void SetHSV(uint16_t h, uint16_t s, uint16_t v);
  // Makes red/green/blue current and takes them from the named-colour table.
  // An index outside the table keeps the components as they were.
  virtual void SetNamed(int index);

  // Works red/green/blue out of hue/saturation/value and marks them current;
  // the mode and the hue/saturation/value fields stay as they are.
  void UpdateRGB();
  // The platform colour (a COLORREF): the high byte of each component,
  // red in the low byte.
  uint32_t ToCOLORREF();

  int32_t mode = 0;       // the model set last: 0 red/green/blue, 1 hue/saturation/value
  bool rgbValid = true;   // red, green and blue hold the current colour
  bool hsvValid = false;  // hue, saturation and value hold the current colour
  uint16_t red = 0;
  uint16_t green = 0;
  uint16_t blue = 0;
  uint16_t hue = 0;  // 0 .. 65535 goes once round the colour circle
  uint16_t saturation = 0;
  uint16_t value = 0;
};

inline qvColor DefaultGrey() { return qvColor(kDefaultGreyLevel, kDefaultGreyLevel, kDefaultGreyLevel); }

// The colour of 8-bit components, each widened so that its high byte (what
// the platform colour takes) is the component itself.
inline qvColor ColorFromBytes(uint8_t red, uint8_t green, uint8_t blue) {
  return qvColor(static_cast<uint16_t>(red * 257), static_cast<uint16_t>(green * 257),
                 static_cast<uint16_t>(blue * 257));
}
