// qvWindow: the toolkit's window, one object for one platform window. It
// keeps what the platform window does not keep in the form the toolkit
// needs (placement, title, tooltip text, command identifier, background)
// and links the object tree: a parent and the children attached to it.
// Every text the toolkit takes or gives (titles, labels, tooltips, paths)
// is UTF-8; it meets the platform through the wide calls only.
// Its virtual operations are the whole extension surface of the toolkit:
// the event handlers the dispatch calls, the geometry and visibility
// operations, and the creation hooks a subclass overrides to change how its
// platform window is made. The table's order is part of the design, hooks
// no class fills included.
//
// A window is built in two steps: the constructor links it to its parent;
// Create makes the platform window inside the parent's, so parents are
// created first. A window owns its platform window, tooltip control,
// background colour and background picture; not its parent or children.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <utility>

#include "common/PointerList.h"
#include "toolkit/draw/qvColor.h"
#include "toolkit/draw/qvPoint.h"
#include "toolkit/draw/qvRect.h"
#include "toolkit/window/qvDpi.h"

class qvDevice;
class qvEvent;
class qvPicture;

// A control made on parent at at96 (a place of the 96-DPI layout) scaled to
// parent's DPI; it keeps the place, so that the parent lays it out again at
// any DPI. The control's constructor takes (parent, bounds, arguments...).
template <typename Control, typename Parent, typename... Arguments>
std::unique_ptr<Control> PlaceControl(Parent* parent, const qvRect& at96, Arguments&&... arguments) {
  auto control =
      std::make_unique<Control>(parent, ScaleRectForDpi(at96, parent->GetDpi()), std::forward<Arguments>(arguments)...);
  control->SetLayoutPlace({at96, 0});
  return control;
}

constexpr char kWindowClassName[] = "__qvWindowClassName";
constexpr char kMdiWindowClassName[] = "__qvMDIWindowClassName";

// Copies UTF-8 text into a buffer of size bytes, cut to fit between two
// characters, never inside one.
void CopyText(char* destination, const char* text, size_t size);

class qvWindow {
public:
  qvWindow(const qvRect& bounds, qvWindow* parent, const char* title, bool visible, bool topLevel, bool mdiChild);
  qvWindow(const qvWindow&) = delete;
  qvWindow& operator=(const qvWindow&) = delete;

  virtual void SetTooltip(const char* text);
  virtual const char* GetTooltip();
  virtual ~qvWindow();
  virtual HWND GetHandle();
  // Moves the platform window to r; sets parent without touching any list.
  virtual void Place(const qvRect& r, qvWindow* parent);
  virtual void GetTypeName(char* buffer);
  virtual void GetClientArea(qvRect& r);
  virtual void GetPlacement(qvRect& r);
  // Records r; only a window with a parent is moved.
  virtual void SetPlacement(const qvRect& r);
  virtual void GetScreenPosition(int& x, int& y);
  virtual void GetScreenSize(int& w, int& h);
  virtual int Invalidate();
  // Paints the window before returning.
  virtual void Redraw();
  virtual void RedrawIfVisible();
  // Moves the left and top edges; the stored right and bottom stay.
  virtual void SetPosition(int x, int y);
  virtual void SetSize(int w, int h);
  virtual void CenterOnScreen();
  virtual void ReservedHookA();
  virtual void PlaceNearBottom();
  virtual void MoveHostTo(int x, int y);
  virtual void SetBackgroundPictureId(int resourceId);
  // Takes ownership of picture.
  virtual void SetBackgroundPicture(qvPicture* picture);
  // How a control reports to its parent: an event with no platform message
  // reaches OnCommand; kind 19 arrives as a command (5).
  virtual bool Notify(int id, int detail, int kind);
  virtual const char* GetTitle();
  // Changes the stored title only, not the platform caption.
  virtual void SetTitle(const char* text);
  virtual void ReservedHookB(int);
  virtual void ReservedHookC();
  virtual void Show();
  virtual void Hide();
  virtual void ReservedHookD(int);
  virtual bool OnCommand(qvEvent& event);
  virtual qvWindow* GetParentWindow();
  // Moves this window to the end of p's children and into p's platform
  // window; returns the old parent.
  virtual qvWindow* SetParentWindow(qvWindow* p);
  virtual int GetId();
  virtual int GetBaseId();
  virtual void ZeroPointA(qvPoint& p);
  virtual void ZeroPointB(qvPoint& p);
  // The innermost visible toolkit window under (x, y), given in the host's
  // client coordinates; null when it is this window or not the toolkit's.
  virtual qvWindow* FindWindowAt(int x, int y);
  virtual void DrawCross();
  // The topmost ancestor with a platform window; a window without a parent
  // is its own host.
  virtual qvWindow* GetHost();
  virtual bool ReservedHookE(int, int);
  virtual bool ReservedHookF(int, int);
  virtual bool ReservedHookG(int, int, int);
  virtual bool ReservedHookH(int, int);
  virtual void GetScreenRect(qvRect& r);
  virtual void MapRectTo(qvRect& r, qvWindow* other);
  virtual void MapPointTo(qvPoint& q, qvWindow* other);
  // From this window's outer top-left corner to other's; 20 pixels of
  // caption are allowed for when other is a top-level window.
  virtual void GetOffsetTo(qvPoint& p, qvWindow* other);
  virtual bool TakeFocus();
  virtual bool ReservedHookI(int);

