// Drives the platform's modal dialogs from inside their own message loop:
// a thread timer runs the test's step every 20 ms until the step says it is
// done. After five seconds the driver gives up and cancels whatever dialog
// of the thread is showing, so that a test fails rather than hangs.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "tests/app/Scratch.h"

// The visible top-level dialog (class "#32770") of this thread titled
// title, or any such dialog when title is null; null when none shows.
HWND FindDialog(const char* title = nullptr);

std::string ItemText(HWND dialog, int id);

class DialogDriver {
public:
  explicit DialogDriver(std::function<bool()> step);
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;
  ~DialogDriver();

  bool Done() const { return done; }
  bool GaveUp() const { return gaveUp; }

private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);

  std::function<bool()> step;
  UINT_PTR timer;
  int ticks = 0;
  bool done = false;
  bool gaveUp = false;
};

// A scratch folder for dialog tests. The dialogs make the chosen folder the
// current one; it goes back before the scratch folder is removed.
class DialogTest : public ScratchTest {
protected:
  void SetUp() override;
  void TearDown() override;

private:
  char startFolder[MAX_PATH] = "";
};
