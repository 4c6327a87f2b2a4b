// ReadIllustratorThumbnail, the preview pane and qvFileSpec's Illustrator
// open dialog. The dialog's hook keeps the preview state of one dialog in a
// record that lives on OpenIllustratorFile's stack for the dialog's life.
#include "toolkit/files/IllustratorPreview.h"

#include <windows.h>

#include <commdlg.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "common/AnsiText.h"
#include "common/ModuleInstance.h"
#include "imagelib/WholeFile.h"
#include "toolkit/draw/qvDevice.h"
#include "toolkit/files/IllustratorThumbnail.h"
#include "toolkit/files/qvFileSpec.h"
#include "toolkit/files/qvPicture.h"
#include "toolkit/window/ShowMessage.h"
#include "toolkit/window/SystemDlls.h"

namespace {

// Files larger than this are not read for a preview.
constexpr size_t kMaxIllustratorFileBytes = size_t{256} << 20;

constexpr int kIllustratorTemplate = 173;
constexpr int kFirstOptionBox = 1005;
constexpr int kThirdOptionBox = 1006;
constexpr int kFourthOptionBox = 1007;
constexpr int kSecondOptionBox = 1008;
constexpr int kPanePlaceholder = 1010;
constexpr int kFifthOptionBox = 1018;
constexpr char kPaneClass[] = "qvAiThumb";

struct PreviewDialogState {
  uint8_t options[5];  // first to fifth
  bool disableOptions;
  bool showOption5;
  qvPicture* preview;  // owned; the selected file's thumbnail, or null
  HWND pane;           // the preview pane, destroyed with the dialog
};

// Frames the 128 x 128 square and draws the preview centred inside it.
void PaintPane(HWND pane) {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(pane, &paint);
  RECT square = {0, 0, kPreviewSquare, kPreviewSquare};
  FrameRect(dc, &square, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  IntersectClipRect(dc, 1, 1, kPreviewSquare - 1, kPreviewSquare - 1);
  const auto* state = reinterpret_cast<PreviewDialogState*>(GetWindowLongPtrW(pane, GWLP_USERDATA));
  if (state && state->preview) {
    RECT inside = {1, 1, kPreviewSquare - 1, kPreviewSquare - 1};
    FillRect(dc, &inside, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    qvPicture& preview = *state->preview;
    const int x = std::max(0, (kPreviewSquare - preview.PixelWidth()) / 2);
    const int y = std::max(0, (kPreviewSquare - preview.PixelHeight()) / 2);
    qvDevice device(dc);
    preview.DrawAt(device, x, y, 0);
  }
  EndPaint(pane, &paint);
}

LRESULT CALLBACK PreviewPaneProc(HWND pane, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      // lParam: CREATESTRUCT whose lpCreateParams is the dialog's state.
      SetWindowLongPtrW(pane, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
      break;
    case WM_PAINT:
      PaintPane(pane);
      return 0;
  }
  return DefWindowProcW(pane, message, wParam, lParam);
}

void RegisterPaneClass() {
  WNDCLASSW paneClass = {};
  paneClass.lpfnWndProc = PreviewPaneProc;
  paneClass.hInstance = ModuleInstance();
  paneClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  paneClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  const std::wstring className = WideFromUtf8(kPaneClass);
  paneClass.lpszClassName = className.c_str();
  RegisterClassW(&paneClass);  // fails harmlessly when a dialog registered it before
}

bool Checked(HWND dialog, int box) { return IsDlgButtonChecked(dialog, box) == BST_CHECKED; }

void Check(HWND dialog, int box, bool checked) {
  CheckDlgButton(dialog, box, checked ? BST_CHECKED : BST_UNCHECKED);
}

void InitPreviewDialog(HWND dialog, PreviewDialogState* state) {
  SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
  Check(dialog, kFifthOptionBox, state->options[4]);
  if (state->disableOptions) {
    for (int box : {kFirstOptionBox, kThirdOptionBox, kFourthOptionBox, kSecondOptionBox, kFifthOptionBox})
      EnableWindow(GetDlgItem(dialog, box), FALSE);
  } else {
    Check(dialog, kFirstOptionBox, state->options[0]);
    Check(dialog, kSecondOptionBox, state->options[1]);
  }
  if (!state->showOption5) ShowWindow(GetDlgItem(dialog, kSecondOptionBox), SW_HIDE);

  RECT place = {};
  if (const HWND placeholder = GetDlgItem(dialog, kPanePlaceholder)) {
    ShowWindow(placeholder, SW_HIDE);
    GetWindowRect(placeholder, &place);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
  }
  RegisterPaneClass();
  state->preview = nullptr;
  state->pane = CreateWindowExW(0, WideFromUtf8(kPaneClass).c_str(), L"", WS_CHILD | WS_VISIBLE, place.left, place.top,
                                place.right - place.left, place.bottom - place.top, dialog, nullptr,
                                ModuleInstance(), state);
}

// The dialog's selection changed: the preview follows the selected file.
void ShowSelectedFile(HWND dialog, PreviewDialogState* state) {
  delete state->preview;
  state->preview = nullptr;
  wchar_t wide[MAX_PATH] = L"";
  const LRESULT length =
      SendMessageW(GetParent(dialog), CDM_GETFILEPATH, MAX_PATH, reinterpret_cast<LPARAM>(wide));
  std::string path;
  if (length > 0 && length <= MAX_PATH && Utf8FromWide(wide, &path)) {
    // An exception must not unwind through the platform's dialog code: a
    // preview that cannot be had is no preview.
    try {
      state->preview = ReadIllustratorThumbnail(path.c_str());
    } catch (const std::bad_alloc&) {
      state->preview = nullptr;
    }
  }
  InvalidateRect(state->pane, nullptr, TRUE);
}

void OnOptionClicked(HWND dialog, PreviewDialogState* state, int box) {
  uint8_t* options = state->options;
  switch (box) {
    case kFirstOptionBox:
      options[0] = Checked(dialog, box);
      if (!options[0] && options[1]) {
        Check(dialog, kSecondOptionBox, false);
        options[1] = 0;
      }
      break;
    case kSecondOptionBox:
      options[1] = Checked(dialog, box);
      if (options[1] && !options[0]) {
        Check(dialog, kFirstOptionBox, true);
        options[0] = 1;
      }
      break;
    case kThirdOptionBox: options[2] = Checked(dialog, box); break;
    case kFourthOptionBox: options[3] = Checked(dialog, box); break;
    case kFifthOptionBox: options[4] = Checked(dialog, box); break;
  }
}

UINT_PTR CALLBACK PreviewHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    // lParam: the dialog's OPENFILENAMEW, whose lCustData is the state.
    InitPreviewDialog(dialog,
                      reinterpret_cast<PreviewDialogState*>(reinterpret_cast<OPENFILENAMEW*>(lParam)->lCustData));
    return 0;
  }
  auto* state = reinterpret_cast<PreviewDialogState*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
  if (!state) return 0;
  switch (message) {
    case WM_NOTIFY:
      // lParam: OFNOTIFYW whose header code names the notification.
      if (reinterpret_cast<NMHDR*>(lParam)->code == CDN_SELCHANGE) ShowSelectedFile(dialog, state);
      break;
    case WM_COMMAND:
      // wParam: control id in the low word, notification in the high word.
      if (HIWORD(wParam) == BN_CLICKED) OnOptionClicked(dialog, state, LOWORD(wParam));
      break;
    case WM_DESTROY:
      delete state->preview;
      state->preview = nullptr;
      if (state->pane) DestroyWindow(state->pane);
      state->pane = nullptr;
      break;
  }
  return 0;
}

}  // namespace

