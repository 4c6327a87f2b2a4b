// Whether the user has a high-contrast theme on, asked of the system in
// this one place. While one is, the toolkit draws every control, caption
// and window in the system's colours (GetSysColor) and no picture behind
// text; otherwise nothing changes. Windows only.
//
// The answer can be given for tests: QV_TEST_HIGH_CONTRAST in the
// environment, "1" on and "0" off, stands for the system's (some systems,
// Wine among them, cannot turn the theme on).
#pragma once

#include <windows.h>

#include <cstdint>

// Asked once and kept: every colour of every paint asks it.
bool HighContrastOn();
// The next HighContrastOn asks again: for a change of the system's
// settings or colours (the windows are told, and tell the toolkit).
void ForgetHighContrast();

// The system colour (COLOR_...) that stands for a grey level of the
// toolkit's palette while high contrast is on.
int ContrastColorIndex(uint8_t greyLevel);
