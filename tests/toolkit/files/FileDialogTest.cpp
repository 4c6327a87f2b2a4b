// The file dialogs and the folder browser, shown for real and driven from a
// timer inside their modal loops. This program holds no dialog templates, as
// the installer holds none: the open dialogs are refused by the platform
// and the save dialog runs without a template.
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <shlobj.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/AnsiText.h"
#include "tests/app/Scratch.h"
#include "tests/toolkit/files/DialogDriver.h"
#include "toolkit/files/qvFileSpec.h"

namespace {

std::string ComboItem(HWND combo, int index) {
  char text[256] = "";
  if (SendMessageA(combo, CB_GETLBTEXTLEN, index, 0) < LRESULT(sizeof text))
    SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
  return text;
}

// Types `typed` into the save dialog's name box and presses OK, or presses
// Cancel when typed is null. Any further dialog the platform puts up (an
// error about the name) is answered with OK and the save dialog then
// cancelled. Records what the dialog offered.
struct SaveDialogScript {
  explicit SaveDialogScript(const char* typedText) : typed(typedText) {}

  const char* typed;
  std::vector<std::string> offered;
  std::string extraDialog;  // the text of a further dialog, if one showed
  int stage = 0;
  HWND dialog = nullptr;

  bool Step() {
    if (stage == 0) {
      dialog = FindDialog();
      if (!dialog) return false;
      const HWND types = GetDlgItem(dialog, cmb1);
      for (int i = 0; i < SendMessageA(types, CB_GETCOUNT, 0, 0); ++i) offered.push_back(ComboItem(types, i));
      if (!typed) {
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return true;
      }
      SendMessageW(dialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(WideFromUtf8(typed).c_str()));
      PostMessageA(dialog, WM_COMMAND, IDOK, 0);
      stage = 1;
      return false;
    }
    // The save dialog has gone, or another one stands in front of it.
    const HWND front = FindDialog();
    if (!front) return true;
    if (front == dialog) return ++stage > 10;  // give the platform a few ticks
    extraDialog = ItemText(front, 0xFFFF);
    PostMessageA(front, WM_COMMAND, IDOK, 0);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return true;
  }
};

using FileDialogTest = DialogTest;

TEST_F(FileDialogTest, SaveFileWithTheTextType) {
  // The longest path a 260-byte buffer holds. (Wine's own dialog overflows
  // its stack when a longer one is typed, so the platform's refusal of those
  // cannot be shown here.)
  const std::string longest = Path(std::string(259 - root.size() - 5, 'n') + ".txt");
  struct Case {
    const char* what;
    std::string typed;  // "" for Cancel
    bool chosen;
    std::string fullPath;
    std::string fileName;
  };
  const std::vector<Case> cases = {
      {"OK with a name: the default extension is added", Path("notes"), true, Path("notes.txt"), "notes.txt"},
      {"OK with a name that has the extension", Path("list.txt"), true, Path("list.txt"), "list.txt"},
      {"Cancel", "", false, "", ""},
      {"a path of 259 characters", longest, true, longest, longest.substr(root.size() + 1)},
  };
  const int ids[] = {21};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SaveDialogScript script(c.typed.empty() ? nullptr : c.typed.c_str());
    DialogDriver driver([&] { return script.Step(); });
    qvFileSpec spec("C:\\stale\\old.txt");
    int chosenId = -1, filterIndex = -1;
    EXPECT_EQ(spec.SaveFile(1, ids, "", nullptr, &chosenId, &filterIndex), c.chosen);
    EXPECT_FALSE(driver.GaveUp());
    EXPECT_EQ(script.offered, std::vector<std::string>{"Text files"});
    EXPECT_EQ(spec.GetFullPath(), c.fullPath);
    EXPECT_EQ(spec.GetFileName(), c.fileName);
    EXPECT_EQ(spec.GetFolder(), c.chosen ? root + "\\" : "");
    EXPECT_EQ(chosenId, 21);
    EXPECT_EQ(filterIndex, 0);
    if (!script.extraDialog.empty()) std::printf("the platform said: %s\n", script.extraDialog.c_str());
  }
  EXPECT_FALSE(Exists("notes.txt")) << "the dialog only names the file";
}

