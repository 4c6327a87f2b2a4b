#include "toolkit/controls/qvControl.h"

#include <oleacc.h>

#include <cctype>
#include <cstring>

#include "common/AnsiText.h"
#include "toolkit/controls/qvAccessible.h"
#include "toolkit/controls/qvPalette.h"
#include "toolkit/draw/qvDevice.h"
#include "toolkit/draw/qvTextDrawing.h"

qvControl::qvControl(const qvRect& bounds, qvWindow* parent, const char* title, int controlId)
    : qvWindow(bounds, parent, title, true, false, false) {
  ResetControlFields();
  this->controlId = controlId;
}

qvControl::~qvControl() {
  // A screen reader may still hold the object: it must no longer reach
  // this control.
  if (accessible) {
    accessible->Disconnect();
    accessible->Release();
  }
}

void qvControl::ResetControlFields() {
  disabled = false;
  inside = false;
  pressed = false;
  hotTracking = false;
  suppressClick = false;
  hoverTracking = false;
  hovering = false;
  controlId = 0;
  hoverText[0] = '\0';
}

void qvControl::GetTypeName(char* buffer) { std::strcpy(buffer, "qvControl"); }
int qvControl::GetId() { return controlId; }
void qvControl::ResetFields() { ResetControlFields(); }

bool qvControl::OnDoubleClick(qvEvent&) {
  NotifyParent(kNoticeDoubleClick, kEventOther);
  return false;
}

bool qvControl::OnMouseDown(qvEvent&) {
  TakeFocusOnPress();
  pressed = true;
  inside = true;
  CaptureMouse();
  Refresh();
  return false;
}

bool qvControl::OnMouseUp(qvEvent&) {
  // A click is a release over the control after a press on it: a release
  // that ends a double click, or one whose press went elsewhere, is none.
  const bool wasInside = inside && pressed;
  inside = false;
  pressed = false;
  Refresh();
  // The capture goes back before the parent hears of the click: its handler
  // may open a modal window, which must get the mouse, or delete this
  // control.
  ReleaseMouse();
  if (wasInside && !suppressClick) NotifyParent(kNoticeClick, kEventOther);
  return false;
}

bool qvControl::OnMouseMove(qvEvent& event) {
  const qvPoint& p = event.position;
  const bool hit = HitTest(p);
  if (hoverTracking) {
    if (hit && !hovering) {
      hovering = true;
      inside = true;
      CaptureMouse();
      NotifyParent(kNoticeHover, kEventOther);
    } else if (!hit && hovering) {
      hovering = false;
      ReleaseMouse();
      NotifyParent(kNoticeHover, kEventOther);
    }
  }
  if (hit && !inside) {
    inside = true;
    OnMouseEnter(p);
  } else if (!hit && inside) {
    inside = false;
    OnMouseLeave(p);
  }
  return false;
}

bool qvControl::HitTest(const qvPoint& p) {
  qvRect area;
  GetClientArea(area);
  area.MoveToOrigin();
  if (!area.Contains(p)) return false;
  POINT point;
  p.ToPOINT(&point);
  return ChildWindowFromPointEx(GetHandle(), point, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED) == GetHandle();
}

void qvControl::Refresh() { RedrawIfVisible(); }

void qvControl::Disable() {
  disabled = true;
  Refresh();
}

void qvControl::Enable() {
  disabled = false;
  Refresh();
}

bool qvControl::IsDisabled() { return disabled; }

bool qvControl::CanTakeFocusForward() {
  ReservedHookB(0);
  return TakesFocus();
}

bool qvControl::TakesFocus() { return true; }

bool qvControl::OnActivate() { return false; }

bool qvControl::OnKeyDown(qvEvent& event) {
  if (event.keyCode == kKeyTab) {
    // The focus moves on without a character: the tab that follows as a
    // character is not the control's either.
    NotifyParent(kNoticePassFocus, kEventOther);
    return false;
  }
  if ((event.keyCode == kKeySpace || event.keyCode == kKeyEnter) && !disabled && OnActivate()) return false;
  // Last: the parent may delete this control.
  return parent ? parent->OnKeyDown(event) : true;
}

bool qvControl::OnFocusLost() {
  Refresh();
  return true;
}

bool qvControl::HasFocus() { return GetHandle() && GetFocus() == GetHandle(); }

void qvControl::DrawFocusMark(qvDevice& device, const qvRect& r) {
  if (!HasFocus()) return;
  // The platform's dotted mark, drawn by inverting: its colours show on any
  // face.
  const COLORREF text = SetTextColor(device.GetContext(), qvPalette::GreyRef(qvPalette::kInk));
  const COLORREF back = SetBkColor(device.GetContext(), qvPalette::GreyRef(qvPalette::kPaper));
  device.DrawFocusFrame(r);
  SetBkColor(device.GetContext(), back);
  SetTextColor(device.GetContext(), text);
}

