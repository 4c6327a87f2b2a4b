#include "toolkit/window/qvDpi.h"

#include <cstdint>

namespace {

// A function of user32, which every program of the toolkit has loaded;
// null on a system older than the function.
template <typename Function>
Function User32Function(const char* name) {
  const HMODULE user32 = GetModuleHandleA("user32.dll");
  return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

}  // namespace

int ScaleForDpi(int value, int dpi) {
  const int64_t scaled = static_cast<int64_t>(value) * dpi;
  const int64_t half = kDefaultDpi / 2;
  return static_cast<int>(scaled >= 0 ? (scaled + half) / kDefaultDpi : -((-scaled + half) / kDefaultDpi));
}

qvRect ScaleRectForDpi(const qvRect& r, int dpi) {
  return qvRect(ScaleForDpi(r.GetLeft(), dpi), ScaleForDpi(r.GetTop(), dpi), ScaleForDpi(r.GetRight(), dpi),
                ScaleForDpi(r.GetBottom(), dpi));
}

qvRect PlaceForDpi(const qvLayoutPlace& place, int width, int height, int dpi) {
  const auto edge = [dpi](int distance, bool fromFar, int size) {
    const int scaled = ScaleForDpi(distance, dpi);
    return fromFar ? size - scaled : scaled;
  };
  const qvRect& r = place.at96;
  return qvRect(edge(r.GetLeft(), place.anchors & kAnchorLeftToRight, width),
                edge(r.GetTop(), place.anchors & kAnchorTopToBottom, height),
                edge(r.GetRight(), place.anchors & kAnchorRightToRight, width),
                edge(r.GetBottom(), place.anchors & kAnchorBottomToBottom, height));
}

int ScreenDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kDefaultDpi;
  if (screen) ReleaseDC(nullptr, screen);
  return UsableDpi(dpi) ? dpi : kDefaultDpi;
}

int WindowDpi(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
  const int dpi = getDpiForWindow && window ? static_cast<int>(getDpiForWindow(window)) : 0;
  return UsableDpi(dpi) ? dpi : ScreenDpi();
}

BOOL AdjustWindowRectForDpi(RECT* rect, DWORD style, BOOL menu, DWORD exStyle, int dpi) {
  using AdjustForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi = User32Function<AdjustForDpiFunction>("AdjustWindowRectExForDpi");
  if (adjustForDpi) return adjustForDpi(rect, style, menu, exStyle, static_cast<UINT>(dpi));
  return AdjustWindowRectEx(rect, style, menu, exStyle);
}
