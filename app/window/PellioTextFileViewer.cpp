#include "app/window/PellioTextFileViewer.h"

#include <cstring>
#include <memory>
#include <new>

#include "app/install/AFile.h"
#include "app/window/ViewerText.h"
#include "toolkit/controls/qvButton.h"
#include "toolkit/controls/qvTextList.h"
#include "toolkit/draw/qvDevice.h"
#include "toolkit/files/qvFileSpec.h"
#include "toolkit/files/qvPicture.h"
#include "toolkit/window/MessageDispatch.h"

namespace {

constexpr int kTextFilesType = 21;

// The button rectangles and the list's, for a client area (l, t, r, b).
qvRect CloseRect(int r, int b) { return qvRect(r - 86, b - 46, r - 26, b - 26); }
qvRect SaveRect(int r, int b) { return qvRect(r - 166, b - 46, r - 106, b - 26); }
qvRect ListRect(int l, int t, int r, int b) { return qvRect(l + 10, t + 10, r - 10, b - 56); }

}  // namespace

StringList ReadViewerLines(const char* path) {
  StringList lines;
  AFile file(path);
  uint64_t size = 0;
  if (!file.OpenRead() || !file.Size(&size) || size == 0) return lines;
  // Text files are small; one that cannot be held whole shows empty, as an
  // unreadable one does.
  const size_t bytes = static_cast<size_t>(std::min<uint64_t>(size, 0x7FFFFFFF));
  std::unique_ptr<char[]> data(new (std::nothrow) char[bytes]);
  if (!data) return lines;
  size_t got = 0;
  while (got < bytes) {
    uint32_t piece = 0;
    if (!file.Read(data.get() + got, static_cast<uint32_t>(std::min<size_t>(bytes - got, 1 << 20)), &piece) ||
        piece == 0)
      break;
    got += piece;
  }
  AppendTextLines(data.get(), got, lines);
  return lines;
}

PellioTextFileViewer::PellioTextFileViewer(const qvRect& bounds, const char* title, const char* path)
    : qvTabbedWindow(bounds, title), textList(nullptr), closeButton(nullptr), saveButton(nullptr),
      footerPicture(nullptr) {
  const StringList lines = ReadViewerLines(path);
  Create();
  SetBackgroundColor(DefaultGrey());
  const int r = bounds.GetRight(), b = bounds.GetBottom();
  closeButton = new qvButton(this, CloseRect(r, b), "Close", kViewerCloseCommand, false);
  saveButton = new qvButton(this, SaveRect(r, b), "Save...", kViewerSaveCommand, false);
  textList = new qvTextList(lines, ListRect(bounds.GetLeft(), bounds.GetTop(), r, b), this);
  footerPicture = new qvPicture(kViewerFooterBitmap);
  MakeResizable();
  // The thicker frame takes effect now, around the client area asked for.
  RECT outer = {0, 0, bounds.GetWidth(), bounds.GetHeight()};
  AdjustWindowRectEx(&outer, GetWindowLongA(GetHandle(), GWL_STYLE), FALSE, GetWindowLongA(GetHandle(), GWL_EXSTYLE));
  SetWindowPos(GetHandle(), nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOZORDER);
}

PellioTextFileViewer::~PellioTextFileViewer() {
  delete textList;
  delete closeButton;
  delete saveButton;
  delete footerPicture;
}

void PellioTextFileViewer::GetTypeName(char* buffer) { std::strcpy(buffer, "PellioTextFileViewer"); }

bool PellioTextFileViewer::OnCommand(qvEvent& event) {
  if (event.id == kViewerCloseCommand && event.kind == kEventCommand) EndMessageLoop();
  if (event.id == kViewerSaveCommand && event.kind == kEventCommand) Save();
  return true;
}

bool PellioTextFileViewer::OnPaint(qvEvent&) {
  qvPaintDevice device(this);
  FillBackground(device);
  if (footerPicture) {
    qvRect area;
    GetClientArea(area);
    footerPicture->DrawAt(device, 0, area.GetHeight() - footerPicture->PixelHeight(), area.GetWidth());
  }
  return true;
}

bool PellioTextFileViewer::OnSize(qvEvent&) {
  if (!textList || !closeButton || !saveButton) return true;
  qvRect area;
  GetClientArea(area);
  const int l = area.GetLeft(), t = area.GetTop(), r = area.GetRight(), b = area.GetBottom();
  closeButton->SetPlacement(CloseRect(r, b));
  saveButton->SetPlacement(SaveRect(r, b));
  textList->SetPlacement(ListRect(l, t, r, b));
  Redraw();
  return true;
}

bool PellioTextFileViewer::OnMouseDown(qvEvent&) { return true; }
bool PellioTextFileViewer::OnMouseMove(qvEvent&) { return true; }

bool PellioTextFileViewer::OnMouseUp(qvEvent&) {
  RedrawTree(true);
  return true;
}

bool PellioTextFileViewer::OnKeyDown(qvEvent&) { return true; }

bool PellioTextFileViewer::SaveLines(const char* path) {
  AFile file(path);
  if (!file.OpenWrite()) return false;
  bool written = true;
  const StringList& lines = textList->Lines();
  for (int i = 0; i < lines.Count() && written; ++i) {
    const TextString& line = lines.At(i);
    written = file.Write(line.Data(), static_cast<uint32_t>(line.Length())) && file.Write("\n", 1);
  }
  return written;
}

void PellioTextFileViewer::Save() {
  qvFileSpec spec;
  const int types[] = {kTextFilesType};
  // The dialog reports no choice for a path that does not fit a path
  // buffer, so what it reports is the whole path.
  if (spec.SaveFile(1, types)) SaveLines(spec.GetFullPath());
}
