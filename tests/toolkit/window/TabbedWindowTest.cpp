#include <windows.h>

#include <gtest/gtest.h>

#include "tests/toolkit/window/WindowTesting.h"
#include "toolkit/controls/qvControl.h"
#include "toolkit/window/qvTabbedWindow.h"

namespace {

// A control that logs each time it is asked to take the focus and answers
// as it is told.
class AskedControl : public qvControl {
public:
  AskedControl(qvWindow* parent, int id, const char* name, bool willing)
      : qvControl(qvRect(0, 0, 10, 10), parent, name, id), name(name), willing(willing) {
    Create();
  }
  bool CanTakeFocusForward() override {
    EventLog().push_back(name + " forward");
    return willing;
  }
  bool CanTakeFocusBackward() override {
    EventLog().push_back(name + " backward");
    return willing;
  }
  std::string name;
  bool willing;
};

class TabbedWindow : public ::testing::Test {
protected:
  void SetUp() override {
    window.Create();
    window.Show();
    EventLog().clear();
  }
  bool PassFocus(int id, int detail, bool shift) {
    qvEvent event(0, &window, 0, 0);
    event.kind = kEventCommand;
    event.id = id;
    event.detail = detail;
    event.shift = shift;
    return window.OnCommand(event);
  }
  qvTabbedWindow window{qvRect(0, 0, 200, 100), "tabbed"};
};

TEST_F(TabbedWindow, AddToTabOrderRefusesNullAndTwins) {
  AskedControl a(&window, 1, "a", true), twin(&window, 1, "twin", true), other(&window, 2, "other", true);
  AskedControl cousin(&window, 2, "cousin", true);
  cousin.SetId(5);
  EXPECT_EQ(window.AddToTabOrder(nullptr), -1);
  EXPECT_EQ(window.AddToTabOrder(&a), 0);
  EXPECT_EQ(window.AddToTabOrder(&twin), -1) << "same control and window identifiers";
  EXPECT_EQ(window.AddToTabOrder(&other), 0);
  EXPECT_EQ(window.AddToTabOrder(&cousin), 0) << "only the control identifier matches: added";
  EXPECT_EQ(window.TabOrder().Count(), 3);
}

TEST_F(TabbedWindow, OnlyFocusRequestsFromAvailableListedControlsAreAnswered) {
  EXPECT_FALSE(PassFocus(1, kNoticePassFocus, false)) << "an empty list";
  AskedControl a(&window, 1, "a", true), b(&window, 2, "b", true);
  window.AddToTabOrder(&a);
  window.AddToTabOrder(&b);
  EXPECT_FALSE(PassFocus(1, kNoticeClick, false));
  EXPECT_TRUE(EventLog().empty()) << "no control is asked";
  EXPECT_TRUE(PassFocus(1, kNoticePassFocus, false));
  EXPECT_FALSE(PassFocus(3, kNoticePassFocus, false)) << "no listed control has the identifier";
  a.Disable();
  EXPECT_FALSE(PassFocus(1, kNoticePassFocus, false)) << "a disabled source";
  b.Hide();
  EXPECT_FALSE(PassFocus(2, kNoticePassFocus, false)) << "a hidden source";
}

// From the control after the source, forwards or (with Shift) backwards,
// round the list; the first willing control takes the focus.
TEST_F(TabbedWindow, TheSearchRunsFromTheNextControlInEitherDirection) {
  AskedControl a(&window, 1, "a", false), b(&window, 2, "b", false), c(&window, 3, "c", false);
  AskedControl d(&window, 4, "d", true);
  for (qvControl* control : {static_cast<qvControl*>(&a), static_cast<qvControl*>(&b),
                             static_cast<qvControl*>(&c), static_cast<qvControl*>(&d)})
    window.AddToTabOrder(control);
  EXPECT_TRUE(PassFocus(2, kNoticePassFocus, false));
  ExpectEvents({"c forward", "d forward"});
  EXPECT_EQ(GetFocus(), d.GetHandle());
  EventLog().clear();
  SetFocus(a.GetHandle());
  EXPECT_TRUE(PassFocus(2, kNoticePassFocus, true));
  ExpectEvents({"a backward", "d backward"});
  EXPECT_EQ(GetFocus(), d.GetHandle());
  EventLog().clear();
  EXPECT_TRUE(PassFocus(4, kNoticePassFocus, false));
  ExpectEvents({"a forward", "b forward", "c forward", "d forward"});  // a willing source is asked last
}

TEST_F(TabbedWindow, WithNoWillingControlTheSearchEndsAfterOneTurn) {
  AskedControl a(&window, 1, "a", false), b(&window, 2, "b", false), c(&window, 3, "c", false);
  window.AddToTabOrder(&a);
  window.AddToTabOrder(&b);
  window.AddToTabOrder(&c);
  b.Disable();
  SetFocus(c.GetHandle());
  EXPECT_TRUE(PassFocus(3, kNoticePassFocus, false));
  ExpectEvents({"a forward", "c forward"});  // each available control asked once, the source last
  EXPECT_EQ(GetFocus(), c.GetHandle()) << "the focus stays";
}

}  // namespace
