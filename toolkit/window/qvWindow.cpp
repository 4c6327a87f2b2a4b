#include "toolkit/window/qvWindow.h"

#include <cstring>
#include <iterator>

#include "common/AnsiText.h"
#include "common/ModuleInstance.h"
#include "toolkit/files/qvPicture.h"
#include "toolkit/window/MessageDispatch.h"
#include "toolkit/window/WindowHandles.h"
#include "toolkit/window/qvEvent.h"

void CopyText(char* destination, const char* text, size_t size) {
  size_t length = std::strlen(text);
  if (length > size - 1) {
    length = size - 1;
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  }
  std::memmove(destination, text, length);
  destination[length] = '\0';
}

namespace {

void ScreenSize(int& width, int& height) {
  width = GetSystemMetrics(SM_CXSCREEN);
  height = GetSystemMetrics(SM_CYSCREEN);
}

void MoveWindowTo(HWND hwnd, int x, int y) {
  SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

struct ClassSpec {
  const char* name;
  UINT style;
  WNDPROC procedure;
  const char* menuName;
};

const ClassSpec kClasses[] = {
    {kWindowClassName, CS_DBLCLKS | CS_NOCLOSE, OrdinaryWindowProc, kWindowClassName},
    {kMdiWindowClassName, CS_DBLCLKS, MdiChildWindowProc, nullptr},
};

// This process's references to each class. Each also holds a reference to
// the global atom of the class name; but Wine keeps registered class names
// in the global atom table as well, so whether the atom still exists cannot
// tell when the last of our references has gone.
int classReferences[std::size(kClasses)] = {};

}  // namespace

qvWindow::qvWindow(const qvRect& bounds, qvWindow* parent, const char* title, bool visible, bool topLevel,
                   bool mdiChild) {
  qvWindow::ResetFields();
  backgroundColor = nullptr;
  this->visible = visible;
  this->topLevel = topLevel;
  this->mdiChild = mdiChild;
  this->parent = parent;
  windowless = parent != nullptr && parent->GetHost()->windowless;
  if (title) CopyText(this->title, title, sizeof this->title);
  this->bounds.Assign(bounds);
  if (parent) {
    dpi = parent->dpi;
    AddChild(parent, this);
  }
}

void qvWindow::SetDpi(int newDpi) {
  dpi = newDpi;
  for (qvWindow* child : children) child->SetDpi(newDpi);
}

void qvWindow::SetLayoutPlace(const qvLayoutPlace& place) {
  layoutPlace = place;
  laidOut = true;
  if (!parent) return;
  qvRect area;
  parent->GetClientArea(area);
  SetPlacement(PlaceForDpi(place, area.GetWidth(), area.GetHeight(), dpi));
}

void qvWindow::LayOutChildren() {
  qvRect area;
  GetClientArea(area);
  for (qvWindow* child : children)
    if (child->laidOut) child->SetPlacement(PlaceForDpi(child->layoutPlace, area.GetWidth(), area.GetHeight(), dpi));
}

void qvWindow::FitClientArea(const qvRect& client96) {
  const qvRect client = ScaleRectForDpi(qvRect(0, 0, client96.GetWidth(), client96.GetHeight()), dpi);
  RECT got, outer;
  if (!GetClientRect(GetHandle(), &got) || !GetWindowRect(GetHandle(), &outer)) return;
  if (got.right == client.GetWidth() && got.bottom == client.GetHeight()) return;
  SetWindowPos(GetHandle(), nullptr, 0, 0, outer.right - outer.left + client.GetWidth() - got.right,
               outer.bottom - outer.top + client.GetHeight() - got.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool qvWindow::TakeDpiChange(const qvEvent& event, const qvRect* client96) {
  if (!UsableDpi(event.dpi)) return false;
  SetDpi(event.dpi);
  // The platform's rectangle keeps the window under the pointer that
  // dragged it across.
  const qvRect& r = event.suggested;
  if (r.GetWidth() > 0 && r.GetHeight() > 0)
    SetWindowPos(GetHandle(), nullptr, r.GetLeft(), r.GetTop(), r.GetWidth(), r.GetHeight(),
                 SWP_NOZORDER | SWP_NOACTIVATE | (client96 ? SWP_NOSIZE : 0));
  if (client96) FitClientArea(*client96);
  LayOutChildren();
  return true;
}

void qvWindow::ResetFields() {
  created = false;
  tooltipHwnd = nullptr;
  hwnd = nullptr;
  parent = nullptr;
  title[0] = '\0';
  tooltipText[0] = '\0';
  visible = true;
  id = 0;
  instance = ModuleInstance();
  pictureResourceId = 0;
  backgroundPicture = nullptr;
  windowless = false;
  mdiChild = false;
  topLevel = false;
  pictureOffsetX = 0;
  pictureOffsetY = 0;
}

qvWindow::~qvWindow() {
  delete backgroundPicture;
  backgroundPicture = nullptr;
  if (tooltipHwnd) DestroyWindow(tooltipHwnd);
  tooltipHwnd = nullptr;
  // No message may reach this object while its platform window goes away.
  if (hwnd) AttachWindowObject(hwnd, nullptr);
  if (parent) RemoveChild(parent, this);
  // Children outlive their parent object; they must not keep its address.
  for (qvWindow* child : children) child->parent = nullptr;
  if (hwnd) DestroyWindow(hwnd);
  delete backgroundColor;
}

void qvWindow::AddChild(qvWindow* parent, qvWindow* child) {
  if (!parent->children.Contains(child)) parent->children.Append(child);
}

void qvWindow::RemoveChild(qvWindow* parent, qvWindow* child) { parent->children.Remove(child); }

const char* qvWindow::GetTooltip() { return tooltipText; }

HWND qvWindow::GetHandle() { return hwnd; }

void qvWindow::Place(const qvRect& r, qvWindow* newParent) {
  parent = newParent;
  bounds.Assign(r);
  qvRect placed(r);
  SetWindowPos(hwnd, nullptr, placed.GetLeft(), placed.GetTop(), placed.GetWidth(), placed.GetHeight(),
               SWP_NOZORDER);
}

void qvWindow::GetTypeName(char* buffer) { std::strcpy(buffer, "qvWindow"); }

void qvWindow::GetClientArea(qvRect& r) {
  RECT area = {};
  GetClientRect(hwnd, &area);
  r.Set(area.left, area.top, area.right, area.bottom);
}

void qvWindow::GetPlacement(qvRect& r) { r.Assign(bounds); }

void qvWindow::SetPlacement(const qvRect& r) {
  bounds.Assign(r);
  if (!parent) return;
  qvRect placed(r);
  SetWindowPos(GetHandle(), nullptr, placed.GetLeft(), placed.GetTop(), placed.GetWidth(), placed.GetHeight(),
               SWP_NOZORDER);
}

void qvWindow::GetScreenPosition(int& x, int& y) {
  RECT outer = {};
  GetWindowRect(GetHandle(), &outer);
  x = outer.left;
  y = outer.top;
}

void qvWindow::GetScreenSize(int& w, int& h) {
  RECT outer = {};
  GetWindowRect(GetHandle(), &outer);
  w = outer.right - outer.left;
  h = outer.bottom - outer.top;
}

int qvWindow::Invalidate() { return hwnd ? InvalidateRect(hwnd, nullptr, FALSE) : 0; }

void qvWindow::Redraw() {
  if (!hwnd) return;
  InvalidateRect(hwnd, nullptr, FALSE);
  UpdateWindow(hwnd);
}

void qvWindow::RedrawIfVisible() {
  if (IsWindowVisible(hwnd)) RedrawTree(false);
}

void qvWindow::SetPosition(int x, int y) {
  bounds.SetLeft(x);
  bounds.SetTop(y);
  MoveWindowTo(GetHandle(), x, y);
}

void qvWindow::SetSize(int w, int h) {
  bounds.SetWidth(w, 0);
  bounds.SetHeight(h, 0);
  SetWindowPos(GetHandle(), nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER);
}

void qvWindow::CenterOnScreen() {
  int sw, sh;
  ScreenSize(sw, sh);
  MoveWindowTo(hwnd, (sw - bounds.GetWidth()) / 2, (sh - bounds.GetHeight()) / 2);
}

void qvWindow::ReservedHookA() {}

void qvWindow::PlaceNearBottom() {
  int sw, sh;
  ScreenSize(sw, sh);
  const int w = bounds.GetWidth(), h = bounds.GetHeight();
  MoveWindowTo(hwnd, (sw - w) / 2, sh - (sh - h) / 6 - h);
}

void qvWindow::MoveHostTo(int x, int y) {
  int sw, sh;
  ScreenSize(sw, sh);
  const int h = bounds.GetHeight();
  const int bottom = y + h < sh ? y + h : sh;
  MoveWindowTo(GetHost()->GetHandle(), x, bottom - h);
}

bool qvWindow::Notify(int notifiedId, int detail, int kind) {
  qvEvent event(0, this, 0, 0);
  event.id = notifiedId;
  event.detail = detail;
  event.kind = kind == kEventOther ? kEventCommand : kind;
  return OnCommand(event);
}

const char* qvWindow::GetTitle() { return title; }

void qvWindow::SetTitle(const char* text) { CopyText(title, text, sizeof title); }

void qvWindow::ReservedHookB(int) {}
void qvWindow::ReservedHookC() {}

void qvWindow::Show() {
  if (!hwnd) return;
  ShowWindow(hwnd, SW_SHOW);
  InvalidateRect(hwnd, nullptr, FALSE);
}

void qvWindow::Hide() {
  if (!hwnd) return;
  ShowWindow(hwnd, SW_HIDE);
  InvalidateRect(hwnd, nullptr, FALSE);
}

void qvWindow::ReservedHookD(int) {}

bool qvWindow::OnCommand(qvEvent&) { return true; }

qvWindow* qvWindow::GetParentWindow() { return parent; }

qvWindow* qvWindow::SetParentWindow(qvWindow* p) {
  qvWindow* old = parent;
  if (old) RemoveChild(old, this);
  parent = p;
  if (p) {
    AddChild(p, this);
    SetNativeParent(p->GetHandle());
  } else {
    SetNativeParent(nullptr);
  }
  return old;
}

int qvWindow::GetId() { return id; }
int qvWindow::GetBaseId() { return id; }
void qvWindow::ZeroPointA(qvPoint& p) { p.Set(0, 0); }
void qvWindow::ZeroPointB(qvPoint& p) { p.Set(0, 0); }

qvWindow* qvWindow::FindWindowAt(int x, int y) {
  const HWND found = FindDescendantAt(hwnd, GetHost()->GetHandle(), POINT{x, y});
  return found != hwnd ? WindowFromHandle(found) : nullptr;
}

qvWindow* qvWindow::GetHost() {
  qvWindow* window = this;
  while (window->parent) {
    if (window->parent->GetHandle() == MdiClientWindow()) break;
    window = window->parent;
  }
  return window;
}

bool qvWindow::ReservedHookE(int, int) { return false; }
bool qvWindow::ReservedHookF(int, int) { return false; }
bool qvWindow::ReservedHookG(int, int, int) { return false; }
bool qvWindow::ReservedHookH(int, int) { return false; }

void qvWindow::GetScreenRect(qvRect& r) {
  RECT outer = {};
  GetWindowRect(hwnd, &outer);
  r.Set(outer.left, outer.top, outer.right, outer.bottom);
}

void qvWindow::MapRectTo(qvRect& r, qvWindow* other) {
  qvPoint p;
  GetOffsetTo(p, other);
  r.Offset(p.x, p.y);
}

void qvWindow::MapPointTo(qvPoint& q, qvWindow* other) {
  qvPoint p;
  GetOffsetTo(p, other);
  q.Offset(p.x, p.y);
}

void qvWindow::GetOffsetTo(qvPoint& p, qvWindow* other) {
  p.Set(0, 0);
  qvRect mine, theirs;
  GetScreenRect(mine);
  other->GetScreenRect(theirs);
  p.Offset(mine.GetLeft(), mine.GetTop());
  p.Offset(-theirs.GetLeft(), -theirs.GetTop());
  if (!other->GetParentWindow()) p.Offset(0, -20);
}

bool qvWindow::TakeFocus() {
  SetFocus(GetHandle());
  return true;
}

bool qvWindow::ReservedHookI(int) { return true; }

bool qvWindow::OnCreate(qvEvent& event) {
  event.SetResult(0);
  return false;
}

bool qvWindow::OnDestroy(qvEvent&) { return true; }
bool qvWindow::OnSize(qvEvent&) { return true; }
bool qvWindow::ReservedHookJ(int, int) { return true; }
bool qvWindow::OnDoubleClick(qvEvent&) { return true; }
bool qvWindow::OnMouseDown(qvEvent&) { return true; }
bool qvWindow::OnFocusLost() { return true; }
bool qvWindow::OnMouseUp(qvEvent&) { return true; }
bool qvWindow::OnMouseMove(qvEvent&) { return true; }
bool qvWindow::OnKeyDown(qvEvent&) { return false; }
bool qvWindow::OnKeyUp(qvEvent&) { return false; }
bool qvWindow::OnOtherMessage(qvEvent&) { return true; }

void qvWindow::Create() {
  RegisterClasses();
  DWORD style = GetStyle();
  const DWORD exStyle = GetExStyle();
  char className[64];
  GetWindowClassName(className);
  const int menuOrId = GetId();
  RECT rect;
  bounds.ToRECT(&rect);

  if (!parent && topLevel) {
    style |= WS_POPUP;
    AdjustWindowRectForDpi(&rect, style, menuOrId != 0, exStyle, dpi);
  }
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  const HMENU menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(menuOrId));

  if (topLevel) {
    // A window without a parent is made where it goes, centred with a third
    // of the free height above it, rather than moved there after: every
    // move of a new top-level window costs its start.
    int x = rect.left, y = rect.top;
    if (!parent) {
      int sw, sh;
      ScreenSize(sw, sh);
      x = (sw - width) / 2;
      y = 2 * (sh - height) / 6;
    }
    hwnd = CreateWindowExW(exStyle, WideFromUtf8(className).c_str(), WideFromUtf8(title).c_str(), style, x, y, width,
                           height,
                           ownerHandle ? ownerHandle : MdiClientWindow(), menu, instance, this);
  } else if (mdiChild) {
    char mdiClassName[64];
    GetMdiClassName(mdiClassName);
    const int x = visible ? CW_USEDEFAULT : rect.left, y = visible ? CW_USEDEFAULT : rect.top;
    hwnd = CreateMDIWindowW(WideFromUtf8(mdiClassName).c_str(), WideFromUtf8(title).c_str(), 0, x, y, width, height, MdiClientWindow(), instance,
                            reinterpret_cast<LPARAM>(this));
    if (hwnd) {
      SetWindowLongW(hwnd, GWL_STYLE, GetWindowLongW(hwnd, GWL_STYLE));
      if (!visible) ShowWindow(hwnd, SW_HIDE);
      BringWindowToTop(hwnd);
    }
  } else {
    const HWND parentHandle = parent ? parent->GetHandle() : MdiClientWindow();
    hwnd = CreateWindowExW(exStyle, WideFromUtf8(className).c_str(), WideFromUtf8(title).c_str(), style | WS_CHILD, rect.left, rect.top, width, height,
                           parentHandle, menu, instance, this);
  }

  if (hwnd) {
    AttachWindowObject(hwnd, this);
    if (!parent && !topLevel) {
      int sw, sh;
      ScreenSize(sw, sh);
      RECT outer;
      GetWindowRect(hwnd, &outer);
      const int w = outer.right - outer.left, h = outer.bottom - outer.top;
      MoveWindowTo(hwnd, (sw - w) / 2, 2 * (sh - h) / 6);
    }
  }
  created = true;
}

void qvWindow::MakeResizable() { SetWindowLongW(hwnd, GWL_STYLE, GetWindowLongW(hwnd, GWL_STYLE) | WS_THICKFRAME); }

void qvWindow::SetPopupStyle() {
  GetWindowLongW(hwnd, GWL_STYLE);
  SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>(WS_POPUP));
}

void qvWindow::SetId(int v) { id = v; }

void qvWindow::OnIdle() {}

HWND qvWindow::SetNativeParent(HWND h) {
  const HWND previous = SetParent(hwnd, h);
  if (previous) return previous;
  return reinterpret_cast<HWND>(static_cast<UINT_PTR>(GetLastError()));
}

void qvWindow::RegisterClasses() {
  for (size_t i = 0; i < std::size(kClasses); ++i) {
    const ClassSpec& spec = kClasses[i];
    WNDCLASSW existing;
    const std::wstring name = WideFromUtf8(spec.name);
    const std::wstring menuName = spec.menuName ? WideFromUtf8(spec.menuName) : std::wstring();
    // Once this process holds a reference the class is there: asking again
    // for every control would cost the window's start. The classes are
    // Unicode: titles and typed characters reach them whole, whatever the
    // system's code page.
    if (classReferences[i] == 0 && !GetClassInfoW(instance, name.c_str(), &existing)) {
      WNDCLASSW wc = {};
      wc.style = spec.style;
      wc.lpfnWndProc = spec.procedure;
      wc.hInstance = instance;
      // Icon 209 is a number the program's resources give to the first
      // busy-cursor frame, not to an icon, so the class gets none and the
      // installer gives its window its own icon after creation. Kept as it
      // is: a host module that does hold icon 209 sees it on our windows.
      wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(209));
      wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
      // The class brush is made for the registration and deleted right
      // after it, on purpose: no window of these classes is ever erased with
      // it (the dispatch answers every erase itself), so nothing outlives
      // the call that could leak.
      qvColor grey = DefaultGrey();
      const HBRUSH brush = CreateSolidBrush(grey.ToCOLORREF());
      wc.hbrBackground = brush;
      wc.lpszMenuName = spec.menuName ? menuName.c_str() : nullptr;
      wc.lpszClassName = name.c_str();
      RegisterClassW(&wc);
      DeleteObject(brush);
    }
    GlobalAddAtomA(spec.name);
    ++classReferences[i];
  }
}

