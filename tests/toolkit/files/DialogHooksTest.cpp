// The open dialogs with the custom templates a host module supplies
// (DialogTemplates.rc): the label, the "Skip" dialog's check box, and the
// Illustrator dialog's options and live preview, driven for real.
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/AnsiText.h"
#include "tests/toolkit/files/DialogDriver.h"
#include "tests/toolkit/files/IllustratorSamples.h"
#include "toolkit/files/IllustratorPreview.h"
#include "toolkit/files/qvFileSpec.h"

namespace {

// The custom template's dialog inside an open dialog.
HWND TemplateOf(HWND dialog) { return FindWindowExA(dialog, nullptr, "#32770", nullptr); }

// Selects the named file in the dialog's file list, as a click would.
bool SelectInList(HWND dialog, const char* name) {
  const HWND view = FindWindowExA(dialog, nullptr, "SHELLDLL_DefView", nullptr);
  const HWND list = FindWindowExA(view, nullptr, "SysListView32", nullptr);
  LVFINDINFOA find = {};
  find.flags = LVFI_STRING;
  find.psz = name;
  const int index = int(SendMessageA(list, LVM_FINDITEMA, WPARAM(-1), reinterpret_cast<LPARAM>(&find)));
  if (index < 0) return false;
  LVITEMA state = {};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&state));
  return true;
}