qvPicture* ReadIllustratorThumbnail(const char* path) {
  std::vector<uint8_t> bytes;
  if (!path || !ReadWholeFile(path, kMaxIllustratorFileBytes, &bytes) || bytes.empty()) return nullptr;
  IllustratorThumbnail thumbnail;
  const bool found = DecodeIllustratorThumbnail(bytes.data(), bytes.size(), &thumbnail);
  std::vector<uint8_t>().swap(bytes);
  if (!found) return nullptr;

  qvPicture* picture;
  try {
    picture = new qvPicture(thumbnail.width, thumbnail.height);
  } catch (int) {
    return nullptr;  // the platform refused the bitmap
  }
  const uint8_t* from = thumbnail.rgb.data();
  for (int y = 0; y < thumbnail.height; ++y) {
    uint8_t* to = picture->PixelAddress(0, y);
    for (int x = 0; to && x < thumbnail.width; ++x, to += 3, from += 3) {
      to[0] = from[2];
      to[1] = from[1];
      to[2] = from[0];
    }
  }
  return picture;
}

bool qvFileSpec::OpenIllustratorFile(bool disableOptions, bool showOption5, uint8_t* optionA, uint8_t* optionB,
                                     uint8_t* outC, uint8_t* outD, uint8_t* outE, HWND* owner) {
  if (outC) *outC = 0;
  if (outD) *outD = 0;
  if (outE) *outE = 1;
  PreviewDialogState state = {{optionA ? *optionA : uint8_t{0}, optionB ? *optionB : uint8_t{0}, 0, 0, 1},
                              disableOptions,
                              showOption5,
                              nullptr,
                              nullptr};
  if (!ModuleHasDialog(kIllustratorTemplate)) return TakeDialogResult(false, "", "", 0, false);
  static const wchar_t kFilter[] = L"Adobe Illustrator Files\0*.ai\0All files\0*.*\0";
  wchar_t file[MAX_PATH] = L"", title[MAX_PATH] = L"";
  OPENFILENAMEW record = {};
  record.lStructSize = sizeof record;
  record.hwndOwner = owner ? *owner : OwnForegroundWindow();
  record.hInstance = ModuleInstance();
  record.lpstrFilter = kFilter;
  record.lpstrFile = file;
  record.nMaxFile = MAX_PATH;
  record.lpstrFileTitle = title;
  record.nMaxFileTitle = MAX_PATH;
  record.Flags = OFN_EXPLORER | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK | OFN_HIDEREADONLY;
  record.lpstrDefExt = L"ai";
  record.lCustData = reinterpret_cast<LPARAM>(&state);
  record.lpfnHook = PreviewHook;
  record.lpTemplateName = MAKEINTRESOURCEW(kIllustratorTemplate);
  const bool chosen = qvSystem::GetOpenFileNameW(&record);
  delete state.preview;  // in case the dialog went without its destruction message

  if (!TakeWideDialogResult(chosen, file, title, record.nFileOffset, false)) return false;
  if (!disableOptions) {
    if (optionA) *optionA = state.options[0];
    if (optionB) *optionB = state.options[1];
    if (outC) *outC = state.options[2];
    if (outD) *outD = state.options[3];
    if (outE) *outE = state.options[4];
  }
  return true;
}
