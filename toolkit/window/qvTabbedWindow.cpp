#include "toolkit/window/qvTabbedWindow.h"

#include <cctype>

#include "toolkit/controls/qvControl.h"

namespace {

bool Available(qvControl* control) { return IsWindowVisible(control->GetHandle()) && !control->IsDisabled(); }

}  // namespace

qvTabbedWindow::qvTabbedWindow(const qvRect& bounds, const char* title)
    : qvWindow(bounds, nullptr, title, false, true, false) {}

qvTabbedWindow::~qvTabbedWindow() { tabOrder.Clear(); }

int qvTabbedWindow::AddToTabOrder(qvControl* control) {
  if (!control) return -1;
  for (qvControl* listed : tabOrder)
    if (listed->GetId() == control->GetId() && listed->GetBaseId() == control->GetBaseId()) return -1;
  tabOrder.Append(control);
  return 0;
}

bool qvTabbedWindow::OnOtherMessage(qvEvent& event) {
  if (event.accessKey) return !PressAccessKey(event.accessKey);
  if (event.message != WM_ACTIVATE) return qvWindow::OnOtherMessage(event);
  // wParam's low word: WA_INACTIVE, WA_ACTIVE or WA_CLICKACTIVE.
  if (LOWORD(event.wParam) == WA_INACTIVE) {
    const HWND focus = GetFocus();
    if (focus && IsChild(GetHandle(), focus)) lastFocus = focus;
    return true;
  }
  if (lastFocus && IsWindow(lastFocus) && IsChild(GetHandle(), lastFocus) && IsWindowVisible(lastFocus)) {
    SetFocus(lastFocus);
    return false;
  }
  for (qvControl* control : tabOrder) {
    if (Available(control) && control->TakesFocus()) {
      control->TakeFocus();
      return false;
    }
  }
  return true;
}

bool qvTabbedWindow::PressAccessKey(int32_t key) {
  // The character typed with Alt, in any script, any case.
  const wchar_t wanted = AccessKeyFolded(static_cast<wchar_t>(key & 0xFFFF));
  for (qvControl* control : tabOrder) {
    if (!Available(control) || !control->AccessKey() || AccessKeyFolded(control->AccessKey()) != wanted) continue;
    if (control->TakesFocus()) control->TakeFocus();
    // Last: pressing it may end the loop or delete the window.
    control->OnActivate();
    return true;
  }
  return false;
}

bool qvTabbedWindow::OnCommand(qvEvent& event) {
  if (event.detail != kNoticePassFocus) return false;
  bool answer = false;
  const int count = tabOrder.Count();
  for (int i = 0; i < count; ++i) {
    qvControl* source = tabOrder.At(i);
    if (!Available(source) || (source->GetId() != event.id && source->GetBaseId() != event.id)) continue;
    answer = true;
    // From the control after the source (before it, with Shift), one full
    // turn at most, so the source itself comes last: a Tab always moves on
    // when it can, and stays when no other control will take the focus.
    int j = i;
    for (int step = 0; step < count; ++step) {
      j = event.shift ? (j == 0 ? count - 1 : j - 1) : (j == count - 1 ? 0 : j + 1);
      qvControl* candidate = tabOrder.At(j);
      if (Available(candidate) &&
          (event.shift ? candidate->CanTakeFocusBackward() : candidate->CanTakeFocusForward())) {
        candidate->TakeFocus();
        break;
      }
    }
  }
  return answer;
}
