// qvWindow's tooltip: a platform "tooltips_class32" control that watches the
// window's mouse messages itself and shows tooltipText while the mouse rests
// in the top-left 100 x 20 pixels of the client area.
#include <windows.h>

#include <commctrl.h>

#include <cstring>

#include "common/AnsiText.h"
#include "toolkit/window/SystemDlls.h"
#include "toolkit/window/qvWindow.h"

void qvWindow::SetTooltip(const char* text) {
  char converted[240];
  CopyText(converted, text ? text : "", sizeof converted);
  for (char* c = converted; *c; ++c)
    if (*c == '\r') *c = '\n';
  std::strcpy(tooltipText, converted);

  // The class comes with the common controls, loaded with the first tooltip.
  static const bool commonControls = InitCommonControlsFromSystem(ICC_BAR_CLASSES);
  (void)commonControls;
  // Only the newest control is kept: an earlier one goes first.
  if (tooltipHwnd) DestroyWindow(tooltipHwnd);
  tooltipHwnd = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, GetHandle(), nullptr, instance, nullptr);

  // The control keeps a copy of the text.
  std::wstring wide = WideFromUtf8(tooltipText);
  TOOLINFOW tool = {};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;  // without the reserved pointer of newer versions
  tool.uFlags = TTF_SUBCLASS | TTF_TRANSPARENT;
  tool.hwnd = GetHandle();
  tool.uId = 0;
  tool.rect = RECT{0, 0, 100, 20};
  tool.hinst = nullptr;
  tool.lpszText = &wide[0];
  SendMessageW(tooltipHwnd, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(tooltipHwnd, TTM_SETMAXTIPWIDTH, 0, 500);
  SetWindowPos(tooltipHwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}