  // Event handlers: true lets the platform's default processing run, false
  // means handled and the event's result is returned.
  virtual bool OnCreate(qvEvent& event);
  virtual bool OnPaint(qvEvent& event);
  virtual bool PaintBackground(qvEvent& event);
  virtual bool OnDestroy(qvEvent& event);
  virtual bool OnSize(qvEvent& event);
  virtual bool ReservedHookJ(int, int);
  virtual bool OnDoubleClick(qvEvent& event);
  virtual bool OnMouseDown(qvEvent& event);
  virtual bool OnFocusLost();
  virtual bool OnMouseUp(qvEvent& event);
  virtual bool OnMouseMove(qvEvent& event);
  virtual bool OnKeyDown(qvEvent& event);
  virtual bool OnKeyUp(qvEvent& event);
  virtual bool OnOtherMessage(qvEvent& event);

  // Makes the platform window; a window without a parent is centred with a
  // third of the free height above it. Does not show a hidden window.
  virtual void Create();
  virtual void MakeResizable();
  virtual void SetPopupStyle();
  virtual void SetId(int v);
  virtual void SetPictureOffset(int x, int y);
  virtual void GetPictureOffset(int& x, int& y);
  virtual void SetBackgroundColor(const qvColor& c);
  // Called after every message and in every idle pass of the message loops,
  // for the windows of the focused subtree.
  virtual void OnIdle();
  virtual HWND SetNativeParent(HWND h);
  virtual void RegisterClasses();
  virtual void UnregisterClasses();
  virtual DWORD GetExStyle();
  virtual DWORD GetStyle();
  virtual void GetWindowClassName(char* buffer);
  virtual void GetMdiClassName(char* buffer);
  virtual void CaptureMouse();
  virtual void ReleaseMouse();
  virtual void ResetFields();

  static void AddChild(qvWindow* parent, qvWindow* child);
  static void RemoveChild(qvWindow* parent, qvWindow* child);
  // Redraws the visible windows of the tree, descendants before parents.
  void RedrawTree(bool withChildren);
  // Paints this window and its visible descendants now, each through its
  // own paint handler but all in one device context of this window, and
  // marks their client areas painted. A window of many controls shows whole
  // sooner so than when each control takes its own paint cycle: under Wine
  // every cycle is several round trips to the server.
  void PaintTreeNow();
  // The context this window's paint handler draws in while PaintTreeNow
  // paints it (its origin and clip set to the window's client area); null
  // otherwise, when a paint begins its own cycle.
  HDC PrintContext() const { return printContext; }
  // Paints this window's background on device: its colour (or the default
  // grey), then the part of the nearest ancestor's picture that lies behind
  // it, or else its own picture with its bottom edge on the client area's.
  // True when an ancestor's picture was drawn.
  bool FillBackground(qvDevice& device);

