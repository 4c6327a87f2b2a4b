#include "toolkit/controls/qvCheckbox.h"

#include <oleacc.h>

#include <cstring>

#include "toolkit/controls/qvPalette.h"
#include "toolkit/draw/qvDevice.h"
#include "toolkit/draw/qvTextDrawing.h"
#include "toolkit/files/qvOffscreenDevice.h"

namespace {

constexpr int kBoxSize = 13;

// A polyline of one-pixel pen from its first point.
void Polyline3(qvDevice& device, qvColor colour, int width, const POINT (&points)[3]) {
  qvPen pen(&colour, width);
  pen.SelectInto(device.GetContext());
  Polyline(device.GetContext(), points, 3);
}

// The sunken box in one of its four states: unchecked or checked, each
// normal or pressed. Its two-pixel edge stays two hairlines at every DPI;
// the mark follows the DPI.
void DrawBox(qvDevice& device, const qvRect& box, bool checked, bool pressed, int dpi) {
  const int L = box.GetLeft(), T = box.GetTop(), R = box.GetRight(), B = box.GetBottom();
  using namespace qvPalette;
  Polyline3(device, Grey(kPaper), 1, {{L, B - 1}, {R - 1, B - 1}, {R - 1, T}});
  Polyline3(device, Grey(kSunken), 1, {{R - 2, T}, {L, T}, {L, B - 1}});
  Polyline3(device, Grey(kSunkenLight), 1, {{L + 1, B - 2}, {R - 2, B - 2}, {R - 2, T + 1}});
  Polyline3(device, Grey(kInk), 1, {{R - 3, T + 1}, {L + 1, T + 1}, {L + 1, B - 2}});

  const qvRect inner(L + 2, T + 2, R - 2, B - 2);
  qvColor fill = Grey(pressed ? kSunken : kPaper);
  {
    qvBrush brush(fill);
    device.FillArea(inner, brush);
  }
  if (!checked) return;
  const int l = inner.GetLeft(), t = inner.GetTop(), r = inner.GetRight(), b = inner.GetBottom();
  auto px = [dpi](int value) { return ScaleForDpi(value, dpi); };
  Polyline3(device, Grey(kInk), px(2), {{l + px(1), t + px(3)}, {l + px(3), b - px(2)}, {r - px(1), t + px(1)}});
}

}  // namespace

qvCheckbox::qvCheckbox(qvWindow* parent, const qvRect& bounds, const char* text, int controlId)
    : qvControl(bounds, parent, nullptr, controlId), checked(false) {
  CopyText(label, text ? text : "", sizeof label);
  Create();
  Layout();
}

void qvCheckbox::Layout() {
  qvRect area;
  GetClientArea(area);
  const int size = Scaled(kBoxSize);
  box.Set(0, 0, size, size);
  box.Offset(0, (area.GetHeight() - size) / 2 + 1);
  textRect.Assign(area);
  textRect.SetLeft(box.GetRight() + Scaled(2));
  textRect.SetTop(textRect.GetTop() + Scaled(2));
}

void qvCheckbox::ResetFields() {
  checked = false;
  label[0] = '\0';
}

bool qvCheckbox::OnCommand(qvEvent& event) {
  event.id = GetId();
  return parent ? parent->OnCommand(event) : true;
}

bool qvCheckbox::OnPaint(qvEvent&) {
  qvPaintDevice paint(this);
  qvOffscreenDevice offscreen(this);
  Layout();
  FillFaceBackground(offscreen);
  DrawBox(offscreen, box, checked, IsPressed() && IsInside(), GetDpi());

  qvFont font(qvFontLarge, GetDpi());
  font.SelectInto(offscreen.GetContext());
  const HDC dc = offscreen.GetContext();
  const COLORREF previousColour =
      SetTextColor(dc, qvPalette::GreyRef(IsDisabled() ? qvPalette::kSunken : qvPalette::kInk));
  const int previousMode = SetBkMode(dc, TRANSPARENT);
  RECT rect;
  textRect.ToRECT(&rect);
  const std::string marked = MarkedLabel(label, AccessKey());
  DrawTextUtf8(dc, marked.c_str(), &rect, DT_WORDBREAK | DT_VCENTER);
  // The mark goes round the label's text, as the platform's check boxes
  // draw it, leading spaces left out.
  RECT measured = rect;
  const char* text = label + std::strspn(label, " ");
  SIZE lead = {};
  GetTextExtentPoint32A(dc, label, static_cast<int>(text - label), &lead);  // spaces only
  DrawTextUtf8(dc, marked.c_str(), &measured, DT_WORDBREAK | DT_VCENTER | DT_CALCRECT);
  SetBkMode(dc, previousMode);
  SetTextColor(dc, previousColour);
  if (*text) DrawFocusMark(offscreen, qvRect(measured.left + lead.cx - 1, measured.top, measured.right + 1, measured.bottom));
  offscreen.CopyToDevice(&paint);
  font.Deselect();
  return true;
}

bool qvCheckbox::OnDoubleClick(qvEvent& event) { return qvWindow::OnDoubleClick(event); }

bool qvCheckbox::OnMouseDown(qvEvent& event) {
  if (IsDisabled()) return false;
  TakeFocusOnPress();
  pressed = true;
  inside = true;
  CaptureMouse();
  Refresh();
  OnMouseMove(event);
  return false;
}

bool qvCheckbox::OnMouseUp(qvEvent& event) {
  if (IsDisabled()) return false;
  const bool wasInside = IsInside();
  suppressClick = true;
  qvControl::OnMouseUp(event);
  suppressClick = false;
  if (wasInside) checked = !checked;
  Refresh();
  // Last: the parent may act on the new state in ways that end this
  // control's life.
  if (wasInside) NotifyParent(kNoticeClick, kEventOther);
  return false;
}

bool qvCheckbox::OnMouseMove(qvEvent& event) {
  if (IsDisabled()) return false;
  return qvControl::OnMouseMove(event);
}

bool qvCheckbox::OnActivate() {
  checked = !checked;
  Refresh();
  // Last: the parent may act on the new state in ways that end this
  // control's life.
  NotifyParent(kNoticeClick, kEventOther);
  return true;
}

void qvCheckbox::Check() {
  checked = true;
  Refresh();
}

void qvCheckbox::Uncheck() {
  checked = false;
  Refresh();
}

int qvCheckbox::LabelHeight() {
  Layout();
  return TextSize(MarkedLabel(label, 0).c_str(), qvFontLarge, textRect.GetWidth()).cy;
}

int qvCheckbox::LabelRoom() {
  Layout();
  return textRect.GetHeight();
}

bool qvCheckbox::IsChecked() { return checked; }

void qvCheckbox::SetLabel(const char* text) {
  CopyText(label, text ? text : "", sizeof label);
  Refresh();
}

bool qvCheckbox::OnKeyDown(qvEvent& event) {
  if (event.keyCode == kKeyEnter) return parent ? parent->OnKeyDown(event) : true;
  return qvControl::OnKeyDown(event);
}

qvAccessibleInfo qvCheckbox::GetAccessibleInfo() {
  qvAccessibleInfo info;
  info.role = ROLE_SYSTEM_CHECKBUTTON;
  const char* name = label;
  while (*name == ' ') ++name;
  info.name = name;
  info.focusable = TakesFocus();
  info.checked = checked;
  info.accessKey = AccessKey();
  info.defaultAction = checked ? "Uncheck" : "Check";
  return info;
}