void qvControl::TakeFocusOnPress() {
  if (TakesFocus() && !disabled && !HasFocus()) TakeFocus();
}

bool qvControl::CanTakeFocusBackward() { return CanTakeFocusForward(); }

void qvControl::SetHoverText(const char* text) {
  if (!text) {
    hoverTracking = false;
    return;
  }
  CopyText(hoverText, text, sizeof hoverText);
  hoverTracking = true;
}

const char* qvControl::GetHoverText() { return hoverText; }
void qvControl::SetHoverTracking(bool on) { hoverTracking = on; }
bool qvControl::GetHoverTracking() { return hoverTracking; }
void qvControl::SetHovering(bool on) { hovering = on; }
bool qvControl::IsHovering() { return hovering; }

void qvControl::OnMouseEnter(const qvPoint&) {
  if (hotTracking) Refresh();
  CaptureMouse();
}

void qvControl::OnMouseLeave(const qvPoint&) {
  if (!IsPressed()) ReleaseMouse();
  if (hotTracking) Refresh();
}

bool qvControl::IsInside() { return inside; }
bool qvControl::IsPressedInside() { return inside && IsPressed(); }
bool qvControl::IsPressed() { return pressed; }
void qvControl::EnableHotTracking() { hotTracking = true; }
void qvControl::DisableHotTracking() { hotTracking = false; }

void qvControl::FillFaceBackground(qvDevice& device) {
  qvRect area;
  GetClientArea(area);
  qvColor grey = DefaultGrey();
  {
    qvBrush fill(grey);
    device.FillArea(area, fill);
  }
  FillBackground(device);
}

void qvControl::NotifyParent(int detail, int kind) {
  if (disabled || !parent) return;
  parent->Notify(controlId, detail, kind);
}

qvAccessibleInfo qvControl::GetAccessibleInfo() {
  qvAccessibleInfo info;
  info.role = ROLE_SYSTEM_CLIENT;
  info.name = GetTitle();
  return info;
}

SIZE qvControl::TextSize(const char* text, int fontKind, int wrapWidth) {
  SIZE size = {0, 0};
  const HDC dc = GetDC(GetHandle());
  if (!dc) return size;
  qvFont font(fontKind, GetDpi());
  font.SelectInto(dc);
  RECT rect = {0, 0, wrapWidth > 0 ? wrapWidth : 0x7FFF, 0};
  DrawTextUtf8(dc, text, &rect, DT_CALCRECT | (wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
  font.Deselect();
  ReleaseDC(GetHandle(), dc);
  size.cx = rect.right - rect.left;
  size.cy = rect.bottom - rect.top;
  return size;
}

wchar_t AccessKeyFolded(wchar_t key) {
  return static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(ULONG_PTR(key)))));
}

std::string MarkedLabel(const char* label, wchar_t accessKey) {
  const std::wstring text = WideFromUtf8(label);
  std::wstring marked;
  bool placed = accessKey == 0;
  const wchar_t key = AccessKeyFolded(accessKey);
  for (wchar_t c : text) {
    if (!placed && AccessKeyFolded(c) == key) {
      marked += L'&';
      placed = true;
    }
    if (c == L'&') marked += L'&';
    marked += c;
  }
  return Utf8FromWide(marked);
}

void qvControl::SetAccessKey(wchar_t key) {
  accessKey = key;
  Refresh();
}

unsigned DefaultActionMessage() {
  static const unsigned message = RegisterWindowMessageA("qvDoDefaultAction");
  return message;
}

bool qvControl::OnOtherMessage(qvEvent& event) {
  // The focus mark comes with the focus.
  if (event.message == WM_SETFOCUS) Refresh();
  // A screen reader's default action, as Space on the control: its
  // parent may end loops or delete windows in it.
  if (event.message == DefaultActionMessage()) {
    if (!disabled && !GetAccessibleInfo().defaultAction.empty()) {
      if (TakesFocus()) TakeFocus();
      OnActivate();
    }
    return false;
  }
  // Alt and a letter, which the platform sends as a menu key to the window
  // with the focus: the window that holds the control knows its keys.
  if (event.accessKey && parent) return parent->OnOtherMessage(event);
  // WM_GETOBJECT: lParam names the object asked for, wParam is passed on
  // to LresultFromObject. Other objects (the window's frame and the like)
  // are the platform's.
  if (event.message != WM_GETOBJECT || event.lParam != OBJID_CLIENT) return qvWindow::OnOtherMessage(event);
  if (!accessible) accessible = new qvAccessible(this);
  const LRESULT answer = accessible->Answer(event.wParam);
  // Without an answer of ours, the platform's plain object is better than
  // none.
  if (answer <= 0) return true;
  static_assert(sizeof(LRESULT) == sizeof(event.result), "a 32-bit program: the event's result holds an LRESULT");
  event.SetResult(static_cast<int>(answer));
  return false;
}
