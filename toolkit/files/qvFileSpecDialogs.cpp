// qvFileSpec's open and save dialogs and the shell's folder browser. The
// Illustrator open dialog with its preview lives in IllustratorPreview.cpp.
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <cstring>
#include <cwchar>
#include <iterator>
#include <string>

#include "common/AnsiText.h"
#include "common/ModuleInstance.h"
#include "toolkit/files/FileTypeTable.h"
#include "toolkit/files/qvFileSpec.h"
#include "toolkit/window/ShowMessage.h"
#include "toolkit/window/SystemDlls.h"
#include "toolkit/window/qvWindow.h"

namespace {

constexpr int kLabelTemplate = 300;
constexpr int kSkipTemplate = 1081;
constexpr int kLabelControl = 1004;
constexpr int kSkipCheckBox = 1082;

// A dialog's path buffers: the platform's 260 units, the last for the zero.
constexpr DWORD kDialogPathUnits = 260;

// A list of zero-terminated UTF-8 texts that ends in an empty one (a
// filter list), wide.
std::wstring WideList(const char* list) {
  size_t size = 0;
  while (list[size] != '\0' || list[size + 1] != '\0') ++size;
  std::wstring wide;
  for (size_t at = 0; at <= size;) {
    const size_t length = std::strlen(list + at);
    wide += WideFromUtf8(std::string(list + at, length)) + L'\0';
    at += length + 1;
  }
  return wide + L'\0';
}

// The record every open and save dialog starts from; without an owner the
// foreground window owns the dialog when it is this program's own.
OPENFILENAMEW DialogRecord(wchar_t* file, wchar_t* title, HWND owner = nullptr) {
  OPENFILENAMEW record = {};
  record.lStructSize = sizeof record;
  record.hwndOwner = owner ? owner : OwnForegroundWindow();
  record.hInstance = ModuleInstance();
  record.lpstrFile = file;
  record.nMaxFile = kDialogPathUnits;
  record.lpstrFileTitle = title;
  record.nMaxFileTitle = kDialogPathUnits;
  return record;
}

// What the label hook is given: the text for the template's label, and the
// window to centre the dialog over once it is laid out, or null to leave it
// where the platform puts it.
struct LabelHookData {
  const char* label;
  HWND centreOver;
};

// Puts the caller's text, when there is one, into the template's label,
// and centres the dialog when asked. The hook's window is the template's,
// inside the dialog; the dialog has its final size only once it reports
// CDN_INITDONE, after the platform has placed and resized it.
UINT_PTR CALLBACK LabelHook(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    // lParam: the dialog's OPENFILENAMEW, whose lCustData is the hook's data.
    const auto* record = reinterpret_cast<const OPENFILENAMEW*>(lParam);
    const auto* data = reinterpret_cast<const LabelHookData*>(record->lCustData);
    if (data && data->label) SetDlgItemTextW(dialog, kLabelControl, WideFromUtf8(data->label).c_str());
  } else if (message == WM_NOTIFY) {
    // lParam: an OFNOTIFYW for the dialog's notices.
    const auto* notice = reinterpret_cast<const OFNOTIFYW*>(lParam);
    if (notice->hdr.code != CDN_INITDONE || !notice->lpOFN) return 0;
    const auto* data = reinterpret_cast<const LabelHookData*>(notice->lpOFN->lCustData);
    if (data && data->centreOver) CenterWindowOver(GetParent(dialog), data->centreOver);
  }
  return 0;
}

// Renames Cancel to "Skip" and keeps the caller's option byte in step with
// check box 1082.
UINT_PTR CALLBACK SkipHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    // lParam: the dialog's OPENFILENAMEW, whose lCustData is the option byte.
    auto* option = reinterpret_cast<uint8_t*>(reinterpret_cast<const OPENFILENAMEW*>(lParam)->lCustData);
    SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(option));
    SetDlgItemTextW(GetParent(dialog), IDCANCEL, L"Skip");
    CheckDlgButton(dialog, kSkipCheckBox, option && *option ? BST_CHECKED : BST_UNCHECKED);
  } else if (message == WM_COMMAND && LOWORD(wParam) == kSkipCheckBox && HIWORD(wParam) == BN_CLICKED) {
    // wParam: control id in the low word, notification in the high word.
    if (auto* option = reinterpret_cast<uint8_t*>(GetWindowLongPtrW(dialog, GWLP_USERDATA)))
      *option = IsDlgButtonChecked(dialog, kSkipCheckBox) == BST_CHECKED;
  }
  return 0;
}

