#include "app/window/PellioTextFileViewer.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "app/install/AFile.h"
#include "app/install/InstallLog.h"
#include "app/install/UiText.h"
#include "app/window/ButtonRow.h"
#include "resources/StringIds.h"
#include "common/AnsiText.h"
#include "common/UnicodeText.h"
#include "toolkit/controls/qvButton.h"
#include "toolkit/controls/qvTextList.h"
#include "toolkit/draw/qvDevice.h"
#include "toolkit/files/qvPicture.h"
#include "toolkit/files/qvFileSpec.h"
#include "toolkit/window/MessageDispatch.h"
#include "toolkit/window/ShowMessage.h"

// The list draws UTF-16 through the platform's wide calls; the text is
// decoded to UTF-16 portably, so the two units must be one.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "the platform's wide characters are UTF-16 units");

namespace {

constexpr int kTextFilesType = 21;
// Release notes and licence terms are small; a file past this is refused
// rather than held three times over (bytes, lines and rows).
constexpr uint64_t kLargestText = 16 * 1024 * 1024;
// Bytes per write, within what one platform call takes.
constexpr size_t kWritePiece = 1 << 20;

// The buttons keep their distances from the bottom right corner, and the
// list from every edge, as the viewer is resized (96 DPI).
const qvLayoutPlace kClosePlace = {qvRect(86, 46, 26, 26), kAnchorRight | kAnchorBottom};
const qvLayoutPlace kSavePlace = {qvRect(166, 46, 106, 26), kAnchorRight | kAnchorBottom};
const qvLayoutPlace kListPlace = {qvRect(10, 10, 10, 56), kAnchorRightToRight | kAnchorBottomToBottom};

// The whole file, or why it cannot be read.
ViewerFile ReadViewerFile(const char* path) {
  ViewerFile result;
  AFile file(path);
  uint64_t size = 0;
  if (!file.OpenRead() || !file.Size(&size)) {
    result.error = file.Error();
    return result;
  }
  if (size > kLargestText) {
    result.error = ERROR_FILE_TOO_LARGE;
    return result;
  }
  result.bytes.resize(static_cast<size_t>(size));
  if (size > 0 && !file.ReadWhole(&result.bytes[0], static_cast<uint32_t>(size))) {
    result.error = file.Error();
    result.bytes.clear();
    return result;
  }
  result.read = true;
  return result;
}

std::u16string Utf16FromAnsi(const std::string& text) {
  const std::wstring wide = WideFromAnsi(text);
  return std::u16string(wide.begin(), wide.end());
}

std::u16string TextOf(const ViewerFile& file, const TextForm& form) {
  if (form.encoding == TextEncoding::kAnsi) return Utf16FromAnsi(file.bytes);
  return DecodeUnicodeText(file.bytes.data(), file.bytes.size(), form);
}

RECT WorkAreaOf(HWND window) {
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor)) return monitor.rcWork;
  RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

}  // namespace

PellioTextFileViewer::PellioTextFileViewer(const qvRect& bounds, const char* title, const char* path,
                                           qvWindow* owner)
    : PellioTextFileViewer(bounds, title, ReadViewerFile(path), FileNameOf(path), owner) {}

