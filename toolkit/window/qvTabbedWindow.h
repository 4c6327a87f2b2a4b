// qvTabbedWindow: a top-level window that keeps a keyboard order of its
// controls and answers a control's request to pass the focus on (a command
// whose detail is kNoticePassFocus, sent on Tab) by giving the focus to the
// next control, or the previous one with Shift held, that is visible,
// enabled and willing. It keeps the plain window's type name. The order
// names controls it does not own.
#pragma once

#include "common/PointerList.h"
#include "toolkit/window/qvWindow.h"

class qvControl;

class qvTabbedWindow : public qvWindow {
public:
  // A hidden top-level window without a parent.
  qvTabbedWindow(const qvRect& bounds, const char* title);
  ~qvTabbedWindow() override;

  // Handles focus-passing requests only; every other command is answered
  // false (handled, nothing done). The search starts after the source and
  // stops at the first willing control, which takes the focus, or after one
  // full turn, back at the source, when none is.
  bool OnCommand(qvEvent& event) override;
  // -1 for a null control or one whose two identifiers equal those of a
  // listed control; otherwise appends it and returns 0.
  virtual int AddToTabOrder(qvControl* control);
  // The focus comes back to the control that had it when the window is
  // activated again (the platform would give it to the window itself), or
  // to the first available control in the order. Alt and a letter press
  // the available control of the order whose access key it is.
  bool OnOtherMessage(qvEvent& event) override;
  // Presses the first available control in the order whose access key is
  // key (either case), after giving it the focus; false when none is.
  bool PressAccessKey(int32_t key);

  const PointerList<qvControl>& TabOrder() const { return tabOrder; }

private:
  PointerList<qvControl> tabOrder;  // in keyboard order; not owned
  HWND lastFocus = nullptr;         // a child that had the focus when the window was last left
};
