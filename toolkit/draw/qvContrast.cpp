#include "toolkit/draw/qvContrast.h"

namespace {

// The answer asked last: -1 until it is asked (again).
int answer = -1;

bool Ask() {
  char given[4] = "";
  const DWORD length = GetEnvironmentVariableA("QV_TEST_HIGH_CONTRAST", given, sizeof given);
  if (length == 1 && (given[0] == '0' || given[0] == '1')) return given[0] == '1';
  HIGHCONTRASTW contrast = {};
  contrast.cbSize = sizeof contrast;
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

}  // namespace

bool HighContrastOn() {
  if (answer < 0) answer = Ask() ? 1 : 0;
  return answer == 1;
}

void ForgetHighContrast() { answer = -1; }

int ContrastColorIndex(uint8_t level) {
  // The palette's levels (qvPalette.h), darkest first, as the roles they
  // play: ink, bevels and faces, what is disabled, paper.
  switch (level) {
    case 0: return COLOR_WINDOWTEXT;       // ink: outlines, text, check marks
    case 85: return COLOR_BTNSHADOW;       // a held button's upper-left bevel
    case 102: return COLOR_BTNFACE;        // a held button's face, the scroll bar's track
    case 119: return COLOR_BTNSHADOW;      // lower-right bevels
    case 128: return COLOR_GRAYTEXT;       // sunken edges, a disabled check box's label
    case 136: return COLOR_BTNSHADOW;      // a held button's lower-right bevel, a disabled outline
    case 153: return COLOR_GRAYTEXT;       // a disabled button's label
    case 180: return COLOR_BTNFACE;        // faces
    case 220: return COLOR_WINDOW;         // behind a text list's lines
    case 225: return COLOR_BTNHIGHLIGHT;   // a scroll bar part's light bevel
    case 238: return COLOR_BTNHIGHLIGHT;   // a sunken box's inner light edge
    case 255: return COLOR_WINDOW;         // paper: highlights, a check box's inside
  }
  return COLOR_WINDOW;
}
