// qvControl: the base of the toolkit's self-drawn controls. Each control is
// a child window with its own platform window, painted entirely by its
// OnPaint. The base adds what all controls share: the identifier reported
// to the parent, the disabled state, tracking of the left button and of the
// pointer (pressed, inside, hovering), and the one way of reporting to the
// parent, NotifyParent, which arrives synchronously in the parent's
// OnCommand as a command event whose detail is a qvControlNotice.
//
// The keyboard: a control that takes the focus (a press on it, or Tab in a
// tabbed window) shows a focus mark; Tab and Shift+Tab ask the parent to
// pass the focus on; Space and Enter activate a control that has an action
// (OnActivate: a button's click, a check box's flip); every other key goes
// on to the parent, so that the window hears Escape and Enter wherever its
// focus is. A control owns nothing beyond its window and its reference to
// the object it gives screen readers (qvAccessible).
#pragma once

#include <cstdint>
#include <string>

#include "toolkit/window/qvEvent.h"
#include "toolkit/window/qvWindow.h"

class qvAccessible;
class qvDevice;

// What a control tells a screen reader about itself; qvAccessible adds
// what the platform window knows (focus, visibility, place) and the
// control's IsDisabled. Texts are UTF-8, as all of the toolkit's are.
struct qvAccessibleInfo {
  long role = 0;            // a ROLE_SYSTEM_ value of oleacc.h
  std::string name;         // empty: none
  bool hasValue = false;    // value is told, even when empty
  std::string value;
  bool focusable = false;   // the control takes the keyboard focus when enabled
  bool checked = false;
  bool readOnly = false;
  bool isDefault = false;   // the button Enter presses
  wchar_t accessKey = 0;    // the letter that, with Alt, presses the control; 0: none
  // What the control's action is called ("Press", "Check"), which a
  // screen reader's default action takes (OnActivate); empty: none.
  std::string defaultAction;
};

// The message a control is sent to take its default action, posted by its
// accessible object so that the action runs from the control's own
// message loop, never inside a screen reader's call.
unsigned DefaultActionMessage();

// label as the platform's text drawing takes it with accessKey shown
// underlined: a "&" before the first letter that is the key (either case),
// and every "&" of the label itself doubled, so that none is taken for a
// mark. Without a key, only the doubling. label is UTF-8, the key a
// letter of any script ("Ф" as well as "F").
std::string MarkedLabel(const char* label, wchar_t accessKey);

// A key's letter as access keys compare them: upper case, as the
// platform's case mapping has it for every script.
wchar_t AccessKeyFolded(wchar_t key);

class qvControl : public qvWindow {
public:
  // Links the control to parent, visible; the subclass sets its own fields
  // and then calls Create, so the platform window exists with the object.
  qvControl(const qvRect& bounds, qvWindow* parent, const char* title, int controlId);
  ~qvControl() override;

  void GetTypeName(char* buffer) override;
  int GetId() override;
  void ResetFields() override;
  // Reports a double click; the first press and release of it have already
  // reported a click.
  bool OnDoubleClick(qvEvent& event) override;
  bool OnMouseDown(qvEvent& event) override;
  // A click is reported when the pointer counted as inside at the last move,
  // wherever the release itself happens.
  bool OnMouseUp(qvEvent& event) override;
  bool OnMouseMove(qvEvent& event) override;
  bool OnKeyDown(qvEvent& event) override;
  // The focus mark comes and goes with the focus.
  bool OnFocusLost() override;

  // p in client coordinates: inside the client area (edges included) and
  // not over a visible, enabled child window.
  virtual bool HitTest(const qvPoint& p);
  virtual void Refresh();
  virtual void Disable();
  virtual void Enable();
  virtual bool IsDisabled();
  // A tabbed window asks these when passing the keyboard focus on: true
  // for a control that takes the focus (TakesFocus).
  virtual bool CanTakeFocusForward();
  virtual bool CanTakeFocusBackward();
  // Whether the control takes the keyboard focus: true unless it is a
  // caption or another control without an action of its own.
  virtual bool TakesFocus();
  // Space or Enter on the focused control; true when the control acted
  // (then the key goes no further). The control's parent may end loops or
  // delete windows in the action: callers touch nothing after it.
  virtual bool OnActivate();
  // Stores up to 255 characters and turns hover notifications on; a null
  // text turns them off and keeps the stored text.
  virtual void SetHoverText(const char* text);
  virtual const char* GetHoverText();
  virtual void SetHoverTracking(bool on);
  virtual bool GetHoverTracking();
  virtual void SetHovering(bool on);
  virtual bool IsHovering();
  virtual void OnMouseEnter(const qvPoint& p);
  virtual void OnMouseLeave(const qvPoint& p);
  virtual bool IsInside();
  virtual bool IsPressedInside();
  virtual bool IsPressed();
  virtual void EnableHotTracking();
  virtual void DisableHotTracking();
  // Calls the parent's Notify(controlId, detail, kind); a disabled control
  // (or one without a parent) reports nothing. The parent's handler may
  // end loops or delete windows: callers touch nothing of theirs after it.
  virtual void NotifyParent(int detail, int kind);

  // What a screen reader is told. The base: a client area named by the
  // title; each kind of control says what it is.
  virtual qvAccessibleInfo GetAccessibleInfo();
  // The letter that, with Alt, presses the control (OnActivate) and takes
  // the focus to it, shown underlined in its label; 0 for none. The window
  // that holds the control gives it, as it gives the label.
  void SetAccessKey(wchar_t key);
  wchar_t AccessKey() const { return accessKey; }
  // WM_GETOBJECT for the control's client area: its qvAccessible; and
  // WM_SETFOCUS, which brings the focus mark.
  bool OnOtherMessage(qvEvent& event) override;

protected:
  bool pressed;         // the left button went down here and has not come up
  char hoverText[256];
  bool hoverTracking;
  bool hovering;
  bool disabled;
  int32_t controlId;
  bool inside;          // the pointer is over the control
  bool hotTracking;     // redraw when the pointer enters or leaves
  bool suppressClick;   // set by a subclass around its own release handling
  wchar_t accessKey = 0;

  // The start of a face drawn off screen: the default grey, then the part
  // of an ancestor's picture behind the control.
  void FillFaceBackground(qvDevice& device);
  bool HasFocus();
  // The dotted focus mark inside r, when the control has the focus.
  void DrawFocusMark(qvDevice& device, const qvRect& r);
  // A press takes the focus, for a control that takes it.
  void TakeFocusOnPress();
  // The size text takes in the font of kind fontKind at the control's DPI,
  // drawn as the controls draw it: wrapped at wrapWidth pixels, or on one
  // line when wrapWidth is 0.
  SIZE TextSize(const char* text, int fontKind, int wrapWidth);

private:
  void ResetControlFields();

  // Made on the first WM_GETOBJECT; one reference is the control's, any
  // others belong to screen readers. Disconnected when the control goes.
  qvAccessible* accessible = nullptr;
};
