// The installer window in the test's own process, on a distribution folder
// the test makes: "Window Foo", an FxPlug payload of one file, and a target folder.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "app/install/InstallSetup.h"
#include "app/window/QuorvinUI.h"
#include "tests/app/Scratch.h"
#include "tests/toolkit/window/WindowTesting.h"

class InstallerWindow : public ScratchTest {
protected:
  void SetUp() override {
    ScratchTest::SetUp();
    // A product of its own: installs register their product, and the
    // end-to-end tests install "Foo" side by side.
    Put("dist/install files/product.txt", "Window Foo\r\n");
    Put("dist/install files/FX Files/Plug-in.aex", "plug-in");
    MakeFolder("target");
  }
  void TearDown() override {
    window.reset();
    ScratchTest::TearDown();
  }
  // The window, as setup.exe in the distribution folder would make it,
  // shown in front and painted.
  QuorvinUI& Open() {
    window = std::make_unique<QuorvinUI>(
        qvRect(0, 0, 620, 420), PrepareInstallFrom(Path("dist/install files"), "", SetupOptions(), SetupMode::kWindow));
    window->SetLocation(Path("target").c_str());
    window->Show();
    BringToFront(window->GetHandle());
    RedrawWindow(window->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    return *window;
  }
  // A click at a point of the window's client area.
  void ClickClient(int x, int y) {
    POINT p = {x, y};
    ClientToScreen(window->GetHandle(), &p);
    ClickAt(p.x, p.y);
  }

  std::unique_ptr<QuorvinUI> window;
};

// Within 2 of each of red, green and blue.
inline bool Near(COLORREF c, int r, int g, int b) {
  return std::abs(GetRValue(c) - r) <= 2 && std::abs(GetGValue(c) - g) <= 2 && std::abs(GetBValue(c) - b) <= 2;
}
