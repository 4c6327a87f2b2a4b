// The greys the toolkit's controls are drawn in, named once: a control's
// look changes here, not in its drawing code. Each is a grey level, the same
// byte for red, green and blue; while a high-contrast theme is on, each is
// the system colour of its role instead (qvContrast.h).
#pragma once

#include <windows.h>

#include <cstdint>

#include "toolkit/draw/qvColor.h"
#include "toolkit/draw/qvContrast.h"

namespace qvPalette {

constexpr uint8_t kInk = 0;              // outlines, text and check marks
constexpr uint8_t kHeldLight = 85;       // a held button's upper-left bevel
constexpr uint8_t kHeldFace = 102;       // a held button's face; the scroll bar's track
constexpr uint8_t kShade = 119;          // lower-right bevels
constexpr uint8_t kSunken = 128;         // sunken edges and frames; a held check box; a disabled check box's label
constexpr uint8_t kHeldShade = 136;      // a held button's lower-right bevel; a disabled button's outline
constexpr uint8_t kDisabledInk = 153;    // a disabled button's label
constexpr uint8_t kFace = 180;           // the faces of buttons and scroll bar parts
constexpr uint8_t kListBackground = 220; // behind a text list's lines
constexpr uint8_t kThumbLight = 225;     // a scroll bar part's upper-left bevel
constexpr uint8_t kSunkenLight = 238;    // the inner light edge of a sunken box
constexpr uint8_t kPaper = 255;          // bevel highlights; a check box's inside

inline COLORREF GreyRef(uint8_t level) {
  return HighContrastOn() ? GetSysColor(ContrastColorIndex(level)) : RGB(level, level, level);
}
inline qvColor Grey(uint8_t level) {
  const COLORREF c = GreyRef(level);
  return ColorFromBytes(GetRValue(c), GetGValue(c), GetBValue(c));
}

}  // namespace qvPalette
