// From platform window handles to the toolkit's window objects: the window
// property that ties a platform window to its object, and the two searches
// over the platform's window lists that the framework makes (the windows
// of this thread for the modal loop, the child under a point for hit tests).
// A platform window without the property is not the toolkit's.
#pragma once

#include <windows.h>

class qvWindow;

// The window property that ties a platform window to its object.
constexpr char kWindowProperty[] = "QVPROP";

// The object of a platform window; null for a null handle or a window that
// is not the toolkit's (or no longer tied to its object).
qvWindow* WindowFromHandle(HWND hwnd);

// Ties hwnd to object (not owned) through the window property, or unties
// it with a null object.
void AttachWindowObject(HWND hwnd, qvWindow* object);

// Enables or disables every top-level window of this thread but one (the
// modal loop's).
void EnableAllButOne(HWND spared, bool enable);

// The innermost visible descendant of start whose client area holds point,
// given in host's client coordinates; start when there is none.
HWND FindDescendantAt(HWND start, HWND host, POINT point);