TEST_F(FileDialogTest, SaveFileOffersTheListedTypesAndReportsTheChosenOne) {
  SaveDialogScript script(nullptr);
  bool picked = false;
  const std::string target = Path("scene");
  DialogDriver driver([&] {
    if (picked) return script.Step();
    const HWND dialog = FindDialog();
    if (!dialog) return false;
    // The second type (JPEG) is offered first; pick the third (All files).
    script.offered.push_back(ComboItem(GetDlgItem(dialog, cmb1),
                                       int(SendMessageA(GetDlgItem(dialog, cmb1), CB_GETCURSEL, 0, 0))));
    SendMessageA(GetDlgItem(dialog, cmb1), CB_SETCURSEL, 2, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELENDOK), LPARAM(GetDlgItem(dialog, cmb1)));
    script.typed = target.c_str();
    picked = true;
    return false;
  });
  const int ids[] = {5, 4, 27};
  qvFileSpec spec;
  int chosenId = -1, filterIndex = 1;
  ASSERT_TRUE(spec.SaveFile(3, ids, nullptr, "first", &chosenId, &filterIndex));
  EXPECT_EQ(script.offered.front(), "JPEG (*.jpg)");
  EXPECT_EQ(chosenId, 27);
  EXPECT_EQ(filterIndex, 2);
  EXPECT_EQ(spec.GetFullPath(), target) << "the last type, *.*, gives no default extension";
}

TEST_F(FileDialogTest, DialogsWhoseTemplatesTheProgramLacksBehaveAsCancel) {
  // Should a dialog show after all, it is cancelled and the test says so.
  int shown = 0;
  DialogDriver driver([&] {
    if (const HWND dialog = FindDialog()) {
      ++shown;
      PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }
    return false;
  });
  const int ids[] = {21, 27};

  qvFileSpec open("C:\\stale\\old.txt");
  EXPECT_FALSE(open.OpenFile(2, ids, "label"));
  EXPECT_STREQ(open.GetFullPath(), "");
  EXPECT_STREQ(open.GetFolder(), "");

  qvFileSpec viaOpen("C:\\stale\\old.txt");
  EXPECT_FALSE(viaOpen.Open(2, ids, nullptr));
  EXPECT_STREQ(viaOpen.GetFullPath(), "");

  qvFileSpec none("C:\\stale\\old.txt");
  EXPECT_TRUE(none.OpenFile(0, nullptr, nullptr)) << "no types: no dialog, and true";
  EXPECT_STREQ(none.GetFullPath(), "C:\\stale\\old.txt");

  qvFileSpec skip("C:\\stale\\old.txt");
  uint8_t option = 1;
  EXPECT_FALSE(skip.OpenFileOrSkip(2, ids, "Pick one", &option));
  EXPECT_EQ(option, 1);
  EXPECT_STREQ(skip.GetFileName(), "");

  qvFileSpec illustrator("C:\\stale\\old.ai");
  uint8_t a = 1, b = 1, c = 7, d = 7, e = 7;
  EXPECT_FALSE(illustrator.OpenIllustratorFile(false, true, &a, &b, &c, &d, &e, nullptr));
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 1);
  EXPECT_EQ(c, 0);
  EXPECT_EQ(d, 0);
  EXPECT_EQ(e, 1);
  EXPECT_STREQ(illustrator.GetFullPath(), "");

  EXPECT_EQ(shown, 0) << "a dialog showed";
}

std::string TreeItemText(HWND tree, LPARAM handle) {
  char text[MAX_PATH] = "";
  TVITEMA item = {};
  item.mask = TVIF_TEXT;
  item.hItem = reinterpret_cast<HTREEITEM>(handle);
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return text;
}

// Presses OK or Cancel in the folder browser once it shows, after noting its
// prompt and the selected item's text. With `awaitedPath` set it first gives
// the browser up to a second to select that folder, and then selects it
// itself: on a cold start Wine's browser sometimes stops part way down the
// path it was asked to select.
struct BrowseScript {
  explicit BrowseScript(int pressed, std::string path = "") : button(pressed), awaitedPath(path) {
    awaited = path.substr(path.rfind('\\') + 1);
  }

  int button;
  std::string awaitedPath, awaited;
  std::string prompt;
  std::string firstSelected;  // what the browser selected on its own
  std::string selected;       // what was selected when the button was pressed
  int waits = 0;

  bool Step() {
    const HWND browser = FindDialog("Browse for Folder");
    if (!browser) return false;
    prompt = ItemText(browser, 0x3742);
    const HWND tree = GetDlgItem(browser, 0x3741);
    selected = TreeItemText(tree, SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!awaited.empty() && selected != awaited) {
      if (++waits < 50) return false;
      if (waits == 50) {
        firstSelected = selected;
        SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(awaitedPath.c_str()));
        return false;
      }
    }
    if (firstSelected.empty()) firstSelected = selected;
    PostMessageA(browser, WM_COMMAND, button, 0);
    return true;
  }
};