std::string PixelAt(HWND window, int x, int y) {
  UpdateWindow(window);
  const HDC dc = GetDC(window);
  const COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return std::to_string(GetRValue(c)) + "," + std::to_string(GetGValue(c)) + "," + std::to_string(GetBValue(c));
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

using DialogHooksTest = DialogTest;

TEST_F(DialogHooksTest, OpenFileShowsTheLabelAndTakesTheChosenFile) {
  Put("scene.txt", "x");
  std::string label;
  const std::string typed = Path("scene.txt");
  DialogDriver driver([&] {
    const HWND dialog = FindDialog();
    if (!dialog) return false;
    label = ItemText(TemplateOf(dialog), 1004);
    SendMessageW(dialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(WideFromUtf8(typed).c_str()));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    return true;
  });
  qvFileSpec spec;
  const int ids[] = {21, 27};
  ASSERT_TRUE(spec.OpenFile(2, ids, "Pick a scene"));
  EXPECT_EQ(label, "Pick a scene");
  EXPECT_EQ(spec.GetFullPath(), typed);
  EXPECT_EQ(spec.GetFolder(), root + "\\");
  EXPECT_STREQ(spec.GetFileName(), "scene.txt");
}

TEST_F(DialogHooksTest, TheSkipDialogKeepsItsCheckBoxInTheOptionWhateverTheChoice) {
  struct Seen {
    std::string title, cancelText;
    bool checkedAtStart = false;
  } seen;
  DialogDriver driver([&] {
    const HWND dialog = FindDialog();
    if (!dialog) return false;
    char title[128] = "";
    GetWindowTextA(dialog, title, sizeof title);
    seen.title = title;
    seen.cancelText = ItemText(dialog, IDCANCEL);
    const HWND custom = TemplateOf(dialog);
    seen.checkedAtStart = Checked(custom, 1082);
    SendMessageA(GetDlgItem(custom, 1082), BM_CLICK, 0, 0);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return true;
  });
  qvFileSpec spec("C:\\stale\\old.txt");
  uint8_t option = 1;
  const int ids[] = {27};
  EXPECT_FALSE(spec.OpenFileOrSkip(1, ids, "Replace the missing texture", &option));
  EXPECT_EQ(seen.title, "Replace the missing texture");
  EXPECT_EQ(seen.cancelText, "Skip");
  EXPECT_TRUE(seen.checkedAtStart);
  EXPECT_EQ(option, 0) << "the click came back although the user skipped";
  EXPECT_STREQ(spec.GetFullPath(), "");
}

// What the Illustrator dialog showed, read while it ran.
struct IllustratorSeen {
  bool paneVisible = false;
  bool placeholderVisible = true;
  RECT pane = {}, placeholder = {};
  std::vector<bool> enabled, checked;  // boxes 1005, 1006, 1007, 1008, 1018
  bool secondVisible = false;
  std::string previewCentre, previewEdge, frame, emptyCentre;
  bool secondClickChecksFirst = false;
};

void ReadBoxes(HWND custom, IllustratorSeen& seen) {
  for (int id : {1005, 1006, 1007, 1008, 1018}) {
    seen.enabled.push_back(IsWindowEnabled(GetDlgItem(custom, id)));
    seen.checked.push_back(Checked(custom, id));
  }
  seen.secondVisible = IsWindowVisible(GetDlgItem(custom, 1008));
}

RECT RectIn(HWND window, HWND parent) {
  RECT r;
  GetWindowRect(window, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

class IllustratorDialogTest : public DialogTest {
protected:
  void SetUp() override {
    DialogTest::SetUp();
    // A 100 x 60 thumbnail of palette colour 0x40, and a file without one.
    std::vector<uint8_t> data = SamplePalette();
    data.insert(data.end(), {'R', 'L', 'E'});
    for (int i = 0; i < 6000 / 250; ++i) data.insert(data.end(), {0xFD, 250, 0x40});
    Put("logo.ai", AiFile({"%!PS-Adobe-3.0", "%AI7_Thumbnail: 100 60 8"}, data));
    Put("plain.ai", "%!PS-Adobe-3.0\r\n%%EOF\r\n");
    SetCurrentDirectoryA(root.c_str());
  }
};

TEST_F(IllustratorDialogTest, ThePreviewFollowsTheSelectionAndTheOptionsComeBack) {
  IllustratorSeen seen;
  int stage = 0;
  const std::string typed = Path("logo.ai");
  DialogDriver driver([&] {
    const HWND dialog = FindDialog();
    if (!dialog) return false;
    const HWND custom = TemplateOf(dialog);
    const HWND pane = FindWindowExA(custom, nullptr, "qvAiThumb", nullptr);
    switch (stage++) {
      case 0:
        ReadBoxes(custom, seen);
        seen.paneVisible = pane && IsWindowVisible(pane);
        seen.placeholderVisible = IsWindowVisible(GetDlgItem(custom, 1010));
        seen.pane = RectIn(pane, custom);
        seen.placeholder = RectIn(GetDlgItem(custom, 1010), custom);
        return !SelectInList(dialog, "logo.ai");
      case 1:
        seen.previewCentre = PixelAt(pane, 64, 64);
        seen.previewEdge = PixelAt(pane, 10, 64);  // left of the 100-pixel picture
        seen.frame = PixelAt(pane, 0, 0);
        return !SelectInList(dialog, "plain.ai");
      case 2:
        seen.emptyCentre = PixelAt(pane, 64, 64);
        // Checking the second option checks the first as well; then the
        // third and fifth.
        SendMessageA(GetDlgItem(custom, 1005), BM_CLICK, 0, 0);
        SendMessageA(GetDlgItem(custom, 1005), BM_CLICK, 0, 0);
        SendMessageA(GetDlgItem(custom, 1008), BM_CLICK, 0, 0);
        seen.secondClickChecksFirst = Checked(custom, 1005) && Checked(custom, 1008);
        SendMessageA(GetDlgItem(custom, 1006), BM_CLICK, 0, 0);
        SendMessageA(GetDlgItem(custom, 1018), BM_CLICK, 0, 0);
        SendMessageW(dialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(WideFromUtf8(typed).c_str()));
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        return true;
    }
    return true;
  });
  qvFileSpec spec("C:\\kept\\old.ai");
  uint8_t a = 0, b = 0, c = 9, d = 9, e = 9;
  ASSERT_TRUE(spec.OpenIllustratorFile(false, true, &a, &b, &c, &d, &e, nullptr));
  ASSERT_TRUE(driver.Done());

  EXPECT_TRUE(seen.paneVisible);
  EXPECT_FALSE(seen.placeholderVisible);
  EXPECT_TRUE(EqualRect(&seen.pane, &seen.placeholder)) << "the pane takes the placeholder's place";
  EXPECT_EQ(seen.enabled, std::vector<bool>(5, true));
  EXPECT_EQ(seen.checked, (std::vector<bool>{false, false, false, false, true})) << "the fifth option starts set";
  EXPECT_TRUE(seen.secondVisible);

  const auto colour = SamplePaletteColor(0x40);
  EXPECT_EQ(seen.previewCentre,
            std::to_string(colour[0]) + "," + std::to_string(colour[1]) + "," + std::to_string(colour[2]));
  EXPECT_EQ(seen.previewEdge, "255,255,255");
  EXPECT_EQ(seen.frame, "0,0,0");
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(seen.emptyCentre, std::to_string(GetRValue(face)) + "," + std::to_string(GetGValue(face)) + "," +
                                  std::to_string(GetBValue(face)))
      << "no thumbnail, no preview";
  EXPECT_TRUE(seen.secondClickChecksFirst);

  EXPECT_EQ(spec.GetFullPath(), typed);
  EXPECT_STREQ(spec.GetFileName(), "logo.ai");
  EXPECT_STREQ(spec.GetFolder(), "C:\\kept\\") << "the Illustrator dialog leaves the folder";
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 1);
  EXPECT_EQ(c, 1);
  EXPECT_EQ(d, 0);
  EXPECT_EQ(e, 0);
}

TEST_F(IllustratorDialogTest, DisabledOptionsAreNeitherOfferedNorWrittenBack) {
  IllustratorSeen seen;
  const std::string typed = Path("logo.ai");
  DialogDriver driver([&] {
    const HWND dialog = FindDialog();
    if (!dialog) return false;
    ReadBoxes(TemplateOf(dialog), seen);
    SendMessageW(dialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(WideFromUtf8(typed).c_str()));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    return true;
  });
  qvFileSpec spec;
  uint8_t a = 1, b = 1, c = 9, d = 9, e = 9;
  HWND owner = nullptr;
  ASSERT_TRUE(spec.OpenIllustratorFile(true, false, &a, &b, &c, &d, &e, &owner));
  EXPECT_EQ(seen.enabled, std::vector<bool>(5, false));
  EXPECT_EQ(seen.checked, (std::vector<bool>{false, false, false, false, true}));
  EXPECT_FALSE(seen.secondVisible);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 1);
  EXPECT_EQ(c, 0);
  EXPECT_EQ(d, 0);
  EXPECT_EQ(e, 1);
}

TEST_F(IllustratorDialogTest, CancelClearsTheFileSpec) {
  DialogDriver driver([&] {
    const HWND dialog = FindDialog();
    if (dialog) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return dialog != nullptr;
  });
  qvFileSpec spec("C:\\kept\\old.ai");
  uint8_t a = 1, b = 0, c = 9, d = 9, e = 9;
  EXPECT_FALSE(spec.OpenIllustratorFile(false, true, &a, &b, &c, &d, &e, nullptr));
  EXPECT_STREQ(spec.GetFullPath(), "");
  EXPECT_STREQ(spec.GetFolder(), "");
  EXPECT_EQ(a, 1);
  EXPECT_EQ(c, 0);
  EXPECT_EQ(e, 1);
}

}  // namespace
