// The one way failures reach the user: a platform message box captioned
// "Attention !". A box is owned by the window that shows it, which the
// platform disables while the box is open, and opens centred over it. A
// window of another process never owns one: disabling it sends it a
// message, and its thread may be waiting for this program to end (as the
// system's list of programs waits for an uninstaller), which would hang
// both. Without an own window the box is brought to the foreground itself.
#pragma once

#include <windows.h>

// The boxes' title in the program's language; null or empty: "Attention !".
void SetMessageCaption(const char* title);

// One OK button, owned by the foreground window when it is this program's
// own. Returns the platform's answer once the user has closed the box.
int ShowMessage(const char* text);
// One OK button, owned by owner (or as above when null).
int ShowMessage(HWND owner, const char* text);
// Yes and No, No first in line for Enter, so that a stray key press
// answers the safe way. True for Yes.
bool AskYesNo(HWND owner, const char* text);
// Retry and Cancel, Retry first. True for Retry.
bool AskRetry(HWND owner, const char* text);

// The foreground window when it belongs to this program, else null: the
// owner of a box or dialog shown without one.
HWND OwnForegroundWindow();

// Moves window so that its centre is the centre of owner's, kept on the
// screen's work area.
void CenterWindowOver(HWND window, HWND owner);