TEST_F(FileDialogTest, BrowseFolderOkAndCancel) {
  MakeFolder("Plug-ins");
  struct Case {
    const char* what;
    int button;
    bool chosen;
  };
  for (const Case& c : {Case{"OK", IDOK, true}, Case{"Cancel", IDCANCEL, false}}) {
    SCOPED_TRACE(c.what);
    BrowseScript script(c.button, Path("Plug-ins"));
    DialogDriver driver([&] { return script.Step(); });
    qvFileSpec spec(Path("Plug-ins").c_str());
    EXPECT_EQ(spec.BrowseFolder("Select the After Effects Plug-ins folder", true), c.chosen);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(script.prompt, "Select the After Effects Plug-ins folder");
    EXPECT_NE(("\\" + Path("Plug-ins") + "\\").find("\\" + script.firstSelected + "\\"), std::string::npos)
        << script.firstSelected << ": the browser starts at the current path, or on its way there";
    EXPECT_EQ(script.selected, "Plug-ins");
    EXPECT_EQ(spec.GetFullPath(), c.chosen ? Path("Plug-ins") : "");
    EXPECT_EQ(spec.GetFolder(), c.chosen ? Path("Plug-ins") : "");
    if (c.chosen) {
      EXPECT_NE(std::string(spec.GetFileName()), "");
    }
  }
}

// A folder picked in the browser whose path does not fit in 260 bytes is
// refused, not cut. The shell hands such a path back cut to 259 characters,
// so a path of 259 is refused as well.
TEST_F(FileDialogTest, BrowseFolderRefusesPathsThatMayHaveBeenCut) {
  struct Case {
    size_t length;
    bool chosen;
  };
  for (const Case& c : {Case{258, true}, Case{259, false}, Case{260, false}, Case{300, false}}) {
    SCOPED_TRACE(c.length);
    // Two levels, so that no single name passes the file system's 255.
    const std::string parent = Path(std::string(120, 'a'));
    const std::string deep = parent + "\\" + std::string(c.length - parent.size() - 1, 'b');
    ASSERT_EQ(deep.size(), c.length);
    ASSERT_TRUE(RunUnixShell("mkdir -p '" + UnixPath(parent) + "/" + deep.substr(parent.size() + 1) + "'"));
    // As a user would: open the parent in the tree and click its child.
    // The browser fills its tree as it opens, so each step is repeated
    // until the tree shows its result.
    const std::string parentName = parent.substr(root.size() + 1);
    BrowseScript script(IDOK, deep);
    std::string message;
    bool pressed = false;
    DialogDriver driver([&] {
      if (const HWND box = FindDialog("Attention !")) {
        message = ItemText(box, 0xFFFF);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return true;
      }
      // A refused path is told once the browser has closed.
      if (pressed) return false;
      const HWND browser = FindDialog("Browse for Folder");
      if (!browser) return false;
      const HWND tree = GetDlgItem(browser, 0x3741);
      const LPARAM item = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
      if (TreeItemText(tree, item) == parentName) {
        SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, item);
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, item));
      } else if (TreeItemText(tree, item) != script.awaited) {
        SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(parent.c_str()));
      }
      pressed = script.Step();
      return pressed && c.chosen;
    });
    qvFileSpec spec("C:\\stale\\");
    EXPECT_EQ(spec.BrowseFolder("Pick", false), c.chosen);
    EXPECT_FALSE(driver.GaveUp());
    EXPECT_EQ(message.find("too long") != std::string::npos, !c.chosen) << message;
    EXPECT_EQ(script.selected, script.awaited) << "the deep folder was picked";
    EXPECT_EQ(spec.GetFullPath(), c.chosen ? deep : "");
    EXPECT_EQ(spec.GetFolder(), c.chosen ? deep : "");
    RunUnixShell("rm -rf '" + UnixPath(parent) + "'");
  }
}

