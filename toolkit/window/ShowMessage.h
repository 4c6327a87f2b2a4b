// The one way failures reach the user: a platform message box captioned
// "Attention !". A box is owned by the window that shows it, which the
// platform disables while the box is open, and opens centred over it.
#pragma once

#include <windows.h>

// One OK button, owned by the foreground window. Returns the platform's
// answer once the user has closed the box.
int ShowMessage(const char* text);
// One OK button, owned by owner (or by the foreground window when null).
int ShowMessage(HWND owner, const char* text);
// Yes and No, No first in line for Enter, so that a stray key press
// answers the safe way. True for Yes.
bool AskYesNo(HWND owner, const char* text);

// Moves window so that its centre is the centre of owner's, kept on the
// screen's work area.
void CenterWindowOver(HWND window, HWND owner);