// Why a folder's path cannot be taken, for the user; empty when it can,
// with the path in *out. A path that surely fits in a path buffer and is
// well-formed UTF-16 is taken, as it is: never through a code page, whose
// form of another would hold look-alikes ("dist" for "ｄist").
std::string TakeWidePath(const std::wstring& wide, char* out) {
  const char tooLong[] = "The folder's path is too long for this program. Choose a folder with a shorter path.";
  if (wide.size() >= kDialogPathUnits - 1) return tooLong;
  std::string path;
  if (!Utf8FromWide(wide, &path))
    return "The folder \"" + Utf8MarkingUnpaired(wide, '?') +
           "\" cannot be used: its path has characters this program cannot handle. Choose another folder.";
  if (path.size() >= kFileSpecPathSize - 1) return tooLong;
  std::strcpy(out, path.c_str());
  return "";
}

// The same for a shell item, which may be no folder of a drive at all
// ("My Computer"). The shell hands a path longer than a path buffer back
// cut to exactly 259 characters (Wine's does), so a path that fills the
// buffer cannot be told from a cut one and is refused with the longer ones.
std::string FolderPathOf(LPCITEMIDLIST item, const wchar_t* displayName, char* out) {
  wchar_t wide[MAX_PATH] = L"";
  if (!qvSystem::SHGetPathFromIDListW(item, wide) || !wide[0])
    return "\"" + Utf8MarkingUnpaired(displayName, '?') + "\" is not a folder on a drive. Choose a folder on a drive.";
  return TakeWidePath(wide, out);
}

// A path typed in the browser's field, as the user typed it, when it is a
// full one: "C:\..." or "\\server\share\...". The shell takes a typed
// path only when the folder is there already; an install makes the folders
// it needs.
bool IsFullPath(const std::wstring& path) {
  const bool drive = path.size() >= 3 && ((path[0] | 0x20) >= L'a' && (path[0] | 0x20) <= L'z') && path[1] == L':' &&
                     (path[2] == L'\\' || path[2] == L'/');
  const bool share = path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'\\' && path[2] != L'?' &&
                     path[2] != L'.';
  return drive || share;
}

// What the folder browser does when it opens, and what it learns of a
// typed path.
struct BrowserStart {
  const char* path;     // selected at the start, or null
  HWND owner;           // centred over, or null
  std::wstring typed;   // a full path typed in the field, taken as typed
  WNDPROC browserProc;  // the browser's own, while OK is watched
};

const wchar_t kBrowserStartProperty[] = L"qvBrowserStart";

// The text of the browser's field, read wide (the ANSI form would hold
// look-alikes), without the spaces around it.
std::wstring FieldText(HWND browser) {
  const HWND field = FindWindowExW(browser, nullptr, L"Edit", nullptr);
  if (!field) return L"";
  wchar_t text[kFileSpecPathSize + 2] = L"";
  GetWindowTextW(field, text, static_cast<int>(std::size(text)));
  std::wstring typed(text);
  typed.erase(0, typed.find_first_not_of(L" \t"));
  typed.erase(typed.find_last_not_of(L" \t") + 1);
  return typed;
}

// The name the browser's tree shows for its selection.
std::wstring SelectedName(HWND browser) {
  const HWND tree = FindWindowExW(browser, nullptr, WC_TREEVIEWW, nullptr);
  wchar_t text[MAX_PATH] = L"";
  TVITEMW item = {};
  item.mask = TVIF_TEXT;
  item.hItem = tree ? reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0)) : nullptr;
  item.pszText = text;
  item.cchTextMax = MAX_PATH;
  if (!item.hItem || !SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return L"";
  return text;
}

