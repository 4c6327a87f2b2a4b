// gallery: one window over a background picture that shows every control
// of the toolkit in each of its looks: buttons normal, held, disabled and
// with a label too wide for them; check boxes unchecked, checked, held and
// disabled; captions with each alignment; a text list of a few thousand
// lines with both bars; standalone scroll bars. Everything can be used by
// hand; what the window hears is shown at the bottom. Escape or the Close
// button ends it.
//
//   gallery.exe [--exit-after MS]   (ends by itself after MS milliseconds)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "common/StringList.h"
#include "imagelib/ImageOps.h"
#include "imagelib/RasterImage.h"
#include "toolkit/controls/qvButton.h"
#include "toolkit/controls/qvCaption.h"
#include "toolkit/controls/qvCheckbox.h"
#include "toolkit/controls/qvScrollbar.h"
#include "toolkit/controls/qvTextList.h"
#include "toolkit/files/qvPicture.h"
#include "toolkit/window/MessageDispatch.h"
#include "toolkit/window/qvTabbedWindow.h"

namespace {

constexpr int kWidth = 700;
constexpr int kHeight = 500;
constexpr int kCloseId = 99;

// Controls shown as if the button were held on them.
class HeldButton : public qvButton {
public:
  using qvButton::qvButton;
  void Hold() {
    pressed = true;
    inside = true;
    Refresh();
  }
};

class HeldCheckbox : public qvCheckbox {
public:
  using qvCheckbox::qvCheckbox;
  void Hold() {
    pressed = true;
    inside = true;
    Refresh();
  }
};

// A soft diagonal gradient with light panels behind the groups, top row
// first, as the installer's background comes out of its file.
qvPicture* MakeBackground(const std::vector<ImageRect>& panels) {
  RasterImage image;
  AllocatePixels(&image, kWidth, kHeight, kPixelRgb8);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      uint8_t* p = image.store->Pixel(x, y);
      p[0] = static_cast<uint8_t>(40 + 60 * x / kWidth);
      p[1] = static_cast<uint8_t>(70 + 80 * y / kHeight);
      p[2] = static_cast<uint8_t>(120 + 90 * (x + y) / (kWidth + kHeight));
    }
  }
  for (const ImageRect& panel : panels) LightenRectangle(panel, &image);
  return ImageToPicture(&image, nullptr);
}

class Gallery : public qvTabbedWindow {
public:
  Gallery() : qvTabbedWindow(qvRect(0, 0, kWidth, kHeight), "Toolkit gallery") {
    Create();
    const std::vector<ImageRect> panels = {
        {15, 40, 225, 235}, {240, 40, 450, 235}, {15, 250, 450, 445}, {465, 40, 685, 445}};
    SetBackgroundPicture(MakeBackground(panels));
    Build();
  }

  bool OnCommand(qvEvent& event) override {
    if (event.id == kCloseId && event.detail == kNoticeClick) {
      EndMessageLoop();
      return true;
    }
    // The standalone bars move by what they ask for, as a list moves its own.
    for (qvScrollbar* bar : {vertical, horizontal}) {
      if (event.window != this || !bar || event.id != bar->GetId()) continue;
      if (event.kind == kEventLineDown) bar->ScrollLines(1);
      if (event.kind == kEventLineUp) bar->ScrollLines(-1);
      if (event.kind == kEventPageDown) bar->ScrollPages(1);
      if (event.kind == kEventPageUp) bar->ScrollPages(-1);
      if (event.kind == kEventThumbPosition) bar->SetValue(event.detail);
      bar->Refresh();
    }
    char text[160];
    std::snprintf(text, sizeof text, "Last command: id %d, kind %d, detail %d%s", event.id, event.kind,
                  event.detail, checkbox && event.id == checkbox->GetId()
                                    ? (checkbox->IsChecked() ? " (checked)" : " (unchecked)")
                                    : "");
    if (status) status->SetText(text);
    return true;
  }

  bool OnKeyDown(qvEvent& event) override {
    if (event.keyCode == VK_ESCAPE) EndMessageLoop();
    return false;
  }

private:
  template <class T, class... Args>
  T* Add(Args&&... args) {
    T* control = new T(std::forward<Args>(args)...);
    owned.emplace_back(control);
    return control;
  }