// The browser offers "Make New Folder" and a field to type a path in. A
// full path typed there is taken as typed, though no folder has it yet;
// anything else typed that names no folder is told and the browser stays;
// an item that is no folder of a drive is told, not silently dropped.
TEST_F(FileDialogTest, BrowseFolderTakesTypedPathsAndTellsWhatItCannotTake) {
  MakeFolder("Existing");
  LPITEMIDLIST computer = nullptr;
  ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer), S_OK);
  struct Case {
    const char* what;
    std::wstring typed;      // typed in the field; empty: "My Computer" chosen in the list
    std::string fullPath;    // "" when nothing is taken
    std::string message;     // the start of what the user is told, or ""
    bool staysOpen;          // the browser is still there after the message
  };
  const std::wstring wideRoot(root.begin(), root.end());
  const Case cases[] = {
      {"a full path of folders still to make", wideRoot + L"\\New\\Deeper", Path("New\\Deeper"), "", false},
      {"a full path of a folder there", wideRoot + L"\\Existing", Path("Existing"), "", false},
      {"a bare name", L"Plug-ins", "", "Type a folder's full path", true},
      {"a full-width letter, as it is", wideRoot + L"\\\uFF44ist", Path("\xEF\xBD\x84ist"), "", false},
      {"half a surrogate pair", wideRoot + L"\\x" + std::wstring(1, wchar_t(0xD800)), "",
       "The folder \"" + root + "\\x?\" cannot be used", false},
      {"a computer, not a folder", L"", "", "\"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    bool newFolder = false, field = false, pressed = false, stayed = false;
    std::string message;
    DialogDriver driver([&] {
      if (const HWND box = FindDialog("Attention !")) {
        message = ItemText(box, 0xFFFF);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return false;
      }
      const HWND browser = FindDialog("Browse for Folder");
      if (!browser) return pressed;
      if (pressed) {
        // Still open after the OK: told, and left for another try.
        if (message.empty()) return false;
        stayed = true;
        PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
        return true;
      }
      for (HWND child = GetWindow(browser, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char text[64] = "", kind[32] = "";
        GetWindowTextA(child, text, sizeof text);
        GetClassNameA(child, kind, sizeof kind);
        std::string label(text);
        label.erase(std::remove(label.begin(), label.end(), '&'), label.end());
        newFolder |= label == "Make New Folder" && IsWindowVisible(child);
        field |= std::string(kind) == "Edit" && IsWindowVisible(child);
      }
      if (c.typed.empty())
        SendMessageA(browser, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(computer));
      else
        SetWindowTextW(FindWindowExW(browser, nullptr, L"Edit", nullptr), c.typed.c_str());
      PostMessageA(browser, WM_COMMAND, IDOK, 0);
      pressed = true;
      return false;
    });
    qvFileSpec spec("C:\\stale\\");
    EXPECT_EQ(spec.BrowseFolder("Pick", false), !c.fullPath.empty());
    EXPECT_FALSE(driver.GaveUp());
    EXPECT_TRUE(newFolder) << "\"Make New Folder\" is offered";
    EXPECT_TRUE(field) << "and a field for a path";
    EXPECT_EQ(spec.GetFullPath(), c.fullPath);
    EXPECT_EQ(message.rfind(c.message, 0), 0u) << message;
    if (!c.message.empty()) EXPECT_NE(message.find("hoose"), std::string::npos) << "and what to do: " << message;
    EXPECT_EQ(stayed, c.staysOpen);
  }
  CoTaskMemFree(computer);
  EXPECT_FALSE(Exists("New")) << "choosing makes no folder";
}

std::wstring TreeItemTextWide(HWND tree, LPARAM handle) {
  wchar_t text[MAX_PATH] = L"";
  TVITEMW item = {};
  item.mask = TVIF_TEXT;
  item.hItem = reinterpret_cast<HTREEITEM>(handle);
  item.pszText = text;
  item.cchTextMax = MAX_PATH;
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  return text;
}

// Any character of a folder's name comes back as it is, in UTF-8, whatever
// the code page: never a look-alike ("dist" for the full-width "ｄist").
TEST_F(FileDialogTest, BrowseFolderTakesEveryCharacterAsItIs) {
  struct Case {
    const char* what;
    std::wstring name;
    std::string fullPath;  // "" when refused
  };
  const Case cases[] = {
      {"a letter of the code page", L"Caf\u00E9", Path("Caf\xC3\xA9")},
      {"a full-width letter", L"\uFF44ist", Path("\xEF\xBD\x84ist")},
      {"Japanese and an emoji", L"\u65E5\u672C \U0001F3A8", Path("\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\xA8")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::wstring widePath = std::wstring(root.begin(), root.end()) + L"\\" + c.name;
    ASSERT_TRUE(CreateDirectoryW(widePath.c_str(), nullptr));
    std::string message;
    bool pressed = false;
    DialogDriver driver([&] {
      if (const HWND box = FindDialog("Attention !")) {
        message = ItemText(box, 0xFFFF);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return true;
      }
      const HWND browser = FindDialog("Browse for Folder");
      if (!browser || pressed) return pressed && !browser && !c.fullPath.empty();
      const HWND tree = GetDlgItem(browser, 0x3741);
      if (TreeItemTextWide(tree, SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0)) != c.name) {
        SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(widePath.c_str()));
        return false;
      }
      PostMessageA(browser, WM_COMMAND, IDOK, 0);
      pressed = true;
      return false;
    });
    qvFileSpec spec("C:\\stale\\");
    EXPECT_EQ(spec.BrowseFolder("Pick", false), !c.fullPath.empty());
    EXPECT_TRUE(pressed) << "the folder was picked";
    EXPECT_FALSE(driver.GaveUp());
    EXPECT_EQ(spec.GetFullPath(), c.fullPath);
    if (c.fullPath.empty()) {
      EXPECT_EQ(message, "The folder \"" + root + "\\?ist\" cannot be used: its path has characters this program "
                         "cannot handle. Choose another folder.");
    } else {
      EXPECT_EQ(message, "") << "no message for a folder that is taken";
    }
  }
}

}  // namespace