// The browser's window procedure while it is open: OK first looks at the
// field. The shell's own handling of a typed path differs between
// versions (some ignore the field, some take only a folder that is there
// already); an install makes the folders it needs, so a full path is
// taken as typed, and anything else typed is told while the browser stays.
// The field showing the selection's own name, or nothing, leaves the
// choice to the list.
LRESULT CALLBACK WatchBrowserOk(HWND browser, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* start = static_cast<BrowserStart*>(GetPropW(browser, kBrowserStartProperty));
  if (!start) return DefWindowProcW(browser, message, wParam, lParam);
  const WNDPROC own = start->browserProc;
  // wParam: the command id in the low word, the notification in the high.
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) {
    const std::wstring typed = FieldText(browser);
    if (IsFullPath(typed)) {
      start->typed = typed;
      EndDialog(browser, 0);  // as a cancel: no shell item to hand back
      return 0;
    }
    if (!typed.empty() && typed != SelectedName(browser)) {
      ShowMessage(browser,
                  "Type a folder's full path, such as C:\\Program Files\\Plug-ins, or choose a folder in the list.");
      return 0;
    }
  }
  if (message == WM_DESTROY) {
    SetWindowLongPtrW(browser, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
    RemovePropW(browser, kBrowserStartProperty);
  }
  return CallWindowProcW(own, browser, message, wParam, lParam);
}

int CALLBACK StartBrowser(HWND browser, UINT message, LPARAM, LPARAM data) {
  auto* start = reinterpret_cast<BrowserStart*>(data);
  if (message != BFFM_INITIALIZED) return 0;
  if (start->path) {
    const std::wstring path = WideFromUtf8(start->path);
    SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
  }
  if (start->owner) CenterWindowOver(browser, start->owner);
  if (!start->browserProc && SetPropW(browser, kBrowserStartProperty, start)) {
    start->browserProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(browser, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchBrowserOk)));
  }
  return 0;
}

}  // namespace

bool qvFileSpec::OpenFile(int count, const int* ids, const char* labelText) {
  if (count == 0) return true;
  char filter[520];
  if (!ModuleHasDialog(kLabelTemplate) || !BuildFilterList(count, ids, filter, sizeof filter))
    return TakeDialogResult(false, "", "", 0, true);
  wchar_t file[kDialogPathUnits] = L"", title[kDialogPathUnits] = L"";
  OPENFILENAMEW record = DialogRecord(file, title);
  record.nMaxFile = kDialogPathUnits - 1;
  const std::wstring filters = WideList(filter);
  record.lpstrFilter = filters.c_str();
  record.Flags = OFN_EXPLORER | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK | OFN_HIDEREADONLY;
  const LabelHookData data = {labelText, nullptr};
  record.lCustData = reinterpret_cast<LPARAM>(&data);
  record.lpfnHook = LabelHook;
  record.lpTemplateName = MAKEINTRESOURCEW(kLabelTemplate);
  const bool chosen = qvSystem::GetOpenFileNameW(&record);
  return TakeWideDialogResult(chosen, file, title, record.nFileOffset, true);
}

bool qvFileSpec::Open(int count, const int* ids, const char* labelText) { return OpenFile(count, ids, labelText); }

bool qvFileSpec::OpenFileOrSkip(int count, const int* ids, const char* title, uint8_t* option) {
  char filter[kFileSpecPathSize];
  if (!ModuleHasDialog(kSkipTemplate) || !BuildFilterList(count, ids, filter, sizeof filter))
    return TakeDialogResult(false, "", "", 0, true);
  wchar_t file[kDialogPathUnits] = L"", fileTitle[kDialogPathUnits] = L"";
  OPENFILENAMEW record = DialogRecord(file, fileTitle);
  const std::wstring filters = WideList(filter);
  record.lpstrFilter = filters.c_str();
  const std::wstring wideTitle = title ? WideFromUtf8(title) : std::wstring();
  record.lpstrTitle = title ? wideTitle.c_str() : nullptr;
  record.Flags = OFN_EXPLORER | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK | OFN_HIDEREADONLY;
  record.lCustData = reinterpret_cast<LPARAM>(option);
  record.lpfnHook = SkipHook;
  record.lpTemplateName = MAKEINTRESOURCEW(kSkipTemplate);
  const bool chosen = qvSystem::GetOpenFileNameW(&record);
  return TakeWideDialogResult(chosen, file, fileTitle, record.nFileOffset, true);
}

