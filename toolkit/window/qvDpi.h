// The display scale. Layouts are written in pixels at 96 DPI, the platform's
// 100 %, and scaled to a window's DPI: every coordinate by DPI / 96, rounded
// once, so that two rectangles that share an edge at 96 DPI share it at
// every scale and nothing drifts between neighbours.
//
// The platform's per-window functions (GetDpiForWindow and its kin) came
// with Windows 10; they are looked up, not imported, and without them the
// screen's DPI stands for every window's.
#pragma once

#include <windows.h>

#include <cstdint>

#include "toolkit/draw/qvRect.h"

constexpr int kDefaultDpi = 96;
// The DPIs taken from the platform or a message: 50 % to 500 %.
constexpr int kSmallestDpi = 48;
constexpr int kLargestDpi = 480;
inline bool UsableDpi(int dpi) { return dpi >= kSmallestDpi && dpi <= kLargestDpi; }

// value * dpi / 96, rounded to the nearest pixel (halves away from zero).
int ScaleForDpi(int value, int dpi);
// Each edge scaled on its own.
qvRect ScaleRectForDpi(const qvRect& r, int dpi);

// Where a child lies in its parent's client area, written at 96 DPI. Each
// edge is a distance from the client area's left or top edge or, where
// the anchors say so, back from its right or bottom edge: a child of a
// window that is resized keeps its distance from the edges it follows.
struct qvLayoutPlace {
  qvRect at96;
  uint8_t anchors = 0;  // kAnchor... bits
};
constexpr uint8_t kAnchorLeftToRight = 1;     // the left edge is measured back from the right
constexpr uint8_t kAnchorRightToRight = 2;    // the right edge is
constexpr uint8_t kAnchorTopToBottom = 4;     // the top edge is measured up from the bottom
constexpr uint8_t kAnchorBottomToBottom = 8;  // the bottom edge is
// Both edges of a side follow it.
constexpr uint8_t kAnchorRight = kAnchorLeftToRight | kAnchorRightToRight;
constexpr uint8_t kAnchorBottom = kAnchorTopToBottom | kAnchorBottomToBottom;

// The place in a client area of width x height pixels at dpi: every
// distance scaled once, then measured from its edge.
qvRect PlaceForDpi(const qvLayoutPlace& place, int width, int height, int dpi);

// The DPI the platform gives new windows on the main screen.
int ScreenDpi();
// The window's DPI: the DPI of the screen it is on for a program that is
// aware of each screen's DPI; the screen's otherwise.
int WindowDpi(HWND window);
// AdjustWindowRectEx at dpi: the frame's metrics of that DPI where the
// platform has them, the system's otherwise.
BOOL AdjustWindowRectForDpi(RECT* rect, DWORD style, BOOL menu, DWORD exStyle, int dpi);