PellioTextFileViewer::PellioTextFileViewer(const qvRect& bounds, const char* title, ViewerFile text,
                                           std::string name, qvWindow* owner)
    : qvTabbedWindow(bounds, title), file(std::move(text)), fileName(std::move(name)) {
  if (file.read) {
    form = DetectTextForm(file.bytes.data(), file.bytes.size());
    lines = SplitTextLines(TextOf(file, form));
  } else {
    const std::string notice =
        UnreadableNotice(fileName, UiSystemErrorText(file.error));
    lines.push_back(DecodeUtf8(notice.data(), notice.size()));
  }

  if (owner) {
    SetOwner(owner->GetHandle());
    SetDpi(owner->GetDpi());
  }
  Create();
  SetBackgroundColor(DefaultGrey());
  const auto at = [&](const qvLayoutPlace& place) {
    return PlaceForDpi(place, bounds.GetWidth(), bounds.GetHeight(), GetDpi());
  };
  const UiLabel close = UiLabelOf(IDS_CLOSE), save = UiLabelOf(IDS_SAVE);
  closeButton =
      std::make_unique<qvButton>(this, at(kClosePlace), close.text.c_str(), kViewerCloseCommand, qvButton::kSmallLabel);
  saveButton =
      std::make_unique<qvButton>(this, at(kSavePlace), save.text.c_str(), kViewerSaveCommand, qvButton::kSmallLabel);
  textList = std::make_unique<qvTextList>(StringList(), at(kListPlace), this);
  saveButton->SetAccessKey(save.key);
  closeButton->SetAccessKey(close.key);
  closeButton->SetLayoutPlace(kClosePlace);
  saveButton->SetLayoutPlace(kSavePlace);
  textList->SetLayoutPlace(kListPlace);
  WidenRowToLabels({{closeButton.get()}, {saveButton.get()}});
  AddToTabOrder(textList.get());
  AddToTabOrder(saveButton.get());
  AddToTabOrder(closeButton.get());
  if (!file.read) saveButton->Disable();
  footerPicture = std::make_unique<qvPicture>(kViewerFooterBitmap);
  Wrap();

  MakeResizable();
  // The thicker frame takes effect now, around the client area asked for,
  // which gives way where the whole would not fit the screen's work area.
  RECT outer = {0, 0, bounds.GetWidth(), bounds.GetHeight()};
  AdjustWindowRectForDpi(&outer, GetWindowLongA(GetHandle(), GWL_STYLE), FALSE,
                         GetWindowLongA(GetHandle(), GWL_EXSTYLE), GetDpi());
  const RECT work = WorkAreaOf(owner ? owner->GetHandle() : GetHandle());
  const int width = static_cast<int>(std::min(outer.right - outer.left, work.right - work.left));
  const int height = static_cast<int>(std::min(outer.bottom - outer.top, work.bottom - work.top));
  SetWindowPos(GetHandle(), nullptr, 0, 0, width, height, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOZORDER);
  CenterWindowOver(GetHandle(), owner ? owner->GetHandle() : GetDesktopWindow());
}

PellioTextFileViewer::~PellioTextFileViewer() {
  // reset() empties a field before deleting what it held, so a message
  // that reaches the viewer while a control goes finds no half-gone one.
  textList.reset();
  saveButton.reset();
  closeButton.reset();
  footerPicture.reset();
}

void PellioTextFileViewer::GetTypeName(char* buffer) { std::strcpy(buffer, "PellioTextFileViewer"); }

void PellioTextFileViewer::Show() {
  qvTabbedWindow::Show();
  if (textList) textList->TakeFocus();
}

void PellioTextFileViewer::Wrap() {
  if (!textList) return;
  const int width = textList->TextWidth();
  // The same width at another DPI is another font: wrapped again.
  if (width == wrappedWidth && GetDpi() == wrappedDpi) return;
  const int topLine = LineOfRow(firstRows, textList->FirstVisibleLine());
  WrappedText wrapped;
  {
    qvTextList::Measurer measurer(*textList);
    wrapped = WrapLines(lines, width, [&measurer](const char16_t* text, int count) {
      return measurer.Width(reinterpret_cast<const wchar_t*>(text), count);
    });
  }
  firstRows = std::move(wrapped.firstRows);
  wrappedWidth = width;
  wrappedDpi = GetDpi();
  std::vector<std::wstring> rows;
  rows.reserve(wrapped.rows.size());
  for (const std::u16string& row : wrapped.rows) rows.emplace_back(row.begin(), row.end());
  wrapped.rows.clear();
  textList->SetLines(std::move(rows), firstRows.empty() ? 0 : firstRows[topLine]);
}

