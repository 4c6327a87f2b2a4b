#include "toolkit/controls/qvCaption.h"

#include <oleacc.h>

#include <cstring>

#include "common/AnsiText.h"
#include "toolkit/controls/qvPalette.h"
#include "toolkit/draw/qvDevice.h"

qvCaption::qvCaption(qvWindow* parent, const qvRect& bounds, const char* text, int alignFlags)
    : qvControl(bounds, parent, text, -1), fontKind(qvFontLarge), alignFlags(alignFlags) {
  backgroundColor.SetNamedColor(kNamedDefaultGrey);
  Create();
}

void qvCaption::GetTypeName(char* buffer) { std::strcpy(buffer, "qvCaption"); }

void qvCaption::ResetFields() {
  backgroundColor.SetNamedColor(kNamedDefaultGrey);
  alignFlags = kCaptionLeft;
}

bool qvCaption::OnPaint(qvEvent&) {
  qvPaintDevice device(this);
  qvFont font(fontKind, GetDpi());
  font.SelectInto(device.GetContext());
  FillBackground(device);
  SetTextColor(device.GetContext(), qvPalette::GreyRef(qvPalette::kInk));
  int align = 0;
  if (alignFlags & kCaptionCenter) align |= kAlignCenter;
  if (alignFlags & kCaptionMiddle) align |= kAlignMiddle;
  if (alignFlags & kCaptionEllipsis) align |= kAlignEllipsis;
  qvRect area;
  GetClientArea(area);
  // Every "&" as written: a folder or product name may hold one, and the
  // platform would take it for an access key's mark.
  device.DrawTextTransparent(MarkedLabel(GetTitle(), 0).c_str(), area, align, true);
  font.Deselect();
  return true;
}

int qvCaption::TextHeight() {
  if (alignFlags & kCaptionEllipsis) return TextSize("X", fontKind, 0).cy;
  qvRect area;
  GetClientArea(area);
  return TextSize(MarkedLabel(GetTitle(), 0).c_str(), fontKind, area.GetWidth()).cy;
}

int qvCaption::TextWidth() { return TextSize(MarkedLabel(GetTitle(), 0).c_str(), fontKind, 0).cx; }

bool qvCaption::PaintBackground(qvEvent&) { return false; }
bool qvCaption::OnDoubleClick(qvEvent&) { return false; }
bool qvCaption::OnMouseDown(qvEvent&) { return false; }
bool qvCaption::OnMouseUp(qvEvent&) { return false; }
bool qvCaption::OnMouseMove(qvEvent&) { return false; }
bool qvCaption::TakesFocus() { return false; }

void qvCaption::SetTextSize(int size) {
  if (size == 0) fontKind = qvFontSmall;
  if (size == 1) fontKind = qvFontLarge;
}

void qvCaption::SetText(const char* text) {
  SetTitle(text);
  // The platform window's text follows what the caption shows, for screen
  // readers and for programs that watch the window.
  if (GetHandle()) SetWindowTextW(GetHandle(), WideFromUtf8(GetTitle()).c_str());
  Refresh();
}

void qvCaption::SetBackgroundColor(const qvColor* c) {
  if (c) backgroundColor = *c;
  Refresh();
}

qvAccessibleInfo qvCaption::GetAccessibleInfo() {
  qvAccessibleInfo info;
  info.role = ROLE_SYSTEM_STATICTEXT;
  info.name = GetTitle();
  info.readOnly = true;
  return info;
}
