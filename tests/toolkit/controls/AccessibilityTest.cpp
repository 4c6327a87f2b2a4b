// What a screen reader learns of each control, read through oleacc as a
// screen reader reads it.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "tests/toolkit/controls/AccessibleReading.h"
#include "tests/toolkit/controls/ControlTesting.h"
#include "toolkit/controls/qvButton.h"
#include "toolkit/controls/qvCaption.h"
#include "toolkit/controls/qvCheckbox.h"
#include "toolkit/controls/qvScrollbar.h"
#include "toolkit/controls/qvTextList.h"

namespace {

StringList Lines(std::initializer_list<const char*> texts) {
  StringList lines;
  for (const char* text : texts) lines.Append(TextString(text));
  return lines;
}

class Accessibility : public ::testing::Test {
protected:
  void SetUp() override {
    // Shown, so that its lists are visible, and clear of the host.
    viewer.Create();
    SetWindowPos(viewer.GetHandle(), HWND_BOTTOM, 700, 500, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    host.Present();
  }
  ComApartment com;
  ControlHost host;
  // A top-level window whose title a text list on it takes.
  qvWindow viewer{qvRect(0, 0, 300, 200), nullptr, "Software License Agreement", true, true, false};
};

TEST_F(Accessibility, EachControlSaysWhatItIs) {
  const qvRect place(10, 10, 210, 40);
  auto button = [&] { return new qvButton(&host, place, "Install", 1, qvButton::kLargeLabel); };
  auto box = [&] { return new qvCheckbox(&host, place, "  I accept.", 4); };
  auto caption = [&] { return new qvCaption(&host, place, "STEP 1", kCaptionLeft); };
  auto bar = [&] { return new qvScrollbar(qvRect(10, 10, 26, 110), &host, 1, true); };
  auto focus = [](qvControl& c) { SetFocus(c.GetHandle()); };
  auto disable = [](qvControl& c) { c.Disable(); };
  struct Case {
    const char* what;
    std::function<qvControl*()> make;
    std::function<void(qvControl&)> then;  // may be null
    std::string expected;
  } cases[] = {
      {"button", button, nullptr, "push button \"Install\" focusable"},
      {"focused button", button, focus, "push button \"Install\" focused focusable"},
      {"disabled button", button, disable, "push button \"Install\" unavailable"},
      {"relabelled button", button, [](qvControl& c) { static_cast<qvButton&>(c).SetLabel("Quit"); },
       "push button \"Quit\" focusable"},
      {"caption", caption, nullptr, "static text \"STEP 1\" read only"},
      {"caption given a new text", caption, [](qvControl& c) { static_cast<qvCaption&>(c).SetText("Done."); },
       "static text \"Done.\" read only"},
      {"hidden caption", caption, [](qvControl& c) { c.Hide(); }, "static text \"STEP 1\" read only invisible"},
      {"check box", box, nullptr, "check button \"I accept.\" focusable"},
      {"focused check box", box, focus, "check button \"I accept.\" focused focusable"},
      {"checked check box", box, [](qvControl& c) { static_cast<qvCheckbox&>(c).Check(); },
       "check button \"I accept.\" checked focusable"},
      {"disabled check box", box, disable, "check button \"I accept.\" unavailable"},
      {"check box with its own label", box, [](qvControl& c) { static_cast<qvCheckbox&>(c).SetLabel("   Send  "); },
       "check button \"Send  \" focusable"},
      {"bar", bar, [](qvControl& c) { static_cast<qvScrollbar&>(c).SetRangeAndValue(0, 10, 3); },
       "scroll bar \"Vertical\" value \"3\""},
      {"disabled horizontal bar", [&] { return new qvScrollbar(qvRect(10, 10, 110, 26), &host, 2, false); }, disable,
       "scroll bar \"Horizontal\" value \"0\" unavailable"},
      {"text list", [&] { return new qvTextList(Lines({"Terms.", "", "More."}), qvRect(0, 0, 300, 150), &viewer); },
       nullptr, "text \"Software License Agreement\" value \"Terms.\r\n\r\nMore.\" read only focusable"},
      {"empty text list", [&] { return new qvTextList(StringList(), qvRect(0, 0, 300, 150), &viewer); }, nullptr,
       "text \"Software License Agreement\" value \"\" read only focusable"},
      {"text list in other scripts",
       [&] { return new qvTextList(Lines({"\xC3\x9C\xE6\x97\xA5 \xD8\xB3"}), qvRect(0, 0, 300, 150), &viewer); },
       nullptr, "text \"Software License Agreement\" value \"\xC3\x9C\xE6\x97\xA5 \xD8\xB3\" read only focusable"},
      {"caption in other scripts", caption,
       [](qvControl& c) { static_cast<qvCaption&>(c).SetText("\xD0\x93\xD0\xBE\xD1\x82\xD0\xBE\xD0\xB2\xD0\xBE"); },
       "static text \"\xD0\x93\xD0\xBE\xD1\x82\xD0\xBE\xD0\xB2\xD0\xBE\" read only"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::unique_ptr<qvControl> control(c.make());
    if (c.then) c.then(*control);
    EXPECT_EQ(Describe(control->GetHandle()), c.expected);
  }
}

// A screen reader may keep an object past its control's end: it is told
// the control is gone, and letting go of the object is safe.
TEST_F(Accessibility, AnObjectOutlivesItsControlSafely) {
  auto* list = new qvTextList(Lines({"one"}), qvRect(0, 0, 300, 150), &viewer);
  auto* button = new qvButton(&host, qvRect(20, 60, 120, 80), "Install", 1, qvButton::kLargeLabel);
  IAccessible* held[] = {ClientObject(list->GetHandle()), ClientObject(list->VerticalBar()->GetHandle()),
                         ClientObject(button->GetHandle())};
  for (IAccessible* object : held) ASSERT_NE(object, nullptr);
  delete list;  // with its bars
  delete button;
  for (IAccessible* object : held) {
    VARIANT role;
    EXPECT_EQ(object->get_accRole(Self(), &role), CO_E_OBJNOTCONNECTED);
    BSTR name = nullptr;
    EXPECT_EQ(object->get_accName(Self(), &name), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(StateOf(object), -1);
    IDispatch* parent = nullptr;
    EXPECT_EQ(object->get_accParent(&parent), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(object->Release(), 0u) << "the reader's reference was the last";
  }
}

// Only the client area is the control's to answer for: every other object
// of its window, and oleacc's class query, is left to the platform.
TEST_F(Accessibility, OnlyTheClientAreaIsAnswered) {
  qvButton button(&host, qvRect(20, 60, 120, 80), "Install", 1, qvButton::kLargeLabel);
  const LONG others[] = {OBJID_WINDOW, OBJID_VSCROLL, OBJID_CARET, OBJID_QUERYCLASSNAMEIDX};
  for (LONG id : others) EXPECT_EQ(SendMessageA(button.GetHandle(), WM_GETOBJECT, 0, id), 0) << id;
  const LRESULT answer = SendMessageA(button.GetHandle(), WM_GETOBJECT, 0, OBJID_CLIENT);
  IAccessible* object = nullptr;
  ASSERT_EQ(ObjectFromLresult(answer, IID_IAccessible, 0, reinterpret_cast<void**>(&object)), S_OK);
  EXPECT_EQ(Describe(object), "push button \"Install\" focusable");
  object->Release();
}

// A screen reader finds its way from a control to the platform's objects
// around it: its own window and its child windows.
TEST_F(Accessibility, TheControlLeadsToTheWindowsAroundIt) {
  qvTextList list(Lines({"one", "two"}), qvRect(0, 0, 300, 150), &viewer);
  IAccessible* object = ClientObject(list.GetHandle());
  ASSERT_NE(object, nullptr);
  LONG children = 0;
  EXPECT_EQ(object->get_accChildCount(&children), S_OK);
  EXPECT_EQ(children, 2) << "the two bars";
  VARIANT second = Self();
  V_I4(&second) = 2;
  const POINT onBar = OnScreen(list, 300 - 8, 40), onText = OnScreen(list, 40, 20);
  VARIANT hit;
  struct Way {
    const char* what;
    std::function<IDispatch*()> go;  // null when it leads nowhere
    HWND window;                     // the window whose object it leads to
  } ways[] = {
      {"the object itself", [&] { return object; }, list.GetHandle()},
      {"parent", [&] { IDispatch* p = nullptr; object->get_accParent(&p); return p; }, list.GetHandle()},
      {"second child", [&] { IDispatch* c = nullptr; object->get_accChild(second, &c); return c; },
       list.HorizontalBar()->GetHandle()},
      {"hit on the bar",
       [&] { return object->accHitTest(onBar.x, onBar.y, &hit) == S_OK && V_VT(&hit) == VT_DISPATCH ? V_DISPATCH(&hit) : nullptr; },
       list.VerticalBar()->GetHandle()},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.what);
    IDispatch* to = way.go();
    ASSERT_NE(to, nullptr);
    IAccessible* reached = nullptr;
    ASSERT_EQ(to->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&reached)), S_OK);
    HWND found = nullptr;
    EXPECT_EQ(WindowFromAccessibleObject(reached, &found), S_OK);
    EXPECT_EQ(found, way.window);
    reached->Release();
    if (to != object) to->Release();
  }
  EXPECT_EQ(object->accHitTest(onText.x, onText.y, &hit), S_OK);
  EXPECT_EQ(V_VT(&hit), VT_I4) << "the text is the list itself";
  object->Release();
}

}  // namespace