bool PellioTextFileViewer::OnCommand(qvEvent& event) {
  if (event.kind != kEventCommand) return true;
  if (event.detail == kNoticePassFocus) return qvTabbedWindow::OnCommand(event);
  // A double click's first click has already been answered.
  if (event.detail != kNoticeClick) return true;
  if (event.id == kViewerCloseCommand) EndMessageLoop();
  if (event.id == kViewerSaveCommand) Save();
  return true;
}

bool PellioTextFileViewer::OnPaint(qvEvent&) {
  qvPaintDevice device(this);
  FillBackground(device);
  if (footerPicture) {
    qvRect area;
    GetClientArea(area);
    footerPicture->DrawScaledAt(device, 0, area.GetHeight() - Scaled(footerPicture->PixelHeight()), area.GetWidth(),
                                GetDpi());
  }
  return true;
}

bool PellioTextFileViewer::OnSize(qvEvent&) {
  if (!textList || !closeButton || !saveButton) return true;
  LayOutChildren();
  Wrap();
  Redraw();
  return true;
}

bool PellioTextFileViewer::OnMouseDown(qvEvent&) { return true; }
bool PellioTextFileViewer::OnMouseMove(qvEvent&) { return true; }

bool PellioTextFileViewer::OnMouseUp(qvEvent&) {
  RedrawTree(true);
  return true;
}

bool PellioTextFileViewer::OnKeyDown(qvEvent& event) {
  switch (event.keyCode) {
    case kKeyTab:
      // The viewer itself has the keyboard: the first control takes it, or
      // with Shift the last.
      for (int i = 0; i < TabOrder().Count(); ++i) {
        qvControl* control = TabOrder().At(event.shift ? TabOrder().Count() - 1 - i : i);
        if (IsWindowVisible(control->GetHandle()) && !control->IsDisabled()) {
          control->TakeFocus();
          break;
        }
      }
      return false;
    case kKeyEscape:
    case kKeyEnter:
      EndMessageLoop();
      return false;
    default:
      return !(textList && textList->ScrollByKey(event.keyCode));
  }
}

bool PellioTextFileViewer::OnOtherMessage(qvEvent& event) {
  if (event.message == WM_DPICHANGED) {
    // Moved and sized as the platform suggests; the text wraps anew.
    if (!TakeDpiChange(event)) return true;
    qvEvent size(0, this, WM_SIZE, 0);
    OnSize(size);
    event.SetResult(0);
    return false;
  }
  if (event.message != WM_CLOSE) return qvTabbedWindow::OnOtherMessage(event);
  EndMessageLoop();
  return false;
}

bool PellioTextFileViewer::SaveText(const char* path, uint32_t* error) {
  if (!file.read) {
    *error = file.error;
    return false;
  }
  AFile out(path);
  if (!out.OpenWrite()) {
    *error = out.Error();
    return false;
  }
  for (size_t at = 0; at < file.bytes.size(); at += kWritePiece) {
    const size_t piece = std::min(kWritePiece, file.bytes.size() - at);
    if (!out.Write(file.bytes.data() + at, static_cast<uint32_t>(piece))) {
      *error = out.Error();
      // A cut copy would pass for the text.
      out.Close();
      DeleteFileW(WideFromUtf8(path).c_str());
      return false;
    }
  }
  return true;
}

void PellioTextFileViewer::Save() {
  if (!file.read) return;
  // A button the pointer rests on holds the mouse; it would take clicks
  // meant for the dialog's place on the screen while the viewer waits.
  const HWND captured = GetCapture();
  if (captured && IsChild(GetHandle(), captured)) ReleaseCapture();
  qvFileSpec spec;
  const int types[] = {kTextFilesType};
  // The dialog, centred over the viewer, reports no choice for a path that
  // does not fit a path buffer, so what it reports is the whole path.
  if (!spec.SaveFile(1, types, "", fileName.c_str(), nullptr, nullptr, GetHandle())) return;
  const std::string path = spec.GetFullPath();
  uint32_t error = 0;
  if (!SaveText(path.c_str(), &error))
    ShowMessage(GetHandle(), UiText(IDS_SAVE_FAILED, {path, UiSystemErrorText(error)}).c_str());
}