void qvWindow::UnregisterClasses() {
  for (size_t i = 0; i < std::size(kClasses); ++i) {
    const ClassSpec& spec = kClasses[i];
    const ATOM atom = GlobalFindAtomA(spec.name);
    if (!atom || classReferences[i] == 0) continue;
    GlobalDeleteAtom(atom);
    if (--classReferences[i] == 0) UnregisterClassW(WideFromUtf8(spec.name).c_str(), instance);
  }
}

DWORD qvWindow::GetExStyle() {
  if (!topLevel) return 0;
  // The platform mirrors by the process's default layout only windows
  // without an owner; a window owned by a mirrored one (a viewer, a
  // chooser) is mirrored as well.
  DWORD layout = 0;
  const bool mirrored = GetProcessDefaultLayout(&layout) && (layout & LAYOUT_RTL);
  return WS_EX_DLGMODALFRAME | (mirrored ? WS_EX_LAYOUTRTL : 0);
}

DWORD qvWindow::GetStyle() {
  DWORD style = (topLevel || mdiChild) ? (WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU)
                                       : (WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
  if (visible) style |= WS_VISIBLE;
  return style;
}

void qvWindow::GetWindowClassName(char* buffer) { std::strcpy(buffer, kWindowClassName); }
void qvWindow::GetMdiClassName(char* buffer) { std::strcpy(buffer, kMdiWindowClassName); }
void qvWindow::CaptureMouse() { SetCapture(hwnd); }
void qvWindow::ReleaseMouse() { ReleaseCapture(); }

void qvWindow::RedrawTree(bool withChildren) {
  if (withChildren)
    for (int i = 0; i < children.Count(); ++i) RedrawVisibleSubtree(children.At(i));
  if (IsWindowVisible(hwnd)) Redraw();
}

void qvWindow::RedrawVisibleSubtree(qvWindow* window) {
  if (!IsWindowVisible(window->hwnd)) return;
  for (int i = 0; i < window->children.Count(); ++i) RedrawVisibleSubtree(window->children.At(i));
  window->Redraw();
}
