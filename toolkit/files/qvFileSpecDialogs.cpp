// qvFileSpec's open and save dialogs and the shell's folder browser. The
// Illustrator open dialog with its preview lives in IllustratorPreview.cpp.
#include <windows.h>

#include <commdlg.h>
#include <shlobj.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "common/AnsiText.h"
#include "common/ModuleInstance.h"
#include "toolkit/files/FileTypeTable.h"
#include "toolkit/files/qvFileSpec.h"
#include "toolkit/window/ShowMessage.h"
#include "toolkit/window/SystemDlls.h"

namespace {

constexpr int kLabelTemplate = 300;
constexpr int kSkipTemplate = 1081;
constexpr int kLabelControl = 1004;
constexpr int kSkipCheckBox = 1082;

// The record every open and save dialog starts from; without an owner the
// foreground window owns the dialog.
OPENFILENAMEA DialogRecord(char* file, DWORD fileSize, char* title, HWND owner = nullptr) {
  OPENFILENAMEA record = {};
  record.lStructSize = sizeof record;
  record.hwndOwner = owner ? owner : GetForegroundWindow();
  record.hInstance = ModuleInstance();
  record.lpstrFile = file;
  record.nMaxFile = fileSize;
  record.lpstrFileTitle = title;
  record.nMaxFileTitle = kFileSpecPathSize;
  return record;
}

// Puts the caller's text, when there is one, into the template's label.
UINT_PTR CALLBACK LabelHook(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    // lParam: the dialog's OPENFILENAMEA, whose lCustData is the label text.
    const auto* record = reinterpret_cast<const OPENFILENAMEA*>(lParam);
    if (const auto* label = reinterpret_cast<const char*>(record->lCustData))
      SetDlgItemTextA(dialog, kLabelControl, label);
  }
  return 0;
}

// Renames Cancel to "Skip" and keeps the caller's option byte in step with
// check box 1082.
UINT_PTR CALLBACK SkipHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    // lParam: the dialog's OPENFILENAMEA, whose lCustData is the option byte.
    auto* option = reinterpret_cast<uint8_t*>(reinterpret_cast<const OPENFILENAMEA*>(lParam)->lCustData);
    SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(option));
    SetDlgItemTextA(GetParent(dialog), IDCANCEL, "Skip");
    CheckDlgButton(dialog, kSkipCheckBox, option && *option ? BST_CHECKED : BST_UNCHECKED);
  } else if (message == WM_COMMAND && LOWORD(wParam) == kSkipCheckBox && HIWORD(wParam) == BN_CLICKED) {
    // wParam: control id in the low word, notification in the high word.
    if (auto* option = reinterpret_cast<uint8_t*>(GetWindowLongPtrA(dialog, GWLP_USERDATA)))
      *option = IsDlgButtonChecked(dialog, kSkipCheckBox) == BST_CHECKED;
  }
  return 0;
}

// The folder path of a shell item, when it has one that surely fits in a
// path buffer and converts to the ANSI code page exactly. The shell hands
// a longer path back cut to exactly 259 characters (Wine's does), so a
// path that fills the buffer cannot be told from a cut one and is refused
// with the longer ones. The path is read wide: the ANSI form would hold
// look-alikes ("dist" for "ｄist"), naming another folder. A path that does
// not convert sets *unconvertible to it with those characters as '?'.
bool FolderPathOf(LPCITEMIDLIST item, char* out, std::string* unconvertible) {
  wchar_t wide[MAX_PATH] = L"";
  if (!qvSystem::SHGetPathFromIDListW(item, wide) || !wide[0]) return false;
  if (wcsnlen(wide, MAX_PATH) >= kFileSpecPathSize - 1) return false;
  std::string path;
  if (!AnsiFromWide(wide, &path)) {
    *unconvertible = AnsiMarkingUnconvertible(wide, '?');
    return false;
  }
  if (path.size() >= kFileSpecPathSize - 1) return false;
  std::strcpy(out, path.c_str());
  return true;
}

// What the folder browser does when it opens.
struct BrowserStart {
  const char* path;  // selected at the start, or null
  HWND owner;        // centred over, or null
};

int CALLBACK StartBrowser(HWND browser, UINT message, LPARAM, LPARAM data) {
  if (message != BFFM_INITIALIZED) return 0;
  const auto* start = reinterpret_cast<const BrowserStart*>(data);
  if (start->path) SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(start->path));
  if (start->owner) CenterWindowOver(browser, start->owner);
  return 0;
}

}  // namespace