  // A top-level window made after this call belongs to owner (not owned):
  // it stays above it, and it is minimised and destroyed with it.
  void SetOwner(HWND owner) { ownerHandle = owner; }

  // The DPI the window is laid out and drawn for: a child takes its
  // parent's when made; SetDpi sets the window's and its descendants'.
  // Callers move and redraw what the new DPI changes.
  int GetDpi() const { return dpi; }
  void SetDpi(int newDpi);
  // The window's place in its parent at 96 DPI, kept so that the parent can
  // lay it out again at any DPI and size; the window goes there at once.
  void SetLayoutPlace(const qvLayoutPlace& place);
  const qvLayoutPlace& LayoutPlace() const { return layoutPlace; }
  // Moves every child that has a place to it, for this window's DPI and
  // client area as they are now.
  void LayOutChildren();
  // Sizes a top-level window so that its client area is client96 at its
  // DPI, whatever frame the platform draws around it.
  void FitClientArea(const qvRect& client96);
  // A change of the window's screen's DPI, decoded into event (its dpi and
  // suggested rectangle): the window and its descendants take the DPI, the
  // window moves where the platform suggests and takes the suggested size,
  // or with client96 (a fixed layout's client area at 96 DPI) the size
  // that fits it; then its children are laid out again. False when the
  // event's DPI is not one to use.
  bool TakeDpiChange(const qvEvent& event, const qvRect* client96 = nullptr);
  // A length of the 96-DPI layout at the window's DPI.
  int Scaled(int value) const { return ScaleForDpi(value, dpi); }

  const PointerList<qvWindow>& Children() const { return children; }
  bool IsCreated() const { return created; }
  bool IsTopLevel() const { return topLevel; }
  const qvRect& Bounds() const { return bounds; }

protected:
  HWND hwnd;                    // owned
  qvWindow* parent;             // not owned
  char title[780];  // UTF-8: 260 UTF-16 units of any characters
  qvRect bounds;                // in the parent's client area; for a top-level window the wanted client area
  char tooltipText[256];
  int32_t id;
  int32_t pictureResourceId;    // 0 when the picture was given directly
  qvPicture* backgroundPicture; // owned
  int32_t pictureOffsetX;
  int32_t pictureOffsetY;
  bool mdiChild;
  bool topLevel;
  bool windowless;
  bool visible;
  qvColor* backgroundColor;     // owned; null means the default grey
  HINSTANCE instance;
  PointerList<qvWindow> children;  // in the order attached; not owned
  HWND tooltipHwnd;             // owned
  bool created;                 // Create has run, whether or not it made a window
  HWND ownerHandle = nullptr;   // not owned; a top-level window's owner, or none
  int32_t dpi = kDefaultDpi;
  qvLayoutPlace layoutPlace;    // where the parent lays this window out
  bool laidOut = false;         // layoutPlace was given

private:
  static void RedrawVisibleSubtree(qvWindow* window);
  void PaintSubtreeInto(HDC dc, int x, int y);

  HDC printContext = nullptr;   // not owned; see PrintContext
  friend LRESULT CALLBACK OrdinaryWindowProc(HWND, UINT, WPARAM, LPARAM);
  friend LRESULT CALLBACK MdiChildWindowProc(HWND, UINT, WPARAM, LPARAM);
  friend bool DispatchEvent(qvWindow*, UINT, WPARAM, LPARAM, LRESULT&);
};