bool qvFileSpec::SaveFile(int count, const int* ids, const char* labelText, const char* initialName, int* chosenId,
                          int* filterIndex, HWND owner) {
  char filter[520];
  wchar_t file[kDialogPathUnits] = L"", title[kDialogPathUnits] = L"";
  char extension[32] = "";
  const bool listed = BuildFilterList(count, ids, filter, sizeof filter);
  const std::wstring initial = initialName ? WideFromUtf8(initialName) : std::wstring();
  const bool named = initial.size() < kDialogPathUnits;
  if (listed && named) {
    std::wcscpy(file, initial.c_str());
    if (count > 0) DefaultExtension(ids[count - 1], extension);
  }

  OPENFILENAMEW record = DialogRecord(file, title, owner);
  const std::wstring filters = listed ? WideList(filter) : std::wstring(2, L'\0');
  record.lpstrFilter = filters.c_str();
  record.nFilterIndex = filterIndex ? *filterIndex + 1 : 0;
  record.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  if (ModuleHasDialog(kLabelTemplate)) {
    record.Flags |= OFN_ENABLETEMPLATE;
    record.lpTemplateName = MAKEINTRESOURCEW(kLabelTemplate);
  }
  const std::wstring defaultExtension = WideFromUtf8(extension);
  record.lpstrDefExt = extension[0] ? defaultExtension.c_str() : nullptr;
  // Opened for a window of the caller's, it is centred over that window.
  const LabelHookData data = {labelText ? labelText : "", owner};
  record.lCustData = reinterpret_cast<LPARAM>(&data);
  record.lpfnHook = LabelHook;
  const bool chosen = listed && named && qvSystem::GetSaveFileNameW(&record);

  const DWORD index = chosen && record.nFilterIndex <= static_cast<DWORD>(count) ? record.nFilterIndex : 0;
  if (chosenId && count > 0) *chosenId = index > 0 ? ids[index - 1] : ids[0];
  if (filterIndex) *filterIndex = index > 0 ? static_cast<int>(index) - 1 : 0;
  return TakeWideDialogResult(chosen, file, title, record.nFileOffset, true);
}

bool qvFileSpec::BrowseFolder(const char* title, bool startAtCurrent, HWND owner) {
  // The new dialog style needs the calling thread in a single-threaded
  // apartment.
  const HRESULT ole = qvSystem::OleInitialize(nullptr);
  wchar_t displayName[MAX_PATH] = L"";
  const std::wstring wideTitle = title ? WideFromUtf8(title) : std::wstring();
  BROWSEINFOW info = {};
  info.pszDisplayName = displayName;
  info.lpszTitle = title ? wideTitle.c_str() : nullptr;
  // The new style with "Make New Folder", and a field to type a path in.
  info.ulFlags = BIF_NEWDIALOGSTYLE | BIF_EDITBOX;
  // With an owner the browser is modal: the owner takes no input while it
  // is open.
  info.hwndOwner = owner;
  BrowserStart start = {startAtCurrent ? fullPath : nullptr, owner, L"", nullptr};
  info.lpfn = StartBrowser;
  info.lParam = reinterpret_cast<LPARAM>(&start);
  LPITEMIDLIST chosen = qvSystem::SHBrowseForFolderW(&info);
  char path[kFileSpecPathSize] = "";
  // A typed path that names no folder yet is taken as typed.
  const std::string refused =
      !start.typed.empty() ? TakeWidePath(start.typed, path) : chosen ? FolderPathOf(chosen, displayName, path) : "";
  if (chosen) qvSystem::CoTaskMemFree(chosen);
  if (SUCCEEDED(ole)) qvSystem::OleUninitialize();
  if (!path[0]) {
    Clear();
    if (!refused.empty()) ShowMessage(owner, refused.c_str());
    return false;
  }
  std::strcpy(fullPath, path);
  std::strcpy(folder, path);
  const char* last = std::strrchr(path, '\\');
  CopyText(fileName, start.typed.empty() ? Utf8MarkingUnpaired(displayName, '?').c_str() : last ? last + 1 : path,
           sizeof fileName);
  return true;
}
