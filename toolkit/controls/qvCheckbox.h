// qvCheckbox: a 13 x 13 sunken box with a check mark and a label beside it.
// A click (press and release with the pointer over it) flips the state and
// then tells the parent, so the parent reads the new state; Check and
// Uncheck change it silently. Its identifier is always 4.
#pragma once

#include "toolkit/controls/qvControl.h"

class qvCheckbox : public qvControl {
public:
  qvCheckbox(qvWindow* parent, const qvRect& bounds);

  void ResetFields() override;
  // Hands the event to the parent as one of this control's.
  bool OnCommand(qvEvent& event) override;
  bool OnPaint(qvEvent& event) override;
  // A double click is not reported: the window's own handler.
  bool OnDoubleClick(qvEvent& event) override;
  // A disabled check box ignores the pointer.
  bool OnMouseDown(qvEvent& event) override;
  bool OnMouseUp(qvEvent& event) override;
  bool OnMouseMove(qvEvent& event) override;

  virtual void Check();
  virtual void Uncheck();
  virtual bool IsChecked();
  // Up to 159 characters; redraws.
  virtual void SetLabel(const char* text);

  // A check box named by its label, without the spaces that set the label
  // off from the box.
  qvAccessibleInfo GetAccessibleInfo() override;

  const qvRect& Box() const { return box; }
  const qvRect& TextRect() const { return textRect; }

private:
  char label[160];
  qvRect box;       // client coordinates
  bool checked;
  qvRect textRect;  // where the label is drawn
};