  void Build() {
    Add<qvCaption>(this, qvRect(15, 8, 685, 34), "Quorvin toolkit controls", kCaptionCenter);

    Add<qvCaption>(this, qvRect(25, 45, 215, 63), "Buttons", kCaptionLeft)->SetTextSize(0);
    Add<qvButton>(this, qvRect(25, 68, 120, 88), "Normal", 10, qvButton::kLargeLabel);
    Add<HeldButton>(this, qvRect(125, 68, 215, 88), "Held", 11, qvButton::kLargeLabel)->Hold();
    Add<qvButton>(this, qvRect(25, 96, 120, 116), "Disabled", 12, qvButton::kLargeLabel)->Disable();
    Add<qvButton>(this, qvRect(125, 96, 215, 116), "Small label", 13, qvButton::kSmallLabel);
    Add<qvButton>(this, qvRect(25, 124, 215, 144), "A label far wider than the button that holds it", 14, qvButton::kSmallLabel);
    Add<qvButton>(this, qvRect(25, 200, 120, 220), "Close", kCloseId, qvButton::kLargeLabel);

    Add<qvCaption>(this, qvRect(250, 45, 440, 63), "Check boxes", kCaptionLeft)->SetTextSize(0);
    checkbox = Add<qvCheckbox>(this, qvRect(250, 68, 440, 88), "  I accept.", 20);
    qvCheckbox* checked = Add<qvCheckbox>(this, qvRect(250, 92, 440, 112), "  Checked", 21);
    checked->Check();
    Add<HeldCheckbox>(this, qvRect(250, 116, 440, 136), "  Held", 22)->Hold();
    qvCheckbox* off = Add<qvCheckbox>(this, qvRect(250, 140, 440, 160), "  Disabled", 23);
    off->Disable();
    qvCheckbox* offChecked = Add<qvCheckbox>(this, qvRect(250, 164, 440, 184), "  Disabled and checked", 24);
    offChecked->Check();
    offChecked->Disable();

    Add<qvCaption>(this, qvRect(25, 255, 440, 273), "Captions: left, centred, middle, both", kCaptionLeft)
        ->SetTextSize(0);
    const int flags[] = {kCaptionLeft, kCaptionCenter, kCaptionMiddle, kCaptionCenter | kCaptionMiddle};
    for (int i = 0; i < 4; ++i) {
      char text[32];
      std::snprintf(text, sizeof text, "Flags %d", flags[i]);
      const int x = 25 + (i % 2) * 210, y = 280 + (i / 2) * 50;
      Add<qvCaption>(this, qvRect(x, y, x + 200, y + 44), text, flags[i]);
    }
    vertical = Add<qvScrollbar>(qvRect(25, 385, 41, 435), this, 20, true);
    vertical->SetRangeAndValue(0, 9, 3);
    horizontal = Add<qvScrollbar>(qvRect(50, 400, 440, 416), this, 21, false);
    horizontal->SetRangeAndValue(0, 100, 40);
    horizontal->SetPageSize(10);

    StringList lines;
    char line[200];
    for (int i = 1; i <= 3000; ++i) {
      std::snprintf(line, sizeof line,
                    i % 7 == 0 ? "Line %d: a longer line that reaches past the right edge of the list, so that "
                                 "the horizontal bar has somewhere to go."
                               : "Line %d of the release notes.",
                    i);
      lines.Append(TextString(line));
    }
    Add<qvTextList>(lines, qvRect(475, 50, 675, 435), this);

    status = Add<qvCaption>(this, qvRect(15, 455, 685, 480), "Click anything.", kCaptionLeft);
    status->SetTextSize(0);
  }

  std::vector<std::unique_ptr<qvWindow>> owned;  // every control, owned
  qvCheckbox* checkbox = nullptr;   // not owned
  qvCaption* status = nullptr;      // not owned
  qvScrollbar* vertical = nullptr;  // not owned
  qvScrollbar* horizontal = nullptr;
};

void CALLBACK EndAfterTimeout(HWND, UINT, UINT_PTR, DWORD) { EndMessageLoop(); }

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  Gallery window;
  if (!window.GetHandle()) return 1;
  window.Show();
  if (const char* option = std::strstr(commandLine, "--exit-after "))
    SetTimer(nullptr, 0, static_cast<UINT>(std::atoi(option + 13)), EndAfterTimeout);
  return RunMessageLoop();
}