bool qvFileSpec::OpenFile(int count, const int* ids, const char* labelText) {
  if (count == 0) return true;
  char filter[520];
  if (!ModuleHasDialog(kLabelTemplate) || !BuildFilterList(count, ids, filter, sizeof filter))
    return TakeDialogResult(false, "", "", 0, true);
  char file[kFileSpecPathSize] = "", title[kFileSpecPathSize] = "";
  OPENFILENAMEA record = DialogRecord(file, kFileSpecPathSize - 1, title);
  record.lpstrFilter = filter;
  record.Flags = OFN_EXPLORER | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK | OFN_HIDEREADONLY;
  record.lCustData = reinterpret_cast<LPARAM>(labelText);
  record.lpfnHook = LabelHook;
  record.lpTemplateName = MAKEINTRESOURCEA(kLabelTemplate);
  const bool chosen = qvSystem::GetOpenFileNameA(&record);
  return TakeDialogResult(chosen, file, title, record.nFileOffset, true);
}

bool qvFileSpec::Open(int count, const int* ids, const char* labelText) { return OpenFile(count, ids, labelText); }

bool qvFileSpec::OpenFileOrSkip(int count, const int* ids, const char* title, uint8_t* option) {
  char filter[kFileSpecPathSize];
  if (!ModuleHasDialog(kSkipTemplate) || !BuildFilterList(count, ids, filter, sizeof filter))
    return TakeDialogResult(false, "", "", 0, true);
  char file[kFileSpecPathSize] = "", fileTitle[kFileSpecPathSize] = "";
  OPENFILENAMEA record = DialogRecord(file, kFileSpecPathSize, fileTitle);
  record.lpstrFilter = filter;
  record.lpstrTitle = title;
  record.Flags = OFN_EXPLORER | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK | OFN_HIDEREADONLY;
  record.lCustData = reinterpret_cast<LPARAM>(option);
  record.lpfnHook = SkipHook;
  record.lpTemplateName = MAKEINTRESOURCEA(kSkipTemplate);
  const bool chosen = qvSystem::GetOpenFileNameA(&record);
  return TakeDialogResult(chosen, file, fileTitle, record.nFileOffset, true);
}

bool qvFileSpec::SaveFile(int count, const int* ids, const char* labelText, const char* initialName, int* chosenId,
                          int* filterIndex, HWND owner) {
  char filter[520];
  char file[kFileSpecPathSize] = "", title[kFileSpecPathSize] = "";
  char extension[32] = "";
  const bool listed = BuildFilterList(count, ids, filter, sizeof filter);
  const bool named = !initialName || std::strlen(initialName) < sizeof file;
  if (listed && named) {
    if (initialName) std::strcpy(file, initialName);
    if (count > 0) DefaultExtension(ids[count - 1], extension);
  }

  OPENFILENAMEA record = DialogRecord(file, kFileSpecPathSize, title, owner);
  record.lpstrFilter = filter;
  record.nFilterIndex = filterIndex ? *filterIndex + 1 : 0;
  record.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  if (ModuleHasDialog(kLabelTemplate)) {
    record.Flags |= OFN_ENABLETEMPLATE;
    record.lpTemplateName = MAKEINTRESOURCEA(kLabelTemplate);
  }
  record.lpstrDefExt = extension[0] ? extension : nullptr;
  record.lCustData = reinterpret_cast<LPARAM>(labelText ? labelText : "");
  record.lpfnHook = LabelHook;
  const bool chosen = listed && named && qvSystem::GetSaveFileNameA(&record);

  const DWORD index = chosen && record.nFilterIndex <= static_cast<DWORD>(count) ? record.nFilterIndex : 0;
  if (chosenId && count > 0) *chosenId = index > 0 ? ids[index - 1] : ids[0];
  if (filterIndex) *filterIndex = index > 0 ? static_cast<int>(index) - 1 : 0;
  return TakeDialogResult(chosen, file, title, record.nFileOffset, true);
}

bool qvFileSpec::BrowseFolder(const char* title, bool startAtCurrent, HWND owner) {
  // The new dialog style needs the calling thread in a single-threaded
  // apartment.
  const HRESULT ole = qvSystem::OleInitialize(nullptr);
  char displayName[MAX_PATH] = "";
  BROWSEINFOA info = {};
  info.pszDisplayName = displayName;
  info.lpszTitle = title;
  info.ulFlags = BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
  // With an owner the browser is modal: the owner takes no input while it
  // is open.
  info.hwndOwner = owner;
  const BrowserStart start = {startAtCurrent ? fullPath : nullptr, owner};
  info.lpfn = StartBrowser;
  info.lParam = reinterpret_cast<LPARAM>(&start);
  LPITEMIDLIST chosen = qvSystem::SHBrowseForFolderA(&info);
  char path[kFileSpecPathSize];
  std::string unconvertible;
  const bool fits = chosen && FolderPathOf(chosen, path, &unconvertible);
  if (chosen) qvSystem::CoTaskMemFree(chosen);
  if (SUCCEEDED(ole)) qvSystem::OleUninitialize();
  if (!fits) {
    Clear();
    if (!unconvertible.empty())
      ShowMessage(owner, ("The folder \"" + unconvertible +
                          "\" cannot be used: its path has characters this program cannot handle. Choose another "
                          "folder.").c_str());
    return false;
  }
  std::strcpy(fullPath, path);
  std::strcpy(folder, path);
  std::strcpy(fileName, displayName);
  return true;
}
