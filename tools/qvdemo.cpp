// qvdemo: a bare toolkit window over the main message loop. Escape or Q ends
// the loop and the program. With --selftest the program presses Escape for
// itself, so that a test sees the loop start, dispatch a key and end.
#include <windows.h>

#include <cstring>

#include "toolkit/window/MessageDispatch.h"
#include "toolkit/window/qvEvent.h"
#include "toolkit/window/qvWindow.h"

namespace {

class DemoWindow : public qvWindow {
public:
  DemoWindow() : qvWindow(qvRect(0, 0, 400, 240), nullptr, "Quorvin toolkit demo", false, true, false) {}

  bool OnKeyDown(qvEvent& event) override {
    if (event.keyCode == VK_ESCAPE || event.keyCode == 'q' || event.keyCode == 'Q') {
      EndMessageLoop();
      return false;
    }
    return qvWindow::OnKeyDown(event);
  }
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  DemoWindow window;
  window.Create();
  if (!window.GetHandle()) return 1;
  window.Show();
  if (std::strstr(commandLine, "--selftest")) PostMessageA(window.GetHandle(), WM_CHAR, VK_ESCAPE, 0);
  const int code = RunMessageLoop();
  return code;
}
